#include "transcoder/graph_setup.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>

namespace {

constexpr int kVolumeUnity = 256;
constexpr int kCanvasMinWidth = 720;
constexpr int kCanvasMinHeight = 576;
constexpr int kCanvasAlignment = 32;

bool isValidRational(AVRational value) {
    return value.num > 0 && value.den > 0;
}

// The point of the graph where the next filter inserted ahead of the input is linked.
struct LinkTarget {
    AVFilterContext* filter;
    unsigned pad;
};

std::string sourceName(const GraphRecord* fg, const SourceStream* ist) {
    return tc_graph_text("graph %d input from stream %d:%d", fg->index, ist->file_index,
                         ist->st->index);
}

int insertAhead(LinkTarget& first, GraphRecord* fg, const SourceStream* ist,
                const char* filter_name, const std::string& args) {
    const std::string name = tc_graph_text("graph %d %s for input stream %d:%d", fg->index,
                                           filter_name, ist->file_index, ist->st->index);
    AVFilterContext* filter = nullptr;
    int ret = tc_graph_create_filter(&filter, fg->graph.get(), filter_name, name, args.c_str());
    if (ret < 0)
        return ret;
    ret = avfilter_link(filter, 0, first.filter, first.pad);
    if (ret < 0)
        return ret;
    first = {filter, 0};
    return 0;
}

int configureAudioInput(GraphRecord* fg, GraphInput* ifilter, AVFilterInOut* in) {
    const TranscoderState& state = tc_state();
    SourceStream* ist = ifilter->ist;
    const AVCodecContext* dec = ist->dec_ctx.get();
    // The source's time base is 1 / sample rate.
    if (dec->sample_rate <= 0) {
        av_log(nullptr, AV_LOG_ERROR, "Invalid sample rate %d for input stream %d:%d.\n",
               dec->sample_rate, ist->file_index, ist->st->index);
        return AVERROR(EINVAL);
    }
    const char* format = av_get_sample_fmt_name(dec->sample_fmt);
    const std::string args = tc_graph_text(
        "time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s", dec->sample_rate,
        dec->sample_rate, format ? format : "none", tc_graph_layout_text(dec->ch_layout).c_str());
    AVFilterContext* source = nullptr;
    int ret = tc_graph_create_filter(&source, fg->graph.get(), "abuffer", sourceName(fg, ist),
                                     args.c_str());
    if (ret < 0)
        return ret;
    ifilter->filter = source;

    LinkTarget first{in->filter_ctx, static_cast<unsigned>(in->pad_idx)};
    if (state.audio_sync_method > 0) {
        std::string resample =
            "min_comp=0.001:min_hard_comp=" + tc_graph_fixed(state.audio_drift_threshold);
        if (state.audio_sync_method >= 2)
            resample += ":max_soft_comp=" +
                        tc_graph_fixed(state.audio_sync_method / double(dec->sample_rate));
        av_log(nullptr, AV_LOG_INFO,
               "-async is forwarded to lavfi similarly to -af aresample=%s.\n", resample.c_str());
        ret = insertAhead(first, fg, ist, "aresample", resample);
        if (ret < 0)
            return ret;
    }
    if (state.audio_volume != kVolumeUnity) {
        const std::string volume = tc_graph_fixed(state.audio_volume / double(kVolumeUnity));
        av_log(nullptr, AV_LOG_INFO, "-vol is forwarded to lavfi similarly to -af volume=%s.\n",
               volume.c_str());
        ret = insertAhead(first, fg, ist, "volume", volume);
        if (ret < 0)
            return ret;
    }
    return avfilter_link(source, 0, first.filter, first.pad);
}

// The largest width and the largest height among the video streams of the stream's file.
void largestVideoSize(const SourceStream* ist, int& width, int& height) {
    const auto& files = tc_state().input_files;
    if (ist->file_index < 0 || size_t(ist->file_index) >= files.size())
        return;
    const AVFormatContext* s = files[ist->file_index]->ctx.get();
    for (unsigned i = 0; s && i < s->nb_streams; ++i) {
        const AVCodecParameters* par = s->streams[i]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        width = std::max(width, par->width);
        height = std::max(height, par->height);
    }
}

// Subtitles are drawn onto a picture of their own that then travels like video.
int makeSubtitleCanvas(SourceStream* ist) {
    AVCodecContext* dec = ist->dec_ctx.get();
    int width = dec->width;
    int height = dec->height;
    if (!width || !height) {
        width = 0;
        height = 0;
        largestVideoSize(ist, width, height);
        if (!width || !height) {
            width = std::max(width, kCanvasMinWidth);
            height = std::max(height, kCanvasMinHeight);
        }
        const auto& files = tc_state().input_files;
        void* log_ctx =
            size_t(ist->file_index) < files.size() ? files[ist->file_index]->ctx.get() : nullptr;
        av_log(log_ctx, AV_LOG_INFO, "sub2video: using %dx%d canvas\n", width, height);
    }
    dec->width = ist->sub2video.w = width;
    dec->height = ist->sub2video.h = height;
    dec->pix_fmt = AV_PIX_FMT_RGB32;

    const int size = av_image_get_buffer_size(AV_PIX_FMT_RGB32, width, height, kCanvasAlignment);
    if (size < 0)
        return size;
    ist->sub2video.ref.reset(av_buffer_allocz(size_t(size)));
    return ist->sub2video.ref ? 0 : AVERROR(ENOMEM);
}

int configureVideoInput(GraphRecord* fg, GraphInput* ifilter, AVFilterInOut* in) {
    SourceStream* ist = ifilter->ist;
    const bool forced_rate = isValidRational(ist->framerate);
    const AVRational time_base = forced_rate ? av_inv_q(ist->framerate) : ist->st->time_base;
    const AVRational frame_rate = forced_rate ? ist->framerate : ist->st->r_frame_rate;
    if (!isValidRational(time_base)) {
        av_log(nullptr, AV_LOG_ERROR, "Invalid time base %d/%d for input stream %d:%d.\n",
               time_base.num, time_base.den, ist->file_index, ist->st->index);
        return AVERROR(EINVAL);
    }
    if (ist->st->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) {
        const int ret = makeSubtitleCanvas(ist);
        if (ret < 0)
            return ret;
    }

    const AVCodecContext* dec = ist->dec_ctx.get();
    AVRational aspect =
        ist->st->sample_aspect_ratio.num ? ist->st->sample_aspect_ratio : dec->sample_aspect_ratio;
    if (!aspect.den)
        aspect = {0, 1};
    std::string args = tc_graph_text(
        "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", dec->width, dec->height,
        dec->pix_fmt, time_base.num, time_base.den, aspect.num, aspect.den);
    if (frame_rate.num && frame_rate.den)
        args += tc_graph_text(":frame_rate=%d/%d", frame_rate.num, frame_rate.den);

    AVFilterContext* source = nullptr;
    int ret = tc_graph_create_filter(&source, fg->graph.get(), "buffer", sourceName(fg, ist),
                                     args.c_str());
    if (ret < 0)
        return ret;
    ifilter->filter = source;
    if (!forced_rate)
        return avfilter_link(source, 0, in->filter_ctx, unsigned(in->pad_idx));

    AVFilterContext* setpts = nullptr;
    const std::string name =
        tc_graph_text("force CFR for input from stream %d:%d", ist->file_index, ist->st->index);
    ret = tc_graph_create_filter(&setpts, fg->graph.get(), "setpts", name, "N");
    if (ret < 0)
        return ret;
    ret = avfilter_link(setpts, 0, in->filter_ctx, unsigned(in->pad_idx));
    if (ret < 0)
        return ret;
    return avfilter_link(source, 0, setpts, 0);
}

} // namespace

int tc_configure_graph_input(GraphRecord* fg, GraphInput* ifilter, AVFilterInOut* in) {
    ifilter->name = tc_graph_link_name(in, false);
    switch (tc_graph_pad_type(in, false)) {
    case AVMEDIA_TYPE_AUDIO:
        return configureAudioInput(fg, ifilter, in);
    case AVMEDIA_TYPE_VIDEO:
        return configureVideoInput(fg, ifilter, in);
    default:
        return AVERROR(EINVAL);
    }
}
