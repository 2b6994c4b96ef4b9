// Creating target streams: encoder choice, per-stream options, presets and bitstream filters,
// the video, audio and subtitle settings, and streams fed by a complex graph.

#include "transcoder/target_files.h"

#include "player/tool_helpers.h"
#include "transcoder/filter_graphs.h"
#include "transcoder/per_stream_values.h"
#include "transcoder/source_files.h"
#include "transcoder/target_stream_options.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
}

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr int kQualityLambda = FF_QP2LAMBDA;
constexpr int kMatrixSize = 64;
constexpr int kMaxMappedChannels = 32;
constexpr int kDcPrecisionBase = 8; // the option counts bits, the codec the bits above 8

TargetStream* appendTargetStream() {
    auto& list = tc_state().output_streams;
    tool_grow_array(list, static_cast<int>(list.size()) + 1);
    list.back() = std::make_unique<TargetStream>();
    return list.back().get();
}

void chooseEncoder(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    AVStream* st = ost->st;
    const AVMediaType type = st->codecpar->codec_type;
    const char* name = tc_stream_text(o->codec_names, oc, st);
    if (name && !std::strcmp(name, "copy")) {
        ost->stream_copy = 1;
    } else if (name) {
        ost->enc = tc_find_codec(name, type, 1);
        st->codecpar->codec_id = ost->enc->id;
    } else {
        st->codecpar->codec_id = av_guess_codec(oc->oformat, nullptr, oc->url, nullptr, type);
        ost->enc = avcodec_find_encoder(st->codecpar->codec_id);
    }
}

// The content of the first preset file that opens, trying each base in turn, the encoder's
// own file before the plain one.
std::optional<std::string> readPresetFile(const char* preset, const AVCodec* enc) {
    const char* home = std::getenv("HOME");
    const struct {
        const char* base;
        const char* folder;
    } bases[] = {
        {std::getenv("AVCONV_DATADIR"), ""}, {home, "/.avconv"}, {"/usr/local/share/ffmpeg", ""}};
    for (const auto& [base, folder] : bases) {
        if (!base)
            continue;
        const std::string dir = std::string(base) + folder + "/";
        std::ifstream file;
        if (enc)
            file.open(dir + enc->name + "-" + preset + ".avpreset", std::ios::binary);
        if (!file.is_open())
            file.open(dir + preset + ".avpreset", std::ios::binary);
        if (file.is_open())
            return std::string(std::istreambuf_iterator<char>(file), {});
    }
    return std::nullopt;
}

void applyPreset(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const char* preset = tc_stream_text(o->presets, oc, ost->st);
    if (!preset || !*preset)
        return;
    const std::optional<std::string> text = readPresetFile(preset, ost->enc);
    if (!text)
        tc_exit_fatal("Preset %s specified for stream %d:%d, but could not be opened.\n", preset,
                      ost->file_index, ost->index);
    AVDictionary* opts = ost->opts.release();
    size_t start = 0;
    while (start < text->size()) {
        const size_t end = std::min(text->find('\n', start), text->find('\0', start));
        const std::string line = text->substr(start, end - start);
        start = end == std::string::npos ? text->size() : end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            ost->opts.reset(opts);
            tc_exit_fatal("Invalid line found in the preset file.\n");
        }
        av_dict_set(&opts, line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(),
                    AV_DICT_DONT_OVERWRITE);
    }
    ost->opts.reset(opts);
}

void addBitstreamFilters(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const char* list = tc_stream_text(o->bitstream_filters, oc, ost->st);
    if (!list)
        return;
    std::stringstream names{std::string(list)};
    std::string name;
    while (std::getline(names, name, ',')) {
        const AVBitStreamFilter* filter = av_bsf_get_by_name(name.c_str());
        AVBSFContext* bsf = nullptr;
        if (!filter || av_bsf_alloc(filter, &bsf) < 0)
            tc_exit_fatal("Unknown bitstream filter %s\n", name.c_str());
        ost->bitstream_filters.emplace_back(bsf);
    }
}

void applyQuality(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const SpecifiedValue* use = tc_last_matching(o->qscale, oc, ost->st);
    const double* given = use ? std::get_if<double>(&use->value) : nullptr;
    const double q = given ? *given : -1;
    if (q >= 0 || tc_state().same_quant) {
        ost->enc_ctx->flags |= AV_CODEC_FLAG_QSCALE;
        const std::string name = use ? tc_written_name("q", *use) : "q";
        ost->enc_ctx->global_quality = static_cast<int>(
            tool_scaled_integer(name.c_str(), given ? use->written.c_str() : "-1",
                                kQualityLambda * q, kQualityLambda, INT_MIN, INT_MAX));
    }
}

