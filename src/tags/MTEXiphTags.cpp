#include "tags/MTEXiphTags.h"

#include "tags/MTEAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <algorithm>

#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

QStringList fieldValues(const TagLib::Ogg::XiphComment* comment, const QString& name) {
    const auto& map = comment->fieldListMap();
    const auto found = map.find(MTETagText::toTagString(name));
    return found == map.end() ? QStringList() : MTETagText::toQStringList(found->second);
}

QString firstField(const TagLib::Ogg::XiphComment* comment, const QString& name) {
    return fieldValues(comment, name).value(0);
}

// The number of a field with its total, which Vorbis comments keep in a field of its own.
QString numberField(const TagLib::Ogg::XiphComment* comment, const QString& field) {
    QString text = firstField(comment, MTETagKeyMap::xiphFieldNames(field).value(0));
    for (const QString& total : MTETagKeyMap::totalNames(field))
        text = MTETagText::numberWithTotal(text, firstField(comment, total));
    return text;
}

// Repeated fields are several values of one field.
QStringList readField(const TagLib::Ogg::XiphComment* comment, const QString& logicalName) {
    if (!MTETagKeyMap::totalNames(logicalName).isEmpty()) {
        const QString number = numberField(comment, logicalName);
        return number.isEmpty() ? QStringList() : QStringList{number};
    }
    for (const QString& field : MTETagKeyMap::xiphFieldNames(logicalName)) {
        QStringList values = fieldValues(comment, field);
        values.removeAll(QString());
        if (!values.isEmpty())
            return values;
    }
    return {};
}

void readFields(const TagLib::Ogg::XiphComment* comment, MTEAudioFile& handler) {
    if (!comment)
        return;
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QStringList values = readField(comment, it.key());
        if (!values.isEmpty())
            handler.storeValues(it.value().toString(), values);
    }
    for (const auto& [name, values] : comment->fieldListMap())
        handler.adoptOtherSpelling(MTETagText::toQString(name),
                                   MTETagText::joinedValues(MTETagText::toQStringList(values)));
    handler.strDiscNumber = numberField(comment, MTETagKeyMap::discField());
}

// FLAC files and Ogg comments hold pictures alike.
void removeAllPictures(TagLib::FLAC::File& file) {
    file.removePictures();
}

void removeAllPictures(TagLib::Ogg::XiphComment& comment) {
    comment.removeAllPictures();
}

// The front cover when one decodes, else the first picture that decodes; its type goes to
// the handler.
template <class PictureOwner> QByteArray readCover(PictureOwner& owner, MTEAudioFile& handler) {
    const TagLib::FLAC::Picture* chosen = nullptr;
    QByteArray chosenCover;
    for (const TagLib::FLAC::Picture* picture : owner.pictureList()) {
        const QByteArray cover = MTETagText::coverBytes(picture->data());
        if (cover.isNull() || (chosen && picture->type() != TagLib::FLAC::Picture::FrontCover))
            continue;
        chosen = picture;
        chosenCover = cover;
        if (picture->type() == TagLib::FLAC::Picture::FrontCover)
            break;
    }
    if (chosen)
        handler.iPictureType = int(chosen->type());
    return chosenCover;
}

// "n/total" as the number and a total of its own, as Vorbis comments keep them.
void writeNumber(TagLib::Ogg::XiphComment* comment, const QString& logicalName,
                 const QString& text) {
    const TagLib::String numberField =
        MTETagText::toTagString(MTETagKeyMap::xiphFieldNames(logicalName).value(0));
    const TagLib::String totalField =
        MTETagText::toTagString(MTETagKeyMap::totalNames(logicalName).value(0));
    comment->removeFields(numberField);
    comment->removeFields(totalField);
    const QString number = text.section(u'/', 0, 0).trimmed();
    const QString total = text.section(u'/', 1, 1).trimmed();
    if (number.isEmpty())
        return;
    comment->addField(numberField, MTETagText::toTagString(number));
    if (total.toInt() > 0)
        comment->addField(totalField, MTETagText::toTagString(total));
}

// Writes the field under its first name; its other names are stale spellings when the field
// changed, and stay as ffmpeg copied them when it did not.
void writeField(TagLib::Ogg::XiphComment* comment, const QString& logicalName,
                const QVariant& value) {
    if (!MTETagKeyMap::totalNames(logicalName).isEmpty()) {
        writeNumber(comment, logicalName, MTETagText::textOf(value));
        return;
    }
    const QStringList fields = MTETagKeyMap::xiphFieldNames(logicalName);
    if (fields.isEmpty())
        return;
    const TagLib::String field = MTETagText::toTagString(fields.front());
    comment->removeFields(field);
    const QStringList values = MTETagText::valuesOf(value);
    for (const QString& text : values)
        comment->addField(field, MTETagText::toTagString(text), false);
    // ffmpeg's copy spells some fields by another of their names ("DESCRIPTION" for the
    // comment): one that holds nothing but what was just written is the same field again.
    const TagLib::Ogg::FieldListMap present = comment->fieldListMap();
    for (const QString& other : fields.mid(1)) {
        const auto it = present.find(MTETagText::toTagString(other.toUpper()));
        if (it != present.end() && !values.isEmpty() &&
            std::all_of(it->second.begin(), it->second.end(), [&values](const TagLib::String& v) {
                return values.contains(MTETagText::toQString(v));
            }))
            comment->removeFields(it->first);
    }
}

