#include "MIHSliderView.h"

#include "MIHSliderTransition.h"
#include "VTPageControl.h"
#include "controls/VTBottomLeftGeometry.h"

#include <QChildEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

Q_LOGGING_CATEGORY(lcSlider, "vantry.slider")

namespace {
constexpr double kDotsBottom = 40.0;
constexpr double kSwipeThreshold = 50.0;
constexpr double kShiftSlowdown = 2.5;

QColor grey(int level, double alpha = 1.0) {
    return QColor::fromRgbF(level / 255.0f, level / 255.0f, level / 255.0f, float(alpha));
}

QVariantMap dotsArchive(const VTPageControl& dots) {
    return {{QStringLiteral("numberOfPages"), dots.numberOfPages()},
            {QStringLiteral("currentPage"), dots.currentPage()},
            {QStringLiteral("hidesForSinglePage"), dots.hidesForSinglePage()},
            {QStringLiteral("indicatorDiameterSize"), dots.indicatorDiameterSize()},
            {QStringLiteral("indicatorMargin"), dots.indicatorMargin()},
            {QStringLiteral("useHandCursor"), dots.useHandCursor()},
            {QStringLiteral("selectedColor"), dots.selectedColor()},
            {QStringLiteral("unselectedColor"), dots.unselectedColor()},
            {QStringLiteral("highlightColor"), dots.highlightColor()}};
}

void restoreDots(VTPageControl& dots, const QVariantMap& archive) {
    if (archive.isEmpty())
        return;
    dots.setIndicatorDiameterSize(
        archive.value(QStringLiteral("indicatorDiameterSize"), 15.0).toDouble());
    dots.setIndicatorMargin(archive.value(QStringLiteral("indicatorMargin"), 5.0).toDouble());
    dots.setHidesForSinglePage(archive.value(QStringLiteral("hidesForSinglePage")).toBool());
    dots.setUseHandCursor(archive.value(QStringLiteral("useHandCursor")).toBool());
    for (const char* key : {"selectedColor", "unselectedColor", "highlightColor"}) {
        const QColor color = archive.value(QLatin1String(key)).value<QColor>();
        if (!color.isValid())
            continue;
        if (qstrcmp(key, "selectedColor") == 0)
            dots.setSelectedColor(color);
        else if (qstrcmp(key, "unselectedColor") == 0)
            dots.setUnselectedColor(color);
        else
            dots.setHighlightColor(color);
    }
    dots.setNumberOfPages(archive.value(QStringLiteral("numberOfPages")).toLongLong());
    dots.setCurrentPage(archive.value(QStringLiteral("currentPage")).toLongLong());
}
} // namespace

MIHSliderView::MIHSliderView(QWidget* parent) : QWidget(parent) {
    prepareView();
    setScheduledTransition(true);
}

MIHSliderView::MIHSliderView(const QVariantMap& archive, QWidget* parent) : QWidget(parent) {
    prepareView();
    decodeArchive(archive);
}

MIHSliderView::~MIHSliderView() {
    _contentView->removeEventFilter(this);
}

void MIHSliderView::prepareView() {
    setAttribute(Qt::WA_AcceptTouchEvents);
    _contentView = new QWidget(this);
    _contentView->setObjectName(QStringLiteral("contentView"));
    _contentView->setGeometry(rect());
    _contentView->installEventFilter(this);
    _dotsControl = new VTPageControl(this);
    _dotsControl->setDelegate(this);
    _dotsControl->setIndicatorDiameterSize(15.0);
    _dotsControl->setIndicatorMargin(5.0);
    _dotsControl->setNumberOfPages(2);
    _dotsControl->setCurrentPage(0);
    _dotsControl->setDrawingBlock(
        [](QPainter& painter, const QRectF& frame, QWidget*, bool on, bool highlighted) {
            drawDot(painter, frame, on, highlighted);
        });
    placeDots();
}

