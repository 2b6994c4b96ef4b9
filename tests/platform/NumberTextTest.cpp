#include "platform/NumberText.h"

#include "ScopedLocale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ParseCase {
    const char* text;
    double value;
    qint64 integer;
};

const ParseCase kParseCases[] = {
    {"44100", 44100.0, 44100},
    {"  128 kbit/s", 128.0, 128},
    {"1.5", 1.5, 1},
    {"-2.25abc", -2.25, -2},
    {"+7", 7.0, 7},
    {".5", 0.5, 0},
    {"5.", 5.0, 5},
    {"1e3", 1000.0, 1},
    {"1e", 1.0, 1},
    {"44100,00", 44100.0, 44100}, // a comma is junk, never a decimal separator
    {"abc", 0.0, 0},
    {"", 0.0, 0},
    {"-", 0.0, 0},
    {".", 0.0, 0},
    {"Use Source", 0.0, 0},
    {"1e999", 0.0, 1},
    {"99999999999999999999", 1e20, 0},
};

void expectParses(const ParseCase& c) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(NumberText::doubleValue(QString::fromUtf8(c.text)), c.value);
    EXPECT_EQ(NumberText::integerValue(QString::fromUtf8(c.text)), c.integer);
}

} // namespace

TEST(NumberText, ParsesTheNumericPrefixInTheCLocale) {
    for (const ParseCase& c : kParseCases)
        expectParses(c);
}

TEST(NumberText, ParsingIgnoresAGermanLocale) {
    QUAVERLY_REQUIRE_GERMAN_LOCALE(german);
    for (const ParseCase& c : kParseCases)
        expectParses(c);
}

TEST(NumberText, FormatsWithADotUnderAGermanLocale) {
    QUAVERLY_REQUIRE_GERMAN_LOCALE(german);
    EXPECT_EQ(NumberText::fromDouble(44100.0), QStringLiteral("44100"));
    EXPECT_EQ(NumberText::fromDouble(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(NumberText::fromDouble(3.5, 3), QStringLiteral("3.500"));
    EXPECT_EQ(NumberText::fromDouble(192.0, 0), QStringLiteral("192"));
    EXPECT_EQ(NumberText::fromDouble(NAN), QStringLiteral("0"));
    EXPECT_EQ(NumberText::fromDouble(INFINITY, 2), QStringLiteral("inf"));
    EXPECT_EQ(NumberText::fromDouble(-INFINITY, 2), QStringLiteral("-inf"));
    EXPECT_EQ(NumberText::fromDouble(NAN, 1), QStringLiteral("nan"));
}
