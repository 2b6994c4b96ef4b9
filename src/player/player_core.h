#pragma once

// Start-up, probing and the life of a VideoState in the probing and preview core.
// Functions return 0 or negative FFmpeg error codes; diagnostics go to FFmpeg's log or to
// standard error; nothing here ends the process.

#include "player/VideoState.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <cstdint>

// Process-wide settings. Fixed for the life of the process, so every thread reads them
// without a lock.
struct PlayerSettings {
    int av_sync_type = PLAYER_SYNC_AUDIO_MASTER;
    int video_disable = 0;
    int audio_disable = 0;
    int display_disable = 0;
    int wanted_video_stream = -1;
    int wanted_audio_stream = -1;
    int wanted_subtitle_stream = -1;
    int64_t duration = AV_NOPTS_VALUE;
    int genpts = 0;
    int seek_by_bytes = 0;
    int show_status = 0;
    int show_mode = PLAYER_SHOW_MODE_VIDEO;
    int workaround_bugs = 1;
    int lowres = 0;
    int idct = 0;
    int skip_frame = AVDISCARD_DEFAULT;
    int skip_idct = AVDISCARD_DEFAULT;
    int skip_loop_filter = AVDISCARD_DEFAULT;
    int error_concealment = 3;
    int fast = 0;
    int decoder_reorder_pts = -1;
    int framedrop = 1;
    int loop = 1;
    int autoexit = 0;
    int rdftspeed_ms = 20;
    int sws_flags = SWS_BICUBIC;
};
inline constexpr PlayerSettings player_settings{};

// Where a preview starts reading, in microseconds; no value until a preview starts.
extern std::atomic<int64_t> player_start_time;

inline constexpr int kPlayerMaxQueueSize = 15 * 1024 * 1024;
inline constexpr int kPlayerMinFrames = 5;
inline constexpr int kPlayerAudioSamples = 1024;
// exp(log(0.01) / 20): the A-V difference is averaged over about 20 measurements.
inline constexpr double kPlayerAudioDiffAvgCoef = 0.7943282347242815;
inline constexpr int kPlayerAudioDiffAvgNb = 20;
// Next channel count to try when the audio device refuses a count (indexed by min(7, count)).
inline constexpr int kPlayerNextChannelCount[8] = {0, 0, 1, 6, 2, 6, 4, 6};

// A zero-filled state for probing or previewing, freed by player_close (or by player_start
// when it fails).
VideoState* player_alloc_state();

// Once at launch, before any state exists. Safe to call again; it does the work once until
// player_shutdown.
void player_global_init();
// Closes the state when one is given and frees the process-wide options.
void player_shutdown(VideoState* is);

// Opens is->filename, reads its stream information and picks the best video, audio and
// subtitle streams. is->ic stays null when the file cannot be opened; the three stream
// indices stay -1 when its streams cannot be read. Several threads may probe at once,
// each with its own state.
void player_probe_file(VideoState* is);
void player_close_probe(VideoState* is);
// Stops the state's threads (when it has any), closes what it opened and frees it. A null
// state is ignored.
void player_close(VideoState* is);

// Starts previewing is->filename on a reader thread. Returns the state, or null when the
// thread cannot start; the state is then already freed.
VideoState* player_start(VideoState* is);
// Seconds of the file played so far: the audio time when audio is open, else the time of
// the last picture, else 0. Never negative.
double player_current_time(VideoState* is);
// Asks the reader to seek to pos (microseconds, or bytes when by_bytes); rel is the distance
// from the current position and bounds the search. Ignored while a seek is pending.
void player_seek_request(VideoState* is, int64_t pos, int64_t rel, int by_bytes);
// Seeks to a time in seconds from the current playback time.
void player_seek_to_time(VideoState* is, double seconds);
// Pauses or resumes the state's audio device; a state without one is left alone.
void player_pause_audio(VideoState* is, int pause_on);
// True once the reader has ended without anything to play.
bool player_has_failed(const VideoState* is);
// True while the reader has the file open.
bool player_file_is_open(const VideoState* is);
// The open file's duration plus its start time, in microseconds; AV_NOPTS_VALUE when unknown.
int64_t player_file_end_time(const VideoState* is);
// Waits at most timeout_ms until no converted picture is queued; true when none is.
bool player_wait_pictures_drained(VideoState* is, int timeout_ms);
