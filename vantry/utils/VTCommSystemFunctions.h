#pragma once

#include <QIcon>
#include <QString>

// The facts the About box shows, from the application's Info.plist. Every text is empty
// rather than missing.
class VTCommSystemFunctions {
public:
    static QString getProductName();
    // "Version <short> (<build>)"; a missing part shows as "(null)".
    static QString getSoftwareVersion();
    static QIcon getSoftwareIcon();
    static QString getCopyrightRight();
    static QString getSupportMail();
    static QString getDevMail();
    static QString getHomepageUrl();
    static QString getSupportUrl();
    static QString getSlogn();
};
