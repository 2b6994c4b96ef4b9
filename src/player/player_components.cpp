// Opening and closing the audio, video and subtitle components of a preview.

#include "player/player_core.h"
#include "player/player_internal.h"
#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/log.h>
}

#include <memory>
#include <system_error>

namespace {

struct DictionaryFree {
    void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryFree>;

struct CodecContextFree {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;

void applyDecoderSettings(AVCodecContext* ctx, const AVCodec* codec) {
    ctx->workaround_bugs = player_settings.workaround_bugs;
    int lowres = player_settings.lowres;
    if (lowres > codec->max_lowres) {
        av_log(ctx, AV_LOG_WARNING, "The maximum value for lowres supported by the decoder is %d\n",
               codec->max_lowres);
        lowres = codec->max_lowres;
    }
    ctx->lowres = lowres;
    ctx->idct_algo = player_settings.idct;
    ctx->skip_frame = AVDiscard(player_settings.skip_frame);
    ctx->skip_idct = AVDiscard(player_settings.skip_idct);
    ctx->skip_loop_filter = AVDiscard(player_settings.skip_loop_filter);
    ctx->error_concealment = player_settings.error_concealment;
    if (player_settings.fast)
        ctx->flags2 |= AV_CODEC_FLAG2_FAST;
}

// The stream's decoder, opened with the options that apply to it; null on failure (err
// then holds the reason).
CodecContextPtr openDecoder(VideoState* is, AVStream* st, int* err) {
    *err = -1;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    DictionaryPtr options(
        tool_filter_codec_options(tool_codec_options, st->codecpar->codec_id, is->ic, st, codec));
    if (!codec)
        return nullptr;
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0)
        return nullptr;
    ctx->pkt_timebase = st->time_base;
    applyDecoderSettings(ctx.get(), codec);
    // Frame threads would hold back one frame per thread: the sound would start late and
    // a file's last frames would never come out.
    if (ctx->codec_type == AVMEDIA_TYPE_AUDIO)
        ctx->thread_type = FF_THREAD_SLICE;

