#include "shell/QVAppDelegate.h"
#include "shell/QVMainAppController.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quaverly"));
    QApplication::setOrganizationName(QStringLiteral("quaverly"));
    QApplication::setDesktopFileName(QStringLiteral("quaverly"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("audio-x-generic")));

    QVAppDelegate delegate;
    delegate.setQuitsWithMainWindow(true);
    delegate.awakeFromNib();
    app.setQuitOnLastWindowClosed(delegate.applicationShouldTerminateAfterLastWindowClosed());
    QTimer::singleShot(0, &delegate, &QVAppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
