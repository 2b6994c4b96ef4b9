#include "VTNumbericFormatter.h"

#include "VTNumbericFormatterDelegate.h"
#include "platform/NumberText.h"
#include "platform/SystemBeep.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {
// A whole text that is one number, blanks around it allowed, optionally after a "$".
bool scanWholeNumber(const QString& text, bool dollarAllowed, double* value) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*$)"));
    static const QRegularExpression dollarNumber(
        QStringLiteral(R"(^\s*\$?\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*$)"));
    const QRegularExpressionMatch match = (dollarAllowed ? dollarNumber : number).match(text);
    if (!match.hasMatch())
        return false;
    // Too large a number is an infinity, never the 0 of an unreadable text; too small is 0.
    bool ok = false;
    *value = match.captured(1).toDouble(&ok);
    if (!ok && !std::isinf(*value))
        *value = 0.0;
    return true;
}

// A double in single precision; past float's range an infinity, which a plain conversion
// leaves undefined.
float singlePrecision(double value) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (std::isfinite(value) && std::abs(value) > std::numeric_limits<float>::max())
        return value > 0 ? infinity : -infinity;
    return float(value);
}

bool isNumber(const QVariant& object) {
    switch (object.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}
} // namespace

QString VTNumbericFormatter::stringForObjectValue(const QVariant& object) const {
    if (!isNumber(object))
        return {};
    // Infinite and NaN values read "inf", "-inf" and "nan", as "%.2f" writes them.
    const float value = singlePrecision(object.toDouble());
    const QString text = NumberText::fromDouble(double(value), 2);
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0 && NumberText::integerValue(QStringView(text).mid(point + 1)) == 0)
        return text.left(point);
    return text;
}

bool VTNumbericFormatter::getObjectValueForStringErrorDescription(QVariant* object,
                                                                  const QString& string,
                                                                  QString* error) const {
    double value = 0.0;
    if (scanWholeNumber(string, true, &value) && std::isfinite(singlePrecision(value))) {
        if (object)
            *object = QVariant(float(value));
        return true;
    }
    if (error)
        *error = QCoreApplication::translate("VTNumbericFormatter", "Couldn’t convert  to float");
    return false;
}

bool VTNumbericFormatter::
    isPartialStringValidProposedSelectedRangeOriginalStringOriginalSelectedRangeErrorDescription(
        QString* partialString, VTTextRange*, const QString& originalString, VTTextRange,
        QString*) {
    const QString proposed = partialString ? *partialString : QString();
    if (proposed.isEmpty())
        return true;
    double ignored = 0.0;
    const bool number = scanWholeNumber(proposed, false, &ignored);
    if (static_cast<unsigned long>(originalString.size()) == _maxCharsLen) {
        if (_delegate)
            _delegate->numbericFormatterReachedMaxNumberOfChars(this);
        SystemBeep::beep();
        return false;
    }
    if (!number) {
        SystemBeep::beep();
        return false;
    }
    if (_delegate && !_delegate->isNumberVaildNumber(this, proposed.right(1))) {
        SystemBeep::beep();
        return false;
    }
    return true;
}
