#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

struct AVFormatContext;

// A file's tags as FFmpeg reads them, and so as the ffmpeg program copies them: the
// container's metadata, or when it has none (Ogg keeps its comments on the stream) the
// audio stream's, else the video stream's.
class MTEFfmpegMetadata {
public:
    using Entries = QList<std::pair<QString, QString>>;

    // False when FFmpeg cannot open the file.
    bool read(const QString& path);
    // The entries of a file FFmpeg has opened and read the stream information of.
    static Entries entriesOf(const AVFormatContext* context);

    // Every entry with a key and a value, in the dictionary's order and spelling.
    Entries entries;
    // The front cover, else the first attached picture, that looks decodable, as a cover
    // value; null for none. Its picture type: 3 front, 4 back, 0 any other.
    QByteArray cover;
    int pictureType = 3;
    // Whole seconds; 0 when unknown.
    double durationSeconds = 0.0;

private:
    void readCover(const AVFormatContext* context);
};
