#include "utils/VTFileLocalManager.h"
#include "utils/VTGlobalFunctions.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <thread>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(MediaFixtures::writeBytes(path, "x"));
}

QString unique(const QString& path, const QString& ext) {
    return VTGlobalFunctions::makeSureFullPathIdenticalAndHaveExtention(path, ext);
}

} // namespace

TEST(UniquePath, CountersAndExtensions) {
    const struct {
        const char* given;
        const char* ext;
        std::vector<const char*> taken;
        const char* expected;
    } cases[] = {
        {"a", "mp3", {}, "a.mp3"},
        {"a.wav", "mp3", {}, "a.wav.mp3"},
        {"a.MP3", "mp3", {}, "a.MP3.mp3"},
        {"a.mp3", "mp3", {"a.mp3"}, "a(1).mp3"},
        {"a.mp3", "mp3", {"a.mp3", "a(1).mp3"}, "a(2).mp3"},
        {"b(1).mp3", "mp3", {"b(1).mp3"}, "b(2).mp3"},
        {"x(1)y(1).mp3", "mp3", {"x(1)y(1).mp3"}, "x(2)y(2).mp3"},
        {"-rf 'q\" é.mp3", "mp3", {"-rf 'q\" é.mp3"}, "-rf 'q\" é(1).mp3"},
        // The counter goes into the file name only, never into a folder's name.
        {"dir(1)/a.mp3", "mp3", {"dir(1)/a.mp3"}, "dir(1)/a(1).mp3"},
    };
    for (const auto& c : cases) {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("unique"));
        QDir().mkpath(folder + QStringLiteral("/dir(1)"));
        for (const char* taken : c.taken)
            touch(folder + u'/' + QString::fromUtf8(taken));
        SCOPED_TRACE(c.given);
        const QString result =
            unique(folder + u'/' + QString::fromUtf8(c.given), QString::fromLatin1(c.ext));
        EXPECT_EQ(result, folder + u'/' + QString::fromUtf8(c.expected));
        // The path is reserved for this caller, and what was there is untouched.
        EXPECT_TRUE(QFileInfo(result).isFile());
        for (const char* taken : c.taken)
            EXPECT_EQ(QFileInfo(folder + u'/' + QString::fromUtf8(taken)).size(), 1);
    }
}

TEST(UniquePath, NamesAreShortenedToTheFileSystemsLimit) {
    const QString a251(251, u'a');
    const QString eAcute126(126, QChar(0xE9));                         // 2 bytes each in UTF-8
    const QString decomposed = QStringLiteral("e\u0301").repeated(85); // 3 bytes a letter
    const QString b252(252, u'b');
    const struct {
        const char* name;
        QString base;
        const char* ext;
        QStringList taken;
        QString expected;
    } cases[] = {
        {"a long name keeps its extension", a251, "flac", {}, a251.left(250) + ".flac"},
        {"the counter is kept too",
         a251,
         "flac",
         {a251.left(250) + ".flac"},
         a251.left(247) + "(1).flac"},
        {"two-byte letters are never split", eAcute126, "mp3", {}, eAcute126.left(125) + ".mp3"},
        {"accents stay with their letters",
         decomposed,
         "mp3",
         {},
         decomposed.left(2 * 83) + ".mp3"},
        {"a counter changed only in the cut part shows at the end",
         b252 + "(1)z",
         "mp3",
         {b252.left(251) + ".mp3"},
         b252.left(248) + "(2).mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("long"));
        for (const QString& taken : c.taken)
            touch(folder + u'/' + taken);
        const QString result = unique(folder + u'/' + c.base, QString::fromLatin1(c.ext));
        EXPECT_EQ(result, folder + u'/' + c.expected);
        EXPECT_LE(QFileInfo(result).fileName().toUtf8().size(), 255);
        EXPECT_TRUE(QFileInfo(result).isFile());
    }
}

TEST(UniquePath, MissingFolderGivesThePathUnreserved) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("nofolder"));
    const QString result = unique(folder + QStringLiteral("/missing/a"), QStringLiteral("mp3"));
    EXPECT_EQ(result, folder + QStringLiteral("/missing/a.mp3"));
    EXPECT_FALSE(QFileInfo::exists(result));
}

TEST(UniquePath, ConcurrentCallersNeverShareAPath) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("race"));
    std::mutex mutex;
    QStringList results;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                const QString path =
                    unique(folder + QStringLiteral("/song"), QStringLiteral("mp3"));
                std::lock_guard lock(mutex);
                results.append(path);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(results.size(), 200);
    EXPECT_EQ(QSet<QString>(results.begin(), results.end()).size(), 200);
}

