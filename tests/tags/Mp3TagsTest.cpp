#include "TagTestData.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"

#include <QFile>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <gtest/gtest.h>

using namespace TagTestData;

namespace {

QString makeMp3(const QString& name, const QStringList& extra = {}) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("mp3")) + u'/' + name;
    EXPECT_TRUE(MediaFixtures::makeSine(path, 1.0, 44100, 2, extra));
    return path;
}

std::shared_ptr<MTEAudioFile> readTags(const QString& path) {
    return MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
}

QString id3Text(const std::shared_ptr<MTEAudioFile>& handler, const QString& name) {
    return handler->getValueForKey(name).toString();
}

} // namespace

TEST(Mp3Tags, EveryTagSurvivesAndAnIndependentReaderAgrees) {
    const QString path = makeMp3(QStringLiteral("all tags.mp3"));
    const QImage cover = pngCover(TestEnvironment::makeTempFolder(), 3000);
    ASSERT_EQ(cover.size(), QSize(3000, 3000));

    ASSERT_EQ(MTETagCopy::handleMetadataSave(allTags(QStringLiteral("mpeg"), cover),
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);

    const QJsonObject probe = MediaFixtures::probe(path);
    const QJsonObject tags = formatTags(probe);
    const std::pair<const char*, const char*> probeKeys[] = {
        {"Title", "title"},         {"Artist", "artist"},
        {"Album", "album"},         {"AlbumArtist", "album_artist"},
        {"Date", "date"},           {"Track", "track"},
        {"Genre", "genre"},         {"Composer", "composer"},
        {"Publisher", "publisher"}, {"Copyright", "copyright"},
        {"Comment", "comment"},     {"Grouping", "grouping"},
    };
    const auto expected = textTags();
    const auto valueOf = [&](const QString& name) {
        for (const auto& [n, v] : expected)
            if (n == name)
                return v;
        return QString();
    };
    for (const auto& [name, key] : probeKeys)
        EXPECT_EQ(probeTag(tags, QLatin1String(key)), valueOf(QLatin1String(name))) << key;
    EXPECT_EQ(probeTagStartingWith(tags, QStringLiteral("lyrics")), valueOf(QStringLiteral("LRC")));

    const QJsonObject picture = attachedPictureStream(probe);
    EXPECT_EQ(picture.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mjpeg"));
    EXPECT_EQ(picture.value(QStringLiteral("width")).toInt(), 3000);
    EXPECT_EQ(picture.value(QStringLiteral("height")).toInt(), 3000);
    EXPECT_EQ(attachedPictureCount(probe), 1);

    const auto handler = readTags(path);
    ASSERT_TRUE(handler);
    for (const auto& [name, value] : expected)
        EXPECT_EQ(id3Text(handler, name), value) << qPrintable(name);
    EXPECT_EQ(coverImage(*handler).size(), QSize(3000, 3000));
    EXPECT_EQ(handler->strTagVersion, QStringLiteral("ID3 V2.4.0"));
    EXPECT_EQ(handler->eumID3Version, MTEID3Version2);
    EXPECT_EQ(handler->dAudioLength, 1.0);
}

TEST(Mp3Tags, WritesUtf8CommentInEnglishAndJpegFrontCover) {
    const QString path = makeMp3(QStringLiteral("frames.mp3"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave(allTags(QStringLiteral("mpeg"), makeCover(64, 64)),
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_TRUE(file.hasID3v2Tag());
    const auto& frames = file.ID3v2Tag()->frameListMap();
    ASSERT_EQ(frames["COMM"].size(), 1u);
    const auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frames["COMM"].front());
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->language(), TagLib::ByteVector("eng"));
    EXPECT_EQ(comment->textEncoding(), TagLib::String::UTF8);
    const auto* picture =
        dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frames["APIC"].front());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    EXPECT_EQ(picture->mimeType(), TagLib::String("image/jpg"));
    EXPECT_TRUE(picture->picture().startsWith(TagLib::ByteVector("\xFF\xD8", 2)));
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 4u);
}

TEST(Mp3Tags, EmptiedFieldsStayEmptyAndTheId3v1TagGoes) {
    const QString path = makeMp3(QStringLiteral("old.mp3"),
                                 {QStringLiteral("-write_id3v1"), QStringLiteral("1"),
                                  QStringLiteral("-metadata"), QStringLiteral("title=Old title"),
                                  QStringLiteral("-metadata"), QStringLiteral("comment=Old note")});
    ASSERT_TRUE(QFile(path).size() > 128);
    ASSERT_EQ(fileBytes(path).right(128).left(3), QByteArray("TAG"));

    const QVariantMap tags{{QStringLiteral("TIT2"), QString()},
                           {QStringLiteral("COMM"), QString()},
                           {QStringLiteral("TPE1"), QStringLiteral("New artist")}};
    ASSERT_EQ(MTETagCopy::handleMetadataSave(tags, MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);

    EXPECT_NE(fileBytes(path).right(128).left(3), QByteArray("TAG"));
    const QJsonObject probed = formatTags(MediaFixtures::probe(path));
    EXPECT_FALSE(probed.contains(QStringLiteral("title")));
    EXPECT_FALSE(probed.contains(QStringLiteral("comment")));
    EXPECT_EQ(probed.value(QStringLiteral("artist")).toString(), QStringLiteral("New artist"));
    const auto handler = readTags(path);
    EXPECT_TRUE(id3Text(handler, QStringLiteral("Title")).isEmpty());
}

TEST(Mp3Tags, FramesOfOneIdReadAsSeveralValuesAndAreReplacedByOneOnWriting) {
    const QString path = makeMp3(QStringLiteral("twice.mp3"));
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        auto* tag = file.ID3v2Tag(true);
        for (const char* text : {"first", "second"}) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
            frame->setText(text);
            tag->addFrame(frame);
        }
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    }
    EXPECT_EQ(id3Text(readTags(path), QStringLiteral("Title")), QStringLiteral("first; second"));

    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("TIT2"), QStringLiteral("new")}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    EXPECT_EQ(id3Text(readTags(path), QStringLiteral("Title")), QStringLiteral("new"));
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    EXPECT_EQ(file.ID3v2Tag()->frameListMap()["TIT2"].size(), 1u);
}

