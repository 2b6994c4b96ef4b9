#pragma once

#include "VTAttributedTitle.h"
#include "VTCellState.h"

#include <QImage>
#include <QRectF>
#include <QVariant>

#include <functional>

class QPainter;
class QWidget;

// A text cell for table columns with a small info ("reveal") button at its right end. The
// text is inset 6 from the left and cut with "…" at its tail; the button is 14 by 14, its
// left edge 18 from the right edge, 2 below the text's top. The button is drawn faint
// (0.3), half-bright while the row is selected or the button pressed, and fully bright
// under the pointer. Whoever hosts the cell tracks the mouse (VTRevealButtonCellDelegate
// does so per row) and hands the state to the drawing.
class VTRevealButtonCell {
public:
    // Called with the view the cell is drawn in when the info button is clicked.
    using InfoButtonAction = std::function<void(QWidget* sender)>;

    // What lies under a point, as flags.
    enum HitResult : int {
        HitNone = 0,
        HitContentArea = 1,
        HitEditableTextArea = 2,
        HitTrackableArea = 4,
    };

    static constexpr double kTextInset = 6.0;
    static constexpr double kInfoButtonSide = 14.0;
    static constexpr double kInfoButtonFromRight = 18.0;
    static constexpr double kInfoButtonBelowTop = 2.0;
    static constexpr double kReservedWidth = 24.0;

    VTAttributedTitle attributedStringValue() const { return _value; }
    void setAttributedStringValue(const VTAttributedTitle& value) { _value = value; }
    QString stringValue() const { return _value.string; }
    void setStringValue(const QString& value) { _value.string = value; }
    // Unset: the view's font.
    std::optional<QFont> font() const { return _value.font; }
    void setFont(const QFont& font) { _value.font = font; }
    Qt::TextElideMode lineBreakMode() const { return _lineBreakMode; }
    void setLineBreakMode(Qt::TextElideMode mode) { _lineBreakMode = mode; }

    InfoButtonAction infoButtonAction() const { return _iInfoButtonAction; }
    void setInfoButtonAction(InfoButtonAction action) { _iInfoButtonAction = std::move(action); }
    // Calls the action, when there is one, with sender; false when there is none.
    bool sendInfoButtonAction(QWidget* sender) const;

    // The cell's own pointer state, for a host that draws one cell in one place.
    bool iMouseDownInInfoButton() const { return _iMouseDownInInfoButton; }
    void setIMouseDownInInfoButton(bool down) { _iMouseDownInInfoButton = down; }
    bool iMouseHoveredInInfoButton() const { return _iMouseHoveredInInfoButton; }
    // Stores the hover flag; the host asks for the redraw.
    void setMouseEntered(bool entered) { _iMouseHoveredInInfoButton = entered; }
    // Has view report pointer moves and takes the hover flag from mouseLocation (in view
    // coordinates), redrawing cellFrame when it changes. Qt's tracking carries no user
    // info: userInfo is not used.
    void addTrackingAreasForViewInRectWithUserInfoMouseLocation(QWidget* view,
                                                                const QRectF& cellFrame,
                                                                const QVariant& userInfo,
                                                                const QPointF& mouseLocation);
    // That state as the drawing takes it.
    VTCellState ownState(bool selected) const;

    static QImage infoButtonImage();
    static bool prefersTrackingUntilMouseUp() { return true; }

    // The size of the text in its font (view gives the font when the value has none).
    QSizeF textSize(const QWidget* view) const;
    QRectF titleRectForBounds(const QRectF& bounds, const QWidget* view) const;
    static QRectF rectForInfoButtonBasedOnTitleRectInBounds(const QRectF& titleRect,
                                                            const QRectF& bounds);
    QRectF infoButtonRectForBounds(const QRectF& bounds, const QWidget* view) const;
    // Width: the text's plus 24, at most the bounds' width; height: the text's, at least
    // the info button's with its offset.
    QSizeF cellSizeForBounds(const QRectF& bounds, const QWidget* view) const;

    // Which parts of the cell lie under point (in view coordinates).
    int hitTestForPointInRectOfView(const QPointF& point, const QRectF& cellFrame,
                                    const QWidget* view) const;
    // The info button's opacity for a state: pressed 0.5, else hovered 1.0, else selected
    // 0.5, else 0.3.
    static double infoButtonOpacity(const VTCellState& state);

    void drawInteriorWithFrameInView(QPainter& painter, const QRectF& cellFrame,
                                     const QWidget* view, const VTCellState& state) const;

private:
    VTAttributedTitle _value;
    Qt::TextElideMode _lineBreakMode = Qt::ElideRight;
    bool _iMouseDownInInfoButton = false;
    bool _iMouseHoveredInInfoButton = false;
    InfoButtonAction _iInfoButtonAction;
};
