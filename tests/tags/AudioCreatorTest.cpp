#include "TagTestData.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTEM4AAudioFile.h"
#include "tags/MTEMpegAudioFile.h"
#include "tags/MTEOtherAudioFile.h"
#include "tags/MTETagCopy.h"

#include <QDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(AudioCreator, ChoosesTheHandlerByExtension) {
    struct Case {
        const char* name;
        int type;
        const char* family;
    };
    const Case cases[] = {
        {"a.mp3", MTEFileTypeMpeg, "mpeg"},
        {"B.MP3", MTEFileTypeMpeg, "mpeg"},
        {"c.flac", MTEFileTypeMpeg, "mpeg"},
        {"d.m4a", MTEFileTypeM4A, "m4a"},
        {"e.mp4", MTEFileTypeM4A, "m4a"},
        {"f.M4R", MTEFileTypeM4A, "m4a"},
        {"g.ogg", MTEFileTypeMpeg, "mpeg"},
        {"h.WMA", MTEFileTypeMpeg, "mpeg"},
        {"i.wav", MTEFileTypeMpeg, "mpeg"},
        {"j.caf", MTEFileTypeOther, "ffmpeg"},
        {"noextension", MTEFileTypeOther, "ffmpeg"},
        {"-dash 'quote' ü.mp3", MTEFileTypeMpeg, "mpeg"},
    };
    const QString folder = TestEnvironment::makeTempFolder();
    for (const Case& c : cases) {
        const QString path = folder + u'/' + QString::fromUtf8(c.name);
        ASSERT_TRUE(MediaFixtures::writeBytes(path, QByteArray(16, '\0')));
        const auto handler =
            MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, false);
        ASSERT_TRUE(handler) << c.name;
        EXPECT_EQ(handler->eumFileType, c.type) << c.name;
        EXPECT_EQ(handler->dicMap, MTETagKeyMap::familyMap(QLatin1String(c.family))) << c.name;
        EXPECT_EQ(handler->strFilePath, path);
        EXPECT_EQ(handler->strOutFileName, QString::fromUtf8(c.name));
        EXPECT_TRUE(handler->dicReadInfo.isEmpty()) << c.name;
    }
}

TEST(AudioCreator, NoHandlerWithoutAReadableRegularFile) {
    const QString folder = TestEnvironment::makeTempFolder();
    const QString regular = folder + QStringLiteral("/file.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(regular, "x"));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("folder.mp3")));
    const QString fifo = folder + QStringLiteral("/pipe.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const QString paths[] = {
        QString(),
        folder + QStringLiteral("/missing.mp3"),
        folder + QStringLiteral("/folder.mp3"),
        fifo,
        regular + QStringLiteral("/under a file.mp3"),
    };
    for (const QString& path : paths) {
        for (bool dump : {false, true})
            EXPECT_FALSE(
                MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, dump))
                << qPrintable(path);
        EXPECT_EQ(MTETagCopy::handleMetadataSave({}, MTEFileTypeMpeg, path),
                  MTETagWriteResult::Failed)
            << qPrintable(path);
    }
}

TEST(AudioCreator, OtherFormatsWithoutTagsReadNothing) {
    const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/plain.caf");
    ASSERT_TRUE(MediaFixtures::makeSine(path, 1.0));
    const auto handler =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
    ASSERT_TRUE(handler);
    EXPECT_TRUE(dynamic_cast<MTEOtherAudioFile*>(handler.get()));
    EXPECT_TRUE(handler->getValueForKey(QStringLiteral("Title")).isNull());
    EXPECT_EQ(handler->saveID3AttribPath(0, path), MTETagWriteResult::Failed);
}
