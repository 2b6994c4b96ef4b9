#pragma once

#include <QList>
#include <QStringList>

namespace TagLib {
namespace ASF {
class Tag;
}
namespace ID3v2 {
class Tag;
}
namespace MP4 {
class Tag;
}
namespace Ogg {
class XiphComment;
}
} // namespace TagLib

class MTEAudioFile;

// A field a file holds beside the ones a row manages (the disc number, MusicBrainz ids,
// ReplayGain, ...), with every value it has.
struct MTECarriedField {
    // TagLib's name ("MUSICBRAINZ_ALBUMID"), which TagLib turns into each container's own
    // frame, field, item or attribute.
    QString property;
    // The source's own spelling, without "TXXX:" or an MP4 item's mean ("MusicBrainz Album
    // Id", "replaygain_track_gain"): where TagLib has no entry for the name in the output's
    // container, or one that spells a managed field, the field goes under this one.
    QString name;
    QStringList values;
};

// Reads the fields no row manages out of a source, and writes them into an output's tag.
class MTETagProperties {
public:
    using Fields = QList<MTECarriedField>;

    // The source's entries that spell no managed name of any family (and so no field the
    // row holds or the tag copy moves as one) and that are no data about its encode: read
    // through TagLib for a file TagLib reads, with those libavformat read and TagLib missed
    // (MTEAudioFile::ffmpegOnlyEntries), else from the FFmpeg metadata its handler read.
    // Each goes under TagLib's name, or the one the table of spellings gives its spelling; an
    // ID3 user text without value is left out (logged).
    static Fields unmanagedOf(const MTEAudioFile& source);

    // Writes the output handler's carriedFields: each one the tag lacks, and each one in
    // place of the tag's spellings of it where ffmpeg's copy left only the first of several
    // values or, for a field the table of spellings (MTETagKeyMap) knows, spelt it otherwise
    // than the output's format does. Entries that spell a managed field are never taken for
    // one of them. Into a fresh encode, an ID3 user text without value goes: it is ffmpeg's
    // copy of one without description, which TagLib would write back named after its value.
    // Each tag is read once, so the write takes time in proportion to its entries.
    static void write(TagLib::ID3v2::Tag* tag, const MTEAudioFile& output);
    static void write(TagLib::Ogg::XiphComment* comment, const MTEAudioFile& output);
    static void write(TagLib::MP4::Tag* tag, const MTEAudioFile& output);
    static void write(TagLib::ASF::Tag* tag, const MTEAudioFile& output);
};
