#include "controls/VTTimePicker.h"
#include "controls/TLTextField.h"
#include "controls/TLTextFieldDelegate.h"
#include "controls/VTTimePickerDelegate.h"
#include "platform/Stepper.h"
#include "platform/SystemBeep.h"

#include "DevicePixels.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// Refuses any time above a limit and counts what it is told.
class LimitDelegate : public VTTimePickerDelegate {
public:
    double limit = 1e9;
    QList<double> offered;
    int updates = 0;
    bool timePickerWillUpdateToTime(VTTimePicker*, double seconds) override {
        offered << seconds;
        return seconds <= limit;
    }
    void didVTTimePickerUpdatedTime(VTTimePicker*) override { ++updates; }
};

enum Field { Hours, Minutes, Seconds, Milliseconds };

TLTextField* field(const VTTimePicker& picker, Field which) {
    const std::array<TLTextField*, 4> fields = {picker.tf1(), picker.tf2(), picker.tf3(),
                                                picker.tf4()};
    return fields[which];
}

void setFields(VTTimePicker& picker, const QStringList& texts) {
    for (int i = 0; i < 4; ++i)
        field(picker, Field(i))->setStringValue(texts[i]);
}

QStringList fieldTexts(const VTTimePicker& picker) {
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << field(picker, Field(i))->stringValue();
    return texts;
}

void focus(VTTimePicker& picker, TLTextField* target) {
    picker.setEnabled(true);
    picker.show();
    QApplication::setActiveWindow(&picker);
    target->setFocus(Qt::OtherFocusReason);
    target->end(false);
    QCoreApplication::processEvents();
}

void clickStepper(VTTimePicker& picker, bool up) {
    Stepper* stepper = picker.steper();
    const int y = up ? 3 : stepper->height() - 3;
    QTest::mouseClick(stepper, Qt::LeftButton, {}, QPoint(stepper->width() / 2, y));
}
} // namespace

TEST(VTTimePicker, StartsDisabledWithZeroFieldsLaidOutInARow) {
    VTTimePicker picker;
    picker.resize(200, 30);
    picker.show();
    EXPECT_FALSE(field(picker, Hours)->isEnabled());
    EXPECT_FALSE(picker.steper()->isEnabled());
    EXPECT_EQ(fieldTexts(picker), QStringList({"00", "00", "00", "00"}));
    // Fields (200 - 60) / 4 = 35 wide, 9 apart; the stepper after the last one.
    const int xs[] = {9, 53, 97, 141};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(field(picker, Field(i))->geometry(), QRect(xs[i], 6, 35, 19)) << i;
    EXPECT_EQ(picker.steper()->geometry(), QRect(185, 4, 15, 22));
    QStringList separators;
    for (const QLabel* label : picker.findChildren<QLabel*>())
        separators << label->text();
    EXPECT_EQ(separators, QStringList({":", ":", "."}));
}

TEST(VTTimePicker, SecondsComeFromTheFourFields) {
    struct Case {
        QStringList fields;
        double seconds;
    } cases[] = {
        {{"01", "02", "03", "500"}, 3723.5},
        {{"00", "00", "05", "05"}, 5.05},
        {{"00", "59", "59", "999"}, 3599.999},
    };
    for (const Case& c : cases) {
        VTTimePicker picker;
        setFields(picker, c.fields);
        EXPECT_DOUBLE_EQ(picker.getTimeSeconds(), c.seconds) << c.fields.join(' ').toStdString();
    }
}

TEST(VTTimePicker, TypedValuesArePaddedAndRangeChecked) {
    struct Case {
        const char* name;
        Field field;
        QString before;
        const char* typed;
        QString after;
        int beeps;
    } cases[] = {
        {"a digit is padded", Seconds, "00", "7", "07", 0},
        {"75 minutes beep", Minutes, "07", "5", "07", 1},
        {"60 hours beep", Hours, "06", "0", "06", 1},
        {"a letter reads as nothing", Hours, "00", "a", "00", 0},
        {"two digits stand", Seconds, "05", "9", "59", 0},
        {"milliseconds stop at 999", Milliseconds, "500", "1", "999", 0},
    };
    for (const Case& c : cases) {
        VTTimePicker picker;
        TLTextField* target = field(picker, c.field);
        target->setStringValue(c.before);
        focus(picker, target);
        ASSERT_EQ(picker.currentField(), target) << c.name;
        const int beeps = SystemBeep::count();
        QTest::keyClicks(target, QString::fromUtf8(c.typed));
        EXPECT_EQ(target->stringValue(), c.after) << c.name;
        EXPECT_EQ(SystemBeep::count() - beeps, c.beeps) << c.name;
    }
}

TEST(VTTimePicker, StepperStepsTheFocusedFieldWithinItsRange) {
    struct Case {
        const char* name;
        Field field;
        QString before;
        bool up;
        QString after;
        int beeps;
    } cases[] = {
        {"up", Seconds, "05", true, "06", 0},
        {"up to two digits", Minutes, "09", true, "10", 0},
        {"down", Hours, "10", false, "09", 0},
        {"down from zero beeps", Seconds, "00", false, "00", 1},
        {"up from 59 beeps", Seconds, "59", true, "59", 1},
        {"milliseconds past 59", Milliseconds, "59", true, "60", 0},
        {"milliseconds held at 999", Milliseconds, "999", true, "999", 0},
    };
    for (const Case& c : cases) {
        VTTimePicker picker;
        TLTextField* target = field(picker, c.field);
        target->setStringValue(c.before);
        focus(picker, target);
        const int beeps = SystemBeep::count();
        clickStepper(picker, c.up);
        EXPECT_EQ(target->stringValue(), c.after) << c.name;
        EXPECT_EQ(SystemBeep::count() - beeps, c.beeps) << c.name;
        EXPECT_EQ(picker.currentField(), target) << c.name << ": the stepper takes no focus";
    }
}

