#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

// Decodes cover pictures, for every place that takes one: the editor's well and its add
// button, and the tag writer that re-encodes covers as JPEG. A cover may take up to
// kAllocationLimitMB once decoded: a 6000x6000 picture (144 MB) fits, and five conversion
// jobs decoding at once stay near a gigabyte. Any thread may call it.
class MTECoverDecoder {
public:
    static constexpr int kAllocationLimitMB = 256;

    struct Result {
        QImage image;
        QString error; // why there is no image, in words for the user
    };

    // The error is a phrase ("it is no picture ..."); the two below make it a sentence.
    // With a valid fitInside, a larger picture comes out scaled to fit inside it, keeping
    // its shape; formats that can (JPEG) then decode only the pixels that size needs.
    static Result decode(QImageReader& reader, const QSize& fitInside = {});
    static Result decodeBytes(const QByteArray& bytes, const QSize& fitInside = {});
    // The error names the file.
    static Result decodeFile(const QString& path);

    // Qt 6.4 has only a process-wide ceiling (128 MB by default), checked before any
    // decoder allocates; it is raised once to the cover budget, and decode() keeps each
    // picture within that budget itself. Called by decode(); the program calls it at
    // start, before any other thread runs.
    static void installAllocationLimit();
};