void copyScalerAndResamplerOptions(TargetStream* ost) {
    if (tool_sws_options)
        av_opt_get_int(tool_sws_options, "sws_flags", 0, &ost->sws_flags);
    if (tool_swr_options) {
        av_opt_get_int(tool_swr_options, "dither_method", 0, &ost->swr_dither_method);
        av_opt_get_double(tool_swr_options, "dither_scale", 0, &ost->swr_dither_scale);
    }
}

void useSourceStream(TargetStream* ost, int source_index) {
    if (source_index < 0)
        return;
    SourceStream* ist = tc_state().input_streams[source_index].get();
    ost->sync_ist = ist;
    ist->discard = 0;
    ist->st->discard = AVDISCARD_NONE;
}

void parseFrameSize(const char* size, AVCodecContext* codec) {
    if (size && av_parse_video_size(&codec->width, &codec->height, size) < 0)
        tc_exit_fatal("Invalid frame size: %s.\n", size);
}

void parseAspectRatio(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const char* text = tc_stream_text(o->frame_aspect_ratios, oc, ost->st);
    if (!text)
        return;
    AVRational q{0, 0};
    if (av_parse_ratio(&q, text, 255, 0, nullptr) < 0 || q.num <= 0 || q.den <= 0)
        tc_exit_fatal("Invalid aspect ratio: %s\n", text);
    ost->frame_aspect_ratio = static_cast<float>(av_q2d(q));
}

void parsePixelFormat(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const char* text = tc_stream_text(o->frame_pix_fmts, oc, ost->st);
    if (!text)
        return;
    if (*text == '+') {
        ost->keep_pix_fmt = 1;
        ++text;
    }
    if (!*text)
        return;
    ost->enc_ctx->pix_fmt = av_get_pix_fmt(text);
    if (ost->enc_ctx->pix_fmt == AV_PIX_FMT_NONE)
        tc_exit_fatal("Unknown pixel format requested: %s.\n", text);
}

// The codec context owns the matrix as soon as it is made, also if parsing ends the program.
void parseMatrix(const SpecifiedList& list, AVFormatContext* oc, AVStream* st, uint16_t** slot,
                 const char* what) {
    const char* text = tc_stream_text(list, oc, st);
    if (!text)
        return;
    *slot = static_cast<uint16_t*>(av_mallocz(sizeof(uint16_t) * kMatrixSize));
    if (!*slot)
        tc_exit_fatal("Could not allocate memory for %s matrix.\n", what);
    tc_parse_matrix(*slot, text);
}

void parseRateControlOverrides(PerFileOptions* o, AVFormatContext* oc, TargetStream* ost) {
    const char* p = tc_stream_text(o->rc_overrides, oc, ost->st);
    AVCodecContext* video = ost->enc_ctx.get();
    for (int i = 0; p; ++i) {
        ToolInteger values[3];
        if (tool_read_integers(p, ",,", values) != 3 || !tool_integers_fit_int(values, 3))
            tc_exit_fatal("error parsing rc_override\n");
        const int start = values[0].asInt();
        const int end = values[1].asInt();
        const int q = values[2].asInt();
        auto* grown = static_cast<RcOverride*>(
            av_realloc_array(video->rc_override, i + 1, sizeof(RcOverride)));
        if (!grown)
            tool_array_alloc_failed();
        video->rc_override = grown;
        video->rc_override_count = i + 1;
        RcOverride& entry = grown[i];
        entry.start_frame = start;
        entry.end_frame = end;
        entry.qscale = q > 0 ? q : 0;
        entry.quality_factor = q > 0 ? 1.0f : -(static_cast<float>(q) / 100.0f);
        p = std::strchr(p, '/');
        if (p)
            ++p;
    }
}

void applyVideoCodingOptions(TargetStream* ost) {
    const TranscoderState& state = tc_state();
    AVCodecContext* video = ost->enc_ctx.get();
    ost->st->sample_aspect_ratio = video->sample_aspect_ratio;
    if (state.intra_only)
        video->gop_size = 0;
    if (!video->rc_initial_buffer_occupancy)
        video->rc_initial_buffer_occupancy =
            static_cast<int>(static_cast<int64_t>(video->rc_buffer_size) * 3 / 4);
    if (state.intra_dc_precision < INT_MIN + kDcPrecisionBase)
        tool_value_out_of_range("dc", std::to_string(state.intra_dc_precision).c_str(),
                                INT_MIN + kDcPrecisionBase, INT_MAX);
    video->intra_dc_precision = state.intra_dc_precision - kDcPrecisionBase;
    if (state.do_psnr)
        video->flags |= AV_CODEC_FLAG_PSNR;
    if (state.do_pass & 1)
        video->flags |= AV_CODEC_FLAG_PASS1;
    if (state.do_pass & 2)
        video->flags |= AV_CODEC_FLAG_PASS2;
}

