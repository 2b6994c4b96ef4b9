#include "engine/LSMedia.h"
#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"

#include <QImage>

#include <gtest/gtest.h>

#include <thread>

TEST(MediaModel, FreshObjectsHaveTheirInitialValues) {
    LSMedia media;
    EXPECT_EQ(media.eumDestFmtType, LSDestFmtTypeAudio);
    EXPECT_EQ(media.eumCropType, LSCropTypeNone);
    EXPECT_TRUE(media.bSampeQuality);
    EXPECT_EQ(media.strProfileType, QStringLiteral("M4VH"));
    EXPECT_TRUE(media.strProfileName.isNull());
    EXPECT_EQ(media.rcCroped, QRectF());
    EXPECT_EQ(media.eumCvtState.load(), LSConvertStateWaiting);

    QVMusicInfo music;
    EXPECT_EQ(music.dConvertProgress.load(), QVProgressWaiting);
    EXPECT_FALSE(music.bIsSendingToiTunes);
    ASSERT_NE(music.discreteProgress(), nullptr);
    EXPECT_EQ(music.discreteProgress()->maxValue(), 100.0);
}

TEST(MediaModel, RowEquality) {
    const struct {
        const char *pathA, *typeA, *pathB, *typeB;
        bool equal;
    } cases[] = {
        {"/m/a.wav", "MP3", "/m/a.wav", "MP3", true},
        {"/m/a.wav", "MP3", "/m/a.wav", "AAC", false},
        {"/m/a.wav", "MP3", "/m/b.wav", "MP3", false},
        {"/m/a.wav", nullptr, "/m/a.wav", nullptr, false},
        {nullptr, "MP3", nullptr, "MP3", false},
    };
    for (const auto& c : cases) {
        QVMusicInfo a, b;
        a.strFilePath = c.pathA ? QString::fromUtf8(c.pathA) : QString();
        a.strMusicType = c.typeA ? QString::fromUtf8(c.typeA) : QString();
        b.strFilePath = c.pathB ? QString::fromUtf8(c.pathB) : QString();
        b.strMusicType = c.typeB ? QString::fromUtf8(c.typeB) : QString();
        EXPECT_EQ(a.isEqualToMusic(b), c.equal) << (c.pathA ? c.pathA : "nil");
    }
}

TEST(MediaModel, KeyedCodingWritesExactKeysAndSkipsEmptyStrings) {
    LSMedia media;
    media.dSamplerate = 44100;
    media.iAOChanels = 1;
    media.strACodecName = QStringLiteral("mp3");
    const QVariantMap coder = media.encodeWithCoder();
    const QStringList alwaysWritten{
        "dFileSize",   "dMovieDuration", "dSamplerate", "dABitrate",    "iChanels",
        "dTrimLength", "eumDestFmtType", "eumCvtState", "eumErrorCode", "eumMediaType",
        "dAOBitrate",  "dAOSamplerate",  "iOAChanels"};
    for (const QString& key : alwaysWritten)
        EXPECT_TRUE(coder.contains(key)) << key.toStdString();
    for (const char* key : {"strASampleSize", "strMediaFilePath_", "strLastModified", "strFmtName",
                            "strOutFileExt", "strOutFileName", "vOACodecName"})
        EXPECT_FALSE(coder.contains(QLatin1String(key))) << key;
    EXPECT_EQ(coder.value("strACodecName"), QStringLiteral("mp3"));
    EXPECT_EQ(coder.value("iOAChanels").toInt(), 1);
}

TEST(MediaModel, KeyedCodingRoundTripsEveryWrittenField) {
    LSMedia media;
    media.strMediaFilePath_ = QStringLiteral("/music/Ünïcode song.flac");
    media.dFileSize = 123456789;
    media.dMovieDuration = 245.5;
    media.dSamplerate = 48000;
    media.dABitrate = 320000;
    media.iChanels = 6;
    media.dTrimLength = 245.5;
    media.eumDestFmtType = LSDestFmtTypeVideo;
    media.eumCvtState = LSConvertStateFailed;
    media.eumErrorCode = LSMediaErrorTooShort;
    media.eumMediaType = LSMediaTypeAudio;
    media.strASampleSize = QStringLiteral("s32");
    media.strACodecName = QStringLiteral("flac");
    media.strLastModified = QStringLiteral("7/12/26 22:22 PM");
    media.strFmtName = QStringLiteral("flac");
    media.strOutFileExt = QStringLiteral("mp3");
    media.strOutFileName = QStringLiteral("Ünïcode song");
    media.dAOBitrate = 192;
    media.dAOSamplerate = 44100;
    media.iAOChanels = 2;
    media.vOACodecName = QStringLiteral("libmp3lame");

    const auto back = LSMedia::initWithCoder(media.encodeWithCoder());
    EXPECT_EQ(back->encodeWithCoder(), media.encodeWithCoder());
    EXPECT_EQ(back->eumDestFmtType, LSDestFmtTypeVideo);
    EXPECT_EQ(back->iAOChanels, 2);

    // Keys that are missing take the initial values.
    const auto empty = LSMedia::initWithCoder({});
    EXPECT_EQ(empty->eumDestFmtType, LSDestFmtTypeAudio);
    EXPECT_EQ(empty->eumCvtState.load(), LSConvertStateWaiting);
}

