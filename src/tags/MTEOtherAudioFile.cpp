#include "tags/MTEOtherAudioFile.h"

#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <QFileInfo>

namespace {

// Matroska and WebM name a tag given in a language "<NAME>-<lang>", beside or instead of the
// plain one ("TITLE-eng").
bool namesTagsByLanguage(const QString& path) {
    static const QStringList extensions{QStringLiteral("mka"), QStringLiteral("mkv"),
                                        QStringLiteral("webm"), QStringLiteral("mk3d")};
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

} // namespace

bool MTEOtherAudioFile::dumpMediaAttribInfo() {
    MTEFfmpegMetadata metadata;
    if (!metadata.read(strFilePath)) {
        qCInfo(lcTags, "no tags read from %s", qPrintable(strFilePath));
        return false;
    }
    if (!ffmpegEntries)
        ffmpegEntries = metadata.entries;
    for (const auto& [key, value] : std::as_const(metadata.entries))
        dicReadInfo.insert(key.toLower(), value);
    fileSpellings.namesByLanguage = namesTagsByLanguage(strFilePath);
    for (const auto& [key, value] : std::as_const(metadata.entries)) {
        const QString name = key.toLower();
        if (const QString logicalName = fileSpellings.namesByLanguage
                                            ? MTETagKeyMap::logicalNameWithLanguage(name)
                                            : QString();
            !logicalName.isEmpty()) {
            const QString familyKey = keyOf(logicalName);
            if (!MTETagText::hasText(dicReadInfo.value(familyKey)))
                dicReadInfo.insert(familyKey, value);
        }
        adoptOtherSpelling(name, value);
    }
    // A number with its total in a field of its own (Vorbis comments, APE) reads as "n/total".
    const auto withTotal = [this](const QString& field, const QString& key) {
        QString number = dicReadInfo.value(key).toString();
        for (const QString& total : MTETagKeyMap::totalNames(field))
            number =
                MTETagText::numberWithTotal(number, dicReadInfo.value(total.toLower()).toString());
        return number;
    };
    if (const QString track = keyOf(QStringLiteral("Track")); dicReadInfo.contains(track))
        dicReadInfo.insert(track, withTotal(QStringLiteral("Track"), track));
    const QString disc = MTETagKeyMap::discField();
    strDiscNumber = withTotal(disc, MTETagKeyMap::ffmpegKeyOfProperty(disc));
    const QString pictureKey = keyOf(QStringLiteral("AlbumImg"));
    if (!pictureKey.isEmpty() && !metadata.cover.isNull()) {
        dicReadInfo.insert(pictureKey, metadata.cover);
        iPictureType = metadata.pictureType;
    }
    dAudioLength = metadata.durationSeconds;
    return true;
}

MTETagWriteResult MTEOtherAudioFile::saveID3AttribPath(int, const QString& path) {
    qCInfo(lcTags, "no tags are written into %s", qPrintable(path));
    return MTETagWriteResult::Failed;
}

std::shared_ptr<MTEAudioFile> MTEOtherAudioFile::copy() const {
    return std::make_shared<MTEOtherAudioFile>(*this);
}
