#pragma once

#include "tags/MTEContainer.h"
#include "tags/MTETagWriteResult.h"

#include <QString>

namespace TagLib::FLAC {
class File;
}
class MTEAudioFile;

// The Vorbis comment and pictures of FLAC, Ogg Vorbis and Opus files, seen through the
// "mpeg" family: each field is stored under the frame id of its logical name. FLAC keeps its
// pictures in blocks of their own, Ogg files in METADATA_BLOCK_PICTURE fields.
class MTEXiphTags {
public:
    // The FLAC file has a non-empty Vorbis comment or a picture block.
    static bool hasTags(TagLib::FLAC::File& file);
    static void readFlac(TagLib::FLAC::File& file, MTEAudioFile& handler);
    // Reads the Ogg Vorbis or Opus file at the handler's path; false when it is none.
    static bool readOgg(MTEAudioFile& handler, MTEContainer container);
    // Writes the handler's tags (keyed by its family table) into the file at path; a FLAC
    // file drops any ID3 tag. The fields of encoder entries go when the handler asks to.
    // CoverLeftOut when the cover can be written neither re-encoded nor as it is (logged).
    static MTETagWriteResult write(const QString& path, MTEContainer container,
                                   const MTEAudioFile& handler);
};
