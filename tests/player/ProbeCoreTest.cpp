#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"

#include "player/player_core.h"
#include "player/tool_helpers.h"

#include <QFile>

extern "C" {
#include <libavutil/mem.h>
}

#include <SDL2/SDL.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct StateClose {
    void operator()(VideoState* is) const { player_close(is); }
};
using StatePtr = std::unique_ptr<VideoState, StateClose>;

StatePtr probedState(const QString& path) {
    StatePtr is(player_alloc_state());
    const QByteArray utf8 = path.toUtf8();
    std::strncpy(is->filename, utf8.constData(), sizeof(is->filename) - 1);
    player_probe_file(is.get());
    return is;
}

class ProbeCoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
    }
};

TEST_F(ProbeCoreTest, StreamIndicesOfAProbe) {
    struct Case {
        const char* name;
        QString path;
        bool opened;
        int video, audio, subtitle;
    };
    const std::vector<Case> cases{
        {"audio only", ProbeSamples::catalogue()[0].path, true, -1, 0, -1},
        {"video and audio", ProbeSamples::videoAndAudioMp4(), true, 0, 1, -1},
        {"subtitle only", ProbeSamples::subtitleOnlyMkv(), true, -1, -1, 0},
        {"missing", ProbeSamples::folder() + QStringLiteral("/missing.ogg"), false, -1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatePtr is = probedState(c.path);
        EXPECT_EQ(is->ic != nullptr, c.opened);
        EXPECT_EQ(is->video_stream, c.video);
        EXPECT_EQ(is->audio_stream, c.audio);
        EXPECT_EQ(is->subtitle_stream, c.subtitle);
        player_close_probe(is.get());
        EXPECT_EQ(is->ic, nullptr);
    }
}

TEST_F(ProbeCoreTest, ProbeLeavesTheSharedOptionsAsTheyWere) {
    av_dict_set(&tool_format_options, "probesize", "500000", 0);
    const AVDictionary* codecBefore = tool_codec_options;
    StatePtr is = probedState(ProbeSamples::catalogue()[0].path);
    EXPECT_NE(is->ic, nullptr);
    EXPECT_EQ(tool_codec_options, codecBefore);
    EXPECT_EQ(av_dict_get(tool_codec_options, "request_channels", nullptr, 0), nullptr);
    ASSERT_EQ(av_dict_count(tool_format_options), 1);
    EXPECT_STREQ(av_dict_get(tool_format_options, "probesize", nullptr, 0)->value, "500000");
    av_dict_free(&tool_format_options);
}

TEST_F(ProbeCoreTest, LeftOverFormatOptionClosesTheFile) {
    av_dict_set(&tool_format_options, "no_such_demuxer_option", "1", 0);
    StatePtr is = probedState(ProbeSamples::catalogue()[0].path);
    av_dict_free(&tool_format_options);
    EXPECT_EQ(is->ic, nullptr);
    EXPECT_EQ(is->audio_stream, -1);
}

TEST_F(ProbeCoreTest, PlaylistCannotReachBeyondLocalFiles) {
    const QString path = ProbeSamples::folder() + QStringLiteral("/remote.m3u8");
    MediaFixtures::writeBytes(path, "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n"
                                    "http://127.0.0.1:9/segment.ts\n#EXT-X-ENDLIST\n");
    StatePtr is = probedState(path);
    EXPECT_EQ(is->audio_stream, -1);
    EXPECT_EQ(is->video_stream, -1);
}

// The preview keeps the device open while files are added; a probe must leave it alone.
TEST_F(ProbeCoreTest, ProbeNeverClosesAnAudioDeviceItDidNotOpen) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = [](void*, Uint8* stream, int len) { std::memset(stream, 0, size_t(len)); };
    ASSERT_EQ(SDL_OpenAudio(&wanted, nullptr), 0) << SDL_GetError();
    SDL_PauseAudio(0);

    StatePtr is = probedState(ProbeSamples::catalogue()[0].path);
    player_close_probe(is.get());
    is.reset();
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);

    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace

