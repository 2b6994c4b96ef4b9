#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>

#include <cstdint>

// Reads a binary property list ("bplist00") into Qt values without trusting it: every
// offset, count and reference is checked against the bytes, and nesting deeper than
// kMaxDepth (a reference cycle included) makes the whole document unreadable (an invalid
// QVariant). Each object is converted once and shared wherever it is referenced, so a
// document that refers to one container many times costs no more than its size.
class PropertyListBinaryReader {
public:
    static constexpr int kMaxDepth = 256;

    static bool looksBinary(const QByteArray& bytes);
    static QVariant read(const QByteArray& bytes);

private:
    explicit PropertyListBinaryReader(const QByteArray& bytes) : _bytes(bytes) {}

    bool readTrailer();
    struct Converted {
        QVariant value;
        int height = 0; // levels of containers within, itself included
    };

    // depth: the levels above the object. Fails when the object would end up more than
    // kMaxDepth levels down, wherever it was met first.
    bool readObject(uint64_t ref, int depth, Converted& out);
    bool convertObject(uint64_t ref, int depth, Converted& out);
    bool readContainer(uint8_t marker, uint64_t at, int depth, Converted& out);
    bool readScalar(uint8_t marker, uint64_t at, QVariant& out);
    // The element count of the object whose marker is at `at`; `first` becomes the offset of
    // its first byte after the count.
    bool readCount(uint64_t at, uint64_t& count, uint64_t& first) const;
    bool readString(uint8_t marker, uint64_t at, QString& out) const;
    bool objectOffset(uint64_t ref, uint64_t& offset) const;
    bool bigEndian(uint64_t at, unsigned width, uint64_t& value) const;
    // True when `length` bytes from `at` lie within the objects (before the offset table).
    bool fits(uint64_t at, uint64_t length) const;

    const QByteArray& _bytes;
    unsigned _offsetSize = 0;
    unsigned _refSize = 0;
    uint64_t _objectCount = 0;
    uint64_t _topObject = 0;
    uint64_t _offsetTable = 0;
    QHash<uint64_t, Converted> _converted;
};
