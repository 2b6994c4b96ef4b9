#pragma once

#include "utils/VTWatchedObject.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

// One slide change on screen: covers the slider's content with pictures of the old and the
// new slide and moves or fades them by style (the MIHSliderTransitionStyle values), easing
// out, then removes itself. Any other style fades. When the content view is resized, both
// slides take its new size and are pictured again.
class MIHSliderTransition : public QWidget {
    Q_OBJECT
public:
    MIHSliderTransition(QWidget* contentView, QWidget* fromSlide, QWidget* toSlide, int style,
                        double durationSeconds);

    int style() const { return _style; }
    // 0 at the start, 1 at the end (eased).
    double progress() const { return _progress; }
    // Jumps to the end and removes the overlay.
    void finish();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followContentView();

    VTWatchedObject<QWidget> _contentView;
    QPointer<QWidget> _fromSlide;
    QPointer<QWidget> _toSlide;
    QPixmap _from;
    QPixmap _to;
    int _style;
    double _progress = 0.0;
    QVariantAnimation* _animation = nullptr;
};
