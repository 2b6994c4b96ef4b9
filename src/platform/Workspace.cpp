#include "platform/Workspace.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <mutex>

namespace {
std::mutex g_openerMutex;
Workspace::Opener g_opener;
} // namespace

bool Workspace::openURL(const QUrl& url) {
    if (!url.isValid() || url.isEmpty())
        return false;
    Opener opener;
    {
        std::lock_guard lock(g_openerMutex);
        opener = g_opener;
    }
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

bool Workspace::openFile(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    return openURL(QUrl::fromLocalFile(path));
}

void Workspace::setOpener(Opener opener) {
    std::lock_guard lock(g_openerMutex);
    g_opener = std::move(opener);
}
