#include "ShellTestSupport.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/AdvancedPreferencesViewController.h"
#include "shell/GeneralPreferencesViewController.h"
#include "shell/MASPreferencesWindowController.h"
#include "shell/QVAppDelegate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

UserDefaults& defaults() {
    return UserDefaults::standardUserDefaults();
}

GeneralPreferencesViewController& generalPane(MASPreferencesWindowController& controller) {
    return dynamic_cast<GeneralPreferencesViewController&>(*controller.viewControllers().at(0));
}

AdvancedPreferencesViewController& advancedPane(MASPreferencesWindowController& controller) {
    return dynamic_cast<AdvancedPreferencesViewController&>(*controller.viewControllers().at(1));
}

bool saveRender(QWidget* window, const QString& name) {
    return window->grab().save(TestEnvironment::renderFolder() + QLatin1Char('/') + name);
}

} // namespace

class MASPreferencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestEnvironment::reset();
        for (const char* key :
             {"MASPreferences Selected Identifier View", "MASPreferences Frame Top Left",
              "MASPreferences GeneralPreferences Frame", "MASPreferences AdvancedPreferences Frame",
              "com.qv.DeleteOutputFileKey", "com.qvl.checkQuanity"})
            defaults().removeObjectForKey(QLatin1String(key));
        QVAppDelegate::setPreferenceValue();
    }
    QVAppDelegate delegate{&shippedCatalogue(), std::make_shared<FakePrompts>()};
};

TEST_F(MASPreferencesWindow, TheAccessorMakesOneWindowWithGeneralThenAdvanced) {
    MASPreferencesWindowController& controller = delegate.preferencesWindowController();
    EXPECT_EQ(&delegate.preferencesWindowController(), &controller);
    EXPECT_EQ(controller.title(), QStringLiteral("Preferences"));
    EXPECT_EQ(controller.toolbarItemIdentifiers(),
              (QStringList{"GeneralPreferences", "AdvancedPreferences"}));
    EXPECT_FALSE(controller.isWindowLoaded());
}

TEST_F(MASPreferencesWindow, FirstOpeningShowsGeneralAndWritesOnlyTheSelectionKey) {
    int changes = 0;
    QObject context;
    NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("MASPreferencesWindowControllerDidChangeViewNotification"), &context,
        [&](const QString&, const QVariantMap&) { ++changes; });
    MASPreferencesWindowController& controller = delegate.preferencesWindowController();
    controller.showWindow();
    QWidget* window = controller.window();

    EXPECT_EQ(window->objectName(), QStringLiteral("MASPreferencesWindow"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("General"));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("MASPreferences Selected Identifier View")),
              QStringLiteral("GeneralPreferences"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(generalPane(controller).view()->height(), 265);
    EXPECT_FALSE(controller.showsResizeIndicator());
    EXPECT_FALSE(
        defaults().hasObjectForKey(QStringLiteral("MASPreferences GeneralPreferences Frame")));
    ASSERT_TRUE(saveRender(window, QStringLiteral("mas-preferences-general.png")));

    controller.toolbarItemForIdentifier(QStringLiteral("AdvancedPreferences"))->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Advanced"));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("MASPreferences Selected Identifier View")),
              QStringLiteral("AdvancedPreferences"));
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(saveRender(window, QStringLiteral("mas-preferences-advanced.png")));

    window->move(70, 40);
    ASSERT_TRUE(QTest::qWaitFor([] {
        return defaults().stringForKey(QStringLiteral("MASPreferences Frame Top Left")) ==
               QStringLiteral("{70, 40}");
    }));
}

