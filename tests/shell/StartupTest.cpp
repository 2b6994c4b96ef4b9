#include "ShellTestSupport.h"
#include "ViewTestSupport.h"

#include "controls/VTAboutWindowController.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVMenuHandleCltr.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

using namespace PreferenceKeys;

UserDefaults& defaults() {
    return UserDefaults::standardUserDefaults();
}

TEST(StartupDefaults, EmptySettingsGetEveryDefault) {
    TestEnvironment::reset();
    QVAppDelegate::setPreferenceValue();
    EXPECT_EQ(defaults().integerForKey(kMaxTastKey), 5);
    EXPECT_EQ(defaults().stringForKey(kiTunesPlaylistNameKey), QStringLiteral(" Quaverly"));
    EXPECT_TRUE(defaults().boolForKey(kCopyMetadataKey));
    ASSERT_TRUE(defaults().hasObjectForKey(kRemoveAfterConverteKey));
    EXPECT_FALSE(defaults().boolForKey(kRemoveAfterConverteKey));
    EXPECT_EQ(defaults().stringForKey(kDefaultFmtNameKey), QStringLiteral("AAC"));
    EXPECT_EQ(defaults().integerForKey(kQualityKey), 100);
    EXPECT_TRUE(defaults().boolForKey(kAutoSyncKey));
}

TEST(StartupDefaults, StoredValuesAreKeptAndEmptyOnesReplaced) {
    struct Case {
        const char* key;
        QVariant stored;
        QVariant expected;
    };
    const Case cases[] = {
        {kMaxTastKey, 0, 5},
        {kMaxTastKey, 3, 3},
        {kiTunesPlaylistNameKey, QString(), QStringLiteral(" Quaverly")},
        {kiTunesPlaylistNameKey, QStringLiteral("Mine"), QStringLiteral("Mine")},
        {kCopyMetadataKey, false, false},
        {kRemoveAfterConverteKey, true, true},
        {kDefaultFmtNameKey, QString(), QStringLiteral("AAC")},
        {kDefaultFmtNameKey, QStringLiteral("MP3"), QStringLiteral("MP3")},
        {kQualityKey, 0, 0},
        {kAutoSyncKey, false, false},
    };
    for (const Case& c : cases) {
        TestEnvironment::reset();
        defaults().setObject(QLatin1String(c.key), c.stored);
        QVAppDelegate::setPreferenceValue();
        const QVariant now = defaults().objectForKey(QLatin1String(c.key));
        if (c.expected.typeId() == QMetaType::Bool)
            EXPECT_EQ(now.toBool(), c.expected.toBool()) << c.key;
        else
            EXPECT_EQ(now.toString(), c.expected.toString()) << c.key;
    }
}

struct Startup : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        prompts = std::make_shared<FakePrompts>();
        delegate = std::make_unique<QVAppDelegate>(&shippedCatalogue(), prompts);
        delegate->awakeFromNib();
    }
    QAction* item(const char* selector) const {
        for (QAction* action : delegate->menuItems()) {
            if (action->objectName() == QLatin1String(selector))
                return action;
        }
        return nullptr;
    }
    QVMainAppController& controller() const { return *delegate->coreMainWndCtlr(); }
    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<QVAppDelegate> delegate;
};

TEST_F(Startup, DefaultsAreStoredBeforeTheWindowIsUp) {
    EXPECT_EQ(defaults().stringForKey(kDefaultFmtNameKey), QStringLiteral("AAC"));
    EXPECT_EQ(controller().window()->objectName(), QStringLiteral("ConverterMainWindow"));
    EXPECT_EQ(controller().window()->windowTitle(), QStringLiteral(" Quaverly"));
    EXPECT_EQ(controller().formatPopUp()->currentText(), QStringLiteral("MP3"));
    EXPECT_TRUE(controller().window()->isVisible());
    EXPECT_TRUE(controller().dropInTipsView()->isVisible());
}