TEST(VTTimePicker, StepperWithoutAFocusedFieldOnlyMovesItsOwnValue) {
    VTTimePicker picker;
    picker.setEnabled(true);
    setFields(picker, {"01", "02", "03", "04"});
    clickStepper(picker, true);
    clickStepper(picker, true);
    EXPECT_EQ(fieldTexts(picker), QStringList({"01", "02", "03", "04"}));
    EXPECT_EQ(picker.steper()->doubleValue(), 2.0);

    focus(picker, field(picker, Seconds));
    clickStepper(picker, true);
    EXPECT_EQ(field(picker, Seconds)->stringValue(), QStringLiteral("04")) << "one step, not three";
}

TEST(VTTimePicker, RefusedChangesBeepKeepTheTextAndAreStillReported) {
    VTTimePicker picker;
    LimitDelegate delegate;
    delegate.limit = 10.0;
    picker.setDelegate(&delegate);
    TLTextField* seconds = field(picker, Seconds);
    seconds->setStringValue(QStringLiteral("09"));
    focus(picker, seconds);

    int beeps = SystemBeep::count();
    clickStepper(picker, true);
    EXPECT_EQ(seconds->stringValue(), QStringLiteral("10"));
    clickStepper(picker, true);
    EXPECT_EQ(seconds->stringValue(), QStringLiteral("10")) << "11 s is refused";
    EXPECT_EQ(SystemBeep::count() - beeps, 1);
    EXPECT_EQ(delegate.updates, 2);
    EXPECT_EQ(delegate.offered.last(), 11.0);

    TLTextField* minutes = field(picker, Minutes);
    focus(picker, minutes);
    beeps = SystemBeep::count();
    delegate.updates = 0;
    QTest::keyClicks(minutes, QStringLiteral("1"));
    EXPECT_EQ(minutes->stringValue(), QStringLiteral("00")) << "70 s is refused";
    EXPECT_EQ(SystemBeep::count() - beeps, 1);
    EXPECT_EQ(delegate.updates, 1);
}

TEST(VTTimePicker, UpdatesWithoutAFocusedFieldAreIgnored) {
    VTTimePicker picker;
    LimitDelegate delegate;
    picker.setDelegate(&delegate);
    const int beeps = SystemBeep::count();
    picker.updateCurentSelectedTextFieldToTime(field(picker, Hours), 75);
    picker.updateCurentSelectedTextFieldToTime(field(picker, Hours), 5);
    EXPECT_EQ(fieldTexts(picker), QStringList({"00", "00", "00", "00"}));
    EXPECT_EQ(SystemBeep::count(), beeps);
    EXPECT_EQ(delegate.updates, 0);
}

TEST(VTTimePicker, RendersWhiteDigitsOnADarkBar) {
    VTTimePicker picker;
    picker.resize(200, 30);
    picker.setEnabled(true);
    setFields(picker, {"01", "02", "03", "500"});
    const QImage image = picker.grab().toImage();
    image.scaled(image.size() * 3)
        .save(TestEnvironment::renderFolder() + QStringLiteral("/time-picker.png"));
    EXPECT_LT(pixelAt(image, 5, 15).lightness(), 90) << "dark background";
    int light = 0;
    for (int x = 9; x < 44; ++x)
        for (int y = 8; y < 24; ++y)
            light += pixelAt(image, x, y).lightness() > 200;
    EXPECT_GT(light, 10) << "white digits in the hours field";
}

namespace {
class RecordingFieldDelegate : public TLTextFieldDelegate {
public:
    QStringList events;
    QString refused;
    void didTextFieldBecomeFirstResponder(TLTextField*) override { events << "became"; }
    void didTextFieldResignFirstResponder(TLTextField*) override { events << "resigned"; }
    bool textFieldShouldChangeToValue(TLTextField*, const QString& value) override {
        return value != refused;
    }
};
} // namespace

TEST(TLTextField, TellsItsDelegateOfFocusAndLetsItVetoValues) {
    QWidget window;
    auto* first = new TLTextField(&window);
    auto* second = new TLTextField(&window);
    RecordingFieldDelegate delegate;
    delegate.refused = QStringLiteral("no");
    first->setCustomDelegate(&delegate);
    first->setStringValue(QStringLiteral("yes"));
    first->setStringValue(QStringLiteral("no"));
    EXPECT_EQ(first->stringValue(), QStringLiteral("yes"));

    window.show();
    QApplication::setActiveWindow(&window);
    first->setFocus();
    second->setFocus();
    EXPECT_EQ(delegate.events, QStringList({"became", "resigned"}));
}

TEST(TLTextField, ReportsTheTextFromBeforeTheFirstChangeOfAnEditingSession) {
    TLTextField field;
    field.setStringValue(QStringLiteral("12"));
    QStringList began;
    int changes = 0;
    QObject::connect(&field, &TLTextField::textShouldBeginEditing,
                     [&began](TLTextField*, const QString& text) { began << text; });
    QObject::connect(&field, &TLTextField::controlTextDidChange, [&changes] { ++changes; });
    field.end(false);
    QTest::keyClicks(&field, QStringLiteral("34"));
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClicks(&field, QStringLiteral("5"));
    EXPECT_EQ(began, QStringList({"12", "1234"}));
    EXPECT_EQ(changes, 3);
}
