#pragma once

#include "shell/QVFileListModel.h"

#include <QString>
#include <QStringList>

#include <functional>

// Turns the paths a user adds (files, folders, links) into the list of files to load.
class QVPathIntake {
public:
    // Each path in order: a folder, or a link to a folder, is replaced by every file beneath
    // it (links met on the walk are never followed back into a folder already walked); any
    // other existing path is taken as it is. A path that cannot be examined is skipped with
    // "lstat error" on standard error. Paths come back absolute and cleaned. Runs on the
    // loader's thread: once shouldStop answers true the walk ends early.
    static QStringList expandPaths(const QStringList& paths,
                                   const std::function<bool()>& shouldStop = {});
    // Drops every path already listed and every repeat within the batch, keeping the first
    // occurrence and the order.
    static QStringList removeDuplicates(const QStringList& expanded, const QStringList& listed);
    // A new row for each file, with its media description, in order.
    static QVMusicList newRows(const QStringList& files);
};