TEST_F(Startup, TheWindowsAndTheAboutBoxShowTheApplicationsIcon) {
    const auto imageOf = [](const QPixmap& pixmap) {
        return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage icon = imageOf(QVAppDelegate::applicationIcon().pixmap(64, 64));
    ASSERT_FALSE(icon.isNull()) << "the SVG plugins of libqt6svg6 are missing";
    EXPECT_EQ(imageOf(controller().window()->windowIcon().pixmap(64, 64)), icon);

    delegate->_menuAbout->trigger();
    VTAboutWindowController* about = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = dynamic_cast<VTAboutWindowController*>(window))
            about = found;
    }
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(imageOf(about->imgIcon->pixmap()), icon);
    const QImage render = renderOf(*about);
    render.save(TestEnvironment::renderFolder() + QStringLiteral("/about-box.png"));
    // The icon's teal tile is drawn where the icon goes.
    EXPECT_GT(countPixels(render, about->imgIcon->geometry(), QColor(0x1f, 0xb5, 0xa3)), 200);
}

TEST_F(Startup, MenuTitlesCarryTheProductName) {
    EXPECT_EQ(delegate->_menuAbout->text(), QStringLiteral("About  Quaverly"));
    EXPECT_EQ(delegate->_menuHide->text(), QStringLiteral("Hide  Quaverly"));
    EXPECT_EQ(delegate->_menuQuite->text(), QStringLiteral("Quite  Quaverly"));
    EXPECT_EQ(delegate->_menuHelp->text(), QStringLiteral(" Quaverly Help"));
}

TEST_F(Startup, HelpMenuGetsSupportAndMoreProductsOnce) {
    delegate->applicationDidFinishLaunching();
    delegate->applicationDidFinishLaunching();
    const QList<QAction*> items = delegate->_menuHelpRoot->actions();
    ASSERT_GE(items.size(), 5);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Support"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("More Products"));
    EXPECT_TRUE(items[4]->isSeparator());
    EXPECT_EQ(std::count_if(items.begin(), items.end(),
                            [](QAction* a) { return a->text() == QLatin1String("Support"); }),
              1);

    QList<QUrl> opened;
    Workspace::setOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    items[0]->trigger();
    delegate->_menuHelp->trigger();
    Workspace::setOpener({});
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://www.example.org/quaverly/support")));
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("http://www.example.org/quaverly/help")));
}

TEST(MenuValidation, EnableMatrix) {
    struct Case {
        const char* action;
        bool emptyIdle, rowsIdle, loading, converting;
    };
    const Case cases[] = {
        {"clickOpen:", true, true, true, false},
        {"clickDelete:", false, true, false, false},
        {"clickClear:", false, true, false, false},
        {"clickMoveNext:", false, true, false, false},
        {"clickMovePre:", false, true, false, false},
        {"clickStart:", false, true, true, false},
        {"clickStop:", false, false, false, true},
        {"clickHelp:", true, true, true, false},
        {"clickPreference:", true, true, true, false},
    };
    for (const Case& c : cases) {
        const QString action = QLatin1String(c.action);
        EXPECT_EQ(QVMenuHandleCltr::validateUserInterfaceItem(action, QVAppStateIdle, 0),
                  c.emptyIdle)
            << c.action;
        EXPECT_EQ(QVMenuHandleCltr::validateUserInterfaceItem(action, QVAppStateIdle, 3),
                  c.rowsIdle)
            << c.action;
        EXPECT_EQ(QVMenuHandleCltr::validateUserInterfaceItem(action, QVAppStateLoading, 3),
                  c.loading)
            << c.action;
        EXPECT_EQ(QVMenuHandleCltr::validateUserInterfaceItem(action, QVAppStateConverting, 3),
                  c.converting)
            << c.action;
    }
}