void MIHSliderView::decodeArchive(const QVariantMap& archive) {
    for (const QVariant& slide : archive.value(QStringLiteral("_slides")).toList())
        if (auto* view = slide.value<QWidget*>())
            addSlide(view);
    _indexOfDisplayedSlide = archive.value(QStringLiteral("indexOfDisplayedSlide")).toLongLong();
    _transitionStyle = archive.value(QStringLiteral("_transitionStyle")).toInt();
    const double interval =
        archive.value(QStringLiteral("_scheduledTransitionInterval")).toDouble();
    _scheduledTransitionInterval = interval > 0 ? interval : 4.0;
    _transitionAnimationDuration =
        archive.value(QStringLiteral("_transitionAnimationDuration")).toDouble();
    _repeatingScheduledTransition =
        archive.value(QStringLiteral("_repeatingScheduledTransition")).toBool();
    restoreDots(*_dotsControl, archive.value(QStringLiteral("_dotsControl")).toMap());
    placeDots();
    setScheduledTransition(archive.value(QStringLiteral("scheduledTransition")).toBool());
}

QVariantMap MIHSliderView::encodeWithCoder() const {
    QVariantList slides;
    for (QWidget* slide : _slides)
        slides << QVariant::fromValue(slide);
    return {{QStringLiteral("_slides"), slides},
            {QStringLiteral("indexOfDisplayedSlide"), _indexOfDisplayedSlide},
            {QStringLiteral("_transitionStyle"), _transitionStyle},
            {QStringLiteral("_scheduledTransitionInterval"), _scheduledTransitionInterval},
            {QStringLiteral("_transitionAnimationDuration"), _transitionAnimationDuration},
            {QStringLiteral("_repeatingScheduledTransition"), _repeatingScheduledTransition},
            {QStringLiteral("_dotsControl"), dotsArchive(*_dotsControl)},
            {QStringLiteral("scheduledTransition"), scheduledTransition()}};
}

void MIHSliderView::addSlide(QWidget* slide) {
    if (!slide || _slides.contains(slide))
        return;
    slide->hide();
    slide->setParent(_contentView);
    _slides.append(slide);
    if (_slides.size() == 1)
        displaySlideAtIndex(0);
    slideCountChanged();
}

void MIHSliderView::removeSlide(QWidget* slide) {
    if (!_slides.removeOne(slide))
        return;
    if (_indexOfDisplayedSlide >= _slides.size())
        _indexOfDisplayedSlide = 0;
    slideCountChanged();
}

