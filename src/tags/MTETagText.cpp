#include "tags/MTETagText.h"

#include "tags/MTECoverCache.h"
#include "tags/MTECoverDecoder.h"
#include "tags/MTETagKeyMap.h"
#include "util/GlobalFun.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSet>

#include <algorithm>
#include <limits>

Q_LOGGING_CATEGORY(lcTags, "quaverly.tags", QtInfoMsg)

QString MTETagText::toQString(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true));
}

TagLib::String MTETagText::toTagString(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QByteArray MTETagText::fileName(const QString& path) {
    return QFile::encodeName(path);
}

QImage MTETagText::imageOfValue(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.metaType().id() == QMetaType::QByteArray)
        return MTECoverDecoder::decodeBytes(value.toByteArray()).image;
    return {};
}

bool MTETagText::isNoPictureMarker(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

TagLib::ByteVector MTETagText::jpegBytesOfValue(const QVariant& value) {
    return jpegBytesOfImage(imageOfValue(value));
}

TagLib::ByteVector MTETagText::jpegBytesOfImage(const QImage& image) {
    if (image.isNull())
        return {};
    const QByteArray jpeg = GlobalFun::imageDataRepresentationOfType(image, QStringLiteral("jpeg"));
    return TagLib::ByteVector(jpeg.constData(), static_cast<unsigned int>(jpeg.size()));
}

namespace {

using CoverPicture = MTETagText::CoverPicture;

CoverPicture::Format formatOfSignature(const QByteArray& bytes) {
    if (bytes.startsWith(QByteArrayLiteral("\xFF\xD8\xFF")))
        return CoverPicture::Format::Jpeg;
    if (bytes.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1A\n")))
        return CoverPicture::Format::Png;
    return CoverPicture::Format::None;
}

CoverPicture reencodedPicture(const QImage& image) {
    CoverPicture picture;
    picture.bytes = MTETagText::jpegBytesOfImage(image);
    if (picture.bytes.isEmpty())
        return picture;
    picture.format = CoverPicture::Format::Jpeg;
    picture.reencoded = true;
    picture.size = image.size();
    picture.depth = 24;
    return picture;
}

// The picture's own bytes, with the size and depth its header gives; left out unless it is
// a JPEG or PNG.
CoverPicture originalPicture(const QByteArray& bytes) {
    CoverPicture picture;
    picture.format = formatOfSignature(bytes);
    if (picture.isLeftOut())
        return picture;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (reader.size().isValid())
        picture.size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (format != QImage::Format_Invalid)
        picture.depth = int(QImage::toPixelFormat(format).bitsPerPixel());
    picture.bytes = TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
    return picture;
}

// Re-encoded when the bytes decode within the cover budget, else as they are.
CoverPicture pictureOfBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const MTECoverDecoder::Result decoded = MTECoverDecoder::decode(reader);
    CoverPicture picture = reencodedPicture(decoded.image);
    if (!picture.isLeftOut())
        return picture;
    picture = originalPicture(bytes);
    picture.reason =
        decoded.image.isNull() ? decoded.error : QStringLiteral("it could not be encoded as JPEG");
    return picture;
}

} // namespace

MTETagText::CoverPicture MTETagText::coverPictureOfValue(const QVariant& value,
                                                         const QString& path) {
    CoverPicture picture;
    if (value.metaType().id() == QMetaType::QByteArray) {
        picture = pictureOfBytes(value.toByteArray());
    } else if (value.metaType().id() == QMetaType::QImage && !value.value<QImage>().isNull()) {
        picture = reencodedPicture(value.value<QImage>());
        if (picture.isLeftOut())
            picture.reason = QStringLiteral("it could not be encoded as JPEG");
    } else {
        picture.reason = QStringLiteral("it is no picture");
    }
    if (!picture.isLeftOut() && !picture.reencoded)
        qCInfo(lcTags,
               "cover of \"%s\" written as its original %s bytes, not re-encoded as JPEG: %s",
               qPrintable(path), picture.format == CoverPicture::Format::Png ? "PNG" : "JPEG",
               qPrintable(picture.reason));
    return picture;
}

void MTETagText::logLeftOutCover(const CoverPicture& cover, const QString& path,
                                 bool fileKeepsPicture) {
    qCWarning(lcTags,
              "cover of \"%s\" left out: %s, and only a JPEG or PNG picture can be written as it "
              "is; %s",
              qPrintable(path), qPrintable(cover.reason),
              fileKeepsPicture ? "the file keeps the picture it had" : "the file has no cover");
}

QByteArray MTETagText::coverBytes(const TagLib::ByteVector& bytes) {
    if (bytes.isEmpty() || bytes.size() > unsigned(std::numeric_limits<int>::max()))
        return {};
    return coverBytes(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

QByteArray MTETagText::coverBytes(const QByteArray& bytes) {
    if (bytes.isEmpty() || !isDecodableImage(bytes))
        return {};
    return MTECoverCache::sharedCover(bytes);
}

bool MTETagText::isDecodableImage(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return false;
    if (!reader.supportsOption(QImageIOHandler::Size))
        return !MTECoverDecoder::decode(reader).image.isNull(); // decode once, keep nothing
    const QSize size = reader.size();
    return size.isValid() && !size.isEmpty();
}

const QStringList& MTETagText::encoderEntryNames() {
    static const QStringList names{
        QStringLiteral("iTunSMPB"),      QStringLiteral("iTunPGAP"),
        QStringLiteral("iTunNORM"),      QStringLiteral("major_brand"),
        QStringLiteral("minor_version"), QStringLiteral("compatible_brands")};
    return names;
}

bool MTETagText::isEncoderEntryName(const QString& name) {
    const QString bare = MTETagKeyMap::bareName(name);
    // ffmpeg reads a WMA's encoder settings as its "encoder", which every output replaces:
    // only a tag copy could carry them.
    return encoderEntryNames().contains(bare, Qt::CaseInsensitive) ||
           bare.compare(QLatin1String("WM/EncodingSettings"), Qt::CaseInsensitive) == 0;
}

bool MTETagText::isTextValue(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::QString:
    case QMetaType::QStringList:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool MTETagText::hasText(const QVariant& value) {
    return isTextValue(value) && !textOf(value).isEmpty();
}

QStringList MTETagText::valuesOf(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList();
    const QString text = value.toString();
    return text.isEmpty() ? QStringList() : QStringList{text};
}

QString MTETagText::textOf(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QStringList)
        return joinedValues(value.toStringList());
    return value.toString();
}

QString MTETagText::numberWithTotal(const QString& number, const QString& total) {
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(u'/') || total.trimmed().toInt() <= 0)
        return number;
    return trimmed + u'/' + total.trimmed();
}

QString MTETagText::joinedValues(const QStringList& values) {
    return values.join(QStringLiteral("; "));
}

bool MTETagText::holdsOnly(const QStringList& fieldValues, const QStringList& entryValues) {
    QSet<QString> held;
    for (const QString& value : fieldValues) {
        for (const QString& part : value.split(u';'))
            held.insert(part.trimmed());
    }
    return !entryValues.isEmpty() &&
           std::all_of(entryValues.begin(), entryValues.end(), [&held](const QString& value) {
               const QStringList parts = value.split(u';');
               return std::all_of(parts.begin(), parts.end(), [&held](const QString& part) {
                   return held.contains(part.trimmed());
               });
           });
}

QStringList MTETagText::toQStringList(const TagLib::StringList& values) {
    QStringList list;
    for (const TagLib::String& value : values)
        list += toQString(value);
    return list;
}

TagLib::StringList MTETagText::toTagStringList(const QStringList& values) {
    TagLib::StringList list;
    for (const QString& value : values)
        list.append(toTagString(value));
    return list;
}
