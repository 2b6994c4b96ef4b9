#pragma once

// What the graph-building files share: argument texts, filter creation and linking, and the
// per-input and per-output steps that tc_build_graph drives.

#include "transcoder/media_records.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavutil/channel_layout.h>
}

#include <string>

// printf into a std::string of whatever length the text needs. Floating-point values go
// through tc_graph_fixed so that the process locale cannot change the decimal point.
std::string tc_graph_text(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// A value with six decimals and a '.' as the decimal point.
std::string tc_graph_fixed(double value);
// "0x..." of the channel mask for a layout in native order, else the library's description.
std::string tc_graph_layout_text(const AVChannelLayout& layout);

// The media type of the pad that an open input or output of the parser stands for.
AVMediaType tc_graph_pad_type(const AVFilterInOut* inout, bool is_output);
// The filter's name, followed by ':' and the pad's name when that side has several pads.
std::string tc_graph_link_name(const AVFilterInOut* inout, bool is_output);

// Creates filter_name in the graph under instance_name; args may be null.
int tc_graph_create_filter(AVFilterContext** filter, AVFilterGraph* graph, const char* filter_name,
                           const std::string& instance_name, const char* args);

// The encoder's pixel formats, or the fixed lists that the JPEG encoders get when the
// stream's strictness allows unofficial formats; null when the encoder has none.
const AVPixelFormat* tc_graph_encoder_pixel_formats(const TargetStream* ost, const AVCodec* codec);

// Inserts the buffer source (and the conversions that options ask for) ahead of the open input.
int tc_configure_graph_input(GraphRecord* fg, GraphInput* ifilter, AVFilterInOut* in);
