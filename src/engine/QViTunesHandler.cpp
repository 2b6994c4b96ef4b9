#include "engine/QViTunesHandler.h"

#include "platform/PlaylistFile.h"

#include <QDebug>

QViTunesHandler& QViTunesHandler::shareInstance() {
    static QViTunesHandler instance;
    return instance;
}

bool QViTunesHandler::transferMusicToLibrary(const QString& filePath, const QString& playlistName) {
    const std::lock_guard lock(_mutex);
    if (_curPlaylist.isNull() || _curPlaylist != playlistName)
        findPlaylist(playlistName, true);
    const bool added = !_curPlaylist.isNull() && PlaylistFile::addFile(_curPlaylist, filePath);
    const QString track =
        added ? PlaylistFile::pathForPlaylistName(_curPlaylist) : QStringLiteral("(null)");
    qInfo().noquote() << QStringLiteral("Added %1 to track: %2").arg(filePath, track);
    return added;
}

bool QViTunesHandler::getPlaylistNeedCreate(const QString& playlistName, bool create) {
    const std::lock_guard lock(_mutex);
    return findPlaylist(playlistName, create);
}

bool QViTunesHandler::findPlaylist(const QString& playlistName, bool create) {
    _curPlaylist = QString();
    if (PlaylistFile::exists(playlistName) || (create && PlaylistFile::create(playlistName))) {
        _curPlaylist = playlistName.isNull() ? QStringLiteral("") : playlistName;
        return true;
    }
    return false;
}
