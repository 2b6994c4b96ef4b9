#pragma once

#include <QByteArray>
#include <QImage>
#include <QLoggingCategory>
#include <QString>
#include <QVariant>

#include <taglib/tbytevector.h>
#include <taglib/tstring.h>

Q_DECLARE_LOGGING_CATEGORY(lcTags)

// Conversions between Qt and TagLib values shared by the tag handlers.
class MTETagText {
public:
    static QString toQString(const TagLib::String& text);
    static TagLib::String toTagString(const QString& text);
    // The path in the form the file system takes (TagLib and FFmpeg want bytes).
    static QByteArray fileName(const QString& path);

    // A cover value: a QImage, or encoded image bytes. Null for anything else, including the
    // "no picture" marker.
    static QImage imageOfValue(const QVariant& value);
    // The "no picture" marker stored under a cover key: an empty QVariant.
    static QVariant noPictureMarker() { return {}; }
    static bool isNoPictureMarker(const QVariant& value);
    // JPEG bytes of the cover value; empty when it is no image or cannot be encoded.
    static TagLib::ByteVector jpegBytesOfValue(const QVariant& value);
    static QImage imageFromBytes(const TagLib::ByteVector& bytes);

    // A value that stands for text: a string, a number, or nothing (the empty text).
    static bool isTextValue(const QVariant& value);
    // A text value with at least one character.
    static bool hasText(const QVariant& value);
};
