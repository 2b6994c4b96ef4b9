#include "shell/QVAppDelegate.h"

#include "controls/VTAboutWindowController.h"
#include "engine/QVDataEngine.h"
#include "platform/MainBundle.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "player/player_core.h"
#include "shell/AdvancedPreferencesViewController.h"
#include "shell/GeneralPreferencesViewController.h"
#include "shell/MASPreferencesWindowController.h"
#include "shell/MTPreferenceWndCtlr.h"
#include "shell/QVMainAppController.h"
#include "shell/QVMenuHandleCltr.h"
#include "tags/MTETagKeyMap.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QUrl>

namespace {
QString productTitle(const char* format) {
    return QString::fromLatin1(format).arg(QLatin1String(kProductNameString));
}
} // namespace

QVAppDelegate::QVAppDelegate(QVDataEngine* catalogue, std::shared_ptr<QVUserPrompts> prompts,
                             QObject* parent)
    : QObject(parent), _catalogue(catalogue), _prompts(std::move(prompts)),
      _menuHandler(std::make_unique<QVMenuHandleCltr>(*this)) {}

QVAppDelegate::~QVAppDelegate() {
    _preferenceCltr.reset();
    _aboutCtlr.reset();
    _coreMainWndCtlr.reset();
}

QIcon QVAppDelegate::applicationIcon() {
    return QIcon(QStringLiteral(":/bundle/icons/quaverly.svg"));
}

void QVAppDelegate::awakeFromNib() {
    // Every window, the About box included, shows the application's icon.
    QApplication::setWindowIcon(applicationIcon());
    // The defaults go in first: the format catalogue and the main window read them.
    setPreferenceValue();
    newWindow();
    if (QMainWindow* window = _coreMainWndCtlr->window()) {
        if (const QScreen* screen = window->screen()) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    prepareMusicTagMapInfo();
    configureDisplayForMultPrjs();
}

void QVAppDelegate::newWindow() {
    QVDataEngine& catalogue = _catalogue ? *_catalogue : QVDataEngine::shareInstance();
    _coreMainWndCtlr = std::make_unique<QVMainAppController>(catalogue, _prompts);
    buildMainMenu();
    connect(_coreMainWndCtlr.get(), &QVMainAppController::stateChanged, this,
            &QVAppDelegate::validateMenuItems);
    connect(_coreMainWndCtlr.get(), &QVMainAppController::windowWillClose, this, [this] {
        if (_quitsWithMainWindow && applicationShouldTerminateAfterLastWindowClosed())
            QCoreApplication::quit();
    });
    validateMenuItems();
    _coreMainWndCtlr->showWindow();
}

void QVAppDelegate::setPreferenceValue() {
    using namespace PreferenceKeys;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    if (defaults.integerForKey(QLatin1String(kMaxTastKey)) == 0)
        defaults.setInteger(QLatin1String(kMaxTastKey), 5);
    if (defaults.stringForKey(QLatin1String(kiTunesPlaylistNameKey)).isEmpty())
        defaults.setObject(QLatin1String(kiTunesPlaylistNameKey),
                           QLatin1String(kProductNameString));
    if (!defaults.hasObjectForKey(QLatin1String(kCopyMetadataKey)))
        defaults.setBool(QLatin1String(kCopyMetadataKey), true);
    if (!defaults.hasObjectForKey(QLatin1String(kRemoveAfterConverteKey)))
        defaults.setBool(QLatin1String(kRemoveAfterConverteKey), false);
    if (defaults.stringForKey(QLatin1String(kDefaultFmtNameKey)).isEmpty())
        defaults.setObject(QLatin1String(kDefaultFmtNameKey), QStringLiteral("AAC"));
    if (!defaults.hasObjectForKey(QLatin1String(kQualityKey)))
        defaults.setInteger(QLatin1String(kQualityKey), 100);
    if (!defaults.hasObjectForKey(QLatin1String(kAutoSyncKey)))
        defaults.setBool(QLatin1String(kAutoSyncKey), true);
    defaults.synchronize();
}

void QVAppDelegate::prepareMusicTagMapInfo() {
    MTETagKeyMap::prepareMusicTagMapInfo();
}

void QVAppDelegate::configureDisplayForMultPrjs() {
    _menuAbout->setText(productTitle("About %1"));
    _menuHide->setText(productTitle("Hide %1"));
    _menuQuite->setText(productTitle("Quite %1"));
    _menuHelp->setText(productTitle("%1 Help"));
}

void QVAppDelegate::applicationDidFinishLaunching() {
    if (_didFinishLaunching)
        return;
    _didFinishLaunching = true;
    player_global_init();
    configureForAffliate();
}

void QVAppDelegate::configureForAffliate() {
    if (!_menuHelpRoot)
        return;
    auto insertAt = [this](int index, QAction* action) {
        const QList<QAction*> actions = _menuHelpRoot->actions();
        _menuHelpRoot->insertAction(index < actions.size() ? actions.at(index) : nullptr, action);
    };
    auto* support = new QAction(QStringLiteral("Support"), _menuHelpRoot);
    support->setObjectName(QStringLiteral("clickSupport:"));
    connect(support, &QAction::triggered, this, &QVAppDelegate::clickSupport);
    auto* more = new QAction(QStringLiteral("More Products"), _menuHelpRoot);
    more->setObjectName(QStringLiteral("clickMoreProducts:"));
    connect(more, &QAction::triggered, this, &QVAppDelegate::clickMoreProducts);
    auto* separator = new QAction(_menuHelpRoot);
    separator->setSeparator(true);
    insertAt(0, support);
    insertAt(1, more);
    insertAt(4, separator);
    _menuItems << support << more;
}

QAction* QVAppDelegate::addItem(QMenu* menu, const QString& title, const char* selector,
                                const QKeySequence& shortcut, void (QVAppDelegate::*slot)()) {
    QAction* action = menu->addAction(title);
    action->setObjectName(QLatin1String(selector));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, slot);
    _menuItems.append(action);
    return action;
}

