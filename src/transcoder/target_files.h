#pragma once

// Preparing an output file: its streams and encoders, stream selection, attachments,
// metadata and chapters. Every failure ends the program.

#include "transcoder/media_records.h"
#include "transcoder/option_records.h"

#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
}

// The step for a command-line word that is not an option.
void tc_open_target_file(PerFileOptions* o, const char* filename);

TargetStream* tc_add_target_stream(PerFileOptions* o, AVFormatContext* oc, AVMediaType type,
                                   int source_index);
TargetStream* tc_add_video_target(PerFileOptions* o, AVFormatContext* oc, int source_index);
TargetStream* tc_add_audio_target(PerFileOptions* o, AVFormatContext* oc, int source_index);
TargetStream* tc_add_subtitle_target(PerFileOptions* o, AVFormatContext* oc, int source_index);
// Creates the stream that a complex graph's output feeds.
void tc_bind_graph_output(GraphOutput* ofilter, PerFileOptions* o, AVFormatContext* oc);

// Fills dest with the 64 values of text.
void tc_parse_matrix(uint16_t* dest, const char* text);
void tc_confirm_overwrite(const char* filename);
