#include "tags/MTEOtherAudioFile.h"

#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTETagText.h"

namespace {

// Containers that keep the total apart (Vorbis comments, APE) get it back as "n/total",
// the form the other families read.
void joinTrackTotal(QVariantMap& tags) {
    const QString track = tags.value(QStringLiteral("track")).toString().trimmed();
    if (track.isEmpty() || track.contains(u'/'))
        return;
    for (const char* name : {"tracktotal", "totaltracks"}) {
        const QString total = tags.value(QLatin1String(name)).toString().trimmed();
        if (total.toInt() > 0) {
            tags.insert(QStringLiteral("track"), track + u'/' + total);
            return;
        }
    }
}

} // namespace

bool MTEOtherAudioFile::dumpMediaAttribInfo() {
    MTEFfmpegMetadata metadata;
    if (!metadata.read(strFilePath)) {
        qCInfo(lcTags, "no tags read from %s", qPrintable(strFilePath));
        return false;
    }
    for (const auto& [key, value] : std::as_const(metadata.entries))
        dicReadInfo.insert(key.toLower(), value);
    for (const auto& [key, value] : std::as_const(metadata.entries))
        adoptOtherSpelling(key.toLower(), value);
    joinTrackTotal(dicReadInfo);
    const QString pictureKey = dicMap.value(QStringLiteral("AlbumImg")).toString();
    if (!pictureKey.isEmpty() && !metadata.cover.isNull())
        dicReadInfo.insert(pictureKey, metadata.cover);
    dAudioLength = metadata.durationSeconds;
    return true;
}

bool MTEOtherAudioFile::saveID3AttribPath(int, const QString& path) {
    qCInfo(lcTags, "no tags are written into %s", qPrintable(path));
    return false;
}

std::shared_ptr<MTEAudioFile> MTEOtherAudioFile::copy() const {
    return std::make_shared<MTEOtherAudioFile>(*this);
}
