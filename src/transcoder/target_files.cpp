#include "transcoder/target_files.h"

#include "transcoder/terminal_and_exit.h"

// Placeholders until the output side is written.
void tc_open_target_file(PerFileOptions*, const char*) {
    tc_exit_fatal("Opening outputs is not available.\n");
}
TargetStream* tc_add_target_stream(PerFileOptions*, AVFormatContext*, AVMediaType, int) {
    tc_exit_fatal("Output streams are not available.\n");
}
TargetStream* tc_add_video_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    return tc_add_target_stream(o, oc, AVMEDIA_TYPE_VIDEO, source_index);
}
TargetStream* tc_add_audio_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    return tc_add_target_stream(o, oc, AVMEDIA_TYPE_AUDIO, source_index);
}
TargetStream* tc_add_subtitle_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    return tc_add_target_stream(o, oc, AVMEDIA_TYPE_SUBTITLE, source_index);
}
void tc_bind_graph_output(GraphOutput*, PerFileOptions*, AVFormatContext*) {
    tc_exit_fatal("Graph outputs are not available.\n");
}
void tc_parse_matrix(uint16_t*, const char*) {
    tc_exit_fatal("Matrices are not available.\n");
}
void tc_confirm_overwrite(const char*) {}