TEST(FolderHelpers, MakeSureFolderExsist) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("mk"));
    touch(folder + QStringLiteral("/plain"));
    EXPECT_FALSE(VTGlobalFunctions::MakeSureFolderExsist(QString()));
    EXPECT_TRUE(VTGlobalFunctions::MakeSureFolderExsist(folder));
    EXPECT_TRUE(VTGlobalFunctions::MakeSureFolderExsist(folder + QStringLiteral("/a/b/c")));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/a/b/c")).isDir());
    EXPECT_FALSE(VTGlobalFunctions::MakeSureFolderExsist(folder + QStringLiteral("/plain")));
    // Below a regular file nothing can be made, even as root.
    EXPECT_FALSE(VTGlobalFunctions::MakeSureFolderExsist(folder + QStringLiteral("/plain/x")));
    EXPECT_FALSE(VTFileLocalManager::makeSureDirCreated(folder + QStringLiteral("/plain/x/y")));
    EXPECT_TRUE(VTFileLocalManager::makeSureDirCreated(folder + QStringLiteral("/d/e")));
    EXPECT_FALSE(VTFileLocalManager::makeSureDirCreated(QString()));
    EXPECT_EQ(VTFileLocalManager::makeSureCreatCustomDirDirName(folder, QStringLiteral("n")),
              folder + QStringLiteral("/n"));
    EXPECT_TRUE(VTFileLocalManager::makeSureCreatCustomDirDirName(folder, QString()).isNull());
}

TEST(FolderHelpers, ListingGivesFilesDepthFirstAndSurvivesLinkLoops) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("list"));
    touch(folder + QStringLiteral("/one.mp3"));
    touch(folder + QStringLiteral("/sub/two.wav"));
    touch(folder + QStringLiteral("/sub/deeper/.hidden.flac"));
    ASSERT_TRUE(QFile::link(folder, folder + QStringLiteral("/sub/loop")));
    ASSERT_TRUE(
        QFile::link(folder + QStringLiteral("/gone"), folder + QStringLiteral("/dangling")));

    QStringList files = VTFileLocalManager::fileListAtDirenctory(folder);
    files.sort();
    EXPECT_EQ(files, (QStringList{folder + QStringLiteral("/one.mp3"),
                                  folder + QStringLiteral("/sub/deeper/.hidden.flac"),
                                  folder + QStringLiteral("/sub/two.wav")}));
    EXPECT_TRUE(VTFileLocalManager::fileListAtDirenctory(folder + "/missing").isEmpty());
    EXPECT_TRUE(VTFileLocalManager::fileListAtDirenctory(folder + "/one.mp3").isEmpty());
}

TEST(FolderHelpers, LastExistingFolder) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("last"));
    EXPECT_EQ(VTFileLocalManager::getLastFolderPath(folder), folder);
    EXPECT_EQ(VTFileLocalManager::getLastFolderPath(folder + QStringLiteral("/x/y/z.mp3")), folder);
    EXPECT_TRUE(
        VTFileLocalManager::getLastFolderPath(QStringLiteral("no-such/relative/p")).isNull());
    EXPECT_EQ(VTFileLocalManager::getLastFolderPath(QString()), QString());
}

TEST(FileHelpers, SizesIncludingHugeSparseFiles) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("size"));
    EXPECT_EQ(VTFileLocalManager::fileSizeAtPath(folder + QStringLiteral("/missing")), 0);
    QFile big(folder + QStringLiteral("/big"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(5LL * 1024 * 1024 * 1024));
    big.close();
    EXPECT_EQ(VTFileLocalManager::fileSizeAtPath(big.fileName()), 5LL * 1024 * 1024 * 1024);
}

