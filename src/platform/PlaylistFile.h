#pragma once

#include <QString>
#include <QStringList>

// Playlists kept as files the desktop's players open: <Music folder>/Playlists/<name>.m3u8.
// Each entry is one absolute path on a line of its own. Safe to call from any thread;
// changes by several threads (or programs) at once never interleave, and every write
// replaces the file atomically.
class PlaylistFile {
public:
    static QString playlistsFolder();
    // The playlist's name made safe as one file name, with the extension ".m3u8".
    static QString fileNameForPlaylistName(const QString& name);
    static QString pathForPlaylistName(const QString& name);

    static bool exists(const QString& name);
    // Creates the playlist (holding only "#EXTM3U") when it is missing.
    static bool create(const QString& name);
    // Lists the file in the playlist, creating the playlist when it is missing. True when
    // the file is listed afterwards (also when it was listed already); false, with a log
    // line, when the playlist cannot be read, is no UTF-8 text (then it is left as it was),
    // cannot be written, or the path cannot be listed.
    static bool addFile(const QString& name, const QString& filePath);
    // The paths listed in the playlist, in order.
    static QStringList entries(const QString& name);
};
