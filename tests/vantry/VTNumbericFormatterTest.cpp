#include "controls/VTNumbericFormatter.h"
#include "controls/TLTextField.h"
#include "controls/VTNumbericFormatterDelegate.h"
#include "controls/VTNumbericFormatterValidator.h"
#include "platform/SystemBeep.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {
class VetoingDelegate : public VTNumbericFormatterDelegate {
public:
    QString refusedCharacter;
    int reachedMax = 0;
    QStringList asked;
    void numbericFormatterReachedMaxNumberOfChars(VTNumbericFormatter*) override { ++reachedMax; }
    bool isNumberVaildNumber(VTNumbericFormatter*, const QString& number) override {
        asked << number;
        return number != refusedCharacter;
    }
};

bool partialValid(VTNumbericFormatter& formatter, const QString& proposed,
                  const QString& original) {
    QString partial = proposed;
    VTTextRange range{proposed.size(), 0};
    return formatter
        .isPartialStringValidProposedSelectedRangeOriginalStringOriginalSelectedRangeErrorDescription(
            &partial, &range, original, VTTextRange{original.size(), 0}, nullptr);
}
} // namespace

TEST(VTNumbericFormatter, ShowsAtMostTwoDecimalsAndNoneWhenTheyAreZero) {
    const VTNumbericFormatter formatter;
    struct Case {
        QVariant value;
        QString text;
    } cases[] = {
        {3, QStringLiteral("3")},         {3.5, QStringLiteral("3.50")},
        {2.999, QStringLiteral("3")},     {-1.25, QStringLiteral("-1.25")},
        {0.004f, QStringLiteral("0")},    {qint64(1234567), QStringLiteral("1234567")},
        {QStringLiteral("3"), QString()}, {QVariant(), QString()},
        {1e39, QStringLiteral("inf")},    {-1e39, QStringLiteral("-inf")},
        {qInf(), QStringLiteral("inf")},  {qQNaN(), QStringLiteral("nan")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatter.stringForObjectValue(c.value), c.text)
            << c.value.toString().toStdString();
    EXPECT_TRUE(formatter.stringForObjectValue(QStringLiteral("3")).isNull());
}

TEST(VTNumbericFormatter, ReadsNumbersWithAnOptionalDollar) {
    const VTNumbericFormatter formatter;
    struct Case {
        const char* text;
        bool ok;
        float value;
    } cases[] = {
        {"$12.5", true, 12.5f},  {"12.5", true, 12.5f},  {" 7 ", true, 7.0f},
        {"-3e2", true, -300.0f}, {"12a", false, 0},      {"$", false, 0},
        {"", false, 0},          {"$$1", false, 0},      {"1e60", false, 0},
        {"1e400", false, 0},     {"1e-400", true, 0.0f},
    };
    for (const Case& c : cases) {
        QVariant value;
        QString error;
        EXPECT_EQ(formatter.getObjectValueForStringErrorDescription(
                      &value, QString::fromUtf8(c.text), &error),
                  c.ok)
            << c.text;
        if (c.ok)
            EXPECT_EQ(value.toFloat(), c.value) << c.text;
        else
            EXPECT_EQ(error, QStringLiteral("Couldn’t convert  to float")) << c.text;
    }
}

TEST(VTNumbericFormatter, TypingIsLimitedToNumbersAndTheLengthLimit) {
    struct Case {
        const char* name;
        QString proposed, original;
        bool accepted;
        int beeps;
        int reachedMax;
    } cases[] = {
        {"clearing", QString(), QStringLiteral("1234567890"), true, 0, 0},
        {"a digit", QStringLiteral("12"), QStringLiteral("1"), true, 0, 0},
        {"a decimal point", QStringLiteral("12."), QStringLiteral("12"), true, 0, 0},
        {"a letter", QStringLiteral("12a"), QStringLiteral("12"), false, 1, 0},
        {"a dollar", QStringLiteral("$1"), QStringLiteral("$"), false, 1, 0},
        {"past the limit", QStringLiteral("12345678901"), QStringLiteral("1234567890"), false, 1,
         1},
        {"deleting at the limit", QStringLiteral("123456789"), QStringLiteral("1234567890"), false,
         1, 1},
        {"a refused digit", QStringLiteral("17"), QStringLiteral("1"), false, 1, 0},
    };
    for (const Case& c : cases) {
        VTNumbericFormatter formatter;
        EXPECT_EQ(formatter.maxCharsLen(), 10u);
        VetoingDelegate delegate;
        delegate.refusedCharacter = QStringLiteral("7");
        formatter.setDelegate(&delegate);
        const int beeps = SystemBeep::count();
        EXPECT_EQ(partialValid(formatter, c.proposed, c.original), c.accepted) << c.name;
        EXPECT_EQ(SystemBeep::count() - beeps, c.beeps) << c.name;
        EXPECT_EQ(delegate.reachedMax, c.reachedMax) << c.name;
    }
}

TEST(VTNumbericFormatter, WithoutADelegateEveryNumberIsAccepted) {
    VTNumbericFormatter formatter;
    EXPECT_TRUE(partialValid(formatter, QStringLiteral("17"), QStringLiteral("1")));
    VetoingDelegate delegate;
    formatter.setDelegate(&delegate);
    EXPECT_TRUE(partialValid(formatter, QStringLiteral("1.25"), QStringLiteral("1.2")));
    EXPECT_EQ(delegate.asked, QStringList{QStringLiteral("5")}) << "asked about the last character";
}

TEST(VTNumbericFormatter, VetsWhatIsTypedIntoATextField) {
    struct Case {
        const char* name;
        const char* setFromCode;
        const char* typed; // "\b" is a backspace
        const char* shown;
        int beeps;
    } cases[] = {
        {"a number", "", "12.5", "12.5", 0},
        {"a leading minus is not yet a number", "", "-1", "1", 1},
        {"letters are refused", "", "1a2b", "12", 2},
        {"typing stops at ten characters", "", "123456789012", "1234567890", 2},
        {"the limit counts text set from code", "1234567890", "\b", "1234567890", 1},
        {"text set from code is not vetted", "abc", "", "abc", 0},
        {"but an edit of it is", "abc", "1", "abc", 1},
    };
    for (const Case& c : cases) {
        VTNumbericFormatter formatter;
        TLTextField field;
        new VTNumbericFormatterValidator(&formatter, &field);
        const int beeps = SystemBeep::count();
        field.setStringValue(QString::fromUtf8(c.setFromCode));
        QTest::keyClicks(&field, QString::fromUtf8(c.typed));
        EXPECT_EQ(field.text(), QString::fromUtf8(c.shown)) << c.name;
        EXPECT_EQ(SystemBeep::count() - beeps, c.beeps) << c.name;
    }
}
