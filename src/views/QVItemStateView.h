#pragma once

#include "engine/LSMediaTypes.h"

#include <QImage>
#include <QMetaObject>
#include <QVariantMap>
#include <QWidget>

#include <memory>

class QLabel;
class QProgressBar;
class QVMusicInfo;

// The state strip: the idle look shows the product's slogan; the converting look a wide
// progress bar; the playing look the previewed track's name, played and remaining time.
// It follows the preview player's notifications for the row it shows.
class QVItemStateView : public QWidget {
    Q_OBJECT
public:
    explicit QVItemStateView(QWidget* parent = nullptr);
    ~QVItemStateView() override;

    QSize sizeHint() const override { return QSize(290, 44); }

    // Shows state; a row given with it becomes the row the view follows.
    void updateForAppState(int state, std::shared_ptr<QVMusicInfo> info = nullptr);
    void upateForAppState(int state, bool animate);
    // Thread-safe: the value is applied on the main thread, unless the bar is hidden or
    // already shows more.
    void updateConverterProgress(double percent);
    // Playing look: seconds played; any other look: percent.
    void updateUiInMainThread(double number);

    void musicPlayerStartPlay(const QVariantMap& userInfo);
    void musicPlayingProgress(const QVariantMap& userInfo);

    int appType() const { return _appType; }
    std::shared_ptr<QVMusicInfo> playingMusic() const { return _playingMusic; }
    QProgressBar* priProgress() const { return _priProgress; }
    QLabel* tfName() const { return _tfName; }
    QLabel* tfPlayTime() const { return _tfPlayTime; }
    QLabel* tfMusicTime() const { return _tfMusicTime; }
    const QImage& imgSlogn() const { return _imgSlogn; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void awakeFromNib();
    bool isPlayingMusic(const QVariantMap& userInfo) const;
    double playingDuration() const;
    static void setShown(QWidget* widget, bool shown);

    QProgressBar* _priProgress = nullptr;
    QLabel* _tfName = nullptr;
    QLabel* _tfPlayTime = nullptr;
    QLabel* _tfMusicTime = nullptr;
    QImage _imgSlogn;
    int _appType = QVAppStateIdle;
    std::shared_ptr<QVMusicInfo> _playingMusic;
    QMetaObject::Connection _startObserver;
    QMetaObject::Connection _progressObserver;
};