TEST(Mp3Tags, NoPictureRemovesTheFirstPictureFrameOnly) {
    const QString path = makeMp3(QStringLiteral("pictures.mp3"));
    const QImage first = makeCover(20, 20);
    const QImage second = makeCover(40, 30);
    ASSERT_EQ(
        MTETagCopy::handleMetadataSave({{QStringLiteral("APIC"), first}}, MTEFileTypeMpeg, path),
        MTETagWriteResult::Written);
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        const QByteArray jpeg =
            GlobalFun::imageDataRepresentationOfType(second, QStringLiteral("jpeg"));
        frame->setMimeType("image/jpeg");
        frame->setPicture(TagLib::ByteVector(jpeg.constData(), unsigned(jpeg.size())));
        file.ID3v2Tag()->addFrame(frame);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    }
    ASSERT_EQ(attachedPictureCount(MediaFixtures::probe(path)), 2);

    ASSERT_EQ(MTETagCopy::handleMetadataSave({}, MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    EXPECT_EQ(attachedPictureCount(MediaFixtures::probe(path)), 1);
    EXPECT_EQ(coverImage(*readTags(path)).size(), QSize(40, 30));
}

TEST(Mp3Tags, ACoverThatCannotBeEncodedKeepsTheOldPictureAndIsReportedLeftOut) {
    const QString path = makeMp3(QStringLiteral("keep.mp3"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("APIC"), makeCover(32, 32)}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    // JPEG cannot hold a side longer than 65535 pixels.
    const QVariantMap tags{{QStringLiteral("APIC"), QImage(70000, 1, QImage::Format_RGB32)},
                           {QStringLiteral("TIT2"), QStringLiteral("still written")}};
    EXPECT_EQ(MTETagCopy::handleMetadataSave(tags, MTEFileTypeMpeg, path),
              MTETagWriteResult::CoverLeftOut);

    const QJsonObject probe = MediaFixtures::probe(path);
    EXPECT_EQ(attachedPictureStream(probe).value(QStringLiteral("width")).toInt(), 32);
    EXPECT_EQ(formatTags(probe).value(QStringLiteral("title")).toString(),
              QStringLiteral("still written"));
}

TEST(Mp3Tags, AFileWithoutId3v2TagIsLeftAloneAndTheWriteFails) {
    const QString path = makeMp3(QStringLiteral("bare.mp3"),
                                 {QStringLiteral("-id3v2_version"), QStringLiteral("0")});
    const QByteArray before = fileBytes(path);
    ASSERT_FALSE(before.startsWith("ID3"));
    EXPECT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("TIT2"), QStringLiteral("x")}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Failed);
    EXPECT_EQ(fileBytes(path), before);
}

