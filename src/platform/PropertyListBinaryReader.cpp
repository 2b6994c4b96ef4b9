#include "platform/PropertyListBinaryReader.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr char kMagic[] = "bplist00";
constexpr uint64_t kHeaderSize = 8;
constexpr uint64_t kTrailerSize = 32;

// Binary property-list dates count seconds from 2001-01-01 UTC.
QDateTime dateFromSeconds(double seconds) {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    // QDateTime holds some 292 million years either way of its epoch.
    if (!(seconds > -9.0e15 && seconds < 9.0e15))
        return {};
    return epoch.addMSecs(qint64(seconds * 1000.0));
}

enum Marker : uint8_t {
    kSimple = 0x0,
    kInteger = 0x1,
    kReal = 0x2,
    kDate = 0x3,
    kData = 0x4,
    kAscii = 0x5,
    kUtf16 = 0x6,
    kUtf8 = 0x7,
    kUid = 0x8,
    kArray = 0xA,
    kSet = 0xC,
    kDict = 0xD,
};

} // namespace

bool PropertyListBinaryReader::looksBinary(const QByteArray& bytes) {
    return bytes.startsWith(QByteArrayView(kMagic, kHeaderSize));
}

QVariant PropertyListBinaryReader::read(const QByteArray& bytes) {
    if (!looksBinary(bytes))
        return {};
    PropertyListBinaryReader reader(bytes);
    Converted root;
    if (!reader.readTrailer() || !reader.readObject(reader._topObject, 0, root))
        return {};
    return root.value;
}

bool PropertyListBinaryReader::bigEndian(uint64_t at, unsigned width, uint64_t& value) const {
    const uint64_t size = uint64_t(_bytes.size());
    if (width == 0 || width > 8 || at > size || width > size - at)
        return false;
    value = 0;
    for (unsigned i = 0; i < width; ++i)
        value = (value << 8) | uint8_t(_bytes[qsizetype(at + i)]);
    return true;
}

bool PropertyListBinaryReader::fits(uint64_t at, uint64_t length) const {
    return at >= kHeaderSize && at <= _offsetTable && length <= _offsetTable - at;
}

bool PropertyListBinaryReader::readTrailer() {
    const uint64_t size = uint64_t(_bytes.size());
    if (size < kHeaderSize + kTrailerSize)
        return false;
    const uint64_t trailer = size - kTrailerSize;
    _offsetSize = uint8_t(_bytes[qsizetype(trailer + 6)]);
    _refSize = uint8_t(_bytes[qsizetype(trailer + 7)]);
    if (!bigEndian(trailer + 8, 8, _objectCount) || !bigEndian(trailer + 16, 8, _topObject) ||
        !bigEndian(trailer + 24, 8, _offsetTable))
        return false;
    if (_offsetSize < 1 || _offsetSize > 8 || _refSize < 1 || _refSize > 8)
        return false;
    if (_objectCount == 0 || _topObject >= _objectCount || _offsetTable < kHeaderSize ||
        _offsetTable > trailer)
        return false;
    // The offset table lies between the objects and the trailer.
    return _objectCount <= (trailer - _offsetTable) / _offsetSize;
}

bool PropertyListBinaryReader::objectOffset(uint64_t ref, uint64_t& offset) const {
    return ref < _objectCount && bigEndian(_offsetTable + ref * _offsetSize, _offsetSize, offset) &&
           fits(offset, 1);
}

bool PropertyListBinaryReader::readObject(uint64_t ref, int depth, Converted& out) {
    const auto known = _converted.constFind(ref);
    if (known != _converted.cend()) {
        out = *known;
        return depth + out.height <= kMaxDepth;
    }
    if (!convertObject(ref, depth, out))
        return false;
    _converted.insert(ref, out);
    return true;
}

bool PropertyListBinaryReader::convertObject(uint64_t ref, int depth, Converted& out) {
    uint64_t at = 0;
    if (depth > kMaxDepth || !objectOffset(ref, at))
        return false;
    const uint8_t marker = uint8_t(_bytes[qsizetype(at)]);
    const uint8_t kind = marker >> 4;
    if (kind == kArray || kind == kSet || kind == kDict)
        return readContainer(marker, at, depth, out);
    out.height = 0;
    return readScalar(marker, at, out.value);
}

bool PropertyListBinaryReader::readCount(uint64_t at, uint64_t& count, uint64_t& first) const {
    const uint8_t low = uint8_t(_bytes[qsizetype(at)]) & 0x0F;
    if (low != 0x0F) {
        count = low;
        first = at + 1;
        return true;
    }
    // A longer count follows as an integer object.
    if (!fits(at + 1, 1))
        return false;
    const uint8_t intMarker = uint8_t(_bytes[qsizetype(at + 1)]);
    if ((intMarker >> 4) != kInteger || (intMarker & 0x0F) > 3)
        return false;
    const unsigned width = 1u << (intMarker & 0x0F);
    if (!fits(at + 2, width) || !bigEndian(at + 2, width, count))
        return false;
    first = at + 2 + width;
    return true;
}

