#include "VTDropDownButton.h"

#include "VTBottomLeftGeometry.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

const void* const kDFColorSwatchTooltipArea = &kDFColorSwatchTooltipArea;
const void* const kDFButtonTooltipArea = &kDFButtonTooltipArea;

namespace {
constexpr double kTitlePixelSize = 12.0;
constexpr double kChevronWidth = 10.0;
constexpr double kChevronHeight = 6.0;
constexpr double kChevronLineWidth = 2.0;
constexpr double kIndicatorSide = 13.0;
constexpr double kIndicatorInset = 17.0;
constexpr double kIndicatorBottom = 4.0;
constexpr double kFocusRingWidth = 4.0;

QColor calibratedWhite(double white) {
    return QColor::fromRgbF(float(white), float(white), float(white));
}

// A rectangle whose left and/or right corners are rounded.
QPainterPath roundedSidesPath(const QRectF& rect, bool roundLeft, bool roundRight, double radius) {
    const double diameter = 2.0 * radius;
    QPainterPath path;
    if (roundLeft) {
        path.moveTo(rect.left(), rect.top() + radius);
        path.arcTo(QRectF(rect.left(), rect.top(), diameter, diameter), 180.0, -90.0);
    } else {
        path.moveTo(rect.topLeft());
    }
    if (roundRight) {
        path.lineTo(rect.right() - radius, rect.top());
        path.arcTo(QRectF(rect.right() - diameter, rect.top(), diameter, diameter), 90.0, -90.0);
        path.lineTo(rect.right(), rect.bottom() - radius);
        path.arcTo(QRectF(rect.right() - diameter, rect.bottom() - diameter, diameter, diameter),
                   0.0, -90.0);
    } else {
        path.lineTo(rect.topRight());
        path.lineTo(rect.bottomRight());
    }
    if (roundLeft) {
        path.lineTo(rect.left() + radius, rect.bottom());
        path.arcTo(QRectF(rect.left(), rect.bottom() - diameter, diameter, diameter), 270.0, -90.0);
    } else {
        path.lineTo(rect.bottomLeft());
    }
    path.closeSubpath();
    return path;
}
} // namespace

VTDropDownButton::VTDropDownButton(QWidget* parent) : QWidget(parent) {
    setEnabled(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(intrinsicContentSize());
    updateTrackingAreas();
}

VTDropDownButton::~VTDropDownButton() = default;

void VTDropDownButton::setTitle(const QString& title) {
    _title = title;
    update();
}

void VTDropDownButton::setEnableDropDown(bool enable) {
    _enableDropDown = enable;
    update();
}

void VTDropDownButton::setupButtonToolTipsAndArrowToolTips(const QString& buttonTips,
                                                           const QString& arrowTips) {
    _btnTips = buttonTips;
    _arrowTips = arrowTips;
    update();
}

void VTDropDownButton::setButtonTitleAndClickBlock(const QString& title, ButtonClickBlock block) {
    setTitle(title);
    _buttonClickBlock = std::move(block);
}

void VTDropDownButton::setupMenuAndBlock(const QStringList& titles, DropdownBlock block) {
    if (!_droupDownMenu)
        _droupDownMenu = new QMenu(QString(), this);
    _droupDownMenu->clear();
    for (int index = 0; index < titles.size(); ++index) {
        QAction* item = _droupDownMenu->addAction(titles[index]);
        item->setData(index);
        connect(item, &QAction::triggered, this, [this, item] { onMenuClick(item); });
    }
    _dropdownBlock = std::move(block);
}

// Through a copy, as the click block: the block may delete the control.
void VTDropDownButton::onMenuClick(QAction* item) {
    if (!isEnabled() || !item)
        return;
    if (const DropdownBlock block = _dropdownBlock)
        block(this, item->data().toInt());
}

QString VTDropDownButton::viewStringForToolTipPointUserData(const QWidget* view, const QPointF&,
                                                            const void* userData) const {
    if (view != this)
        return {};
    if (userData == kDFColorSwatchTooltipArea)
        return _btnTips;
    if (userData == kDFButtonTooltipArea)
        return _arrowTips;
    return {};
}

QSize VTDropDownButton::intrinsicContentSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int extra = screen && screen->devicePixelRatio() == 2.0 ? 1 : 2;
    return QSize(65 + extra, 21 + extra);
}

