#include "engine/QVAudioPlayer.h"

#include "engine/LSMediaDecoder.h"
#include "engine/QVMusicInfo.h"
#include "platform/NotificationCenter.h"

#include <QLoggingCategory>

namespace {
constexpr double kPlayVolume = 128.0;
// Playback counts as ended this close to the end of the file...
constexpr double kEndMargin = 0.5;
// ...or when the time has not moved for this many reports (about 0.6 s).
constexpr int kStallReports = 15;
constexpr char kActionByUserKey[] = "kActionByUsert";

Q_LOGGING_CATEGORY(lcPlayer, "quaverly.player")
} // namespace

QVAudioPlayer& QVAudioPlayer::shareAudioPlayer() {
    static QVAudioPlayer player;
    return player;
}

QVAudioPlayer::QVAudioPlayer() = default;

QVAudioPlayer::~QVAudioPlayer() {
    setPlayingMusic(nullptr);
    releaseDecoder();
}

void QVAudioPlayer::setPlayingMusic(const std::shared_ptr<QVMusicInfo>& music) {
    std::lock_guard lock(_lock);
    // A preview belongs to its row: a paused one ends here too, or play would resume it
    // under the new row (and a row of none would keep its threads and device).
    if (_decoder && (_isPlaying || _decoder->videoState())) {
        doStop();
        releaseDecoder();
    }
    _playingMusic = music ? music->copy() : nullptr;
    if (!_decoder) {
        _decoder = std::make_unique<LSMediaDecoder>();
        _decoder->setPlayVolume(kPlayVolume);
        _decoder->setDelegate(this);
    }
    _decoder->setStrFilePath(_playingMusic ? _playingMusic->strFilePath : QString());
}

void QVAudioPlayer::play() {
    std::lock_guard lock(_lock);
    if (!_decoder || !_playingMusic)
        return;
    // After pause the same preview goes on: no second core state, no second device.
    if (!_isPlaying && _decoder->isPaused() && _decoder->videoState()) {
        _decoder->pauseDecode();
        _isPlaying = true;
        _stallCount = 0;
        return;
    }
    _decoder->beginDecode();
    _isPlaying = true;
    _stallCount = 0;
    _lastReportedTime = -1.0;
    QVariantMap info = userInfoForRow();
    if (!info.isEmpty())
        info.insert(QString::fromLatin1(Notifications::kProgressInfoKey), 0.0);
    post(Notifications::kPlayStart, info);
}

void QVAudioPlayer::pause() {
    std::lock_guard lock(_lock);
    if (!_isPlaying || !_decoder)
        return;
    _decoder->pauseDecode();
    _isPlaying = false;
}

void QVAudioPlayer::stop() {
    std::lock_guard lock(_lock);
    if (!_decoder)
        return;
    QVariantMap info = userInfoForRow();
    if (!info.isEmpty())
        info.insert(QString::fromLatin1(kActionByUserKey), true);
    post(Notifications::kPlayEnd, info);
    doStop();
}

void QVAudioPlayer::doStop() {
    std::lock_guard lock(_lock);
    pause();
    releaseDecoder();
    _isPlaying = false;
    setPlayingMusic(nullptr);
}

void QVAudioPlayer::releaseDecoder() {
    std::lock_guard lock(_lock);
    if (!_decoder)
        return;
    _decoder->releaseDecoder();
    _decoder.reset();
}

QVariantMap QVAudioPlayer::userInfoForRow() const {
    if (!_playingMusic)
        return {};
    return {
        {QString::fromLatin1(Notifications::kMusicInfoKey), QVariant::fromValue(_playingMusic)}};
}

void QVAudioPlayer::post(const char* name, const QVariantMap& userInfo) {
    NotificationCenter::defaultCenter().postNotification(QString::fromLatin1(name), userInfo);
}

// The row's user info is taken before the decoder goes.
void QVAudioPlayer::endPlayback() {
    _stallCount = 0;
    QVariantMap info = userInfoForRow();
    if (!info.isEmpty())
        info.insert(QString::fromLatin1(kActionByUserKey), false);
    doStop();
    post(Notifications::kPlayEnd, info);
}

void QVAudioPlayer::LSMediaDecoderDecodeProgress(LSMediaDecoder* decoder, double seconds) {
    std::lock_guard lock(_lock);
    const double duration = decoder->movieDuration();
    if (seconds != 0.0 && seconds == _lastReportedTime)
        ++_stallCount;
    else
        _stallCount = 0;
    if ((duration > 0.0 && duration - seconds < kEndMargin) || _stallCount == kStallReports) {
        endPlayback();
        return;
    }
    QVariantMap info = userInfoForRow();
    if (!info.isEmpty())
        info.insert(QString::fromLatin1(Notifications::kProgressInfoKey), seconds);
    post(Notifications::kPlayProgress, info);
    _lastReportedTime = seconds;
}

void QVAudioPlayer::LSMediaDecoderPlaybackFailed(LSMediaDecoder* decoder) {
    std::lock_guard lock(_lock);
    qCWarning(lcPlayer) << "Preview of" << decoder->strFilePath() << "could not play";
    endPlayback();
}
