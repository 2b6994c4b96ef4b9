#include "tags/MTEAsfTags.h"

#include "tags/MTEAsfHeader.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <QColorSpace>
#include <QHash>
#include <QSet>

#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>
#include <taglib/tstringlist.h>

namespace {

const TagLib::String kPictureName =
    MTETagText::toTagString(MTETagKeyMap::asfName(QStringLiteral("AlbumImg")));
// The most an attribute of the extended content description holds; a bigger picture is
// stored where readers do not look for covers.
constexpr int kMaxPictureBytes = 65535 - 1024;

using Description = MTETagKeyMap::AsfDescription;

Description descriptionOf(const QString& asfName) {
    return MTETagKeyMap::asfDescriptionOf(asfName);
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

// The texts of the attributes by name in lower case (names in any letter case are one field),
// each text once, in the order of the list.
QHash<QString, QStringList> attributeValuesByName(const TagLib::ASF::AttributeListMap& attributes) {
    QHash<QString, QStringList> values;
    QHash<QString, QSet<QString>> seen;
    for (const auto& [name, list] : attributes) {
        const QString key = MTETagText::toQString(name).toLower();
        QStringList& texts = values[key];
        QSet<QString>& known = seen[key];
        for (const TagLib::ASF::Attribute& attribute : list) {
            if (const QString text = attributeText(attribute);
                !text.isEmpty() && !known.contains(text)) {
                texts += text;
                known.insert(text);
            }
        }
    }
    return values;
}

// Repeated attributes are several values of one field; a content description field's text
// comes first, and writers keep its further values (ffmpeg a copy) in attributes of its name.
QStringList readField(const TagLib::ASF::Tag* tag, const QHash<QString, QStringList>& attributes,
                      const QString& asfName) {
    QStringList values;
    if (const Description field = descriptionOf(asfName); field != Description::None) {
        if (const QString text = MTETagText::toQString(descriptionText(tag, field));
            !text.isEmpty())
            values += text;
    }
    for (const QString& text : attributes.value(asfName.toLower())) {
        if (!values.contains(text))
            values += text;
    }
    return values;
}

// The attributes in the order of the file: each list led by the values of the extended content
// description, which TagLib lists after those of the metadata library.
void putInFileOrder(TagLib::ASF::AttributeList& list, const QStringList& described) {
    TagLib::ASF::AttributeList ordered;
    TagLib::ASF::AttributeList rest = list;
    for (const QString& text : described) {
        const auto found = std::find_if(rest.begin(), rest.end(), [&text](const auto& attribute) {
            return attribute.type() == TagLib::ASF::Attribute::UnicodeType &&
                   MTETagText::toQString(attribute.toString()) == text;
        });
        if (found != rest.end()) {
            ordered.append(*found);
            rest.erase(found);
        }
    }
    list = ordered.append(rest);
}

// The front cover when one decodes, else the first picture that decodes.
QByteArray readCover(const TagLib::ASF::Tag* tag, MTEAudioFile& handler) {
    if (!tag->contains(kPictureName))
        return {};
    QByteArray chosen;
    for (const TagLib::ASF::Attribute& attribute : tag->attribute(kPictureName)) {
        const TagLib::ASF::Picture picture = attribute.toPicture();
        const QByteArray cover =
            picture.isValid() ? MTETagText::coverBytes(picture.picture()) : QByteArray();
        const bool front = picture.type() == TagLib::ASF::Picture::FrontCover;
        if (cover.isNull() || (!chosen.isNull() && !front))
            continue;
        chosen = cover;
        handler.iPictureType = int(picture.type());
        if (front)
            break;
    }
    return chosen;
}

// The pixels alone, in sRGB: a JPEG carries the picture's texts (PNG text chunks, XMP
// packets) and colour profile in markers of their own, which can outweigh the pixels.
QImage pixelsOnly(const QImage& image) {
    QImage pixels = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                  : QImage::Format_RGB32);
    if (pixels.colorSpace().isValid() && pixels.colorSpace() != QColorSpace::SRgb)
        pixels.convertToColorSpace(QColorSpace::SRgb);
    // Built over the bits, the copy has neither texts nor colour space; sRGB is what a
    // picture without profile is taken to be.
    return QImage(pixels.constBits(), pixels.width(), pixels.height(), pixels.bytesPerLine(),
                  pixels.format())
        .copy();
}

// A JPEG of the picture small enough for the attribute: the pixels alone, made smaller
// while that still shrinks them until they fit. Empty when none fits.
TagLib::ByteVector fittingJpeg(const QImage& picture) {
    QImage image = pixelsOnly(picture);
    while (!image.isNull()) {
        const TagLib::ByteVector jpeg = MTETagText::jpegBytesOfImage(image);
        if (!jpeg.isEmpty() && int(jpeg.size()) <= kMaxPictureBytes)
            return jpeg;
        const QImage smaller =
            image.scaled(image.size() * 0.8, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (smaller.width() >= image.width() && smaller.height() >= image.height())
            break;
        image = smaller;
    }
    return {};
}

bool writeCover(TagLib::ASF::Tag* tag, const QVariant& value, int pictureType,
                const QString& path) {
    if (MTETagText::isNoPictureMarker(value)) {
        tag->removeItem(kPictureName);
        return true;
    }
    MTETagText::CoverPicture cover = MTETagText::coverPictureOfValue(value, path);
    if (!cover.isLeftOut() && int(cover.bytes.size()) > kMaxPictureBytes) {
        const QImage image = MTETagText::imageOfValue(value);
        cover.bytes = fittingJpeg(image);
        if (cover.bytes.isEmpty()) {
            qCWarning(lcTags, "cover of \"%s\" left out: %s; %s", qPrintable(path),
                      image.isNull() ? "it is too big for a WMA file and does not decode"
                                     : "no JPEG of it fits the 64 KB a WMA file holds for a "
                                       "cover, at any size",
                      tag->contains(kPictureName) ? "the file keeps the picture it had"
                                                  : "the file has no cover");
            return false;
        }
        cover.format = MTETagText::CoverPicture::Format::Jpeg;
    }
    if (cover.isLeftOut()) {
        MTETagText::logLeftOutCover(cover, path, tag->contains(kPictureName));
        return false;
    }
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::Type(pictureType));
    picture.setMimeType(cover.mimeType());
    picture.setPicture(cover.bytes);
    tag->setAttribute(kPictureName, TagLib::ASF::Attribute(picture));
    return true;
}

template <class Unwanted> void removeAttributesWhere(TagLib::ASF::Tag* tag, Unwanted unwanted) {
    for (const TagLib::String& name : MTETagText::namesWhere(tag->attributeListMap(), unwanted))
        tag->removeItem(name);
}

// Several values become repeated attributes; a content description field holds one text,
// and a text too long for it goes whole into the attribute of the field's name.
void writeField(TagLib::ASF::Tag* tag, const QString& asfName, const QVariant& value,
                const QString& path) {
    const Description field = descriptionOf(asfName);
    const QString text = MTETagText::textOf(value);
    if (field != Description::None) {
        // ffmpeg's copy keeps the field in an attribute of its name too, which readers show
        // in place of the content description.
        removeAttributesWhere(tag, [&asfName](const QString& name) {
            return name.compare(asfName, Qt::CaseInsensitive) == 0;
        });
    }
    if (field != Description::None && text.size() <= MTEAsfTags::kMaxTextLength) {
        setDescriptionText(tag, field, MTETagText::toTagString(text));
        return;
    }
    if (field != Description::None) {
        setDescriptionText(tag, field, TagLib::String());
        qCInfo(lcTags,
               "\"%s\" of \"%s\" is %lld characters long, more than a WMA content description "
               "holds: written whole as an attribute",
               qPrintable(asfName), qPrintable(path), static_cast<long long>(text.size()));
    }
    const TagLib::String name = MTETagText::toTagString(asfName);
    TagLib::ASF::AttributeList attributes;
    for (const QString& text : MTETagText::valuesOf(value))
        attributes.append(TagLib::ASF::Attribute(MTETagText::toTagString(text)));
    if (attributes.isEmpty())
        tag->removeItem(name);
    else
        tag->setAttribute(name, attributes);
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
    const TagLib::ASF::AttributeListMap attributes =
        attributesInFileOrder(tag, handler.strFilePath);
    const QHash<QString, QStringList> values = attributeValuesByName(attributes);
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QStringList fieldValues = readField(tag, values, MTETagKeyMap::asfName(it.key()));
        if (!fieldValues.isEmpty() && it.key() != QLatin1String("AlbumImg"))
            handler.storeValues(it.value().toString(), fieldValues);
    }
    for (const auto& [name, list] : attributes) {
        const QString attributeName = MTETagText::toQString(name);
        handler.adoptOtherSpelling(attributeName,
                                   MTETagText::joinedValues(values.value(attributeName.toLower())));
    }
    const QString disc = MTETagKeyMap::discField();
    handler.strDiscNumber = MTETagText::numberWithTotal(
        values.value(MTETagKeyMap::asfName(disc).toLower()).value(0),
        values.value(MTETagKeyMap::totalNames(disc).value(0).toLower()).value(0));
    const QString pictureKey = handler.keyOf(QStringLiteral("AlbumImg"));
    if (const QByteArray cover = readCover(tag, handler); !cover.isNull() && !pictureKey.isEmpty())
        handler.dicReadInfo.insert(pictureKey, cover);
    handler.eumID3Version = MTEID3VersionNone;
    handler.strTagVersion = QStringLiteral("ASF Attributes");
    return true;
}

