#pragma once

// Functions the files of the preview core share; nothing outside src/player calls them.

#include "player/VideoState.h"

#include <cstdint>
#include <functional>

// Wall-clock time of the latest audio device callback (microseconds).
extern std::atomic<int64_t> player_audio_callback_time;

double player_now_seconds();

int player_open_component(VideoState* is, int stream_index);
void player_close_component(VideoState* is, int stream_index);

// The audio device: opened (paused) for the wanted layout and rate with the channel-count
// retry order; the obtained format goes into params. Returns the device's buffer size and
// the device in *device, or -1 with nothing left open. The device stays private to the
// caller until player_audio_publish: once published, the owner may start it at any moment.
int player_audio_open(VideoState* is, const AVChannelLayout* wanted_layout, int wanted_rate,
                      AudioParams* params, SDL_AudioDeviceID* device);
void player_audio_publish(VideoState* is, SDL_AudioDeviceID device);
void player_audio_close(VideoState* is);
double player_audio_bytes_per_second(const AudioParams& params);
void player_audio_fill(void* opaque, uint8_t* stream, int len);

// Replaces how the audio device is opened (tests stand in for a device that refuses some
// channel counts); an empty function restores SDL's. The opener returns a device id, 0 on
// failure, and fills obtained.
using PlayerAudioDeviceOpener =
    std::function<SDL_AudioDeviceID(const SDL_AudioSpec& wanted, SDL_AudioSpec* obtained)>;
void player_set_audio_device_opener(PlayerAudioDeviceOpener opener);

void player_video_decoder_thread(VideoState* is);
int player_store_picture(VideoState* is, AVFrame* src_frame, double pts, int64_t pos);
void player_subtitle_decoder_thread(VideoState* is);
void player_tick_thread(VideoState* is);
// Takes the pictures and subtitles whose time has come out of their rings: nothing shows
// them, but holding them would stall their decoders and, through the reader, the audio.
void player_retire_shown(VideoState* is);
// Frees every queued picture buffer and subtitle of a state whose threads have ended.
void player_free_rings(VideoState* is);

double player_audio_clock(VideoState* is);
double player_video_clock(VideoState* is);
double player_master_clock(VideoState* is);
void player_pause_toggle(VideoState* is);
