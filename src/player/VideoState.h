#pragma once

// Everything the probing and preview core knows about one opened media file. The owner
// allocates the record zero-filled (player_alloc_state), fills in the file name (and, for a
// preview, itself as owner) and hands it to the core; player_close frees it.
//
// A preview state is shared by the owner's thread, the reader, tick and decoder threads and
// the audio device's callback: what more than one of them touches is an atomic or lives
// under the picture or subtitle lock.

#include "player/PacketQueue.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <SDL2/SDL_audio.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

inline constexpr int kPlayerFileNameSize = 1024;
inline constexpr int kPlayerAudioBufferSize = 768000;
inline constexpr int kPlayerSilenceBufferSize = 1024;
inline constexpr int kPlayerSampleArraySize = 2 * 65536;
inline constexpr int kPlayerPictureQueueSize = 2;
inline constexpr int kPlayerSubPictureQueueSize = 4;
// Marks a time field without a value after a flush (2^63).
inline constexpr double kPlayerNoTime = 9223372036854775808.0;

enum PlayerSyncType : int {
    PLAYER_SYNC_AUDIO_MASTER = 0,
    PLAYER_SYNC_VIDEO_MASTER = 1,
    PLAYER_SYNC_EXTERNAL_CLOCK = 2,
};

enum PlayerShowMode : int {
    PLAYER_SHOW_MODE_NONE = -1,
    PLAYER_SHOW_MODE_VIDEO = 0,
    PLAYER_SHOW_MODE_WAVES = 1,
    PLAYER_SHOW_MODE_RDFT = 2,
};

// An audio format: the resampler's source or the audio device's.
struct AudioParams {
    int freq;
    int channels;
    AVChannelLayout ch_layout;
    int fmt; // AVSampleFormat
};

// One converted picture: packed RGB24 from the system allocator.
struct VideoPicture {
    double pts;
    double duration;
    int64_t pos;
    int skip;
    uint8_t* bmp;
    int width;
    int height;
    int allocated;
    int reallocate;
    int pix_fmt;
    int pict_type;
};

struct SubPicture {
    double pts;
    AVSubtitle sub;
};

struct VideoState {
    void* owner;
    void (*display_callback)(void* owner, const uint8_t* rgb, int width, int height);
    std::thread read_tid;
    std::thread video_tid;
    std::thread refresh_tid;
    const AVInputFormat* iformat;
    int no_background;
    // Ends every thread of the state; read by the I/O interrupt callback.
    std::atomic<int> abort_request;
    int force_refresh;
    std::atomic<int> paused;
    int last_paused;
    int queue_attachments_req;
    // Set last by a seek request, after its target; cleared by the reader once it has sought.
    std::atomic<int> seek_req;
    std::atomic<int> seek_flags;
    std::atomic<int64_t> seek_pos;
    std::atomic<int64_t> seek_rel;
    std::atomic<int> read_pause_return;
    // Opened and closed by the reader; other threads ask file_open and file_duration.
    AVFormatContext* ic;

    // Stream indices are read by other threads to learn whether a component is open; the
    // stream pointers only by the component's own thread.
    std::atomic<int> audio_stream;
    int av_sync_type;
    double external_clock;
    int64_t external_clock_time;

    double audio_clock;
    double audio_diff_cum;
    double audio_diff_avg_coef;
    double audio_diff_threshold;
    int audio_diff_avg_count;
    AVStream* audio_st;
    PacketQueue audioq;
    int audio_hw_buf_size;
    alignas(16) uint8_t audio_buf2[kPlayerAudioBufferSize];
    uint8_t silence_buf[kPlayerSilenceBufferSize];
    uint8_t* audio_buf;
    uint8_t* audio_buf1;
    unsigned int audio_buf_size;
    int audio_buf_index;
    int audio_write_buf_size;
    AVPacket audio_pkt_temp;
    AVPacket audio_pkt;
    AudioParams audio_src;
    AudioParams audio_tgt;
    SwrContext* swr_ctx;
    std::atomic<double> audio_current_pts;
    std::atomic<double> audio_current_pts_drift;
    int frame_drops_early;
    int frame_drops_late;
    AVFrame* frame;

    std::atomic<int> show_mode;
    int16_t sample_array[kPlayerSampleArraySize];
    int sample_array_index;
    int last_i_start;
    RDFTContext* rdft;
    int rdft_bits;
    FFTSample* rdft_data;
    int xpos;

    std::thread subtitle_tid;
    std::atomic<int> subtitle_stream;
    int subtitle_stream_changed;
    AVStream* subtitle_st;
    PacketQueue subtitleq;
    SubPicture subpq[kPlayerSubPictureQueueSize];
    int subpq_size;
    int subpq_rindex;
    int subpq_windex;
    std::mutex subpq_mutex;
    std::condition_variable subpq_cond;

    // The frame_* fields and the video times change under the picture lock.
    double frame_timer;
    double frame_last_pts;
    double frame_last_duration;
    double frame_last_dropped_pts;
    double frame_last_returned_time;
    double frame_last_filter_delay;
    int64_t frame_last_dropped_pos;
    double video_clock;
    std::atomic<int> video_stream;
    AVStream* video_st;
    PacketQueue videoq;
    std::atomic<double> video_current_pts;
    std::atomic<double> video_current_pts_drift;
    int64_t video_current_pos;
    VideoPicture pictq[kPlayerPictureQueueSize];
    int pictq_size;
    int pictq_rindex;
    int pictq_windex;
    std::mutex pictq_mutex;
    std::condition_variable pictq_cond;
    SwsContext* img_convert_ctx;

    // UTF-8 path, NUL-terminated.
    char filename[kPlayerFileNameSize];
    int width;
    int height;
    int xleft;
    int ytop;
    std::atomic<int> step;
    std::atomic<int> refresh;

    int last_video_stream;
    int last_audio_stream;
    int last_subtitle_stream;

    // Set only when this state opened the audio device, so that closing any other state
    // (a probe in particular) leaves a running preview's device alone.
    int audio_device_opened;

    // Seconds one picture lasts, from the stream's frame rate (0 when unknown).
    double video_frame_duration;
    // The decoders of the open components (codec parameters no longer carry one).
    AVCodecContext* audio_dec;
    AVCodecContext* video_dec;
    AVCodecContext* subtitle_dec;
    // Set by the reader (under audio_pause_mutex) once the audio component is ready, cleared
    // when it closes; read by the owner to pause and resume.
    std::atomic<SDL_AudioDeviceID> audio_dev;
    // The owner wants the device paused; a device opened later starts paused then.
    std::atomic<int> audio_owner_paused;
    // Held while the device is paused or started, so the owner's word and the reader's
    // first start cannot cross.
    std::mutex audio_pause_mutex;
    // The device waits for the reader's first audio packets before it starts playing.
    int audio_start_pending;
    // The audio decoder has given everything after an end-of-stream packet.
    int audio_finished;

    // What the owner's thread may ask of the file while the reader has it open.
    std::atomic<int> file_open;
    std::atomic<int64_t> file_duration;
    std::atomic<int64_t> file_start_time;
    // The reader ended without playing anything (file, codecs or audio device failed).
    std::atomic<int> read_failed;
    // When the device callback first handed out decoded samples (av_gettime_relative), 0
    // before.
    std::atomic<int64_t> first_audio_time;
};
