#pragma once

#include "support/MediaFixtures.h"
#include "support/TestEnvironment.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QtEndian>

#include <utility>
#include <vector>

// Tag values and files shared by the tag tests.
namespace TagTestData {

inline QString longLyrics() {
    QString lyrics;
    for (int line = 0; lyrics.size() < 6000; ++line)
        lyrics += QStringLiteral("[%1] Lyrics line ünïcödé 歌词 🎶 number %1\n").arg(line);
    return lyrics;
}

// Logical name and text of every text tag, with accents, CJK and emoji.
inline std::vector<std::pair<QString, QString>> textTags() {
    return {
        {QStringLiteral("Title"), QStringLiteral("Café Ünïcode 漢字 🎵")},
        {QStringLiteral("Artist"), QStringLiteral("Björk & 坂本龍一")},
        {QStringLiteral("Album"), QStringLiteral("Album — Ωmega")},
        {QStringLiteral("AlbumArtist"), QStringLiteral("Various Ärtists")},
        {QStringLiteral("Date"), QStringLiteral("2024")},
        {QStringLiteral("Track"), QStringLiteral("5/12")},
        {QStringLiteral("Genre"), QStringLiteral("Electronic")},
        {QStringLiteral("Composer"), QStringLiteral("Compositor Ñandú")},
        {QStringLiteral("Publisher"), QStringLiteral("Label 株式会社")},
        {QStringLiteral("Copyright"), QStringLiteral("© 2024 Sømeone")},
        {QStringLiteral("Comment"), QStringLiteral("A comment ✓ with ümlaut")},
        {QStringLiteral("Grouping"), QStringLiteral("Grouping 群")},
        {QStringLiteral("LRC"), longLyrics()},
    };
}

// A picture with a pattern, so a broken encoding would not pass for a plain one.
inline QImage makeCover(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(30, 90, 200));
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(240, 200, 20));
    painter.fillRect(width / 2, height / 2, width / 2, height / 2, QColor(200, 20, 60));
    return image;
}

// A small baseline JPEG whose frame header claims the given size.
inline QByteArray jpegClaiming(quint16 width, quint16 height) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    makeCover(16, 16).save(&buffer, "JPEG");
    char* frame = jpeg.data() + jpeg.indexOf("\xFF\xC0"); // marker, length, precision, size
    qToBigEndian(height, frame + 5);
    qToBigEndian(width, frame + 7);
    return jpeg;
}

// The header of a 24-bit BMP of the given size, without its pixels.
inline QByteArray bmpClaiming(quint32 width, quint32 height) {
    QByteArray bmp = QByteArray::fromHex("424d00000000000000003600000028000000") +
                     QByteArray(8, '\0') + QByteArray::fromHex("01001800") + QByteArray(24, '\0');
    qToLittleEndian(width, bmp.data() + 18);
    qToLittleEndian(height, bmp.data() + 22);
    return bmp;
}

// A cover written to and read back from a PNG file, as a user's picture would arrive.
inline QImage pngCover(const QString& folder, int size) {
    const QString path = folder + QStringLiteral("/cover.png");
    makeCover(size, size).save(path, "PNG");
    return QImage(path);
}

// Every tag, keyed by the given family, with the cover under its picture key.
inline QVariantMap allTags(const QString& family, const QImage& cover) {
    const QVariantMap map = MTETagKeyMap::familyMap(family);
    QVariantMap tags;
    for (const auto& [name, value] : textTags()) {
        if (map.contains(name))
            tags.insert(map.value(name).toString(), value);
    }
    tags.insert(map.value(QStringLiteral("AlbumImg")).toString(), cover);
    return tags;
}

inline QJsonObject formatTags(const QJsonObject& probe) {
    return MediaFixtures::formatTags(probe);
}

// A probe tag looked up without regard to case (Vorbis keys keep their capitals).
inline QString probeTag(const QJsonObject& tags, const QString& key) {
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    }
    return {};
}

inline QString probeTagStartingWith(const QJsonObject& tags, const QString& prefix) {
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().startsWith(prefix, Qt::CaseInsensitive))
            return it.value().toString();
    }
    return {};
}

// The attached-picture stream of a probe, or an empty object.
inline QJsonObject attachedPictureStream(const QJsonObject& probe) {
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject object = stream.toObject();
        if (object.value(QStringLiteral("disposition"))
                .toObject()
                .value(QStringLiteral("attached_pic"))
                .toInt() == 1)
            return object;
    }
    return {};
}

inline int attachedPictureCount(const QJsonObject& probe) {
    int count = 0;
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray())
        count += stream.toObject()
                     .value(QStringLiteral("disposition"))
                     .toObject()
                     .value(QStringLiteral("attached_pic"))
                     .toInt();
    return count;
}

// The cover a handler read, decoded as a view would show it.
inline QImage coverImage(const MTEAudioFile& handler) {
    return MTETagText::imageOfValue(handler.getValueForKey(QStringLiteral("AlbumImg")));
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray bigEndian(quint32 value, bool syncSafe) {
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= syncSafe ? 7 : 8)
        bytes[i] = char(value & (syncSafe ? 0x7F : 0xFF));
    return bytes;
}

// An ID3v2.3 or v2.4 tag byte by byte, as taggers write what TagLib 1.13 does not read whole:
// text frames of the given bytes (UTF-8 in v2.4, Latin-1 in v2.3), an empty text as a frame
// of size 0, and an extended header when asked.
inline QByteArray rawId3Tag(int version,
                            const std::vector<std::pair<QByteArray, QByteArray>>& frames,
                            bool extendedHeader = false) {
    QByteArray body;
    if (extendedHeader) // its size, then flags; a v2.3 header's size leaves out its own field
        body += version == 4 ? bigEndian(6, true) + QByteArray("\x01\x00", 2)
                             : bigEndian(6, false) + QByteArray(6, '\0');
    for (const auto& [id, text] : frames) {
        const QByteArray data = text.isEmpty() ? QByteArray() : char(version == 4 ? 3 : 0) + text;
        body += id + bigEndian(quint32(data.size()), version == 4) + QByteArray(2, '\0') + data;
    }
    body += QByteArray(64, '\0');
    return "ID3" + QByteArray(1, char(version)) + QByteArray(1, '\0') +
           QByteArray(1, extendedHeader ? '\x40' : '\0') + bigEndian(quint32(body.size()), true) +
           body;
}

// Puts the tag before an MP3 file's audio, or into an "id3 " chunk of a WAV file.
inline void addRawId3Tag(const QByteArray& fileName, QByteArray tag) {
    const QString path = QFile::decodeName(fileName);
    QByteArray bytes = fileBytes(path);
    if (path.endsWith(QLatin1String(".wav"))) {
        if (tag.size() % 2)
            tag += '\0';
        bytes += "id3 " + QByteArray(4, '\0') + tag;
        qToLittleEndian(quint32(tag.size()), bytes.data() + bytes.size() - tag.size() - 4);
        qToLittleEndian(quint32(bytes.size() - 8), bytes.data() + 4);
    } else {
        bytes.prepend(tag);
    }
    MediaFixtures::writeBytes(path, bytes);
}

} // namespace TagTestData
