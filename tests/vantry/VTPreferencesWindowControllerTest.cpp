#include "windows/VTPreferencesWindowController.h"

#include "platform/GeometryText.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include "TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QString kSelectedKey = QStringLiteral("VTPreferences Selected Identifier View");
const QString kTopLeftKey = QStringLiteral("VTPreferences Frame Top Left");
const QString kChangedNotification =
    QStringLiteral("VTPreferencesWindowControllerDidChangeViewNotification");

QString frameKey(const char* identifier) {
    return QStringLiteral("VTPreferences %1 Frame").arg(QLatin1String(identifier));
}

UserDefaults& defaults() {
    return UserDefaults::standardUserDefaults();
}

class TestPane : public VTPreferencesViewControllerProtocol {
public:
    TestPane(const char* identifier, QSize size, bool widthSizable = false,
             bool heightSizable = false)
        : _identifier(QLatin1String(identifier)), _size(size), _widthSizable(widthSizable),
          _heightSizable(heightSizable) {}

    QString identifier() const override { return _identifier; }
    QIcon toolbarItemImage() const override { return {}; }
    QString toolbarItemLabel() const override { return _identifier + QStringLiteral(" label"); }
    QWidget* view() override {
        if (!_view) {
            _view = std::make_unique<QWidget>();
            auto* layout = new QVBoxLayout(_view.get());
            field = new QLineEdit(_view.get());
            layout->addWidget(field);
            _view->setSizePolicy(_widthSizable ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                                 _heightSizable ? QSizePolicy::Expanding : QSizePolicy::Fixed);
            _view->resize(_size);
        }
        return _view.get();
    }
    void viewWillAppear() override { ++appeared; }
    void viewDidDisappear() override { ++disappeared; }
    bool commitEditing() override { return commits; }

    bool commits = true;
    int appeared = 0;
    int disappeared = 0;
    QLineEdit* field = nullptr;

private:
    QString _identifier;
    QSize _size;
    bool _widthSizable;
    bool _heightSizable;
    std::unique_ptr<QWidget> _view;
};

// Builds the panes; nullptr entries are flexible spaces.
struct PaneSet {
    VTPreferencesWindowController::Panes panes;
    std::vector<TestPane*> list;

    PaneSet& add(const char* identifier, QSize size = {300, 200}, bool widthSizable = false,
                 bool heightSizable = false) {
        auto pane = std::make_unique<TestPane>(identifier, size, widthSizable, heightSizable);
        list.push_back(pane.get());
        panes.push_back(std::move(pane));
        return *this;
    }
    PaneSet& space() {
        panes.push_back(nullptr);
        list.push_back(nullptr);
        return *this;
    }
};

void forgetWindowKeys() {
    for (const QString& key : {kSelectedKey, kTopLeftKey, frameKey("one"), frameKey("two")})
        defaults().removeObjectForKey(key);
}

QSize contentSize(VTPreferencesWindowController& controller) {
    QWidget* window = controller.window();
    return window->size() - QSize(0, window->findChild<QToolBar*>()->sizeHint().height());
}

} // namespace

class VTPreferencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestEnvironment::reset();
        forgetWindowKeys();
        _observer = NotificationCenter::defaultCenter().addObserver(
            kChangedNotification, &_context,
            [this](const QString&, const QVariantMap&) { ++changes; });
    }
    void TearDown() override { NotificationCenter::defaultCenter().removeObserver(_observer); }

    int changes = 0;

private:
    QObject _context;
    QMetaObject::Connection _observer;
};

TEST_F(VTPreferencesWindow, FirstOpeningShowsTheFirstPaneAndRemembersIt) {
    PaneSet set;
    set.space().add("one").space().add("two");
    VTPreferencesWindowController controller(std::move(set.panes), QStringLiteral("Settings"));
    EXPECT_FALSE(controller.isWindowLoaded());
    EXPECT_EQ(
        controller.toolbarItemIdentifiers(),
        (QStringList{"NSToolbarFlexibleSpaceItem", "one", "NSToolbarFlexibleSpaceItem", "two"}));

    QWidget* window = controller.window();
    EXPECT_EQ(window->objectName(), QStringLiteral("VTPreferencesWindow"));
    EXPECT_EQ(controller.selectedViewController(), set.list[1]);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("one label"));
    EXPECT_EQ(defaults().stringForKey(kSelectedKey), QStringLiteral("one"));
    EXPECT_TRUE(controller.toolbarItemForIdentifier(QStringLiteral("one"))->isChecked());
    EXPECT_EQ(controller.indexOfSelectedController(), 1u);
    EXPECT_EQ(set.list[1]->appeared, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(defaults().hasObjectForKey(frameKey("one")));
    EXPECT_FALSE(defaults().hasObjectForKey(kTopLeftKey));
}

