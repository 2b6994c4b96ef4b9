// Opening an output file: graphs still to configure, the choice of its streams (automatic,
// by map or by graph label), attachments, the file itself, and the overwrite check.

#include "transcoder/target_files.h"

#include "player/tool_helpers.h"
#include "transcoder/filter_graphs.h"
#include "transcoder/option_table.h"
#include "transcoder/target_metadata.h"
#include "transcoder/target_stream_options.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/tool_services.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/opt.h>
}

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct OutputContextDelete {
    void operator()(AVFormatContext* ctx) const { avformat_free_context(ctx); }
};
// Until the file record takes it over; its file is not open yet.
using PendingOutputPtr = std::unique_ptr<AVFormatContext, OutputContextDelete>;

void configurePendingGraphs() {
    for (const auto& graph : tc_state().filtergraphs) {
        if (!graph->graph && tc_build_graph(graph.get()) < 0)
            tc_exit_fatal("Error configuring filters.\n");
    }
}

PendingOutputPtr createOutputContext(const PerFileOptions* o, const char* filename) {
    AVFormatContext* oc = nullptr;
    const int err = avformat_alloc_output_context2(
        &oc, nullptr, o->format.empty() ? nullptr : o->format.c_str(), filename);
    if (!oc) {
        tool_report_error(filename, err < 0 ? err : AVERROR(ENOMEM));
        tc_cleanup_and_exit(1);
    }
    oc->interrupt_callback = tc_interrupt_callback;
    return PendingOutputPtr(oc);
}

AVMediaType outputPadType(const GraphOutput& output) {
    const AVFilterInOut* out = output.out_tmp.get();
    return avfilter_pad_get_type(out->filter_ctx->output_pads, out->pad_idx);
}

bool isUnbound(const GraphOutput& output) {
    return !output.ost && output.out_tmp;
}

// Complex graph outputs without a label go to the first output file opened after them.
void bindUnlabelledGraphOutputs(PerFileOptions* o, AVFormatContext* oc) {
    for (const auto& graph : tc_state().filtergraphs) {
        for (const auto& output : graph->outputs) {
            if (!isUnbound(*output) || output->out_tmp->name)
                continue;
            switch (outputPadType(*output)) {
            case AVMEDIA_TYPE_VIDEO:
                o->video_disable = 1;
                break;
            case AVMEDIA_TYPE_AUDIO:
                o->audio_disable = 1;
                break;
            case AVMEDIA_TYPE_SUBTITLE:
                o->subtitle_disable = 1;
                break;
            default:
                break;
            }
            tc_bind_graph_output(output.get(), o, oc);
        }
    }
}