QAction* QVAppDelegate::addHandledItem(QMenu* menu, const QString& title, const char* selector,
                                       const QKeySequence& shortcut,
                                       void (QVMenuHandleCltr::*slot)()) {
    QAction* action = menu->addAction(title);
    action->setObjectName(QLatin1String(selector));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, _menuHandler.get(), slot);
    _menuItems.append(action);
    _handledItems.append(action);
    return action;
}

void QVAppDelegate::buildMainMenu() {
    QMenuBar* bar = _coreMainWndCtlr->window()->menuBar();
    bar->clear();
    _menuItems.clear();
    _handledItems.clear();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    addHandledItem(file, QStringLiteral("Add Files…"), "clickOpen:", QKeySequence::Open,
                   &QVMenuHandleCltr::clickOpen);
    file->addSeparator();
    _menuHide = addItem(file, QStringLiteral("Hide"), "clickHide:", QKeySequence(),
                        &QVAppDelegate::clickHide);
    _menuQuite = addItem(file, QStringLiteral("Quit"), "clickQuit:", QKeySequence::Quit,
                         &QVAppDelegate::clickQuit);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    addHandledItem(edit, QStringLiteral("Remove"), "clickDelete:", QKeySequence::Delete,
                   &QVMenuHandleCltr::clickDelete);
    addHandledItem(edit, QStringLiteral("Clear List"), "clickClear:", QKeySequence(),
                   &QVMenuHandleCltr::clickClear);
    addHandledItem(edit, QStringLiteral("Edit Metadata…"),
                   "clickMetadata:", QKeySequence(Qt::CTRL | Qt::Key_I),
                   &QVMenuHandleCltr::clickMetadata);
    edit->addSeparator();
    addHandledItem(edit, QStringLiteral("Select Next"),
                   "clickMoveNext:", QKeySequence(Qt::ALT | Qt::Key_Down),
                   &QVMenuHandleCltr::clickMoveNext);
    addHandledItem(edit, QStringLiteral("Select Previous"),
                   "clickMovePre:", QKeySequence(Qt::ALT | Qt::Key_Up),
                   &QVMenuHandleCltr::clickMovePre);
    edit->addSeparator();
    addHandledItem(edit, QStringLiteral("Preferences…"),
                   "clickPreference:", QKeySequence::Preferences,
                   &QVMenuHandleCltr::clickPreference);

    QMenu* convert = bar->addMenu(QStringLiteral("&Convert"));
    addHandledItem(convert, QStringLiteral("Start"),
                   "clickStart:", QKeySequence(Qt::CTRL | Qt::Key_R),
                   &QVMenuHandleCltr::clickStart);
    addHandledItem(convert, QStringLiteral("Stop"),
                   "clickStop:", QKeySequence(Qt::CTRL | Qt::Key_Period),
                   &QVMenuHandleCltr::clickStop);

    _menuHelpRoot = bar->addMenu(QStringLiteral("&Help"));
    _menuHelp = addItem(_menuHelpRoot, QStringLiteral("Help"),
                        "clickHelp:", QKeySequence::HelpContents, &QVAppDelegate::clickHelp);
    addItem(_menuHelpRoot, QStringLiteral("Send Feedback"), "clickFeedback:", QKeySequence(),
            &QVAppDelegate::clickFeedback);
    addItem(_menuHelpRoot, QStringLiteral("Rate This Program"), "clickRate:", QKeySequence(),
            &QVAppDelegate::clickRate);
    _menuAbout = addItem(_menuHelpRoot, QStringLiteral("About"), "clickAbout:", QKeySequence(),
                         &QVAppDelegate::clickAbout);
}

