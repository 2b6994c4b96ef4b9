#include "engine/QVDataEngine.h"
#include "tags/MTEFileType.h"

#include "platform/PropertyList.h"

#include "ScopedLocale.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

QVariantMap entry(const QString& title, const QString& codec, const QString& rates) {
    return {{QStringLiteral("title"), title},
            {QStringLiteral("description"), title + QStringLiteral(" format")},
            {QStringLiteral("ext"), title.toLower()},
            {QStringLiteral("image"), title.toLower()},
            {QStringLiteral("acodec"), QVariantMap{{QStringLiteral("default"), codec}}},
            {QStringLiteral("isAddToiTunes"), QStringLiteral("1")},
            {QStringLiteral("samplerate"),
             QVariantMap{{QStringLiteral("default"), QStringLiteral("44100")},
                         {QStringLiteral("values"), rates}}},
            {QStringLiteral("abitrate"),
             QVariantMap{{QStringLiteral("default"), QStringLiteral("192")},
                         {QStringLiteral("values"), QStringLiteral("320,192")}}}};
}

QVariantMap smallCatalogue() {
    return {
        {QStringLiteral("codecMap"),
         QVariantMap{{QStringLiteral("mp3"), QStringLiteral("libmp3lame")}}},
        {QStringLiteral("canEditTagFmtNames"), QStringList{QStringLiteral("MP3")}},
        {QStringLiteral("Audios"),
         QVariantList{
             entry(QStringLiteral("MP3"), QStringLiteral("mp3"), QStringLiteral("48000,,44100")),
             entry(QStringLiteral("XYZ"), QStringLiteral("xyz"), QStringLiteral("8000"))}}};
}

} // namespace

TEST(FormatCatalogue, LoadsEntriesInOrderWithTheirChoices) {
    const QVDataEngine engine(smallCatalogue());
    EXPECT_EQ(engine.getAllOutputFormats(), (QStringList{"MP3", "XYZ"}));
    const auto mp3 = engine.getFormatWithName(QStringLiteral("MP3"));
    ASSERT_TRUE(mp3.has_value());
    EXPECT_EQ(mp3->decodecName, QStringLiteral("libmp3lame"));
    EXPECT_EQ(mp3->sampleRate, QStringLiteral("44100"));
    EXPECT_EQ(mp3->arySampleRate, (QStringList{"48000", "", "44100"})); // empty piece kept
    EXPECT_TRUE(mp3->aryChannels.isEmpty());                            // no "channel" entry
    EXPECT_EQ(mp3->enumAddToiTunes, 1);
    EXPECT_EQ(mp3->outputPath,
              TestEnvironment::musicDirectory() + QStringLiteral("/ Quaverly/MP3"));
    // A codec the map lacks runs the converter without an encoder.
    EXPECT_TRUE(engine.getFormatWithName(QStringLiteral("XYZ"))->decodecName.isNull());
    EXPECT_FALSE(engine.getFormatWithName(QStringLiteral("mp3")).has_value());
    EXPECT_EQ(engine.getCanEditMetadataMusicType(), QStringList{"MP3"});
}

TEST(FormatCatalogue, CopiesAreIndependentOfTheCatalogue) {
    const QVDataEngine engine(smallCatalogue());
    auto copy = engine.getFormatWithName(QStringLiteral("MP3"));
    copy->sampleRate = QStringLiteral("8000");
    copy->arySampleRate.append(QStringLiteral("96000"));
    copy->arySampleRate.sort();
    const auto again = engine.getFormatWithName(QStringLiteral("MP3"));
    EXPECT_EQ(again->sampleRate, QStringLiteral("44100"));
    EXPECT_EQ(again->arySampleRate, (QStringList{"48000", "", "44100"}));
}

TEST(FormatCatalogue, MissingPartsGiveEmptyAnswers) {
    const QVDataEngine empty{QVariantMap()};
    EXPECT_TRUE(empty.getAllOutputFormats().isEmpty());
    EXPECT_TRUE(empty.getDecodecWithCodecName(QStringLiteral("mp3")).isNull());
    EXPECT_TRUE(empty.getCanEditMetadataMusicType().isEmpty());
    const QVDataEngine junk(PropertyList::fromData("not a plist").toMap());
    EXPECT_TRUE(junk.getAllOutputFormats().isEmpty());
}

TEST(FormatCatalogue, FixedListsAndTagFamilies) {
    EXPECT_EQ(QVDataEngine::itunesFormats(),
              (QStringList{"ALAC", "MP3", "AAC", "CAF", "Ringtone", "AMR Audio", "MPEG-2 Audio"}));
    EXPECT_EQ(QVDataEngine::getCanUseImageType(), (QStringList{"PNG", "JPEG", "JPG"}));
    const struct {
        const char* ext;
        int type;
    } cases[] = {{"MP3", MTEFileTypeMpeg}, {"flac", MTEFileTypeMpeg}, {"mP4", MTEFileTypeM4A},
                 {"m4a", MTEFileTypeM4A},  {"m4r", MTEFileTypeOther}, {"", MTEFileTypeOther}};
    for (const auto& c : cases)
        EXPECT_EQ(QVDataEngine::getTagFileFormatByFileType(QLatin1String(c.ext)), c.type) << c.ext;
}

TEST(FormatCatalogue, ShippedCatalogueHasTheFormatsTheWindowNeeds) {
    QUAVERLY_REQUIRE_GERMAN_LOCALE(german); // loading must not depend on the user's locale
    const QVDataEngine& engine = QVDataEngine::shareInstance();
    const QStringList titles = engine.getAllOutputFormats();
    for (const char* title : {"MP3", "AAC", "ALAC", "Ringtone", "MPEG-2 Audio", "FLAC", "WAV",
                              "AIFF", "OGG", "Opus", "WMA", "AC3", "CAF"})
        EXPECT_TRUE(titles.contains(QLatin1String(title))) << title;
    for (const QVFormatSetting& format : engine.audioFormats()) {
        SCOPED_TRACE(format.fmtName.toStdString());
        EXPECT_FALSE(format.decodecName.isEmpty());
        EXPECT_TRUE(format.arySampleRate.contains(format.sampleRate));
        EXPECT_TRUE(format.aryBiteRate.contains(format.biteRate));
        EXPECT_TRUE(format.aryChannels.contains(format.channels));
        EXPECT_FALSE(format.arySampleRate.contains(QString())); // no stray commas shipped
        // The top preset keeps the source's rate (Opus always plays back at 48 kHz).
        if (format.fmtName != QLatin1String("Opus")) {
            EXPECT_EQ(format.arySampleRate.first(), QStringLiteral("Use Source"));
        }
    }
    EXPECT_EQ(engine.getFormatWithName(QStringLiteral("Opus"))->arySampleRate,
              QStringList{"48000"});
}
