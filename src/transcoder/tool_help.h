#pragma once

// Help by topic: "decoder=NAME", "encoder=NAME", "demuxer=NAME", "muxer=NAME", or the
// program's own help for anything else.

extern "C" {
#include <libavcodec/avcodec.h>
}

int tool_show_help(const char* opt, const char* arg);
void tool_show_codec_help(const char* name, int encoder);
void tool_print_codec(const AVCodec* codec);
