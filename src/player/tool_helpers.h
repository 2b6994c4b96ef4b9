#pragma once

// Option holders and helpers shared by the probing and preview core and the transcoder
// sources. The holders are written only by tool_options_init/tool_options_free (at start-up
// and shut-down); everything else reads them, so probes on several threads need no lock.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

extern AVDictionary* tool_codec_options;
extern AVDictionary* tool_format_options;
extern SwsContext* tool_sws_options;
extern SwrContext* tool_swr_options;

void tool_options_init();
void tool_options_free();

// Logs "name: error text" at error level.
void tool_report_error(const char* name, int err);

// 1 when the stream matches the specifier, 0 when not, negative for a bad specifier (logged
// once, as "Invalid stream specifier: %s.").
int tool_match_stream_specifier(AVFormatContext* s, AVStream* st, const char* spec);

// 0 for a specifier the matcher can read, else negative after the same message, without any
// stream: for checking a specifier once where it is given.
int tool_check_stream_specifier(const char* spec);

// The entries of opts that apply to this stream's codec, as a new dictionary the caller
// frees; null when none apply. A bad stream specifier in opts also gives null; with error
// given, *error then tells the two apart (negative for the bad specifier, else 0). opts is
// only read.
AVDictionary* tool_filter_codec_options(const AVDictionary* opts, AVCodecID codec_id,
                                        AVFormatContext* s, AVStream* st, const AVCodec* codec,
                                        int* error = nullptr);

// One filtered dictionary per stream of s, for avformat_find_stream_info; null for a context
// without streams. The caller frees each dictionary and the array (av_freep). Without error,
// a stream whose options hold a bad specifier gets none; with error, a bad specifier makes
// the whole result null and *error negative (*error is 0 otherwise).
AVDictionary** tool_stream_info_options(AVFormatContext* s, const AVDictionary* codec_opts,
                                        int* error = nullptr);