QRectF VTDropDownButton::_controlColorSwatchFrame() const {
    return QRectF(0.25, 0.25, width() - kArrowAreaWidth, height());
}

QRectF VTDropDownButton::_controlButtonFrame() const {
    const QRectF swatch = _controlColorSwatchFrame();
    return QRectF(swatch.right() + 0.25, 0.0, kArrowAreaWidth, swatch.height());
}

QRectF VTDropDownButton::swatchRect() const {
    return VTBottomLeftGeometry::toTopLeft(_controlColorSwatchFrame(), height());
}

QRectF VTDropDownButton::buttonRect() const {
    return VTBottomLeftGeometry::toTopLeft(_controlButtonFrame(), height());
}

VTDropDownButton::Area VTDropDownButton::areaAt(const QPointF& point) const {
    if (swatchRect().contains(point))
        return Area::Swatch;
    if (buttonRect().contains(point))
        return Area::Button;
    return Area::None;
}

QPainterPath VTDropDownButton::_generateControlColorSwatchPath() const {
    return roundedSidesPath(swatchRect(), true, false, kCornerRadius);
}

QPainterPath VTDropDownButton::_generatedButtonPath() const {
    return roundedSidesPath(buttonRect(), false, true, kCornerRadius);
}

QPainterPath VTDropDownButton::_generatedArrowPath() const {
    // A downward chevron centred in the arrow area.
    const QRectF area = buttonRect();
    const double left = area.x() + (area.width() - kChevronWidth) * 0.5;
    const double top = area.y() + (area.height() - kChevronHeight) * 0.5;
    QPainterPath path;
    path.moveTo(left, top);
    path.lineTo(left + kChevronWidth * 0.5, top + kChevronHeight);
    path.lineTo(left + kChevronWidth, top);
    return path;
}

QPainterPath VTDropDownButton::_generateControlOuterBorderPath() const {
    return roundedSidesPath(swatchRect().united(buttonRect()), true, true, kCornerRadius);
}

QColor VTDropDownButton::areaFill(bool pressed) const {
    return !isEnabled() || pressed ? calibratedWhite(0.825) : calibratedWhite(1.0);
}

void VTDropDownButton::_drawControlColorSwatch(QPainter& painter) {
    if (_controlColorSwatchPath.isEmpty())
        _controlColorSwatchPath = _generateControlColorSwatchPath();
    painter.fillPath(_controlColorSwatchPath, areaFill(_isSwatchSelected));
}

void VTDropDownButton::_drawControlButton(QPainter& painter) {
    if (_controlButtonPath.isEmpty())
        _controlButtonPath = _generatedButtonPath();
    if (_arrowPath.isEmpty())
        _arrowPath = _generatedArrowPath();
    painter.fillPath(_controlButtonPath, areaFill(_isButtonSelected));
    painter.strokePath(_arrowPath, QPen(calibratedWhite(0.3), kChevronLineWidth));
}

void VTDropDownButton::_drawControlOuterBorder(QPainter& painter) {
    if (_controlOuterBorderPath.isEmpty())
        _controlOuterBorderPath = _generateControlOuterBorderPath();
    painter.fillPath(_controlOuterBorderPath, areaFill(_isSwatchSelected));
}

// Control text, selected control text and disabled control text in the palette's terms.
QColor VTDropDownButton::titleColor() const {
    if (!isEnabled())
        return palette().color(QPalette::Disabled, QPalette::ButtonText);
    if (_isSwatchSelected)
        return palette().color(QPalette::Active, QPalette::Text);
    return palette().color(QPalette::Active, QPalette::ButtonText);
}

