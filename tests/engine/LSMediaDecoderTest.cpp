#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "player/player_core.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

namespace {

class LSMediaDecoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
    }

    static LSMediaFields probe(const QString& path) {
        LSMedia media;
        LSMediaDecoder decoder;
        decoder.dumpMediaStreamInfoWithFileMedia(path, media);
        return LSMediaFields(media);
    }
};

double jsonNumber(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString().toDouble();
}

// The probe must tell the same story as ffprobe about every catalogue format.
TEST_F(LSMediaDecoderTest, CatalogueFormatsAreDescribedLikeFfprobeDoes) {
    ASSERT_EQ(ProbeSamples::catalogue().size(), 13u);
    for (const ProbeSample& sample : ProbeSamples::catalogue()) {
        SCOPED_TRACE(sample.name.toStdString());
        const QJsonObject probed = MediaFixtures::probe(sample.path);
        const QJsonObject stream = MediaFixtures::firstAudioStream(probed);
        ASSERT_FALSE(stream.isEmpty()) << "fixture missing: " << sample.path.toStdString();

        const LSMediaFields media = probe(sample.path);
        EXPECT_EQ(media.eumErrorCode, LSMediaErrorNone);
        EXPECT_EQ(media.eumMediaType, LSMediaTypeAudio);
        EXPECT_EQ(media.iVStream, -1);
        EXPECT_EQ(media.iAStream, stream.value(QLatin1String("index")).toInt());
        EXPECT_EQ(media.iSStream, -1);
        EXPECT_EQ(media.strACodecName, sample.codecName);
        EXPECT_EQ(media.strACodecName, stream.value(QLatin1String("codec_name")).toString());
        EXPECT_EQ(media.dSamplerate, jsonNumber(stream, "sample_rate"));
        EXPECT_EQ(media.iChanels, 2);
        EXPECT_EQ(media.dABitrate, jsonNumber(stream, "bit_rate"));
        EXPECT_EQ(media.strASampleSize, stream.value(QLatin1String("sample_fmt")).toString());
        EXPECT_GT(media.aCodecID, 0);
        const double duration =
            jsonNumber(probed.value(QLatin1String("format")).toObject(), "duration");
        EXPECT_NEAR(media.dMovieDuration, duration, 1e-5);
        EXPECT_GE(media.dMovieDuration, 3.9);
        EXPECT_EQ(media.dMovieStartTime, 0.0);
        EXPECT_EQ(media.dTrimStart, 0.0);
        EXPECT_EQ(media.dTrimLength, media.dMovieDuration);
        EXPECT_EQ(media.dSplitStart, 0.0);
        EXPECT_EQ(media.dSplitLength, media.dMovieDuration);
    }
}

struct ErrorCase {
    const char* name;
    QString (*makePath)();
    int errorCode;
    // Random bytes may be claimed by some demuxer whose stream information then fails.
    int alsoAccepted = -1;
};

QString missingPath() {
    return ProbeSamples::folder() + QStringLiteral("/no such file.mp3");
}

QString emptyFile() {
    const QString path = ProbeSamples::folder() + QStringLiteral("/empty.mp3");
    MediaFixtures::writeBytes(path, QByteArray());
    return path;
}

QString randomBytes() {
    const QString path = ProbeSamples::folder() + QStringLiteral("/random.dat");
    MediaFixtures::writeBytes(path, MediaFixtures::randomBytes(64 * 1024));
    return path;
}

QString folderPath() {
    return ProbeSamples::folder();
}
QString shortWav() {
    return ProbeSamples::wav(2.9);
}

// Opening a pipe nobody writes to would block for ever.
QString namedPipe() {
    const QString path = ProbeSamples::folder() + QStringLiteral("/pipe.mp3");
    mkfifo(path.toUtf8().constData(), 0600);
    return path;
}

QString characterDevice() {
    return QStringLiteral("/dev/zero");
}

TEST_F(LSMediaDecoderTest, ErrorCodesOfFilesThatCannotBeUsed) {
    const std::vector<ErrorCase> cases{
        {"missing path", missingPath, LSMediaErrorOpenFailed},
        {"empty file", emptyFile, LSMediaErrorOpenFailed},
        {"random bytes", randomBytes, LSMediaErrorOpenFailed, LSMediaErrorNoStream},
        {"a folder", folderPath, LSMediaErrorOpenFailed},
        {"a named pipe", namedPipe, LSMediaErrorOpenFailed},
        {"a character device", characterDevice, LSMediaErrorOpenFailed},
        {"subtitle-only srt", ProbeSamples::subtitleOnlySrt, LSMediaErrorNoStream},
        {"subtitle-only mkv", ProbeSamples::subtitleOnlyMkv, LSMediaErrorNoStream},
        {"2.9 s WAV", shortWav, LSMediaErrorTooShort},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int code = probe(c.makePath()).eumErrorCode;
        if (code != c.alsoAccepted) {
            EXPECT_EQ(code, c.errorCode);
        }
    }
}

TEST_F(LSMediaDecoderTest, FileThatCannotBeOpenedLeavesStreamFieldsAlone) {
    LSMedia media;
    media.iVStream = 7;
    media.iAStream = 8;
    media.dSamplerate = 1234;
    LSMediaDecoder decoder;
    decoder.dumpMediaStreamInfoWithFileMedia(missingPath(), media);
    EXPECT_EQ(media.eumErrorCode, LSMediaErrorOpenFailed);
    EXPECT_EQ(media.iVStream, 7);
    EXPECT_EQ(media.iAStream, 8);
    EXPECT_EQ(media.dSamplerate, 1234);
}

