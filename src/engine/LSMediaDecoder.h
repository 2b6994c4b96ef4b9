#pragma once

#include "engine/LSMediaDecoderDelegate.h"

#include <QString>

#include <memory>

class LSMedia;
struct VideoState;

// The object face of the probing and preview core. Probing writes one file's streams,
// audio parameters and duration into its LSMedia with an error code; a decoder used for
// probing holds no state between calls and may probe file after file. Each thread uses its
// own decoder.
class LSMediaDecoder {
public:
    LSMediaDecoder();
    ~LSMediaDecoder();
    LSMediaDecoder(const LSMediaDecoder&) = delete;
    LSMediaDecoder& operator=(const LSMediaDecoder&) = delete;

    // Never fails as a call: the outcome is media.eumErrorCode (LSMediaError). A path that
    // does not fit the core's file-name buffer is refused as LSMediaErrorOpenFailed.
    void dumpMediaStreamInfoWithFileMedia(const QString& path, LSMedia& media);

    void allocVideoState();
    void freeVideoState();
    void releaseDecoder();

    QString strFilePath() const { return _strFilePath; }
    void setStrFilePath(const QString& path) { _strFilePath = path; }
    LSMediaDecoderDelegate* delegate() const { return _delegate; }
    void setDelegate(LSMediaDecoderDelegate* delegate) { _delegate = delegate; }
    bool isPaused() const { return bIsPaused; }

private:
    struct VideoStateClose {
        void operator()(VideoState* state) const;
    };

    bool setStateFileName(const QString& path);
    void readProbeResult(LSMedia& media) const;

    std::unique_ptr<VideoState, VideoStateClose> is;
    QString _strFilePath;
    LSMediaDecoderDelegate* _delegate = nullptr;
    bool bIsPaused = false;
};
