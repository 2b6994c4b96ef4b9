#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The user's real home directory from the password database, even when $HOME points
// elsewhere; $HOME when the database has no entry for this user.
QString RealHomeDirectory();

// Folder and file helpers. Stateless; callable from any thread.
class VTFileLocalManager {
public:
    static QString userRealHomeDirectory();
    // <real home>/<folder>/<application name>, created.
    static QString userUiDispAppDirectory(const QString& folderName);
    static QString appHomeDirectory();
    static QString appLibaryDirectory();
    static QString appPicturesDirectory();
    static QString appMusicDirectory();
    static QString appSupportDirectory();
    // A new folder under the temporary directory, or an empty string.
    static QString appTempUniDirectory();
    static QString getFolderNameForCurrentTime();

    static QString makeSureCreatCustomDirDirName(const QString& parent, const QString& name);
    static bool makeSureDirCreated(const QString& path);
    static bool MakeSureFolderExsist(const QString& folder);
    static QString makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                             const QString& extension);
    // Every plain file below the folder, depth first. Links to folders are followed once:
    // a folder already on the walk is not entered again. A name that is not valid UTF-8
    // cannot be opened through a QString: it is skipped and logged with its folder and its
    // raw bytes. shouldStop, when given, is asked before each folder; once it answers true
    // the walk ends with what it has found.
    static QStringList fileListAtDirenctory(const QString& folder,
                                            const std::function<bool()>& shouldStop = {});
    static bool trashAllItemsAtPath(const QString& folder);
    static bool copyFileToFile(const QString& source, const QString& destination);
    static qint64 fileSizeAtPath(const QString& path);
    // The nearest existing folder at or above the path; empty when none.
    static QString getLastFolderPath(const QString& path);
};
