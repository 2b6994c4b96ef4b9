#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;

// Identify the two tool-tip areas of a drop-down button; each points at itself.
extern const void* const kDFColorSwatchTooltipArea;
extern const void* const kDFButtonTooltipArea;

// A split button drawn in code: a wide main area on the left that runs a click block and a
// narrow arrow area on the right that pops up a menu and reports the chosen index. With
// the drop-down off it is one plain rounded button. Each area has its own tool tip.
//
// The main area is the "swatch" and the arrow area the "button" in the member names.
// Geometry is written bottom-up (y grows upwards) and converted for Qt when drawn.
class VTDropDownButton : public QWidget {
    Q_OBJECT
public:
    using DropdownBlock = std::function<void(VTDropDownButton* sender, int index)>;
    using ButtonClickBlock = std::function<void(VTDropDownButton* sender)>;

    static constexpr double kArrowAreaWidth = 21.0;
    static constexpr double kCornerRadius = 4.0;

    explicit VTDropDownButton(QWidget* parent = nullptr);
    ~VTDropDownButton() override;

    QString title() const { return _title; }
    void setTitle(const QString& title);
    QMenu* droupDownMenu() const { return _droupDownMenu; }
    DropdownBlock dropdownBlock() const { return _dropdownBlock; }
    void setDropdownBlock(DropdownBlock block) { _dropdownBlock = std::move(block); }
    ButtonClickBlock buttonClickBlock() const { return _buttonClickBlock; }
    void setButtonClickBlock(ButtonClickBlock block) { _buttonClickBlock = std::move(block); }
    bool isButtonSelected() const { return _isButtonSelected; }
    void setIsButtonSelected(bool selected) { _isButtonSelected = selected; }
    bool isSwatchSelected() const { return _isSwatchSelected; }
    void setIsSwatchSelected(bool selected) { _isSwatchSelected = selected; }
    bool enableDropDown() const { return _enableDropDown; }
    void setEnableDropDown(bool enable);
    QString btnTips() const { return _btnTips; }
    void setBtnTips(const QString& tips) { _btnTips = tips; }
    QString arrowTips() const { return _arrowTips; }
    void setArrowTips(const QString& tips) { _arrowTips = tips; }

    void setupButtonToolTipsAndArrowToolTips(const QString& buttonTips, const QString& arrowTips);
    void setButtonTitleAndClickBlock(const QString& title, ButtonClickBlock block);
    // Replaces the menu's items by one per title, tagged with its index from 0.
    void setupMenuAndBlock(const QStringList& titles, DropdownBlock block);
    void onMenuClick(QAction* item);
    // btnTips for the main-area token, arrowTips for the arrow-area token, a null string
    // for anything else.
    QString viewStringForToolTipPointUserData(const QWidget* view, const QPointF& point,
                                              const void* userData) const;

    // 66 by 22 on a double-density screen, 67 by 23 otherwise.
    QSize intrinsicContentSize() const;
    QSize sizeHint() const override { return intrinsicContentSize(); }

    // The two areas, bottom-up in the control's bounds.
    QRectF _controlColorSwatchFrame() const;
    QRectF _controlButtonFrame() const;

    // A region watched for the pointer entering and leaving while the window is active.
    // The control keeps one over each area and does not itself react to either event.
    struct TrackingArea {
        QRectF rect; // in Qt's coordinates
        bool mouseEnteredAndExited = true;
        bool activeInKeyWindow = true;
        bool operator==(const TrackingArea&) const = default;
    };
    TrackingArea colorSwatchTrackingArea() const { return _colorSwatchTrackingArea; }
    TrackingArea buttonTrackingArea() const { return _buttonTrackingArea; }

    // Drawing steps the control's own drawing does not use, for a look built on this one.
    void _drawSeparatorLine(QPainter& painter) const;
    // Bottom-up, like the areas.
    QRectF _mouseOverIndicatorFrame() const;
    void _drawMouseOverIndicator(QPainter& painter) const;
    void _drawMouseOverIndicatorChevron(QPainter& painter) const;
    void _drawInternalFocusRingIndicator(QPainter& painter) const;
    QPainterPath _controlColorSwatchLowerTrianglePath() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Area { None, Swatch, Button };

    // The areas in Qt's coordinates (origin top left).
    QRectF swatchRect() const;
    QRectF buttonRect() const;
    Area areaAt(const QPointF& point) const;
    // The pressed flag of an area; none for Area::None.
    bool* selectionOf(Area area);

    QPainterPath _generateControlColorSwatchPath() const;
    QPainterPath _generatedButtonPath() const;
    QPainterPath _generatedArrowPath() const;
    QPainterPath _generateControlOuterBorderPath() const;
    void _drawControlColorSwatch(QPainter& painter);
    void _drawControlButton(QPainter& painter);
    void _drawControlOuterBorder(QPainter& painter);
    void _drawTitle(QPainter& painter) const;
    void _handleMouseUpInColorRect();
    void _handleMouseUpInButtonRect();
    // Ends a press whose release will never come: its area unpressed, nothing fired.
    void endPressWithoutRelease();
    void updateTrackingAreas();
    QColor areaFill(bool pressed) const;
    QColor titleColor() const;

    QString _title;
    QMenu* _droupDownMenu = nullptr;
    DropdownBlock _dropdownBlock;
    ButtonClickBlock _buttonClickBlock;
    bool _isButtonSelected = false;
    bool _isSwatchSelected = false;
    bool _enableDropDown = true;
    QString _btnTips;
    QString _arrowTips;
    // Built on the first draw that needs them; dropped when the size changes.
    QPainterPath _controlColorSwatchPath;
    QPainterPath _controlButtonPath;
    QPainterPath _controlOuterBorderPath;
    QPainterPath _arrowPath;
    Area _pressedArea = Area::None;
    // The pressed area's flag before the press, for a press that sees no release.
    bool _selectedBeforePress = false;
    TrackingArea _colorSwatchTrackingArea;
    TrackingArea _buttonTrackingArea;
};
