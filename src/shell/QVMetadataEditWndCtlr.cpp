#include "shell/QVMetadataEditWndCtlr.h"

#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/GeometryText.h"
#include "platform/UserDefaults.h"
#include "shell/QVFileInfoViewController.h"
#include "shell/QVMetadataEditWndCtlrDelegate.h"
#include "shell/QVUserPrompts.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTECoverDecoder.h"
#include "tags/MTETagText.h"
#include "views/QVDraggingImageView.h"
#include "views/QVImageScale.h"
#include "views/QVTipsView.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kWellSide = 220;
constexpr QSize kInfoViewSize(375, 355);
// Of a window's top strip this much must be on a screen for the user to reach it.
constexpr int kTitleStripHeight = 24;
constexpr int kMinVisibleWidth = 64;

QString chooseImageWithPanel(QWidget* parent, const QStringList& types) {
    QStringList patterns;
    for (const QString& type : types)
        patterns << QStringLiteral("*.") + type.toLower() << QStringLiteral("*.") + type.toUpper();
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Choose a Picture"), QString(),
                                        QStringLiteral("Images (%1)").arg(patterns.join(u' ')));
}

QString textOfValue(const QVariant& value) {
    return MTETagText::isTextValue(value) ? value.toString() : QString();
}

QString tipsText(const QStringList& titles) {
    QString text = QStringLiteral("Supports only ");
    for (qsizetype i = 0; i < titles.size(); ++i)
        text += titles.at(i) + (i + 1 < titles.size() ? QStringLiteral(", ") : QStringLiteral("."));
    return text;
}

