#pragma once

#include "tags/MTEAudioFile.h"

// ID3 tags of MPEG files, and the tags of FLAC files in the same "mpeg" family: an ID3v2
// tag when the FLAC file has one, otherwise its Vorbis comment. FLAC files are written
// through their Vorbis comment, never with an ID3v2 tag.
class MTEMpegAudioFile : public MTEAudioFile {
public:
    bool dumpMediaAttribInfo() override;
    bool saveID3AttribPath(int mode, const QString& path) override;
    std::shared_ptr<MTEAudioFile> copy() const override;

private:
    bool dumpMpegFile();
    bool dumpFlacFile();
};
