#pragma once

#include "engine/QVFormatSetting.h"

#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <vector>

// The output-format catalogue, loaded once from Formats.plist. Read-only after loading.
class QVDataEngine {
public:
    // Loaded from the bundle's Formats.plist on first use; lives for the whole process.
    static QVDataEngine& shareInstance();

    // A catalogue built from an already-read Formats.plist dictionary.
    explicit QVDataEngine(const QVariantMap& catalogue);
    QVDataEngine(const QVDataEngine&) = delete;
    QVDataEngine& operator=(const QVDataEngine&) = delete;

    QStringList getAllOutputFormats() const;
    // A copy of the format titled exactly so (case matters).
    std::optional<QVFormatSetting> getFormatWithName(const QString& title) const;
    QString getDecodecWithCodecName(const QString& codecName) const;
    QStringList getCanEditMetadataMusicType() const;

    static QStringList itunesFormats();
    static QStringList getCanUseImageType();
    static QStringList getCanNotRemoveFormatContainer();
    static QStringList vaildImportMusicType();
    // MTEFileType of an extension, compared without regard to case.
    static int getTagFileFormatByFileType(const QString& extension);

    void loadFormatDecodeMap(const QVariantMap& catalogue);
    void loadFormatSettingInfo(const QVariantMap& catalogue);

    const std::vector<QVFormatSetting>& audioFormats() const { return _audioFormats; }

private:
    QVariantList _devices;
    QVariantList _formats;
    std::vector<QVFormatSetting> _audioFormats;
    QVariantMap _decodeMap;
    bool _hasDecodeMap = false;
    QStringList _editableTagFormats;
};