bool MIHSliderView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == _contentView && event->type() == QEvent::ChildRemoved) {
        // Compared by address only: the child may be half destroyed already.
        const QObject* child = static_cast<QChildEvent*>(event)->child();
        const auto gone = std::find_if(_slides.begin(), _slides.end(), [child](QWidget* slide) {
            return static_cast<const QObject*>(slide) == child;
        });
        if (gone != _slides.end()) {
            _slides.erase(gone);
            if (_indexOfDisplayedSlide >= _slides.size())
                _indexOfDisplayedSlide = 0;
            slideCountChanged();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MIHSliderView::slideCountChanged() {
    _dotsControl->setNumberOfPages(_slides.size());
    placeDots();
}

void MIHSliderView::displaySlideAtIndex(qint64 index) {
    if (index < 0 || index >= _slides.size())
        return;
    _dotsControl->setCurrentPage(index);
    QWidget* slide = _slides.at(index);
    if (slide == _displayedSlide)
        return;
    slide->setGeometry(_contentView->rect());
    if (_displayedSlide) {
        prepareTransitionToIndex(index);
        _displayedSlide->hide();
    }
    slide->show();
    if (_transition)
        _transition->raise();
    _displayedSlide = slide;
    _indexOfDisplayedSlide = index;
}

double MIHSliderView::currentAnimationDuration() const {
    const bool shiftHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    return _transitionAnimationDuration * (shiftHeld ? kShiftSlowdown : 1.0);
}

void MIHSliderView::prepareTransitionToIndex(qint64 index) {
    if (_transition)
        _transition->finish();
    const double duration = currentAnimationDuration();
    if (!(duration > 0) || !isVisible())
        return;
    QWidget* next = _slides.at(index);
    _transition =
        new MIHSliderTransition(_contentView, _displayedSlide, next, _transitionStyle, duration);
}

bool MIHSliderView::scheduledTransition() const {
    return _transitionTimer != nullptr;
}

void MIHSliderView::setScheduledTransition(bool scheduled) {
    if (scheduled) {
        prepareTransitionTimer();
        return;
    }
    delete _transitionTimer;
    _transitionTimer = nullptr;
}

void MIHSliderView::setScheduledTransitionInterval(double seconds) {
    if (!(seconds > 0))
        return;
    _scheduledTransitionInterval = seconds;
    restartTimerIfRunning();
}

void MIHSliderView::prepareTransitionTimer() {
    delete _transitionTimer;
    _transitionTimer = new QTimer(this);
    _transitionTimer->setInterval(
        int(std::min(_scheduledTransitionInterval * 1000.0, double(INT_MAX))));
    connect(_transitionTimer, &QTimer::timeout, this, &MIHSliderView::handleTimerTick);
    _transitionTimer->start();
}

void MIHSliderView::restartTimerIfRunning() {
    if (_transitionTimer)
        prepareTransitionTimer();
}

void MIHSliderView::handleTimerTick() {
    const qint64 count = _slides.size();
    if (count == 0)
        return;
    if (!_repeatingScheduledTransition && _indexOfDisplayedSlide == count - 1)
        return;
    displaySlideAtIndex((_indexOfDisplayedSlide + 1) % count);
}

void MIHSliderView::scrollWheel(Qt::ScrollPhase phase, const QPointF& delta) {
    switch (phase) {
    case Qt::ScrollBegin:
        _scrollDeltaX = 0.0;
        _scrollDeltaY = 0.0;
        return;
    case Qt::ScrollUpdate:
        _scrollDeltaX += delta.x();
        _scrollDeltaY += delta.y();
        return;
    case Qt::ScrollEnd:
        break;
    default:
        return;
    }
    const qint64 count = _slides.size();
    if (count == 0 || std::abs(_scrollDeltaX) <= kSwipeThreshold)
        return;
    if (_scrollDeltaX > kSwipeThreshold) {
        _transitionStyle = MIHSliderTransitionPushFromLeft;
        displaySlideAtIndex((_indexOfDisplayedSlide + count - 1) % count);
    } else {
        _transitionStyle = MIHSliderTransitionPushFromRight;
        displaySlideAtIndex((_indexOfDisplayedSlide + 1) % count);
    }
    restartTimerIfRunning();
}

void MIHSliderView::pageControlDidSelectPageAtIndex(VTPageControl* pageControl, qint64 index) {
    qCInfo(lcSlider, "%s: Selected page at index: %lld", qPrintable(pageControl->objectName()),
           static_cast<long long>(index));
    restartTimerIfRunning();
    if (index < 0 || index >= _slides.size())
        return;
    qCInfo(lcSlider, "dotView, %lld crrut View:%lld", static_cast<long long>(index),
           static_cast<long long>(pageControl->currentPage()));
    _transitionStyle = index > _indexOfDisplayedSlide ? MIHSliderTransitionPushFromRight
                                                      : MIHSliderTransitionPushFromLeft;
    displaySlideAtIndex(index);
}

void MIHSliderView::drawDot(QPainter& painter, const QRectF& frame, bool on, bool highlighted) {
    const QRectF dot = frame.adjusted(2.0, 2.0, -2.0, -2.0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(dot.translated(0.0, 1.5));
    painter.setBrush(grey(highlighted ? 150 : (on ? 115 : 217)));
    painter.drawEllipse(dot);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(grey(25, 0.15), 1.0));
    painter.drawEllipse(dot.adjusted(0.5, 0.5, -0.5, -0.5));
}

void MIHSliderView::placeDots() {
    const QSizeF size = _dotsControl->intrinsicContentSize();
    const QRectF bottomLeft((width() - size.width()) * 0.5, kDotsBottom, size.width(),
                            size.height());
    const QRectF place = VTBottomLeftGeometry::toTopLeft(bottomLeft, height());
    _dotsControl->setGeometry(QRect(QPoint(int(std::floor(place.x())), int(std::floor(place.y()))),
                                    _dotsControl->sizeHint()));
    _dotsControl->raise();
}

void MIHSliderView::wheelEvent(QWheelEvent* event) {
    const QPointF delta =
        event->pixelDelta().isNull() ? QPointF(event->angleDelta()) : QPointF(event->pixelDelta());
    scrollWheel(event->phase(), delta);
    event->accept();
}

void MIHSliderView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    _contentView->setGeometry(rect());
    if (_displayedSlide)
        _displayedSlide->setGeometry(_contentView->rect());
    placeDots();
}

MIHSliderTransition* MIHSliderView::currentTransition() const {
    return _transition;
}
