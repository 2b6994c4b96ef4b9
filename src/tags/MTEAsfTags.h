#pragma once

#include "tags/MTETagWriteResult.h"

#include <QString>

#include <taglib/asftag.h>

class MTEAudioFile;

// The tags of WMA (ASF) files, seen through the "mpeg" family: title, artist, copyright and
// comment in the content description, the other fields as WM/ attributes, the cover as a
// WM/Picture attribute.
class MTEAsfTags {
public:
    // The longest text, in UTF-16 code units, that the content description holds and that
    // ffmpeg's WMA muxer writes: both size a text with its terminating null in 16 bits, and a
    // longer one leaves a header that TagLib no longer reads. A longer value of a content
    // description field is written whole as an attribute of the field's name.
    static constexpr qsizetype kMaxTextLength = 32766;

    // Reads the file at the handler's path; false when it is no ASF file.
    static bool read(MTEAudioFile& handler);
    // The tag's attributes with each repeated one in the order of the file at path.
    static TagLib::ASF::AttributeListMap attributesInFileOrder(const TagLib::ASF::Tag* tag,
                                                               const QString& path);
    // Writes the handler's tags into the file at path. CoverLeftOut when the cover can be
    // written neither re-encoded nor as it is, nor made small enough for a WMA file (logged).
    static MTETagWriteResult write(const QString& path, const MTEAudioFile& handler);
};