bool PropertyListBinaryReader::readContainer(uint8_t marker, uint64_t at, int depth,
                                             Converted& out) {
    if (depth >= kMaxDepth)
        return false;
    uint64_t count = 0;
    uint64_t refs = 0;
    if (!readCount(at, count, refs))
        return false;
    const bool isDict = (marker >> 4) == kDict;
    if (count > _offsetTable / (uint64_t(_refSize) * 2))
        return false;
    const uint64_t refCount = isDict ? count * 2 : count;
    if (!fits(refs, refCount * _refSize))
        return false;
    auto refAt = [&](uint64_t i, uint64_t& ref) {
        return bigEndian(refs + i * _refSize, _refSize, ref);
    };
    int height = 0;
    if (!isDict) {
        QVariantList list;
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t ref = 0;
            Converted value;
            if (!refAt(i, ref) || !readObject(ref, depth + 1, value))
                return false;
            list.append(value.value);
            height = std::max(height, value.height);
        }
        out = {list, height + 1};
        return true;
    }
    QVariantMap map;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t keyRef = 0;
        uint64_t valueRef = 0;
        Converted key;
        Converted value;
        if (!refAt(i, keyRef) || !refAt(count + i, valueRef) ||
            !readObject(keyRef, depth + 1, key) || key.value.typeId() != QMetaType::QString ||
            !readObject(valueRef, depth + 1, value))
            return false;
        map.insert(key.value.toString(), value.value);
        height = std::max(height, value.height);
    }
    out = {map, height + 1};
    return true;
}

bool PropertyListBinaryReader::readString(uint8_t marker, uint64_t at, QString& out) const {
    const uint8_t kind = marker >> 4;
    if (kind != kAscii && kind != kUtf16 && kind != kUtf8)
        return false;
    uint64_t count = 0;
    uint64_t first = 0;
    if (!readCount(at, count, first))
        return false;
    const uint64_t length = kind == kUtf16 ? count * 2 : count;
    if (count > _offsetTable || !fits(first, length))
        return false;
    const char* start = _bytes.constData() + first;
    if (kind == kAscii) {
        out = QString::fromLatin1(start, qsizetype(length));
    } else if (kind == kUtf8) {
        out = QString::fromUtf8(start, qsizetype(length));
    } else {
        QString text(qsizetype(count), Qt::Uninitialized);
        for (uint64_t i = 0; i < count; ++i)
            text[qsizetype(i)] =
                QChar(uint16_t((uint8_t(start[2 * i]) << 8) | uint8_t(start[2 * i + 1])));
        out = text;
    }
    return true;
}

bool PropertyListBinaryReader::readScalar(uint8_t marker, uint64_t at, QVariant& out) {
    const uint8_t kind = marker >> 4;
    const uint8_t low = marker & 0x0F;
    uint64_t raw = 0;
    switch (kind) {
    case kSimple:
        if (low != 0x08 && low != 0x09)
            return false;
        out = low == 0x09;
        return true;
    case kInteger: {
        // 16-byte integers keep their low 64 bits.
        if (low > 4)
            return false;
        const unsigned width = 1u << low;
        if (!fits(at + 1, width) ||
            !bigEndian(at + 1 + (width > 8 ? width - 8 : 0), std::min(width, 8u), raw))
            return false;
        if (width >= 8 && int64_t(raw) < 0)
            out = qlonglong(int64_t(raw));
        else
            out = qulonglong(raw);
        return true;
    }
    case kReal:
    case kDate: {
        if ((low != 2 && low != 3) || (kind == kDate && low != 3))
            return false;
        const unsigned width = 1u << low;
        if (!fits(at + 1, width) || !bigEndian(at + 1, width, raw))
            return false;
        const double value =
            width == 4 ? double(std::bit_cast<float>(uint32_t(raw))) : std::bit_cast<double>(raw);
        out = kind == kReal ? QVariant(value) : QVariant(dateFromSeconds(value));
        return out.isValid();
    }
    case kData: {
        uint64_t count = 0;
        uint64_t first = 0;
        if (!readCount(at, count, first) || !fits(first, count))
            return false;
        out = QByteArray(_bytes.constData() + first, qsizetype(count));
        return true;
    }
    case kAscii:
    case kUtf16:
    case kUtf8: {
        QString text;
        if (!readString(marker, at, text))
            return false;
        out = text;
        return true;
    }
    case kUid:
        // Archiver references: kept as plain numbers.
        if (!fits(at + 1, low + 1u) || !bigEndian(at + 1, low + 1u, raw))
            return false;
        out = qulonglong(raw);
        return true;
    default:
        return false;
    }
}