TEST_F(Startup, MenusAndToolbarFollowTheWindowState) {
    struct Expect {
        bool remove, clear, next, add, formatPopUp;
    };
    const auto check = [&](const Expect& e, const char* when) {
        EXPECT_EQ(item("clickDelete:")->isEnabled(), e.remove) << when;
        EXPECT_EQ(item("clickClear:")->isEnabled(), e.clear) << when;
        EXPECT_EQ(item("clickMoveNext:")->isEnabled(), e.next) << when;
        EXPECT_EQ(item("clickOpen:")->isEnabled(), e.add) << when;
        EXPECT_EQ(controller().removeFilesAction()->isEnabled(), e.remove) << when;
        EXPECT_EQ(controller().clearFilesAction()->isEnabled(), e.clear) << when;
        EXPECT_EQ(controller().addFilesAction()->isEnabled(), e.add) << when;
        EXPECT_EQ(controller().formatPopUp()->isEnabled(), e.formatPopUp) << when;
    };
    check({false, false, false, true, false}, "empty");

    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("matrix"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/a.mp3")));
    controller().loadAndParseFiles({folder});
    check({false, false, false, true, false}, "loading");
    controller().clickCancelLoad();

    controller().fileList().appendMusics(makeRows(3));
    controller().checkShouldShowDragTips();
    controller().enableDownOperationButtons(true);
    controller().updateDownTotalFileInfos();
    controller().selectRows({1}); // selection changes validate again
    check({true, true, true, true, true}, "rows");

    controller().startConvertOperation();
    check({false, false, false, false, false}, "converting");
    controller().setConvertOperationFinshed();
    check({true, true, true, true, true}, "after the run");
}

TEST_F(Startup, MenuCommandsReachTheController) {
    controller().fileList().appendMusics(makeRows(4));
    controller().checkShouldShowDragTips();
    delegate->validateMenuItems();
    item("clickMoveNext:")->trigger();
    EXPECT_EQ(controller().selectedRows(), std::vector<int>{0});
    item("clickMoveNext:")->trigger();
    item("clickMovePre:")->trigger();
    item("clickMovePre:")->trigger();
    EXPECT_EQ(controller().selectedRows(), std::vector<int>{0});
    item("clickDelete:")->trigger();
    EXPECT_EQ(controller().getMusicCount(), 3);
    item("clickClear:")->trigger();
    EXPECT_EQ(controller().getMusicCount(), 0);
    EXPECT_FALSE(item("clickClear:")->isEnabled());
    item("clickOpen:")->trigger(); // the open panel, answered with nothing
    EXPECT_EQ(prompts->offeredExtensions, QVMainAppController::allowedFileTypes());
    EXPECT_EQ(controller().enumAppState(), QVAppStateIdle);
}

TEST_F(Startup, CloseAsksOnlyWithRowsAndCancelKeepsEverything) {
    controller().fileList().appendMusics(makeRows(2));
    controller().checkShouldShowDragTips();
    QSignalSpy closing(&controller(), &QVMainAppController::windowWillClose);
    prompts->closeAnswer = false;
    EXPECT_FALSE(controller().window()->close());
    EXPECT_EQ(closing.count(), 0);
    EXPECT_EQ(prompts->closeQuestions, 1);
    EXPECT_TRUE(controller().window()->isVisible());
    EXPECT_EQ(controller().getMusicCount(), 2);

    prompts->closeAnswer = true;
    EXPECT_TRUE(controller().window()->close());
    EXPECT_EQ(prompts->closeQuestions, 2);
    EXPECT_EQ(closing.count(), 1); // what makes the program quit
    EXPECT_EQ(controller().getMusicCount(), 0);

    controller().showWindow();
    EXPECT_TRUE(controller().window()->close()); // empty: no question
    EXPECT_EQ(prompts->closeQuestions, 2);
}

} // namespace

namespace {

TEST_F(Startup, PreferencesOpenFromTheMenuAndStayTheSameWindow) {
    QAction* preferences = item("clickPreference:");
    ASSERT_NE(preferences, nullptr);
    EXPECT_TRUE(preferences->isEnabled());
    preferences->trigger();
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    const auto shown = std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
        return w->isVisible() && w->windowTitle() == QLatin1String("Preferences");
    });
    EXPECT_EQ(shown, 1);
    preferences->trigger();
    const QList<QWidget*> again = QApplication::topLevelWidgets();
    EXPECT_EQ(
        std::count_if(again.begin(), again.end(),
                      [](QWidget* w) { return w->windowTitle() == QLatin1String("Preferences"); }),
        1);
}

} // namespace
