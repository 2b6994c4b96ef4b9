// Video and subtitle decoding of a preview, and the tick thread that takes shown pictures and
// subtitles out of their rings.

#include "player/player_core.h"
#include "player/player_internal.h"
#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

constexpr double kNoSyncThreshold = 10.0;
constexpr double kMinSyncThreshold = 0.01;
constexpr double kMaxFilterDelay = 1.0;
// A picture whose display is this far behind is shown at once rather than on its timer.
constexpr double kMaxTimerLag = 0.1;

struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool hasTime(double t) {
    return t != kPlayerNoTime || std::isnan(t);
}

void waitWhilePaused(VideoState* is, PacketQueue* q) {
    while (is->paused && !player_queue_aborted(q))
        sleepMs(10);
}

// After a flush: the queued pictures are dropped and the timing starts again.
void flushPictures(VideoState* is) {
    std::unique_lock lock(is->pictq_mutex);
    for (VideoPicture& picture : is->pictq)
        picture.skip = 1;
    is->pictq_cond.wait(lock,
                        [is] { return is->pictq_size == 0 || player_queue_aborted(&is->videoq); });
    is->video_current_pos = -1;
    is->frame_last_pts = kPlayerNoTime;
    is->frame_last_duration = 0;
    is->frame_timer = player_now_seconds();
    is->frame_last_dropped_pts = kPlayerNoTime;
}

int64_t frameTime(const AVFrame* frame) {
    int64_t t = frame->best_effort_timestamp;
    if (player_settings.decoder_reorder_pts == 1)
        t = frame->pts;
    else if (player_settings.decoder_reorder_pts == 0)
        t = frame->pkt_dts;
    return t == AV_NOPTS_VALUE ? 0 : t;
}

// Late pictures are dropped before they are converted, when audio (or the external clock)
// leads.
bool shouldDropEarly(VideoState* is, int64_t t, int64_t pos) {
    const bool dropping = is->av_sync_type == PLAYER_SYNC_EXTERNAL_CLOCK ||
                          (is->av_sync_type == PLAYER_SYNC_AUDIO_MASTER && is->audio_stream >= 0);
    if (!dropping || player_settings.framedrop <= 0)
        return false;
    std::lock_guard lock(is->pictq_mutex);
    if (!hasTime(is->frame_last_pts) || t == 0)
        return false;
    const double clockDiff = player_video_clock(is) - player_master_clock(is);
    const double seconds = double(t) * av_q2d(is->video_st->time_base);
    const double step = seconds - is->frame_last_pts;
    if (step < kNoSyncThreshold && std::fabs(clockDiff) < kNoSyncThreshold && step > 0 &&
        clockDiff + step - is->frame_last_filter_delay < 0) {
        is->frame_last_dropped_pos = pos;
        is->frame_last_dropped_pts = seconds;
        is->frame_drops_early++;
        return true;
    }
    return false;
}

// 0 to go on, negative to end the thread.
int handleFrame(VideoState* is, AVFrame* frame) {
    const int64_t t = frameTime(frame);
    const int64_t pos = frame->pkt_pos;
    if (shouldDropEarly(is, t, pos))
        return 0;
    const double now = player_now_seconds();
    is->frame_last_returned_time = now;
    is->frame_last_filter_delay = now - is->frame_last_returned_time;
    if (std::fabs(is->frame_last_filter_delay) > kMaxFilterDelay)
        is->frame_last_filter_delay = 0;
    const double seconds = double(t) * av_q2d(is->video_st->time_base);
    if (player_store_picture(is, frame, seconds, pos) < 0)
        return -1;
    if (is->step)
        player_pause_toggle(is);
    return 0;
}

double frameDelay(VideoState* is, const AVFrame* frame) {
    const double base = is->video_frame_duration;
    return base + frame->repeat_pict * (base * 0.5);
}

// Gives the slot a buffer for the frame's size; false when it has none afterwards.
bool allocatePicture(VideoPicture& vp, const AVFrame* frame) {
    if (vp.bmp && !vp.reallocate && vp.width == frame->width && vp.height == frame->height)
        return true;
    std::free(vp.bmp);
    vp.bmp = nullptr;
    vp.allocated = 0;
    vp.reallocate = 0;
    vp.width = frame->width;
    vp.height = frame->height;
    vp.pix_fmt = frame->format;
    if (vp.width > 0 && vp.height > 0)
        vp.bmp = static_cast<uint8_t*>(std::malloc(size_t(vp.width) * size_t(vp.height) * 3));
    vp.allocated = vp.bmp != nullptr;
    return vp.bmp != nullptr;
}

