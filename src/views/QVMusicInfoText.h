#pragma once

#include <QString>
#include <QVariant>

class MTEAudioFile;
class QVMusicInfo;

// What the views show of a row: tag values by logical name and file-name fallbacks.
class QVMusicInfoText {
public:
    // The handler's value for a logical tag name ("Title", "Artist", ...)
    // (MTEAudioFile::getValueForKey); invalid without a handler.
    static QVariant tagValue(const MTEAudioFile* handler, const QString& logicalName);
    static QString tagText(const MTEAudioFile* handler, const QString& logicalName);
    // Last component of path without its extension.
    static QString baseName(const QString& path);
    // The row's title tag, else its file name without extension; then " - " and the
    // artist when there is one.
    static QString titleWithArtist(const QVMusicInfo& music);
};
