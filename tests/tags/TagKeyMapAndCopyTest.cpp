#include "tags/MTEAudioCreator.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEFileType.h"
#include "tags/MTEM4AAudioFile.h"
#include "tags/MTEMpegAudioFile.h"
#include "tags/MTEOtherAudioFile.h"
#include "tags/MTETagCopy.h"
#include "tags/MTETagKeyMap.h"

#include "engine/QVMusicInfo.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString kCopyright = QStringLiteral("\u00A9");

QVariantMap family(const char* name) {
    return MTETagKeyMap::familyMap(QLatin1String(name));
}

} // namespace

TEST(TagKeyMap, FamiliesHoldTheTabledKeys) {
    struct Row {
        const char* name;
        const char* mpeg;
        QString m4a;
        const char* ffmpeg;
    };
    const Row rows[] = {
        {"AlbumImg", "APIC", QStringLiteral("covr"), "APIC"},
        {"Title", "TIT2", kCopyright + QStringLiteral("nam"), "title"},
        {"Date", "TDRC", kCopyright + QStringLiteral("day"), "date"},
        {"Track", "TRCK", QStringLiteral("trkn"), "track"},
        {"LRC", "USLT", kCopyright + QStringLiteral("lyr"), "lyrics"},
        {"Album", "TALB", kCopyright + QStringLiteral("alb"), "album"},
        {"Genre", "TCON", kCopyright + QStringLiteral("gen"), "genre"},
        {"Artist", "TPE1", kCopyright + QStringLiteral("ART"), "artist"},
        {"AlbumArtist", "TPE2", QStringLiteral("aART"), "album_artist"},
        {"Publisher", "TPUB", QStringLiteral("----:com.apple.iTunes:publisher"), "publisher"},
        {"Composer", "TCOM", kCopyright + QStringLiteral("wrt"), "composer"},
        {"Copyright", "TCOP", QStringLiteral("cprt"), "copyright"},
        {"Comment", "COMM", kCopyright + QStringLiteral("cmt"), "comment"},
        {"Grouping", "TIT1", QString(), "grouping"},
    };
    EXPECT_EQ(family("mpeg").size(), 14);
    EXPECT_EQ(family("m4a").size(), 13);
    EXPECT_EQ(family("ffmpeg").size(), 14);
    for (const Row& row : rows) {
        const QString name = QLatin1String(row.name);
        EXPECT_EQ(family("mpeg").value(name).toString(), QLatin1String(row.mpeg)) << row.name;
        EXPECT_EQ(family("m4a").value(name).toString(), row.m4a) << row.name;
        EXPECT_EQ(family("ffmpeg").value(name).toString(), QLatin1String(row.ffmpeg)) << row.name;
    }
    EXPECT_EQ(family("m4a").value(QStringLiteral("Title")).toString().size(), 4);
    EXPECT_FALSE(family("m4a").contains(QStringLiteral("Grouping")));
    MTETagKeyMap::prepareMusicTagMapInfo();
    EXPECT_EQ(MTETagKeyMap::gMusicTagMapInfo().size(), 3);
}

TEST(TagCopy, Mp3TagsCrossIntoTheM4aFamily) {
    const QImage cover(4, 4, QImage::Format_RGB32);
    const QVariantMap mpeg{{QStringLiteral("TIT2"), QStringLiteral("T")},
                           {QStringLiteral("TIT1"), QStringLiteral("grouping")},
                           {QStringLiteral("TPUB"), QStringLiteral("P")},
                           {QStringLiteral("APIC"), cover},
                           {QStringLiteral("TXXX"), QStringLiteral("dropped")}};
    const QVariantMap m4a =
        MTETagCopy::convertMetadataFromTypeToType(mpeg, MTEFileTypeMpeg, MTEFileTypeM4A);
    const QVariantMap expected{
        {kCopyright + QStringLiteral("nam"), QStringLiteral("T")},
        {QStringLiteral("----:com.apple.iTunes:publisher"), QStringLiteral("P")},
        {QStringLiteral("covr"), cover}};
    EXPECT_EQ(m4a, expected);
}

