#include "transcoder/source_files.h"

#include "transcoder/terminal_and_exit.h"

// Placeholders until the input side is written.
int tc_open_source_file(PerFileOptions*, const char*, const char*) {
    tc_exit_fatal("Opening inputs is not available.\n");
}
const AVCodec* tc_find_codec(const char*, AVMediaType, int) {
    tc_exit_fatal("Codec lookup is not available.\n");
}
const AVCodec* tc_pick_decoder(PerFileOptions*, AVFormatContext*, AVStream*) {
    tc_exit_fatal("Decoder choice is not available.\n");
}
void tc_parse_metadata_spec(const char*, char*, int*, const char**) {
    tc_exit_fatal("Metadata specifiers are not available.\n");
}
void tc_reject_leftover_options(AVDictionary*) {}
int tc_guess_source_layout(SourceStream*) {
    return 0;
}
