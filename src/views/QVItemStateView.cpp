#include "views/QVItemStateView.h"

#include "engine/QVMusicInfo.h"
#include "platform/NotificationCenter.h"
#include "util/GlobalFun.h"
#include "views/QVMusicInfoText.h"
#include "views/QVViewImages.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kNarrowBarX = 48;
constexpr int kNarrowBarWidth = 175;
constexpr int kWideBarMargin = 8;
constexpr double kSloganBandHeight = 44.0;

QLabel* makeLabel(QWidget* parent, const QRect& frame, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setGeometry(frame);
    label->setAlignment(alignment);
    QFont font = label->font();
    font.setPixelSize(11);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(40, 44, 48));
    label->setPalette(palette);
    return label;
}

double clampedPercent(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 100.0) : 0.0;
}
} // namespace

QVItemStateView::QVItemStateView(QWidget* parent) : QWidget(parent) {
    _imgSlogn = QVViewImages::imageNamed(QStringLiteral("slog_small.png"));

    _tfName = makeLabel(this, QRect(8, 4, 274, 16), Qt::AlignHCenter | Qt::AlignVCenter);
    _tfPlayTime = makeLabel(this, QRect(4, 23, 40, 14), Qt::AlignRight | Qt::AlignVCenter);
    _tfMusicTime = makeLabel(this, QRect(227, 23, 58, 14), Qt::AlignLeft | Qt::AlignVCenter);
    _priProgress = new QProgressBar(this);
    _priProgress->setGeometry(kNarrowBarX, 25, kNarrowBarWidth, 10);
    _priProgress->setTextVisible(false);
    resize(sizeHint());

    auto& center = NotificationCenter::defaultCenter();
    _progressObserver = center.addObserver(
        QString::fromLatin1(Notifications::kPlayProgress), this,
        [this](const QString&, const QVariantMap& userInfo) { musicPlayingProgress(userInfo); });
    _startObserver = center.addObserver(
        QString::fromLatin1(Notifications::kPlayStart), this,
        [this](const QString&, const QVariantMap& userInfo) { musicPlayerStartPlay(userInfo); });

    awakeFromNib();
}

QVItemStateView::~QVItemStateView() {
    auto& center = NotificationCenter::defaultCenter();
    center.removeObserver(_progressObserver);
    center.removeObserver(_startObserver);
}

void QVItemStateView::awakeFromNib() {
    _priProgress->setRange(0, 100);
    updateForAppState(QVAppStateIdle);
}

void QVItemStateView::updateForAppState(int state, std::shared_ptr<QVMusicInfo> info) {
    _appType = state;
    if (info)
        _playingMusic = std::move(info);
    upateForAppState(state, true);
    update();
}

void QVItemStateView::setShown(QWidget* widget, bool shown) {
    widget->setHidden(!shown);
}

void QVItemStateView::upateForAppState(int state, bool) {
    const QRect bar = _priProgress->geometry();
    switch (state) {
    case QVAppStateConverting:
        _tfName->setText(QStringLiteral("Converting..."));
        setShown(_tfName, true);
        setShown(_tfMusicTime, false);
        setShown(_tfPlayTime, false);
        setShown(_priProgress, true);
        _priProgress->setGeometry(kWideBarMargin, bar.y(), width() - 2 * kWideBarMargin,
                                  bar.height());
        break;
    case QVAppStatePlaying:
        setShown(_tfName, true);
        setShown(_tfMusicTime, true);
        setShown(_tfPlayTime, true);
        setShown(_priProgress, true);
        _priProgress->setGeometry(kNarrowBarX, bar.y(), kNarrowBarWidth, bar.height());
        _tfName->setText(_playingMusic ? QVMusicInfoText::titleWithArtist(*_playingMusic)
                                       : QString());
        _tfMusicTime->setText(
            QStringLiteral("-%1").arg(GlobalFun::getTimeStringBySecond(playingDuration())));
        _tfPlayTime->setText(QStringLiteral("00:00"));
        _priProgress->setValue(0);
        break;
    case QVAppStateIdle:
        setShown(_tfName, false);
        setShown(_tfMusicTime, false);
        setShown(_tfPlayTime, false);
        setShown(_priProgress, false);
        _priProgress->setValue(0);
        _priProgress->setGeometry(kNarrowBarX, bar.y(), kNarrowBarWidth, bar.height());
        break;
    default: // loading leaves the look as it is
        break;
    }
}

void QVItemStateView::updateConverterProgress(double percent) {
    QMetaObject::invokeMethod(
        this,
        [this, percent] {
            if (_priProgress->isHidden() || _priProgress->value() > percent)
                return;
            updateUiInMainThread(percent);
        },
        Qt::QueuedConnection);
}

double QVItemStateView::playingDuration() const {
    if (!_playingMusic || !_playingMusic->mediaInfo)
        return 0.0;
    return _playingMusic->mediaInfo->dMovieDuration;
}

void QVItemStateView::updateUiInMainThread(double number) {
    double percent = number;
    if (!_tfPlayTime->isHidden()) {
        const double duration = playingDuration();
        const double played = std::isfinite(number) ? std::max(0.0, number) : 0.0;
        percent = duration > 0.0 ? played / duration * 100.0 : 0.0;
        _tfPlayTime->setText(GlobalFun::getTimeStringBySecond(played));
        _tfMusicTime->setText(QStringLiteral("- %1").arg(
            GlobalFun::getTimeStringBySecond(std::max(0.0, duration - played))));
    }
    _priProgress->setValue(static_cast<int>(std::lround(clampedPercent(percent))));
    update();
}

bool QVItemStateView::isPlayingMusic(const QVariantMap& userInfo) const {
    if (!_playingMusic)
        return false;
    const auto music = userInfo.value(QString::fromLatin1(Notifications::kMusicInfoKey))
                           .value<std::shared_ptr<QVMusicInfo>>();
    return music && _playingMusic->isEqualToMusic(*music);
}

void QVItemStateView::musicPlayerStartPlay(const QVariantMap& userInfo) {
    if (!isPlayingMusic(userInfo))
        return;
    setShown(_priProgress, true);
    QMetaObject::invokeMethod(
        this, [this] { updateUiInMainThread(0.0); }, Qt::QueuedConnection);
}

void QVItemStateView::musicPlayingProgress(const QVariantMap& userInfo) {
    if (!isPlayingMusic(userInfo) || _priProgress->isHidden())
        return;
    const double played =
        userInfo.value(QString::fromLatin1(Notifications::kProgressInfoKey)).toDouble();
    QMetaObject::invokeMethod(
        this, [this, played] { updateUiInMainThread(played); }, Qt::QueuedConnection);
}

void QVItemStateView::resizeEvent(QResizeEvent*) {
    _tfName->setGeometry(kWideBarMargin, _tfName->y(), width() - 2 * kWideBarMargin,
                         _tfName->height());
    if (_appType == QVAppStateConverting)
        upateForAppState(_appType, false);
}

void QVItemStateView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(bounds, 5.0, 5.0);
    painter.setClipPath(outline);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(199, 199, 199));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5.0, 5.0);

    if (_appType == QVAppStateIdle && !_imgSlogn.isNull()) {
        const double x = (width() - _imgSlogn.width()) / 2.0;
        // Placed with its lower edge (height - 44) / 2 above the bottom.
        const double y = height() - (height() - kSloganBandHeight) / 2.0 - _imgSlogn.height();
        painter.drawImage(QPointF(x, y), _imgSlogn);
    }
}
