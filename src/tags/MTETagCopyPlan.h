#pragma once

#include "tags/MTEContainer.h"
#include "tags/MTEFfmpegMetadata.h"

#include <QSet>
#include <QString>

class MTEAudioFile;
struct MTECarriedField;

// What ffmpeg's own copy of a source's tags gives an output, and so what the tag copy has to
// do itself, decided in one place for each source and output container.
class MTETagCopyPlan {
public:
    // Who puts the row's fields into the output.
    enum class Writer {
        None,    // the output holds no tags (AC3)
        TagLib,  // the tag copy writes them after the conversion
        Options, // TagLib writes no such file (CAF): ffmpeg takes every field as an option
    };

    // The plan for a row whose source the handler read (none: a row without handler) and
    // the output at path.
    static MTETagCopyPlan of(const MTEAudioFile* source, const QString& outputPath);

    Writer writer = Writer::None;
    MTEContainer output = MTEContainer::None;
    // The source's tags as libavformat reads them, and so as ffmpeg's copy starts out.
    MTEFfmpegMetadata::Entries sourceTags;
    // The longest value ffmpeg's copy can write into the output (0: any); a longer one is
    // kept out of its copy, and the tag copy writes it.
    qsizetype ffmpegMaxTextLength = 0;
    // A value to keep out sits under a key that holds '=', which ffmpeg's metadata option
    // cannot name: its copy is dropped and every entry it may keep is passed again.
    bool rebuildsFfmpegCopy = false;

    // ffmpeg's copy of the source's tags leaves out an entry with this value.
    bool keepsOutOfFfmpegCopy(const QString& value) const;
    // ffmpeg's copy gives the output this field no row manages with all it holds: the
    // output's muxer keeps any key (its MP4, WAV and MPEG-2 Audio muxers drop them), the
    // field has at most one value, libavformat read that value from the source (it passes
    // over a WAV file's ID3 chunk beside other tags) and the copy keeps it. The tag copy
    // writes the rest.
    bool ffmpegKeepsWhole(const MTECarriedField& field) const;

    // ffmpeg writes the AIFF output's ID3 chunk, and is kept from writing the chunks of its
    // own that readers prefer to it.
    bool aiffId3Chunk = false;

private:
    bool _muxerKeepsAnyKey = false;
    // The values ffmpeg's copy writes.
    QSet<QString> _copiedValues;
};
