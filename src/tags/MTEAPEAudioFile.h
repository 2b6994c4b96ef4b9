#pragma once

#include "tags/MTEAudioFile.h"

// APE files: lists the keys of an APE tag, or reads the ID3v1 tag when there is none.
// Nothing is written to APE files.
class MTEAPEAudioFile : public MTEAudioFile {
public:
    bool dumpMediaAttribInfo() override;
    // Writes nothing, so it reports Failed.
    MTETagWriteResult saveID3AttribPath(int mode, const QString& path) override;
    std::shared_ptr<MTEAudioFile> copy() const override;
};
