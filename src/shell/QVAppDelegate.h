#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QVDataEngine;
class QVMainAppController;
class QVMenuHandleCltr;
class QVUserPrompts;
class MASPreferencesWindowController;
class MTPreferenceWndCtlr;
class VTAboutWindowController;

// The application's start-up and menus. Start-up order: the stored defaults first, then
// the main window, the tag-key map and the menu titles; when the event loop runs, the
// decoding core's one-time set-up and the help menu's extra items.
class QVAppDelegate : public QObject {
    Q_OBJECT
public:
    explicit QVAppDelegate(QVDataEngine* catalogue = nullptr,
                           std::shared_ptr<QVUserPrompts> prompts = nullptr,
                           QObject* parent = nullptr);
    ~QVAppDelegate() override;

    void awakeFromNib();
    void newWindow();
    // Stores each default preference value whose key is missing, then synchronizes.
    static void setPreferenceValue();
    // The application's own icon, drawn at any size from its SVG.
    static QIcon applicationIcon();
    static void prepareMusicTagMapInfo();
    void configureDisplayForMultPrjs();
    void applicationDidFinishLaunching();
    void configureForAffliate();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    // The program quits when the main window closes, even with other windows open.
    void setQuitsWithMainWindow(bool quits) { _quitsWithMainWindow = quits; }

    QVMainAppController* coreMainWndCtlr() const { return _coreMainWndCtlr.get(); }
    QVMenuHandleCltr& menuHandler() const { return *_menuHandler; }
    // The toolbar preferences window (General and Advanced panes), made on first use.
    MASPreferencesWindowController& preferencesWindowController();

    // Menu commands.
    void clickPreference();
    void clickAbout();
    void clickHelp();
    void clickOpenFiles();
    void clickMoveNext();
    void clickMovePre();
    void clickDelete();
    void clickClear();
    void clickMetadata();
    void clickStart();
    // Outside a run it starts one, as Start does.
    void clickStop();
    void clickRate();
    void clickFeedback();
    void clickMoreProducts();
    void clickSupport();
    void clickHide();
    void clickQuit();

    // Enables or disables the items routed to the menu target by its rules; the
    // delegate's own items (Quit, Hide, About, Help, the web pages) stay enabled.
    void validateMenuItems();

    QAction* _menuAbout = nullptr;
    QAction* _menuHide = nullptr;
    QAction* _menuQuite = nullptr;
    QAction* _menuHelp = nullptr;
    QMenu* _menuHelpRoot = nullptr;
    QList<QAction*> menuItems() const { return _menuItems; }

private:
    void buildMainMenu();
    QAction* addItem(QMenu* menu, const QString& title, const char* selector,
                     const QKeySequence& shortcut, void (QVAppDelegate::*slot)());
    QAction* addHandledItem(QMenu* menu, const QString& title, const char* selector,
                            const QKeySequence& shortcut, void (QVMenuHandleCltr::*slot)());
    void openProductPage(const char* infoKey, const QString& suffix);

    QVDataEngine* _catalogue;
    std::shared_ptr<QVUserPrompts> _prompts;
    std::unique_ptr<QVMainAppController> _coreMainWndCtlr;
    std::unique_ptr<QVMenuHandleCltr> _menuHandler;
    std::unique_ptr<MTPreferenceWndCtlr> _preferenceCltr;
    std::unique_ptr<VTAboutWindowController> _aboutCtlr;
    std::unique_ptr<MASPreferencesWindowController> _wndCltrForTunes;
    QList<QAction*> _menuItems;
    QList<QAction*> _handledItems;
    bool _didFinishLaunching = false;
    bool _quitsWithMainWindow = false;
};
