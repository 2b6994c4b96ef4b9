#include "transcoder/filter_graphs.h"

#include "player/tool_helpers.h"
#include "transcoder/graph_setup.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/mem.h>
}

namespace {

// A graph without a description is the filter chain of its one output stream. A graph left
// without both is an (empty) complex graph, so that there is never a missing output to read.
bool isSimple(const GraphRecord* fg) {
    return fg->graph_desc.empty() && !fg->outputs.empty();
}

bool takesStream(AVMediaType pad_type, AVMediaType stream_type) {
    return stream_type == pad_type ||
           (pad_type == AVMEDIA_TYPE_VIDEO && stream_type == AVMEDIA_TYPE_SUBTITLE);
}

SourceStream* streamForLabel(const GraphRecord* fg, AVMediaType type, const char* label) {
    TranscoderState& state = tc_state();
    const ToolInteger file_index = tool_read_integer(label, 0);
    if (!file_index.within(0, static_cast<long long>(state.input_files.size()) - 1))
        tc_exit_fatal("Invalid file index %s in filtergraph description %s.\n",
                      file_index.written.c_str(), fg->graph_desc.c_str());
    const SourceFile* file = state.input_files[size_t(file_index.value)].get();
    AVFormatContext* s = file->ctx.get();
    const char* spec = *file_index.rest == ':' ? file_index.rest + 1 : file_index.rest;
    // Checked once, not for each stream it is matched with.
    if (tool_check_stream_specifier(spec) < 0)
        tc_cleanup_and_exit(1);
    for (unsigned i = 0; s && i < s->nb_streams; ++i) {
        const size_t position = size_t(file->ist_index) + i;
        if (position >= state.input_streams.size())
            break;
        if (takesStream(type, s->streams[i]->codecpar->codec_type) &&
            tool_match_stream_specifier(s, s->streams[i], spec) == 1)
            return state.input_streams[position].get();
    }
    tc_exit_fatal("Stream specifier '%s' in filtergraph description %s matches no streams.\n", spec,
                  fg->graph_desc.c_str());
}

SourceStream* firstUnusedStream(AVMediaType type, const AVFilterInOut* in) {
    for (const auto& ist : tc_state().input_streams)
        if (ist->st->codecpar->codec_type == type && ist->discard)
            return ist.get();
    tc_exit_fatal("Cannot find a matching stream for unlabeled input pad %d on filter %s\n",
                  in->pad_idx, in->filter_ctx->name);
}

void bindComplexInput(GraphRecord* fg, const AVFilterInOut* in) {
    const AVMediaType type = tc_graph_pad_type(in, false);
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
        tc_exit_fatal("Only video and audio filters supported currently.\n");
    SourceStream* ist = in->name ? streamForLabel(fg, type, in->name) : firstUnusedStream(type, in);
    ist->discard = 0;
    ist->decoding_needed = 1;
    ist->st->discard = AVDISCARD_NONE;

    auto ifilter = std::make_unique<GraphInput>();
    ifilter->ist = ist;
    ifilter->graph = fg;
    ist->filters.push_back(ifilter.get());
    fg->inputs.push_back(std::move(ifilter));
}

// The open outputs become the graph's outputs, each keeping its own entry until the output
// side binds it to a stream.
void keepPendingOutputs(GraphRecord* fg, FilterInOutPtr outputs) {
    AVFilterInOut* entry = outputs.release();
    while (entry) {
        AVFilterInOut* next = entry->next;
        entry->next = nullptr;
        auto ofilter = std::make_unique<GraphOutput>();
        ofilter->graph = fg;
        ofilter->out_tmp.reset(entry);
        fg->outputs.push_back(std::move(ofilter));
        entry = next;
    }
}

int configureInputs(GraphRecord* fg, AVFilterInOut* inputs) {
    size_t position = 0;
    for (AVFilterInOut* in = inputs; in; in = in->next, ++position) {
        if (position >= fg->inputs.size())
            return AVERROR(EINVAL);
        const int ret = tc_configure_graph_input(fg, fg->inputs[position].get(), in);
        if (ret < 0)
            return ret;
    }
    return 0;
}

int attachOutputs(GraphRecord* fg, AVFilterInOut* outputs) {
    size_t position = 0;
    for (AVFilterInOut* out = outputs; out; out = out->next, ++position) {
        if (position >= fg->outputs.size())
            return AVERROR(EINVAL);
        const int ret = tc_attach_graph_output(fg, fg->outputs[position].get(), out);
        if (ret < 0)
            return ret;
    }
    return 0;
}

} // namespace

GraphRecord* tc_new_simple_graph(SourceStream* ist, TargetStream* ost) {
    TranscoderState& state = tc_state();
    auto fg = std::make_unique<GraphRecord>();
    fg->index = int(state.filtergraphs.size());

    auto ofilter = std::make_unique<GraphOutput>();
    ofilter->ost = ost;
    ofilter->graph = fg.get();
    ost->filter = ofilter.get();
    fg->outputs.push_back(std::move(ofilter));

    auto ifilter = std::make_unique<GraphInput>();
    ifilter->ist = ist;
    ifilter->graph = fg.get();
    ist->filters.push_back(ifilter.get());
    fg->inputs.push_back(std::move(ifilter));

    state.filtergraphs.push_back(std::move(fg));
    return state.filtergraphs.back().get();
}

int tc_build_graph(GraphRecord* fg) {
    const bool simple = isSimple(fg);
    const std::string& text = simple ? fg->outputs[0]->ost->avfilter : fg->graph_desc;
    const bool configured_before = fg->graph != nullptr;

    fg->graph.reset(avfilter_graph_alloc());
    if (!fg->graph)
        return AVERROR(ENOMEM);
    AVFilterGraph* graph = fg->graph.get();
    if (simple) {
        const TargetStream* ost = fg->outputs[0]->ost;
        graph->scale_sws_opts =
            av_strdup(tc_graph_text("flags=0x%X", unsigned(ost->sws_flags)).c_str());
        if (!graph->scale_sws_opts)
            return AVERROR(ENOMEM);
    }

    AVFilterInOut* raw_inputs = nullptr;
    AVFilterInOut* raw_outputs = nullptr;
    int ret = avfilter_graph_parse2(graph, text.c_str(), &raw_inputs, &raw_outputs);
    FilterInOutPtr inputs(raw_inputs);
    FilterInOutPtr outputs(raw_outputs);
    if (ret < 0)
        return ret;

    if (simple && (!inputs || inputs->next || !outputs || outputs->next)) {
        av_log(nullptr, AV_LOG_ERROR,
               "Simple filtergraph '%s' does not have exactly one input and output.\n",
               text.c_str());
        return AVERROR(EINVAL);
    }
    const bool first_complex_build = !simple && !configured_before;
    if (first_complex_build)
        for (const AVFilterInOut* in = inputs.get(); in; in = in->next)
            bindComplexInput(fg, in);
    ret = configureInputs(fg, inputs.get());
    if (ret < 0)
        return ret;
    inputs.reset();

    if (first_complex_build) {
        keepPendingOutputs(fg, std::move(outputs));
        return 0;
    }
    ret = attachOutputs(fg, outputs.get());
    if (ret < 0)
        return ret;
    outputs.reset();
    ret = avfilter_graph_config(graph, nullptr);
    return ret < 0 ? ret : 0;
}

int tc_stream_feeds_graph(GraphRecord* fg, SourceStream* ist) {
    for (const auto& ifilter : fg->inputs)
        if (ifilter->ist == ist)
            return 1;
    return 0;
}
