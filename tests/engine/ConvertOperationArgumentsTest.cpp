#include "engine/ConvertOperation.h"
#include "engine/QVSpeakerMatrix.h"

#include <QStringList>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <clocale>
#include <limits>
#include <string>

namespace {

struct ArgumentCase {
    const char* name;
    double trimStart;
    double trimLength;
    double movieStart;
    double movieDuration;
    const char* encoder; // nullptr: the catalogue has none
    double sampleRate;
    double bitrate;
    int channels;
    QStringList expectedMiddle;    // between the source and the entries ffmpeg must not copy
    const char* container = "wav"; // as the probe names it
    QStringList expectedBeforeOutput = {};
    const char* sourceLayout = nullptr; // as the probe found it; nullptr: not said
    int sourceChannels = 0;
};

quint64 maskNamed(const char* name) {
    AVChannelLayout layout{};
    const quint64 mask = name && av_channel_layout_from_string(&layout, name) == 0 &&
                                 layout.order == AV_CHANNEL_ORDER_NATIVE
                             ? layout.u.mask
                             : 0;
    av_channel_layout_uninit(&layout);
    return mask;
}

// Encoder data, MP4 brands and the source track's container data, dropped from ffmpeg's
// copy of the source's metadata.
const QStringList kDroppedEntries{"-metadata",      "iTunSMPB=",     "-metadata",
                                  "iTunPGAP=",      "-metadata",     "iTunNORM=",
                                  "-metadata",      "major_brand=",  "-metadata",
                                  "minor_version=", "-metadata",     "compatible_brands=",
                                  "-metadata:s:a",  "handler_name=", "-metadata:s:a",
                                  "vendor_id="};

LSMediaFields fieldsFor(const ArgumentCase& c) {
    LSMediaFields m;
    m.strMediaFilePath_ = QStringLiteral("/music/in put.wav");
    m.dTrimStart = c.trimStart;
    m.dTrimLength = c.trimLength;
    m.dMovieStartTime = c.movieStart;
    m.dMovieDuration = c.movieDuration;
    m.vOACodecName = c.encoder ? QString::fromUtf8(c.encoder) : QString();
    m.dAOSamplerate = c.sampleRate;
    m.dAOBitrate = c.bitrate;
    m.iAOChanels = c.channels;
    m.strFmtName = QString::fromUtf8(c.container);
    m.iChannelLayout = maskNamed(c.sourceLayout);
    m.iChanels = c.sourceChannels;
    return m;
}

const ArgumentCase kCases[] = {
    {"the whole file is never cut to its probed length",
     0.0,
     200.5,
     0.0,
     200.5,
     "libmp3lame",
     44100,
     128,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "128.00k", "-ac", "2"}},
    {"a trim within a thousandth of the whole file is the whole file",
     1.0005,
     199.0,
     1.0,
     199.0004,
     "libmp3lame",
     44100,
     128,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "128.00k", "-ac", "2"}},
    {"a trim ending early is passed",
     0.0,
     100.0,
     0.0,
     200.5,
     "libmp3lame",
     44100,
     128,
     2,
     {"-ss", "0.0000", "-t", "100.0000", "-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a",
      "128.00k", "-ac", "2"}},
    {"a trim starting late is passed",
     10.25,
     190.25,
     0.25,
     200.0,
     "libmp3lame",
     44100,
     128,
     2,
     {"-ss", "10.0000", "-t", "190.2500", "-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a",
      "128.00k", "-ac", "2"}},
    {"a narrow trim of exactly 1.0 s is not passed",
     0.0,
     1.0,
     0.0,
     30.0,
     "aac",
     48000,
     256,
     1,
     {"-vn", "-acodec", "aac", "-ar", "48000.00", "-b:a", "256.00k", "-ac", "1"}},
    {"a narrow trim of 1.0001 s is passed",
     0.5,
     1.0001,
     0.25,
     30.0,
     "aac",
     48000,
     96,
     1,
     {"-ss", "0.2500", "-t", "1.0001", "-vn", "-acodec", "aac", "-ar", "48000.00", "-b:a", "96.00k",
      "-ac", "1"}},
    {"mono stays mono at any bitrate",
     0.0,
     30.0,
     0.0,
     30.0,
     "libmp3lame",
     44100,
     320,
     1,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "320.00k", "-ac", "1"}},
    {"a PCM source's bitrate keeps its one channel",
     0.0,
     30.0,
     0.0,
     30.0,
     "flac",
     44100,
     705.6,
     1,
     {"-vn", "-acodec", "flac", "-ar", "44100.00", "-b:a", "705.60k", "-ac", "1"}},
    {"a 96 kHz source into MP3 is written at 48 kHz",
     0.0,
     30.0,
     0.0,
     30.0,
     "libmp3lame",
     96000,
     192,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "48000.00", "-b:a", "192.00k", "-ac", "2"}},
    {"a rate MP3 lacks takes the next one above",
     0.0,
     30.0,
     0.0,
     30.0,
     "libmp3lame",
     37800,
     192,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "192.00k", "-ac", "2"}},
    {"Opus is always written at 48 kHz",
     0.0,
     30.0,
     0.0,
     30.0,
     "libopus",
     44100,
     128,
     2,
     {"-vn", "-acodec", "libopus", "-ar", "48000.00", "-b:a", "128.00k", "-ac", "2"}},
    {"six channels that do not say where they go keep their 5.1 in ALAC",
     0.0,
     30.0,
     0.0,
     30.0,
     "alac",
     96000,
     4608,
     6,
     {"-vn", "-acodec", "alac", "-ar", "96000.00", "-b:a", "4608.00k", "-channel_layout", "5.1"}},
    {"a 5.1 source into WMA is a stereo downmix scaled so that it cannot clip",
     0.0,
     30.0,
     0.0,
     30.0,
     "wmav2",
     48000,
     128,
     6,
     {"-vn", "-acodec", "wmav2", "-ar", "48000.00", "-b:a", "128.00k", "-af",
      "pan=stereo|c0=0.4142*c0+0.2929*c2+0.2929*c4|c1=0.4142*c1+0.2929*c2+0.2929*c5", "-ac", "2"}},
    {"no encoder gives no -acodec",
     0.0,
     30.0,
     0.0,
     60.0,
     nullptr,
     44100,
     1411.2,
     2,
     {"-ss", "0.0000", "-t", "30.0000", "-vn", "-ar", "44100.00", "-b:a", "1411.20k", "-ac", "2"}},
    {"Use Source values from a mono 8 kHz file",
     0.0,
     12.345678,
     0.0,
     12.345678,
     "libvorbis",
     8000,
     64.123,
     1,
     {"-vn", "-acodec", "libvorbis", "-ar", "44100.00", "-b:a", "64.12k", "-ac", "1"}},
    {"numbers that are not finite go as 0, never as inf or nan",
     0.0,
     30.0,
     0.0,
     30.0,
     nullptr,
     std::numeric_limits<double>::quiet_NaN(),
     std::numeric_limits<double>::infinity(),
     2,
     {"-vn", "-ar", "0.00", "-b:a", "0.00k", "-ac", "2"}},
    {"an Ogg source's tags are taken from its stream, where Ogg keeps them",
     0.0,
     30.0,
     0.0,
     30.0,
     "libmp3lame",
     44100,
     192,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "192.00k", "-ac", "2"},
     "ogg",
     {"-map_metadata", "0:s:a:0"}},
    {"a 5.1(side) film soundtrack into Opus has its side pair written as the back pair",
     0.0,
     30.0,
     0.0,
     30.0,
     "libopus",
     48000,
     256,
     6,
     {"-vn", "-acodec", "libopus", "-ar", "48000.00", "-b:a", "256.00k", "-af",
      "channelmap=map=0|1|2|3|4|5:channel_layout=5.1", "-channel_layout", "5.1"},
     "wav",
     {},
     "5.1(side)"},
    {"a 3.0 source keeps its centre, where a count alone would put an LFE",
     0.0,
     30.0,
     0.0,
     30.0,
     "pcm_s16le",
     44100,
     2116.8,
     3,
     {"-vn", "-acodec", "pcm_s16le", "-ar", "44100.00", "-b:a", "2116.80k", "-channel_layout",
      "3.0"},
     "wav",
     {},
     "3.0"},
    {"a 2.1 source into Opus keeps its LFE in a 5.1 whose other speakers are silent",
     0.0,
     30.0,
     0.0,
     30.0,
     "libopus",
     48000,
     32,
     3,
     {"-vn", "-acodec", "libopus", "-ar", "48000.00", "-b:a", "32.00k", "-af",
      "pan=6c|c0=c0|c1=c1|c3=c2,channelmap=channel_layout=5.1", "-channel_layout", "5.1"},
     "wav",
     {},
     "2.1"},
    {"a 7.1 source into Vorbis gets the 256 kbit/s eight channels need",
     0.0,
     30.0,
     0.0,
     30.0,
     "libvorbis",
     48000,
     64,
     8,
     {"-vn", "-acodec", "libvorbis", "-ar", "48000.00", "-b:a", "256.00k", "-channel_layout",
      "7.1"},
     "wav",
     {},
     "7.1"},
    {"a stereo source that names its speakers converts as before",
     0.0,
     30.0,
     0.0,
     30.0,
     "libmp3lame",
     44100,
     320,
     2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "320.00k", "-ac", "2"},
     "mp3",
     {},
     "stereo"},
    {"three channels that do not say where they go are 2.1 in AC-3, LFE kept",
     0.0,
     30.0,
     0.0,
     30.0,
     "ac3",
     48000,
     128,
     3,
     {"-vn", "-acodec", "ac3", "-ar", "48000.00", "-b:a", "128.00k", "-channel_layout", "2.1"}},
    {"sixteen channels that do not say where they go fold their tops before MP3's downmix",
     0.0, 30.0, 0.0, 30.0, "libmp3lame", 48000, 320, 2,
     {"-vn", "-acodec", "libmp3lame", "-ar", "48000.00", "-b:a", "320.00k", "-af",
      "pan=stereo|c0=0.1144*c0+0.0809*c8+0.0809*c14+0.1144*c2+0.0809*c9+0.1144*c3+0.0809*c11+"
      "0.0809*c5+0.0572*c12+0.1953*c6|c1=0.1144*c1+0.0809*c10+0.0809*c15+0.1144*c2+0.0809*c9+"
      "0.1144*c4+0.0809*c13+0.0809*c5+0.0572*c12+0.1953*c7",
      "-ac", "2"},
     "wav", {}, nullptr, 16},
};

