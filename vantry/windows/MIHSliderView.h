#pragma once

#include "VTPageControlDelegate.h"

#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

class MIHSliderTransition;
class QTimer;
class VTPageControl;

enum MIHSliderTransitionStyle {
    MIHSliderTransitionFade = 0,
    MIHSliderTransitionMoveInFromTop = 1,
    MIHSliderTransitionPushFromLeft = 2,
    MIHSliderTransitionPushFromRight = 3,
};

// A slide show: shows one of its slides (views) at a time, moves on by itself on a
// repeating timer, and lets the user change slides with a horizontal two-finger swipe or
// the page dots near its bottom. Slides become children of the slider; a slide deleted or
// taken elsewhere leaves the slide list.
class MIHSliderView : public QWidget, public VTPageControlDelegate {
    Q_OBJECT
public:
    explicit MIHSliderView(QWidget* parent = nullptr);
    // Made from an archive written by encodeWithCoder. The slides named there are views:
    // the new slider takes them over.
    explicit MIHSliderView(const QVariantMap& archive, QWidget* parent = nullptr);
    ~MIHSliderView() override;

    QVariantMap encodeWithCoder() const;

    QList<QWidget*> slides() const { return _slides; }
    void addSlide(QWidget* slide);
    // The slide stays a child of the slider; when it is shown, it stays shown.
    void removeSlide(QWidget* slide);
    // Out-of-range indexes are ignored.
    void displaySlideAtIndex(qint64 index);

    qint64 indexOfDisplayedSlide() const { return _indexOfDisplayedSlide; }
    QWidget* displayedSlide() const { return _displayedSlide; }
    int transitionStyle() const { return _transitionStyle; }
    void setTransitionStyle(int style) { _transitionStyle = style; }
    // Whether the timer runs; setting starts or stops it.
    bool scheduledTransition() const;
    void setScheduledTransition(bool scheduled);
    bool repeatingScheduledTransition() const { return _repeatingScheduledTransition; }
    void setRepeatingScheduledTransition(bool repeating) {
        _repeatingScheduledTransition = repeating;
    }
    double scheduledTransitionInterval() const { return _scheduledTransitionInterval; }
    // Restarts a running timer; values not above 0 are ignored.
    void setScheduledTransitionInterval(double seconds);
    // Seconds a slide change takes; 2.5 times as long while Shift is held; 0 changes at once.
    double transitionAnimationDuration() const { return _transitionAnimationDuration; }
    void setTransitionAnimationDuration(double seconds) { _transitionAnimationDuration = seconds; }
    VTPageControl* dotsControl() const { return _dotsControl; }
    QTimer* transitionTimer() const { return _transitionTimer; }
    QWidget* contentView() const { return _contentView; }
    // The change on screen now, if any.
    MIHSliderTransition* currentTransition() const;
    double scrollDeltaX() const { return _scrollDeltaX; }
    double scrollDeltaY() const { return _scrollDeltaY; }

    // A swipe step: begin resets the sums, update adds to them, end changes the slide when
    // the horizontal sum passed 50 either way; other phases do nothing.
    void scrollWheel(Qt::ScrollPhase phase, const QPointF& delta);
    void pageControlDidSelectPageAtIndex(VTPageControl* pageControl, qint64 index) override;
    void handleTimerTick();

    // The slider's own dot look: a grey dot with a white shadow under it and a faint rim.
    static void drawDot(QPainter& painter, const QRectF& frame, bool on, bool highlighted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void prepareView();
    void decodeArchive(const QVariantMap& archive);
    void prepareTransitionToIndex(qint64 index);
    void prepareTransitionTimer();
    void restartTimerIfRunning();
    void placeDots();
    void slideCountChanged();
    double currentAnimationDuration() const;

    QList<QWidget*> _slides;
    qint64 _indexOfDisplayedSlide = 0;
    QPointer<QWidget> _displayedSlide;
    int _transitionStyle = MIHSliderTransitionFade;
    bool _repeatingScheduledTransition = true;
    double _scheduledTransitionInterval = 4.0;
    double _transitionAnimationDuration = 0.6;
    VTPageControl* _dotsControl = nullptr;
    QTimer* _transitionTimer = nullptr;
    QWidget* _contentView = nullptr;
    QPointer<MIHSliderTransition> _transition;
    double _scrollDeltaX = 0.0;
    double _scrollDeltaY = 0.0;
};
