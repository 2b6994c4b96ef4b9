#include "views/QVDetailView.h"

#include "engine/QVMusicInfo.h"
#include "views/QVMusicInfoText.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kFactsBandHeight = 74;
constexpr int kCoverSide = 80;
const QString kUnknown = QStringLiteral("Unknow");

QLabel* makeLabel(QWidget* parent, int pixelSize, const QColor& color, bool bold = false) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QString orUnknown(const QString& text) {
    return text.isEmpty() ? kUnknown : text;
}
} // namespace

QVDetailView::QVDetailView(QWidget* parent)
    : QWidget(parent), _thumbnails(QSize(kCoverSide, kCoverSide), this) {
    buildLayout();
    resize(sizeHint());
}

QVDetailView::~QVDetailView() {
    _musicInfo.reset();
}

void QVDetailView::buildLayout() {
    const QColor titleColor(240, 240, 240);
    const QColor factColor(200, 204, 208);
    _imageView = new QLabel(this);
    _imageView->setAlignment(Qt::AlignCenter);
    _tfName = makeLabel(this, 14, titleColor, true);
    _tfAuthor = makeLabel(this, 12, factColor);
    _tfAlbum = makeLabel(this, 12, factColor);
    _tfKind = makeLabel(this, 11, factColor);
    _tfSize = makeLabel(this, 11, factColor);
    _tfBitRate = makeLabel(this, 11, factColor);
    _tfFormat = makeLabel(this, 11, factColor);
    _tfChannels = makeLabel(this, 11, factColor);
    _tfSampleRate = makeLabel(this, 11, factColor);
}

void QVDetailView::resizeEvent(QResizeEvent*) {
    const int factsTop = height() - kFactsBandHeight;
    const int coverTop = std::max(4, (factsTop - kCoverSide) / 2);
    _imageView->setGeometry(8, coverTop, kCoverSide, kCoverSide);
    const int textX = 8 + kCoverSide + 10;
    const int textWidth = std::max(0, width() - textX - 8);
    _tfName->setGeometry(textX, coverTop + 6, textWidth, 20);
    _tfAuthor->setGeometry(textX, coverTop + 32, textWidth, 18);
    _tfAlbum->setGeometry(textX, coverTop + 54, textWidth, 18);

    const int columnWidth = std::max(0, (width() - 24) / 2);
    const QList<QLabel*> facts = {_tfKind,    _tfFormat,   _tfSize,
                                  _tfBitRate, _tfChannels, _tfSampleRate};
    for (int i = 0; i < facts.size(); ++i)
        facts[i]->setGeometry(8 + (i % 2) * (columnWidth + 8), factsTop + 8 + (i / 2) * 20,
                              columnWidth, 18);
}

void QVDetailView::setMusicInfo(std::shared_ptr<QVMusicInfo> music) {
    _musicInfo = std::move(music);
    if (!_musicInfo)
        return;
    showTags();
    showMediaFacts();
}

void QVDetailView::showTags() {
    const MTEAudioFile* handler = _musicInfo->metHandler.get();
    if (!handler) {
        _tfAlbum->setText(kUnknown);
        _tfAuthor->setText(kUnknown);
        const QString path = _musicInfo->mediaInfo ? _musicInfo->mediaInfo->strMediaFilePath_
                                                   : _musicInfo->strFilePath;
        _tfName->setText(QVMusicInfoText::baseName(path));
        showCover({});
        return;
    }
    _tfAlbum->setText(orUnknown(QVMusicInfoText::tagText(handler, QStringLiteral("Album"))));
    _tfAuthor->setText(orUnknown(QVMusicInfoText::tagText(handler, QStringLiteral("Artist"))));
    _tfName->setText(orUnknown(QVMusicInfoText::tagText(handler, QStringLiteral("Title"))));
    showCover(QVMusicInfoText::tagValue(handler, QStringLiteral("AlbumImg")));
}

// A cover not yet decoded leaves the well empty until it is.
void QVDetailView::showCover(const QVariant& cover) {
    _thumbnails.showCoverIn(cover, _imageView);
}

void QVDetailView::showMediaFacts() {
    const LSMedia* media = _musicInfo->mediaInfo.get();
    if (!media) {
        for (QLabel* fact : {_tfBitRate, _tfChannels, _tfFormat, _tfKind, _tfSampleRate, _tfSize})
            fact->setText(kUnknown);
        return;
    }
    const QString codec = media->strACodecName.toUpper();
    const QString kind = media->eumMediaType == LSMediaTypeAudio ? QStringLiteral("audio file")
                                                                 : QStringLiteral("video file");
    _tfBitRate->setText(QString::number(media->dABitrate / 1000.0, 'f', 1) +
                        QStringLiteral("kbps"));
    _tfChannels->setText(QString::number(media->iChanels));
    _tfFormat->setText(orUnknown(codec));
    _tfKind->setText(codec.isEmpty() ? kind : codec + QLatin1Char(' ') + kind);
    _tfSampleRate->setText(QString::number(media->dSamplerate / 1000.0, 'f', 1) +
                           QStringLiteral("kHz"));
    _tfSize->setText(QString::number(media->dFileSize / 1048576.0, 'f', 1) + QStringLiteral("M"));
}

void QVDetailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), 5.0, 5.0);
    painter.setClipPath(outline);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QPen(palette().color(QPalette::Base), 0.5));
    const double ruleY = height() - kFactsBandHeight;
    painter.drawLine(QPointF(0, ruleY), QPointF(width(), ruleY));
}