void VTDropDownButton::_drawTitle(QPainter& painter) const {
    if (_title.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setPixelSize(int(kTitlePixelSize));
    const QFontMetricsF metrics(font);
    const QSizeF text(metrics.horizontalAdvance(_title), metrics.height());
    const QSizeF area = _enableDropDown ? _controlColorSwatchFrame().size() : QSizeF(size());
    const QRectF bottomUp((area.width() - text.width()) * 0.5,
                          (area.height() - text.height()) * 0.5 + 1.0, area.width(), text.height());
    // The title's white shadow has no offset and no blur: it lies wholly under the text.
    painter.setFont(font);
    painter.setPen(titleColor());
    painter.drawText(VTBottomLeftGeometry::toTopLeft(bottomUp, height()),
                     Qt::AlignLeft | Qt::AlignTop, _title);
}

void VTDropDownButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (_enableDropDown) {
        _drawControlColorSwatch(painter);
        _drawControlButton(painter);
    } else {
        _drawControlOuterBorder(painter);
    }
    _drawTitle(painter);
}

void VTDropDownButton::resizeEvent(QResizeEvent* event) {
    _controlColorSwatchPath.clear();
    _controlButtonPath.clear();
    _controlOuterBorderPath.clear();
    _arrowPath.clear();
    updateTrackingAreas();
    QWidget::resizeEvent(event);
}

void VTDropDownButton::updateTrackingAreas() {
    _colorSwatchTrackingArea = TrackingArea{swatchRect()};
    _buttonTrackingArea = TrackingArea{buttonRect()};
}

// A disabled or hidden control never gets the release of a press it took.
void VTDropDownButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        endPressWithoutRelease();
    QWidget::changeEvent(event);
}

void VTDropDownButton::hideEvent(QHideEvent* event) {
    endPressWithoutRelease();
    QWidget::hideEvent(event);
}

bool* VTDropDownButton::selectionOf(Area area) {
    if (area == Area::Swatch)
        return &_isSwatchSelected;
    if (area == Area::Button)
        return &_isButtonSelected;
    return nullptr;
}

// The area the press held down gets back the selection it had before the press, selected in
// code or not; the other area was never touched.
void VTDropDownButton::endPressWithoutRelease() {
    bool* selected = selectionOf(_pressedArea);
    if (!selected)
        return;
    *selected = _selectedBeforePress;
    _pressedArea = Area::None;
    update();
}

void VTDropDownButton::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    _pressedArea = areaAt(event->position());
    if (bool* selected = selectionOf(_pressedArea)) {
        _selectedBeforePress = *selected;
        *selected = true;
    }
    update();
}

// A press fires only when released in the area where it began; any release clears the
// pressed look, so a press dragged away never leaves an area looking held down.
void VTDropDownButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Area pressed = _pressedArea;
    _pressedArea = Area::None;
    _isSwatchSelected = false;
    _isButtonSelected = false;
    update();
    if (pressed != areaAt(event->position()))
        return;
    if (pressed == Area::Swatch)
        _handleMouseUpInColorRect();
    else if (pressed == Area::Button)
        _handleMouseUpInButtonRect();
}

// Through a copy: the block may delete the control, and the stored block with it, while it runs.
void VTDropDownButton::_handleMouseUpInColorRect() {
    if (const ButtonClickBlock block = _buttonClickBlock)
        block(this);
}

// The menu opens under the control, starting at its horizontal middle.
void VTDropDownButton::_handleMouseUpInButtonRect() {
    if (!_droupDownMenu || !_enableDropDown)
        return;
    _droupDownMenu->popup(mapToGlobal(QPointF(width() * 0.5, height())).toPoint());
}

