#include "transcoder/filter_graphs.h"
#include "transcoder/graph_setup.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

namespace {

// Lists inside filter arguments are separated by '|': ':' separates the options themselves.
constexpr char kListSeparator = '|';

// The point of the graph that the next filter towards the sink is linked from.
struct LinkSource {
    AVFilterContext* filter;
    unsigned pad;
};

void appendItem(std::string& list, const std::string& item) {
    if (!list.empty())
        list += kListSeparator;
    list += item;
}

int appendFilter(LinkSource& last, AVFilterGraph* graph, const char* filter_name,
                 const std::string& instance_name, const std::string& args) {
    AVFilterContext* filter = nullptr;
    int ret = tc_graph_create_filter(&filter, graph, filter_name, instance_name, args.c_str());
    if (ret < 0)
        return ret;
    ret = avfilter_link(last.filter, last.pad, filter, 0);
    if (ret < 0)
        return ret;
    last = {filter, 0};
    return 0;
}

int linkToSink(const LinkSource& last, AVFilterContext* sink) {
    const int ret = avfilter_link(last.filter, last.pad, sink, 0);
    return ret < 0 ? ret : 0;
}

std::string panArguments(const TargetStream* ost) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, ost->audio_channels_mapped);
    std::string args = tc_graph_layout_text(layout);
    av_channel_layout_uninit(&layout);
    for (int i = 0; i < ost->audio_channels_mapped; ++i)
        if (ost->audio_channels_map[i] != -1)
            args += tc_graph_text("%cc%d=c%d", kListSeparator, i, ost->audio_channels_map[i]);
    return args;
}

std::string sampleFormatList(const AVCodecContext* enc, const AVCodec* codec) {
    if (enc->sample_fmt != AV_SAMPLE_FMT_NONE)
        return av_get_sample_fmt_name(enc->sample_fmt);
    std::string list;
    for (const AVSampleFormat* p = codec ? codec->sample_fmts : nullptr;
         p && *p != AV_SAMPLE_FMT_NONE; ++p)
        appendItem(list, av_get_sample_fmt_name(*p));
    return list;
}

std::string sampleRateList(const AVCodecContext* enc, const AVCodec* codec) {
    if (enc->sample_rate)
        return tc_graph_text("%d", enc->sample_rate);
    std::string list;
    for (const int* p = codec ? codec->supported_samplerates : nullptr; p && *p; ++p)
        appendItem(list, tc_graph_text("%d", *p));
    return list;
}

bool hasLayout(const AVChannelLayout& layout) {
    return layout.nb_channels > 0 && layout.order != AV_CHANNEL_ORDER_UNSPEC;
}

std::string channelLayoutList(const AVCodecContext* enc, const AVCodec* codec) {
    if (hasLayout(enc->ch_layout))
        return tc_graph_layout_text(enc->ch_layout);
    std::string list;
    for (const AVChannelLayout* p = codec ? codec->ch_layouts : nullptr; p && p->nb_channels; ++p)
        appendItem(list, tc_graph_layout_text(*p));
    return list;
}

void appendPart(std::string& args, const char* key, const std::string& list) {
    if (list.empty())
        return;
    if (!args.empty())
        args += ':';
    args += key;
    args += '=';
    args += list;
}