TEST(Mp3Tags, Id3v1OnlyFileReadsItsFields) {
    const QString path = makeMp3(QStringLiteral("v1.mp3"),
                                 {QStringLiteral("-write_id3v1"), QStringLiteral("1"),
                                  QStringLiteral("-metadata"), QStringLiteral("title=Old v1"),
                                  QStringLiteral("-metadata"), QStringLiteral("artist=Someone")});
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        ASSERT_TRUE(file.strip(TagLib::MPEG::File::ID3v2));
    }
    ASSERT_FALSE(fileBytes(path).startsWith("ID3"));
    const auto handler = readTags(path);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->strTagVersion, QStringLiteral("ID3 V1.1"));
    EXPECT_EQ(id3Text(handler, QStringLiteral("Title")), QStringLiteral("Old v1"));
    EXPECT_EQ(handler->strArtist(), QStringLiteral("Someone"));
    EXPECT_EQ(id3Text(handler, QStringLiteral("Date")), QStringLiteral("0"));
}

TEST(Mp3Tags, NumbersAreWrittenAsTextAndOtherValuesLeaveFramesAlone) {
    const QString path = makeMp3(QStringLiteral("values.mp3"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("TIT2"), QStringLiteral("Keep")}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    ASSERT_EQ(MTETagCopy::handleMetadataSave(
                  {{QStringLiteral("TIT2"), QImage(2, 2, QImage::Format_RGB32)},
                   {QStringLiteral("TRCK"), 7}},
                  MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    const auto handler = readTags(path);
    EXPECT_EQ(id3Text(handler, QStringLiteral("Title")), QStringLiteral("Keep"));
    EXPECT_EQ(id3Text(handler, QStringLiteral("Track")), QStringLiteral("7"));
}

TEST(Mp3Tags, KeysThatAreNoFrameIdsAreSkipped) {
    const QString path = makeMp3(QStringLiteral("keys.mp3"));
    const QVariantMap tags{{QStringLiteral("TI"), QStringLiteral("short")},
                           {QStringLiteral("title"), QStringLiteral("lower")},
                           {QStringLiteral("TIT2X"), QStringLiteral("long")},
                           {QStringLiteral("TIT2"), QStringLiteral("right")}};
    ASSERT_EQ(MTETagCopy::handleMetadataSave(tags, MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    const auto& frames = file.ID3v2Tag()->frameListMap();
    for (const auto& [id, list] : frames) {
        ASSERT_EQ(id.size(), 4u);
        for (char c : id)
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
    }
    EXPECT_EQ(frames["TIT2"].front()->toString(), TagLib::String("right"));
}

TEST(Mp3Tags, SavingToANewLocationLeavesTheHandlersOwnFileAlone) {
    const QString source = makeMp3(QStringLiteral("source.mp3"));
    const QByteArray before = fileBytes(source);
    const auto handler = readTags(source);
    handler->dicReadInfo.insert(QStringLiteral("TIT2"), QStringLiteral("Copy title"));
    const QString wanted = TestEnvironment::makeTempFolder() + QStringLiteral("/copy.mp3");
    ASSERT_EQ(handler->saveID3AttribPath(1, wanted), MTETagWriteResult::Written);
    EXPECT_EQ(fileBytes(source), before);
    EXPECT_EQ(id3Text(readTags(wanted), QStringLiteral("Title")), QStringLiteral("Copy title"));

    EXPECT_EQ(handler->saveID3AttribPath(2, source + QStringLiteral("/under a file.mp3")),
              MTETagWriteResult::Failed);
    EXPECT_EQ(fileBytes(source), before);
}
