#include "shell/MTPreferenceWndCtlr.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include "TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

UserDefaults& defaults() {
    return UserDefaults::standardUserDefaults();
}

} // namespace

class PreferencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestEnvironment::reset();
        defaults().setBool(QStringLiteral("com.qvl.AutoSync"), true);
        defaults().setBool(QStringLiteral("com.qvl.copyMetadata"), true);
        defaults().setBool(QStringLiteral("com.qvl.RemoveAfterConverte"), false);
        defaults().setObject(QStringLiteral("com.qvl.iTunesPlaylistNameKey2"),
                             QStringLiteral(" Quaverly"));
        defaults().setObject(QStringLiteral("com.qv.DefaultFmtNameKey"), QStringLiteral("AAC"));
    }
    QString chosenFormat = QStringLiteral("MP3");
};

TEST_F(PreferencesWindow, ShowsTheStoredValues) {
    MTPreferenceWndCtlr window([this] { return chosenFormat; });
    EXPECT_EQ(window._tfiTunesPlaylistName->text(), QStringLiteral(" Quaverly"));
    EXPECT_EQ(window._popiTunesFmtName->count(), 7);
    EXPECT_EQ(window._popiTunesFmtName->currentText(), QStringLiteral("AAC"));
    EXPECT_TRUE(window._chkCopyMetadata->isChecked());
    EXPECT_FALSE(window._chkRemove->isChecked());
    EXPECT_TRUE(window._chkAutoSync->isChecked());

    window.resize(window.sizeHint());
    EXPECT_TRUE(window.grab().save(TestEnvironment::renderFolder() + "/preferences.png"));
}

TEST_F(PreferencesWindow, EachControlWritesItsKeyAtOnce) {
    MTPreferenceWndCtlr window([this] { return chosenFormat; });
    QTest::mouseClick(window._chkRemove, Qt::LeftButton);
    QTest::mouseClick(window._chkCopyMetadata, Qt::LeftButton);
    QTest::mouseClick(window._chkAutoSync, Qt::LeftButton);
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("com.qvl.RemoveAfterConverte")));
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("com.qvl.copyMetadata")));
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("com.qvl.AutoSync")));

    window._tfiTunesPlaylistName->selectAll();
    QTest::keyClicks(window._tfiTunesPlaylistName, QStringLiteral("Road trip"));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")),
              QStringLiteral("Road trip"));
    window._tfiTunesPlaylistName->selectAll();
    QTest::keyClick(window._tfiTunesPlaylistName, Qt::Key_Backspace);
    EXPECT_TRUE(defaults().hasObjectForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")), QString());
}

TEST_F(PreferencesWindow, AutoSyncFollowsTheOutputFormatWithoutChangingTheStoredValue) {
    const struct {
        const char* format;
        bool enabled;
    } cases[] = {{"MP3", true}, {"OGG", false}, {"Ringtone", true}, {"FLAC", false}, {"", false}};
    MTPreferenceWndCtlr window([this] { return chosenFormat; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        chosenFormat = QString::fromLatin1(c.format);
        NotificationCenter::defaultCenter().postNotification(
            QLatin1String(Notifications::kOutputFormatChange),
            {{QLatin1String(Notifications::kFormatKey), chosenFormat}});
        QCoreApplication::processEvents();
        EXPECT_EQ(window._chkAutoSync->isEnabled(), c.enabled);
        EXPECT_EQ(window._chkAutoSync->isChecked(), c.enabled);
        EXPECT_TRUE(defaults().boolForKey(QStringLiteral("com.qvl.AutoSync")));
    }
}

TEST_F(PreferencesWindow, UnknownDefaultFormatSelectsNothingAndEmptySelectsALAC) {
    defaults().setObject(QStringLiteral("com.qv.DefaultFmtNameKey"), QStringLiteral("OGG"));
    MTPreferenceWndCtlr unknown([] { return QString(); });
    EXPECT_EQ(unknown._popiTunesFmtName->currentIndex(), -1);
    defaults().removeObjectForKey(QStringLiteral("com.qv.DefaultFmtNameKey"));
    MTPreferenceWndCtlr empty([] { return QString(); });
    EXPECT_EQ(empty._popiTunesFmtName->currentText(), QStringLiteral("ALAC"));
}