void expectVectors(const char* localeNote) {
    for (const ArgumentCase& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + localeNote);
        const QStringList args = ConvertOperation::argumentVector(
            fieldsFor(c), QStringLiteral("/opt/q/ffmpeg"), QStringLiteral("/out/-a b.mp3"));
        const QStringList expected =
            QStringList{QStringLiteral("/opt/q/ffmpeg"), QStringLiteral("-i"),
                        QStringLiteral("file:/music/in put.wav")} +
            c.expectedMiddle + kDroppedEntries + c.expectedBeforeOutput +
            QStringList{QStringLiteral("-y"), QStringLiteral("file:/out/-a b.mp3")};
        EXPECT_EQ(args, expected) << args.join(u' ').toStdString();
    }
}

} // namespace

TEST(ConvertOperationArguments, FollowTheMediaDescription) {
    expectVectors("");
}

TEST(ConvertOperationArguments, UseAPointUnderAGermanLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not generated (scripts/install-deps.sh)";
    }
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    expectVectors(" (de_DE)");
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(ConvertOperationArguments, FileNamesAreNeverReadAsProtocolsOrOptions) {
    LSMediaFields m = fieldsFor(kCases[0]);
    m.strMediaFilePath_ = QStringLiteral("/m/http:x \"q\" 'é'.wav");
    const QStringList args =
        ConvertOperation::argumentVector(m, QStringLiteral("ffmpeg"), QStringLiteral("/o/-y.mp3"));
    EXPECT_EQ(args.at(2), QStringLiteral("file:/m/http:x \"q\" 'é'.wav"));
    EXPECT_EQ(args.last(), QStringLiteral("file:/o/-y.mp3"));
}

// A downmix has FFmpeg's own gains, scaled as a whole (5.1 into stereo: the WMA row above).
TEST(QVSpeakerMatrix, DownmixesWithFfmpegsGainsAndNeverClips) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"5.1", "mono", "pan=mono|c0=0.2071*c0+0.2071*c1+0.2929*c2+0.1464*c4+0.1464*c5"},
        {"TFL+TFR+TBL+TBR", "stereo", "pan=stereo|c0=0.5000*c0+0.5000*c2|c1=0.5000*c1+0.5000*c3"},
        {"FL+LFE", "stereo",
         "channelmap=channel_layout=2 channels,pan=2c|c0=c0,channelmap=channel_layout=stereo"},
    };
    for (const auto& [source, output, filter] : cases)
        EXPECT_EQ(QVSpeakerMatrix::downmix(maskNamed(source), maskNamed(output)).filter(),
                  QLatin1String(filter))
            << source << " into " << output;
}
