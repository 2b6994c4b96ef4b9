#include "tags/MTEOtherAudioFile.h"

#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Matroska and WebM name a tag given in a language "<NAME>-<lang>", beside or instead of the
// plain one ("TITLE-eng").
bool namesTagsByLanguage(const QString& path) {
    static const QStringList extensions{QStringLiteral("mka"), QStringLiteral("mkv"),
                                        QStringLiteral("webm"), QStringLiteral("mk3d")};
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

// The logical name of "<name>-<lang>" when name spells one.
QString logicalNameWithLanguage(const QString& key) {
    static const QRegularExpression tagged(QStringLiteral("^(.+)-[a-z]{3}$"));
    const QRegularExpressionMatch match = tagged.match(key);
    return match.hasMatch() ? MTETagKeyMap::logicalNameOfEntry(match.captured(1)) : QString();
}

} // namespace

bool MTEOtherAudioFile::dumpMediaAttribInfo() {
    MTEFfmpegMetadata metadata;
    if (!metadata.read(strFilePath)) {
        qCInfo(lcTags, "no tags read from %s", qPrintable(strFilePath));
        return false;
    }
    ffmpegEntries = metadata.entries;
    for (const auto& [key, value] : std::as_const(metadata.entries))
        dicReadInfo.insert(key.toLower(), value);
    const bool byLanguage = namesTagsByLanguage(strFilePath);
    for (const auto& [key, value] : std::as_const(metadata.entries)) {
        const QString name = key.toLower();
        if (const QString logicalName = byLanguage ? logicalNameWithLanguage(name) : QString();
            !logicalName.isEmpty()) {
            extraSpellings.insert(name, logicalName);
            const QString familyKey = dicMap.value(logicalName).toString();
            if (!MTETagText::hasText(dicReadInfo.value(familyKey)))
                dicReadInfo.insert(familyKey, value);
        }
        adoptOtherSpelling(name, value);
    }
    const auto text = [this](const char* key) {
        return dicReadInfo.value(QLatin1String(key)).toString();
    };
    // Containers that keep a total apart (Vorbis comments, APE) get it back as "n/total".
    if (dicReadInfo.contains(QStringLiteral("track"))) {
        QString track = text("track");
        for (const char* total : {"tracktotal", "totaltracks"})
            track = MTETagText::numberWithTotal(track, text(total));
        dicReadInfo.insert(QStringLiteral("track"), track);
    }
    strDiscNumber = text("disc");
    for (const char* total : {"disctotal", "totaldiscs"})
        strDiscNumber = MTETagText::numberWithTotal(strDiscNumber, text(total));
    const QString pictureKey = dicMap.value(QStringLiteral("AlbumImg")).toString();
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