TEST_F(LSMediaDecoderTest, SubtitleOnlyFileHasItsIndicesWritten) {
    LSMedia media;
    media.iAStream = 5;
    LSMediaDecoder decoder;
    decoder.dumpMediaStreamInfoWithFileMedia(ProbeSamples::subtitleOnlyMkv(), media);
    EXPECT_EQ(media.eumErrorCode, LSMediaErrorNoStream);
    EXPECT_EQ(media.iVStream, -1);
    EXPECT_EQ(media.iAStream, -1);
    EXPECT_EQ(media.iSStream, 0);
}

TEST_F(LSMediaDecoderTest, ShortFileKeepsAudioFieldsButNoTrim) {
    LSMedia media;
    media.dTrimLength = 42.0;
    LSMediaDecoder decoder;
    decoder.dumpMediaStreamInfoWithFileMedia(ProbeSamples::wav(2.9), media);
    EXPECT_EQ(media.eumErrorCode, LSMediaErrorTooShort);
    EXPECT_NEAR(media.dMovieDuration, 2.9, 1e-3);
    EXPECT_EQ(media.dSamplerate, 44100);
    EXPECT_EQ(media.strACodecName, QStringLiteral("pcm_s16le"));
    EXPECT_EQ(media.dTrimLength, 42.0);
}

TEST_F(LSMediaDecoderTest, ThreeSecondsIsLongEnough) {
    const LSMediaFields media = probe(ProbeSamples::wav(3.0));
    EXPECT_EQ(media.eumErrorCode, LSMediaErrorNone);
    EXPECT_EQ(media.dMovieDuration, 3.0);
    EXPECT_EQ(media.dTrimLength, 3.0);
}

TEST_F(LSMediaDecoderTest, VideoFilesAreTypeVideo) {
    const LSMediaFields videoOnly = probe(ProbeSamples::videoOnlyMp4());
    EXPECT_EQ(videoOnly.eumErrorCode, LSMediaErrorNone);
    EXPECT_EQ(videoOnly.eumMediaType, LSMediaTypeVideo);
    EXPECT_EQ(videoOnly.iVStream, 0);
    EXPECT_EQ(videoOnly.iAStream, -1);
    EXPECT_TRUE(videoOnly.strACodecName.isEmpty());

    const LSMediaFields both = probe(ProbeSamples::videoAndAudioMp4());
    EXPECT_EQ(both.eumErrorCode, LSMediaErrorNone);
    EXPECT_EQ(both.eumMediaType, LSMediaTypeVideo);
    EXPECT_EQ(both.iVStream, 0);
    EXPECT_EQ(both.iAStream, 1);
    EXPECT_EQ(both.strACodecName, QStringLiteral("aac"));
    EXPECT_EQ(both.dSamplerate, 22050);
    EXPECT_EQ(both.iChanels, 1);
    EXPECT_EQ(both.strASampleSize, QStringLiteral("fltp"));
    EXPECT_GT(both.dABitrate, 0.0);
}

// A file reached through nested folders, so that its path has exactly the given length.
QString copyToPathOfLength(const QString& source, int length) {
    QString dir = TestEnvironment::makeTempFolder(QStringLiteral("long"));
    const QString fileName = QStringLiteral("/f.wav");
    while (dir.size() + fileName.size() < length) {
        const int room = length - int(dir.size()) - int(fileName.size()) - 1;
        dir += u'/' + QString(std::min(room > 0 ? room : 1, 200), u'd');
    }
    QDir().mkpath(dir);
    const QString path = dir + fileName;
    QFile::copy(source, path);
    return path;
}

TEST_F(LSMediaDecoderTest, LongPathsAreRefusedNotCut) {
    const QString fits = copyToPathOfLength(ProbeSamples::wav(3.0), 1023);
    ASSERT_EQ(fits.toUtf8().size(), 1023);
    ASSERT_TRUE(QFile::exists(fits));
    EXPECT_EQ(probe(fits).eumErrorCode, LSMediaErrorNone);

    const QString tooLong = copyToPathOfLength(ProbeSamples::wav(3.0), 1024);
    ASSERT_EQ(tooLong.toUtf8().size(), 1024);
    ASSERT_TRUE(QFile::exists(tooLong));
    EXPECT_EQ(probe(tooLong).eumErrorCode, LSMediaErrorOpenFailed);
}

TEST_F(LSMediaDecoderTest, OddFileNamesAreOpenedAsTheyStand) {
    const QStringList names{QStringLiteral("with space.wav"), QStringLiteral("-leading dash.wav"),
                            QStringLiteral("quote's \"double\".wav"), QStringLiteral("Grüße ♫.wav"),
                            QStringLiteral("pipe:0.wav")};
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("odd"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = folder + u'/' + name;
        ASSERT_TRUE(QFile::copy(ProbeSamples::wav(3.0), path));
        EXPECT_EQ(probe(path).eumErrorCode, LSMediaErrorNone);
    }
}

TEST_F(LSMediaDecoderTest, OneDecoderProbesFileAfterFile) {
    LSMediaDecoder decoder;
    for (int round = 0; round < 3; ++round) {
        for (const ProbeSample& sample : ProbeSamples::catalogue()) {
            LSMedia media;
            decoder.dumpMediaStreamInfoWithFileMedia(sample.path, media);
            EXPECT_EQ(media.eumErrorCode, LSMediaErrorNone) << sample.name.toStdString();
        }
        LSMedia missing;
        decoder.dumpMediaStreamInfoWithFileMedia(missingPath(), missing);
        EXPECT_EQ(missing.eumErrorCode, LSMediaErrorOpenFailed);
    }
}

} // namespace
