#include "engine/ConvertOperation.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

struct ArgumentCase {
    const char* name;
    double trimStart;
    double trimLength;
    double movieStart;
    const char* encoder; // nullptr: the catalogue has none
    double sampleRate;
    double bitrate;
    int channels;
    QStringList expectedMiddle; // between the source and "-y"
};

LSMediaFields fieldsFor(const ArgumentCase& c) {
    LSMediaFields m;
    m.strMediaFilePath_ = QStringLiteral("/music/in put.wav");
    m.dTrimStart = c.trimStart;
    m.dTrimLength = c.trimLength;
    m.dMovieStartTime = c.movieStart;
    m.vOACodecName = c.encoder ? QString::fromUtf8(c.encoder) : QString();
    m.dAOSamplerate = c.sampleRate;
    m.dAOBitrate = c.bitrate;
    m.iAOChanels = c.channels;
    return m;
}

const ArgumentCase kCases[] = {
    {"typical mp3",
     0.0,
     200.5,
     0.0,
     "libmp3lame",
     44100,
     128,
     2,
     {"-ss", "0.0000", "-t", "200.5000", "-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a",
      "128.00k", "-ac", "2"}},
    {"trim of exactly 1.0 s is not passed",
     0.0,
     1.0,
     0.0,
     "aac",
     48000,
     256,
     1,
     {"-vn", "-acodec", "aac", "-ar", "48000.00", "-b:a", "256.00k", "-ac", "2"}},
    {"trim of 1.0001 s is passed",
     0.5,
     1.0001,
     0.25,
     "aac",
     48000,
     96,
     1,
     {"-ss", "0.2500", "-t", "1.0001", "-vn", "-acodec", "aac", "-ar", "48000.00", "-b:a", "96.00k",
      "-ac", "1"}},
    {"192 kbit/s keeps one channel",
     0.0,
     0.0,
     0.0,
     "libmp3lame",
     22050,
     192,
     1,
     {"-vn", "-acodec", "libmp3lame", "-ar", "22050.00", "-b:a", "192.00k", "-ac", "1"}},
    {"above 192 kbit/s gives two channels",
     0.0,
     0.0,
     0.0,
     "libmp3lame",
     44100,
     256,
     1,
     {"-vn", "-acodec", "libmp3lame", "-ar", "44100.00", "-b:a", "256.00k", "-ac", "2"}},
    {"no encoder gives no -acodec",
     0.0,
     30.0,
     0.0,
     nullptr,
     44100,
     1411.2,
     2,
     {"-ss", "0.0000", "-t", "30.0000", "-vn", "-ar", "44100.00", "-b:a", "1411.20k", "-ac", "2"}},
    {"Use Source values from a mono 8 kHz file",
     0.0,
     12.345678,
     0.0,
     "libvorbis",
     8000,
     64.123,
     1,
     {"-ss", "0.0000", "-t", "12.3457", "-vn", "-acodec", "libvorbis", "-ar", "8000.00", "-b:a",
      "64.12k", "-ac", "1"}},
};

void expectVectors(const char* localeNote) {
    for (const ArgumentCase& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + localeNote);
        const QStringList args = ConvertOperation::argumentVector(
            fieldsFor(c), QStringLiteral("/opt/q/ffmpeg"), QStringLiteral("/out/-a b.mp3"));
        const QStringList expected =
            QStringList{QStringLiteral("/opt/q/ffmpeg"), QStringLiteral("-i"),
                        QStringLiteral("file:/music/in put.wav")} +
            c.expectedMiddle +
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
