#include "views/QVMusicInfoText.h"

#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"

#include <QFileInfo>

QVariant QVMusicInfoText::tagValue(const MTEAudioFile* handler, const QString& logicalName) {
    return handler ? handler->getValueForKey(logicalName) : QVariant();
}

QString QVMusicInfoText::tagText(const MTEAudioFile* handler, const QString& logicalName) {
    const QVariant value = tagValue(handler, logicalName);
    return value.canConvert<QString>() ? value.toString() : QString();
}

QString QVMusicInfoText::baseName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

QString QVMusicInfoText::titleWithArtist(const QVMusicInfo& music) {
    QString title = tagText(music.metHandler.get(), QStringLiteral("Title"));
    if (title.isEmpty()) {
        const QString path = music.mediaInfo && !music.mediaInfo->strMediaFilePath_.isEmpty()
                                 ? music.mediaInfo->strMediaFilePath_
                                 : music.strFilePath;
        title = baseName(path);
    }
    const QString artist = tagText(music.metHandler.get(), QStringLiteral("Artist"));
    if (title.isEmpty() || artist.isEmpty())
        return title;
    return title + QStringLiteral(" - ") + artist;
}
