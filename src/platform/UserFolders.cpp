#include "platform/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {
std::mutex g_mutex;
QString g_homeOverride;
QString g_musicOverride;

QString passwordDatabaseHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return QString::fromUtf8(found->pw_dir);
    return {};
}
} // namespace

QString UserFolders::realHomeDirectory() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_homeOverride.isEmpty())
            return g_homeOverride;
    }
    const QString home = passwordDatabaseHome();
    return home.isEmpty() ? QDir::homePath() : home;
}

QString UserFolders::musicDirectory() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_musicOverride.isEmpty())
            return g_musicOverride;
        if (!g_homeOverride.isEmpty())
            return g_homeOverride + QStringLiteral("/Music");
    }
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QDir(music) != QDir::home())
        return music;
    return realHomeDirectory() + QStringLiteral("/Music");
}

void UserFolders::setRealHomeDirectoryOverride(const QString& path) {
    std::lock_guard lock(g_mutex);
    g_homeOverride = path;
}

void UserFolders::setMusicDirectoryOverride(const QString& path) {
    std::lock_guard lock(g_mutex);
    g_musicOverride = path;
}