TEST(MediaModel, RowCodingRoundTrip) {
    QVMusicInfo music;
    music.strFilePath = QStringLiteral("/music/a b.mp3");
    music.strMusicName = QStringLiteral("Artist - Title");
    music.mediaInfo = std::make_shared<LSMedia>();
    music.mediaInfo->dSamplerate = 22050;
    music.metHandler = std::make_shared<MTEAudioFile>();
    music.metHandler->dicReadInfo.insert(QStringLiteral("TIT2"), QStringLiteral("Title"));
    music.strMusicType = QStringLiteral("AAC");
    music.dConvertProgress = 42.5;
    music.bIsSendingToiTunes = true;
    music.striTunesPlaylistName = QStringLiteral(" Quaverly");
    music.dicToMetadata.insert(QStringLiteral("TIT2"), QStringLiteral("Title"));

    const QVariantMap coder = music.encodeWithCoder();
    for (const char* key :
         {"strSourceFilePath", "mediaInfo", "MusicName", "metInfo", "strMusicType",
          "dConvertProgress", "bIsSendingToiTunes", "striTunesPlaylistName", "dicToMetadata"})
        EXPECT_TRUE(coder.contains(QLatin1String(key))) << key;
    const auto back = QVMusicInfo::initWithCoder(coder);
    EXPECT_EQ(back->encodeWithCoder(), coder);
    ASSERT_NE(back->mediaInfo, nullptr);
    EXPECT_EQ(back->mediaInfo->dSamplerate, 22050);
    ASSERT_NE(back->metHandler, nullptr);
    EXPECT_EQ(back->metHandler->dicReadInfo.value("TIT2"), QStringLiteral("Title"));
}

TEST(MediaModel, CopySharesTheBarButOwnsEverythingElse) {
    QVMusicInfo music;
    music.strFilePath = QStringLiteral("/music/a.mp3");
    music.mediaInfo = std::make_shared<LSMedia>();
    music.mediaInfo->strProfileName = QStringLiteral("profile");
    music.mediaInfo->eumCvtState = LSConvertStateSucceeded;
    music.metHandler = std::make_shared<MTEAudioFile>();
    QImage cover(4, 4, QImage::Format_RGB32);
    cover.fill(Qt::blue);
    music.dicToMetadata.insert(QStringLiteral("APIC"), cover);
    music.dicToMetadata.insert(QStringLiteral("TIT2"), QStringLiteral("x"));

    const auto copy = music.copy();
    EXPECT_EQ(copy->discreteProgress(), music.discreteProgress());
    EXPECT_NE(copy->mediaInfo, music.mediaInfo);
    EXPECT_NE(copy->metHandler, music.metHandler);
    EXPECT_EQ(copy->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
    EXPECT_TRUE(copy->mediaInfo->strProfileName.isNull());
    EXPECT_TRUE(copy->mediaInfo->strProfileType.isNull());

    copy->dicToMetadata.insert(QStringLiteral("TIT2"), QStringLiteral("changed"));
    copy->mediaInfo->dSamplerate = 8000;
    EXPECT_EQ(music.dicToMetadata.value("TIT2"), QStringLiteral("x"));
    EXPECT_EQ(music.mediaInfo->dSamplerate, 0.0);
    EXPECT_EQ(copy->dicToMetadata.value("APIC").value<QImage>(), cover);
}

TEST(MediaModel, ProgressAndStateCrossThreadsWithoutRaces) {
    auto media = std::make_shared<LSMedia>();
    std::thread job([media] {
        for (int i = 0; i <= 100; ++i) {
            media->dProgress = i;
            media->dLeftTime = 100 - i;
        }
        media->eumCvtState = LSConvertStateSucceeded;
    });
    double last = 0;
    while (media->eumCvtState.load() != LSConvertStateSucceeded) {
        const double now = media->dProgress.load();
        EXPECT_GE(now, last);
        last = now;
    }
    job.join();
    EXPECT_EQ(media->dProgress.load(), 100.0);
}
