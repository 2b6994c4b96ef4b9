#include "VTCommonWindowController.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <vector>

namespace {
struct ModalSession {
    QEventLoop* loop;
    QPointer<QWidget> window;
    Qt::WindowModality earlierModality;
};

// The running modal sessions, innermost last.
std::vector<ModalSession>& modalSessions() {
    static std::vector<ModalSession> sessions;
    return sessions;
}

// Gives the window back the modality it had before its session. Qt takes a new modality
// only when a window is shown, so a window left visible is shown again with it.
void restoreModality(QWidget* window, Qt::WindowModality modality) {
    if (!window || window->windowModality() == modality)
        return;
    const bool visible = window->isVisible();
    if (visible)
        window->hide();
    window->setWindowModality(modality);
    if (visible)
        window->show();
}

// Ends a session when its window goes away by any road (closed by the window manager,
// hidden, destroyed), so a session never outlives its window.
class SessionEnder : public QObject {
public:
    explicit SessionEnder(QEventLoop& loop) : _loop(loop) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            _loop.quit();
        return false;
    }

private:
    QEventLoop& _loop;
};
} // namespace

VTCommonWindowController::VTCommonWindowController(QWidget* parent) : QWidget(parent, Qt::Window) {}

void VTCommonWindowController::showModeWindow(QWidget* window) {
    if (!window)
        return;
    QEventLoop session;
    SessionEnder ender(session);
    QPointer<QWidget> guarded(window);
    const Qt::WindowModality earlierModality = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    window->installEventFilter(&ender);
    connect(window, &QObject::destroyed, &session, &QEventLoop::quit);
    modalSessions().push_back({&session, guarded, earlierModality});
    window->show();
    window->raise();
    session.exec();
    std::erase_if(modalSessions(), [&](const ModalSession& s) { return s.loop == &session; });
    if (guarded) {
        guarded->removeEventFilter(&ender);
        restoreModality(guarded, earlierModality);
        centerWindow(guarded);
    }
}

// The session's window may not be this controller's: it stays shown, but no longer blocks
// the application.
void VTCommonWindowController::dismissModeWindow() {
    if (!modalSessions().empty()) {
        ModalSession& innermost = modalSessions().back();
        innermost.loop->quit();
        if (innermost.window && innermost.window != this)
            restoreModality(innermost.window, innermost.earlierModality);
    }
    hide();
}

bool VTCommonWindowController::isModalSessionRunning() {
    return !modalSessions().empty();
}

void VTCommonWindowController::beginSheetWindow(QWidget* sheet) {
    if (!sheet || sheet == this)
        return;
    sheet->setWindowFlag(Qt::Dialog, true);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->winId();
    winId();
    if (QWindow* handle = sheet->windowHandle())
        handle->setTransientParent(windowHandle());
    centerWindow(sheet);
    sheet->show();
    sheet->raise();
}

void VTCommonWindowController::endSheetWindow(QWidget* sheet) {
    if (sheet)
        sheet->hide();
}

void VTCommonWindowController::endSheetOfSelfWindow() {
    hide();
}

void VTCommonWindowController::centerWindow(QWidget* window) {
    if (!window)
        return;
    const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!over && window->windowHandle() && window->windowHandle()->transientParent()) {
        const QRect parentFrame = window->windowHandle()->transientParent()->frameGeometry();
        QRect frame = window->frameGeometry();
        frame.moveCenter(parentFrame.center());
        window->move(frame.topLeft());
        return;
    }
    QRect area;
    if (over)
        area = over->frameGeometry();
    else if (QScreen* screen = window->screen())
        area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}