    AVDictionary* raw = options.release();
    if (!av_dict_get(raw, "threads", nullptr, 0))
        av_dict_set(&raw, "threads", "auto", 0);
    const int opened = avcodec_open2(ctx.get(), codec, &raw);
    options.reset(raw);
    if (opened < 0)
        return nullptr;
    if (const AVDictionaryEntry* left =
            av_dict_get(options.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        av_log(nullptr, AV_LOG_ERROR, "Option %s not found.\n", left->key);
        *err = AVERROR_OPTION_NOT_FOUND;
        return nullptr;
    }
    *err = 0;
    return ctx;
}

int openAudio(VideoState* is, int index, AVStream* st, CodecContextPtr ctx) {
    SDL_AudioDeviceID device = 0;
    const int hwBufSize =
        player_audio_open(is, &ctx->ch_layout, ctx->sample_rate, &is->audio_tgt, &device);
    if (hwBufSize < 0)
        return -1;
    av_channel_layout_uninit(&is->audio_src.ch_layout);
    av_channel_layout_copy(&is->audio_src.ch_layout, &is->audio_tgt.ch_layout);
    is->audio_src.freq = is->audio_tgt.freq;
    is->audio_src.channels = is->audio_tgt.channels;
    is->audio_src.fmt = is->audio_tgt.fmt;
    is->audio_hw_buf_size = hwBufSize;

    st->discard = AVDISCARD_DEFAULT;
    is->audio_dec = ctx.release();
    is->audio_st = st;
    is->audio_buf_size = 0;
    is->audio_buf_index = 0;
    is->audio_finished = 0;
    is->audio_diff_avg_coef = kPlayerAudioDiffAvgCoef;
    is->audio_diff_avg_count = 0;
    is->audio_diff_threshold =
        2.0 * is->audio_hw_buf_size / player_audio_bytes_per_second(is->audio_tgt);
    av_packet_unref(&is->audio_pkt);
    av_packet_unref(&is->audio_pkt_temp);
    player_queue_start(&is->audioq);
    is->audio_stream = index;
    is->audio_start_pending = 1;
    // Last: a resume from the owner may start the callback the moment the device is seen.
    player_audio_publish(is, device);
    return 0;
}

// Starts a decoder thread; false when the system has no thread to give.
template <typename Function>
bool startThread(std::thread& thread, Function function, VideoState* is) {
    try {
        thread = std::thread(function, is);
        return true;
    } catch (const std::system_error& error) {
        av_log(nullptr, AV_LOG_ERROR, "Could not start a decoder thread: %s\n", error.what());
        return false;
    }
}

int openVideo(VideoState* is, int index, AVStream* st, CodecContextPtr ctx) {
    const AVRational rate = av_guess_frame_rate(is->ic, st, nullptr);
    is->video_frame_duration = rate.num && rate.den ? av_q2d(av_inv_q(rate)) : 0.0;
    st->discard = AVDISCARD_DEFAULT;
    is->video_dec = ctx.release();
    is->video_st = st;
    is->video_stream = index;
    player_queue_start(&is->videoq);
    if (startThread(is->video_tid, player_video_decoder_thread, is))
        return 0;
    player_close_component(is, index);
    return -1;
}

int openSubtitle(VideoState* is, int index, AVStream* st, CodecContextPtr ctx) {
    st->discard = AVDISCARD_DEFAULT;
    is->subtitle_dec = ctx.release();
    is->subtitle_st = st;
    is->subtitle_stream = index;
    player_queue_start(&is->subtitleq);
    if (startThread(is->subtitle_tid, player_subtitle_decoder_thread, is))
        return 0;
    player_close_component(is, index);
    return -1;
}

void closeAudio(VideoState* is) {
    player_queue_abort(&is->audioq);
    player_audio_close(is);
    player_queue_flush(&is->audioq);
    av_packet_unref(&is->audio_pkt);
    av_packet_unref(&is->audio_pkt_temp);
    swr_free(&is->swr_ctx);
    av_freep(&is->audio_buf1);
    is->audio_buf = nullptr;
    is->audio_buf_size = 0;
    av_frame_free(&is->frame);
    if (is->rdft) {
        av_rdft_end(is->rdft);
        av_freep(&is->rdft_data);
        is->rdft = nullptr;
    }
    avcodec_free_context(&is->audio_dec);
    is->audio_st = nullptr;
    is->audio_stream = -1;
}

void closeVideo(VideoState* is) {
    player_queue_abort(&is->videoq);
    {
        std::lock_guard lock(is->pictq_mutex);
        is->pictq_cond.notify_all();
    }
    if (is->video_tid.joinable())
        is->video_tid.join();
    player_queue_flush(&is->videoq);
    avcodec_free_context(&is->video_dec);
    is->video_st = nullptr;
    is->video_stream = -1;
}

void closeSubtitle(VideoState* is) {
    player_queue_abort(&is->subtitleq);
    {
        std::lock_guard lock(is->subpq_mutex);
        is->subtitle_stream_changed = 1;
        is->subpq_cond.notify_all();
    }
    if (is->subtitle_tid.joinable())
        is->subtitle_tid.join();
    player_queue_flush(&is->subtitleq);
    avcodec_free_context(&is->subtitle_dec);
    is->subtitle_st = nullptr;
    is->subtitle_stream = -1;
}

} // namespace

int player_open_component(VideoState* is, int stream_index) {
    AVFormatContext* ic = is->ic;
    if (stream_index < 0 || unsigned(stream_index) >= ic->nb_streams)
        return -1;
    AVStream* st = ic->streams[stream_index];
    int err = 0;
    CodecContextPtr ctx = openDecoder(is, st, &err);
    if (!ctx)
        return err;
    switch (ctx->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        return openAudio(is, stream_index, st, std::move(ctx));
    case AVMEDIA_TYPE_VIDEO:
        return openVideo(is, stream_index, st, std::move(ctx));
    case AVMEDIA_TYPE_SUBTITLE:
        return openSubtitle(is, stream_index, st, std::move(ctx));
    default:
        return -1;
    }
}

void player_close_component(VideoState* is, int stream_index) {
    AVFormatContext* ic = is->ic;
    if (stream_index < 0 || unsigned(stream_index) >= ic->nb_streams)
        return;
    AVStream* st = ic->streams[stream_index];
    switch (st->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        closeAudio(is);
        break;
    case AVMEDIA_TYPE_VIDEO:
        closeVideo(is);
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        closeSubtitle(is);
        break;
    default:
        return;
    }
    st->discard = AVDISCARD_ALL;
}