TEST(FileHelpers, CopyRefusesToCopyAFileOntoItself) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("copy"));
    const QString source = folder + QStringLiteral("/a.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(source, "payload"));
    EXPECT_FALSE(VTFileLocalManager::copyFileToFile(source, source));
    EXPECT_FALSE(VTFileLocalManager::copyFileToFile(source, folder + QStringLiteral("/./a.mp3")));
    EXPECT_EQ(QFileInfo(source).size(), 7);

    const QString target = folder + QStringLiteral("/b.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(target, "old old old"));
    EXPECT_TRUE(VTFileLocalManager::copyFileToFile(source, target));
    EXPECT_EQ(QFileInfo(target).size(), 7);
    EXPECT_FALSE(VTFileLocalManager::copyFileToFile(source, folder + QStringLiteral("/no/b.mp3")));
    EXPECT_FALSE(VTFileLocalManager::copyFileToFile(folder + QStringLiteral("/none"), target));
}

TEST(FileHelpers, ImageDataByTypeWord) {
    QImage image(16, 8, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const struct {
        const char* type;
        QByteArray magic;
    } cases[] = {
        {"png", QByteArray("\x89PNG", 4)},       {"jpg", QByteArray("\xff\xd8\xff", 3)},
        {"jpeg", QByteArray("\xff\xd8\xff", 3)}, {"bmp", QByteArray("BM")},
        {"tiff", QByteArray("II*\0", 4)},        {"tif", QByteArray("II*\0", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const QByteArray data =
            VTGlobalFunctions::imageDataRepresentationOfType(image, QLatin1String(c.type));
        EXPECT_TRUE(data.startsWith(c.magic));
        EXPECT_FALSE(QImage::fromData(data).isNull());
    }
    for (const char* refused : {"PNG", "JPEG", "webp", ""})
        EXPECT_TRUE(VTGlobalFunctions::imageDataRepresentationOfType(image, QLatin1String(refused))
                        .isNull());
    EXPECT_TRUE(VTGlobalFunctions::imageDataRepresentationOfType(QImage(), "png").isNull());
}

TEST(FileHelpers, RealHomeFollowsThePasswordDatabaseNotHome) {
    EXPECT_EQ(RealHomeDirectory(), TestEnvironment::homeDirectory());
    EXPECT_EQ(VTFileLocalManager::userRealHomeDirectory(), TestEnvironment::homeDirectory());
}

namespace {

// Collects the warnings logged while it lives (the walk runs on the calling thread).
class WarningCapture {
public:
    WarningCapture() {
        lines().clear();
        _previous = qInstallMessageHandler(&WarningCapture::handler);
    }
    ~WarningCapture() { qInstallMessageHandler(_previous); }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;
    static QStringList& lines() {
        static QStringList collected;
        return collected;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg)
            lines() << message;
    }
    QtMessageHandler _previous;
};

// Makes a file or folder whose name is raw bytes, below a folder named through Qt.
bool makeRaw(const QString& folder, const QByteArray& rawName, bool asFolder) {
    const QByteArray path = QFile::encodeName(folder) + '/' + rawName;
    if (asFolder)
        return ::mkdir(path.constData(), 0755) == 0 &&
               MediaFixtures::writeBytes(folder + QStringLiteral("/dummy"), "x") &&
               ::rename(QFile::encodeName(folder + QStringLiteral("/dummy")).constData(),
                        (path + "/inside.mp3").constData()) == 0;
    FILE* file = std::fopen(path.constData(), "wb");
    return file && std::fclose(file) == 0;
}

// Qt cannot see such names, so it cannot remove them either.
void removeRaw(const QString& folder, const QByteArray& rawName, bool asFolder) {
    const QByteArray path = QFile::encodeName(folder) + '/' + rawName;
    if (asFolder) {
        ::unlink((path + "/inside.mp3").constData());
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

} // namespace

// QDir drops names that are not valid UTF-8 without a word; the walk names each in the log
// with its folder and its raw bytes, and leaves it out.
TEST(FolderHelpers, NamesThatAreNotUtf8AreLoggedWithTheirFolderAndSkipped) {
    struct Case {
        const char* what;
        QByteArray rawName;
        const char* shownAs;
        bool asFolder;
    };
    const Case cases[] = {
        {"Latin-1 accent", "caf\xe9.mp3", "caf\\xe9.mp3", false},
        {"cut-off sequence", "ok\xc3.mp3", "ok\\xc3.mp3", false},
        {"lone continuation byte", "\x80x.wav", "\\x80x.wav", false},
        {"overlong slash", "\xc0\xaf.flac", "\\xc0\\xaf.flac", false},
        {"folder with such a name", "dir\xff", "dir\\xff", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("raw names"));
        ASSERT_TRUE(makeRaw(folder, c.rawName, c.asFolder));
        const WarningCapture capture;
        EXPECT_TRUE(VTFileLocalManager::fileListAtDirenctory(folder).isEmpty());
        ASSERT_EQ(WarningCapture::lines().size(), 1);
        const QString line = WarningCapture::lines().first();
        EXPECT_TRUE(line.contains(folder)) << line.toStdString();
        EXPECT_TRUE(line.endsWith(QLatin1String(c.shownAs))) << line.toStdString();

        touch(folder + QStringLiteral("/fine é.mp3"));
        EXPECT_EQ(VTFileLocalManager::fileListAtDirenctory(folder),
                  QStringList{folder + QStringLiteral("/fine é.mp3")});
        removeRaw(folder, c.rawName, c.asFolder);
    }
}

TEST(FolderHelpers, ListingStopsWhenAsked) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("stop"));
    for (int i = 0; i < 5; ++i)
        touch(folder + QStringLiteral("/d%1/f.mp3").arg(i));
    struct Case {
        const char* what;
        int foldersAllowed; // folders entered before the answer turns to yes
        qsizetype expectedFiles;
    };
    const Case cases[] = {{"never", 1000, 5}, {"at once", 0, 0}, {"after three folders", 3, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int asked = 0;
        const QStringList files = VTFileLocalManager::fileListAtDirenctory(
            folder, [&] { return asked++ >= c.foldersAllowed; });
        EXPECT_EQ(files.size(), c.expectedFiles);
    }
}
