#include "engine/LSMedia.h"

namespace {

void encodeString(QVariantMap& coder, const char* key, const QString& value) {
    if (!value.isEmpty())
        coder.insert(QLatin1String(key), value);
}

double decodeDouble(const QVariantMap& coder, const char* key, double fallback) {
    const QVariant value = coder.value(QLatin1String(key));
    return value.isValid() ? value.toDouble() : fallback;
}

int decodeInt(const QVariantMap& coder, const char* key, int fallback) {
    const QVariant value = coder.value(QLatin1String(key));
    return value.isValid() ? value.toInt() : fallback;
}

QString decodeString(const QVariantMap& coder, const char* key) {
    return coder.value(QLatin1String(key)).toString();
}

} // namespace

std::shared_ptr<LSMedia> LSMedia::copy() const {
    auto media = std::make_shared<LSMedia>();
    static_cast<LSMediaFields&>(*media) = static_cast<const LSMediaFields&>(*this);
    media->strProfileName.clear();
    media->strProfileType = QString();
    media->dProgress = dProgress.load();
    media->dLeftTime = dLeftTime.load();
    media->eumCvtState = eumCvtState.load();
    return media;
}

QVariantMap LSMedia::encodeWithCoder() const {
    QVariantMap coder;
    coder.insert(QStringLiteral("dFileSize"), dFileSize);
    coder.insert(QStringLiteral("dMovieDuration"), dMovieDuration);
    coder.insert(QStringLiteral("dSamplerate"), dSamplerate);
    coder.insert(QStringLiteral("dABitrate"), dABitrate);
    coder.insert(QStringLiteral("iChanels"), iChanels);
    coder.insert(QStringLiteral("dTrimLength"), dTrimLength);
    coder.insert(QStringLiteral("eumDestFmtType"), eumDestFmtType);
    coder.insert(QStringLiteral("eumCvtState"), eumCvtState.load());
    coder.insert(QStringLiteral("eumErrorCode"), eumErrorCode);
    coder.insert(QStringLiteral("eumMediaType"), eumMediaType);
    encodeString(coder, "strASampleSize", strASampleSize);
    encodeString(coder, "strACodecName", strACodecName);
    encodeString(coder, "strMediaFilePath_", strMediaFilePath_);
    encodeString(coder, "strLastModified", strLastModified);
    encodeString(coder, "strFmtName", strFmtName);
    encodeString(coder, "strOutFileExt", strOutFileExt);
    encodeString(coder, "strOutFileName", strOutFileName);
    coder.insert(QStringLiteral("dAOBitrate"), dAOBitrate);
    coder.insert(QStringLiteral("dAOSamplerate"), dAOSamplerate);
    coder.insert(QStringLiteral("iOAChanels"), iAOChanels);
    encodeString(coder, "vOACodecName", vOACodecName);
    return coder;
}

std::shared_ptr<LSMedia> LSMedia::initWithCoder(const QVariantMap& coder) {
    auto media = std::make_shared<LSMedia>();
    media->strMediaFilePath_ = decodeString(coder, "strMediaFilePath_");
    media->dMovieDuration = decodeDouble(coder, "dMovieDuration", 0.0);
    media->dSamplerate = decodeDouble(coder, "dSamplerate", 0.0);
    media->dABitrate = decodeDouble(coder, "dABitrate", 0.0);
    media->iChanels = decodeInt(coder, "iChanels", 0);
    media->strACodecName = decodeString(coder, "strACodecName");
    media->strLastModified = decodeString(coder, "strLastModified");
    media->dFileSize = decodeDouble(coder, "dFileSize", 0.0);
    media->strASampleSize = decodeString(coder, "strASampleSize");
    media->dTrimLength = decodeDouble(coder, "dTrimLength", 0.0);
    media->eumCvtState = decodeInt(coder, "eumCvtState", LSConvertStateWaiting);
    media->eumErrorCode = decodeInt(coder, "eumErrorCode", LSMediaErrorNone);
    media->eumMediaType = decodeInt(coder, "eumMediaType", LSMediaTypeVideo);
    media->eumDestFmtType = decodeInt(coder, "eumDestFmtType", LSDestFmtTypeAudio);
    media->dAOBitrate = decodeDouble(coder, "dAOBitrate", 0.0);
    media->dAOSamplerate = decodeDouble(coder, "dAOSamplerate", 0.0);
    media->iAOChanels = decodeInt(coder, "iOAChanels", 0);
    media->vOACodecName = decodeString(coder, "vOACodecName");
    media->strFmtName = decodeString(coder, "strFmtName");
    media->strOutFileExt = decodeString(coder, "strOutFileExt");
    media->strOutFileName = decodeString(coder, "strOutFileName");
    return media;
}

QString LSMedia::description() const {
    return QStringLiteral("id:%1, filePath = %2")
        .arg(QString::asprintf("%p", static_cast<const void*>(this)), strMediaFilePath_);
}