int64_t scalerFlags() {
    int64_t flags = player_settings.sws_flags;
    if (tool_sws_options)
        av_opt_get_int(tool_sws_options, "sws_flags", 0, &flags);
    return flags;
}

bool convertPicture(VideoState* is, VideoPicture& vp, const AVFrame* frame) {
    is->img_convert_ctx = sws_getCachedContext(
        is->img_convert_ctx, vp.width, vp.height, AVPixelFormat(frame->format), vp.width, vp.height,
        AV_PIX_FMT_RGB24, int(scalerFlags()), nullptr, nullptr, nullptr);
    if (!is->img_convert_ctx) {
        std::printf("width:%d,height:%d", vp.width, vp.height);
        std::fprintf(stderr, "Cannot initialize the conversion context\n");
        return false;
    }
    uint8_t* dst[4] = {vp.bmp, nullptr, nullptr, nullptr};
    int dstLinesize[4] = {vp.width * 3, 0, 0, 0};
    sws_scale(is->img_convert_ctx, frame->data, frame->linesize, 0, vp.height, dst, dstLinesize);
    return true;
}

void convertPalette(AVSubtitleRect* rect) {
    auto* palette = reinterpret_cast<uint32_t*>(rect->data[1]);
    if (!palette)
        return;
    for (int i = 0; i < rect->nb_colors; ++i) {
        const int a = int(palette[i] >> 24), r = int((palette[i] >> 16) & 0xff);
        const int g = int((palette[i] >> 8) & 0xff), b = int(palette[i] & 0xff);
        const int y = (263 * r + 516 * g + 100 * b + 16896) >> 10;
        const int u = ((-152 * r - 298 * g + 450 * b + 511) >> 10) + 128;
        const int v = ((450 * r - 377 * g - 73 * b + 511) >> 10) + 128;
        palette[i] = uint32_t(a) << 24 | uint32_t(y) << 16 | uint32_t(u) << 8 | uint32_t(v);
    }
}

// 0 to go on, negative when the subtitle queue was aborted.
int decodeSubtitle(VideoState* is, AVPacket* pkt) {
    {
        std::unique_lock lock(is->subpq_mutex);
        is->subpq_cond.wait(lock, [is] {
            return is->subpq_size < kPlayerSubPictureQueueSize ||
                   player_queue_aborted(&is->subtitleq);
        });
    }
    if (player_queue_aborted(&is->subtitleq))
        return -1;
    SubPicture& sp = is->subpq[is->subpq_windex];
    sp.pts = pkt->pts != AV_NOPTS_VALUE ? double(pkt->pts) * av_q2d(is->subtitle_st->time_base) : 0;
    int got = 0;
    if (avcodec_decode_subtitle2(is->subtitle_dec, &sp.sub, &got, pkt) < 0 || !got)
        return 0;
    if (sp.sub.format != 0) {
        // Only bitmap subtitles are kept.
        avsubtitle_free(&sp.sub);
        return 0;
    }
    for (unsigned i = 0; i < sp.sub.num_rects; ++i)
        convertPalette(sp.sub.rects[i]);
    is->subpq_windex = (is->subpq_windex + 1) % kPlayerSubPictureQueueSize;
    std::lock_guard lock(is->subpq_mutex);
    is->subpq_size++;
    return 0;
}

// How long after the previous picture this one is due, nudged towards the master clock.
double pictureDelay(VideoState* is, const VideoPicture& vp) {
    double delay = 0.0;
    if (hasTime(is->frame_last_pts)) {
        delay = vp.pts - is->frame_last_pts;
        if (!(delay > 0 && delay < kNoSyncThreshold))
            delay = is->frame_last_duration;
    }
    const bool videoLeads = is->av_sync_type == PLAYER_SYNC_VIDEO_MASTER ||
                            (is->av_sync_type == PLAYER_SYNC_AUDIO_MASTER && is->audio_stream < 0);
    if (videoLeads)
        return delay;
    const double diff = player_video_clock(is) - player_master_clock(is);
    const double threshold = std::max(kMinSyncThreshold, delay);
    if (std::fabs(diff) < kNoSyncThreshold) {
        if (diff <= -threshold)
            delay = 0;
        else if (diff >= threshold)
            delay = 2 * delay;
    }
    return delay;
}

// Called under the picture lock: true when the picture's time has come (it is then the
// current one).
bool showPictureWhenDue(VideoState* is, const VideoPicture& vp) {
    const double now = player_now_seconds();
    const double delay = pictureDelay(is, vp);
    if (now < is->frame_timer + delay)
        return false;
    is->frame_timer += delay;
    if (now - is->frame_timer > kMaxTimerLag)
        is->frame_timer = now;
    is->frame_last_duration = delay;
    is->frame_last_pts = vp.pts;
    is->video_current_pts = vp.pts;
    is->video_current_pts_drift = vp.pts - now;
    is->video_current_pos = vp.pos;
    return true;
}

