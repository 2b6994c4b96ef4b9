#include "transcoder/tool_help.h"

#include "transcoder/tool_generic_options.h"
#include "transcoder/tool_listings.h"
#include "transcoder/tool_logging.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void printDefaultHelp(const char* topic) {
    if (auto* help = tc_state().print_help)
        help(topic);
}

const char* threadingText(int caps) {
    const bool frame = caps & AV_CODEC_CAP_FRAME_THREADS;
    const bool slice = caps & AV_CODEC_CAP_SLICE_THREADS;
    if (frame && slice)
        return "frame and slice";
    if (frame)
        return "frame";
    if (slice)
        return "slice";
    return "no";
}

void printSupportedLists(const AVCodec* c) {
    if (c->supported_framerates) {
        std::printf("    Supported framerates:");
        for (const AVRational* fps = c->supported_framerates; fps->num; ++fps)
            std::printf(" %d/%d", fps->num, fps->den);
        std::printf("\n");
    }
    if (c->pix_fmts) {
        std::printf("    Supported pixel formats:");
        for (const AVPixelFormat* fmt = c->pix_fmts; *fmt != AV_PIX_FMT_NONE; ++fmt) {
            const char* name = av_get_pix_fmt_name(*fmt);
            std::printf(" %s", name ? name : "?");
        }
        std::printf("\n");
    }
    if (c->supported_samplerates) {
        std::printf("    Supported sample rates:");
        for (const int* rate = c->supported_samplerates; *rate; ++rate)
            std::printf(" %d", *rate);
        std::printf("\n");
    }
    if (c->sample_fmts) {
        std::printf("    Supported sample formats:");
        for (const AVSampleFormat* fmt = c->sample_fmts; *fmt != AV_SAMPLE_FMT_NONE; ++fmt) {
            const char* name = av_get_sample_fmt_name(*fmt);
            std::printf(" %s", name ? name : "?");
        }
        std::printf("\n");
    }
    if (c->ch_layouts) {
        std::printf("    Supported channel layouts:");
        for (const AVChannelLayout* layout = c->ch_layouts; layout->nb_channels; ++layout) {
            char name[128];
            if (av_channel_layout_describe(layout, name, sizeof(name)) < 0)
                std::snprintf(name, sizeof(name), "?");
            std::printf(" %s", name);
        }
        std::printf("\n");
    }
}

void printDefaultCodec(const char* kind, AVCodecID id) {
    if (id == AV_CODEC_ID_NONE)
        return;
    if (const AVCodecDescriptor* desc = avcodec_descriptor_get(id))
        std::printf("    Default %s codec: %s.\n", kind, desc->name);
}

void showDemuxerHelp(const char* name) {
    const AVInputFormat* fmt = av_find_input_format(name);
    if (!fmt) {
        av_log(nullptr, AV_LOG_ERROR, "Unknown format '%s'.\n", name);
        return;
    }
    std::printf("Demuxer %s [%s]:\n", fmt->name, fmt->long_name ? fmt->long_name : "");
    if (fmt->extensions)
        std::printf("    Common extensions: %s.\n", fmt->extensions);
    if (fmt->priv_class)
        tool_print_class_help(fmt->priv_class, AV_OPT_FLAG_DECODING_PARAM);
}

void showMuxerHelp(const char* name) {
    const AVOutputFormat* fmt = av_guess_format(name, nullptr, nullptr);
    if (!fmt) {
        av_log(nullptr, AV_LOG_ERROR, "Unknown format '%s'.\n", name);
        return;
    }
    std::printf("Muxer %s [%s]:\n", fmt->name, fmt->long_name ? fmt->long_name : "");
    if (fmt->extensions)
        std::printf("    Common extensions: %s.\n", fmt->extensions);
    if (fmt->mime_type)
        std::printf("    Mime type: %s.\n", fmt->mime_type);
    printDefaultCodec("video", fmt->video_codec);
    printDefaultCodec("audio", fmt->audio_codec);
    printDefaultCodec("subtitle", fmt->subtitle_codec);
    if (fmt->priv_class)
        tool_print_class_help(fmt->priv_class, AV_OPT_FLAG_ENCODING_PARAM);
}

} // namespace

void tool_print_codec(const AVCodec* c) {
    const int encoder = av_codec_is_encoder(c);
    std::printf("%s %s [%s]:\n", encoder ? "Encoder" : "Decoder", c->name,
                c->long_name ? c->long_name : "");
    if (c->type == AVMEDIA_TYPE_VIDEO)
        std::printf("    Threading capabilities: %s\n", threadingText(c->capabilities));
    printSupportedLists(c);
    if (c->priv_class)
        tool_print_class_help(c->priv_class,
                              AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_DECODING_PARAM);
}

void tool_show_codec_help(const char* name, int encoder) {
    if (!name || !*name) {
        av_log(nullptr, AV_LOG_ERROR, "No codec name specified.\n");
        return;
    }
    const AVCodec* codec =
        encoder ? avcodec_find_encoder_by_name(name) : avcodec_find_decoder_by_name(name);
    if (codec) {
        tool_print_codec(codec);
        return;
    }
    const AVCodecDescriptor* desc = avcodec_descriptor_get_by_name(name);
    if (!desc) {
        av_log(nullptr, AV_LOG_ERROR, "Codec '%s' is not recognized by FFmpeg.\n", name);
        return;
    }
    bool printed = false;
    void* iter = nullptr;
    while ((codec = tool_next_codec_for_id(desc->id, &iter, encoder))) {
        printed = true;
        tool_print_codec(codec);
    }
    if (!printed)
        av_log(nullptr, AV_LOG_ERROR,
               "Codec '%s' is known to FFmpeg, but no %s for it are available. FFmpeg might "
               "need to be recompiled with additional external libraries.\n",
               name, encoder ? "encoders" : "decoders");
}

int tool_show_help(const char*, const char* arg) {
    av_log_set_callback(tool_log_to_stdout);
    std::string topic = arg ? arg : "";
    std::string name;
    const std::string::size_type equals = topic.find('=');
    if (equals != std::string::npos) {
        name = topic.substr(equals + 1);
        topic.resize(equals);
    }

    if (topic == "decoder")
        tool_show_codec_help(name.c_str(), 0);
    else if (topic == "encoder")
        tool_show_codec_help(name.c_str(), 1);
    else if (topic == "demuxer")
        showDemuxerHelp(name.c_str());
    else if (topic == "muxer")
        showMuxerHelp(name.c_str());
    else
        printDefaultHelp(topic.c_str());
    return 0;
}
