#pragma once

#include "engine/LSMediaTypes.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>

// The plain part of a file's description: written before a job starts or after it ends,
// so it needs no guarding. Units: Hz, seconds, input bitrate in bit/s, output bitrates in
// kbit/s, sizes in bytes.
struct LSMediaFields {
    QString strMediaFilePath_;
    QImage imgThumbnail_;
    QImage imgFormat_;
    QString strProfileName;
    QString strProfileType = QStringLiteral("M4VH");
    int iVStream = 0;
    int iAStream = 0;
    int iSStream = 0;
    int eumMediaType = LSMediaTypeVideo;
    int eumDestFmtType = LSDestFmtTypeAudio;
    bool bSampeQuality = true;
    qint64 iTotalFrames = 0;
    double dMovieStartTime = 0.0;
    double dMovieDuration = 0.0;

    double dVBitrate = 0.0;
    double vFps = 0.0;
    int iWidth = 0;
    int iHeight = 0;
    int pix_fmt = 0;
    int vCodecID = 0;
    QString strVCodecName;

    int iChanels = 0;
    // Where the source's speakers are, as an FFmpeg channel mask; 0 when it does not say.
    quint64 iChannelLayout = 0;
    double dABitrate = 0.0;
    double dSamplerate = 0.0;
    int aCodecID = 0;
    QString strACodecName;
    QString strFmtName;

    double dVOBitrate = 0.0;
    double dVOMaxBitrate = 0.0;
    double vOFps = 0.0;
    int iOWidth = 0;
    int iOHeight = 0;
    QString strOResolution;
    QString readableVOCodecName;
    QString vOVCodecName;

    double dAOBitrate = 0.0;
    double dAOSamplerate = 0.0;
    int iAOChanels = 0;
    QString readableAOCodecName;
    QString vOACodecName;

    int eumErrorCode = LSMediaErrorNone;
    QString strDescription;
    QString strOutFileName;
    QString strOutFileExt;
    double dTrimStart = 0.0;
    double dTrimLength = 0.0;
    double dSplitStart = 0.0;
    double dSplitLength = 0.0;
    int eumCropType = LSCropTypeNone;
    QRectF rcCroped;
    QString strLastModified;
    double dFileSize = 0.0;
    QString strASampleSize;
    // The file's tags as the probe read them, for the tag handler made next; unset when the
    // file was not probed.
    std::optional<QList<std::pair<QString, QString>>> ffmpegTags;
};

// One file's media description with the parameters and state of its conversion.
// Progress, time left and state are written by the job's thread while the main thread
// reads them: those three are atomic.
class LSMedia : public LSMediaFields {
public:
    LSMedia() = default;
    LSMedia(const LSMedia&) = delete;
    LSMedia& operator=(const LSMedia&) = delete;

    std::atomic<double> dProgress{0.0};
    std::atomic<double> dLeftTime{0.0};
    std::atomic<int> eumCvtState{LSConvertStateWaiting};

    // A copy of every field but the export profile's name and type, which stay empty.
    std::shared_ptr<LSMedia> copy() const;

    QVariantMap encodeWithCoder() const;
    static std::shared_ptr<LSMedia> initWithCoder(const QVariantMap& coder);

    QString description() const;
};
