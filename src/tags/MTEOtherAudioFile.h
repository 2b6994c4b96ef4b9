#pragma once

#include "tags/MTEAudioFile.h"

// Every other format ("ffmpeg" family): tags are read from FFmpeg's metadata dictionary
// (the container's, else the audio stream's, else the video stream's), the cover from an
// attached picture. Nothing is written.
class MTEOtherAudioFile : public MTEAudioFile {
public:
    bool dumpMediaAttribInfo() override;
    // Writes nothing, so it reports Failed.
    MTETagWriteResult saveID3AttribPath(int mode, const QString& path) override;
    std::shared_ptr<MTEAudioFile> copy() const override;
};
