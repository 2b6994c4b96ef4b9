#include "TagTestData.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"

#include <QFile>

#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <gtest/gtest.h>

using namespace TagTestData;

namespace {

QString makeAudio(const QString& name, const QStringList& extra = {}) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("audio")) + u'/' + name;
    EXPECT_TRUE(MediaFixtures::makeSine(path, 1.0, 44100, 2, extra));
    return path;
}

std::shared_ptr<MTEAudioFile> readTags(const QString& path) {
    return MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
}

QStringList metadataArguments() {
    return {QStringLiteral("-metadata"), QStringLiteral("title=Flüss 河"),
            QStringLiteral("-metadata"), QStringLiteral("artist=Ärtist 🎸"),
            QStringLiteral("-metadata"), QStringLiteral("album=Album"),
            QStringLiteral("-metadata"), QStringLiteral("album_artist=Band"),
            QStringLiteral("-metadata"), QStringLiteral("track=5/12"),
            QStringLiteral("-metadata"), QStringLiteral("date=2021"),
            QStringLiteral("-metadata"), QStringLiteral("comment=Nice")};
}

void addFlacPicture(const QString& path, const QImage& image) {
    TagLib::FLAC::File file(QFile::encodeName(path).constData());
    const QByteArray png = GlobalFun::imageDataRepresentationOfType(image, QStringLiteral("png"));
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/png");
    picture->setData(TagLib::ByteVector(png.constData(), unsigned(png.size())));
    file.addPicture(picture);
    ASSERT_TRUE(file.save());
}

} // namespace

TEST(FlacTags, VorbisCommentReadsIntoTheMpegFamily) {
    const QString path = makeAudio(QStringLiteral("tagged.flac"), metadataArguments());
    addFlacPicture(path, makeCover(50, 40));
    const auto handler = readTags(path);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->eumFileType, MTEFileTypeMpeg);
    const std::pair<const char*, QString> expected[] = {
        {"TIT2", QStringLiteral("Flüss 河")}, {"TPE1", QStringLiteral("Ärtist 🎸")},
        {"TALB", QStringLiteral("Album")},    {"TPE2", QStringLiteral("Band")},
        {"TRCK", QStringLiteral("5/12")},     {"TDRC", QStringLiteral("2021")},
        {"COMM", QStringLiteral("Nice")},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(handler->dicReadInfo.value(QLatin1String(key)).toString(), value) << key;
    EXPECT_EQ(coverImage(*handler).size(), QSize(50, 40));
    EXPECT_EQ(handler->strTagVersion, QStringLiteral("Vorbis Comment"));
}

