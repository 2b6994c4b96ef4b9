#pragma once

#include <QString>

#include <taglib/asftag.h>

class MTEAudioFile;

// The tags of WMA (ASF) files, seen through the "mpeg" family: title, artist, copyright and
// comment in the content description, the other fields as WM/ attributes, the cover as a
// WM/Picture attribute.
class MTEAsfTags {
public:
    // Reads the file at the handler's path; false when it is no ASF file.
    static bool read(MTEAudioFile& handler);
    // The tag's attributes with each repeated one in the order of the file at path.
    static TagLib::ASF::AttributeListMap attributesInFileOrder(const TagLib::ASF::Tag* tag,
                                                               const QString& path);
    // Writes the handler's tags into the file at path; true when saved with the cover (or
    // without one that can be written neither re-encoded nor as it is, the file having none).
    static bool write(const QString& path, const MTEAudioFile& handler);
};
