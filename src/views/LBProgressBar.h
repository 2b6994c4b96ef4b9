#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

class QPainter;
class QPainterPath;

// A progress bar with a dark rounded trough, a light-green rounded fill and diagonal
// stripes that move while it animates (30 redraws a second).
class LBProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit LBProgressBar(QWidget* parent = nullptr);
    ~LBProgressBar() override;

    double minValue() const { return _minValue; }
    void setMinValue(double value);
    double maxValue() const { return _maxValue; }
    void setMaxValue(double value);
    double doubleValue() const { return _doubleValue; }
    // Reaching the maximum stops the animation of a bar that hides when stopped.
    void setDoubleValue(double value);
    bool isDisplayedWhenStopped() const { return _displayedWhenStopped; }
    void setDisplayedWhenStopped(bool displayed) { _displayedWhenStopped = displayed; }

    double progressOffset() const { return _progressOffset; }
    void setProgressOffset(double offset) { _progressOffset = offset; }
    // The running redraw timer, or null when idle.
    QTimer* animator() const { return _animator.get(); }

    // A second start keeps the running timer.
    void startAnimation(QObject* sender = nullptr);
    void stopAnimation(QObject* sender = nullptr);
    void activateAnimation();

    // Share of the range the value stands at, 0 to 1.
    double fraction() const;
    // The fill's rectangle in widget coordinates; empty at fraction 0.
    QRectF progressRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setAnimator(std::unique_ptr<QTimer> timer);
    void advancePhase();
    // The drawing steps, in coordinates with y growing upwards from the bottom edge.
    void drawBezel(QPainter& painter) const;
    void drawProgressWithBounds(QPainter& painter, const QRectF& bounds) const;
    void drawStripesInBounds(QPainter& painter, const QRectF& bounds) const;
    QPainterPath stripeWithOriginBounds(const QPointF& origin, const QRectF& bounds) const;
    void drawShadowInBounds(QPainter& painter, const QRectF& bounds) const;

    double _minValue = 0.0;
    double _maxValue = 100.0;
    double _doubleValue = 0.0;
    bool _displayedWhenStopped = true;
    double _progressOffset = 0.0;
    std::unique_ptr<QTimer> _animator;
};
