#include "player/player_core.h"

#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/log.h>
}

#include <SDL2/SDL_audio.h>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

std::atomic<int64_t> player_start_time{AV_NOPTS_VALUE};

namespace {

std::mutex gInitMutex;
bool gInitialised = false;

struct DictionaryFree {
    void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryFree>;

// The per-stream options handed to avformat_find_stream_info, freed with their array.
class StreamInfoOptions {
public:
    StreamInfoOptions(AVFormatContext* ic, const AVDictionary* codecOptions)
        : _count(ic->nb_streams), _options(tool_stream_info_options(ic, codecOptions)) {}
    ~StreamInfoOptions() {
        if (!_options)
            return;
        for (unsigned i = 0; i < _count; ++i)
            av_dict_free(&_options[i]);
        av_freep(&_options);
    }
    StreamInfoOptions(const StreamInfoOptions&) = delete;
    StreamInfoOptions& operator=(const StreamInfoOptions&) = delete;
    AVDictionary** get() const { return _options; }

private:
    unsigned _count;
    AVDictionary** _options;
};

int abortFlag(VideoState* is) {
    return std::atomic_ref<int>(is->abort_request).load(std::memory_order_relaxed);
}

int decodeInterrupt(void* ctx) {
    return abortFlag(static_cast<VideoState*>(ctx));
}

// A RIFF-style WAVE file ("RIFF", "RIFX", "RF64" or "BW64", then "WAVE").
bool isWaveFile(const char* path) {
    char header[12] = {};
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    const size_t read = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (read != sizeof header || std::memcmp(header + 8, "WAVE", 4) != 0)
        return false;
    for (const char* magic : {"RIFF", "RIFX", "RF64", "BW64"}) {
        if (std::memcmp(header, magic, 4) == 0)
            return true;
    }
    return false;
}

// A private copy of the process-wide demuxer options: the library edits the dictionary it
// is given, and other threads may be opening files at the same time.
// Local files only: a playlist or reference file must not make a probe reach out to the
// network. And in a WAV file, whose PCM the demuxer confirms from its data, the codec is
// judged on a few packets rather than the library's full search: that made each WAV cost
// about ten milliseconds and finds nothing more there. Other containers keep the full
// search: an MPEG-TS stream identified only by its data (TrueHD, DTS) needs more than a
// few packets, or its audio is lost or misread.
DictionaryPtr formatOptionsForOpen(const char* path) {
    AVDictionary* options = nullptr;
    av_dict_copy(&options, tool_format_options, 0);
    av_dict_set(&options, "protocol_whitelist", "file", AV_DICT_DONT_OVERWRITE);
    if (isWaveFile(path))
        av_dict_set(&options, "max_probe_packets", "4", AV_DICT_DONT_OVERWRITE);
    return DictionaryPtr(options);
}

// Only regular files are opened: opening a named pipe would block until something writes
// to it, and a device may never end.
int checkRegularFile(const char* path) {
    struct stat info {};
    if (stat(path, &info) != 0)
        return AVERROR(errno);
    if (S_ISDIR(info.st_mode))
        return AVERROR(EISDIR);
    return S_ISREG(info.st_mode) ? 0 : AVERROR(EINVAL);
}

AVFormatContext* openInput(VideoState* is) {
    if (const int err = checkRegularFile(is->filename); err < 0) {
        tool_report_error(is->filename, err);
        return nullptr;
    }
    AVFormatContext* ic = avformat_alloc_context();
    if (!ic) {
        tool_report_error(is->filename, AVERROR(ENOMEM));
        return nullptr;
    }
    ic->interrupt_callback.callback = decodeInterrupt;
    ic->interrupt_callback.opaque = is;

    DictionaryPtr options = formatOptionsForOpen(is->filename);
    AVDictionary* raw = options.release();
    const int err = avformat_open_input(&ic, is->filename, is->iformat, &raw);
    options.reset(raw);
    if (err < 0) {
        tool_report_error(is->filename, err);
        return nullptr;
    }
    if (const AVDictionaryEntry* left =
            av_dict_get(options.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        av_log(nullptr, AV_LOG_ERROR, "Option %s not found.\n", left->key);
        avformat_close_input(&ic);
        return nullptr;
    }
    if (player_settings.genpts)
        ic->flags |= AVFMT_FLAG_GENPTS;
    return ic;
}

void chooseBestStreams(VideoState* is) {
    AVFormatContext* ic = is->ic;
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        ic->streams[i]->discard = AVDISCARD_ALL;

    int video = -1, audio = -1, subtitle = -1;
    if (!player_settings.video_disable)
        video = av_find_best_stream(ic, AVMEDIA_TYPE_VIDEO, player_settings.wanted_video_stream, -1,
                                    nullptr, 0);
    if (!player_settings.audio_disable)
        audio = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, player_settings.wanted_audio_stream,
                                    video, nullptr, 0);
    if (!player_settings.video_disable)
        subtitle =
            av_find_best_stream(ic, AVMEDIA_TYPE_SUBTITLE, player_settings.wanted_subtitle_stream,
                                audio >= 0 ? audio : video, nullptr, 0);
    is->video_stream = video >= 0 ? video : -1;
    is->audio_stream = audio >= 0 ? audio : -1;
    is->subtitle_stream = subtitle >= 0 ? subtitle : -1;
}

} // namespace

void player_global_init() {
    std::lock_guard lock(gInitMutex);
    if (gInitialised)
        return;
    av_log_set_flags(AV_LOG_SKIP_REPEATED);
    avformat_network_init();
    tool_options_init();
    player_flush_packet_init();
    gInitialised = true;
}

void player_shutdown(VideoState* is) {
    if (is)
        player_close(is);
    std::lock_guard lock(gInitMutex);
    tool_options_free();
    avformat_network_deinit();
    if (player_settings.show_status)
        std::printf("\n");
    gInitialised = false;
}

void player_probe_file(VideoState* is) {
    is->video_stream = -1;
    is->audio_stream = -1;
    is->subtitle_stream = -1;

    is->ic = openInput(is);
    if (!is->ic)
        return;
    AVFormatContext* ic = is->ic;

    int err = 0;
    {
        StreamInfoOptions streamOptions(ic, tool_codec_options);
        err = avformat_find_stream_info(ic, streamOptions.get());
    }
    if (err < 0) {
        std::fprintf(stderr, "%s: could not find codec parameters\n", is->filename);
        return;
    }
    if (ic->pb)
        ic->pb->eof_reached = 0;

    av_dump_format(ic, 0, is->filename, 0);
    chooseBestStreams(is);
}

void player_close_probe(VideoState* is) {
    if (is->ic)
        avformat_close_input(&is->ic);
}

void player_close(VideoState* is) {
    if (!is)
        return;
    std::atomic_ref<int>(is->abort_request).store(1);
    if (is->read_tid)
        SDL_WaitThread(is->read_tid, nullptr);
    if (is->refresh_tid)
        SDL_WaitThread(is->refresh_tid, nullptr);
    is->read_tid = nullptr;
    is->refresh_tid = nullptr;

    for (VideoPicture& picture : is->pictq) {
        std::free(picture.bmp);
        picture.bmp = nullptr;
    }
    SDL_DestroyMutex(is->pictq_mutex);
    SDL_DestroyCond(is->pictq_cond);
    SDL_DestroyMutex(is->subpq_mutex);
    SDL_DestroyCond(is->subpq_cond);
    if (is->audio_device_opened)
        SDL_CloseAudio();
    sws_freeContext(is->img_convert_ctx);
    av_channel_layout_uninit(&is->audio_src.ch_layout);
    av_channel_layout_uninit(&is->audio_tgt.ch_layout);
    // A probe state whose owner skipped player_close_probe still closes its file.
    if (is->ic)
        avformat_close_input(&is->ic);
    av_free(is);
}
