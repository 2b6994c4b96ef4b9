#include "TestEnvironment.h"

#include <thread>

#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>

namespace {
// QUAVERLY_KEEP_TEST_FILES keeps the files a run made, to look at them afterwards.
QTemporaryDir& rootDir() {
    static QTemporaryDir dir = [] {
        QTemporaryDir made(QDir::tempPath() + QStringLiteral("/quaverly-test-XXXXXX"));
        made.setAutoRemove(!qEnvironmentVariableIsSet("QUAVERLY_KEEP_TEST_FILES"));
        return made;
    }();
    return dir;
}
} // namespace

QString TestEnvironment::root() {
    return rootDir().path();
}

QString TestEnvironment::homeDirectory() {
    return root() + QStringLiteral("/home");
}

QString TestEnvironment::musicDirectory() {
    return homeDirectory() + QStringLiteral("/Music");
}

QString TestEnvironment::settingsFile() {
    return root() + QStringLiteral("/settings.ini");
}

QString TestEnvironment::makeTempFolder(const QString& hint) {
    static std::atomic<int> counter{0};
    const QString path = root() + QStringLiteral("/%1-%2").arg(hint).arg(++counter);
    QDir().mkpath(path);
    return path;
}

QString TestEnvironment::renderFolder() {
    QString folder = qEnvironmentVariable("QUAVERLY_RENDER_DIR");
    if (folder.isEmpty())
        folder = root() + QStringLiteral("/renders");
    QDir().mkpath(folder);
    return folder;
}

void TestEnvironment::reset() {
    QDir().mkpath(musicDirectory());
    QFile::remove(settingsFile());
    UserDefaults::standardUserDefaults().setStorageFile(settingsFile());
    UserFolders::setRealHomeDirectoryOverride(homeDirectory());
    UserFolders::setMusicDirectoryOverride(musicDirectory());
    MainBundle::mainBundle().setResourceDirectory(QStringLiteral(QUAVERLY_RESOURCE_DIR));
}

int TestEnvironment::threadCount() {
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}
