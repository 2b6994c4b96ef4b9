#pragma once

#include "engine/LSMediaDecoderDelegate.h"

#include <QVariantMap>

#include <memory>
#include <mutex>

class LSMediaDecoder;
class QVMusicInfo;

// The process-wide preview player: plays one list row through an LSMediaDecoder, turns its
// progress reports into the three player notifications and detects the end of playback.
// Used on the main thread (the decoder's timers run on its event loop).
class QVAudioPlayer : public LSMediaDecoderDelegate {
public:
    static QVAudioPlayer& shareAudioPlayer();
    QVAudioPlayer(const QVAudioPlayer&) = delete;
    QVAudioPlayer& operator=(const QVAudioPlayer&) = delete;

    // Ends the preview, playing or paused, keeps a copy of the row (null for none) and
    // readies a decoder for it.
    void setPlayingMusic(const std::shared_ptr<QVMusicInfo>& music);
    std::shared_ptr<QVMusicInfo> playingMusic() const { return _playingMusic; }
    // Starts the row, or resumes it after pause. Without a row it does nothing.
    void play();
    void pause();
    // Ends playback on the user's word.
    void stop();
    void doStop();
    void releaseDecoder();
    bool isPlaying() const { return _isPlaying; }
    LSMediaDecoder* decoder() const { return _decoder.get(); }

    void LSMediaDecoderDecodeProgress(LSMediaDecoder* decoder, double seconds) override;
    void LSMediaDecoderPlaybackFailed(LSMediaDecoder* decoder) override;

private:
    QVAudioPlayer();
    ~QVAudioPlayer() override;

    QVariantMap userInfoForRow() const;
    void endPlayback();
    void post(const char* name, const QVariantMap& userInfo);

    std::recursive_mutex _lock;
    std::unique_ptr<LSMediaDecoder> _decoder;
    bool _isPlaying = false;
    std::shared_ptr<QVMusicInfo> _playingMusic;
    double _lastReportedTime = -1.0;
    int _stallCount = 0;
};
