#include "VTSystemVersion.h"

#include <QDebug>
#include <QSysInfo>

#include <algorithm>
#include <climits>
#include <mutex>
#include <sys/utsname.h>

namespace {
struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int bugFix = 0;
};

const VersionNumbers& runningVersion() {
    static const VersionNumbers numbers = [] {
        VersionNumbers read;
        utsname names{};
        if (uname(&names) == 0)
            VTSystemVersion::parseVersionNumbers(QString::fromLocal8Bit(names.release), &read.major,
                                                 &read.minor, &read.bugFix);
        return read;
    }();
    return numbers;
}

// Reads the decimal number at position; false when there is none.
bool readNumber(QStringView text, qsizetype& position, int& value) {
    const qsizetype start = position;
    qint64 number = 0;
    while (position < text.size() && text[position].isDigit() && text[position].unicode() < 128) {
        number = std::min<qint64>(number * 10 + (text[position].unicode() - u'0'), INT_MAX);
        ++position;
    }
    if (position == start)
        return false;
    value = int(number);
    return true;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

char16_t foldedCase(QChar c) {
    const char16_t code = c.unicode();
    return code >= u'A' && code <= u'Z' ? char16_t(code - u'A' + u'a') : code;
}

// Compares the digit runs starting at i and j by value; advances both past them.
int compareDigitRuns(QStringView left, qsizetype& i, QStringView right, qsizetype& j) {
    while (i < left.size() && left[i] == u'0' && i + 1 < left.size() && isAsciiDigit(left[i + 1]))
        ++i;
    while (j < right.size() && right[j] == u'0' && j + 1 < right.size() &&
           isAsciiDigit(right[j + 1]))
        ++j;
    qsizetype endI = i, endJ = j;
    while (endI < left.size() && isAsciiDigit(left[endI]))
        ++endI;
    while (endJ < right.size() && isAsciiDigit(right[endJ]))
        ++endJ;
    const QStringView runI = left.sliced(i, endI - i), runJ = right.sliced(j, endJ - j);
    i = endI;
    j = endJ;
    if (runI.size() != runJ.size())
        return runI.size() < runJ.size() ? -1 : 1;
    const int order = runI.compare(runJ);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
} // namespace

void VTSystemVersion::parseVersionNumbers(const QString& release, int* major, int* minor,
                                          int* bugFix) {
    int* targets[3] = {major, minor, bugFix};
    for (int* target : targets)
        if (target)
            *target = 0;
    qsizetype position = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0 && (position >= release.size() || release[position++] != u'.'))
            return;
        int value = 0;
        if (!readNumber(release, position, value))
            return;
        if (targets[part])
            *targets[part] = value;
    }
}

void VTSystemVersion::getMajorMinorBugFix(int* major, int* minor, int* bugFix) {
    const VersionNumbers& numbers = runningVersion();
    if (major)
        *major = numbers.major;
    if (minor)
        *minor = numbers.minor;
    if (bugFix)
        *bugFix = numbers.bugFix;
}

QString VTSystemVersion::build() {
    static std::mutex mutex;
    static bool asked = false;
    static QString held;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!asked) {
        asked = true;
        utsname names{};
        if (uname(&names) == 0 && names.version[0] != '\0')
            held = QString::fromLocal8Bit(names.version);
        else
            qWarning("Unable to get build version");
    }
    return held;
}

int VTSystemVersion::compareBuilds(const QString& left, const QString& right) {
    qsizetype i = 0, j = 0;
    while (i < left.size() && j < right.size()) {
        if (isAsciiDigit(left[i]) && isAsciiDigit(right[j])) {
            if (const int order = compareDigitRuns(left, i, right, j))
                return order;
            continue;
        }
        const char16_t a = foldedCase(left[i++]), b = foldedCase(right[j++]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (i < left.size())
        return 1;
    return j < right.size() ? -1 : 0;
}

bool VTSystemVersion::isBuildLessThan(const QString& other) {
    return compareBuilds(build(), other) < 0;
}

bool VTSystemVersion::isBuildLessThanOrEqualTo(const QString& other) {
    return compareBuilds(build(), other) <= 0;
}

bool VTSystemVersion::isBuildGreaterThan(const QString& other) {
    return compareBuilds(build(), other) > 0;
}

bool VTSystemVersion::isBuildGreaterThanOrEqualTo(const QString& other) {
    return compareBuilds(build(), other) >= 0;
}

bool VTSystemVersion::isBuildEqualTo(const QString& other) {
    return compareBuilds(build(), other) == 0;
}

bool VTSystemVersion::isPanther() {
    return false;
}

bool VTSystemVersion::isTiger() {
    return false;
}

bool VTSystemVersion::isLeopard() {
    return false;
}

bool VTSystemVersion::isSnowLeopard() {
    return false;
}

bool VTSystemVersion::isPantherOrGreater() {
    return false;
}

bool VTSystemVersion::isTigerOrGreater() {
    return false;
}

bool VTSystemVersion::isLeopardOrGreater() {
    return false;
}

bool VTSystemVersion::isSnowLeopardOrGreater() {
    return false;
}

bool VTSystemVersion::isLionOrGreater() {
    return false;
}

bool VTSystemVersion::isMountainLionOrGreater() {
    return false;
}

QString VTSystemVersion::runtimeArchitecture() {
    return QSysInfo::buildCpuArchitecture();
}
