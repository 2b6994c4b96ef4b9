#include "TagTestData.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTEM4AAudioFile.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"

#include <QFile>

#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <gtest/gtest.h>

using namespace TagTestData;

namespace {

QString makeM4a(const QString& name, const QStringList& extra = {}) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("m4a")) + u'/' + name;
    EXPECT_TRUE(MediaFixtures::makeSine(path, 1.0, 44100, 2, extra));
    return path;
}

std::shared_ptr<MTEAudioFile> readTags(const QString& path) {
    return MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
}

template <typename Change> void changeMp4(const QString& path, Change change) {
    TagLib::MP4::File file(QFile::encodeName(path).constData());
    change(file.tag());
    ASSERT_TRUE(file.save());
}

TagLib::MP4::Item itemOf(const QString& path, const char* name) {
    TagLib::MP4::File file(QFile::encodeName(path).constData());
    return file.tag()->item(TagLib::String(name, TagLib::String::Latin1));
}

QString valueOf(const QString& name) {
    for (const auto& [n, v] : textTags())
        if (n == name)
            return v;
    return {};
}

} // namespace

TEST(M4aTags, Mp3TagsArriveInAnM4aOutputAndAnIndependentReaderAgrees) {
    const QString path = makeM4a(QStringLiteral("from mp3.m4a"));
    const QImage cover = pngCover(TestEnvironment::makeTempFolder(), 3000);
    ASSERT_EQ(MTETagCopy::handleMetadataSave(allTags(QStringLiteral("mpeg"), cover),
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);

    const QJsonObject probe = MediaFixtures::probe(path);
    const QJsonObject tags = formatTags(probe);
    const std::pair<const char*, const char*> probeKeys[] = {
        {"Title", "title"},     {"Artist", "artist"},
        {"Album", "album"},     {"AlbumArtist", "album_artist"},
        {"Date", "date"},       {"Track", "track"},
        {"Genre", "genre"},     {"Composer", "composer"},
        {"Comment", "comment"}, {"LRC", "lyrics"},
    };
    for (const auto& [name, key] : probeKeys)
        EXPECT_EQ(probeTag(tags, QLatin1String(key)), valueOf(QLatin1String(name))) << key;
    const QJsonObject picture = attachedPictureStream(probe);
    EXPECT_EQ(picture.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mjpeg"));
    EXPECT_EQ(picture.value(QStringLiteral("width")).toInt(), 3000);

    const auto handler = readTags(path);
    ASSERT_TRUE(handler);
    for (const auto& [name, value] : textTags()) {
        if (name == QLatin1String("Grouping")) // the m4a family carries no grouping
            EXPECT_TRUE(handler->getValueForKey(name).isNull());
        else
            EXPECT_EQ(handler->getValueForKey(name).toString(), value) << qPrintable(name);
    }
    EXPECT_EQ(coverImage(*handler).size(), QSize(3000, 3000));
    EXPECT_EQ(handler->strTagVersion, QString(""));
    EXPECT_EQ(itemOf(path, "trkn").toIntPair().first, 5);
    EXPECT_EQ(itemOf(path, "trkn").toIntPair().second, 12);
    EXPECT_EQ(itemOf(path, "covr").toCoverArtList().front().format(), TagLib::MP4::CoverArt::JPEG);
    EXPECT_EQ(
        itemOf(path, "----:com.apple.iTunes:publisher").toStringList().front(),
        TagLib::String(valueOf(QStringLiteral("Publisher")).toStdString(), TagLib::String::UTF8));
}

TEST(M4aTags, M4aToM4aKeepsItemsOutsideTheTableAndTheTrackTotal) {
    const QString source = makeM4a(QStringLiteral("source.m4a"));
    changeMp4(source, [](TagLib::MP4::Tag* tag) {
        tag->setItem("trkn", TagLib::MP4::Item(5, 12));
        tag->setItem("\251nam", TagLib::StringList("Source title"));
        tag->setItem("----:com.apple.iTunes:MOOD", TagLib::StringList("calm"));
        tag->setItem("tmpo", TagLib::MP4::Item(120));
    });
    const auto sourceHandler = readTags(source);
    ASSERT_TRUE(sourceHandler);
    auto* m4a = dynamic_cast<MTEM4AAudioFile*>(sourceHandler.get());
    ASSERT_TRUE(m4a);
    EXPECT_EQ(m4a->iTotalTrack, 12);
    EXPECT_EQ(sourceHandler->getValueForKey(QStringLiteral("Track")).toString(),
              QStringLiteral("5/12"));
    EXPECT_EQ(sourceHandler->dicReadInfo.value(QStringLiteral("----:com.apple.iTunes:MOOD")),
              QStringLiteral("calm"));
    EXPECT_FALSE(sourceHandler->dicReadInfo.contains(QStringLiteral("tmpo"))); // not text

    const QString output = makeM4a(QStringLiteral("output.m4a"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave(sourceHandler->dicReadInfo, MTEFileTypeM4A, output),
              MTETagWriteResult::Written);
    EXPECT_EQ(itemOf(output, "trkn").toIntPair().second, 12);
    EXPECT_EQ(itemOf(output, "----:com.apple.iTunes:MOOD").toStringList().front(),
              TagLib::String("calm"));
    EXPECT_EQ(formatTags(MediaFixtures::probe(output)).value(QStringLiteral("title")).toString(),
              QStringLiteral("Source title"));
}

TEST(M4aTags, TrackTextsBecomeThePairOrRemoveIt) {
    struct Case {
        const char* track;
        bool present;
        int number;
        int total;
    };
    const Case cases[] = {
        {"7", true, 7, 0},   {"5/12", true, 5, 12}, {" 3 / 9 ", true, 3, 9}, {"0", false, 0, 0},
        {"-2", false, 0, 0}, {"", false, 0, 0},     {"abc", false, 0, 0},
    };
    for (const Case& c : cases) {
        const QString path = makeM4a(QStringLiteral("track.m4a"));
        changeMp4(path,
                  [](TagLib::MP4::Tag* tag) { tag->setItem("trkn", TagLib::MP4::Item(1, 2)); });
        MTETagCopy::handleMetadataSave({{QStringLiteral("trkn"), QString::fromUtf8(c.track)}},
                                       MTEFileTypeM4A, path);
        TagLib::MP4::File file(QFile::encodeName(path).constData());
        EXPECT_EQ(file.tag()->contains("trkn"), c.present) << c.track;
        if (c.present) {
            EXPECT_EQ(file.tag()->item("trkn").toIntPair().first, c.number) << c.track;
            EXPECT_EQ(file.tag()->item("trkn").toIntPair().second, c.total) << c.track;
        }
    }
}

TEST(M4aTags, EmptyTextAndNoPictureRemoveTheirItems) {
    const QString path = makeM4a(QStringLiteral("remove.m4a"));
    ASSERT_EQ(
        MTETagCopy::handleMetadataSave({{QStringLiteral("\u00A9nam"), QStringLiteral("Title")},
                                        {QStringLiteral("covr"), makeCover(16, 16)}},
                                       MTEFileTypeM4A, path),
        MTETagWriteResult::Written);
    ASSERT_TRUE(itemOf(path, "covr").isValid());

    ASSERT_EQ(MTETagCopy::handleMetadataSave(
                  {{QStringLiteral("\u00A9nam"), QString()}, {QStringLiteral("covr"), QVariant()}},
                  MTEFileTypeM4A, path),
              MTETagWriteResult::Written);
    TagLib::MP4::File file(QFile::encodeName(path).constData());
    EXPECT_FALSE(file.tag()->contains("\251nam"));
    EXPECT_FALSE(file.tag()->contains("covr"));
    EXPECT_EQ(attachedPictureCount(MediaFixtures::probe(path)), 0);
}

TEST(M4aTags, PngCoverSetsItsMimeTypeAndIsWrittenBackAsJpeg) {
    const QString path = makeM4a(QStringLiteral("png.m4a"));
    const QByteArray png =
        GlobalFun::imageDataRepresentationOfType(makeCover(24, 24), QStringLiteral("png"));
    changeMp4(path, [&](TagLib::MP4::Tag* tag) {
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(
            TagLib::MP4::CoverArt::PNG, TagLib::ByteVector(png.constData(), unsigned(png.size()))));
        tag->setItem("covr", covers);
    });
    const auto handler = readTags(path);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->strMineType, QStringLiteral("image/png"));
    ASSERT_EQ(coverImage(*handler).size(), QSize(24, 24));

    ASSERT_EQ(MTETagCopy::handleMetadataSave(handler->dicReadInfo, MTEFileTypeM4A, path),
              MTETagWriteResult::Written);
    EXPECT_EQ(itemOf(path, "covr").toCoverArtList().front().format(), TagLib::MP4::CoverArt::JPEG);
}

TEST(M4aTags, ACoverThatCannotBeEncodedKeepsTheOldCover) {
    const QString path = makeM4a(QStringLiteral("keep.m4a"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("covr"), makeCover(16, 16)}},
                                             MTEFileTypeM4A, path),
              MTETagWriteResult::Written);
    EXPECT_EQ(MTETagCopy::handleMetadataSave(
                  {{QStringLiteral("covr"), QImage(70000, 1, QImage::Format_RGB32)}},
                  MTEFileTypeM4A, path),
              MTETagWriteResult::CoverLeftOut);
    const auto covers = itemOf(path, "covr").toCoverArtList();
    ASSERT_EQ(covers.size(), 1u);
    EXPECT_FALSE(covers.front().data().isEmpty());
}
