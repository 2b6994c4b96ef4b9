#include "VTTimePicker.h"

#include "TLTextField.h"
#include "VTTimePickerDelegate.h"
#include "platform/NumberText.h"
#include "platform/Stepper.h"
#include "platform/SystemBeep.h"
#include "utils/VTGlobalFunctions.h"

#include <QDebug>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <climits>
#include <cmath>

namespace {
constexpr double kStepperWidth = 15.0;
constexpr double kStepperHeight = 22.0;
constexpr int kCapWidth = 8;
constexpr int kImageHeight = 24;

// A number's leading integer, as a field's integer value reads it: "075" is 75, "7a" is 7,
// "abc" is 0.
int intValue(const QString& text) {
    const qint64 value = NumberText::integerValue(text);
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

QString paddedText(int value) {
    return value < 10 ? QStringLiteral("0%1").arg(value) : QString::number(value);
}

void setWhiteText(QWidget* widget) {
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Text, Qt::white);
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(255, 255, 255, 150));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(255, 255, 255, 150));
    palette.setColor(QPalette::Base, Qt::transparent);
    widget->setPalette(palette);
}

// A dark capsule with a faint light rim, cut into its two caps and a one-pixel middle.
std::array<QImage, 3> drawBackgroundImages() {
    QImage whole(2 * kCapWidth + 1, kImageHeight, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    QPainter painter(&whole);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body = QRectF(whole.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, QColor(74, 78, 84));
    fill.setColorAt(1.0, QColor(46, 49, 54));
    painter.setPen(QColor(28, 30, 33));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 5.0, 5.0);
    painter.setPen(QColor(255, 255, 255, 40));
    painter.drawLine(QPointF(5.0, 1.5), QPointF(whole.width() - 5.0, 1.5));
    painter.end();
    return {whole.copy(0, 0, kCapWidth, kImageHeight), whole.copy(kCapWidth, 0, 1, kImageHeight),
            whole.copy(kCapWidth + 1, 0, kCapWidth, kImageHeight)};
}

// Caps at their own width, the middle stretched between them, all at the full height.
void drawThreePartImage(QPainter& painter, const QRectF& frame,
                        const std::array<QImage, 3>& parts) {
    const double left = std::min<double>(parts[0].width(), frame.width() / 2.0);
    const double right = std::min<double>(parts[2].width(), frame.width() / 2.0);
    painter.drawImage(QRectF(frame.left(), frame.top(), left, frame.height()), parts[0]);
    painter.drawImage(
        QRectF(frame.left() + left, frame.top(), frame.width() - left - right, frame.height()),
        parts[1]);
    painter.drawImage(QRectF(frame.right() - right, frame.top(), right, frame.height()), parts[2]);
}
} // namespace

VTTimePicker::VTTimePicker(QWidget* parent) : QWidget(parent) {
    resize(sizeHint());
    const QRectF placeholder(0, 0, 1, kFieldHeight);
    _tf1 = getTextfieldCell(placeholder);
    _tfSepertor1 = getSeperator(placeholder, QStringLiteral(":"));
    _tf2 = getTextfieldCell(placeholder);
    _tfSepertor2 = getSeperator(placeholder, QStringLiteral(":"));
    _tf3 = getTextfieldCell(placeholder);
    _tfSepertor3 = getSeperator(placeholder, QStringLiteral("."));
    _tf4 = getTextfieldCell(placeholder);
    _steper = getStepper(QRectF(0, 0, kStepperWidth, kStepperHeight));
    layoutSubviews();
    setEnabled(false);
}

VTTimePicker::~VTTimePicker() {
    // The fields outlive this part of the destruction; they must not call back into it.
    for (TLTextField* field : {_tf1, _tf2, _tf3, _tf4}) {
        field->setCustomDelegate(nullptr);
        field->disconnect(this);
    }
}

const std::array<QImage, 3>& VTTimePicker::backgroundImages() {
    static const std::array<QImage, 3> images = drawBackgroundImages();
    return images;
}

TLTextField* VTTimePicker::getTextfieldCell(const QRectF& frame) {
    auto* field = new TLTextField(this);
    field->setGeometry(frame.toRect());
    field->setText(QStringLiteral("00"));
    field->setFrame(false);
    field->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    field->setAutoFillBackground(false);
    setWhiteText(field);
    field->setCustomDelegate(this);
    connect(field, &TLTextField::textShouldBeginEditing, this,
            &VTTimePicker::controlTextShouldBeginEditing);
    connect(field, &TLTextField::controlTextDidChange, this, &VTTimePicker::controlTextDidChange);
    return field;
}

QLabel* VTTimePicker::getSeperator(const QRectF& frame, const QString& text) {
    auto* separator = new QLabel(text, this);
    separator->setGeometry(frame.toRect());
    separator->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    separator->setAutoFillBackground(false);
    separator->setTextInteractionFlags(Qt::NoTextInteraction);
    setWhiteText(separator);
    return separator;
}

