#pragma once

#include "TLTextFieldDelegate.h"

#include <QImage>
#include <QWidget>

#include <array>

class QLabel;
class Stepper;
class TLTextField;
class VTTimePickerDelegate;

// A time entry: hours, minutes, seconds and milliseconds fields separated by ":", ":" and
// ".", with a stepper at the right that steps the field being edited, on a dark rounded
// background. Every change is offered to the delegate first; a refused or out-of-range
// value beeps and leaves the field as it was. It starts disabled.
class VTTimePicker : public QWidget, public TLTextFieldDelegate {
    Q_OBJECT
public:
    static constexpr double kFieldHeight = 19.0;
    static constexpr double kGap = 9.0;
    static constexpr double kFixedWidths = 60.0;

    explicit VTTimePicker(QWidget* parent = nullptr);
    ~VTTimePicker() override;

    TLTextField* tf1() const { return _tf1; }
    TLTextField* tf2() const { return _tf2; }
    TLTextField* tf3() const { return _tf3; }
    TLTextField* tf4() const { return _tf4; }
    Stepper* steper() const { return _steper; }
    TLTextField* currentField() const { return _tfCurrentHandle; }
    QString changeBeforeValue() const { return _changeBeforeValue; }
    void setChangeBeforeValue(const QString& value) { _changeBeforeValue = value; }
    VTTimePickerDelegate* delegate() const { return _delegate; }
    void setDelegate(VTTimePickerDelegate* delegate) { _delegate = delegate; }

    // The four fields as "h:m:s.ms", read as seconds.
    double getTimeSeconds() const;

    void clickSteper(Stepper* sender);
    // Applies to the field being edited (field is not consulted); nothing without one.
    void updateCurentSelectedTextFieldToTime(TLTextField* field, int value);
    void controlTextDidChange(TLTextField* field);
    bool controlTextShouldBeginEditing(TLTextField* field, const QString& fieldEditorText);

    void didTextFieldBecomeFirstResponder(TLTextField* field) override;
    void didTextFieldResignFirstResponder(TLTextField* field) override;
    bool textFieldShouldChangeToValue(TLTextField* field, const QString& value) override;

    QSize sizeHint() const override { return QSize(190, 26); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // "date-picker-left", "date-picker-middle" and "date-picker-right", drawn once.
    static const std::array<QImage, 3>& backgroundImages();

    TLTextField* getTextfieldCell(const QRectF& frame);
    QLabel* getSeperator(const QRectF& frame, const QString& text);
    Stepper* getStepper(const QRectF& frame);
    void layoutSubviews();
    QString timeTextWith(const TLTextField* replaced, const QString& replacement) const;
    void applyToCurrentField(int value, const QString& previousText);

    TLTextField* _tf1 = nullptr;
    TLTextField* _tf2 = nullptr;
    TLTextField* _tf3 = nullptr;
    TLTextField* _tf4 = nullptr;
    QLabel* _tfSepertor1 = nullptr;
    QLabel* _tfSepertor2 = nullptr;
    QLabel* _tfSepertor3 = nullptr;
    Stepper* _steper = nullptr;
    TLTextField* _tfCurrentHandle = nullptr;
    double _bindStepValue = 0.0;
    QString _changeBeforeValue;
    VTTimePickerDelegate* _delegate = nullptr;
};