TEST(FlacTags, WritesVorbisCommentAndPictureNeverId3v2) {
    const QString path = makeAudio(QStringLiteral("output.flac"));
    const QImage cover = pngCover(TestEnvironment::makeTempFolder(), 3000);
    ASSERT_EQ(MTETagCopy::handleMetadataSave(allTags(QStringLiteral("mpeg"), cover),
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    EXPECT_TRUE(fileBytes(path).startsWith("fLaC"));

    const QJsonObject probe = MediaFixtures::probe(path);
    const QJsonObject tags = formatTags(probe);
    const auto all = textTags();
    const std::pair<const char*, int> probeKeys[] = {
        {"title", 0},     {"artist", 1},   {"album", 2},     {"album_artist", 3},
        {"date", 4},      {"genre", 6},    {"composer", 7},  {"publisher", 8},
        {"copyright", 9}, {"comment", 10}, {"grouping", 11}, {"lyrics", 12},
    };
    for (const auto& [key, index] : probeKeys)
        EXPECT_EQ(probeTag(tags, QLatin1String(key)), all[index].second) << key;
    EXPECT_EQ(probeTag(tags, QStringLiteral("track")), QStringLiteral("5"));
    const QJsonObject picture = attachedPictureStream(probe);
    EXPECT_EQ(picture.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mjpeg"));
    EXPECT_EQ(picture.value(QStringLiteral("width")).toInt(), 3000);

    const auto handler = readTags(path);
    for (const auto& [name, value] : all)
        EXPECT_EQ(handler->getValueForKey(name).toString(), value) << qPrintable(name);
}

TEST(FlacTags, AnId3v2TagIsReadFirstAndDroppedOnWriting) {
    const QString path = makeAudio(QStringLiteral("id3.flac"), metadataArguments());
    {
        TagLib::FLAC::File file(QFile::encodeName(path).constData());
        auto* frame = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        frame->setText("From ID3");
        file.ID3v2Tag(true)->addFrame(frame);
        ASSERT_TRUE(file.save());
    }
    ASSERT_TRUE(fileBytes(path).startsWith("ID3"));
    EXPECT_EQ(readTags(path)->getValueForKey(QStringLiteral("Title")).toString(),
              QStringLiteral("From ID3"));

    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("TIT2"), QStringLiteral("New")}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    EXPECT_TRUE(fileBytes(path).startsWith("fLaC"));
    const auto handler = readTags(path);
    EXPECT_EQ(handler->getValueForKey(QStringLiteral("Title")).toString(), QStringLiteral("New"));
    EXPECT_EQ(handler->getValueForKey(QStringLiteral("Artist")).toString(),
              QStringLiteral("Ärtist 🎸"));
}

// Only lyrics and comment names take ffmpeg's language suffix: "ALBUM-ART" is no album.
TEST(FlacTags, ANameThatOnlyLooksManagedIsNotRead) {
    for (const char* name : {"album-art.flac", "album-art.mp3"}) {
        const auto handler =
            readTags(makeAudio(QLatin1String(name), {"-metadata", "ALBUM-ART=keep-me"}));
        ASSERT_TRUE(handler);
        EXPECT_EQ(handler->getValueForKey(QStringLiteral("Album")).toString(), QString()) << name;
    }
}

TEST(FlacTags, FlacSourceTagsReachAnM4aOutput) {
    const QString source = makeAudio(QStringLiteral("source.flac"), metadataArguments());
    const auto handler = readTags(source);
    const QString output = makeAudio(QStringLiteral("output.m4a"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave(handler->dicReadInfo, handler->eumFileType, output),
              MTETagWriteResult::Written);
    const QJsonObject tags = formatTags(MediaFixtures::probe(output));
    EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Flüss 河"));
    EXPECT_EQ(tags.value(QStringLiteral("track")).toString(), QStringLiteral("5/12"));
    EXPECT_EQ(tags.value(QStringLiteral("comment")).toString(), QStringLiteral("Nice"));
}

TEST(OtherTags, MatroskaTagsReadThroughFfmpegAndCrossIntoMp3) {
    const QString source = makeAudio(QStringLiteral("source.mka"), metadataArguments());
    const auto handler = readTags(source);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->eumFileType, MTEFileTypeOther);
    EXPECT_EQ(handler->getValueForKey(QStringLiteral("Title")).toString(),
              QStringLiteral("Flüss 河"));
    EXPECT_EQ(handler->getValueForKey(QStringLiteral("Artist")).toString(),
              QStringLiteral("Ärtist 🎸"));

    const QString output = makeAudio(QStringLiteral("output.mp3"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave(handler->dicReadInfo, handler->eumFileType, output),
              MTETagWriteResult::Written);
    const QJsonObject tags = formatTags(MediaFixtures::probe(output));
    EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Flüss 河"));
    EXPECT_EQ(tags.value(QStringLiteral("track")).toString(), QStringLiteral("5/12"));
}

TEST(OtherTags, OutputsWithoutTagSupportAreLeftUntouched) {
    for (const char* name : {"out.ac3", "out.caf"}) {
        const QString path = makeAudio(QString::fromLatin1(name));
        const QByteArray before = fileBytes(path);
        EXPECT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("title"), QStringLiteral("x")}},
                                                 MTEFileTypeOther, path),
                  MTETagWriteResult::Written)
            << name;
        EXPECT_EQ(fileBytes(path), before) << name;
    }
}