TEST_F(MASPreferencesWindow, GeneralPaneShowsTheStoredValues) {
    const struct {
        const char* name;
        const char* defaultFormat;
        bool byParameters;
        const char* shownFormat;
    } cases[] = {
        {"stored format", "AAC", false, "AAC"},
        {"empty format falls back to ALAC", "", false, "ALAC"},
        {"quality by parameters", "MP3", true, "MP3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        defaults().setObject(QStringLiteral("com.qv.DefaultFmtNameKey"),
                             QString::fromLatin1(c.defaultFormat));
        defaults().setBool(QStringLiteral("com.qvl.checkQuanity"), c.byParameters);
        defaults().setBool(QStringLiteral("com.qvl.RemoveAfterConverte"), true);
        defaults().setBool(QStringLiteral("com.qvl.copyMetadata"), false);
        GeneralPreferencesViewController pane([] { return QString(); }, shippedCatalogue());
        pane.view();
        EXPECT_EQ(pane._tfiTunesPlaylistName->text(), QStringLiteral(" Quaverly"));
        EXPECT_EQ(pane._popiTunesFmtName->currentText(), QLatin1String(c.shownFormat));
        EXPECT_EQ(pane._chkQuanity->isChecked(), c.byParameters);
        EXPECT_EQ(pane._sldQuality->isEnabled(), c.byParameters);
        const auto shown = shippedCatalogue().getFormatWithName(QLatin1String(c.shownFormat));
        ASSERT_TRUE(shown);
        QStringList rates;
        for (int i = 0; i < pane._popSampleRate->count(); ++i)
            rates << pane._popSampleRate->itemText(i);
        EXPECT_EQ(rates, shown->arySampleRate); // the shown format's choices
        EXPECT_GT(pane._popBitRate->count(), 0);
        EXPECT_TRUE(pane._chkRemove->isChecked());
        EXPECT_FALSE(pane._chkCopyMetadata->isChecked());
    }
}

TEST_F(MASPreferencesWindow, GeneralPaneControlsWriteTheirKeysAtOnce) {
    defaults().setBool(QStringLiteral("com.qvl.RemoveAfterConverte"), false);
    defaults().setBool(QStringLiteral("com.qvl.copyMetadata"), true);
    defaults().setBool(QStringLiteral("com.qvl.AutoSync"), true);
    QString chosen = QStringLiteral("FLAC");
    GeneralPreferencesViewController pane([&] { return chosen; }, shippedCatalogue());
    pane.view();
    EXPECT_FALSE(pane._chkAutoSync->isEnabled());
    EXPECT_FALSE(pane._chkAutoSync->isChecked());
    chosen = QStringLiteral("MP3");
    NotificationCenter::defaultCenter().postNotification(
        QLatin1String(Notifications::kOutputFormatChange));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane._chkAutoSync->isEnabled(); }));
    EXPECT_TRUE(pane._chkAutoSync->isChecked());

    QTest::mouseClick(pane._chkAutoSync, Qt::LeftButton);
    QTest::mouseClick(pane._chkRemove, Qt::LeftButton);
    QTest::mouseClick(pane._chkCopyMetadata, Qt::LeftButton);
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("com.qvl.AutoSync")));
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("com.qvl.RemoveAfterConverte")));
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("com.qvl.copyMetadata")));

    pane._tfiTunesPlaylistName->clear();
    QTest::keyClicks(pane._tfiTunesPlaylistName, QStringLiteral("Mix"));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")),
              QStringLiteral("Mix"));
    QTest::keyClick(pane._tfiTunesPlaylistName, Qt::Key_Backspace);
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("com.qvl.iTunesPlaylistNameKey2")),
              QStringLiteral("Mi"));
}

TEST_F(MASPreferencesWindow, AdvancedPaneMakesAndShowsTheOutputFolder) {
    std::vector<QUrl> opened;
    Workspace::setOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const QString folder = TestEnvironment::homeDirectory() + QStringLiteral("/Music/ Quaverly");
    QDir(folder).removeRecursively();
    AdvancedPreferencesViewController pane;
    EXPECT_EQ(AdvancedPreferencesViewController::getOutputPath(), folder);
    pane.view();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(pane._tfOutputFolder->text(), folder);
    EXPECT_FALSE(pane._chkDeleteOutputFiles->isChecked());

    QTest::mouseClick(pane._chkDeleteOutputFiles, Qt::LeftButton);
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("com.qv.DeleteOutputFileKey")));
    QTest::mouseClick(pane._btnShowOutputFolder, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front().toLocalFile(), folder);
    Workspace::setOpener({});
}

TEST_F(MASPreferencesWindow, NextAndPreviousCycleTheTwoPanes) {
    MASPreferencesWindowController& controller = delegate.preferencesWindowController();
    controller.window();
    EXPECT_EQ(controller.selectedViewController(), &generalPane(controller));
    controller.goNextTab();
    EXPECT_EQ(controller.selectedViewController(), &advancedPane(controller));
    controller.goNextTab();
    EXPECT_EQ(controller.selectedViewController(), &generalPane(controller));
    controller.goPreviousTab();
    EXPECT_EQ(controller.selectedViewController(), &advancedPane(controller));
}