int attachAudioOutput(GraphRecord* fg, GraphOutput* ofilter, AVFilterInOut* out) {
    TargetStream* ost = ofilter->ost;
    AVCodecContext* enc = ost->enc_ctx.get();
    AVFilterGraph* graph = fg->graph.get();
    AVFilterContext* sink = nullptr;
    int ret = tc_graph_create_filter(
        &sink, graph, "abuffersink",
        tc_graph_text("output stream %d:%d", ost->file_index, ost->index), nullptr);
    if (ret < 0)
        return ret;
    ofilter->filter = sink;

    LinkSource last{out->filter_ctx, unsigned(out->pad_idx)};
    if (ost->audio_channels_mapped) {
        const std::string pan = panArguments(ost);
        av_log(nullptr, AV_LOG_INFO,
               "-map_channel is forwarded to lavfi similarly to -af pan=%s.\n", pan.c_str());
        ret = appendFilter(last, graph, "pan", "pan", pan);
        if (ret < 0)
            return ret;
    }
    if (enc->ch_layout.nb_channels > 0 && enc->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = enc->ch_layout.nb_channels;
        av_channel_layout_uninit(&enc->ch_layout);
        av_channel_layout_default(&enc->ch_layout, channels);
    }

    std::string args;
    appendPart(args, "sample_fmts", sampleFormatList(enc, ost->enc));
    appendPart(args, "sample_rates", sampleRateList(enc, ost->enc));
    appendPart(args, "channel_layouts", channelLayoutList(enc, ost->enc));
    if (!args.empty()) {
        ret = appendFilter(
            last, graph, "aformat",
            tc_graph_text("audio format for output stream %d:%d", ost->file_index, ost->index),
            args);
        if (ret < 0)
            return ret;
    }
    return linkToSink(last, sink);
}

std::string pixelFormatName(AVPixelFormat format) {
    const char* name = av_get_pix_fmt_name(format);
    return name ? name : "";
}

std::string pixelFormatList(AVFilterGraph* graph, TargetStream* ost) {
    const AVCodecContext* enc = ost->enc_ctx.get();
    const bool has_format = enc->pix_fmt != AV_PIX_FMT_NONE;
    if (ost->keep_pix_fmt) {
        avfilter_graph_set_auto_convert(graph, AVFILTER_AUTO_CONVERT_NONE);
        return has_format ? pixelFormatName(enc->pix_fmt) : "";
    }
    if (has_format)
        return pixelFormatName(tc_pick_pixel_format(ost, ost->enc, enc->pix_fmt));
    std::string list;
    const AVPixelFormat* p = tc_graph_encoder_pixel_formats(ost, ost->enc);
    for (; p && *p != AV_PIX_FMT_NONE; ++p)
        appendItem(list, pixelFormatName(*p));
    return list;
}

int attachVideoOutput(GraphRecord* fg, GraphOutput* ofilter, AVFilterInOut* out) {
    TargetStream* ost = ofilter->ost;
    const AVCodecContext* enc = ost->enc_ctx.get();
    AVFilterGraph* graph = fg->graph.get();
    AVFilterContext* sink = nullptr;
    int ret = tc_graph_create_filter(
        &sink, graph, "buffersink",
        tc_graph_text("output stream %d:%d", ost->file_index, ost->index), nullptr);
    if (ret < 0)
        return ret;
    ofilter->filter = sink;

    LinkSource last{out->filter_ctx, unsigned(out->pad_idx)};
    if (enc->width || enc->height) {
        const std::string args =
            tc_graph_text("%d:%d:flags=0x%X", enc->width, enc->height, unsigned(ost->sws_flags));
        ret = appendFilter(
            last, graph, "scale",
            tc_graph_text("scaler for output stream %d:%d", ost->file_index, ost->index), args);
        if (ret < 0)
            return ret;
    }
    const std::string formats = pixelFormatList(graph, ost);
    if (!formats.empty()) {
        ret = appendFilter(
            last, graph, "format",
            tc_graph_text("pixel format for output stream %d:%d", ost->file_index, ost->index),
            formats);
        if (ret < 0)
            return ret;
    }
    return linkToSink(last, sink);
}

} // namespace

int tc_attach_graph_output(GraphRecord* fg, GraphOutput* ofilter, AVFilterInOut* out) {
    if (!fg || !fg->graph || !ofilter || !ofilter->ost || !ofilter->ost->enc_ctx || !out)
        return AVERROR(EINVAL);
    ofilter->name = tc_graph_link_name(out, true);
    switch (tc_graph_pad_type(out, true)) {
    case AVMEDIA_TYPE_AUDIO:
        return attachAudioOutput(fg, ofilter, out);
    case AVMEDIA_TYPE_VIDEO:
        return attachVideoOutput(fg, ofilter, out);
    default:
        return AVERROR(EINVAL);
    }
}