// The first stream wins ties: only a strictly better score replaces it.
template <class Score> int bestSourceStream(AVMediaType type, Score score) {
    const auto& streams = tc_state().input_streams;
    int best = -1;
    int64_t bestScore = -1;
    for (size_t i = 0; i < streams.size(); ++i) {
        const AVStream* st = streams[i]->st;
        if (st->codecpar->codec_type != type)
            continue;
        const int64_t value = score(st);
        if (value > bestScore) {
            bestScore = value;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void selectVideo(PerFileOptions* o, AVFormatContext* oc) {
    const AVOutputFormat* format = oc->oformat;
    if (o->video_disable || format->video_codec == AV_CODEC_ID_NONE)
        return;
    // A format whose only pictures are cover art takes attached pictures only.
    const bool coverOnly = static_cast<uint32_t>(format->video_codec) == MKTAG('A', 'P', 'I', 'C');
    const int best = bestSourceStream(AVMEDIA_TYPE_VIDEO, [coverOnly](const AVStream* st) {
        if (coverOnly && !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int64_t{-1};
        return int64_t{st->codecpar->width} * st->codecpar->height;
    });
    if (best >= 0)
        tc_add_video_target(o, oc, best);
}

void selectAudio(PerFileOptions* o, AVFormatContext* oc) {
    if (o->audio_disable || oc->oformat->audio_codec == AV_CODEC_ID_NONE)
        return;
    const int best = bestSourceStream(AVMEDIA_TYPE_AUDIO, [](const AVStream* st) {
        return int64_t{st->codecpar->ch_layout.nb_channels};
    });
    if (best >= 0)
        tc_add_audio_target(o, oc, best);
}

void selectSubtitles(PerFileOptions* o, AVFormatContext* oc) {
    if (o->subtitle_disable ||
        (oc->oformat->subtitle_codec == AV_CODEC_ID_NONE && tc_state().subtitle_codec_name.empty()))
        return;
    const int first =
        bestSourceStream(AVMEDIA_TYPE_SUBTITLE, [](const AVStream*) { return int64_t{0}; });
    if (first >= 0)
        tc_add_subtitle_target(o, oc, first);
}

void bindLabelledGraphOutput(PerFileOptions* o, AVFormatContext* oc, const std::string& label) {
    for (const auto& graph : tc_state().filtergraphs) {
        for (const auto& output : graph->outputs) {
            if (isUnbound(*output) && output->out_tmp->name && label == output->out_tmp->name) {
                tc_bind_graph_output(output.get(), o, oc);
                return;
            }
        }
    }
    tc_exit_fatal("Output with label '%s' does not exist in any defined filter graph.\n",
                  label.c_str());
}

bool typeDisabled(const PerFileOptions* o, AVMediaType type) {
    return (o->subtitle_disable && type == AVMEDIA_TYPE_SUBTITLE) ||
           (o->audio_disable && type == AVMEDIA_TYPE_AUDIO) ||
           (o->video_disable && type == AVMEDIA_TYPE_VIDEO) ||
           (o->data_disable && type == AVMEDIA_TYPE_DATA);
}

void followMap(PerFileOptions* o, AVFormatContext* oc, const StreamMapEntry& map) {
    if (!map.linklabel.empty()) {
        bindLabelledGraphOutput(o, oc, map.linklabel);
        return;
    }
    const TranscoderState& state = tc_state();
    const int source = state.input_files[map.file_index]->ist_index + map.stream_index;
    const SourceStream* ist = state.input_streams[source].get();
    const AVMediaType type = ist->st->codecpar->codec_type;
    if (typeDisabled(o, type))
        return;
    switch (type) {
    case AVMEDIA_TYPE_VIDEO:
        tc_add_video_target(o, oc, source);
        break;
    case AVMEDIA_TYPE_AUDIO:
        tc_add_audio_target(o, oc, source);
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        tc_add_subtitle_target(o, oc, source);
        break;
    case AVMEDIA_TYPE_DATA:
        if (!tc_add_target_stream(o, oc, AVMEDIA_TYPE_DATA, source)->stream_copy)
            tc_exit_fatal("Data stream encoding not supported yet (only streamcopy)\n");
        break;
    case AVMEDIA_TYPE_ATTACHMENT:
        tc_add_target_stream(o, oc, AVMEDIA_TYPE_ATTACHMENT, source)->stream_copy = 1;
        break;
    default:
        tc_exit_fatal("Cannot map stream #%d:%d - unsupported type.\n", map.file_index,
                      map.stream_index);
    }
}

void selectStreams(PerFileOptions* o, AVFormatContext* oc) {
    if (o->stream_maps.empty()) {
        selectVideo(o, oc);
        selectAudio(o, oc);
        selectSubtitles(o, oc);
        return;
    }
    for (const StreamMapEntry& map : o->stream_maps)
        if (!map.disabled)
            followMap(o, oc, map);
}

bool matchesStream(AVFormatContext* oc, AVStream* st, const char* spec) {
    const int match = tool_match_stream_specifier(oc, st, spec);
    if (match < 0)
        tc_cleanup_and_exit(1);
    return match > 0;
}

// The global codec "flags" option (bare or for matching streams) reaches copied streams too.
void applyFlagsToCopiedStreams(AVFormatContext* oc, int first_stream) {
    const auto& streams = tc_state().output_streams;
    for (size_t i = first_stream; i < streams.size(); ++i) {
        TargetStream* ost = streams[i].get();
        if (!ost->stream_copy)
            continue;
        const AVDictionaryEntry* e = nullptr;
        while ((e = av_dict_get(tool_codec_options, "flags", e, AV_DICT_IGNORE_SUFFIX))) {
            // Keys that only begin with "flags" ("flags2") are other options.
            const char* suffix = e->key + std::strlen("flags");
            if (*suffix && *suffix != ':')
                continue;
            if (*suffix && !matchesStream(oc, ost->st, suffix + 1))
                continue;
            if (av_opt_set(ost->enc_ctx.get(), "flags", e->value, 0) < 0)
                tc_cleanup_and_exit(1);
        }
    }
}

// The file's whole content as codec extradata (with the padding decoders expect).
void readAttachment(const std::string& name, AVCodecParameters* par) {
    AVIOContext* raw = nullptr;
    if (avio_open2(&raw, name.c_str(), AVIO_FLAG_READ, &tc_interrupt_callback, nullptr) < 0)
        tc_exit_fatal("Could not open attachment file %s.\n", name.c_str());
    IOContextPtr pb(raw);
    const int64_t size = avio_size(pb.get());
    if (size <= 0)
        tc_exit_fatal("Could not get size of the attachment %s.\n", name.c_str());
    if (size > INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE)
        tc_exit_fatal("Attachment %s too large to fit into memory.\n", name.c_str());
    par->extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!par->extradata)
        tc_exit_fatal("Attachment %s too large to fit into memory.\n", name.c_str());
    par->extradata_size = static_cast<int>(size);
    if (avio_read(pb.get(), par->extradata, par->extradata_size) != par->extradata_size)
        tc_exit_fatal("Could not open attachment file %s.\n", name.c_str());
}

void addAttachments(PerFileOptions* o, AVFormatContext* oc) {
    for (const std::string& name : o->attachments) {
        TargetStream* ost = tc_add_target_stream(o, oc, AVMEDIA_TYPE_ATTACHMENT, -1);
        ost->stream_copy = 0;
        ost->attachment_filename = name;
        readAttachment(name, ost->st->codecpar);
        const size_t slash = name.rfind('/');
        const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
        av_dict_set(&ost->st->metadata, "filename", base.c_str(), AV_DICT_DONT_OVERWRITE);
    }
}

TargetFile* appendTargetFile(PerFileOptions* o, PendingOutputPtr oc) {
    TranscoderState& state = tc_state();
    auto& files = state.output_files;
    tool_grow_array(files, static_cast<int>(files.size()) + 1);
    files.back() = std::make_unique<TargetFile>();
    TargetFile* of = files.back().get();
    of->ctx.reset(oc.release());
    of->ost_index = static_cast<int>(state.output_streams.size()) - of->ctx->nb_streams;
    of->recording_time = o->recording_time;
    if (o->recording_time != INT64_MAX)
        of->ctx->duration = o->recording_time;
    of->start_time = o->start_time;
    of->limit_filesize = o->limit_filesize;
    of->shortest = o->shortest;
    AVDictionary* opts = nullptr;
    av_dict_copy(&opts, tool_format_options, 0);
    of->opts.reset(opts);
    return of;
}

void openOutputFile(TargetFile* of, const char* filename) {
    AVFormatContext* oc = of->ctx.get();
    if ((oc->oformat->flags & AVFMT_NEEDNUMBER) && !av_filename_number_test(oc->url)) {
        tool_report_error(filename, AVERROR(EINVAL));
        tc_cleanup_and_exit(1);
    }
    if (oc->oformat->flags & AVFMT_NOFILE)
        return;
    tc_confirm_overwrite(filename);
    AVDictionary* opts = of->opts.release();
    const int err = avio_open2(&oc->pb, filename, AVIO_FLAG_WRITE, &oc->interrupt_callback, &opts);
    of->opts.reset(opts);
    if (err < 0) {
        tool_report_error(filename, err);
        tc_cleanup_and_exit(1);
    }
}

// A value outside what the context holds is refused as written, or as the value itself when
// something else set it (a target's preload, the default delay).
void applyMuxTiming(const PerFileOptions* o, TargetFile* of) {
    if (o->mux_preload) {
        const std::string shown =
            tool_written_value(*o, "muxpreload", std::to_string(o->mux_preload));
        const int64_t preload =
            tool_scaled_integer("muxpreload", shown.c_str(), o->mux_preload * AV_TIME_BASE,
                                AV_TIME_BASE, INT64_MIN, INT64_MAX);
        AVDictionary* opts = of->opts.release();
        av_dict_set_int(&opts, "preload", preload, 0);
        of->opts.reset(opts);
    }
    const std::string shown = tool_written_value(*o, "muxdelay", std::to_string(o->mux_max_delay));
    of->ctx->max_delay = static_cast<int>(tool_scaled_integer("muxdelay", shown.c_str(),
                                                              o->mux_max_delay * AV_TIME_BASE,
                                                              AV_TIME_BASE, INT_MIN, INT_MAX));
}

// A name with a ':' past its second character is a URL unless it says "file:".
bool isLocalFile(const char* filename) {
    const char* colon = std::strchr(filename, ':');
    return !colon || colon == filename + 1 || av_strstart(filename, "file:", nullptr);
}

} // namespace

void tc_open_target_file(PerFileOptions* o, const char* filename) {
    configurePendingGraphs();
    if (!std::strcmp(filename, "-"))
        filename = "pipe:";
    PendingOutputPtr oc = createOutputContext(o, filename);
    const int first_stream = static_cast<int>(tc_state().output_streams.size());

    bindUnlabelledGraphOutputs(o, oc.get());
    selectStreams(o, oc.get());
    applyFlagsToCopiedStreams(oc.get(), first_stream);
    addAttachments(o, oc.get());

    TargetFile* of = appendTargetFile(o, std::move(oc));
    // Everything that can refuse a value comes before the file is opened: a refused
    // command line leaves an existing file as it was.
    applyMuxTiming(o, of);
    tc_apply_target_metadata(o, of);
    openOutputFile(of, filename);
    tc_reset_file_options(o, 0);
}

void tc_confirm_overwrite(const char* filename) {
    const TranscoderState& state = tc_state();
    if (state.file_overwrite && !state.no_file_overwrite)
        return;
    if (!isLocalFile(filename) || avio_check(filename, 0) < 0)
        return;
    if (state.stdin_interaction && (!state.no_file_overwrite || state.file_overwrite)) {
        std::fprintf(stderr, "File '%s' already exists. Overwrite ? [y/N] ", filename);
        std::fflush(stderr);
        tc_restore_terminal();
        std::signal(SIGINT, SIG_DFL);
        if (!tool_read_yes_no())
            tc_exit_fatal("Not overwriting - exiting\n");
        tc_setup_terminal_and_signals();
        return;
    }
    tc_exit_fatal("File '%s' already exists. Exiting.\n", filename);
}