QLabel* fieldLabel(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QLatin1String(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

} // namespace

QVMetadataEditWndCtlr::QVMetadataEditWndCtlr(QVDataEngine& catalogue, ChosenFormat chosenFormat,
                                             QWidget* parent)
    : QDialog(parent), _catalogue(catalogue), _chosenFormat(std::move(chosenFormat)),
      _chooseImage(chooseImageWithPanel), _prompts(std::make_shared<QVUserPrompts>()),
      _wellCovers(QSize(kWellSide, kWellSide), QVCoverThumbnails::Fitting::Shrunk,
                  QVCoverThumbnails::kCachedCovers, this),
      _baseCovers(QSize(), QVCoverThumbnails::Fitting::Shrunk, 1, this) {
    setObjectName(QStringLiteral("QVMetadataEditWndCtlr"));
    setModal(true);
    buildLayout();
    awakeFromNib();
    windowDidLoad();
}

QVMetadataEditWndCtlr::~QVMetadataEditWndCtlr() = default;

// ---------------------------------------------------------------------------------------
// Window

void QVMetadataEditWndCtlr::buildLayout() {
    _tabView = new QTabWidget(this);
    _tabView->setObjectName(QStringLiteral("_tabView"));
    _tabView->addTab(buildTagsTab(), QStringLiteral("Tags"));
    _tabView->addTab(buildArtworkTab(), QStringLiteral("Artwork"));
    _tabView->addTab(buildLyricsTab(), QStringLiteral("Lyrics"));
    auto* infoTab = new QWidget;
    infoTab->setMinimumSize(kInfoViewSize);
    _tabView->addTab(infoTab, QStringLiteral("Info"));

    _btnPre = new QPushButton(QStringLiteral("Previous"), this);
    _btnPre->setObjectName(QStringLiteral("_btnPre"));
    _btnNext = new QPushButton(QStringLiteral("Next"), this);
    _btnNext->setObjectName(QStringLiteral("_btnNext"));
    _btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    _btnCancel->setObjectName(QStringLiteral("_btnCancel"));
    _btnOk = new QPushButton(QStringLiteral("OK"), this);
    _btnOk->setObjectName(QStringLiteral("_btnOk"));
    _btnOk->setDefault(true);
    for (QPushButton* button : {_btnPre, _btnNext, _btnCancel, _btnOk})
        button->setAutoDefault(false);
    _btnOk->setDefault(true);
    connect(_btnPre, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickPre);
    connect(_btnNext, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickNext);
    connect(_btnCancel, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickCancel);
    connect(_btnOk, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickOk);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(_btnPre);
    buttons->addWidget(_btnNext);
    buttons->addStretch(1);
    buttons->addWidget(_btnCancel);
    buttons->addWidget(_btnOk);

    auto* content = new QVBoxLayout;
    content->setContentsMargins(12, 12, 12, 12);
    content->addWidget(_tabView, 1);
    content->addLayout(buttons);
    // The band, when shown, spans the window's top edge above everything else.
    _windowLayout = new QVBoxLayout(this);
    _windowLayout->setContentsMargins(0, 0, 0, 0);
    _windowLayout->setSpacing(0);
    _windowLayout->addLayout(content, 1);
    setFixedSize(sizeHint().expandedTo(QSize(kInfoViewSize.width() + 50, 0)));
}

QWidget* QVMetadataEditWndCtlr::buildTagsTab() {
    auto* page = new QWidget;
    const auto field = [this, page](const char* outlet, const char* logicalName) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QLatin1String(outlet));
        // A field holds what the tag holds; Qt's default would cut at 32,767 characters.
        edit->setMaxLength(std::numeric_limits<int>::max());
        _textFields.append({edit, logicalName});
        connect(edit, &QLineEdit::textEdited, this, [this, edit, logicalName] {
            controlTextDidChange({edit, logicalName});
        });
        return edit;
    };
    QLineEdit* title = field("_tfTitle", "Title");
    QLineEdit* artist = field("_tfArtist", "Artist");
    QLineEdit* albumArtist = field("_tfAlbumArtist", "AlbumArtist");
    QLineEdit* composer = field("_tfComposer", "Composer");
    QLineEdit* album = field("_tfAlbum", "Album");
    QLineEdit* year = field("_tfYear", "Date");
    QLineEdit* grouping = field("_tfGrouping", "Grouping");
    QLineEdit* genre = field("_tfGenre", "Genre");
    QLineEdit* track = field("_tfTrackNum", "Track");
    QLineEdit* copyright = field("_tfCopyright", "Copyright");
    QLineEdit* publisher = field("_tfPublisher", "Publisher");
    _tvComments = new QPlainTextEdit(page);
    _tvComments->setObjectName(QStringLiteral("_tvComments"));
    _tvComments->setFixedHeight(64);
    connect(_tvComments, &QPlainTextEdit::textChanged, this,
            [this] { textViewDidChange(_tvComments, "Comment"); });

    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    const auto wide = [grid, page](int row, const char* text, QWidget* widget) {
        grid->addWidget(fieldLabel(text, widget, page), row, 0);
        grid->addWidget(widget, row, 1, 1, 3);
    };
    const auto pair = [grid, page](int row, const char* leftText, QWidget* left,
                                   const char* rightText, QWidget* right) {
        grid->addWidget(fieldLabel(leftText, left, page), row, 0);
        grid->addWidget(left, row, 1);
        grid->addWidget(fieldLabel(rightText, right, page), row, 2);
        grid->addWidget(right, row, 3);
    };
    wide(0, "Title:", title);
    wide(1, "Artist:", artist);
    wide(2, "Album Artist:", albumArtist);
    wide(3, "Album:", album);
    wide(4, "Composer:", composer);
    pair(5, "Year:", year, "Track:", track);
    pair(6, "Genre:", genre, "Grouping:", grouping);
    wide(7, "Copyright:", copyright);
    wide(8, "Publisher:", publisher);
    grid->addWidget(fieldLabel("Comments:", _tvComments, page), 9, 0,
                    Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(_tvComments, 9, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(10, 1);
    return page;
}

QWidget* QVMetadataEditWndCtlr::buildArtworkTab() {
    auto* page = new QWidget;
    auto* frame = new QFrame(page);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    _ivArtworkImg = new QVDraggingImageView(frame);
    _ivArtworkImg->setObjectName(QStringLiteral("_ivArtworkImg"));
    _ivArtworkImg->setFixedSize(kWellSide, kWellSide);
    _ivArtworkImg->setToolTip(QStringLiteral("Drop a picture here"));
    frameLayout->addWidget(_ivArtworkImg);

    _sldScale = new QSlider(Qt::Horizontal, page);
    _sldScale->setObjectName(QStringLiteral("_sldScale"));
    _sldScale->setRange(0, 100);
    _sldScale->setFixedWidth(kWellSide);
    _sldScale->setToolTip(QStringLiteral("Picture size"));
    connect(_sldScale, &QSlider::valueChanged, this, &QVMetadataEditWndCtlr::scaleImage);

    _btnAddImg = new QPushButton(QStringLiteral("Add…"), page);
    _btnAddImg->setObjectName(QStringLiteral("_btnAddImg"));
    _btnDeleteImg = new QPushButton(QStringLiteral("Remove"), page);
    _btnDeleteImg->setObjectName(QStringLiteral("_btnDeleteImg"));
    connect(_btnAddImg, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickAdd);
    connect(_btnDeleteImg, &QPushButton::clicked, this, &QVMetadataEditWndCtlr::clickDelete);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(_btnAddImg);
    buttons->addWidget(_btnDeleteImg);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(frame, 0, Qt::AlignHCenter);
    layout->addWidget(_sldScale, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return page;
}

QWidget* QVMetadataEditWndCtlr::buildLyricsTab() {
    auto* page = new QWidget;
    _tvLycirs = new QPlainTextEdit(page);
    _tvLycirs->setObjectName(QStringLiteral("_tvLycirs"));
    connect(_tvLycirs, &QPlainTextEdit::textChanged, this,
            [this] { textViewDidChange(_tvLycirs, "LRC"); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(_tvLycirs);
    return page;
}

void QVMetadataEditWndCtlr::awakeFromNib() {
    _ivArtworkImg->setDelegate(this);
    updateButtonState();
    if (!_fileInfoViewCltr) {
        QWidget* infoTab = _tabView->widget(kTabInfo);
        _fileInfoViewCltr = new QVFileInfoViewController(infoTab);
        _fileInfoViewCltr->setGeometry(QRect(QPoint(0, 0), kInfoViewSize));
    }
    connect(_tabView, &QTabWidget::currentChanged, this, [this] { updateTabView(); });
    enableEdit(isCanEditable());
}

void QVMetadataEditWndCtlr::windowDidLoad() {
    updateTabView();
    adjustWndPosition();
}

void QVMetadataEditWndCtlr::setCustomDelegate(QVMetadataEditWndCtlrDelegate* delegate) {
    _customDelegate = delegate;
    updateButtonState();
}

void QVMetadataEditWndCtlr::done(int result) {
    // Every way out (OK, Cancel, Escape, the close box) remembers where the window was.
    saveWindowPosition();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------
// The row and its working copy

void QVMetadataEditWndCtlr::setMusicInfo(std::shared_ptr<QVMusicInfo> music) {
    _musicInfo = std::move(music);
    _mdicMetedataCopy.reset();
    const bool editable = isCanEditable();
    enableEdit(editable);
    showCanNotEditMetadataTips(editable, true);
    if (_musicInfo)
        _mdicMetedataCopy = _musicInfo->dicToMetadata;
    takeBasePicture(workingCover());
    updateTabView();
    updateButtonState();
    resetImageSlider();
    if (_musicInfo)
        setWindowTitle(QFileInfo(_musicInfo->strFilePath).fileName());
}

bool QVMetadataEditWndCtlr::isCanEditable() const {
    // Without a tag handler there is no tag family to store the edits under.
    if (!_musicInfo || !_musicInfo->metHandler)
        return false;
    const std::optional<QVFormatSetting> chosen = _chosenFormat ? _chosenFormat() : std::nullopt;
    return chosen && _catalogue.getCanEditMetadataMusicType().contains(chosen->fmtName);
}

QString QVMetadataEditWndCtlr::keyOfName(const char* logicalName) const {
    if (!_musicInfo || !_musicInfo->metHandler)
        return {};
    return _musicInfo->metHandler->keyOf(QLatin1String(logicalName));
}

void QVMetadataEditWndCtlr::saveEditInfomation() {
    if (!isCanEditable() || !_mdicMetedataCopy)
        return;
    _musicInfo->dicToMetadata = std::move(*_mdicMetedataCopy);
    _mdicMetedataCopy.reset();
}

// ---------------------------------------------------------------------------------------
// Tabs

void QVMetadataEditWndCtlr::updateTabView() {
    switch (_tabView->currentIndex()) {
    case kTabTags:
        updateMetadataTab();
        break;
    case kTabArtwork:
        updateAlbumArtworkTab();
        break;
    case kTabLyrics:
        updateLyricsTab();
        break;
    case kTabInfo:
        updateInfoTab();
        break;
    default:
        break;
    }
}

void QVMetadataEditWndCtlr::updateMetadataTab() {
    if (!_musicInfo)
        return;
    const QVariantMap tags = _mdicMetedataCopy.value_or(QVariantMap());
    const QString commentKey = keyOfName("Comment");
    _filling = true;
    for (const TextField& entry : std::as_const(_textFields)) {
        const QString key = keyOfName(entry.logicalName);
        entry.field->setText(key.isEmpty() ? QString() : textOfValue(tags.value(key)));
        // Setting a text puts the cursor after it: a long value would show only its end.
        entry.field->setCursorPosition(0);
    }
    _tvComments->setPlainText(commentKey.isEmpty() ? QString()
                                                   : textOfValue(tags.value(commentKey)));
    _filling = false;
}

void QVMetadataEditWndCtlr::updateAlbumArtworkTab() {
    if (_musicInfo)
        showWellPicture(workingCover());
}

QVariant QVMetadataEditWndCtlr::workingCover() const {
    const QString key = pictureKey();
    return _mdicMetedataCopy && !key.isEmpty() ? _mdicMetedataCopy->value(key) : QVariant();
}

void QVMetadataEditWndCtlr::updateLyricsTab() {
    const QString key = keyOfName("LRC");
    _filling = true;
    _tvLycirs->setPlainText(_mdicMetedataCopy && !key.isEmpty()
                                ? textOfValue(_mdicMetedataCopy->value(key))
                                : QString());
    _filling = false;
}

void QVMetadataEditWndCtlr::updateInfoTab() {
    if (!_musicInfo)
        return;
    _fileInfoViewCltr->setDicMetadataInfo(_mdicMetedataCopy.value_or(QVariantMap()));
    _fileInfoViewCltr->setMusicInfo(_musicInfo);
    _fileInfoViewCltr->setIsShowOriginalInfo(false);
    _fileInfoViewCltr->setOutputFormat(_chosenFormat ? _chosenFormat() : std::nullopt);
    _fileInfoViewCltr->update();
}

// ---------------------------------------------------------------------------------------
// Buttons and fields

void QVMetadataEditWndCtlr::updateButtonState() {
    const bool previous =
        _customDelegate && _customDelegate->isMetadataEditWndCltrCanPerformFunction(this, 0);
    const bool next =
        _customDelegate && _customDelegate->isMetadataEditWndCltrCanPerformFunction(this, 1);
    _btnPre->setEnabled(previous);
    _btnNext->setEnabled(next);
}

void QVMetadataEditWndCtlr::enableEdit(bool editable) {
    for (QPushButton* button : {_btnPre, _btnNext, _btnCancel, _btnAddImg, _btnDeleteImg})
        button->setEnabled(editable);
    for (const TextField& entry : std::as_const(_textFields)) {
        entry.field->setReadOnly(!editable);
        // A name the row's tag family cannot hold (Grouping in MP4) has nowhere to go.
        entry.field->setEnabled(!keyOfName(entry.logicalName).isEmpty());
    }
    _tvComments->setReadOnly(!editable);
    _tvLycirs->setReadOnly(!editable);
    _ivArtworkImg->setEnabled(editable);
    _sldScale->setEnabled(editable);
    if (!editable && _viewdisable)
        _viewdisable->setFocus();
}

void QVMetadataEditWndCtlr::controlTextDidChange(const TextField& entry) {
    if (!_mdicMetedataCopy || _filling)
        return;
    const QString key = keyOfName(entry.logicalName);
    if (!key.isEmpty())
        _mdicMetedataCopy->insert(key, entry.field->text());
}

void QVMetadataEditWndCtlr::textViewDidChange(QPlainTextEdit* view, const char* logicalName) {
    if (!_mdicMetedataCopy || _filling || view->isReadOnly())
        return;
    const QString key = keyOfName(logicalName);
    if (!key.isEmpty())
        _mdicMetedataCopy->insert(key, view->toPlainText());
}

void QVMetadataEditWndCtlr::clickOk() {
    saveEditInfomation();
    accept();
}

void QVMetadataEditWndCtlr::clickCancel() {
    reject();
}

void QVMetadataEditWndCtlr::clickPre() {
    saveEditInfomation();
    if (!_customDelegate)
        return;
    if (std::shared_ptr<QVMusicInfo> row =
            _customDelegate->metadataEditWndCltrAskMusicInfo(this, 0))
        setMusicInfo(std::move(row));
}

void QVMetadataEditWndCtlr::clickNext() {
    saveEditInfomation();
    if (!_customDelegate)
        return;
    if (std::shared_ptr<QVMusicInfo> row =
            _customDelegate->metadataEditWndCltrAskMusicInfo(this, 1))
        setMusicInfo(std::move(row));
}

// ---------------------------------------------------------------------------------------
// The picture

void QVMetadataEditWndCtlr::clickAdd() {
    if (!_chooseImage)
        return;
    const QString path = _chooseImage(this, QVDataEngine::getCanUseImageType());
    if (!path.isEmpty())
        addImageFromFile(path);
}

bool QVMetadataEditWndCtlr::addImageFromFile(const QString& path) {
    const MTECoverDecoder::Result picture = MTECoverDecoder::decodeFile(path);
    if (picture.image.isNull()) {
        reportUnusablePicture(picture.error);
        return false;
    }
    takePicture(picture.image);
    return true;
}

void QVMetadataEditWndCtlr::didQVDraggingImageViewRefuseDrag(QVDraggingImageView*,
                                                             const QString& why) {
    reportUnusablePicture(why);
}

void QVMetadataEditWndCtlr::reportUnusablePicture(const QString& why) {
    if (_prompts)
        _prompts->showAlert(this, QStringLiteral("The picture cannot be used."), why);
}

void QVMetadataEditWndCtlr::didQVDraggingImageViewAcceptDragImage(QVDraggingImageView*,
                                                                  const QImage& image) {
    takePicture(image);
}

void QVMetadataEditWndCtlr::takePicture(const QImage& image) {
    takeBasePicture(image);
    showWellPicture(image);
    const QString key = pictureKey();
    if (_mdicMetedataCopy && !key.isEmpty())
        _mdicMetedataCopy->insert(key, image);
}

void QVMetadataEditWndCtlr::clickDelete() {
    takeBasePicture(QVariant());
    showWellPicture(QVariant());
    const QString key = pictureKey();
    if (_mdicMetedataCopy && !key.isEmpty())
        _mdicMetedataCopy->remove(key);
}

// Covers read from the file are decoded off the main thread: the well stays empty and the
// slider does nothing until they are. A picture taken meanwhile wins over a late one.
void QVMetadataEditWndCtlr::showWellPicture(const QVariant& cover) {
    _wellCovers.showCover(cover,
                          [this](const QImage& picture) { _ivArtworkImg->setImage(picture); });
}

void QVMetadataEditWndCtlr::takeBasePicture(const QVariant& cover) {
    _baseCovers.showCover(cover, [this](const QImage& picture) {
        _imgChangeBase = picture;
        resetImageSlider();
    });
}

void QVMetadataEditWndCtlr::resetImageSlider() {
    if (_imgChangeBase.isNull())
        return;
    const int wellHeight = _ivArtworkImg->height();
    const QSignalBlocker block(_sldScale);
    _sldScale->setValue(
        _imgChangeBase.width() > wellHeight || _imgChangeBase.height() > wellHeight ? 100 : 0);
}

std::optional<QSize> QVMetadataEditWndCtlr::scaledPictureSize(const QSize& imageSize,
                                                              const QSize& wellSize, int value) {
    // A picture of no size has no shape to keep; one of the well's size has no side to
    // drive the change.
    if (imageSize.isEmpty() || wellSize.isEmpty() || imageSize == wellSize)
        return std::nullopt;
    const double r = std::clamp(value, 0, 100) / 100.0;
    const double iw = imageSize.width(), ih = imageSize.height();
    const double vw = wellSize.width(), vh = wellSize.height();
    const bool exceedsW = iw > vw, exceedsH = ih > vh;
    double w = 0.0, h = 0.0;
    if (exceedsW || exceedsH) {
        const bool widthDriven = exceedsW && exceedsH ? iw > ih : exceedsW;
        if (widthDriven) {
            w = vw + (iw - vw) * r;
            h = w * ih / iw;
        } else {
            h = vh + (ih - vh) * r;
            w = h * iw / ih;
        }
    } else {
        const bool smallerW = iw < vw, smallerH = ih < vh;
        const bool widthDriven = smallerW && smallerH ? vw > vh : smallerW;
        if (widthDriven) {
            w = iw + (vw - iw) * r;
            h = w * ih / iw;
        } else {
            h = ih + (vh - ih) * r;
            w = h * iw / ih;
        }
    }
    return QSize(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))));
}

void QVMetadataEditWndCtlr::scaleImage(int value) {
    if (_imgChangeBase.isNull())
        return;
    const std::optional<QSize> size =
        scaledPictureSize(_imgChangeBase.size(), _ivArtworkImg->size(), value);
    if (!size)
        return;
    const QImage scaled = QVImageScale::scaledImageToFitSize(_imgChangeBase, QSizeF(*size));
    if (scaled.isNull())
        return;
    showWellPicture(scaled);
    const QString key = pictureKey();
    if (_mdicMetedataCopy && !key.isEmpty())
        _mdicMetedataCopy->insert(key, scaled);
}

// ---------------------------------------------------------------------------------------
// The band and the window's place

void QVMetadataEditWndCtlr::showCanNotEditMetadataTips(bool hide, bool) {
    if (!_viewdisable) {
        _viewdisable = new QVTipsView(this);
        _viewdisable->setObjectName(QStringLiteral("_viewdisable"));
        _viewdisable->setTipsStr(tipsText(_catalogue.getCanEditMetadataMusicType()));
        _viewdisable->setMinimumHeight(kTipsHeight);
        _viewdisable->hide();
        _windowLayout->insertWidget(0, _viewdisable);
    }
    // The band takes a strip of its own, as tall as its text needs, so that it hides no
    // field: the window grows by that strip while the band is shown.
    if (_viewdisable->isHidden() == hide)
        return;
    _viewdisable->setVisible(!hide);
    _windowLayout->invalidate();
    // The band's wrapped text makes the height depend on the width; without the band
    // nothing does, and the layout's size hint gives the height.
    const int height = _windowLayout->hasHeightForWidth()
                           ? _windowLayout->totalHeightForWidth(width())
                           : _windowLayout->totalSizeHint().height();
    setFixedSize(width(), height);
    _viewdisable->update();
}

void QVMetadataEditWndCtlr::saveWindowPosition() {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QLatin1String(kPositionKey), GeometryText::stringFromPoint(pos()));
    defaults.synchronize();
}

QPoint QVMetadataEditWndCtlr::getInitWindowPostion() const {
    const UserDefaults& defaults = UserDefaults::standardUserDefaults();
    if (defaults.hasObjectForKey(QLatin1String(kPositionKey))) {
        if (const auto point =
                GeometryText::pointFromString(defaults.stringForKey(QLatin1String(kPositionKey))))
            return *point;
    }
    return pos();
}

void QVMetadataEditWndCtlr::adjustWndPosition() {
    // Without a stored place the window opens where the system puts a dialog.
    if (!UserDefaults::standardUserDefaults().hasObjectForKey(QLatin1String(kPositionKey)))
        return;
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    }
    move(positionOnScreens(getInitWindowPostion(), frameGeometry().size(), screens));
}

QPoint QVMetadataEditWndCtlr::positionOnScreens(const QPoint& topLeft, const QSize& frameSize,
                                                const QList<QRect>& screens) {
    if (screens.isEmpty())
        return topLeft;
    const QRect strip(topLeft,
                      QSize(frameSize.width(), std::min(frameSize.height(), kTitleStripHeight)));
    for (const QRect& screen : screens) {
        const QRect seen = strip & screen;
        if (seen.width() >= std::min(frameSize.width(), kMinVisibleWidth) &&
            seen.height() >= std::max(1, strip.height() / 2))
            return topLeft;
    }
    const QRect& first = screens.first();
    const int x = std::clamp(topLeft.x(), first.left(),
                             std::max(first.left(), first.right() + 1 - frameSize.width()));
    const int y = std::clamp(topLeft.y(), first.top(),
                             std::max(first.top(), first.bottom() + 1 - frameSize.height()));
    return QPoint(x, y);
}
