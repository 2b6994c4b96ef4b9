#pragma once

#include <QByteArray>
#include <QVariant>

class QXmlStreamReader;

// Reads an XML property list into Qt values without trusting it: nesting deeper than
// kMaxDepth, unknown elements, a key without a value or malformed numbers make the whole
// document unreadable (an invalid QVariant). Works over QXmlStreamReader, which bounds
// entity expansion.
class PropertyListXmlReader {
public:
    static constexpr int kMaxDepth = 256;

    static QVariant read(const QByteArray& bytes);

private:
    explicit PropertyListXmlReader(QXmlStreamReader& xml) : _xml(xml) {}

    // The reader stands on a start element; leaves it on that element's end.
    bool readValue(int depth, QVariant& out);
    bool readDict(int depth, QVariant& out);
    bool readArray(int depth, QVariant& out);
    bool readScalar(QVariant& out);
    // Moves to the next start element inside the current one; false at its end.
    bool nextChild();
    bool fail();

    QXmlStreamReader& _xml;
};
