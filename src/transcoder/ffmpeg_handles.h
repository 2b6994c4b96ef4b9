#pragma once

// Owning handles for the FFmpeg objects the transcoder records hold.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/buffer.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
}

#include <memory>

struct InputContextClose {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextClose>;

// An output context closes its file too, unless its format writes none.
struct OutputContextClose {
    void operator()(AVFormatContext* ctx) const {
        if (ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextClose>;

struct CodecContextFree {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;

struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

struct DictionaryFree {
    void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryFree>;

struct FilterGraphFree {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFree>;

struct FilterInOutFree {
    void operator()(AVFilterInOut* inout) const { avfilter_inout_free(&inout); }
};
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutFree>;

struct BitstreamFilterFree {
    void operator()(AVBSFContext* bsf) const { av_bsf_free(&bsf); }
};
using BitstreamFilterPtr = std::unique_ptr<AVBSFContext, BitstreamFilterFree>;

struct BufferUnref {
    void operator()(AVBufferRef* buf) const { av_buffer_unref(&buf); }
};
using BufferRefPtr = std::unique_ptr<AVBufferRef, BufferUnref>;

struct IOContextClose {
    void operator()(AVIOContext* io) const { avio_closep(&io); }
};
using IOContextPtr = std::unique_ptr<AVIOContext, IOContextClose>;
