#include "engine/QVMusicInfo.h"

#include "tags/MTEAudioFile.h"

QVMusicInfo::QVMusicInfo() = default;

QVMusicInfo::~QVMusicInfo() = default;

QVMusicInfo::QVMusicInfo(const QVMusicInfo& other)
    : BDObject(other), strFilePath(other.strFilePath), strMusicName(other.strMusicName),
      mediaInfo(other.mediaInfo ? other.mediaInfo->copy() : nullptr),
      metHandler(other.metHandler ? other.metHandler->copy() : nullptr),
      strMusicType(other.strMusicType), dConvertProgress(other.dConvertProgress.load()),
      bIsSendingToiTunes(other.bIsSendingToiTunes),
      striTunesPlaylistName(other.striTunesPlaylistName), dicToMetadata(other.dicToMetadata) {}

bool QVMusicInfo::isEqualToMusic(const QVMusicInfo& other) const {
    if (strFilePath.isNull() || other.strFilePath.isNull() || strMusicType.isNull() ||
        other.strMusicType.isNull())
        return false;
    return strFilePath == other.strFilePath && strMusicType == other.strMusicType;
}

QString QVMusicInfo::description() const {
    const LSMedia* media = mediaInfo.get();
    return QStringLiteral("P = %1, path = %2, name = %3, sample = %4, birat = %5,             "
                          "channel = %6, inFormateType = %7")
        .arg(QString::asprintf("%p", static_cast<const void*>(this)),
             media ? media->strMediaFilePath_ : QStringLiteral("(null)"), strMusicName,
             QString::number(media ? media->dSamplerate : 0.0, 'f', 6),
             QString::number(media ? media->dABitrate : 0.0, 'f', 6),
             QString::number(media ? media->iChanels : 0), getStrMusicType());
}

std::shared_ptr<QVMusicInfo> QVMusicInfo::copy() const {
    return std::make_shared<QVMusicInfo>(*this);
}

QVariantMap QVMusicInfo::encodeWithCoder() const {
    QVariantMap coder;
    coder.insert(QStringLiteral("strSourceFilePath"), strFilePath);
    if (mediaInfo)
        coder.insert(QStringLiteral("mediaInfo"), mediaInfo->encodeWithCoder());
    coder.insert(QStringLiteral("MusicName"), strMusicName);
    if (metHandler)
        coder.insert(QStringLiteral("metInfo"), metHandler->encodeWithCoder());
    coder.insert(QStringLiteral("strMusicType"), strMusicType);
    coder.insert(QStringLiteral("dConvertProgress"), dConvertProgress.load());
    coder.insert(QStringLiteral("bIsSendingToiTunes"), bIsSendingToiTunes);
    coder.insert(QStringLiteral("striTunesPlaylistName"), striTunesPlaylistName);
    coder.insert(QStringLiteral("dicToMetadata"), dicToMetadata);
    return coder;
}

std::shared_ptr<QVMusicInfo> QVMusicInfo::initWithCoder(const QVariantMap& coder) {
    auto music = std::make_shared<QVMusicInfo>();
    music->strFilePath = coder.value(QStringLiteral("strSourceFilePath")).toString();
    if (coder.contains(QStringLiteral("mediaInfo")))
        music->mediaInfo = LSMedia::initWithCoder(coder.value(QStringLiteral("mediaInfo")).toMap());
    music->strMusicName = coder.value(QStringLiteral("MusicName")).toString();
    if (coder.contains(QStringLiteral("metInfo")))
        music->metHandler =
            MTEAudioFile::initWithCoder(coder.value(QStringLiteral("metInfo")).toMap());
    music->strMusicType = coder.value(QStringLiteral("strMusicType")).toString();
    music->dConvertProgress =
        coder.value(QStringLiteral("dConvertProgress"), QVProgressWaiting).toDouble();
    music->bIsSendingToiTunes = coder.value(QStringLiteral("bIsSendingToiTunes")).toBool();
    music->striTunesPlaylistName = coder.value(QStringLiteral("striTunesPlaylistName")).toString();
    music->dicToMetadata = coder.value(QStringLiteral("dicToMetadata")).toMap();
    return music;
}
