#include "util/GlobalFun.h"
#include "util/QVFileLocalManager.h"
#include "util/QVStringDigit.h"

#include "utils/VTGlobalFunctions.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>

TEST(ApplicationHelpers, ShortTimeTexts) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {5, "00:05"},        {65, "1:05"},    {600, "10:00"},     {3725, " 1:2:05"},
        {36000, "10:00:00"}, {59.9, "00:59"}, {3600, " 1:00:00"}, {3660, " 1:1:00"},
        {0, "00:00"},        {-7, "00:00"},   {NAN, "00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GlobalFun::getTimeStringBySecond(c.seconds), QLatin1String(c.text)) << c.seconds;
}

TEST(ApplicationHelpers, PureIntegers) {
    const struct {
        const char* text;
        bool pure;
    } cases[] = {
        {"44100", true},   {"-2", true},           {" 128 ", true}, {"+5", true},
        {"Stereo", false}, {"Use Source", false},  {"12a", false},  {"", false},
        {"1 2", false},    {"99999999999", false}, {"1.5", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QVStringDigit::isPureInt(QString::fromUtf8(c.text)), c.pure) << c.text;
}

TEST(ApplicationHelpers, GuidIsMadeOnceAndKept) {
    TestEnvironment::reset();
    const QString first = GlobalFun::getGUID();
    EXPECT_EQ(first.size(), 36);
    EXPECT_EQ(GlobalFun::getGUID(), first);
}

TEST(ApplicationHelpers, DefaultOutputFoldersLiveInTheMusicFolder) {
    TestEnvironment::reset();
    const QString upper = TestEnvironment::musicDirectory() + QStringLiteral("/ Quaverly");
    QDir(upper).removeRecursively();
    EXPECT_EQ(QVFileLocalManager::getDefaultOutputDir(QStringLiteral("MP3")),
              upper + QStringLiteral("/MP3"));
    EXPECT_FALSE(QFileInfo::exists(upper));
    EXPECT_EQ(QVFileLocalManager::getDefaultUpperOutputDir(), upper);
    EXPECT_TRUE(QFileInfo(upper).isDir());
    EXPECT_EQ(QVFileLocalManager::getDefaultUpperOutputDir(), upper);
    EXPECT_EQ(RealHomeDirectory2(), TestEnvironment::homeDirectory());
}

TEST(ApplicationHelpers, SharedSelectorsBehaveAsTheFrameworks) {
    EXPECT_EQ(GlobalFun::getEstimateStrBySecond(125),
              VTGlobalFunctions::getEstimateStrBySecond(125));
    EXPECT_DOUBLE_EQ(GlobalFun::getSecondsByTimeString(QStringLiteral("00:01:02.5")), 62.5);
}

TEST(ApplicationHelpers, SystemVersionPartsAgreeWithTheWholeVersion) {
    qint64 parts[3] = {-1, -1, -1};
    GlobalFun::getMajorMinorBugFix(&parts[0], &parts[1], &parts[2]);
    const int whole = GlobalFun::getCurrentOSVersion();
    if (whole == 0)
        GTEST_SKIP() << "this system reports no version";
    EXPECT_EQ(parts[0], whole / 10000);
    if (parts[1] >= 0) {
        EXPECT_EQ(parts[1], whole / 100 % 100);
    }
}
