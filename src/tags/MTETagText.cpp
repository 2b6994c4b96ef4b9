#include "tags/MTETagText.h"

#include "util/GlobalFun.h"

#include <QFile>

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
        return QImage::fromData(value.toByteArray());
    return {};
}

bool MTETagText::isNoPictureMarker(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

TagLib::ByteVector MTETagText::jpegBytesOfValue(const QVariant& value) {
    const QImage image = imageOfValue(value);
    if (image.isNull())
        return {};
    const QByteArray jpeg = GlobalFun::imageDataRepresentationOfType(image, QStringLiteral("jpeg"));
    return TagLib::ByteVector(jpeg.constData(), static_cast<unsigned int>(jpeg.size()));
}

QImage MTETagText::imageFromBytes(const TagLib::ByteVector& bytes) {
    if (bytes.isEmpty() || bytes.size() > unsigned(std::numeric_limits<int>::max()))
        return {};
    return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()));
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