bool VTDropDownButton::event(QEvent* event) {
    // While a button is held no crossing is reported, so a Leave in the middle of a press means
    // another window, such as a pop-up, took the mouse: the release will go there.
    if (event->type() == QEvent::UngrabMouse || event->type() == QEvent::WindowDeactivate ||
        event->type() == QEvent::Leave)
        endPressWithoutRelease();
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const Area area = areaAt(help->pos());
    const void* token = area == Area::Swatch   ? kDFColorSwatchTooltipArea
                        : area == Area::Button ? kDFButtonTooltipArea
                                               : nullptr;
    const QString tips = viewStringForToolTipPointUserData(this, help->pos(), token);
    if (tips.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const QRect rect = (area == Area::Swatch ? swatchRect() : buttonRect()).toAlignedRect();
    QToolTip::showText(help->globalPos(), tips, this, rect);
    return true;
}

void VTDropDownButton::_drawSeparatorLine(QPainter& painter) const {
    const QRectF swatch = swatchRect();
    painter.save();
    painter.setPen(QPen(calibratedWhite(0.5), 0.5));
    painter.drawLine(QPointF(swatch.right(), swatch.top()),
                     QPointF(swatch.right(), swatch.bottom()));
    painter.restore();
}

QRectF VTDropDownButton::_mouseOverIndicatorFrame() const {
    return QRectF(_controlColorSwatchFrame().right() - kIndicatorInset, kIndicatorBottom,
                  kIndicatorSide, kIndicatorSide);
}

void VTDropDownButton::_drawMouseOverIndicator(QPainter& painter) const {
    QColor fill = calibratedWhite(0.4);
    fill.setAlphaF(0.4f);
    QPainterPath oval;
    oval.addEllipse(VTBottomLeftGeometry::toTopLeft(_mouseOverIndicatorFrame(), height()));
    painter.fillPath(oval, fill);
}

// A small downward chevron whose point lies 1.5 below the indicator's centre.
void VTDropDownButton::_drawMouseOverIndicatorChevron(QPainter& painter) const {
    const QPointF centre =
        VTBottomLeftGeometry::toTopLeft(_mouseOverIndicatorFrame(), height()).center() +
        QPointF(0.0, 1.5);
    QPainterPath chevron;
    chevron.moveTo(centre + QPointF(-3.0, -3.0));
    chevron.lineTo(centre);
    chevron.lineTo(centre + QPointF(3.0, -3.0));
    painter.strokePath(chevron, QPen(Qt::white, 1.0));
}

// The main area's outline with the area inset by the ring's width cut out, filled with a
// gradient rising from the highlight colour to that colour blended 0.4 toward white.
void VTDropDownButton::_drawInternalFocusRingIndicator(QPainter& painter) const {
    const QRectF swatch = swatchRect();
    QPainterPath inner;
    inner.addRect(
        swatch.adjusted(kFocusRingWidth, kFocusRingWidth, -kFocusRingWidth, -kFocusRingWidth));
    const QPainterPath ring = _generateControlColorSwatchPath().subtracted(inner);
    const QColor from = palette().color(QPalette::Active, QPalette::Highlight);
    const QColor to = QColor::fromRgbF(from.redF() * 0.6f + 0.4f, from.greenF() * 0.6f + 0.4f,
                                       from.blueF() * 0.6f + 0.4f, from.alphaF());
    QLinearGradient gradient(swatch.bottomLeft(), swatch.topLeft());
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    painter.fillPath(ring, gradient);
}

// The triangle below the main area's diagonal from its far corner to its top right corner
// (bottom-up), in Qt's coordinates.
QPainterPath VTDropDownButton::_controlColorSwatchLowerTrianglePath() const {
    const QRectF swatch = _controlColorSwatchFrame();
    QPainterPath bottomUp;
    bottomUp.moveTo(swatch.x() - 4.0, swatch.y() - 4.0);
    bottomUp.lineTo(swatch.right(), swatch.bottom());
    bottomUp.lineTo(swatch.right(), swatch.y());
    bottomUp.closeSubpath();
    return QTransform(1, 0, 0, -1, 0, height()).map(bottomUp);
}
