#pragma once

// The handlers of the transcoder's option table. Each returns 0 or a negative error; a fatal
// condition ends the program through tc_cleanup_and_exit. Arguments may be null only for rows
// that take none.

#include "transcoder/option_records.h"

// Stream and channel maps (the argument syntax is in the rows' argument names).
int tc_opt_map(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_map_channel(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_streamid(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_attach(PerFileOptions* o, const char* opt, const char* arg);

// Named presets for VCD, SVCD, DVD and DV files.
int tc_opt_target(PerFileOptions* o, const char* opt, const char* arg);

// Preset files: apre, vpre, spre (by name) and fpre (by path).
int tc_opt_preset(PerFileOptions* o, const char* opt, const char* arg);

int tc_opt_recording_timestamp(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_progress(const char* opt, const char* arg);
int tc_opt_vsync(const char* opt, const char* arg);
int tc_opt_qscale(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_profile(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_filter_complex(const char* opt, const char* arg);
int tc_opt_removed_crop(const char* opt, const char* arg);
int tc_opt_removed_pad(const char* opt, const char* arg);
int tc_opt_video_codec(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_audio_codec(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_subtitle_codec(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_data_codec(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_timecode(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_pass(const char* opt, const char* arg);
int tc_opt_passlogfile(const char* opt, const char* arg);
int tc_opt_deinterlace(const char* opt, const char* arg);
int tc_opt_vstats(const char* opt, const char* arg);
int tc_opt_vstats_file(const char* opt, const char* arg);
// vtag, atag, stag, absf, vbsf: "tag:v" for "vtag" and so on.
int tc_opt_suffix_form(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_bitrate(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_channel_layout(PerFileOptions* o, const char* opt, const char* arg);
// vc and tvstd: the device options "channel" and "standard" under their old names.
int tc_opt_deprecated_alias(const char* opt, const char* arg);

// Short forms of a table option with a stream suffix.
int tc_opt_data_frames(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_video_frames(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_audio_frames(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_audio_qscale(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_video_filters(PerFileOptions* o, const char* opt, const char* arg);
int tc_opt_audio_filters(PerFileOptions* o, const char* opt, const char* arg);

// Applies (name, value) to the transcoder's table as if written on the command line; 0 or a
// negative error.
int tc_apply_option(PerFileOptions* o, const char* name, const char* value);
