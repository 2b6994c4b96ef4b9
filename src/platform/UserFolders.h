#pragma once

#include <QString>

// Where the user's folders are. Tests point them at a temporary folder.
class UserFolders {
public:
    // The home directory recorded for this user in the password database (not $HOME),
    // falling back to $HOME when the database has no entry.
    static QString realHomeDirectory();
    // The user's Music folder: the desktop's music folder, else <real home>/Music.
    static QString musicDirectory();

    static void setRealHomeDirectoryOverride(const QString& path);
    static void setMusicDirectoryOverride(const QString& path);
};
