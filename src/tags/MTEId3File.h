#pragma once

#include "tags/MTEContainer.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <utility>

namespace TagLib {
class AudioProperties;
class File;
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
}
namespace RIFF::Info {
class Tag;
}
} // namespace TagLib

// A file whose tags live in an ID3v2 tag: an MPEG audio file (mp3, mp2), or the ID3 chunk of
// a WAV or AIFF file. Opened once, for reading or for a write saved as ID3v2.4.
class MTEId3File {
public:
    MTEId3File(const QString& path, MTEContainer container, bool readAudioProperties);
    ~MTEId3File();
    MTEId3File(const MTEId3File&) = delete;
    MTEId3File& operator=(const MTEId3File&) = delete;

    bool isValid() const;
    // The ID3v2 tag; without create, null when the file has none.
    TagLib::ID3v2::Tag* tag(bool create);
    // The ID3v1 tag of an MPEG file; null for none.
    TagLib::ID3v1::Tag* id3v1Tag();
    // The RIFF INFO chunk of a WAV file; null for none.
    TagLib::RIFF::Info::Tag* infoTag();
    // The text chunks of an AIFF file, as ffmpeg and many other programs write them: each
    // chunk id (MTETagKeyMap::aiffChunkIds) with its text, in file order.
    QList<std::pair<QByteArray, QString>> aiffTextChunks();
    const TagLib::AudioProperties* audioProperties() const;
    // ffmpeg writes MPEG-1/2 Layer II, WAV and AIFF files without a tag that holds all
    // fields: writing into them creates one.
    bool createsTagOnWrite() const;
    // Saves the ID3v2 tag as ID3v2.4. MPEG and WAV files lose their other tags (ID3v1, APE,
    // the INFO chunk), so no reader finds an older value beside the new one.
    bool save();

private:
    std::unique_ptr<TagLib::File> _file;
    MTEContainer _container;
    bool _valid = false;
};