// Which channels of the source the stream takes, from the channel maps that apply to it.
void collectChannelMap(PerFileOptions* o, TargetStream* ost) {
    const TranscoderState& state = tc_state();
    const SourceStream* ist =
        ost->source_index >= 0 ? state.input_streams[ost->source_index].get() : nullptr;
    const int file_index = static_cast<int>(state.output_files.size());
    for (const ChannelMapEntry& map : o->audio_channel_maps) {
        // A stream fed by a graph has no source stream: only muted channels apply to it.
        const bool fromSource = map.channel_idx == -1 || (ist && ist->file_index == map.file_idx &&
                                                          ist->st->index == map.stream_idx);
        if (!fromSource || (map.ofile_idx != -1 && map.ofile_idx != file_index) ||
            (map.ostream_idx != -1 && map.ostream_idx != ost->index))
            continue;
        if (ost->audio_channels_mapped >= kMaxMappedChannels) {
            av_log(nullptr, AV_LOG_FATAL, "Max channel mapping for output %d.%d reached\n",
                   ost->file_index, ost->index);
            continue;
        }
        ost->audio_channels_map[ost->audio_channels_mapped++] = map.channel_idx;
    }
}

} // namespace

TargetStream* tc_add_target_stream(PerFileOptions* o, AVFormatContext* oc, AVMediaType type,
                                   int source_index) {
    AVStream* st = avformat_new_stream(oc, nullptr);
    if (!st)
        tc_exit_fatal("Could not alloc stream.\n");
    if (st->index < static_cast<int>(o->streamid_map.size()))
        st->id = o->streamid_map[st->index];
    st->codecpar->codec_type = type;

    TargetStream* ost = appendTargetStream();
    ost->file_index = static_cast<int>(tc_state().output_files.size());
    ost->index = st->index;
    ost->source_index = source_index;
    ost->st = st;

    chooseEncoder(o, oc, ost);
    ost->enc_ctx.reset(avcodec_alloc_context3(ost->enc));
    if (!ost->enc_ctx)
        tc_exit_fatal("Could not alloc stream.\n");
    ost->enc_ctx->codec_type = type;
    ost->enc_ctx->codec_id = st->codecpar->codec_id;
    if (ost->enc)
        ost->opts.reset(tc_codec_options_for(ost->enc->id, oc, st, ost->enc));

    applyPreset(o, oc, ost);
    ost->max_frames = tc_stream_option_or<int64_t>(o->max_frames, oc, st, INT64_MAX);
    addBitstreamFilters(o, oc, ost);
    if (const std::optional<uint32_t> tag = tc_stream_codec_tag(o->codec_tags, oc, st))
        ost->enc_ctx->codec_tag = *tag;
    applyQuality(o, oc, ost);
    if (oc->oformat->flags & AVFMT_GLOBALHEADER)
        ost->enc_ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    copyScalerAndResamplerOptions(ost);
    useSourceStream(ost, source_index);
    return ost;
}

TargetStream* tc_add_video_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    TargetStream* ost = tc_add_target_stream(o, oc, AVMEDIA_TYPE_VIDEO, source_index);
    AVStream* st = ost->st;
    if (const char* rate = tc_stream_text(o->frame_rates, oc, st)) {
        if (av_parse_video_rate(&ost->frame_rate, rate) < 0)
            tc_exit_fatal("Invalid framerate value: %s\n", rate);
    }
    if (ost->stream_copy) {
        ost->copy_initial_nonkeyframes =
            tc_stream_option_or<int>(o->copy_initial_nonkeyframes, oc, st, 0);
        return ost;
    }
    AVCodecContext* video = ost->enc_ctx.get();
    parseFrameSize(tc_stream_text(o->frame_sizes, oc, st), video);
    parseAspectRatio(o, oc, ost);
    video->bits_per_raw_sample = tc_state().frame_bits_per_raw_sample;
    parsePixelFormat(o, oc, ost);
    parseMatrix(o->intra_matrices, oc, st, &video->intra_matrix, "intra");
    parseMatrix(o->inter_matrices, oc, st, &video->inter_matrix, "inter");
    parseRateControlOverrides(o, oc, ost);
    applyVideoCodingOptions(ost);

    if (const char* keyframes = tc_stream_text(o->forced_key_frames, oc, st))
        ost->forced_keyframes = keyframes;
    ost->force_fps = tc_stream_option_or<int>(o->force_fps, oc, st, 0);
    ost->top_field_first = tc_stream_option_or<int>(o->top_field_first, oc, st, -1);
    const char* chain = tc_stream_text(o->filters, oc, st);
    ost->avfilter = chain ? chain : "null";
    return ost;
}

