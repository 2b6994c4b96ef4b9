#pragma once

#include <QString>
#include <QVariantMap>

namespace TagLib::FLAC {
class File;
}
class MTEAudioFile;

// The Vorbis comment and picture blocks of a FLAC file, seen through the "mpeg" family:
// each field is stored under the frame id of its logical name.
class MTEFlacTags {
public:
    // The file has a non-empty Vorbis comment or a picture block.
    static bool hasTags(TagLib::FLAC::File& file);
    static void read(TagLib::FLAC::File& file, MTEAudioFile& handler);
    // Writes the handler's tags (keyed by its family table) into the Vorbis comment and the
    // picture blocks of the FLAC file at path; drops any ID3 tag, and the fields of encoder
    // entries when the handler asks to. True when saved with the cover, or without it when it
    // can be written neither re-encoded nor as it is and the file had no picture (logged).
    static bool write(const QString& path, const MTEAudioFile& handler);
};
