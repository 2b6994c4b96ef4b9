#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// Opens files, folders and web pages with the desktop's default applications.
// Tests install an opener to see what would have been opened.
class Workspace {
public:
    using Opener = std::function<bool(const QUrl&)>;

    static bool openURL(const QUrl& url);
    static bool openFile(const QString& path);
    // Replaces the desktop opener; an empty opener restores it.
    static void setOpener(Opener opener);
};
