#include "windows/VTPreferencesWindowController.h"

#include "platform/GeometryText.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QSizeGrip>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

VTPreferencesWindowController::Names vantryNames() {
    return {QStringLiteral("VTPreferencesWindow"),
            QStringLiteral("VTPreferences Selected Identifier View"),
            QStringLiteral("VTPreferences Frame Top Left"),
            QStringLiteral("VTPreferences %1 Frame"),
            QStringLiteral("VTPreferencesWindowControllerDidChangeViewNotification")};
}

bool isWidthSizable(const QWidget& view) {
    return view.sizePolicy().horizontalPolicy() != QSizePolicy::Fixed;
}

bool isHeightSizable(const QWidget& view) {
    return view.sizePolicy().verticalPolicy() != QSizePolicy::Fixed;
}

// A view built in code and never sized has no designed size yet: its size hint stands in.
QRect viewBounds(const QWidget& view) {
    const QSize size = view.testAttribute(Qt::WA_Resized)
                           ? view.size()
                           : view.sizeHint().expandedTo(view.minimumSizeHint());
    return QRect(QPoint(0, 0), size.expandedTo(QSize(0, 0)));
}

QString storedString(const QString& key) {
    return UserDefaults::standardUserDefaults().stringForKey(key);
}

void storeString(const QString& key, const QString& value) {
    UserDefaults::standardUserDefaults().setObject(key, value);
}

} // namespace

VTPreferencesWindowController::VTPreferencesWindowController(Panes viewControllers,
                                                             const QString& title, QObject* parent)
    : VTPreferencesWindowController(std::move(viewControllers), title, vantryNames(), parent) {}

VTPreferencesWindowController::VTPreferencesWindowController(Panes viewControllers,
                                                             const QString& title, Names names,
                                                             QObject* parent)
    : QObject(parent), _names(std::move(names)), _viewControllers(std::move(viewControllers)),
      _title(title) {}

VTPreferencesWindowController::~VTPreferencesWindowController() {
    if (_window) {
        _watchedWindow.stopWatching();
        // The panes own their views: take the shown one back before the window goes.
        removeContentView();
        _window.reset();
    }
}

QWidget* VTPreferencesWindowController::window() {
    if (!_window)
        loadWindow();
    return _window.get();
}

