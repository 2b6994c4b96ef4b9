#pragma once

#include "engine/QVFormatSetting.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDraggingImageViewDelegate.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QRect>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QVBoxLayout;
class QVDataEngine;
class QVDraggingImageView;
class QVFileInfoViewController;
class QVMetadataEditWndCtlrDelegate;
class QVMusicInfo;
class QVTipsView;
class QVUserPrompts;

// The modal editor of one row's tags, lyrics and cover before conversion. It works on a
// copy of the row's tag dictionary and hands it to the row on OK; the file and the row's
// tag handler are never touched. Editing is possible only while the output format chosen
// in the main window is one of the catalogue's formats with editable tags; otherwise every
// field is read-only and a dark band names those formats. Main thread only.
class QVMetadataEditWndCtlr : public QDialog, public QVDraggingImageViewDelegate {
    Q_OBJECT
public:
    // The output format chosen in the main window with its current choices, if any.
    using ChosenFormat = std::function<std::optional<QVFormatSetting>()>;
    // The image file the add button's panel returns, or an empty text when cancelled.
    using ImageChooser = std::function<QString(QWidget* parent, const QStringList& types)>;

    static constexpr char kPositionKey[] = "com.qvu.metadataWndPosition";
    static constexpr int kTabTags = 0;
    static constexpr int kTabArtwork = 1;
    static constexpr int kTabLyrics = 2;
    static constexpr int kTabInfo = 3;
    static constexpr int kTipsHeight = 40;

    QVMetadataEditWndCtlr(QVDataEngine& catalogue, ChosenFormat chosenFormat,
                          QWidget* parent = nullptr);
    ~QVMetadataEditWndCtlr() override;

    std::shared_ptr<QVMusicInfo> musicInfo() const { return _musicInfo; }
    void setMusicInfo(std::shared_ptr<QVMusicInfo> music);
    QVMetadataEditWndCtlrDelegate* customDelegate() const { return _customDelegate; }
    void setCustomDelegate(QVMetadataEditWndCtlrDelegate* delegate);
    void setImageChooser(ImageChooser chooser) { _chooseImage = std::move(chooser); }
    // Where a picture that cannot be used is reported.
    void setUserPrompts(std::shared_ptr<QVUserPrompts> prompts) { _prompts = std::move(prompts); }

    // The working copy of the row's tags; none after OK or without a row.
    const std::optional<QVariantMap>& workingCopy() const { return _mdicMetedataCopy; }
    // The picture as it came, null until a cover read from the file is decoded.
    QImage imgChangeBase() const { return _imgChangeBase; }
    bool isCanEditable() const;

    void updateTabView();
    void updateButtonState();
    void enableEdit(bool editable);
    void saveEditInfomation();
    void clickOk();
    void clickCancel();
    void clickPre();
    void clickNext();
    void clickAdd();
    void clickDelete();
    // Takes a picture file as the cover; a file that is no usable picture keeps the current
    // one and is reported to the user.
    bool addImageFromFile(const QString& path);
    void scaleImage(int value);
    void resetImageSlider();
    void showCanNotEditMetadataTips(bool hide, bool animate);
    void saveWindowPosition();
    QPoint getInitWindowPostion() const;
    void adjustWndPosition();

    // Where a window of this frame size goes when asked to stand at topLeft: there when
    // enough of it, title bar included, is on one of the screens, else moved into the first.
    static QPoint positionOnScreens(const QPoint& topLeft, const QSize& frameSize,
                                    const QList<QRect>& screens);
    // The size the rescaling gives a picture of imageSize in a well of wellSize for slider
    // value 0..100; nullopt when the picture is left as it is.
    static std::optional<QSize> scaledPictureSize(const QSize& imageSize, const QSize& wellSize,
                                                  int value);

    void didQVDraggingImageViewAcceptDragImage(QVDraggingImageView* view,
                                               const QImage& image) override;
    void didQVDraggingImageViewRefuseDrag(QVDraggingImageView* view, const QString& why) override;

    // Parts of the window, for tests and the main window.
    QTabWidget* tabView() const { return _tabView; }
    QVDraggingImageView* artworkWell() const { return _ivArtworkImg; }
    QSlider* scaleSlider() const { return _sldScale; }
    QVFileInfoViewController* fileInfoViewController() const { return _fileInfoViewCltr; }
    QVTipsView* tipsView() const { return _viewdisable; }
    QPushButton* okButton() const { return _btnOk; }
    QPushButton* cancelButton() const { return _btnCancel; }

public Q_SLOTS:
    void done(int result) override;

private:
    struct TextField {
        QLineEdit* field;
        const char* logicalName;
    };

    void buildLayout();
    QWidget* buildTagsTab();
    QWidget* buildArtworkTab();
    QWidget* buildLyricsTab();
    void awakeFromNib();
    void windowDidLoad();
    QString keyOfName(const char* logicalName) const;
    QString pictureKey() const { return keyOfName("AlbumImg"); }
    void updateMetadataTab();
    void updateAlbumArtworkTab();
    void updateLyricsTab();
    void updateInfoTab();
    void controlTextDidChange(const TextField& field);
    void textViewDidChange(QPlainTextEdit* view, const char* logicalName);
    QVariant workingCover() const;
    void takePicture(const QImage& image);
    void takeBasePicture(const QVariant& cover);
    void showWellPicture(const QVariant& cover);
    void reportUnusablePicture(const QString& why);

    QVDataEngine& _catalogue;
    ChosenFormat _chosenFormat;
    ImageChooser _chooseImage;
    std::shared_ptr<QVUserPrompts> _prompts;
    std::shared_ptr<QVMusicInfo> _musicInfo;
    QVMetadataEditWndCtlrDelegate* _customDelegate = nullptr;

    QTabWidget* _tabView = nullptr;
    QPushButton* _btnPre = nullptr;
    QPushButton* _btnNext = nullptr;
    QPushButton* _btnCancel = nullptr;
    QPushButton* _btnOk = nullptr;
    QPushButton* _btnAddImg = nullptr;
    QPushButton* _btnDeleteImg = nullptr;
    QList<TextField> _textFields;
    QPlainTextEdit* _tvComments = nullptr;
    QVDraggingImageView* _ivArtworkImg = nullptr;
    QSlider* _sldScale = nullptr;
    QPlainTextEdit* _tvLycirs = nullptr;
    QVFileInfoViewController* _fileInfoViewCltr = nullptr;
    std::optional<QVariantMap> _mdicMetedataCopy;
    QImage _imgChangeBase;
    QVCoverThumbnails _wellCovers; // sized for the well
    QVCoverThumbnails _baseCovers; // at their own size, for _imgChangeBase
    QVTipsView* _viewdisable = nullptr;
    QVBoxLayout* _windowLayout = nullptr;
    // Set while fields are filled from the working copy: such changes are no edits.
    bool _filling = false;
};
