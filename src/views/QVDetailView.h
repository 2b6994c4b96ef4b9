#pragma once

#include "views/QVCoverThumbnails.h"

#include <QWidget>

#include <memory>

class QLabel;
class QVMusicInfo;

// A black panel with the selected file's tags and cover above a rule and its audio facts
// below it. The cover shows once it is decoded, off the main thread (QVCoverThumbnails).
class QVDetailView : public QWidget {
    Q_OBJECT
public:
    explicit QVDetailView(QWidget* parent = nullptr);
    ~QVDetailView() override;

    QSize sizeHint() const override { return QSize(280, 170); }

    std::shared_ptr<QVMusicInfo> musicInfo() const { return _musicInfo; }
    void setMusicInfo(std::shared_ptr<QVMusicInfo> music);

    QLabel* tfName() const { return _tfName; }
    QLabel* tfAuthor() const { return _tfAuthor; }
    QLabel* tfAlbum() const { return _tfAlbum; }
    QLabel* tfKind() const { return _tfKind; }
    QLabel* tfSize() const { return _tfSize; }
    QLabel* tfBitRate() const { return _tfBitRate; }
    QLabel* tfFormat() const { return _tfFormat; }
    QLabel* tfChannels() const { return _tfChannels; }
    QLabel* tfSampleRate() const { return _tfSampleRate; }
    QLabel* imageView() const { return _imageView; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void showTags();
    void showCover(const QVariant& cover);
    void showMediaFacts();

    QLabel* _tfName = nullptr;
    QLabel* _tfAuthor = nullptr;
    QLabel* _tfAlbum = nullptr;
    QLabel* _tfKind = nullptr;
    QLabel* _tfSize = nullptr;
    QLabel* _tfBitRate = nullptr;
    QLabel* _tfFormat = nullptr;
    QLabel* _tfChannels = nullptr;
    QLabel* _tfSampleRate = nullptr;
    QLabel* _imageView = nullptr;
    std::shared_ptr<QVMusicInfo> _musicInfo;
    QVCoverThumbnails _thumbnails;
};
