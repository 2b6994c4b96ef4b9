#pragma once

#include <QString>

// The user's real home directory; behaves as the framework's RealHomeDirectory.
QString RealHomeDirectory2();

// The application's default output folders: " Quaverly" inside the user's Music folder.
class QVFileLocalManager {
public:
    // <Music>/ Quaverly/<name>; not created.
    static QString getDefaultOutputDir(const QString& subFolder);
    // <Music>/ Quaverly, created when missing.
    static QString getDefaultUpperOutputDir();
};
