// The preview core's clocks, its pause toggle and seek requests.

#include "player/player_core.h"
#include "player/player_internal.h"

extern "C" {
#include <libavutil/time.h>
}

#include <SDL2/SDL_audio.h>

#include <cmath>

double player_now_seconds() {
    return double(av_gettime_relative()) / 1000000.0;
}

double player_audio_clock(VideoState* is) {
    if (is->paused)
        return is->audio_current_pts;
    return is->audio_current_pts_drift + player_now_seconds();
}

double player_video_clock(VideoState* is) {
    if (is->paused)
        return is->video_current_pts;
    return is->video_current_pts_drift + player_now_seconds();
}

double player_master_clock(VideoState* is) {
    switch (is->av_sync_type) {
    case PLAYER_SYNC_VIDEO_MASTER:
        return is->video_stream >= 0 ? player_video_clock(is) : player_audio_clock(is);
    case PLAYER_SYNC_AUDIO_MASTER:
        return is->audio_stream >= 0 ? player_audio_clock(is) : player_video_clock(is);
    default:
        return is->external_clock +
               double(av_gettime_relative() - is->external_clock_time) * 0.000001;
    }
}

double player_current_time(VideoState* is) {
    double seconds = 0.0;
    if (is->audio_stream >= 0)
        seconds = is->audio_current_pts;
    else if (is->video_stream >= 0)
        seconds = is->video_current_pts;
    // Before the first samples have played the audio time lies behind the file's start.
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

void player_pause_toggle(VideoState* is) {
    {
        std::lock_guard lock(is->pictq_mutex);
        if (is->paused) {
            const double now = player_now_seconds();
            is->frame_timer += now + is->video_current_pts_drift - is->video_current_pts;
            if (is->read_pause_return != AVERROR(ENOSYS))
                is->video_current_pts = is->video_current_pts_drift + now;
            is->video_current_pts_drift = is->video_current_pts - now;
        }
    }
    is->paused = !is->paused;
}

void player_seek_request(VideoState* is, int64_t pos, int64_t rel, int by_bytes) {
    if (is->seek_req)
        return;
    is->seek_pos = pos;
    is->seek_rel = rel;
    int flags = is->seek_flags;
    flags = by_bytes ? (flags | AVSEEK_FLAG_BYTE) : (flags & ~AVSEEK_FLAG_BYTE);
    is->seek_flags = flags;
    is->seek_req = 1;
}

void player_seek_to_time(VideoState* is, double seconds) {
    const double from = player_current_time(is);
    player_seek_request(is, int64_t(seconds * AV_TIME_BASE),
                        int64_t((seconds - from) * AV_TIME_BASE), 0);
}

void player_pause_audio(VideoState* is, int pause_on) {
    std::lock_guard lock(is->audio_pause_mutex);
    is->audio_owner_paused = pause_on;
    if (const SDL_AudioDeviceID dev = is->audio_dev)
        SDL_PauseAudioDevice(dev, pause_on);
}

bool player_has_failed(const VideoState* is) {
    return is->read_failed != 0;
}

bool player_file_is_open(const VideoState* is) {
    return is->file_open != 0;
}

int64_t player_file_end_time(const VideoState* is) {
    const int64_t duration = is->file_duration;
    if (duration == AV_NOPTS_VALUE)
        return AV_NOPTS_VALUE;
    const int64_t start = is->file_start_time;
    return duration + (start == AV_NOPTS_VALUE ? 0 : start);
}

bool player_wait_pictures_drained(VideoState* is, int timeout_ms) {
    std::unique_lock lock(is->pictq_mutex);
    return is->pictq_cond.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                   [is] { return is->pictq_size == 0; });
}
