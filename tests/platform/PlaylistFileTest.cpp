#include "support/TestEnvironment.h"

#include "platform/PlaylistFile.h"
#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {
QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(PlaylistFile, NamesStaySafeInsideThePlaylistsFolder) {
    TestEnvironment::reset();
    const QString folder = TestEnvironment::musicDirectory() + QStringLiteral("/Playlists");
    struct Case {
        const char* name;
        const char* fileName;
    };
    const Case cases[] = {
        {" Quaverly", "Quaverly.m3u8"},
        {"../../etc/passwd", "_._.._etc_passwd.m3u8"},
        {"..", "_..m3u8"},
        {"", "Playlist.m3u8"},
        {"a/b\\c", "a_b_c.m3u8"},
        {"Grüße", "Grüße.m3u8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaylistFile::fileNameForPlaylistName(QString::fromUtf8(c.name)),
                  QString::fromUtf8(c.fileName));
        const QString path = PlaylistFile::pathForPlaylistName(QString::fromUtf8(c.name));
        EXPECT_EQ(QFileInfo(path).absolutePath(), folder);
    }
}

TEST(PlaylistFile, CreatesThenAddsEachFileOnce) {
    TestEnvironment::reset();
    const QString name = QStringLiteral("Mix");
    EXPECT_FALSE(PlaylistFile::exists(name));
    ASSERT_TRUE(PlaylistFile::addFile(name, QStringLiteral("/m/a b.mp3")));
    ASSERT_TRUE(PlaylistFile::addFile(name, QStringLiteral("/m/ü.m4a")));
    ASSERT_TRUE(PlaylistFile::addFile(name, QStringLiteral("/m/a b.mp3")));
    EXPECT_EQ(contents(PlaylistFile::pathForPlaylistName(name)),
              QByteArray("#EXTM3U\n/m/a b.mp3\n/m/\xc3\xbc.m4a\n"));
    EXPECT_FALSE(PlaylistFile::addFile(name, QStringLiteral("/m/line\nbreak.mp3")));
    EXPECT_EQ(PlaylistFile::entries(name).size(), 2);
    EXPECT_TRUE(PlaylistFile::create(name)); // an existing playlist is kept
    EXPECT_EQ(PlaylistFile::entries(name).size(), 2);
}

TEST(PlaylistFile, ConcurrentAddsAreAllKept) {
    TestEnvironment::reset();
    const QString name = QStringLiteral("Busy");
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, name] {
            for (int i = 0; i < 10; ++i)
                PlaylistFile::addFile(name, QStringLiteral("/m/%1-%2.mp3").arg(t).arg(i));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const QStringList entries = PlaylistFile::entries(name);
    EXPECT_EQ(entries.size(), 80);
    EXPECT_EQ(QSet<QString>(entries.begin(), entries.end()).size(), 80);
    EXPECT_TRUE(contents(PlaylistFile::pathForPlaylistName(name)).startsWith("#EXTM3U\n"));
}

TEST(PlaylistFile, UnwritableMusicFolderFails) {
    TestEnvironment::reset();
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("plfile"));
    QFile file(folder + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    UserFolders::setMusicDirectoryOverride(folder + QStringLiteral("/plain"));
    EXPECT_FALSE(PlaylistFile::addFile(QStringLiteral("X"), QStringLiteral("/m/a.mp3")));
    EXPECT_FALSE(PlaylistFile::create(QStringLiteral("X")));
    TestEnvironment::reset();
}

namespace {

QStringList& playlistWarnings() {
    static QStringList lines;
    return lines;
}

void capturePlaylistWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg)
        playlistWarnings() += message;
}

} // namespace

TEST(PlaylistFile, APlaylistItCannotReadOrUnderstandIsLeftAsItWas) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"Latin-1 text", QByteArray("#EXTM3U\n/m/caf\xe9.mp3\n")},
        {"NUL bytes", QByteArray("#EXTM3U\n/m/a.mp3\n\0\0\0binary", 26)},
        {"cut inside a character", QByteArray("#EXTM3U\n/m/\xc3")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnvironment::reset();
        const QString name = QStringLiteral("Kept");
        const QString path = PlaylistFile::pathForPlaylistName(name);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();

        playlistWarnings().clear();
        const QtMessageHandler previous = qInstallMessageHandler(capturePlaylistWarning);
        EXPECT_FALSE(PlaylistFile::addFile(name, QStringLiteral("/m/new.mp3")));
        qInstallMessageHandler(previous);
        EXPECT_EQ(contents(path), c.bytes);
        EXPECT_EQ(playlistWarnings().size(), 1) << playlistWarnings().join(u'\n').toStdString();
    }
}

TEST(PlaylistFile, AFolderInThePlaylistsPlaceIsNotReplaced) {
    TestEnvironment::reset();
    const QString path = PlaylistFile::pathForPlaylistName(QStringLiteral("Folder"));
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
    EXPECT_FALSE(PlaylistFile::addFile(QStringLiteral("Folder"), QStringLiteral("/m/a.mp3")));
    EXPECT_TRUE(QFileInfo(path + QStringLiteral("/inside")).isDir());
}

TEST(PlaylistFile, APlaylistWithoutHeaderIsKeptAndGainsOne) {
    TestEnvironment::reset();
    const QString path = PlaylistFile::pathForPlaylistName(QStringLiteral("Plain"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("/m/old \xc3\xbc.mp3\r\n");
    file.close();
    ASSERT_TRUE(PlaylistFile::addFile(QStringLiteral("Plain"), QStringLiteral("/m/new.mp3")));
    EXPECT_EQ(contents(path), QByteArray("#EXTM3U\n/m/old \xc3\xbc.mp3\n/m/new.mp3\n"));
}
