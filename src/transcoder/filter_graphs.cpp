#include "transcoder/filter_graphs.h"

#include "transcoder/terminal_and_exit.h"

// Placeholders until graph setup is written.
GraphRecord* tc_new_simple_graph(SourceStream*, TargetStream*) {
    tc_exit_fatal("Filter graphs are not available.\n");
}
int tc_build_graph(GraphRecord*) {
    return AVERROR(ENOSYS);
}
int tc_attach_graph_output(GraphRecord*, GraphOutput*, AVFilterInOut*) {
    return AVERROR(ENOSYS);
}
AVPixelFormat tc_pick_pixel_format(TargetStream*, const AVCodec*, AVPixelFormat target) {
    return target;
}
void tc_pick_sample_format(TargetStream*, const AVCodec*) {}
int tc_stream_feeds_graph(GraphRecord*, SourceStream*) {
    return 0;
}
