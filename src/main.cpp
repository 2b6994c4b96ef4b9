#include "shell/QVAppDelegate.h"
#include "shell/QVMainAppController.h"
#include "tags/MTECoverDecoder.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quaverly"));
    QApplication::setOrganizationName(QStringLiteral("quaverly"));
    QApplication::setDesktopFileName(QStringLiteral("quaverly"));
    // Before any thread decodes a picture.
    MTECoverDecoder::installAllocationLimit();

    QVAppDelegate delegate;
    delegate.setQuitsWithMainWindow(true);
    delegate.awakeFromNib();
    app.setQuitOnLastWindowClosed(delegate.applicationShouldTerminateAfterLastWindowClosed());
    QTimer::singleShot(0, &delegate, &QVAppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
