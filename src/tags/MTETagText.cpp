#include "tags/MTETagText.h"

#include "tags/MTECoverCache.h"
#include "tags/MTECoverDecoder.h"
#include "util/GlobalFun.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

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
    return encoderEntryNames().contains(name.section(u':', -1), Qt::CaseInsensitive);
}

bool MTETagText::isTextValue(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::QString:
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
    return isTextValue(value) && !value.toString().isEmpty();
}
