#include "shell/QVFileInfoViewController.h"

#include "engine/QVEncoderLimits.h"
#include "engine/QVMusicInfo.h"
#include "platform/NumberText.h"
#include "platform/Workspace.h"
#include "shell/QVConvertRun.h"
#include "shell/QVFileListModel.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTETagText.h"
#include "util/GlobalFun.h"
#include "views/QVCoverThumbnails.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kArtworkSide = 72;

QString unknown() {
    return QLatin1String(QVFileInfoViewController::kUnknown);
}

QString orUnknown(const QString& text) {
    return text.isNull() ? unknown() : text;
}

QString channelsText(int count) {
    if (count > 2)
        return QStringLiteral("%1 channels").arg(count);
    return count == 2 ? QStringLiteral("Stereo") : QStringLiteral("Mono");
}

QLabel* caption(const char* text, QWidget* parent) {
    auto* label = new QLabel(QLatin1String(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Disabled, QPalette::WindowText));
    label->setPalette(palette);
    return label;
}

} // namespace

QVFileInfoViewController::QVFileInfoViewController(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QVFileInfoViewController"));
    buildLayout();
}

QVFileInfoViewController::~QVFileInfoViewController() = default;

QLabel* QVFileInfoViewController::makeValue(const char* outlet) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(outlet));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void QVFileInfoViewController::buildLayout() {
    _ivInfoArtwork = makeValue("_ivInfoArtwork");
    _ivInfoArtwork->setFixedSize(kArtworkSide, kArtworkSide);
    _ivInfoArtwork->setAlignment(Qt::AlignCenter);
    _ivInfoArtwork->setFrameShape(QFrame::StyledPanel);
    _artwork = new QVCoverThumbnails(_ivInfoArtwork->contentsRect().size(), this);
    _tfInfoTitle = makeValue("_tfInfoTitle");
    QFont titleFont = _tfInfoTitle->font();
    titleFont.setBold(true);
    _tfInfoTitle->setFont(titleFont);
    _tfInfoArtist = makeValue("_tfInfoArtist");
    _tfInfoAlbum = makeValue("_tfInfoAlbum");

    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(_tfInfoTitle);
    names->addWidget(_tfInfoArtist);
    names->addWidget(_tfInfoAlbum);
    names->addStretch(1);
    auto* head = new QHBoxLayout;
    head->setSpacing(10);
    head->addWidget(_ivInfoArtwork, 0, Qt::AlignTop);
    head->addLayout(names, 1);

    _tfInfoKind = makeValue("_tfInfoKind");
    _tfInfoFormat = makeValue("_tfInfoFormat");
    _tfInfoChannels = makeValue("_tfInfoChannels");
    _tfInfoChannelsMod = makeValue("_tfInfoChannelsMod");
    _tfInfoBitRate = makeValue("_tfInfoBitRate");
    _tfInfoBitRateMode = makeValue("_tfInfoBitRateMode");
    _tfInfoSampleRate = makeValue("_tfInfoSampleRate");
    _tfInfoSampleRateSize = makeValue("_tfInfoSampleRateSize");
    _tfInfoLength = makeValue("_tfInfoLength");
    _tfInfoFileSize = makeValue("_tfInfoFileSize");
    _tfInfoTagFmt = makeValue("_tfInfoTagFmt");
    _tfInfoId3Tag = makeValue("_tfInfoId3Tag");
    _tfInfoEncodeWith = makeValue("_tfInfoEncodeWith");
    _tfInfoDateMdf = makeValue("_tfInfoDateMdf");
    _tfInfoWhere = makeValue("_tfInfoWhere");
    _tfInfoWhere->setWordWrap(true);
    _btnOpenFile = new QPushButton(QStringLiteral("Show in Folder"), this);
    _btnOpenFile->setObjectName(QStringLiteral("clickOpenFile:"));
    connect(_btnOpenFile, &QPushButton::clicked, this, &QVFileInfoViewController::clickOpenFile);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    const struct {
        const char* caption;
        QLabel* value;
        QLabel* beside;
    } rows[] = {{"Kind:", _tfInfoKind, nullptr},
                {"Format:", _tfInfoFormat, nullptr},
                {"Channels:", _tfInfoChannels, _tfInfoChannelsMod},
                {"Bit rate:", _tfInfoBitRate, _tfInfoBitRateMode},
                {"Sample rate:", _tfInfoSampleRate, _tfInfoSampleRateSize},
                {"Length:", _tfInfoLength, nullptr},
                {"Size:", _tfInfoFileSize, nullptr},
                {"Tag:", _tfInfoTagFmt, _tfInfoId3Tag},
                {"Encoded with:", _tfInfoEncodeWith, nullptr},
                {"Modified:", _tfInfoDateMdf, nullptr},
                {"Where:", _tfInfoWhere, nullptr}};
    int line = 0;
    for (const auto& row : rows) {
        grid->addWidget(caption(row.caption, this), line, 0);
        if (row.beside) {
            grid->addWidget(row.value, line, 1);
            grid->addWidget(row.beside, line, 2);
        } else {
            grid->addWidget(row.value, line, 1, 1, 2);
        }
        ++line;
    }
    grid->addWidget(_btnOpenFile, line, 1, 1, 2, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 10);
    layout->setSpacing(12);
    layout->addLayout(head);
    layout->addLayout(grid);
    layout->addStretch(1);
}

