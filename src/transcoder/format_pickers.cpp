#include "transcoder/filter_graphs.h"
#include "transcoder/graph_setup.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

namespace {

constexpr AVPixelFormat kLooseMjpegFormats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P,
                                                AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P,
                                                AV_PIX_FMT_NONE};
constexpr AVPixelFormat kLooseLjpegFormats[] = {
    AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV420P,
    AV_PIX_FMT_YUV422P,  AV_PIX_FMT_YUV444P,  AV_PIX_FMT_BGRA,     AV_PIX_FMT_NONE};

// Significant bits a sample of the format carries; converting to a format with fewer loses
// information.
int precisionBits(AVSampleFormat format) {
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return 8;
    case AV_SAMPLE_FMT_S16:
        return 16;
    case AV_SAMPLE_FMT_FLT:
        return 24;
    case AV_SAMPLE_FMT_S32:
        return 32;
    case AV_SAMPLE_FMT_DBL:
        return 53;
    case AV_SAMPLE_FMT_S64:
        return 64;
    default:
        return 0;
    }
}

bool isLossless(const AVCodec* codec) {
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->id);
    return descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS);
}

const char* pixelFormatName(AVPixelFormat format) {
    const char* name = av_get_pix_fmt_name(format);
    return name ? name : "none";
}

} // namespace

const AVPixelFormat* tc_graph_encoder_pixel_formats(const TargetStream* ost, const AVCodec* codec) {
    if (!codec || !codec->pix_fmts)
        return nullptr;
    const AVCodecContext* enc = ost ? ost->enc_ctx.get() : nullptr;
    if (enc && enc->strict_std_compliance < FF_COMPLIANCE_NORMAL) {
        if (codec->id == AV_CODEC_ID_MJPEG)
            return kLooseMjpegFormats;
        if (codec->id == AV_CODEC_ID_LJPEG)
            return kLooseLjpegFormats;
    }
    return codec->pix_fmts;
}

AVPixelFormat tc_pick_pixel_format(TargetStream* ost, const AVCodec* codec, AVPixelFormat target) {
    const AVPixelFormat* formats = tc_graph_encoder_pixel_formats(ost, codec);
    if (!formats)
        return target;

    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(target);
    const int has_alpha = descriptor ? descriptor->nb_components % 2 == 0 : 0;
    AVPixelFormat best = AV_PIX_FMT_NONE;
    bool supported = false;
    for (const AVPixelFormat* p = formats; *p != AV_PIX_FMT_NONE; ++p) {
        best = av_find_best_pix_fmt_of_2(best, *p, target, has_alpha, nullptr);
        supported = supported || *p == target;
    }
    if (supported)
        return target;
    if (target != AV_PIX_FMT_NONE)
        av_log(nullptr, AV_LOG_WARNING,
               "Incompatible pixel format '%s' for codec '%s', auto-selecting format '%s'\n",
               pixelFormatName(target), codec->name, pixelFormatName(best));
    return best;
}

void tc_pick_sample_format(TargetStream* ost, const AVCodec* codec) {
    if (!codec || !codec->sample_fmts || !ost || !ost->enc_ctx)
        return;
    AVCodecContext* enc = ost->enc_ctx.get();
    for (const AVSampleFormat* p = codec->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
        if (*p == enc->sample_fmt)
            return;

    const AVSampleFormat first = codec->sample_fmts[0];
    if (isLossless(codec) && precisionBits(enc->sample_fmt) > precisionBits(first))
        av_log(nullptr, AV_LOG_ERROR, "Conversion will not be lossless.\n");
    if (const char* requested = av_get_sample_fmt_name(enc->sample_fmt))
        av_log(nullptr, AV_LOG_WARNING,
               "Incompatible sample format '%s' for codec '%s', auto-selecting format '%s'\n",
               requested, codec->name, av_get_sample_fmt_name(first));
    enc->sample_fmt = first;
}
