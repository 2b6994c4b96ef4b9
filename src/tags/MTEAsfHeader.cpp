#include "tags/MTEAsfHeader.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>

namespace {

// Object GUIDs as the file stores them.
const QByteArray kHeaderObject = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
const QByteArray kExtendedContentDescription =
    QByteArray::fromHex("40a4d0d207e3d21197f000a0c95ea850");
constexpr qint64 kHeaderObjectSize = 30; // GUID, size, object count, two reserved bytes
constexpr qint64 kObjectHeaderSize = 24; // GUID, size
// Each value holds at most 64 KB; more than this is no description worth reading.
constexpr quint64 kMaxDescriptionBytes = 16 << 20;
constexpr quint16 kUnicodeType = 0;

QString utf16Text(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf16LE);
    const QString text = decoder.decode(bytes);
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

// The descriptors of an extended content description's body; a cut one ends the reading.
QHash<QString, QStringList> textsOf(const QByteArray& body) {
    QHash<QString, QStringList> texts;
    qsizetype at = 0;
    const auto take = [&](qsizetype size, QByteArray* bytes) {
        if (at + size > body.size())
            return false;
        *bytes = body.mid(at, size);
        at += size;
        return true;
    };
    const auto word = [&](quint16* value) {
        QByteArray bytes;
        if (!take(2, &bytes))
            return false;
        *value = qFromLittleEndian<quint16>(bytes.constData());
        return true;
    };
    quint16 count = 0;
    if (!word(&count))
        return texts;
    for (quint16 i = 0; i < count; ++i) {
        quint16 nameLength = 0, type = 0, valueLength = 0;
        QByteArray name, value;
        if (!word(&nameLength) || !take(nameLength, &name) || !word(&type) || !word(&valueLength) ||
            !take(valueLength, &value))
            break;
        if (type == kUnicodeType)
            texts[utf16Text(name).toLower()] += utf16Text(value);
    }
    return texts;
}

} // namespace

QHash<QString, QStringList> MTEAsfHeader::extendedContentTexts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(kHeaderObjectSize);
    if (header.size() < kHeaderObjectSize || !header.startsWith(kHeaderObject))
        return {};
    const quint64 declaredSize = qFromLittleEndian<quint64>(header.constData() + 16);
    const qint64 headerEnd = qint64(std::min<quint64>(declaredSize, quint64(file.size())));
    const quint32 objects = qFromLittleEndian<quint32>(header.constData() + 24);
    qint64 at = kHeaderObjectSize;
    for (quint32 i = 0; i < objects && at + kObjectHeaderSize <= headerEnd; ++i) {
        if (!file.seek(at))
            break;
        const QByteArray object = file.read(kObjectHeaderSize);
        if (object.size() < kObjectHeaderSize)
            break;
        const quint64 size = qFromLittleEndian<quint64>(object.constData() + 16);
        if (size < quint64(kObjectHeaderSize) || size > quint64(headerEnd - at))
            break;
        if (object.startsWith(kExtendedContentDescription)) {
            if (size - kObjectHeaderSize > kMaxDescriptionBytes)
                break;
            return textsOf(file.read(qint64(size) - kObjectHeaderSize));
        }
        at += qint64(size);
    }
    return {};
}
