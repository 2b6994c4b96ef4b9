#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// Tint schemes of the on/off switch: the on side lies left of the thumb, the off side right.
enum VTOnOffSwitchControlColors {
    VTOnOffSwitchControlNoColors = 0,
    VTOnOffSwitchControlCustomColors = 1,
    VTOnOffSwitchControlDefaultColors = 2,
    VTOnOffSwitchControlGreenRedColors = 3,
    VTOnOffSwitchControlBlueRedColors = 4,
};

// When a press and release count as a click rather than a drag of the thumb.
struct PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor {
    double clickTime = 1.0 / 3.0; // seconds since the last tracking step
    QSizeF clickDistance{6.0, 6.0};
};

// A rectangle of inner's size centred in outer.
QRectF DKCenterRect(const QRectF& inner, const QRectF& outer);

// Paints an on/off switch (a rounded track with a white thumb, a tint and "ON"/"OFF"
// labels either side of the thumb) and follows a drag of its thumb. The state is a
// button's: 0 off, 1 on, -1 mixed (only when mixed state is allowed). Frames are in the
// hosting widget's coordinates, origin top left.
class VTOnOffSwitchControlCell {
public:
    enum HitResult { NSCellHitNone = 0, NSCellHitContentArea = 1, NSCellHitTrackableArea = 4 };
    enum class FocusRingType { Default, None, Exterior };

    // What the hosting control knows and the cell draws from.
    struct DrawState {
        bool enabled = true;
        bool showsFirstResponder = false;
    };

    static constexpr double kCornerRadius = 2.5;
    static constexpr float kThumbWidthShare = 0.45f;

    VTOnOffSwitchControlCell();

    static bool prefersTrackingUntilMouseUp() { return true; }
    static FocusRingType defaultFocusRingType() { return FocusRingType::Exterior; }
    // The thresholds from the desktop's drag settings; 1/3 s and 6 by 6 when there are none.
    static PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor clickThresholds();

    int state() const { return _state; }
    void setState(int state);
    bool allowsMixedState() const { return _allowsMixedState; }
    void setAllowsMixedState(bool allows);
    FocusRingType focusRingType() const { return _focusRingType; }
    void setFocusRingType(FocusRingType type) { _focusRingType = type; }
    // The state that follows in the button cycle: on, off, mixed, on (on, off without mixed).
    int nextState() const;
    // Told after every change of the state, whoever made it: the hosting control keeps
    // its own check state and picture in step.
    void setStateChangedHandler(std::function<void()> handler) {
        _stateChanged = std::move(handler);
    }

    bool showsOnOffLabels() const { return _showsOnOffLabels; }
    void setShowsOnOffLabels(bool shows) { _showsOnOffLabels = shows; }
    int onOffSwitchControlColors() const { return _onOffSwitchControlColors; }
    void setOnOffSwitchControlColors(int scheme) { _onOffSwitchControlColors = scheme; }
    QColor customOnColor() const { return _customOnColor; }
    void setCustomOnColor(const QColor& color) { _customOnColor = color; }
    QColor customOffColor() const { return _customOffColor; }
    void setCustomOffColor(const QColor& color) { _customOffColor = color; }
    QString onSwitchLabel() const { return _onSwitchLabel; }
    void setOnSwitchLabel(const QString& label) { _onSwitchLabel = label; }
    QString offSwitchLabel() const { return _offSwitchLabel; }
    void setOffSwitchLabel(const QString& label) { _offSwitchLabel = label; }
    const PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor& stuff() const { return _stuff; }
    void setStuff(const PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor& stuff) {
        _stuff = stuff;
    }

    // Sets both custom colours; the scheme stays as it is.
    void setOnOffSwitchCustomOnColorOffColor(const QColor& onColor, const QColor& offColor);

    QRectF thumbRectInFrame(const QRectF& frame) const;
    double centerXForThumbWithFrame(const QRectF& frame) const;
    // Content and trackable area inside the cell frame, none outside it (HitResult bits).
    int hitTestForEventInRectOfView(const QPointF& point, const QRectF& cellFrame) const;

    void drawWithFrameInView(QPainter& painter, const QRectF& frame, const DrawState& view);
    void drawInteriorWithFrameInView(QPainter& painter, const QRectF& frame, const DrawState& view);
    void tintBackgroundWithFrameInView(QPainter& painter, const QRectF& frame);
    void drawTextWithFrame(QPainter& painter, const QString& text, const QRectF& frame) const;

    // Tracking of the thumb; view is the hosting control (tracking stops without one).
    bool startTrackingAtInView(const QPointF& startPoint, const QWidget* view);
    bool continueTrackingAtInView(const QPointF& lastPoint, const QPointF& currentPoint,
                                  QWidget* view);
    // Returns true when the release counts as a click, which leaves the state alone.
    // Otherwise the state becomes the position at which the thumb was let go.
    bool stopTrackingAtInViewMouseIsUp(const QPointF& lastPoint, const QPointF& stopPoint,
                                       const QWidget* view, bool mouseIsUp);
    // Ends a drag that will see no release: the thumb goes back to the unchanged state.
    void abortTracking();

    bool isTracking() const { return _tracking; }
    QPointF initialTrackingPoint() const { return _initialTrackingPoint; }
    QPointF trackingPoint() const { return _trackingPoint; }
    QRectF trackingCellFrame() const { return _trackingCellFrame; }
    double trackingThumbCenterX() const { return _trackingThumbCenterX; }

private:
    void furtherInit();
    bool tintColors(QColor& onColor, QColor& offColor) const;
    // The thumb moved by the drag so far, held inside the track's inside.
    QRectF trackedThumbRect(const QRectF& thumb, const QRectF& inner) const;
    void rememberThumbPosition(const QRectF& frame);
    int stateForThumbShare(double share) const;
    void drawThumb(QPainter& painter, const QRectF& thumb, const DrawState& view) const;
    void drawDebugFrames(QPainter& painter, const QRectF& thumb, const QRectF& innerFrame) const;
    static double now();

    int _state = 0;
    std::function<void()> _stateChanged;
    bool _allowsMixedState = false;
    FocusRingType _focusRingType = FocusRingType::Default;

    bool _tracking = false;
    QPointF _initialTrackingPoint;
    QPointF _trackingPoint;
    double _initialTrackingTime = 0.0;
    double _trackingTime = 0.0;
    QRectF _trackingCellFrame;
    double _trackingThumbCenterX = 0.0;
    PRHOOBCStuffYouWouldNeedToIncludeCarbonHeadersFor _stuff;

    bool _showsOnOffLabels = true;
    int _onOffSwitchControlColors = VTOnOffSwitchControlDefaultColors;
    QColor _customOnColor;
    QColor _customOffColor;
    QString _onSwitchLabel;
    QString _offSwitchLabel;
};
