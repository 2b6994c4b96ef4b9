#pragma once

// Building the filter graphs between decoded source streams and target streams.

#include "transcoder/media_records.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
}

GraphRecord* tc_new_simple_graph(SourceStream* ist, TargetStream* ost);
// 0 or a negative error.
int tc_build_graph(GraphRecord* fg);
// 0 or a negative error.
int tc_attach_graph_output(GraphRecord* fg, GraphOutput* ofilter, AVFilterInOut* out);
// The target stream's encoder context is the "stream's codec" these two consult.
AVPixelFormat tc_pick_pixel_format(TargetStream* ost, const AVCodec* codec, AVPixelFormat target);
void tc_pick_sample_format(TargetStream* ost, const AVCodec* codec);
// 1 when one of the graph's inputs reads ist, else 0.
int tc_stream_feeds_graph(GraphRecord* fg, SourceStream* ist);
