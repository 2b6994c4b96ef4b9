#pragma once

#include <QString>
#include <QStringList>

// Turns the paths a user adds (files, folders, links) into the list of files to load.
class QVPathIntake {
public:
    // Each path in order: a folder, or a link to a folder, is replaced by every file beneath
    // it (links met on the walk are never followed back into a folder already walked); any
    // other existing path is taken as it is. A path that cannot be examined is skipped with
    // "lstat error" on standard error. Paths come back absolute and cleaned.
    static QStringList expandPaths(const QStringList& paths);
    // Drops every path already listed and every repeat within the batch, keeping the first
    // occurrence and the order.
    static QStringList removeDuplicates(const QStringList& expanded, const QStringList& listed);
};
