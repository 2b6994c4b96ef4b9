#pragma once

#include "engine/LSMediaDecoderDelegate.h"

#include <QString>

#include <cstdint>
#include <memory>

class LSMedia;
class QTimer;
struct VideoState;

// The object face of the probing and preview core. Probing writes one file's streams,
// audio parameters and duration into its LSMedia with an error code; a decoder used for
// probing holds no state between calls and may probe file after file. Each thread uses its
// own decoder.
//
// Playback (beginDecode and the rest) runs on the thread that starts it, which must run a
// Qt event loop: a 1/24 s timer reports the playback time to the delegate.
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

    // Recorded for the process; playback does not read it.
    void setPlayVolume(double volume);
    static double playVolume();
    void showVideo();
    void showAudio();

    // Starts previewing strFilePath (closing any earlier preview of this decoder).
    void beginDecode();
    // Pauses or resumes the audio device and the progress reports.
    void pauseDecode();
    void resumeRefreshTimer();
    void invalidateRefreshTimer();
    void resumeKillFreshTimer();
    void invalidateKillFreshTimer();
    void ffRefreshTimer();
    void killFreshFired();

    // The seek gesture: it pauses the sound while it lasts but does not move playback.
    void pureSeekToTime(double seconds);
    void beginSeek(double seconds);
    void seekToTimeValue(double seconds);
    void endSeek(double seconds);

    double curDecodeTime() const;
    double movieDuration() const;
    void imgDisplayCallBackWidthHeight(const uint8_t* data, int width, int height);
    void audioCallBackWithSamples(const QVariant& samples);

    bool isSeeking() const { return bIsSeeking; }
    bool isRefreshing() const { return refreshTimer != nullptr; }
    // The preview state, null when idle.
    const VideoState* videoState() const { return is.get(); }

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
    bool noteCurrentTimeOncePicturesDrained();
    std::unique_ptr<QTimer> makeTimer(void (LSMediaDecoder::*fired)());

    std::unique_ptr<VideoState, VideoStateClose> is;
    QString _strFilePath;
    LSMediaDecoderDelegate* _delegate = nullptr;
    bool bIsPaused = false;
    bool bIsSeeking = false;
    std::unique_ptr<QTimer> refreshTimer;
    std::unique_ptr<QTimer> timerToKillRefresh;
    bool bBingled = false;
    double dLastDecodeTime = 0.0;
    int show_mode = 0;
    // beginDecode could not start the core: the next tick reports it.
    bool bStartFailed = false;
};
