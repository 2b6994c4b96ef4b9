#pragma once

#include "utils/VTWatchedObject.h"
#include "windows/VTPreferencesViewControllerProtocol.h"

#include <QMap>
#include <QObject>
#include <QSize>
#include <QStringList>

#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QSizeGrip;
class QToolBar;
class QVBoxLayout;
class QWidget;

// A preferences window whose panes are chosen from a toolbar, one exclusive item per pane.
// It remembers the last pane, its own top-left corner and each pane's size in the user
// defaults, and refuses to switch panes or close while the shown pane cannot commit edits.
// The window itself is built on the first call of window().
class VTPreferencesWindowController : public QObject {
    Q_OBJECT
public:
    using Pane = VTPreferencesViewControllerProtocol;
    // A null entry stands for a flexible space in the toolbar.
    using Panes = std::vector<std::unique_ptr<Pane>>;

    // What sets one preferences window apart from another of this kind.
    struct Names {
        QString windowName;
        QString selectedIdentifierKey;
        QString frameTopLeftKey;
        QString frameKeyFormat; // %1 is the pane's identifier
        QString didChangeViewNotification;
    };

    static constexpr quint64 kNotFound = 0x7fffffffffffffffULL;
    static constexpr char kFlexibleSpaceItemIdentifier[] = "NSToolbarFlexibleSpaceItem";

    explicit VTPreferencesWindowController(Panes viewControllers, const QString& title = {},
                                           QObject* parent = nullptr);
    ~VTPreferencesWindowController() override;

    QWidget* window();
    bool isWindowLoaded() const { return _window != nullptr; }
    void showWindow();

    const Panes& viewControllers() const { return _viewControllers; }
    QString title() const { return _title; }
    Pane* selectedViewController() const { return _selectedViewController; }

    QStringList toolbarItemIdentifiers() const;
    // The toolbar's item for an identifier; null for spaces, unknown identifiers, or before
    // the window is loaded.
    QAction* toolbarItemForIdentifier(const QString& identifier) const;
    void toolbarItemDidClick(QAction* sender);

    Pane* viewControllerForIdentifier(const QString& identifier) const;
    Pane* firstViewController() const;
    quint64 indexOfSelectedController() const;
    void selectControllerAtIndex(quint64 index);
    void goNextTab();
    void goPreviousTab();
    void setSelectedViewController(Pane* controller);

    bool windowShouldClose();
    void windowDidMove();
    void windowDidResize();
    bool showsResizeIndicator() const;

protected:
    VTPreferencesWindowController(Panes viewControllers, const QString& title, Names names,
                                  QObject* parent);
    virtual void windowDidLoad();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadWindow();
    QAction* makeToolbarItem(const QString& identifier, Pane& pane);
    bool ownsPane(const Pane* pane) const;
    void resizeWindowForPane(Pane& pane);
    void showContentView(QWidget* view);
    void removeContentView();
    void focusFirstKeyView(Pane& pane, QWidget* view);
    void placeResizeIndicator();
    void cycleSelection(quint64 step);
    int toolbarHeight() const;

    Names _names;
    Panes _viewControllers;
    QMap<QString, QString> _minimumViewRects;
    QString _title;
    Pane* _selectedViewController = nullptr;

    std::unique_ptr<QWidget> _window;
    VTWatchedObject<QWidget> _watchedWindow;
    QToolBar* _toolbar = nullptr;
    QActionGroup* _toolbarItems = nullptr;
    QVBoxLayout* _contentLayout = nullptr;
    QSizeGrip* _resizeIndicator = nullptr;
    QWidget* _contentView = nullptr;
    // The window size last set here: its resize event is not the user's.
    QSize _appliedWindowSize;
};
