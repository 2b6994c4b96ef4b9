#pragma once

#include <QString>

// Which system the process runs on. The numbers are the running kernel's version (x.y.z),
// read once; the build is the kernel's version text, read once on first request. The named
// release tests ask about a desktop system this program never runs on and answer false.
class VTSystemVersion {
public:
    // Each non-null pointer receives its number; numbers that could not be read are 0.
    static void getMajorMinorBugFix(int* major, int* minor, int* bugFix);
    // Null (and "Unable to get build version" logged) when the system does not say.
    static QString build();

    static bool isBuildLessThan(const QString& build);
    static bool isBuildLessThanOrEqualTo(const QString& build);
    static bool isBuildGreaterThan(const QString& build);
    static bool isBuildGreaterThanOrEqualTo(const QString& build);
    static bool isBuildEqualTo(const QString& build);

    // Build texts compared ignoring letter case, with runs of digits compared by their value
    // ("11G63" after "11G7"); -1, 0 or 1. Independent of the user's locale.
    static int compareBuilds(const QString& left, const QString& right);
    // Reads "x.y.z..." as the kernel gives it: each number is read only when the ones before
    // it were; the rest stay 0.
    static void parseVersionNumbers(const QString& release, int* major, int* minor, int* bugFix);

    static bool isPanther();
    static bool isTiger();
    static bool isLeopard();
    static bool isSnowLeopard();
    static bool isPantherOrGreater();
    static bool isTigerOrGreater();
    static bool isLeopardOrGreater();
    static bool isSnowLeopardOrGreater();
    static bool isLionOrGreater();
    static bool isMountainLionOrGreater();

    // The processor architecture the library was built for, e.g. "x86_64".
    static QString runtimeArchitecture();
};