TEST_F(VTPreferencesWindow, TheStoredPaneIsShownAndAStaleOneFallsBackToTheFirst) {
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{"two", "two"}, {"gone", "one"}, {"", "one"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        defaults().setObject(kSelectedKey, QString::fromLatin1(c.stored));
        PaneSet set;
        set.add("one").add("two");
        VTPreferencesWindowController controller(std::move(set.panes));
        controller.window();
        ASSERT_TRUE(controller.selectedViewController());
        EXPECT_EQ(controller.selectedViewController()->identifier(), QLatin1String(c.shown));
    }
}

TEST_F(VTPreferencesWindow, ClickingAToolbarItemSwitchesPanes) {
    PaneSet set;
    set.add("one").add("two");
    VTPreferencesWindowController controller(std::move(set.panes));
    controller.showWindow();
    controller.toolbarItemForIdentifier(QStringLiteral("two"))->trigger();

    EXPECT_EQ(controller.selectedViewController(), set.list[1]);
    EXPECT_EQ(controller.window()->windowTitle(), QStringLiteral("two label"));
    EXPECT_EQ(defaults().stringForKey(kSelectedKey), QStringLiteral("two"));
    EXPECT_EQ(set.list[0]->disappeared, 1);
    EXPECT_EQ(set.list[1]->appeared, 1);
    EXPECT_FALSE(set.list[0]->view()->isVisible());
    EXPECT_TRUE(set.list[1]->view()->isVisible());
    EXPECT_EQ(changes, 2);
    QCoreApplication::processEvents();
    EXPECT_FALSE(defaults().hasObjectForKey(kTopLeftKey));
    EXPECT_FALSE(defaults().hasObjectForKey(frameKey("one")));
    EXPECT_FALSE(defaults().hasObjectForKey(frameKey("two")));

    controller.toolbarItemForIdentifier(QStringLiteral("two"))->trigger();
    EXPECT_EQ(set.list[1]->appeared, 1);
    EXPECT_EQ(changes, 2);
}