template <class PictureOwner>
bool writeCover(PictureOwner& owner, const QVariantMap& tags, const QString& pictureKey,
                int pictureType, const QString& path) {
    const bool wantsNone =
        !tags.contains(pictureKey) || MTETagText::isNoPictureMarker(tags.value(pictureKey));
    if (wantsNone) {
        removeAllPictures(owner);
        return true;
    }
    const MTETagText::CoverPicture cover =
        MTETagText::coverPictureOfValue(tags.value(pictureKey), path);
    if (cover.isLeftOut()) {
        MTETagText::logLeftOutCover(cover, path, !owner.pictureList().isEmpty());
        return false;
    }
    auto picture = std::make_unique<TagLib::FLAC::Picture>();
    picture->setType(TagLib::FLAC::Picture::Type(pictureType));
    picture->setMimeType(cover.mimeType());
    picture->setWidth(cover.size.width());
    picture->setHeight(cover.size.height());
    picture->setColorDepth(cover.depth);
    picture->setData(cover.bytes);
    removeAllPictures(owner);
    owner.addPicture(picture.release());
    return true;
}

template <class Unwanted>
void removeFieldsWhere(TagLib::Ogg::XiphComment* comment, Unwanted unwanted) {
    for (const TagLib::String& name : MTETagText::namesWhere(comment->fieldListMap(), unwanted))
        comment->removeFields(name);
}

// The fields of the comment from the handler's tags; the pictures go to their owner.
template <class PictureOwner>
bool writeComment(TagLib::Ogg::XiphComment* comment, PictureOwner& pictures,
                  const MTEAudioFile& handler, const QString& path) {
    const QVariantMap& tags = handler.dicReadInfo;
    const QVariantMap& dicMap = handler.dicMap;
    removeFieldsWhere(comment, [&](const QString& name) {
        return handler.isStaleSpelling(name, fieldValues(comment, name));
    });
    for (auto it = dicMap.cbegin(); it != dicMap.cend(); ++it) {
        const QString key = it.value().toString();
        if (tags.contains(key))
            writeField(comment, it.key(), tags.value(key));
    }
    if (handler.bRemovesEncoderEntries)
        removeFieldsWhere(comment, MTETagText::isEncoderEntryName);
    MTETagProperties::write(comment, handler);
    return writeCover(pictures, tags, handler.keyOf(QStringLiteral("AlbumImg")),
                      handler.iPictureType, path);
}

void readComment(const TagLib::Ogg::XiphComment* comment, const QByteArray& cover,
                 MTEAudioFile& handler) {
    readFields(comment, handler);
    const QString pictureKey = handler.keyOf(QStringLiteral("AlbumImg"));
    if (!pictureKey.isEmpty() && !cover.isNull())
        handler.dicReadInfo.insert(pictureKey, cover);
    handler.eumID3Version = MTEID3VersionNone;
    handler.strTagVersion = QStringLiteral("Vorbis Comment");
    QSet<QString> texts;
    for (const auto& [name, values] :
         comment ? comment->fieldListMap() : TagLib::Ogg::FieldListMap()) {
        for (const TagLib::String& value : values)
            texts.insert(MTETagText::toQString(value).trimmed());
    }
    handler.takeWhatTagLibMissed(texts);
}

template <class OggFile> bool readOggFile(MTEAudioFile& handler) {
    OggFile file(MTETagText::fileName(handler.strFilePath).constData(), true,
                 TagLib::AudioProperties::Average);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a readable Ogg file: %s", qPrintable(handler.strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        handler.dAudioLength = properties->lengthInSeconds();
    if (TagLib::Ogg::XiphComment* comment = file.tag())
        readComment(comment, readCover(*comment, handler), handler);
    return true;
}

template <class OggFile>
MTETagWriteResult writeOggFile(const QString& path, const MTEAudioFile& handler) {
    OggFile file(MTETagText::fileName(path).constData(), false);
    TagLib::Ogg::XiphComment* comment = file.isValid() ? file.tag() : nullptr;
    if (!comment) {
        qCWarning(lcTags, "not a writable Ogg file: %s", qPrintable(path));
        return MTETagWriteResult::Failed;
    }
    const bool coverWritten = writeComment(comment, *comment, handler, path);
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the tags of %s", qPrintable(path));
    return tagWriteResultOf(saved, coverWritten);
}

MTETagWriteResult writeFlacFile(const QString& path, const MTEAudioFile& handler) {
    TagLib::FLAC::File file(MTETagText::fileName(path).constData(), false);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a writable FLAC file: %s", qPrintable(path));
        return MTETagWriteResult::Failed;
    }
    const bool coverWritten = writeComment(file.xiphComment(true), file, handler, path);
    file.strip(TagLib::FLAC::File::ID3v1 | TagLib::FLAC::File::ID3v2);
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the tags of %s", qPrintable(path));
    return tagWriteResultOf(saved, coverWritten);
}

} // namespace

bool MTEXiphTags::hasTags(TagLib::FLAC::File& file) {
    const TagLib::Ogg::XiphComment* comment = file.xiphComment(false);
    return (comment && !comment->isEmpty()) || !file.pictureList().isEmpty();
}

void MTEXiphTags::readFlac(TagLib::FLAC::File& file, MTEAudioFile& handler) {
    readComment(file.xiphComment(false), readCover(file, handler), handler);
}

bool MTEXiphTags::readOgg(MTEAudioFile& handler, MTEContainer container) {
    return container == MTEContainer::OggOpus ? readOggFile<TagLib::Ogg::Opus::File>(handler)
                                              : readOggFile<TagLib::Ogg::Vorbis::File>(handler);
}

MTETagWriteResult MTEXiphTags::write(const QString& path, MTEContainer container,
                                     const MTEAudioFile& handler) {
    switch (container) {
    case MTEContainer::OggOpus:
        return writeOggFile<TagLib::Ogg::Opus::File>(path, handler);
    case MTEContainer::OggVorbis:
        return writeOggFile<TagLib::Ogg::Vorbis::File>(path, handler);
    default:
        return writeFlacFile(path, handler);
    }
}
