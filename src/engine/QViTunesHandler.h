#pragma once

#include <QString>

#include <mutex>

// Hands converted files to the user's player library. On this system a playlist is the
// file <Music folder>/Playlists/<name>.m3u8 (PlaylistFile), which the desktop's players
// open. One process-wide instance; calls from several conversion threads are serialised.
class QViTunesHandler {
public:
    static QViTunesHandler& shareInstance();

    // Adds the file to the named playlist, creating the playlist when it is missing. True
    // when the file is listed in it afterwards.
    bool transferMusicToLibrary(const QString& filePath, const QString& playlistName);
    // Finds the named playlist and remembers it; with create set, makes it when missing.
    // True when the playlist exists afterwards.
    bool getPlaylistNeedCreate(const QString& playlistName, bool create);

private:
    QViTunesHandler() = default;
    QViTunesHandler(const QViTunesHandler&) = delete;
    QViTunesHandler& operator=(const QViTunesHandler&) = delete;

    bool findPlaylist(const QString& playlistName, bool create);

    std::mutex _mutex;
    // The playlist used last: its name, or null when none is remembered.
    QString _curPlaylist;
};
