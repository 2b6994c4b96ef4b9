#include "engine/QVDataEngine.h"

#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "tags/MTEFileType.h"
#include "util/QVFileLocalManager.h"

namespace {

QVariantMap loadBundleCatalogue() {
    const QString path = MainBundle::mainBundle().pathForResource(QStringLiteral("Formats"),
                                                                  QStringLiteral("plist"));
    return path.isEmpty() ? QVariantMap() : PropertyList::dictionaryWithContentsOfFile(path);
}

// "values" is one string of choices joined by ","; empty pieces are kept.
QStringList choices(const QVariantMap& entry, const char* key) {
    const QVariant values = entry.value(QLatin1String(key)).toMap().value(QStringLiteral("values"));
    if (!values.isValid())
        return {};
    return values.toString().split(u',');
}

QString defaultChoice(const QVariantMap& entry, const char* key) {
    return entry.value(QLatin1String(key)).toMap().value(QStringLiteral("default")).toString();
}

} // namespace

QVDataEngine& QVDataEngine::shareInstance() {
    static QVDataEngine instance(loadBundleCatalogue());
    return instance;
}

QVDataEngine::QVDataEngine(const QVariantMap& catalogue) {
    _devices = catalogue.value(QStringLiteral("Devices")).toList();
    _formats = catalogue.value(QStringLiteral("Formats")).toList();
    _editableTagFormats = catalogue.value(QStringLiteral("canEditTagFmtNames")).toStringList();
    loadFormatDecodeMap(catalogue);
    loadFormatSettingInfo(catalogue);
}

void QVDataEngine::loadFormatDecodeMap(const QVariantMap& catalogue) {
    const QVariant map = catalogue.value(QStringLiteral("codecMap"));
    _hasDecodeMap = map.typeId() == QMetaType::QVariantMap;
    _decodeMap = map.toMap();
}

void QVDataEngine::loadFormatSettingInfo(const QVariantMap& catalogue) {
    _audioFormats.clear();
    for (const QVariant& item : catalogue.value(QStringLiteral("Audios")).toList()) {
        const QVariantMap entry = item.toMap();
        QVFormatSetting format;
        format.fmtName = entry.value(QStringLiteral("title")).toString();
        format.fmtDescribe = entry.value(QStringLiteral("description")).toString();
        format.sampleRate = defaultChoice(entry, "samplerate");
        format.biteRate = defaultChoice(entry, "abitrate");
        format.channels = defaultChoice(entry, "channel");
        format.outputExtName = entry.value(QStringLiteral("ext")).toString();
        format.strImgFileName = entry.value(QStringLiteral("image")).toString();
        format.outputPath = QVFileLocalManager::getDefaultOutputDir(format.fmtName);
        const QString codec = defaultChoice(entry, "acodec");
        if (!codec.isEmpty())
            format.decodecName = getDecodecWithCodecName(codec);
        format.enumAddToiTunes = entry.value(QStringLiteral("isAddToiTunes")).toInt();
        format.isSaveAsOriginal = false;
        format.aryChannels = choices(entry, "channel");
        format.arySampleRate = choices(entry, "samplerate");
        format.aryBiteRate = choices(entry, "abitrate");
        _audioFormats.push_back(std::move(format));
    }
}

QStringList QVDataEngine::getAllOutputFormats() const {
    QStringList titles;
    for (const QVFormatSetting& format : _audioFormats)
        titles.append(format.fmtName);
    return titles;
}

std::optional<QVFormatSetting> QVDataEngine::getFormatWithName(const QString& title) const {
    for (const QVFormatSetting& format : _audioFormats) {
        if (format.fmtName == title)
            return format;
    }
    return std::nullopt;
}

QString QVDataEngine::getDecodecWithCodecName(const QString& codecName) const {
    if (!_hasDecodeMap)
        return {};
    const QVariant encoder = _decodeMap.value(codecName);
    return encoder.isValid() ? encoder.toString() : QString();
}

QStringList QVDataEngine::getCanEditMetadataMusicType() const {
    return _editableTagFormats;
}

QStringList QVDataEngine::itunesFormats() {
    return {QStringLiteral("ALAC"),        QStringLiteral("MP3"),      QStringLiteral("AAC"),
            QStringLiteral("CAF"),         QStringLiteral("Ringtone"), QStringLiteral("AMR Audio"),
            QStringLiteral("MPEG-2 Audio")};
}

QStringList QVDataEngine::getCanUseImageType() {
    return {QStringLiteral("PNG"), QStringLiteral("JPEG"), QStringLiteral("JPG")};
}

QStringList QVDataEngine::getCanNotRemoveFormatContainer() {
    return {QStringLiteral("MP3"), QStringLiteral("AAC"), QStringLiteral("Ringtone")};
}

QStringList QVDataEngine::vaildImportMusicType() {
    return {};
}

int QVDataEngine::getTagFileFormatByFileType(const QString& extension) {
    const QString ext = extension.toLower();
    if (ext == QLatin1String("mp3") || ext == QLatin1String("flac"))
        return MTEFileTypeMpeg;
    if (ext == QLatin1String("m4a") || ext == QLatin1String("mp4"))
        return MTEFileTypeM4A;
    return MTEFileTypeOther;
}