TEST_F(VTPreferencesWindow, APaneThatCannotCommitKeepsTheSelectionAndTheWindowOpen) {
    PaneSet set;
    set.add("one").add("two");
    VTPreferencesWindowController controller(std::move(set.panes));
    controller.showWindow();
    set.list[0]->commits = false;

    controller.toolbarItemForIdentifier(QStringLiteral("two"))->trigger();
    EXPECT_EQ(controller.selectedViewController(), set.list[0]);
    EXPECT_TRUE(controller.toolbarItemForIdentifier(QStringLiteral("one"))->isChecked());
    EXPECT_FALSE(controller.toolbarItemForIdentifier(QStringLiteral("two"))->isChecked());
    EXPECT_EQ(set.list[0]->disappeared, 0);
    EXPECT_EQ(defaults().stringForKey(kSelectedKey), QStringLiteral("one"));
    EXPECT_EQ(changes, 1);

    EXPECT_FALSE(controller.window()->close());
    EXPECT_TRUE(controller.window()->isVisible());

    set.list[0]->commits = true;
    EXPECT_TRUE(controller.window()->close());
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(VTPreferencesWindow, PaneSizeFollowsItsSavedFrameWithinItsFirstSeenSize) {
    const struct {
        const char* name;
        bool widthSizable;
        bool heightSizable;
        QString saved;
        QSize content;
        bool indicator;
    } cases[] = {
        {"fixed pane ignores a saved size",
         false,
         false,
         "{{0, 0}, {500, 400}}",
         {300, 200},
         false},
        {"sizable pane takes a larger saved size",
         true,
         true,
         "{{0, 0}, {500, 400}}",
         {500, 400},
         true},
        {"smaller saved size is raised", true, true, "{{0, 0}, {100, 50}}", {300, 200}, true},
        {"only the width may grow", true, false, "{{0, 0}, {450, 350}}", {450, 200}, true},
        {"garbage counts as absent", true, true, "{{0, 0}, {abc, 400}}", {300, 200}, true},
        {"negative size counts as absent", true, true, "{{0, 0}, {-5, 400}}", {300, 200}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        defaults().setObject(frameKey("one"), c.saved);
        PaneSet set;
        set.add("one", {300, 200}, c.widthSizable, c.heightSizable);
        VTPreferencesWindowController controller(std::move(set.panes));
        controller.showWindow();
        EXPECT_EQ(contentSize(controller), c.content);
        EXPECT_EQ(controller.showsResizeIndicator(), c.indicator);
        QWidget* window = controller.window();
        EXPECT_EQ(window->minimumSize() == window->maximumSize(), !c.indicator);
    }
}

TEST_F(VTPreferencesWindow, MovingAndResizingAreRememberedAndRestored) {
    {
        PaneSet set;
        set.add("one", {300, 200}, true, true);
        VTPreferencesWindowController controller(std::move(set.panes));
        controller.showWindow();
        QWidget* window = controller.window();
        window->move(140, 90);
        ASSERT_TRUE(QTest::qWaitFor([&] { return defaults().hasObjectForKey(kTopLeftKey); }));
        EXPECT_EQ(defaults().stringForKey(kTopLeftKey), QStringLiteral("{140, 90}"));

        window->resize(window->width() + 60, window->height() + 40);
        ASSERT_TRUE(QTest::qWaitFor([&] { return defaults().hasObjectForKey(frameKey("one")); }));
        EXPECT_EQ(defaults().stringForKey(frameKey("one")), QStringLiteral("{{0, 0}, {360, 240}}"));
    }
    PaneSet set;
    set.add("one", {300, 200}, true, true);
    VTPreferencesWindowController controller(std::move(set.panes));
    controller.showWindow();
    EXPECT_EQ(controller.window()->pos(), QPoint(140, 90));
    EXPECT_EQ(contentSize(controller), QSize(360, 240));
}

TEST_F(VTPreferencesWindow, GarbageInTheSavedCornerLeavesTheWindowWhereItIs) {
    for (const char* saved : {"{12, x}", "12, 34", "{1e400, 3}", ""}) {
        SCOPED_TRACE(saved);
        defaults().setObject(kTopLeftKey, QString::fromLatin1(saved));
        PaneSet set;
        set.add("one");
        VTPreferencesWindowController controller(std::move(set.panes));
        EXPECT_EQ(controller.window()->pos(), QPoint(0, 0));
    }
    EXPECT_EQ(GeometryText::pointFromString(QStringLiteral("{-12, 34.6}")), QPoint(-12, 35));
}

TEST_F(VTPreferencesWindow, NextAndPreviousWrapAroundAndSkipSpaces) {
    const struct {
        const char* name;
        bool forward;
        int steps;
        const char* selected;
    } cases[] = {
        {"next from the first", true, 1, "two"},
        {"next wraps from the last", true, 3, "one"},
        {"previous wraps from the first", false, 1, "three"},
        {"previous twice", false, 2, "two"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forgetWindowKeys();
        PaneSet set;
        set.space().add("one").space().space().add("two").add("three").space();
        VTPreferencesWindowController controller(std::move(set.panes));
        controller.window();
        for (int i = 0; i < c.steps; ++i)
            c.forward ? controller.goNextTab() : controller.goPreviousTab();
        EXPECT_EQ(controller.selectedViewController()->identifier(), QLatin1String(c.selected));
    }
}

TEST_F(VTPreferencesWindow, IndexesAndCyclingWithoutPanesChangeNothing) {
    PaneSet set;
    set.add("one").add("two");
    VTPreferencesWindowController controller(std::move(set.panes));
    controller.window();
    controller.selectControllerAtIndex(2);
    controller.selectControllerAtIndex(VTPreferencesWindowController::kNotFound);
    EXPECT_EQ(controller.selectedViewController(), set.list[0]);

    for (bool onlySpaces : {false, true}) {
        SCOPED_TRACE(onlySpaces);
        PaneSet empty;
        if (onlySpaces)
            empty.space().space();
        VTPreferencesWindowController nothing(std::move(empty.panes));
        nothing.window();
        nothing.goNextTab();
        nothing.goPreviousTab();
        EXPECT_EQ(nothing.selectedViewController(), nullptr);
        EXPECT_EQ(nothing.indexOfSelectedController(), VTPreferencesWindowController::kNotFound);
        EXPECT_TRUE(nothing.windowShouldClose());
    }
}

TEST_F(VTPreferencesWindow, ThePaneGetsTheFocusWhenTheWindowHadNone) {
    PaneSet set;
    set.add("one").add("two");
    VTPreferencesWindowController controller(std::move(set.panes));
    controller.showWindow();
    controller.setSelectedViewController(set.list[1]);
    EXPECT_EQ(controller.window()->focusWidget(), set.list[1]->field);
}