QString QVFileInfoViewController::tagText(const char* logicalName) const {
    const MTEAudioFile* handler = _musicInfo ? _musicInfo->metHandler.get() : nullptr;
    const QVariant value =
        handler ? handler->valueIn(_dicMetadataInfo, QLatin1String(logicalName)) : QVariant();
    return value.isValid() && MTETagText::isTextValue(value) ? value.toString() : QString();
}

QString QVFileInfoViewController::titleText() const {
    const QString title = tagText("Title");
    if (!title.isEmpty())
        return title;
    const QString path =
        _musicInfo->mediaInfo ? _musicInfo->mediaInfo->strMediaFilePath_ : _musicInfo->strFilePath;
    return QVFileListModel::fileNameWithoutExtension(path);
}

void QVFileInfoViewController::update() {
    if (!_musicInfo)
        return;
    _tfInfoTitle->setText(titleText());
    _tfInfoArtist->setText(orUnknown(tagText("Artist")));
    _tfInfoAlbum->setText(orUnknown(tagText("Album")));
    _tfInfoBitRateMode->setText(QStringLiteral("mod"));
    showSourceOrOutputFacts();
    showTagFamily();

    const MTEAudioFile* handler = _musicInfo->metHandler.get();
    _artwork->showCoverIn(handler ? handler->valueIn(_dicMetadataInfo, QStringLiteral("AlbumImg"))
                                  : QVariant(),
                          _ivInfoArtwork);
}

void QVFileInfoViewController::showSourceOrOutputFacts() {
    const LSMediaFields source = _musicInfo->mediaInfo
                                     ? static_cast<const LSMediaFields&>(*_musicInfo->mediaInfo)
                                     : LSMediaFields();
    LSMediaFields output = source;
    if (_outputFormat)
        QVConvertRun::applyFormatSetting(output, *_outputFormat);
    const QString outputTitle = _outputFormat ? _outputFormat->fmtName : _musicInfo->strMusicType;
    const bool original = _isShowOriginalInfo;

    // The source's bitrate is in bit/s; the output's is already in kbit/s.
    const double kbps = original ? source.dABitrate / 1000.0 : output.dAOBitrate;
    _tfInfoBitRate->setText(NumberText::fromDouble(kbps, 1) + QStringLiteral("kbps"));
    // What the conversion writes, as its command line is built, not the count asked for.
    _tfInfoChannels->setText(
        channelsText(original ? source.iChanels : QVEncoderLimits::outputFor(output).channels));
    _tfInfoChannelsMod->setText(QString::number(source.iChanels));
    const double hertz = original ? source.dSamplerate : output.dAOSamplerate;
    _tfInfoSampleRate->setText(NumberText::fromDouble(hertz / 1000.0, 1) + QStringLiteral("kHz"));
    _tfInfoSampleRateSize->setText(orUnknown(source.strASampleSize));
    _tfInfoDateMdf->setText(orUnknown(source.strLastModified));
    _tfInfoFileSize->setText(NumberText::fromDouble(source.dFileSize / 1048576.0, 1) +
                             QStringLiteral("M"));
    _tfInfoLength->setText(GlobalFun::getTimeStringBySecond(source.dMovieDuration));
    _tfInfoWhere->setText(orUnknown(source.strMediaFilePath_));

    const QString sourceCodec =
        source.strACodecName.isNull() ? QString() : source.strACodecName.toUpper();
    const QString encoder = _outputFormat && !_outputFormat->decodecName.isNull()
                                ? _outputFormat->decodecName.toUpper()
                                : QString();
    _tfInfoEncodeWith->setText(orUnknown(original ? sourceCodec : encoder));
    _tfInfoFormat->setText(orUnknown(original ? sourceCodec : outputTitle));

    const QString kindName = original ? QFileInfo(_musicInfo->strFilePath).suffix() : outputTitle;
    const bool video = original && source.eumMediaType != LSMediaTypeAudio;
    _tfInfoKind->setText(QStringLiteral("%1 %2").arg(
        kindName.isNull() ? unknown() : kindName.toUpper(),
        video ? QStringLiteral("video file") : QStringLiteral("audio file")));
}

void QVFileInfoViewController::showTagFamily() {
    if (!_isShowOriginalInfo) {
        _tfInfoTagFmt->setText(QStringLiteral("id3"));
        _tfInfoId3Tag->setText(QStringLiteral("v2"));
        return;
    }
    const MTEAudioFile* handler = _musicInfo->metHandler.get();
    const QString version = handler ? handler->strTagVersion : QString();
    if (version.isNull()) {
        _tfInfoTagFmt->setText(unknown());
        _tfInfoId3Tag->setText(unknown());
        return;
    }
    const QStringList words = version.split(u' ');
    _tfInfoTagFmt->setText(words.first().toUpper());
    _tfInfoId3Tag->setText(words.size() >= 2 ? words.at(1) : unknown());
}

void QVFileInfoViewController::clickOpenFile() {
    if (!_musicInfo)
        return;
    Workspace::openURL(QUrl::fromLocalFile(QFileInfo(_musicInfo->strFilePath).absolutePath()));
}
