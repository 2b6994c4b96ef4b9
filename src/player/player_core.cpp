#include "player/player_core.h"

#include "player/player_internal.h"
#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/log.h>
}

#include <SDL2/SDL_audio.h>
#include <SDL2/SDL_thread.h>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

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
    return is->abort_request.load(std::memory_order_relaxed);
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

// The MPEG audio demuxer when the file is an ID3v2 tag followed by what the library itself
// judges MPEG audio, else null. Detection from the file's start has to read past the whole
// tag, re-reading a growing buffer as it goes, which costs over ten milliseconds behind a
// large cover; this reads the tag's header and a little of what follows it instead.
const AVInputFormat* mpegAudioBehindId3(const char* path) {
    constexpr int kHeaderSize = 10;
    constexpr int kSampleSize = 8 * 1024;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file)
        return nullptr;
    unsigned char header[kHeaderSize] = {};
    if (std::fread(header, 1, kHeaderSize, file.get()) != kHeaderSize ||
        std::memcmp(header, "ID3", 3) != 0 || header[3] == 0xff || header[4] == 0xff)
        return nullptr;
    long tagSize = 0;
    for (int i = 6; i < kHeaderSize; ++i) {
        if (header[i] & 0x80)
            return nullptr;
        tagSize = (tagSize << 7) | header[i];
    }
    tagSize += kHeaderSize;
    if (header[5] & 0x10)
        tagSize += kHeaderSize; // footer
    if (std::fseek(file.get(), tagSize, SEEK_SET) != 0)
        return nullptr;
    std::vector<unsigned char> sample(kSampleSize + AVPROBE_PADDING_SIZE, 0);
    const size_t read = std::fread(sample.data(), 1, kSampleSize, file.get());
    if (read == 0)
        return nullptr;
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = sample.data();
    probe.buf_size = int(read);
    int score = AVPROBE_SCORE_EXTENSION;
    const AVInputFormat* format = av_probe_input_format2(&probe, 1, &score);
    return format && std::strcmp(format->name, "mp3") == 0 ? format : nullptr;
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

    const AVInputFormat* format = is->iformat ? is->iformat : mpegAudioBehindId3(is->filename);
    DictionaryPtr options = formatOptionsForOpen(is->filename);
    AVDictionary* raw = options.release();
    const int err = avformat_open_input(&ic, is->filename, format, &raw);
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

VideoState* player_alloc_state() {
    // Value-initialised: every field starts at zero, as the core expects.
    return std::make_unique<VideoState>().release();
}

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

    // A probe needs nothing from a cover's pixels, and decoding a large one cost several
    // milliseconds per file.
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        if (ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            ic->streams[i]->discard = AVDISCARD_ALL;
    }
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
    std::unique_ptr<VideoState> owned(is);
    is->abort_request = 1;
    // The reader closes the components (joining their threads) and the file on its way out.
    if (is->read_tid.joinable())
        is->read_tid.join();
    if (is->refresh_tid.joinable())
        is->refresh_tid.join();

    player_free_rings(is);
    player_audio_close(is);
    for (PacketQueue* q : {&is->videoq, &is->audioq, &is->subtitleq}) {
        if (q->mutex)
            player_queue_destroy(q);
    }
    sws_freeContext(is->img_convert_ctx);
    av_channel_layout_uninit(&is->audio_src.ch_layout);
    av_channel_layout_uninit(&is->audio_tgt.ch_layout);
    // A probe state whose owner skipped player_close_probe still closes its file.
    if (is->ic)
        avformat_close_input(&is->ic);
}

namespace {

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The indices of the streams to play, chosen as a probe does; the state's own indices are
// set only when their component opens.
struct StreamChoice {
    int video = -1, audio = -1, subtitle = -1;
};

void seekToStartTime(VideoState* is) {
    const int64_t start = player_start_time;
    if (start == AV_NOPTS_VALUE)
        return;
    AVFormatContext* ic = is->ic;
    const int64_t target = start + (ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0);
    if (avformat_seek_file(ic, -1, INT64_MIN, target, INT64_MAX, 0) < 0)
        std::fprintf(stderr, "%s: could not seek to position %0.3f\n", is->filename,
                     double(target) / AV_TIME_BASE);
}

bool openForPlayback(VideoState* is, StreamChoice& choice) {
    is->ic = openInput(is);
    if (!is->ic)
        return false;
    AVFormatContext* ic = is->ic;
    int err = 0;
    {
        StreamInfoOptions streamOptions(ic, tool_codec_options);
        err = avformat_find_stream_info(ic, streamOptions.get());
    }
    if (err < 0) {
        std::fprintf(stderr, "%s: could not find codec parameters\n", is->filename);
        return false;
    }
    if (ic->pb)
        ic->pb->eof_reached = 0;
    seekToStartTime(is);
    chooseBestStreams(is);
    choice = {is->video_stream, is->audio_stream, is->subtitle_stream};
    is->video_stream = -1;
    is->audio_stream = -1;
    is->subtitle_stream = -1;
    if (player_settings.show_status)
        av_dump_format(ic, 0, is->filename, 0);
    is->file_duration = ic->duration;
    is->file_start_time = ic->start_time;
    is->file_open = 1;
    return true;
}

bool startTickThread(VideoState* is) {
    try {
        is->refresh_tid = std::thread(player_tick_thread, is);
        return true;
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "%s: could not start the tick thread: %s\n", is->filename,
                     error.what());
        return false;
    }
}