void VTPreferencesWindowController::showWindow() {
    QWidget* shown = window();
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void VTPreferencesWindowController::loadWindow() {
    _window = std::make_unique<QWidget>(nullptr, Qt::Window);
    _window->setObjectName(_names.windowName);
    auto* layout = new QVBoxLayout(_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    _toolbar = new QToolBar(_window.get());
    _toolbar->setMovable(false);
    _toolbar->setFloatable(false);
    _toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    _toolbar->setIconSize(QSize(32, 32));
    layout->addWidget(_toolbar);

    auto* contentHolder = new QWidget(_window.get());
    _contentLayout = new QVBoxLayout(contentHolder);
    _contentLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(contentHolder, 1);

    _resizeIndicator = new QSizeGrip(_window.get());
    _resizeIndicator->hide();

    _toolbarItems = new QActionGroup(_window.get());
    _toolbarItems->setExclusive(true);
    const QStringList identifiers = toolbarItemIdentifiers();
    for (qsizetype i = 0; i < identifiers.size(); ++i) {
        Pane* pane = _viewControllers[static_cast<size_t>(i)].get();
        if (!pane) {
            auto* spacer = new QWidget(_toolbar);
            spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            _toolbar->addWidget(spacer);
            continue;
        }
        _toolbar->addAction(makeToolbarItem(identifiers.at(i), *pane));
    }
    connect(_toolbarItems, &QActionGroup::triggered, this,
            &VTPreferencesWindowController::toolbarItemDidClick);
    windowDidLoad();
}

QAction* VTPreferencesWindowController::makeToolbarItem(const QString& identifier, Pane& pane) {
    auto* item = new QAction(pane.toolbarItemImage(), pane.toolbarItemLabel(), _toolbarItems);
    item->setObjectName(identifier);
    item->setData(identifier);
    item->setCheckable(true);
    return item;
}

void VTPreferencesWindowController::windowDidLoad() {
    if (!_title.isEmpty())
        _window->setWindowTitle(_title);
    if (!_viewControllers.empty()) {
        Pane* pane = viewControllerForIdentifier(storedString(_names.selectedIdentifierKey));
        setSelectedViewController(pane ? pane : firstViewController());
    }
    if (const auto topLeft = GeometryText::pointFromString(storedString(_names.frameTopLeftKey)))
        _window->move(*topLeft);
    _watchedWindow.watch(_window.get(), this);
}

QStringList VTPreferencesWindowController::toolbarItemIdentifiers() const {
    QStringList identifiers;
    for (const auto& pane : _viewControllers)
        identifiers.append(pane ? pane->identifier()
                                : QString::fromLatin1(kFlexibleSpaceItemIdentifier));
    return identifiers;
}

QAction* VTPreferencesWindowController::toolbarItemForIdentifier(const QString& identifier) const {
    if (!_toolbarItems)
        return nullptr;
    for (QAction* item : _toolbarItems->actions()) {
        if (item->data().toString() == identifier)
            return item;
    }
    return nullptr;
}

void VTPreferencesWindowController::toolbarItemDidClick(QAction* sender) {
    if (sender)
        setSelectedViewController(viewControllerForIdentifier(sender->data().toString()));
}

VTPreferencesWindowController::Pane*
VTPreferencesWindowController::viewControllerForIdentifier(const QString& identifier) const {
    for (const auto& pane : _viewControllers) {
        if (pane && pane->identifier() == identifier)
            return pane.get();
    }
    return nullptr;
}

VTPreferencesWindowController::Pane* VTPreferencesWindowController::firstViewController() const {
    for (const auto& pane : _viewControllers) {
        if (pane)
            return pane.get();
    }
    return nullptr;
}

quint64 VTPreferencesWindowController::indexOfSelectedController() const {
    if (!_selectedViewController)
        return kNotFound;
    const qsizetype index = toolbarItemIdentifiers().indexOf(_selectedViewController->identifier());
    return index < 0 ? kNotFound : static_cast<quint64>(index);
}

void VTPreferencesWindowController::selectControllerAtIndex(quint64 index) {
    if (index < _viewControllers.size())
        setSelectedViewController(_viewControllers[index].get());
}

void VTPreferencesWindowController::goNextTab() {
    cycleSelection(1);
}

void VTPreferencesWindowController::goPreviousTab() {
    cycleSelection(_viewControllers.size() - 1);
}

void VTPreferencesWindowController::cycleSelection(quint64 step) {
    // With nothing to select there is nothing to cycle to (and no count to divide by).
    if (!firstViewController())
        return;
    const quint64 count = _viewControllers.size();
    quint64 index = indexOfSelectedController();
    do {
        index = (index + step) % count;
    } while (!_viewControllers[index]);
    selectControllerAtIndex(index);
}

bool VTPreferencesWindowController::ownsPane(const Pane* pane) const {
    return std::any_of(_viewControllers.begin(), _viewControllers.end(),
                       [pane](const auto& own) { return own.get() == pane; });
}

void VTPreferencesWindowController::setSelectedViewController(Pane* controller) {
    if (controller && !ownsPane(controller))
        return;
    window();
    if (controller == _selectedViewController)
        return;
    // Focus inside the pane going away falls back to the window, as if it had none.
    const QWidget* focused = _window->focusWidget();
    const bool windowHadFocus = !focused || focused == _window.get() ||
                                (_contentView && _contentView->isAncestorOf(focused));
    if (Pane* old = _selectedViewController) {
        if (!old->commitEditing()) {
            if (QAction* item = toolbarItemForIdentifier(old->identifier()))
                item->setChecked(true);
            return;
        }
        removeContentView();
        old->viewDidDisappear();
        _selectedViewController = nullptr;
    }
    if (!controller)
        return;

    _window->setWindowTitle(controller->toolbarItemLabel());
    if (QAction* item = toolbarItemForIdentifier(controller->identifier()))
        item->setChecked(true);
    storeString(_names.selectedIdentifierKey, controller->identifier());
    resizeWindowForPane(*controller);

    _selectedViewController = controller;
    controller->viewWillAppear();
    QWidget* view = controller->view();
    showContentView(view);
    if (windowHadFocus)
        focusFirstKeyView(*controller, view);
    NotificationCenter::defaultCenter().postNotification(_names.didChangeViewNotification);
}

void VTPreferencesWindowController::resizeWindowForPane(Pane& pane) {
    QWidget* view = pane.view();
    const QString identifier = pane.identifier();
    const QRect bounds = viewBounds(*view);
    const auto saved =
        GeometryText::rectFromString(storedString(_names.frameKeyFormat.arg(identifier)));
    const auto minText = _minimumViewRects.value(identifier);
    if (minText.isNull())
        _minimumViewRects.insert(identifier, GeometryText::stringFromRect(bounds));
    const auto firstSeen = GeometryText::rectFromString(minText);

    QRect frame = saved.value_or(bounds);
    const QRect minimum = firstSeen.value_or(bounds);
    const bool widthSizable = isWidthSizable(*view);
    const bool heightSizable = isHeightSizable(*view);
    frame.setWidth(widthSizable ? std::max(minimum.width(), frame.width()) : minimum.width());
    frame.setHeight(heightSizable ? std::max(minimum.height(), frame.height()) : minimum.height());

    view->setMinimumSize(minimum.size());
    view->setMaximumSize(widthSizable ? QWIDGETSIZE_MAX : frame.width(),
                         heightSizable ? QWIDGETSIZE_MAX : frame.height());
    view->resize(frame.size());
    _resizeIndicator->setVisible(widthSizable || heightSizable);

    // The window keeps its top-left corner; only its size follows the pane.
    const int toolbar = toolbarHeight();
    _window->setMinimumSize(minimum.width(), minimum.height() + toolbar);
    _window->setMaximumSize(widthSizable ? QWIDGETSIZE_MAX : frame.width(),
                            heightSizable ? QWIDGETSIZE_MAX : frame.height() + toolbar);
    _appliedWindowSize = QSize(frame.width(), frame.height() + toolbar);
    _window->resize(_appliedWindowSize);
    placeResizeIndicator();
}

int VTPreferencesWindowController::toolbarHeight() const {
    return _toolbar->sizeHint().height();
}

void VTPreferencesWindowController::showContentView(QWidget* view) {
    _contentView = view;
    _contentLayout->addWidget(view);
    view->show();
}

void VTPreferencesWindowController::removeContentView() {
    if (!_contentView)
        return;
    _contentLayout->removeWidget(_contentView);
    _contentView->hide();
    _contentView->setParent(nullptr);
    _contentView = nullptr;
}

void VTPreferencesWindowController::focusFirstKeyView(Pane& pane, QWidget* view) {
    if (QWidget* initial = pane.initialKeyView()) {
        initial->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (QWidget* next = view->nextInFocusChain(); next && next != view;
         next = next->nextInFocusChain()) {
        if (view->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void VTPreferencesWindowController::placeResizeIndicator() {
    const QSize size = _resizeIndicator->sizeHint();
    _resizeIndicator->setGeometry(_window->width() - size.width(),
                                  _window->height() - size.height(), size.width(), size.height());
    _resizeIndicator->raise();
}

bool VTPreferencesWindowController::showsResizeIndicator() const {
    return _resizeIndicator && !_resizeIndicator->isHidden();
}

bool VTPreferencesWindowController::windowShouldClose() {
    return !_selectedViewController || _selectedViewController->commitEditing();
}

void VTPreferencesWindowController::windowDidMove() {
    storeString(_names.frameTopLeftKey, GeometryText::stringFromPoint(_window->pos()));
}

void VTPreferencesWindowController::windowDidResize() {
    if (!_selectedViewController)
        return;
    const QSize content(_window->width(), _window->height() - toolbarHeight());
    storeString(_names.frameKeyFormat.arg(_selectedViewController->identifier()),
                GeometryText::stringFromRect(QRect(QPoint(0, 0), content)));
}

bool VTPreferencesWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (!_watchedWindow.is(watched))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close:
        if (!windowShouldClose()) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::Move:
        if (_window->isVisible())
            windowDidMove();
        break;
    case QEvent::Resize:
        placeResizeIndicator();
        if (_window->size() == _appliedWindowSize)
            _appliedWindowSize = QSize();
        else if (_window->isVisible())
            windowDidResize();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