void QVAppDelegate::validateMenuItems() {
    for (QAction* item : std::as_const(_handledItems))
        item->setEnabled(_menuHandler->validateUserInterfaceItem(item));
}

void QVAppDelegate::clickPreference() {
    if (!_preferenceCltr) {
        _preferenceCltr = std::make_unique<MTPreferenceWndCtlr>([this] {
            return _coreMainWndCtlr ? _coreMainWndCtlr->getChooseOutputFmt() : QString();
        });
    }
    _preferenceCltr->showWindow();
}

MASPreferencesWindowController& QVAppDelegate::preferencesWindowController() {
    if (!_wndCltrForTunes) {
        QVDataEngine& catalogue = _catalogue ? *_catalogue : QVDataEngine::shareInstance();
        MASPreferencesWindowController::MASPanes panes;
        panes.push_back(std::make_unique<GeneralPreferencesViewController>(
            [this] {
                return _coreMainWndCtlr ? _coreMainWndCtlr->getChooseOutputFmt() : QString();
            },
            catalogue));
        panes.push_back(std::make_unique<AdvancedPreferencesViewController>());
        _wndCltrForTunes = std::make_unique<MASPreferencesWindowController>(
            std::move(panes), QCoreApplication::translate("Localizable", "Preferences"));
    }
    return *_wndCltrForTunes;
}

void QVAppDelegate::clickAbout() {
    if (!_aboutCtlr)
        _aboutCtlr = std::make_unique<VTAboutWindowController>();
    _aboutCtlr->showWindow();
}

void QVAppDelegate::clickHelp() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->clickHelp();
}

void QVAppDelegate::clickOpenFiles() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->clickAddFiles();
}

void QVAppDelegate::clickMoveNext() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->moveSelectedTo(1);
}

void QVAppDelegate::clickMovePre() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->moveSelectedTo(-1);
}

void QVAppDelegate::clickDelete() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->deleteSelectedIndexs();
}

void QVAppDelegate::clickClear() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->clickClear();
}

void QVAppDelegate::clickMetadata() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->clickMetadata();
}

void QVAppDelegate::clickStart() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->clickStart();
}

// Start cancels a run; outside one there is nothing to stop.
void QVAppDelegate::clickStop() {
    if (_coreMainWndCtlr && _coreMainWndCtlr->enumAppState() == QVAppStateConverting)
        _coreMainWndCtlr->clickStart();
}

void QVAppDelegate::openProductPage(const char* infoKey, const QString& suffix) {
    const QString address =
        MainBundle::mainBundle().objectForInfoDictionaryKey(QLatin1String(infoKey)).toString();
    if (!address.isEmpty())
        Workspace::openURL(QUrl(address + suffix));
}

void QVAppDelegate::clickRate() {
    openProductPage("HomepageUrl", QString());
}

void QVAppDelegate::clickFeedback() {
    openProductPage("HomepageUrl", QString());
}

void QVAppDelegate::clickMoreProducts() {
    openProductPage("HomepageUrl", QString());
}

void QVAppDelegate::clickSupport() {
    openProductPage("SupportUrl", QString());
}

void QVAppDelegate::clickHide() {
    if (_coreMainWndCtlr)
        _coreMainWndCtlr->window()->showMinimized();
}

void QVAppDelegate::clickQuit() {
    // Quitting goes through the window's close, so its confirmation and clean-up apply.
    if (_coreMainWndCtlr && !_coreMainWndCtlr->window()->close())
        return;
    if (_quitsWithMainWindow)
        QCoreApplication::quit();
}