void retirePictures(VideoState* is) {
    std::lock_guard lock(is->pictq_mutex);
    while (is->pictq_size > 0) {
        const VideoPicture& vp = is->pictq[is->pictq_rindex];
        if (!vp.skip && !showPictureWhenDue(is, vp))
            break;
        is->pictq_rindex = (is->pictq_rindex + 1) % kPlayerPictureQueueSize;
        is->pictq_size--;
        is->pictq_cond.notify_all();
    }
}

void retireSubtitles(VideoState* is) {
    const double now = player_master_clock(is);
    std::lock_guard lock(is->subpq_mutex);
    while (is->subpq_size > 0) {
        SubPicture& sp = is->subpq[is->subpq_rindex];
        if (sp.pts > now)
            break;
        avsubtitle_free(&sp.sub);
        is->subpq_rindex = (is->subpq_rindex + 1) % kPlayerSubPictureQueueSize;
        is->subpq_size--;
        is->subpq_cond.notify_all();
    }
}

} // namespace

void player_video_decoder_thread(VideoState* is) {
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return;
    for (;;) {
        waitWhilePaused(is, &is->videoq);
        AVPacket pkt{};
        if (player_queue_get(&is->videoq, &pkt, 1) < 0)
            return;
        if (player_is_flush_packet(&pkt)) {
            avcodec_flush_buffers(is->video_dec);
            flushPictures(is);
            continue;
        }
        // An empty packet drains the decoder; a damaged one is skipped.
        avcodec_send_packet(is->video_dec, pkt.data || pkt.size ? &pkt : nullptr);
        av_packet_unref(&pkt);
        while (avcodec_receive_frame(is->video_dec, frame.get()) >= 0) {
            const int ret = handleFrame(is, frame.get());
            av_frame_unref(frame.get());
            if (ret < 0)
                return;
        }
    }
}

int player_store_picture(VideoState* is, AVFrame* src_frame, double pts, int64_t pos) {
    if (pts != 0 || std::isnan(pts))
        is->video_clock = pts;
    else
        pts = is->video_clock;
    const double delay = frameDelay(is, src_frame);
    is->video_clock = pts + delay;

    {
        std::unique_lock lock(is->pictq_mutex);
        is->pictq_cond.wait(lock, [is] {
            return is->pictq_size < kPlayerPictureQueueSize || player_queue_aborted(&is->videoq);
        });
    }
    if (player_queue_aborted(&is->videoq))
        return -1;

    VideoPicture& vp = is->pictq[is->pictq_windex];
    if (!allocatePicture(vp, src_frame)) {
        std::printf("decode 0 width and 0 height");
        return 0;
    }
    if (!convertPicture(is, vp, src_frame))
        return -1;
    vp.pts = pts;
    vp.duration = delay;
    vp.pos = pos;
    vp.pict_type = src_frame->pict_type;
    vp.skip = 0;
    is->pictq_windex = (is->pictq_windex + 1) % kPlayerPictureQueueSize;
    std::lock_guard lock(is->pictq_mutex);
    is->pictq_size++;
    return 0;
}

void player_subtitle_decoder_thread(VideoState* is) {
    for (;;) {
        waitWhilePaused(is, &is->subtitleq);
        AVPacket pkt{};
        if (player_queue_get(&is->subtitleq, &pkt, 1) < 0)
            return;
        if (player_is_flush_packet(&pkt)) {
            avcodec_flush_buffers(is->subtitle_dec);
            continue;
        }
        const int ret = decodeSubtitle(is, &pkt);
        av_packet_unref(&pkt);
        if (ret < 0)
            return;
    }
}

// Stands in for the display's refresh events: nothing shows pictures or subtitles, so each
// tick retires those whose time has come.
void player_tick_thread(VideoState* is) {
    while (!is->abort_request) {
        if (!is->refresh.exchange(1)) {
            player_retire_shown(is);
            is->refresh = 0;
        }
        const bool audioDisplay = is->audio_stream >= 0 && is->show_mode != PLAYER_SHOW_MODE_VIDEO;
        sleepMs(audioDisplay ? player_settings.rdftspeed_ms : 5);
    }
}

void player_retire_shown(VideoState* is) {
    retirePictures(is);
    retireSubtitles(is);
}

void player_free_rings(VideoState* is) {
    for (VideoPicture& picture : is->pictq) {
        std::free(picture.bmp);
        picture.bmp = nullptr;
    }
    is->pictq_size = 0;
    for (SubPicture& sp : is->subpq)
        avsubtitle_free(&sp.sub);
    is->subpq_size = 0;
}
