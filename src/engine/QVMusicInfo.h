#pragma once

#include "engine/BDObject.h"
#include "engine/LSMedia.h"

#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>

class MTEAudioFile;

// One row of the file list: the source, its media description, its tags and the state
// of its conversion. Rows are shared (std::shared_ptr) between the list and its job.
class QVMusicInfo : public BDObject {
public:
    QVMusicInfo();
    // Shares the progress bar; owns its own media description, tag handler and tags.
    QVMusicInfo(const QVMusicInfo& other);
    ~QVMusicInfo() override;
    QVMusicInfo& operator=(const QVMusicInfo&) = delete;

    QString strFilePath;
    QString strMusicName;
    std::shared_ptr<LSMedia> mediaInfo;
    std::shared_ptr<MTEAudioFile> metHandler;
    QString strMusicType;
    // 0..100 percent, or one of QVProgressWaiting/Syncing/Canceled/Failed.
    std::atomic<double> dConvertProgress{QVProgressWaiting};
    bool bIsSendingToiTunes = false;
    QString striTunesPlaylistName;
    // Tag-family key to text; the cover as encoded bytes (or a QImage the user gave).
    QVariantMap dicToMetadata;

    QString getStrMusicType() const { return strMusicType; }
    // Same source path and same output type; a missing path or type is never equal.
    bool isEqualToMusic(const QVMusicInfo& other) const;
    QString description() const;

    std::shared_ptr<QVMusicInfo> copy() const;

    QVariantMap encodeWithCoder() const;
    static std::shared_ptr<QVMusicInfo> initWithCoder(const QVariantMap& coder);
};