// False when there is nothing to play. A file whose audio cannot be played (no device,
// no decoder) counts as such: a preview is for listening.
bool openComponents(VideoState* is, const StreamChoice& choice) {
    is->show_mode = player_settings.show_mode;
    if (choice.audio >= 0)
        player_open_component(is, choice.audio);
    bool videoOpened = false;
    if (choice.video >= 0)
        videoOpened = player_open_component(is, choice.video) >= 0;
    const bool ticking = startTickThread(is);
    if (is->show_mode == PLAYER_SHOW_MODE_NONE)
        is->show_mode = videoOpened ? PLAYER_SHOW_MODE_VIDEO : PLAYER_SHOW_MODE_RDFT;
    if (choice.subtitle >= 0)
        player_open_component(is, choice.subtitle);
    const bool audioMissing = choice.audio >= 0 && is->audio_stream < 0;
    if (!ticking || audioMissing || (is->audio_stream < 0 && is->video_stream < 0)) {
        std::fprintf(stderr, "%s: could not open codecs\n", is->filename);
        return false;
    }
    return true;
}

void followPauseFlag(VideoState* is) {
    const int paused = is->paused;
    if (paused == is->last_paused)
        return;
    is->last_paused = paused;
    if (paused)
        is->read_pause_return = av_read_pause(is->ic);
    else
        av_read_play(is->ic);
}

void putFlushPacket(PacketQueue* q) {
    player_queue_flush(q);
    AVPacket marker = flush_pkt;
    player_queue_put(q, &marker);
}

// True when a seek was carried out (the end of the file is then behind again).
bool handleSeekRequest(VideoState* is) {
    if (!is->seek_req)
        return false;
    const int64_t target = is->seek_pos;
    const int64_t rel = is->seek_rel;
    const int64_t minimum = rel > 0 ? target - rel + 2 : INT64_MIN;
    const int64_t maximum = rel < 0 ? target - rel - 2 : INT64_MAX;
    if (avformat_seek_file(is->ic, -1, minimum, target, maximum, is->seek_flags) < 0) {
        std::fprintf(stderr, "%s: error while seeking\n", is->ic->url);
    } else {
        if (is->audio_stream >= 0)
            putFlushPacket(&is->audioq);
        if (is->subtitle_stream >= 0)
            putFlushPacket(&is->subtitleq);
        if (is->video_stream >= 0)
            putFlushPacket(&is->videoq);
    }
    is->seek_req = 0;
    return true;
}

// True when the kind needs no more packets for now.
bool kindSatisfied(PacketQueue* q, int stream) {
    if (stream < 0 || player_queue_aborted(q))
        return true;
    int count = 0, size = 0;
    player_queue_stats(q, &count, &size);
    return count > kPlayerMinFrames;
}

int queuedBytes(PacketQueue* q) {
    int count = 0, size = 0;
    player_queue_stats(q, &count, &size);
    return size;
}

int queuedPackets(PacketQueue* q) {
    int count = 0, size = 0;
    player_queue_stats(q, &count, &size);
    return count;
}

bool queuesFull(VideoState* is) {
    const int total =
        queuedBytes(&is->audioq) + queuedBytes(&is->videoq) + queuedBytes(&is->subtitleq);
    if (total > kPlayerMaxQueueSize) {
        // Pictures decoding slower than the sound plays must not starve it: nothing shows
        // them, so the waiting ones are dropped and the picture decoder starts afresh.
        if (kindSatisfied(&is->audioq, is->audio_stream) || is->video_stream < 0)
            return true;
        putFlushPacket(&is->videoq);
        return false;
    }
    return kindSatisfied(&is->audioq, is->audio_stream) &&
           kindSatisfied(&is->videoq, is->video_stream) &&
           kindSatisfied(&is->subtitleq, is->subtitle_stream);
}

void putEmptyPacket(PacketQueue* q, int stream_index) {
    AVPacket pkt{};
    pkt.pts = AV_NOPTS_VALUE;
    pkt.dts = AV_NOPTS_VALUE;
    pkt.stream_index = stream_index;
    player_queue_put(q, &pkt);
}

// The decoders are asked once for what they still hold.
void signalEndOfFile(VideoState* is) {
    if (is->video_stream >= 0)
        putEmptyPacket(&is->videoq, is->video_stream);
    if (is->audio_stream >= 0 && (is->audio_dec->codec->capabilities & AV_CODEC_CAP_DELAY))
        putEmptyPacket(&is->audioq, is->audio_stream);
}

// At the end of the file: -1 to leave the loop (exit at end), else 0.
int handleEndOfFile(VideoState* is) {
    sleepMs(10);
    const bool drained = queuedPackets(&is->audioq) == 0 && queuedPackets(&is->videoq) == 0 &&
                         queuedPackets(&is->subtitleq) == 0;
    if (!drained)
        return 0;
    if (player_settings.loop != 1) {
        const int64_t start = player_start_time;
        player_seek_request(is, start != AV_NOPTS_VALUE ? start : 0, 0, 0);
    } else if (player_settings.autoexit) {
        return AVERROR_EOF;
    }
    return 0;
}

