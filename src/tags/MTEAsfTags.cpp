#include "tags/MTEAsfTags.h"

#include "tags/MTEAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>
#include <taglib/tstringlist.h>

namespace {

const TagLib::String kPictureName("WM/Picture");
// The most an attribute of the extended content description holds; a bigger picture is
// stored where readers do not look for covers.
constexpr int kMaxPictureBytes = 65535 - 1024;

enum class Description { None, Title, Author, Copyright, Comment };

// The content description field an ASF name stands for.
Description descriptionOf(const QString& asfName) {
    if (asfName == QLatin1String("Title"))
        return Description::Title;
    if (asfName == QLatin1String("Author"))
        return Description::Author;
    if (asfName == QLatin1String("Copyright"))
        return Description::Copyright;
    if (asfName == QLatin1String("Description"))
        return Description::Comment;
    return Description::None;
}

TagLib::String descriptionText(const TagLib::ASF::Tag* tag, Description field) {
    switch (field) {
    case Description::Title:
        return tag->title();
    case Description::Author:
        return tag->artist();
    case Description::Copyright:
        return tag->copyright();
    case Description::Comment:
        return tag->comment();
    case Description::None:
        break;
    }
    return {};
}

void setDescriptionText(TagLib::ASF::Tag* tag, Description field, const TagLib::String& text) {
    switch (field) {
    case Description::Title:
        tag->setTitle(text);
        break;
    case Description::Author:
        tag->setArtist(text);
        break;
    case Description::Copyright:
        tag->setCopyright(text);
        break;
    case Description::Comment:
        tag->setComment(text);
        break;
    case Description::None:
        break;
    }
}

QString attributeText(const TagLib::ASF::Attribute& attribute) {
    switch (attribute.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
        return MTETagText::toQString(attribute.toString());
    case TagLib::ASF::Attribute::DWordType:
        return QString::number(attribute.toUInt());
    case TagLib::ASF::Attribute::QWordType:
        return QString::number(attribute.toULongLong());
    case TagLib::ASF::Attribute::WordType:
        return QString::number(attribute.toUShort());
    default:
        return {};
    }
}

QString attributeValues(const TagLib::ASF::Tag* tag, const QString& name) {
    const TagLib::String key = MTETagText::toTagString(name);
    if (!tag->contains(key))
        return {};
    QStringList values;
    for (const TagLib::ASF::Attribute& attribute : tag->attribute(key)) {
        if (const QString text = attributeText(attribute); !text.isEmpty())
            values += text;
    }
    return values.join(QStringLiteral(" / "));
}

QString readField(const TagLib::ASF::Tag* tag, const QString& asfName) {
    const Description field = descriptionOf(asfName);
    if (field != Description::None) {
        if (const QString text = MTETagText::toQString(descriptionText(tag, field));
            !text.isEmpty())
            return text;
    }
    return attributeValues(tag, asfName); // ffmpeg also writes "Author" and "Description"
}

QByteArray readCover(const TagLib::ASF::Tag* tag) {
    if (!tag->contains(kPictureName))
        return {};
    QByteArray firstDecodable;
    for (const TagLib::ASF::Attribute& attribute : tag->attribute(kPictureName)) {
        const TagLib::ASF::Picture picture = attribute.toPicture();
        const QByteArray cover =
            picture.isValid() ? MTETagText::coverBytes(picture.picture()) : QByteArray();
        if (cover.isNull())
            continue;
        if (picture.type() == TagLib::ASF::Picture::FrontCover)
            return cover;
        if (firstDecodable.isNull())
            firstDecodable = cover;
    }
    return firstDecodable;
}

// A JPEG of the cover small enough for the attribute: the picture is made smaller until it
// fits. Empty when the cover does not decode.
TagLib::ByteVector fittingJpeg(const QVariant& value) {
    QImage image = MTETagText::imageOfValue(value);
    while (!image.isNull()) {
        const TagLib::ByteVector jpeg = MTETagText::jpegBytesOfImage(image);
        if (int(jpeg.size()) <= kMaxPictureBytes)
            return jpeg;
        image = image.scaled(image.size() * 0.8, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return {};
}

bool writeCover(TagLib::ASF::Tag* tag, const QVariant& value, const QString& path) {
    if (MTETagText::isNoPictureMarker(value)) {
        tag->removeItem(kPictureName);
        return true;
    }
    MTETagText::CoverPicture cover = MTETagText::coverPictureOfValue(value, path);
    if (!cover.isLeftOut() && int(cover.bytes.size()) > kMaxPictureBytes) {
        cover.bytes = fittingJpeg(value);
        cover.format = cover.bytes.isEmpty() ? MTETagText::CoverPicture::Format::None
                                             : MTETagText::CoverPicture::Format::Jpeg;
        cover.reason = QStringLiteral("it is too big for a WMA file and does not decode");
    }
    if (cover.isLeftOut())
        return MTETagText::logLeftOutCover(cover, path, tag->contains(kPictureName));
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::FrontCover);
    picture.setMimeType(cover.mimeType());
    picture.setPicture(cover.bytes);
    tag->setAttribute(kPictureName, TagLib::ASF::Attribute(picture));
    return true;
}

void writeField(TagLib::ASF::Tag* tag, const QString& asfName, const QVariant& value) {
    const TagLib::String text = MTETagText::toTagString(value.toString());
    const Description field = descriptionOf(asfName);
    if (field != Description::None) {
        setDescriptionText(tag, field, MTETagText::hasText(value) ? text : TagLib::String());
        return;
    }
    const TagLib::String name = MTETagText::toTagString(asfName);
    if (MTETagText::hasText(value))
        tag->setAttribute(name, TagLib::ASF::Attribute(text));
    else
        tag->removeItem(name);
}

template <class Unwanted> void removeAttributesWhere(TagLib::ASF::Tag* tag, Unwanted unwanted) {
    TagLib::StringList names;
    for (const auto& [name, attributes] : tag->attributeListMap()) {
        if (unwanted(MTETagText::toQString(name)))
            names.append(name);
    }
    for (const TagLib::String& name : names)
        tag->removeItem(name);
}

} // namespace

bool MTEAsfTags::read(MTEAudioFile& handler) {
    TagLib::ASF::File file(MTETagText::fileName(handler.strFilePath).constData(), true,
                           TagLib::AudioProperties::Average);
    if (!file.isValid() || !file.tag()) {
        qCWarning(lcTags, "not a readable WMA file: %s", qPrintable(handler.strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        handler.dAudioLength = properties->lengthInSeconds();
    const TagLib::ASF::Tag* tag = file.tag();
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QString value = readField(tag, MTETagKeyMap::asfName(it.key()));
        if (!value.isEmpty() && it.key() != QLatin1String("AlbumImg"))
            handler.dicReadInfo.insert(it.value().toString(), value);
    }
    for (const auto& [name, attributes] : tag->attributeListMap()) {
        const QString text = attributeValues(tag, MTETagText::toQString(name));
        handler.adoptOtherSpelling(MTETagText::toQString(name), text);
    }
    const QString pictureKey = handler.dicMap.value(QStringLiteral("AlbumImg")).toString();
    if (const QByteArray cover = readCover(tag); !cover.isNull() && !pictureKey.isEmpty())
        handler.dicReadInfo.insert(pictureKey, cover);
    handler.eumID3Version = MTEID3VersionNone;
    handler.strTagVersion = QStringLiteral("ASF Attributes");
    return true;
}

bool MTEAsfTags::write(const QString& path, const MTEAudioFile& handler) {
    TagLib::ASF::File file(MTETagText::fileName(path).constData(), false);
    TagLib::ASF::Tag* tag = file.isValid() ? file.tag() : nullptr;
    if (!tag) {
        qCWarning(lcTags, "not a writable WMA file: %s", qPrintable(path));
        return false;
    }
    removeAttributesWhere(tag, [&](const QString& name) { return handler.isStaleSpelling(name); });
    bool coverWritten = true;
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QString key = it.value().toString();
        if (!handler.dicReadInfo.contains(key))
            continue;
        const QVariant value = handler.dicReadInfo.value(key);
        if (it.key() == QLatin1String("AlbumImg"))
            coverWritten = writeCover(tag, value, path);
        else if (MTETagText::isTextValue(value))
            writeField(tag, MTETagKeyMap::asfName(it.key()), value);
    }
    if (handler.bRemovesEncoderEntries)
        removeAttributesWhere(tag, MTETagText::isEncoderEntryName);
    MTETagProperties::addMissing(tag, handler.carriedProperties);
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the tags of %s", qPrintable(path));
    return saved && coverWritten;
}
