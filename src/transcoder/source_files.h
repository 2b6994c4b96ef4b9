#pragma once

// Opening an input file with its streams and decoders, and the codec, decoder and specifier
// helpers that the input and output sides share. Every failure ends the program.

#include "transcoder/media_records.h"
#include "transcoder/option_records.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// The handler of the "i" option. Returns 0.
int tc_open_source_file(PerFileOptions* o, const char* opt, const char* filename);

const AVCodec* tc_find_codec(const char* name, AVMediaType type, int encoder);
// Null when no decoder exists for the stream.
const AVCodec* tc_pick_decoder(PerFileOptions* o, AVFormatContext* s, AVStream* st);

// Reads "g", "s[:spec]", "c:index" or "p:index" into type, index and stream_spec (which points
// into arg, or at an empty text).
void tc_parse_metadata_spec(const char* arg, char* type, int* index, const char** stream_spec);
void tc_reject_leftover_options(AVDictionary* d);
// 1 when the stream has a channel layout afterwards, 0 otherwise.
int tc_guess_source_layout(SourceStream* ist);
