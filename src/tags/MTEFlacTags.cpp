#include "tags/MTEFlacTags.h"

#include "tags/MTEAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/xiphcomment.h>

#include <functional>

namespace {

constexpr const char* kTotalFields[] = {"TRACKTOTAL", "TOTALTRACKS"};

QString joinedValues(const TagLib::StringList& values) {
    return MTETagText::toQString(values.toString(" / "));
}

QString firstField(const TagLib::Ogg::XiphComment* comment, const char* name) {
    const auto& map = comment->fieldListMap();
    const auto found = map.find(name);
    return found == map.end() ? QString() : joinedValues(found->second);
}

QString readTrack(const TagLib::Ogg::XiphComment* comment) {
    QString track = firstField(comment, "TRACKNUMBER");
    if (track.isEmpty() || track.contains(u'/'))
        return track;
    for (const char* name : kTotalFields) {
        const QString total = firstField(comment, name);
        if (total.toInt() > 0)
            return track + u'/' + total;
    }
    return track;
}

QString readField(const TagLib::Ogg::XiphComment* comment, const QString& logicalName) {
    if (logicalName == QLatin1String("Track"))
        return readTrack(comment);
    for (const QString& field : MTETagKeyMap::xiphFieldNames(logicalName)) {
        const QString value = firstField(comment, field.toLatin1().constData());
        if (!value.isEmpty())
            return value;
    }
    return {};
}

void readComment(const TagLib::Ogg::XiphComment* comment, MTEAudioFile& handler) {
    if (!comment)
        return;
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QString value = readField(comment, it.key());
        if (!value.isEmpty())
            handler.dicReadInfo.insert(it.value().toString(), value);
    }
    for (const auto& [name, values] : comment->fieldListMap())
        handler.adoptOtherSpelling(MTETagText::toQString(name), joinedValues(values));
}

QByteArray readCover(TagLib::FLAC::File& file) {
    QByteArray firstDecodable;
    for (const TagLib::FLAC::Picture* picture : file.pictureList()) {
        const QByteArray cover = MTETagText::coverBytes(picture->data());
        if (cover.isNull())
            continue;
        if (picture->type() == TagLib::FLAC::Picture::FrontCover)
            return cover;
        if (firstDecodable.isNull())
            firstDecodable = cover;
    }
    return firstDecodable;
}

void writeTrack(TagLib::Ogg::XiphComment* comment, const QString& text) {
    comment->removeFields("TRACKNUMBER");
    comment->removeFields("TRACKTOTAL");
    const QString number = text.section(u'/', 0, 0).trimmed();
    const QString total = text.section(u'/', 1, 1).trimmed();
    if (number.isEmpty())
        return;
    comment->addField("TRACKNUMBER", MTETagText::toTagString(number));
    if (total.toInt() > 0)
        comment->addField("TRACKTOTAL", MTETagText::toTagString(total));
}

// Writes the field under its first name; its other names are stale spellings when the field
// changed, and stay as ffmpeg copied them when it did not.
void writeField(TagLib::Ogg::XiphComment* comment, const QString& logicalName,
                const QVariant& value) {
    if (logicalName == QLatin1String("Track")) {
        writeTrack(comment, value.toString());
        return;
    }
    const QStringList fields = MTETagKeyMap::xiphFieldNames(logicalName);
    if (fields.isEmpty())
        return;
    comment->removeFields(MTETagText::toTagString(fields.front()));
    if (MTETagText::hasText(value))
        comment->addField(MTETagText::toTagString(fields.front()),
                          MTETagText::toTagString(value.toString()));
}

bool writeCover(TagLib::FLAC::File& file, const QVariantMap& tags, const QString& pictureKey,
                const QString& path) {
    const bool wantsNone =
        !tags.contains(pictureKey) || MTETagText::isNoPictureMarker(tags.value(pictureKey));
    if (wantsNone) {
        file.removePictures();
        return true;
    }
    const MTETagText::CoverPicture cover =
        MTETagText::coverPictureOfValue(tags.value(pictureKey), path);
    if (cover.isLeftOut())
        return MTETagText::logLeftOutCover(cover, path, !file.pictureList().isEmpty());
    auto picture = std::make_unique<TagLib::FLAC::Picture>();
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(cover.mimeType());
    picture->setWidth(cover.size.width());
    picture->setHeight(cover.size.height());
    picture->setColorDepth(cover.depth);
    picture->setData(cover.bytes);
    file.removePictures();
    file.addPicture(picture.release());
    return true;
}

void removeFieldsWhere(TagLib::Ogg::XiphComment* comment,
                       const std::function<bool(const QString&)>& unwanted) {
    TagLib::StringList names;
    for (const auto& [name, values] : comment->fieldListMap()) {
        if (unwanted(MTETagText::toQString(name)))
            names.append(name);
    }
    for (const TagLib::String& name : names)
        comment->removeFields(name);
}

} // namespace

bool MTEFlacTags::hasTags(TagLib::FLAC::File& file) {
    const TagLib::Ogg::XiphComment* comment = file.xiphComment(false);
    return (comment && !comment->isEmpty()) || !file.pictureList().isEmpty();
}

void MTEFlacTags::read(TagLib::FLAC::File& file, MTEAudioFile& handler) {
    readComment(file.xiphComment(false), handler);
    const QString pictureKey = handler.dicMap.value(QStringLiteral("AlbumImg")).toString();
    const QByteArray cover = readCover(file);
    if (!pictureKey.isEmpty() && !cover.isNull())
        handler.dicReadInfo.insert(pictureKey, cover);
    handler.eumID3Version = MTEID3VersionNone;
    handler.strTagVersion = QStringLiteral("Vorbis Comment");
}

bool MTEFlacTags::write(const QString& path, const MTEAudioFile& handler) {
    const QVariantMap& tags = handler.dicReadInfo;
    const QVariantMap& dicMap = handler.dicMap;
    TagLib::FLAC::File file(MTETagText::fileName(path).constData(), false);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a writable FLAC file: %s", qPrintable(path));
        return false;
    }
    TagLib::Ogg::XiphComment* comment = file.xiphComment(true);
    removeFieldsWhere(comment, [&](const QString& name) { return handler.isStaleSpelling(name); });
    for (auto it = dicMap.cbegin(); it != dicMap.cend(); ++it) {
        const QString key = it.value().toString();
        if (tags.contains(key))
            writeField(comment, it.key(), tags.value(key));
    }
    if (handler.bRemovesEncoderEntries)
        removeFieldsWhere(comment, MTETagText::isEncoderEntryName);
    const bool coverWritten =
        writeCover(file, tags, dicMap.value(QStringLiteral("AlbumImg")).toString(), path);
    file.strip(TagLib::FLAC::File::ID3v1 | TagLib::FLAC::File::ID3v2);
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the tags of %s", qPrintable(path));
    return saved && coverWritten;
}