Stepper* VTTimePicker::getStepper(const QRectF& frame) {
    auto* stepper = new Stepper(this);
    stepper->setGeometry(frame.toRect());
    stepper->setMinValue(-10000.0);
    stepper->setMaxValue(10000.0);
    stepper->setIncrement(1.0);
    connect(stepper, &Stepper::activated, this, [this, stepper] { clickSteper(stepper); });
    return stepper;
}

// Fields share what is left after the fixed widths; each field after the first starts on
// a whole point.
void VTTimePicker::layoutSubviews() {
    const double fieldWidth = float((width() - kFixedWidths) * 0.25);
    const double y = float((height() - kFieldHeight) * 0.5);
    double x = kGap;
    const std::array<TLTextField*, 4> fields = {_tf1, _tf2, _tf3, _tf4};
    const std::array<QLabel*, 3> separators = {_tfSepertor1, _tfSepertor2, _tfSepertor3};
    for (size_t i = 0; i < fields.size(); ++i) {
        fields[i]->setGeometry(QRectF(x, y, fieldWidth, kFieldHeight).toRect());
        if (i < separators.size())
            separators[i]->setGeometry(QRectF(x + fieldWidth, y, kGap, kFieldHeight).toRect());
        x = std::trunc(x + fieldWidth + kGap);
    }
    _steper->setGeometry(
        QRectF(x, (height() - kStepperHeight) * 0.5, kStepperWidth, kStepperHeight).toRect());
}

void VTTimePicker::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void VTTimePicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawThreePartImage(painter, QRectF(rect()), backgroundImages());
}

QString VTTimePicker::timeTextWith(const TLTextField* replaced, const QString& replacement) const {
    auto text = [&](const TLTextField* field) {
        return field == replaced ? replacement : field->stringValue();
    };
    return QStringLiteral("%1:%2:%3.%4").arg(text(_tf1), text(_tf2), text(_tf3), text(_tf4));
}

double VTTimePicker::getTimeSeconds() const {
    return VTGlobalFunctions::getSecondsByTimeString(timeTextWith(nullptr, QString()));
}

void VTTimePicker::clickSteper(Stepper* sender) {
    const double value = sender->doubleValue();
    const int delta = int(std::trunc(value - _bindStepValue));
    _bindStepValue = value;
    if (_tfCurrentHandle)
        updateCurentSelectedTextFieldToTime(_tfCurrentHandle,
                                            intValue(_tfCurrentHandle->stringValue()) + delta);
}

void VTTimePicker::updateCurentSelectedTextFieldToTime(TLTextField*, int value) {
    if (_tfCurrentHandle)
        applyToCurrentField(value, _tfCurrentHandle->stringValue());
}

// Hours, minutes and seconds take 0 to 59, milliseconds 0 to 999 (larger values are held
// at 999). A value out of range or refused by the delegate beeps and puts previousText
// back; the delegate hears of every attempt.
void VTTimePicker::applyToCurrentField(int value, const QString& previousText) {
    TLTextField* field = _tfCurrentHandle;
    if (!field)
        return;
    const bool milliseconds = field == _tf4;
    if (milliseconds)
        value = std::min(value, 999);
    bool accepted = value >= 0 && (milliseconds || value < 60);
    const QString text = paddedText(value);
    if (accepted && _delegate) {
        const double seconds = VTGlobalFunctions::getSecondsByTimeString(timeTextWith(field, text));
        accepted = _delegate->timePickerWillUpdateToTime(this, seconds);
    }
    if (accepted) {
        field->setStringValue(text);
        _changeBeforeValue = text;
    } else {
        SystemBeep::beep();
        field->setStringValue(previousText);
    }
    if (_delegate)
        _delegate->didVTTimePickerUpdatedTime(this);
}

void VTTimePicker::controlTextDidChange(TLTextField* field) {
    qDebug().noquote()
        << QStringLiteral("shouldChangeToValue: stringValue == %1").arg(field->stringValue());
    if (_delegate) {
        const double seconds = getTimeSeconds();
        if (!_delegate->timePickerWillUpdateToTime(this, seconds)) {
            applyToCurrentField(intValue(_changeBeforeValue), _changeBeforeValue);
            SystemBeep::beep();
            return;
        }
    }
    applyToCurrentField(intValue(field->stringValue()), _changeBeforeValue);
    _changeBeforeValue = field->stringValue();
}

bool VTTimePicker::controlTextShouldBeginEditing(TLTextField*, const QString& fieldEditorText) {
    _changeBeforeValue = fieldEditorText;
    return true;
}

void VTTimePicker::didTextFieldBecomeFirstResponder(TLTextField* field) {
    _tfCurrentHandle = field;
}

void VTTimePicker::didTextFieldResignFirstResponder(TLTextField*) {
    _tfCurrentHandle = nullptr;
}

bool VTTimePicker::textFieldShouldChangeToValue(TLTextField*, const QString&) {
    return true;
}