TagLib::ASF::AttributeListMap MTEAsfTags::attributesInFileOrder(const TagLib::ASF::Tag* tag,
                                                                const QString& path) {
    TagLib::ASF::AttributeListMap attributes = tag->attributeListMap();
    QHash<QString, QStringList> described;
    bool headerRead = false;
    for (auto& [name, list] : attributes) {
        if (list.size() < 2)
            continue;
        if (!headerRead) {
            described = MTEAsfHeader::extendedContentTexts(path);
            headerRead = true;
        }
        putInFileOrder(list, described.value(MTETagText::toQString(name).toLower()));
    }
    return attributes;
}

MTETagWriteResult MTEAsfTags::write(const QString& path, const MTEAudioFile& handler) {
    TagLib::ASF::File file(MTETagText::fileName(path).constData(), false);
    TagLib::ASF::Tag* tag = file.isValid() ? file.tag() : nullptr;
    if (!tag) {
        qCWarning(lcTags, "not a writable WMA file: %s", qPrintable(path));
        return MTETagWriteResult::Failed;
    }
    removeAttributesWhere(tag, [&](const QString& name) {
        QStringList texts;
        for (const TagLib::ASF::Attribute& attribute :
             tag->attribute(MTETagText::toTagString(name)))
            texts += attributeText(attribute);
        return handler.isStaleSpelling(name, texts);
    });
    bool coverWritten = true;
    for (auto it = handler.dicMap.cbegin(); it != handler.dicMap.cend(); ++it) {
        const QString key = it.value().toString();
        if (!handler.dicReadInfo.contains(key))
            continue;
        const QVariant value = handler.dicReadInfo.value(key);
        if (it.key() == QLatin1String("AlbumImg"))
            coverWritten = writeCover(tag, value, handler.iPictureType, path);
        else if (MTETagText::isTextValue(value))
            writeField(tag, MTETagKeyMap::asfName(it.key()), value, path);
    }
    if (handler.bRemovesEncoderEntries)
        removeAttributesWhere(tag, MTETagText::isEncoderEntryName);
    MTETagProperties::write(tag, handler);
    if (handler.strDiscNumber.contains(u'/')) { // the disc with its total, as it was read
        const QString disc = MTETagKeyMap::discField();
        tag->removeItem(MTETagText::toTagString(MTETagKeyMap::totalNames(disc).value(0)));
        tag->setAttribute(MTETagText::toTagString(MTETagKeyMap::asfName(disc)),
                          MTETagText::toTagString(handler.strDiscNumber));
    }
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the tags of %s", qPrintable(path));
    return tagWriteResultOf(saved, coverWritten);
}
