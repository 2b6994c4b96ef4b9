#pragma once

#include <QString>

// Where the running test program keeps its files: one temporary root per process, with
// the settings store, the home folder and the Music folder inside it.
class TestEnvironment {
public:
    static QString root();
    static QString homeDirectory();
    static QString musicDirectory();
    static QString settingsFile();
    // A new empty folder under the root.
    static QString makeTempFolder(const QString& hint = QStringLiteral("case"));
    // Where offscreen renders of windows go: $QUAVERLY_RENDER_DIR when set (to keep and
    // look at them), else a folder under the root.
    static QString renderFolder();
    // Points the settings, home, Music folder and resources at the test root again and
    // clears the stored settings.
    static void reset();

    // Threads of this process. The first call lets a thread come and go first, so runtime
    // helpers that start with the first thread (the thread sanitizer's) are already counted.
    static int threadCount();
};
