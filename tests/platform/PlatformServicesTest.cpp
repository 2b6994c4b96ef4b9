#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <thread>

class PlatformServices : public ::testing::Test {
protected:
    void SetUp() override { TestEnvironment::reset(); }
    void TearDown() override { TestEnvironment::reset(); }
};

TEST_F(PlatformServices, UserDefaultsKeepTypesAndMissingness) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    EXPECT_FALSE(defaults.hasObjectForKey(QStringLiteral("com.qvl.copyMetadata")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("com.qvl.MaxTastKey")), 0);
    EXPECT_TRUE(defaults.stringForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")).isNull());

    defaults.setBool(QStringLiteral("com.qvl.copyMetadata"), false);
    defaults.setInteger(QStringLiteral("com.qvl.MaxTastKey"), 5);
    defaults.setObject(QStringLiteral("MASPreferences Frame Top Left"), QStringLiteral("{1, 2}"));
    ASSERT_TRUE(defaults.synchronize());

    // A fresh store over the same file sees what was written.
    defaults.setStorageFile(TestEnvironment::settingsFile());
    EXPECT_TRUE(defaults.hasObjectForKey(QStringLiteral("com.qvl.copyMetadata")));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("com.qvl.copyMetadata")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("com.qvl.MaxTastKey")), 5);
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("MASPreferences Frame Top Left")),
              QStringLiteral("{1, 2}"));

    defaults.removeObjectForKey(QStringLiteral("com.qvl.copyMetadata"));
    EXPECT_FALSE(defaults.hasObjectForKey(QStringLiteral("com.qvl.copyMetadata")));
}

TEST_F(PlatformServices, UserDefaultsAreSafeFromManyThreads) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&defaults, t] {
            for (int i = 0; i < 200; ++i) {
                defaults.setInteger(QStringLiteral("key%1").arg(t), i);
                (void)defaults.integerForKey(QStringLiteral("key%1").arg((t + 1) % 4));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("key%1").arg(t)), 199);
}

TEST_F(PlatformServices, PropertyListRoundTripsEveryType) {
    const QVariantMap original{
        {QStringLiteral("text"), QStringLiteral("Grüße ©nam")},
        {QStringLiteral("number"), qulonglong(44100)},
        {QStringLiteral("real"), 1.25},
        {QStringLiteral("flag"), true},
        {QStringLiteral("data"), QByteArray("\x00\x01\xff", 3)},
        {QStringLiteral("list"), QVariantList{QStringLiteral("a"), qulonglong(2)}},
        {QStringLiteral("nested"), QVariantMap{{QStringLiteral("default"), QStringLiteral("x")}}},
    };
    const QVariant back = PropertyList::fromData(PropertyList::toXml(original));
    EXPECT_EQ(back.toMap(), original);
}

TEST_F(PlatformServices, PropertyListRejectsJunk) {
    EXPECT_FALSE(PropertyList::fromData(QByteArray()).isValid());
    EXPECT_FALSE(PropertyList::fromData(MediaFixtures::randomBytes(4096)).isValid());
    EXPECT_FALSE(
        PropertyList::fromData("<?xml version=\"1.0\"?><plist><dict><key>a</key>").isValid());
    EXPECT_TRUE(
        PropertyList::dictionaryWithContentsOfFile(QStringLiteral("/nonexistent.plist")).isEmpty());
}

TEST_F(PlatformServices, BundleFallsBackToCompiledInResources) {
    const QString empty = TestEnvironment::makeTempFolder(QStringLiteral("bundle"));
    MainBundle::mainBundle().setResourceDirectory(empty);
    EXPECT_EQ(MainBundle::mainBundle().pathForResource(QStringLiteral("Formats"),
                                                       QStringLiteral("plist")),
              QStringLiteral(":/bundle/Formats.plist"));
    EXPECT_EQ(MainBundle::mainBundle().objectForInfoDictionaryKey(QStringLiteral("CFBundleName")),
              QStringLiteral("Quaverly"));
    EXPECT_TRUE(MainBundle::mainBundle()
                    .pathForResource(QStringLiteral("Nothing"), QStringLiteral("plist"))
                    .isEmpty());

    // A resource folder beside the program wins over the compiled-in copy.
    QFile::copy(QStringLiteral(QUAVERLY_RESOURCE_DIR "/Info.plist"), empty + "/Info.plist");
    MainBundle::mainBundle().setResourceDirectory(empty);
    EXPECT_EQ(
        MainBundle::mainBundle().pathForResource(QStringLiteral("Info"), QStringLiteral("plist")),
        empty + "/Info.plist");
}

TEST_F(PlatformServices, NotificationsReachObserversOnTheirThreadByName) {
    QObject context;
    QStringList seen;
    QVariantMap lastInfo;
    NotificationCenter::defaultCenter().addObserver(
        QLatin1String(Notifications::kOutputFormatChange), &context,
        [&](const QString& name, const QVariantMap& info) {
            seen.append(name);
            lastInfo = info;
        });
    std::thread poster([] {
        NotificationCenter::defaultCenter().postNotification(
            QLatin1String(Notifications::kOutputFormatChange),
            {{QLatin1String(Notifications::kFormatKey), QStringLiteral("MP3")}});
        NotificationCenter::defaultCenter().postNotification(
            QLatin1String(Notifications::kPlayEnd));
    });
    poster.join();
    EXPECT_TRUE(seen.isEmpty()); // queued to the observer's thread, not run on the poster's
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, QStringList{QLatin1String(Notifications::kOutputFormatChange)});
    EXPECT_EQ(lastInfo.value(QStringLiteral("Format")), QStringLiteral("MP3"));
}

TEST_F(PlatformServices, WorkspaceOpensThroughTheInstalledOpener) {
    QList<QUrl> opened;
    Workspace::setOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("open me"));
    EXPECT_TRUE(Workspace::openFile(folder));
    EXPECT_FALSE(Workspace::openFile(folder + QStringLiteral("/missing")));
    EXPECT_FALSE(Workspace::openURL(QUrl()));
    Workspace::setOpener({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().toLocalFile(), folder);
}

TEST_F(PlatformServices, FoldersFollowTheTestOverrides) {
    EXPECT_EQ(UserFolders::realHomeDirectory(), TestEnvironment::homeDirectory());
    EXPECT_EQ(UserFolders::musicDirectory(), TestEnvironment::musicDirectory());
    UserFolders::setRealHomeDirectoryOverride({});
    UserFolders::setMusicDirectoryOverride({});
    EXPECT_TRUE(QDir::isAbsolutePath(UserFolders::realHomeDirectory()));
    EXPECT_TRUE(QDir::isAbsolutePath(UserFolders::musicDirectory()));
}
