#include "ShellTestSupport.h"

#include "shell/QVLoadingSheet.h"
#include "shell/QVPathIntake.h"

#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <set>

namespace {

QStringList fileNames(const QVMainAppController& controller) {
    QStringList names;
    for (const auto& music : controller.fileList().musics())
        names << QFileInfo(music->strFilePath).fileName();
    return names;
}

// Four short WAV files: two in the folder, two in a nested one.
QString makeMusicFolder() {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("music"));
    QDir().mkpath(folder + QStringLiteral("/nested/deeper"));
    const QStringList files = {QStringLiteral("/a one.wav"), QStringLiteral("/-b 'two'.wav"),
                               QStringLiteral("/nested/c.wav"),
                               QStringLiteral("/nested/deeper/d é.wav")};
    for (const QString& file : files) {
        if (!MediaFixtures::makeSine(folder + file, 3.5, 22050, 1))
            return {};
    }
    return folder;
}

struct AddFiles : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        prompts = std::make_shared<FakePrompts>();
        controller = std::make_unique<QVMainAppController>(shippedCatalogue(), prompts);
    }
    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<QVMainAppController> controller;
};

TEST_F(AddFiles, FolderDuplicatesAndMissingPathsGiveOneRowPerFile) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    controller->loadAndParseFiles({folder, folder + QStringLiteral("/nested/c.wav"),
                                   folder + QStringLiteral("/not there.wav"),
                                   folder + QStringLiteral("/nested/../a one.wav")});
    EXPECT_EQ(controller->enumAppState(), QVAppStateLoading);
    EXPECT_TRUE(controller->loadingSheet()->isVisible());
    ASSERT_TRUE(waitForIdle(*controller));

    EXPECT_EQ(fileNames(*controller),
              (QStringList{QStringLiteral("-b 'two'.wav"), QStringLiteral("a one.wav"),
                           QStringLiteral("c.wav"), QStringLiteral("d é.wav")}));
    EXPECT_FALSE(controller->loadingSheet()->isVisible());
    EXPECT_TRUE(prompts->alerts.empty());
    EXPECT_FALSE(controller->dropInTipsView()->isVisibleTo(controller->window()));
    EXPECT_TRUE(controller->formatPopUp()->isEnabled());
    EXPECT_TRUE(controller->tipsLabel()->text().startsWith(QStringLiteral("4 files, ")));

    // Everything again: nothing new, the sheet still comes and goes, no alert.
    controller->loadAndParseFiles({folder});
    EXPECT_EQ(controller->enumAppState(), QVAppStateLoading);
    ASSERT_TRUE(waitForIdle(*controller));
    EXPECT_EQ(controller->getMusicCount(), 4);
    EXPECT_FALSE(controller->loadingSheet()->isVisible());
    EXPECT_TRUE(prompts->alerts.empty());
}

TEST_F(AddFiles, RowsShowArtistAndTitleFromTheTagsOrTheFileName) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("tagged"));
    ASSERT_TRUE(
        MediaFixtures::makeSine(folder + QStringLiteral("/01 tagged.mp3"), 3.5, 44100, 2,
                                {QStringLiteral("-metadata"), QStringLiteral("title=Été"),
                                 QStringLiteral("-metadata"), QStringLiteral("artist=The Band")}));
    ASSERT_TRUE(MediaFixtures::makeSine(folder + QStringLiteral("/02 plain.mp3"), 3.5));
    controller->loadAndParseFiles({folder});
    ASSERT_TRUE(waitForIdle(*controller));
    ASSERT_EQ(controller->getMusicCount(), 2);
    const QVFileListModel& model = controller->fileList();
    EXPECT_EQ(model.data(model.index(0, QVFileListModel::ColumnName)).toString(),
              QStringLiteral("The Band - Été"));
    EXPECT_EQ(model.data(model.index(1, QVFileListModel::ColumnName)).toString(),
              QStringLiteral("02 plain"));
    EXPECT_EQ(model.data(model.index(0, QVFileListModel::ColumnOutputName)).toString(),
              QStringLiteral("01 tagged"));
    // Probed facts reach the summary line: two files of 3.5 s.
    EXPECT_TRUE(controller->tipsLabel()->text().startsWith(QStringLiteral("2 files, 0.0 hours, ")));
}