TEST(TagCopy, FamiliesByTypeOnBothSides) {
    struct Case {
        QVariantMap source;
        int from;
        int to;
        QVariantMap expected;
    };
    const QString nam = kCopyright + QStringLiteral("nam");
    const Case cases[] = {
        // Equal types keep every entry, known or not.
        {{{QStringLiteral("xyz"), 1}},
         MTEFileTypeM4A,
         MTEFileTypeM4A,
         {{QStringLiteral("xyz"), 1}}},
        {{{nam, QStringLiteral("a")}},
         MTEFileTypeM4A,
         MTEFileTypeMpeg,
         {{QStringLiteral("TIT2"), QStringLiteral("a")}}},
        {{{QStringLiteral("title"), QStringLiteral("b")},
          {QStringLiteral("grouping"), QStringLiteral("g")}},
         MTEFileTypeOther,
         MTEFileTypeMpeg,
         {{QStringLiteral("TIT2"), QStringLiteral("b")},
          {QStringLiteral("TIT1"), QStringLiteral("g")}}},
        // Any destination but mpeg is written as m4a.
        {{{QStringLiteral("title"), QStringLiteral("c")}},
         MTEFileTypeOther,
         7,
         {{nam, QStringLiteral("c")}}},
        // The "no picture" marker crosses as it is.
        {{{QStringLiteral("APIC"), QVariant()}},
         MTEFileTypeMpeg,
         MTEFileTypeM4A,
         {{QStringLiteral("covr"), QVariant()}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MTETagCopy::convertMetadataFromTypeToType(c.source, c.from, c.to), c.expected)
            << c.from << "->" << c.to;
}

TEST(TagHandler, ValueLookupsByLogicalName) {
    MTEMpegAudioFile handler;
    handler.dicMap = family("mpeg");
    handler.dicReadInfo = {{QStringLiteral("TPE1"), QStringLiteral("Artist")}};
    EXPECT_EQ(handler.strArtist(), QStringLiteral("Artist"));
    EXPECT_TRUE(handler.getValueForKey(QString()).isNull());
    EXPECT_TRUE(handler.getValueForKey(QStringLiteral("Nonsense")).isNull());

    MTEM4AAudioFile m4a;
    m4a.dicMap = family("m4a");
    m4a.dicReadInfo = {{QStringLiteral("TIT1"), QStringLiteral("not m4a")}};
    EXPECT_TRUE(m4a.getValueForKey(QStringLiteral("Grouping")).isNull());

    handler.initProperties();
    EXPECT_EQ(handler.dicReadInfo.value(QStringLiteral("TIT2")), QString());
    EXPECT_TRUE(handler.dicReadInfo.contains(QStringLiteral("APIC")));
    EXPECT_FALSE(handler.dicReadInfo.value(QStringLiteral("APIC")).isValid());
}

TEST(TagHandler, CopiesOwnTheirDictionariesAndKeepTheirClass) {
    MTEM4AAudioFile handler;
    handler.dicMap = family("m4a");
    handler.eumFileType = MTEFileTypeM4A;
    handler.iTotalTrack = 9;
    handler.strTagVersion = QStringLiteral("v");
    handler.dicReadInfo = {{QStringLiteral("trkn"), QStringLiteral("3")}};
    const std::shared_ptr<MTEAudioFile> copy = handler.copy();
    auto* m4aCopy = dynamic_cast<MTEM4AAudioFile*>(copy.get());
    ASSERT_TRUE(m4aCopy);
    EXPECT_EQ(m4aCopy->iTotalTrack, 9);
    EXPECT_EQ(copy->strTagVersion, QStringLiteral("v"));
    copy->dicReadInfo.insert(QStringLiteral("trkn"), QStringLiteral("4"));
    EXPECT_EQ(handler.dicReadInfo.value(QStringLiteral("trkn")), QStringLiteral("3"));
}

TEST(TagHandler, CodingRestoresTheFamilyAndItsClass) {
    const auto handler = MTEAudioCreator::makeHandlerOfType(MTEFileTypeM4A);
    handler->dicMap = family("m4a");
    handler->dicReadInfo = {{QStringLiteral("covr"), QImage(2, 2, QImage::Format_RGB32)}};
    const auto decoded = MTEAudioFile::initWithCoder(handler->encodeWithCoder());
    EXPECT_TRUE(dynamic_cast<MTEM4AAudioFile*>(decoded.get()));
    EXPECT_EQ(decoded->eumFileType, MTEFileTypeM4A);
    EXPECT_EQ(decoded->dicMap, handler->dicMap);
    EXPECT_EQ(decoded->dicReadInfo, handler->dicReadInfo);

    QVMusicInfo row;
    row.metHandler = handler;
    const auto rowCopy = row.copy();
    ASSERT_TRUE(rowCopy->metHandler);
    EXPECT_NE(rowCopy->metHandler.get(), handler.get());
    const auto rowDecoded = QVMusicInfo::initWithCoder(row.encodeWithCoder());
    EXPECT_EQ(rowDecoded->metHandler->eumFileType, MTEFileTypeM4A);
}
