#include "transcoder/transcoder_state.h"

TranscoderState& tc_state() {
    static TranscoderState state;
    return state;
}

void TranscoderState::freeRecords() {
    filtergraphs.clear();
    output_files.clear();
    output_streams.clear();
    input_files.clear();
    input_streams.clear();
    vstats_filename.clear();
}

void tc_begin_network_use() {
    avformat_network_init();
    ++tc_state().network_uses;
}

void tc_end_network_use() {
    TranscoderState& state = tc_state();
    if (state.network_uses <= 0)
        return;
    --state.network_uses;
    avformat_network_deinit();
}