TEST_F(AddFiles, OpenPanelOffersTheListedTypesAndAddsTheChoice) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    prompts->filesToAdd = {folder + QStringLiteral("/a one.wav")};
    controller->clickAddFiles();
    ASSERT_TRUE(waitForIdle(*controller));
    EXPECT_EQ(prompts->offeredExtensions.size(), 35);
    EXPECT_EQ(prompts->offeredExtensions.first(), QStringLiteral("mp3"));
    const std::pair<const char*, int> offeredTimes[] = {{"rm", 2},  {"opus", 1}, {"aiff", 1},
                                                        {"aif", 1}, {"caf", 1},  {"oga", 1}};
    for (const auto& [extension, times] : offeredTimes)
        EXPECT_EQ(prompts->offeredExtensions.count(QLatin1String(extension)), times) << extension;
    // Whatever a conversion writes can be added again.
    for (const QVFormatSetting& format : shippedCatalogue().audioFormats())
        EXPECT_TRUE(prompts->offeredExtensions.contains(format.outputExtName))
            << format.outputExtName.toStdString();
    // The panel takes files only: folders come by drag and drop, as the tool tip says.
    EXPECT_TRUE(
        controller->addFilesAction()->toolTip().endsWith(QStringLiteral("drop it on the list")));
    EXPECT_EQ(fileNames(*controller), QStringList{QStringLiteral("a one.wav")});
}

TEST_F(AddFiles, ASecondAddDuringALoadWaitsForIt) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    controller->loadAndParseFiles({folder + QStringLiteral("/nested")});
    controller->loadAndParseFiles({folder}); // overlaps the first
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return controller->enumAppState() == QVAppStateIdle && controller->getMusicCount() == 4;
        },
        30000));
    // The first add's rows first, then the rest of the folder, each file once.
    EXPECT_EQ(fileNames(*controller),
              (QStringList{QStringLiteral("c.wav"), QStringLiteral("d é.wav"),
                           QStringLiteral("-b 'two'.wav"), QStringLiteral("a one.wav")}));
}

TEST_F(AddFiles, CancelledLoadAddsNothingAndItsLateEndIsIgnored) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    controller->loadAndParseFiles({folder});
    controller->clickCancelLoad();
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    EXPECT_FALSE(controller->loadingSheet()->isVisible());

    controller->loadAndParseFiles({folder + QStringLiteral("/nested/c.wav")});
    // A completion that belongs to no current load ends nothing.
    controller->mainSelCompleteLoad(987654, makeRows(3), {});
    EXPECT_EQ(controller->enumAppState(), QVAppStateLoading);
    EXPECT_TRUE(controller->loadingSheet()->isVisible());
    EXPECT_EQ(controller->getMusicCount(), 0);

    ASSERT_TRUE(waitForIdle(*controller));
    QTest::qWait(50); // let any late report of the cancelled load arrive
    EXPECT_EQ(fileNames(*controller), QStringList{QStringLiteral("c.wav")});
    EXPECT_TRUE(prompts->alerts.empty());
}

TEST_F(AddFiles, ClosingDuringALoadEndsIt) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    controller->window()->show();
    controller->loadAndParseFiles({folder});
    EXPECT_TRUE(controller->window()->close());
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    QTest::qWait(200);
    EXPECT_EQ(controller->getMusicCount(), 0);
}

TEST_F(AddFiles, DestroyingTheWindowDuringALoadEndsItsThreadFirst) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    for (int round = 0; round < 3; ++round) {
        auto doomed = std::make_unique<QVMainAppController>(shippedCatalogue(), prompts);
        doomed->loadAndParseFiles({folder});
        QTest::qWait(round * 5);
        doomed.reset(); // must not crash or leave a thread writing into freed rows
    }
    QTest::qWait(50); // late reports of those loads find nobody to tell
    EXPECT_TRUE(prompts->alerts.empty());
}

TEST_F(AddFiles, UnprobeableFilesAreNamedInOneAlert) {
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QString junk = TestEnvironment::makeTempFolder(QStringLiteral("junk"));
    QStringList paths = {folder + QStringLiteral("/a one.wav")};
    for (int i = 0; i < 12; ++i) {
        const QString path = junk + QStringLiteral("/junk %1.mp3").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(MediaFixtures::writeBytes(path, MediaFixtures::randomBytes(2000, quint32(i))));
        paths << path;
    }
    controller->loadAndParseFiles(paths);
    ASSERT_TRUE(waitForIdle(*controller, 60000));
    EXPECT_EQ(fileNames(*controller), QStringList{QStringLiteral("a one.wav")});
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].title, QStringLiteral("Following file(s) load failed!"));
    EXPECT_EQ(prompts->alerts[0].message.count(QLatin1Char('\n')), 11);
    EXPECT_TRUE(prompts->alerts[0].message.startsWith(QStringLiteral("junk 00.mp3\n")));
    EXPECT_TRUE(prompts->alerts[0].message.endsWith(QStringLiteral("junk 10.mp3\n...")));
    EXPECT_FALSE(controller->loadingSheet()->isVisible());
}

