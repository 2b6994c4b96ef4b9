#pragma once

#include "tags/MTEContainer.h"

#include <QString>

class MTEAudioFile;

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
    // ffmpeg's copy carries the fields no row manages (MusicBrainz ids, ReplayGain, ...) into
    // the output, each with its first value only. Where it does not (its MP4, WAV and MPEG-2
    // Audio muxers drop them, and it passes over the ID3 chunk of a WAV source that has an
    // INFO chunk) the tag copy carries every one the output lacks; where it does, only those
    // with several values.
    bool ffmpegCarriesOtherFields = false;
    // The longest value ffmpeg's copy can write into the output (0: any); a longer one is
    // kept out of its copy, and the tag copy writes it.
    qsizetype ffmpegMaxTextLength = 0;
    // ffmpeg writes the AIFF output's ID3 chunk, and is kept from writing the chunks of its
    // own that readers prefer to it.
    bool aiffId3Chunk = false;
};
