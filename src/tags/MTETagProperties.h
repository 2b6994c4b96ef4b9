#pragma once

#include <QMap>
#include <QStringList>

namespace TagLib {
class File;
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

// The fields a file holds beside the ones a row manages (the disc number, MusicBrainz ids,
// ReplayGain, ...), in TagLib's property names, which TagLib turns into each container's
// own frames, fields, items and attributes.
class MTETagProperties {
public:
    using Map = QMap<QString, QStringList>;

    // The source's own entries that no managed name covers and that are no data about its
    // encode: read through TagLib for a file TagLib reads, else from the FFmpeg metadata its
    // handler read.
    static Map unmanagedOf(const MTEAudioFile& source);
    // The property spells a managed name in TagLib's naming, any family's or the source's
    // own (the description its comment was read under), or is data about the source's encode.
    static bool isManaged(const QString& propertyName, const MTEAudioFile& source);

    // Adds each property the tag lacks; what the tag holds already stays as it is.
    static void addMissing(TagLib::ID3v2::Tag* tag, const Map& properties);
    static void addMissing(TagLib::Ogg::XiphComment* comment, const Map& properties);
    static void addMissing(TagLib::MP4::Tag* tag, const Map& properties);
    static void addMissing(TagLib::ASF::Tag* tag, const Map& properties);
};