// A tree of empty files, made once per test program.
QString bigTree(int folders, int filesPerFolder) {
    static const QString root = [&] {
        const QString made = TestEnvironment::makeTempFolder(QStringLiteral("big tree"));
        for (int f = 0; f < folders; ++f) {
            const QString folder = made + QStringLiteral("/album %1").arg(f);
            QDir().mkpath(folder);
            for (int i = 0; i < filesPerFolder; ++i)
                QFile(folder + QStringLiteral("/%1.mp3").arg(i)).open(QIODevice::WriteOnly);
        }
        return made;
    }();
    return root;
}

// The walk of a big tree happens on the loader's thread: the sheet is up and Cancel ends
// the load at once; nothing of that walk ever reaches the list.
TEST_F(AddFiles, CancelDuringTheWalkOfABigTreeAddsNothing) {
    const QString tree = bigTree(5, 4000);
    const QString folder = makeMusicFolder();
    ASSERT_FALSE(folder.isEmpty());
    controller->window()->show();
    controller->loadAndParseFiles({tree});
    EXPECT_EQ(controller->enumAppState(), QVAppStateLoading);
    EXPECT_TRUE(controller->loadingSheet()->isVisible());
    EXPECT_EQ(controller->getMusicCount(), 0);
    // The sheet paints while the tree is walked (saved for a look).
    QTest::qWait(10);
    const QImage sheet = controller->loadingSheet()->grab().toImage();
    EXPECT_FALSE(sheet.isNull());
    sheet.save(TestEnvironment::renderFolder() + QStringLiteral("/shell-loading-sheet-walk.png"));
    controller->clickCancelLoad();
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    EXPECT_FALSE(controller->loadingSheet()->isVisible());

    controller->loadAndParseFiles({folder + QStringLiteral("/a one.wav")});
    ASSERT_TRUE(waitForIdle(*controller));
    QTest::qWait(100); // whatever the cancelled walk still reports is ignored
    EXPECT_EQ(fileNames(*controller), QStringList{QStringLiteral("a one.wav")});
    EXPECT_TRUE(prompts->alerts.empty());
}

TEST(PathIntake, ExpandsFoldersKeepsFilesAndSkipsMissingPaths) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("intake"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/x/1.mp3")));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/x/y/2.txt")));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/3.wav")));
    const QStringList files = QVPathIntake::expandPaths(
        {folder + QStringLiteral("/x/"), folder + QStringLiteral("/missing"),
         folder + QStringLiteral("/./3.wav"), QString()});
    EXPECT_EQ(files, (QStringList{folder + QStringLiteral("/x/1.mp3"),
                                  folder + QStringLiteral("/x/y/2.txt"),
                                  folder + QStringLiteral("/3.wav")}));
}

TEST(PathIntake, LinkedFoldersAreWalkedOnceEvenInALoop) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("loop"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/in/a.mp3")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/in"), folder + QStringLiteral("/in/again")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/in"), folder + QStringLiteral("/link")));
    const QStringList viaLink = QVPathIntake::expandPaths({folder + QStringLiteral("/link")});
    EXPECT_EQ(viaLink, QStringList{folder + QStringLiteral("/link/a.mp3")});
    const QStringList both = QVPathIntake::expandPaths({folder});
    EXPECT_EQ(both.size(), 1);
}

TEST(PathIntake, WalkEndsWhenAsked) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("stop"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/x/1.mp3")));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/2.mp3")));
    EXPECT_TRUE(QVPathIntake::expandPaths({folder, folder + QStringLiteral("/2.mp3")}, [] {
                    return true;
                }).isEmpty());
    EXPECT_EQ(QVPathIntake::expandPaths({folder}, [] { return false; }).size(), 2);
}

TEST(PathIntake, DuplicatesAreDroppedAgainstTheListAndWithinTheBatch) {
    struct Case {
        QStringList expanded, listed, expected;
    };
    const Case cases[] = {
        {{"/a", "/b", "/a", "/c"}, {}, {"/a", "/b", "/c"}},
        {{"/a", "/a", "/b"}, {"/a"}, {"/b"}},
        {{"/a", "/b"}, {"/a", "/b"}, {}},
        {{}, {"/a"}, {}},
        {{"/A", "/a"}, {"/a"}, {"/A"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVPathIntake::removeDuplicates(c.expanded, c.listed), c.expected);
}

} // namespace