namespace {

// The shortened codec search inside WAV files still sees through a mislabelled payload.
TEST_F(ProbeCoreTest, CompressedAudioLabelledAsPcmInWavIsStillRecognised) {
    const QString mp3 = ProbeSamples::folder() + QStringLiteral("/payload.mp3");
    const QString wav = ProbeSamples::folder() + QStringLiteral("/mp3-as-pcm.wav");
    ASSERT_TRUE(MediaFixtures::makeSine(mp3, 5.0, 44100, 2,
                                        {QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
    ASSERT_TRUE(MediaFixtures::runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ar"),
         QStringLiteral("44100"), QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-i"),
         mp3, QStringLiteral("-c"), QStringLiteral("copy"), wav}));
    StatePtr is = probedState(wav);
    ASSERT_NE(is->ic, nullptr);
    ASSERT_EQ(is->audio_stream, 0);
    EXPECT_EQ(is->ic->streams[0]->codecpar->codec_id, AV_CODEC_ID_MP3);
}

} // namespace

namespace {

// Audio inside every container the open panel offers for video is found and read as what
// it is, including streams the demuxer can only identify from their data.
TEST_F(ProbeCoreTest, AudioInsideVideoContainersIsNeverLost) {
    struct Case {
        const char* name;
        const char* file;
        QStringList encode; // output options after the video and audio inputs
        const char* codec;
        int sampleRate;
    };
    const QStringList noVideo{QStringLiteral("-map"), QStringLiteral("1:a")};
    const QStringList mpeg2{QStringLiteral("-c:v"), QStringLiteral("mpeg2video")};
    const QStringList mpeg4{QStringLiteral("-c:v"), QStringLiteral("mpeg4")};
    const QStringList experimental{QStringLiteral("-strict"), QStringLiteral("-2")};
    const auto audio = [](const char* encoder) {
        return QStringList{QStringLiteral("-c:a"), QString::fromLatin1(encoder)};
    };
    const Case cases[] = {
        {"MPEG-TS with TrueHD", "truehd.ts", noVideo + audio("truehd") + experimental, "truehd",
         48000},
        {"MPEG-TS with DTS and video", "dts.ts", mpeg2 + audio("dca") + experimental, "dts", 48000},
        {"MPEG-TS with MP2 and video", "mp2.ts", mpeg2 + audio("mp2"), "mp2", 48000},
        {"MPEG-PS with AC-3 and video", "ac3.mpg", mpeg2 + audio("ac3"), "ac3", 48000},
        {"MPEG-PS with LPCM and video", "lpcm.mpg", mpeg2 + audio("pcm_s16be"), "pcm_dvd", 48000},
        {"Matroska with TrueHD", "truehd.mkv", noVideo + audio("truehd") + experimental, "truehd",
         48000},
        {"Matroska with AAC and video", "aac.mkv", mpeg4 + audio("aac"), "aac", 48000},
        {"FLV with MP3 and video", "mp3.flv",
         QStringList{QStringLiteral("-c:v"), QStringLiteral("flv1"), QStringLiteral("-ar"),
                     QStringLiteral("44100")} +
             audio("libmp3lame"),
         "mp3", 44100},
        {"AVI with AC-3 and video", "ac3.avi", mpeg4 + audio("ac3"), "ac3", 48000},
        {"AVI with DTS and video", "dts.avi", mpeg4 + audio("dca") + experimental, "dts", 48000},
        {"MP4 with AAC and video", "aac.mp4", mpeg4 + audio("aac"), "aac", 48000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = ProbeSamples::folder() + QStringLiteral("/in-") + c.file;
        ASSERT_TRUE(MediaFixtures::runFfmpeg(
            QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("testsrc=duration=4:size=160x120:rate=10"),
                        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:sample_rate=48000:duration=4"),
                        QStringLiteral("-ac"), QStringLiteral("2")} +
            c.encode + QStringList{path}));
        StatePtr is = probedState(path);
        ASSERT_NE(is->ic, nullptr);
        ASSERT_GE(is->audio_stream, 0);
        const AVCodecParameters* par = is->ic->streams[is->audio_stream]->codecpar;
        EXPECT_STREQ(avcodec_get_name(par->codec_id), c.codec);
        EXPECT_EQ(par->sample_rate, c.sampleRate);
        EXPECT_EQ(par->ch_layout.nb_channels, 2);
    }
}

// What the library's own detection makes of a file, for comparison with the probe.
struct InputClose {
    void operator()(AVFormatContext* ic) const { avformat_close_input(&ic); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

InputPtr detectedAndRead(const QString& path) {
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return nullptr;
    InputPtr owned(ic);
    if (avformat_find_stream_info(ic, nullptr) < 0)
        return nullptr;
    return owned;
}

QString describe(const AVFormatContext* ic, int audio) {
    if (!ic)
        return QStringLiteral("not opened");
    QString text = QStringLiteral("%1 streams=%2 duration=%3")
                       .arg(QLatin1String(ic->iformat->name))
                       .arg(ic->nb_streams)
                       .arg(ic->duration);
    if (audio >= 0) {
        const AVCodecParameters* par = ic->streams[audio]->codecpar;
        text += QStringLiteral(" %1 %2Hz %3ch %4bps")
                    .arg(QLatin1String(avcodec_get_name(par->codec_id)))
                    .arg(par->sample_rate)
                    .arg(par->ch_layout.nb_channels)
                    .arg(par->bit_rate);
    }
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        if (ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            text += QStringLiteral(" picture");
    }
    return text;
}

QByteArray id3Tag(int bodySize) {
    QByteArray tag("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        tag.append(char((bodySize >> shift) & 0x7f));
    return tag + QByteArray(bodySize, '\0');
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(ProbeCoreTest, FilesBehindAnId3TagProbeAsTheLibraryDetectsThem) {
    const QString dir = ProbeSamples::folder() + QStringLiteral("/id3-");
    const QString sine = dir + QStringLiteral("sine.mp3");
    const QString cover = dir + QStringLiteral("cover.jpg");
    const QString covered = dir + QStringLiteral("covered.mp3");
    ASSERT_TRUE(MediaFixtures::makeSine(sine, 3.0));
    ASSERT_TRUE(MediaFixtures::runFfmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=800x800", "-frames:v", "1", cover}));
    ASSERT_TRUE(MediaFixtures::runFfmpeg({"-i", sine, "-i", cover, "-map", "0", "-map", "1", "-c",
                                          "copy", "-disposition:v", "attached_pic", covered}));
    ASSERT_TRUE(MediaFixtures::makeSine(dir + QStringLiteral("vbr.mp3"), 3.0, 44100, 2,
                                        {"-q:a", "4", "-write_xing", "0"}));
    ASSERT_TRUE(
        MediaFixtures::makeSine(dir + QStringLiteral("wave.mp3"), 3.0, 44100, 2, {"-f", "wav"}));
    ASSERT_TRUE(MediaFixtures::makeSine(dir + QStringLiteral("raw.flac"), 3.0));
    ASSERT_TRUE(
        MediaFixtures::makeSine(dir + QStringLiteral("raw.aac"), 3.0, 44100, 2, {"-f", "adts"}));
    const QByteArray coveredBytes = fileBytes(covered);
    ASSERT_GT(coveredBytes.size(), 20000);
    const struct {
        const char* file;
        QByteArray bytes; // written over the file when not empty
    } cases[] = {
        {"sine.mp3", {}},
        {"covered.mp3", {}},
        {"vbr.mp3", {}},
        {"wave.mp3", {}},
        {"flac.mp3", id3Tag(3000) + fileBytes(dir + QStringLiteral("raw.flac"))},
        {"adts.mp3", id3Tag(3000) + fileBytes(dir + QStringLiteral("raw.aac"))},
        {"truncated.mp3", coveredBytes.left(coveredBytes.size() / 2)},
        {"one-frame-header.mp3",
         id3Tag(3000) + QByteArray("\xff\xfb\x90\x64", 4) + MediaFixtures::randomBytes(20000)},
        {"tag-past-the-end.mp3", id3Tag(3000).left(1000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir + QLatin1String(c.file);
        if (!c.bytes.isEmpty()) {
            ASSERT_TRUE(MediaFixtures::writeBytes(path, c.bytes));
        }
        const InputPtr reference = detectedAndRead(path);
        int referenceAudio = -1;
        if (reference)
            referenceAudio =
                av_find_best_stream(reference.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        StatePtr is = probedState(path);
        EXPECT_EQ(describe(is->ic, is->audio_stream),
                  describe(reference.get(), referenceAudio < 0 ? -1 : referenceAudio));
    }
}

} // namespace
