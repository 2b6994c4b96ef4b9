#include "shell/QVMenuHandleCltr.h"

#include "shell/QVAppDelegate.h"
#include "shell/QVMainAppController.h"

#include <QAction>

QVMenuHandleCltr::QVMenuHandleCltr(QVAppDelegate& delegate, QObject* parent)
    : QObject(parent), _delegate(delegate) {}

void QVMenuHandleCltr::clickPreference() {
    _delegate.clickPreference();
}

void QVMenuHandleCltr::clickOpen() {
    _delegate.clickOpenFiles();
}

void QVMenuHandleCltr::clickMoveNext() {
    _delegate.clickMoveNext();
}

void QVMenuHandleCltr::clickMovePre() {
    _delegate.clickMovePre();
}

void QVMenuHandleCltr::clickDelete() {
    _delegate.clickDelete();
}

void QVMenuHandleCltr::clickClear() {
    _delegate.clickClear();
}

void QVMenuHandleCltr::clickStart() {
    _delegate.clickStart();
}

void QVMenuHandleCltr::clickStop() {
    _delegate.clickStop();
}

void QVMenuHandleCltr::clickMetadata() {
    _delegate.clickMetadata();
}

bool QVMenuHandleCltr::validateUserInterfaceItem(const QString& action, QVAppState state,
                                                 int musicCount, int selectedCount) {
    if (action == QLatin1String("clickStop:"))
        return state == QVAppStateConverting; // nothing to stop outside a run
    if (state == QVAppStateConverting)
        return false;
    if (action == QLatin1String("clickMetadata:"))
        return selectedCount > 0;
    static const QStringList needRows = {
        QStringLiteral("clickDelete:"), QStringLiteral("clickClear:"),
        QStringLiteral("clickMoveNext:"), QStringLiteral("clickMovePre:"),
        QStringLiteral("clickStart:")};
    if (!needRows.contains(action))
        return true;
    if (state == QVAppStateLoading && action != QLatin1String("clickStart:"))
        return false;
    return musicCount != 0;
}

bool QVMenuHandleCltr::validateUserInterfaceItem(const QAction* item) const {
    const QVMainAppController* controller = _delegate.coreMainWndCtlr();
    if (!item || !controller)
        return true;
    return validateUserInterfaceItem(item->objectName(), controller->enumAppState(),
                                     controller->getMusicCount(),
                                     int(controller->selectedRows().size()));
}
