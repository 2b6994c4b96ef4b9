#pragma once

// The information listings of the command-line tools, printed to standard output.

extern "C" {
#include <libavcodec/avcodec.h>
}

int tool_show_formats(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_codecs(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_decoders(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_encoders(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_bitstream_filters(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_protocols(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_filters(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_pixel_formats(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_sample_formats(const char* opt = nullptr, const char* arg = nullptr);

// The next encoder or decoder (after *iter) for a codec id; iter starts as null.
const AVCodec* tool_next_codec_for_id(AVCodecID id, void** iter, int encoder);

// The letter of a media type: V, A, D, S, T, or '?'.
char tool_media_type_letter(AVMediaType type);