bool inPlayRange(VideoState* is, const AVPacket* pkt) {
    if (player_settings.duration == AV_NOPTS_VALUE)
        return true;
    const AVStream* st = is->ic->streams[pkt->stream_index];
    const int64_t streamStart = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const int64_t start = player_start_time;
    const double startSeconds = start != AV_NOPTS_VALUE ? double(start) / 1000000.0 : 0.0;
    return double(pkt->pts - streamStart) * av_q2d(st->time_base) - startSeconds <=
           double(player_settings.duration) / 1000000.0;
}

void queuePacket(VideoState* is, AVPacket* pkt) {
    if (pkt->stream_index == is->audio_stream && inPlayRange(is, pkt))
        player_queue_put(&is->audioq, pkt);
    else if (pkt->stream_index == is->video_stream && inPlayRange(is, pkt))
        player_queue_put(&is->videoq, pkt);
    else if (pkt->stream_index == is->subtitle_stream && inPlayRange(is, pkt))
        player_queue_put(&is->subtitleq, pkt);
    else
        av_packet_unref(pkt);
}

enum class ReadOutcome { Packet, EndOfFile, Retry, Broken };

ReadOutcome readPacket(VideoState* is) {
    AVPacket pkt{};
    const int ret = av_read_frame(is->ic, &pkt);
    if (ret >= 0) {
        queuePacket(is, &pkt);
        return ReadOutcome::Packet;
    }
    AVIOContext* pb = is->ic->pb;
    if (ret == AVERROR_EOF || (pb && avio_feof(pb)))
        return ReadOutcome::EndOfFile;
    if (pb && pb->error)
        return ReadOutcome::Broken;
    sleepMs(100);
    return ReadOutcome::Retry;
}

// Starts the audio device once its first packets are queued (or nothing more will come), so
// that its first callbacks find sound instead of handing out silence.
void startAudioWhenFed(VideoState* is, bool nothingMoreSoon) {
    if (!is->audio_start_pending)
        return;
    if (!nothingMoreSoon && queuedPackets(&is->audioq) < 2)
        return;
    is->audio_start_pending = 0;
    std::lock_guard lock(is->audio_pause_mutex);
    if (!is->audio_owner_paused)
        SDL_PauseAudioDevice(is->audio_dev, 0);
}

// Demuxes until the state is aborted; returns early only for exit at end or a broken file.
void readLoop(VideoState* is) {
    bool endSignalled = false;
    while (!is->abort_request) {
        followPauseFlag(is);
        if (handleSeekRequest(is))
            endSignalled = false;
        if (is->queue_attachments_req) {
            avformat_queue_attached_pictures(is->ic);
            is->queue_attachments_req = 0;
        }
        if (queuesFull(is)) {
            startAudioWhenFed(is, true);
            sleepMs(10);
            continue;
        }
        const ReadOutcome outcome = readPacket(is);
        startAudioWhenFed(is, outcome != ReadOutcome::Packet);
        if (outcome == ReadOutcome::Broken)
            return;
        if (outcome == ReadOutcome::Packet) {
            endSignalled = false;
        } else if (outcome == ReadOutcome::EndOfFile) {
            if (!endSignalled)
                signalEndOfFile(is);
            endSignalled = true;
            if (handleEndOfFile(is) < 0)
                return;
        }
    }
}

void closeForPlayback(VideoState* is) {
    if (!is->ic)
        return;
    for (const int index : {int(is->audio_stream), int(is->video_stream), int(is->subtitle_stream)})
        player_close_component(is, index);
    is->file_open = 0;
    avformat_close_input(&is->ic);
}

void player_reader_thread(VideoState* is) {
    is->last_video_stream = -1;
    is->last_audio_stream = -1;
    is->last_subtitle_stream = -1;
    StreamChoice choice;
    const bool playing = openForPlayback(is, choice) && openComponents(is, choice);
    if (playing) {
        readLoop(is);
        startAudioWhenFed(is, true);
        while (!is->abort_request)
            sleepMs(100);
    }
    closeForPlayback(is);
    if (!playing)
        is->read_failed = 1;
    // SDL keeps per-thread error text for threads it did not start; free it before this
    // thread goes.
    SDL_TLSCleanup();
}

} // namespace

VideoState* player_start(VideoState* is) {
    is->iformat = nullptr;
    is->xleft = 0;
    is->video_stream = -1;
    is->audio_stream = -1;
    is->subtitle_stream = -1;
    player_queue_init(&is->videoq);
    player_queue_init(&is->audioq);
    player_queue_init(&is->subtitleq);
    is->av_sync_type = player_settings.av_sync_type;
    try {
        is->read_tid = std::thread(player_reader_thread, is);
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "%s: could not start the reader thread: %s\n", is->filename,
                     error.what());
        player_close(is);
        return nullptr;
    }
    return is;
}
