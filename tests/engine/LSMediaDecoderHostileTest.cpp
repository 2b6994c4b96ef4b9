#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "player/player_core.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>

// Broken and lying files: the probe must come back with one of its error codes, never
// crash, hang or read out of bounds (run these under AddressSanitizer too).
namespace {

class LSMediaDecoderHostileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
    }

    static void expectSaneOutcome(const QString& path) {
        SCOPED_TRACE(path.toStdString());
        LSMedia media;
        LSMediaDecoder decoder;
        decoder.dumpMediaStreamInfoWithFileMedia(path, media);
        EXPECT_GE(media.eumErrorCode, LSMediaErrorNone);
        EXPECT_LE(media.eumErrorCode, LSMediaErrorTooShort);
        if (media.eumErrorCode == LSMediaErrorNone) {
            EXPECT_TRUE(std::isfinite(media.dMovieDuration));
            EXPECT_GE(media.dMovieDuration, 3.0);
            EXPECT_GE(media.iAStream + media.iVStream, -1);
        }
    }
};

QByteArray littleEndian32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A PCM WAV header with whatever the test wants it to claim, followed by real bytes.
QByteArray wavClaiming(quint16 channels, quint32 rate, quint16 bits, quint32 dataSize,
                       int realBytes) {
    const quint16 blockAlign = quint16(channels * bits / 8);
    QByteArray bytes = "RIFF" + littleEndian32(0xFFFFFFFFu) + "WAVE";
    bytes += "fmt " + littleEndian32(16) + littleEndian16(1) + littleEndian16(channels) +
             littleEndian32(rate) + littleEndian32(rate * blockAlign) + littleEndian16(blockAlign) +
             littleEndian16(bits);
    bytes += "data" + littleEndian32(dataSize) + QByteArray(realBytes, '\x80');
    return bytes;
}

QString writeSample(const QString& name, const QByteArray& bytes) {
    const QString path = ProbeSamples::folder() + u'/' + name;
    MediaFixtures::writeBytes(path, bytes);
    return path;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString xingMp3() {
    const QString path = ProbeSamples::folder() + QStringLiteral("/xing.mp3");
    if (!QFile::exists(path))
        MediaFixtures::makeSine(path, 10.0, 44100, 2,
                                {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                                 QStringLiteral("-q:a"), QStringLiteral("4")});
    return path;
}

TEST_F(LSMediaDecoderHostileTest, TruncatedHeadersOfEveryFormat) {
    for (const ProbeSample& sample : ProbeSamples::catalogue()) {
        for (const qint64 bytes : {1, 16, 100, 1000, 5000}) {
            const QString name =
                QStringLiteral("cut-%1-").arg(bytes) + sample.path.section(u'/', -1);
            expectSaneOutcome(ProbeSamples::truncatedCopy(sample.path, bytes, name));
        }
    }
}

TEST_F(LSMediaDecoderHostileTest, XingMp3CutShort) {
    const QByteArray whole = readAll(xingMp3());
    ASSERT_GT(whole.size(), 10000);
    ASSERT_TRUE(whole.contains("Xing") || whole.contains("Info"));
    for (const double share : {0.05, 0.25, 0.5}) {
        const int bytes = int(whole.size() * share);
        expectSaneOutcome(
            writeSample(QStringLiteral("xing-cut-%1.mp3").arg(bytes), whole.left(bytes)));
    }
}

TEST_F(LSMediaDecoderHostileTest, XingHeaderClaimingEndlessFrames) {
    QByteArray bytes = readAll(xingMp3());
    qsizetype tag = bytes.indexOf("Xing");
    if (tag < 0)
        tag = bytes.indexOf("Info");
    ASSERT_GE(tag, 0);
    // Flags say frames and bytes follow; both claim the most a 32-bit field can hold.
    bytes.replace(tag + 4, 12, QByteArray::fromHex("00000003FFFFFFFFFFFFFFFF"));
    const QString path = writeSample(QStringLiteral("xing-endless.mp3"), bytes.left(20000));
    expectSaneOutcome(path);
    // The claim is believed (about 3.5 years), but stays a plain finite number.
    LSMedia media;
    LSMediaDecoder decoder;
    decoder.dumpMediaStreamInfoWithFileMedia(path, media);
    EXPECT_EQ(media.eumErrorCode, LSMediaErrorNone);
    EXPECT_GT(media.dMovieDuration, 1e6);
    EXPECT_EQ(media.dTrimLength, media.dMovieDuration);
}

TEST_F(LSMediaDecoderHostileTest, WavHeadersThatLie) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const std::vector<Case> cases{
        {"huge-data.wav", wavClaiming(1, 8000, 8, 0xFFFFFFF0u, 4000)},
        {"one-hertz.wav", wavClaiming(1, 1, 8, 0xFFFFFFF0u, 100)},
        {"no-channels.wav", wavClaiming(0, 44100, 16, 1000, 1000)},
        {"no-rate.wav", wavClaiming(2, 0, 16, 1000, 1000)},
        {"no-bits.wav", wavClaiming(2, 44100, 0, 1000, 1000)},
        {"many-channels.wav", wavClaiming(65535, 44100, 16, 1000, 1000)},
        {"header-only.wav", wavClaiming(2, 44100, 16, 1000, 0)},
    };
    for (const Case& c : cases)
        expectSaneOutcome(writeSample(QLatin1String(c.name), c.bytes));
}

TEST_F(LSMediaDecoderHostileTest, RandomBytesUnderAudioNames) {
    for (const char* ext : {"mp3", "m4a", "flac", "ogg", "wav", "wma", "ac3", "caf", "mp4"}) {
        for (const quint32 seed : {1u, 2u, 3u}) {
            const QString name = QStringLiteral("random-%1.%2").arg(seed).arg(QLatin1String(ext));
            expectSaneOutcome(writeSample(name, MediaFixtures::randomBytes(20000, seed)));
        }
    }
}

} // namespace
