#pragma once

#include <QString>

// Raw facts of the running application from its Info.plist; empty when missing.
class VTAppInfoUtil {
public:
    static QString appName();
    static QString bundleIdentifier();
    // The short version ("1.0.0"), not the build number.
    static QString bundleVersion();
};
