#pragma once

#include "engine/QVFormatSetting.h"

#include <QVariantMap>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QVCoverThumbnails;
class QVMusicInfo;

// The file information tab of the metadata editor: one row's tags (from the editor's
// working copy), size, date, length and location, and its audio parameters as the source
// has them or as the chosen output format will make them. Labels are named after their
// outlets ("_tfInfoTitle", ...). The artwork shows once it is decoded, off the main thread.
class QVFileInfoViewController : public QWidget {
    Q_OBJECT
public:
    // Shown wherever a fact is missing (spelled so).
    static constexpr char kUnknown[] = "Unknow";

    explicit QVFileInfoViewController(QWidget* parent = nullptr);
    ~QVFileInfoViewController() override;

    std::shared_ptr<QVMusicInfo> musicInfo() const { return _musicInfo; }
    void setMusicInfo(std::shared_ptr<QVMusicInfo> music) { _musicInfo = std::move(music); }
    QVariantMap dicMetadataInfo() const { return _dicMetadataInfo; }
    void setDicMetadataInfo(const QVariantMap& tags) { _dicMetadataInfo = tags; }
    bool isShowOriginalInfo() const { return _isShowOriginalInfo; }
    void setIsShowOriginalInfo(bool original) { _isShowOriginalInfo = original; }
    // The output format chosen in the main window, with its current choices; the output
    // facts follow it ("Use Source" keeps the source's value).
    void setOutputFormat(std::optional<QVFormatSetting> format) {
        _outputFormat = std::move(format);
    }

    // Fills every label from the row, the tags and the output format.
    void update();
    // Shows the folder that holds the row's file.
    void clickOpenFile();

private:
    void buildLayout();
    QLabel* makeValue(const char* outlet);
    QString tagText(const char* logicalName) const;
    QString titleText() const;
    void showSourceOrOutputFacts();
    void showTagFamily();

    std::shared_ptr<QVMusicInfo> _musicInfo;
    QVariantMap _dicMetadataInfo;
    bool _isShowOriginalInfo = false;
    std::optional<QVFormatSetting> _outputFormat;

    QLabel* _tfInfoTitle = nullptr;
    QLabel* _tfInfoArtist = nullptr;
    QLabel* _tfInfoAlbum = nullptr;
    QLabel* _tfInfoKind = nullptr;
    QLabel* _tfInfoFormat = nullptr;
    QLabel* _tfInfoChannels = nullptr;
    QLabel* _tfInfoChannelsMod = nullptr;
    QLabel* _tfInfoBitRate = nullptr;
    QLabel* _tfInfoBitRateMode = nullptr;
    QLabel* _tfInfoSampleRate = nullptr;
    QLabel* _tfInfoSampleRateSize = nullptr;
    QLabel* _tfInfoLength = nullptr;
    QLabel* _tfInfoFileSize = nullptr;
    QLabel* _tfInfoTagFmt = nullptr;
    QLabel* _tfInfoEncodeWith = nullptr;
    QLabel* _tfInfoDateMdf = nullptr;
    QLabel* _tfInfoId3Tag = nullptr;
    QLabel* _tfInfoWhere = nullptr;
    QLabel* _ivInfoArtwork = nullptr;
    QVCoverThumbnails* _artwork = nullptr; // the pictures _ivInfoArtwork shows
    QPushButton* _btnOpenFile = nullptr;
};
