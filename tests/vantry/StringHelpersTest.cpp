#include "utils/VTStringDetect.h"
#include "utils/VTStringHelper.h"
#include "utils/VTStringTimeConvert.h"
#include "utils/VTStringURLEncoding.h"

#include <gtest/gtest.h>

TEST(StringDetect, NumberShapes) {
    const struct {
        const char* text;
        bool allNumeric, unsignedFloat, signedFloat;
    } cases[] = {
        {"1.2.3", true, false, false}, {"1a", false, false, false}, {"", true, true, true},
        {"3.5", true, true, true},     {".", true, false, false},   {"-1", false, false, true},
        {"-3.5", false, false, true},  {"+2", false, false, true},  {"3-", false, false, false},
        {"-+3", false, false, false},  {"--3", false, false, true}, {"٣", true, true, true},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VTStringDetect::isAllNumberic(text), c.allNumeric);
        EXPECT_EQ(VTStringDetect::isUnsiginedFloatNumber(text), c.unsignedFloat);
        EXPECT_EQ(VTStringDetect::isSiginedFloatNumber(text), c.signedFloat);
    }
}

TEST(StringDetect, Coordinates) {
    EXPECT_TRUE(VTStringDetect::isVaildGPS(QStringLiteral("90"), true));
    EXPECT_FALSE(VTStringDetect::isVaildGPS(QStringLiteral("90.5"), true));
    EXPECT_TRUE(VTStringDetect::isVaildGPS(QStringLiteral("-180"), false));
    EXPECT_FALSE(VTStringDetect::isVaildGPS(QStringLiteral("-180.01"), false));
    EXPECT_FALSE(VTStringDetect::isVaildGPS(QStringLiteral("1-2"), false));
}

TEST(StringHelper, TextUtilities) {
    EXPECT_EQ(VTStringHelper::uppercaseStringInRange(QStringLiteral("hELLO"), 0, 1),
              QStringLiteral("Hello"));
    EXPECT_EQ(VTStringHelper::uppercaseStringInRange(QStringLiteral("hELLO"), 4, 1),
              QStringLiteral("hellO"));
    EXPECT_EQ(VTStringHelper::uppercaseStringInRange(QStringLiteral("hELLO"), 4, 2),
              QStringLiteral("hELLO"));
    const auto blanks = VTStringHelper::whitespaceSet();
    EXPECT_EQ(
        VTStringHelper::stringByTrimmingTrailingCharactersInSet(QStringLiteral("ab  "), blanks),
        QStringLiteral("ab"));
    EXPECT_EQ(VTStringHelper::stringByTrimmingTrailingCharactersInSet(QStringLiteral("  "), blanks),
              QString());
    EXPECT_EQ(VTStringHelper::stringByReplacingCharactersInSetWithString(
                  QStringLiteral("12/7/26,10:30"), VTStringHelper::characterSet("/:,"), "-"),
              QStringLiteral("12-7-26-10-30"));
    EXPECT_EQ(VTStringHelper::stringByReplacingCharactersInSetWithString(QStringLiteral("a b"),
                                                                         blanks, QString()),
              QStringLiteral("ab"));
    EXPECT_DOUBLE_EQ(VTStringHelper::widthOfStringWithFont(QString(), QFont()), 0.0);
    EXPECT_GT(VTStringHelper::widthOfStringWithFont(QStringLiteral("Quaverly"), QFont()), 0.0);
    EXPECT_EQ(VTStringTimeConvert::convertToTimeInTerval(QStringLiteral("1:00")), 0.0);
}

TEST(StringHelper, ByteSizes) {
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1 kB"},
        {1048575, "1023 kB"},
        {1572864, "1.5 MB"},
        {1073741823, "1024.0 MB"},
        {1073741824, "1.0 GB"},
        {5368709120LL, "5.0 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VTStringHelper::sizeStringWithBytes(c.bytes), QLatin1String(c.text)) << c.bytes;
}

TEST(StringHelper, CommandsThroughTheShellAndThroughAnArgumentVector) {
    EXPECT_EQ(VTStringHelper::runAsCommand(QStringLiteral("printf 'a b'")), QStringLiteral("a b"));
    EXPECT_TRUE(VTStringHelper::runAsCommand(QStringLiteral("printf '\\377\\376'")).isNull());
    EXPECT_EQ(VTStringHelper::runAsCommand(QStringLiteral("true")), QStringLiteral(""));
    // An argument vector passes hostile text through untouched, with no shell in between.
    const QString hostile = QStringLiteral("$(echo pwned); 'quote' \"dq\" -x");
    EXPECT_EQ(VTStringHelper::runAsCommand(
                  QStringList{QStringLiteral("printf"), QStringLiteral("%s"), hostile}),
              hostile);
    EXPECT_TRUE(
        VTStringHelper::runAsCommand(QStringList{QStringLiteral("/no/such/program")}).isNull());
}

TEST(StringHelper, PercentEscaping) {
    EXPECT_EQ(VTStringURLEncoding::urlEncodeUsingEncoding(QStringLiteral("a b&c=d/é"),
                                                          QStringConverter::Utf8),
              QStringLiteral("a%20b%26c%3Dd%2F%C3%A9"));
    EXPECT_EQ(
        VTStringURLEncoding::urlEncodeUsingEncoding(QStringLiteral("é"), QStringConverter::Latin1),
        QStringLiteral("%E9"));
}
