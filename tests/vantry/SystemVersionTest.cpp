#include "utils/VTSystemVersion.h"

#include "ScopedLocale.h"

#include <gtest/gtest.h>

TEST(VTSystemVersion, BuildComparisonsAreNumericAndIgnoreCase) {
    struct Case {
        const char* left;
        const char* right;
        int order;
    } cases[] = {
        {"11G63", "11G7", 1},
        {"11g63", "11G63", 0},
        {"11G63", "11G063", 0},
        {"10K549", "11A511", -1},
        {"9A", "10A", -1},
        {"11G63a", "11G63", 1},
        {"", "1", -1},
        {"", "", 0},
        {"6.1.0-13", "6.1.0-9", 1},
        {"#1 SMP Debian", "#1 smp debian", 0},
    };
    for (const bool german : {false, true}) {
        ScopedLocale locale(german ? "de_DE.UTF-8" : "C");
        for (const Case& c : cases) {
            const QString left = QString::fromUtf8(c.left), right = QString::fromUtf8(c.right);
            EXPECT_EQ(VTSystemVersion::compareBuilds(left, right), c.order)
                << c.left << " vs " << c.right;
            EXPECT_EQ(VTSystemVersion::compareBuilds(right, left), -c.order)
                << c.right << " vs " << c.left;
        }
    }
}

TEST(VTSystemVersion, VersionNumbersReadAsFarAsTheyGo) {
    struct Case {
        const char* release;
        int major, minor, bugFix;
    } cases[] = {
        {"6.1.0-13-amd64", 6, 1, 0}, {"5.15", 5, 15, 0}, {"4", 4, 0, 0},
        {"x.1.2", 0, 0, 0},          {"6.x.2", 6, 0, 0}, {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        int major = -1, minor = -1, bugFix = -1;
        VTSystemVersion::parseVersionNumbers(QString::fromUtf8(c.release), &major, &minor, &bugFix);
        EXPECT_EQ(major, c.major) << c.release;
        EXPECT_EQ(minor, c.minor) << c.release;
        EXPECT_EQ(bugFix, c.bugFix) << c.release;
    }
}

TEST(VTSystemVersion, RunningSystemAnswersHonestly) {
    int major = -1, minor = -1;
    VTSystemVersion::getMajorMinorBugFix(&major, &minor, nullptr);
    EXPECT_GT(major, 0) << "the running kernel has a version";
    EXPECT_GE(minor, 0);
    const QString build = VTSystemVersion::build();
    ASSERT_FALSE(build.isEmpty());
    EXPECT_EQ(VTSystemVersion::build(), build) << "read once, kept";
    EXPECT_TRUE(VTSystemVersion::isBuildEqualTo(build.toUpper()));
    EXPECT_TRUE(VTSystemVersion::isBuildLessThanOrEqualTo(build));
    EXPECT_TRUE(VTSystemVersion::isBuildGreaterThanOrEqualTo(build));
    EXPECT_FALSE(VTSystemVersion::isBuildLessThan(build));
    EXPECT_TRUE(VTSystemVersion::isBuildGreaterThan(QString()));
    EXPECT_FALSE(VTSystemVersion::runtimeArchitecture().isEmpty());
}
