#pragma once

#include "tags/MTETagWriteResult.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

class MTEAudioFile;

// Copies a row's tags into a converted file, re-keyed into the output's tag family. Works
// on values only, so any thread may call it for its own output file.
class MTETagCopy {
public:
    // Writes the tags (keyed by the source's family) into the file at outputPath, leaving
    // out the source encoder's gapless and loudness data and a zero year or track.
    // With the source's handler, a field whose value is still the one it read keeps every
    // spelling ffmpeg's copy gave it; any other field replaces them all. Without it every
    // field counts as changed.
    // Failed when there is no output file or its tags could not be written; an output
    // without tag support is not a failure. CoverLeftOut when all but the cover was written.
    static MTETagWriteResult handleMetadataSave(const QVariantMap& dicToMetadata,
                                                int sourceFileType, const QString& outputPath,
                                                const MTEAudioFile* source = nullptr);
    // What the ffmpeg program is to be told beside its own copy of the source's tags, for
    // an output that the writers above cannot finish alone: a CAF output (TagLib writes no
    // CAF) gets every field of the row and the disc as metadata options, each field
    // replacing every spelling of it; an AIFF output gets its tags in an ID3 chunk, and none
    // in chunks of their own; and what overlongValueArguments() leaves out.
    static QStringList ffmpegArguments(const QVariantMap& dicToMetadata, int sourceFileType,
                                       const QString& outputPath,
                                       const MTEAudioFile* source = nullptr);
    // What ffmpeg's own copy of the source's tags must leave out or mend, whether the row's
    // tags are copied or not: into a WMA output, the values longer than the file can hold;
    // into any, a text with bytes that are no UTF-8, which it is given with U+FFFD for them.
    static QStringList overlongValueArguments(const QString& outputPath,
                                              const MTEAudioFile* source);
    // The tags re-keyed from the source family into the destination family. Equal types
    // keep every entry; otherwise entries outside the source family's table are dropped.
    static QVariantMap convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                     int toType);
};
