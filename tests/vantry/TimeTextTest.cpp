#include "utils/VTGlobalFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(TimeText, ClockTexts) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {3725.9, "01:02:05"},       {360000, "100:00:00"},   {0, "00:00:00"},
        {59.99, "00:00:59"},        {-5, "00:00:00"},        {NAN, "00:00:00"},
        {INFINITY, "596523:14:07"}, {1e300, "596523:14:07"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(VTGlobalFunctions::getTimeStringBySecond(c.seconds), QLatin1String(c.text));
    }
}

TEST(TimeText, ClockPartsWithHundredths) {
    int h = -1, m = -1, s = -1, hundredths = -1;
    VTGlobalFunctions::getTimeStringBySecondHourMiniteSecondsMmSeconds(3725.5, &h, &m, &s,
                                                                       &hundredths);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(s, 5);
    EXPECT_EQ(hundredths, 50);
    // Null out-pointers are skipped; hostile values stay in range.
    VTGlobalFunctions::getTimeStringBySecondHourMiniteSecondsMmSeconds(NAN, nullptr, nullptr,
                                                                       nullptr, &hundredths);
    EXPECT_EQ(hundredths, 0);
    VTGlobalFunctions::getTimeStringBySecondHourMiniteSecondsMmSeconds(1e300, &h, nullptr, nullptr,
                                                                       &hundredths);
    EXPECT_GE(h, 0);
    EXPECT_GE(hundredths, 0);
    EXPECT_LE(hundredths, 99);
}

TEST(TimeText, TimeLeftSentences) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {1.0, "1 second remaining"},
        {0.4, "0 second remaining"},
        {59.6, "60 seconds remaining"},
        {61, "1 minite 1 second remaining"},
        {125, "2 minites 5 seconds remaining"},
        {3719, "1 hour 1 minite remaining"},
        {7325, "2 hours 2 minites remaining"},
        {-3, "0 second remaining"},
        {NAN, "0 hour 0 minite remaining"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(VTGlobalFunctions::getEstimateStrBySecond(c.seconds), QLatin1String(c.text));
    }
}

TEST(TimeText, SecondsFromTimeTexts) {
    const struct {
        const char* text;
        double seconds;
    } cases[] = {
        {"1:02:03.5", 3723.5}, {"5:30", 19800},      {"1:2:3:4", 3723},   {"", 0}, {"abc", 0},
        {"0:0:1.25", 1.25},    {"00:00:07.10", 7.1}, {"-00:00:01.00", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(VTGlobalFunctions::getSecondsByTimeString(QString::fromUtf8(c.text)),
                         c.seconds);
    }
}