TargetStream* tc_add_audio_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    TargetStream* ost = tc_add_target_stream(o, oc, AVMEDIA_TYPE_AUDIO, source_index);
    if (ost->stream_copy)
        return ost;
    AVStream* st = ost->st;
    AVCodecContext* audio = ost->enc_ctx.get();
    if (const int* channels = tc_stream_option<int>(o->audio_channels, oc, st)) {
        // A count without a layout; the graph gives it the default layout for the count.
        av_channel_layout_uninit(&audio->ch_layout);
        audio->ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
        audio->ch_layout.nb_channels = *channels;
    }
    if (const char* format = tc_stream_text(o->sample_fmts, oc, st)) {
        audio->sample_fmt = av_get_sample_fmt(format);
        if (audio->sample_fmt == AV_SAMPLE_FMT_NONE)
            tc_exit_fatal("Invalid sample format '%s'\n", format);
    }
    audio->sample_rate = tc_stream_option_or<int>(o->audio_sample_rate, oc, st, audio->sample_rate);
    const char* chain = tc_stream_text(o->filters, oc, st);
    ost->avfilter = chain ? chain : "anull";
    collectChannelMap(o, ost);
    return ost;
}

TargetStream* tc_add_subtitle_target(PerFileOptions* o, AVFormatContext* oc, int source_index) {
    TargetStream* ost = tc_add_target_stream(o, oc, AVMEDIA_TYPE_SUBTITLE, source_index);
    AVStream* st = ost->st;
    ost->copy_initial_nonkeyframes =
        tc_stream_option_or<int>(o->copy_initial_nonkeyframes, oc, st, 0);
    if (!ost->stream_copy)
        parseFrameSize(tc_stream_text(o->frame_sizes, oc, st), ost->enc_ctx.get());
    return ost;
}

void tc_bind_graph_output(GraphOutput* ofilter, PerFileOptions* o, AVFormatContext* oc) {
    AVFilterInOut* out = ofilter->out_tmp.get();
    const AVMediaType type = avfilter_pad_get_type(out->filter_ctx->output_pads, out->pad_idx);
    TargetStream* ost = nullptr;
    if (type == AVMEDIA_TYPE_VIDEO)
        ost = tc_add_video_target(o, oc, -1);
    else if (type == AVMEDIA_TYPE_AUDIO)
        ost = tc_add_audio_target(o, oc, -1);
    else
        tc_exit_fatal("Only video and audio filters are supported currently.\n");

    ost->filter = ofilter;
    ofilter->ost = ost;
    if (ost->stream_copy) {
        av_log(nullptr, AV_LOG_ERROR,
               "Streamcopy requested for output stream %d:%d, which is fed from a complex "
               "filtergraph. Filtering and streamcopy cannot be used together.\n",
               ost->file_index, ost->index);
        tc_cleanup_and_exit(1);
    }
    if (tc_attach_graph_output(ofilter->graph, ofilter, out) < 0)
        tc_exit_fatal("Error configuring filter.\n");
    ofilter->out_tmp.reset();
}

// Each coefficient is a 16-bit quantiser divisor: 0 and values beyond 16 bits are refused.
void tc_parse_matrix(uint16_t* dest, const char* text) {
    const char* p = text;
    for (int i = 0; i < kMatrixSize; ++i) {
        if (i > 0) {
            p = std::strchr(p, ',');
            if (!p)
                tc_exit_fatal("Syntax error in matrix \"%s\" at coeff %d\n", text, i - 1);
            ++p;
        }
        const ToolInteger coeff = tool_read_integer(p, 10);
        if (!coeff.within(1, UINT16_MAX))
            tc_exit_fatal("Syntax error in matrix \"%s\" at coeff %d\n", text, i);
        dest[i] = static_cast<uint16_t>(coeff.value);
    }
}
