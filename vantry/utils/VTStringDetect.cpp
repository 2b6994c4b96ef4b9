#include "VTStringDetect.h"

#include "platform/NumberText.h"

namespace {
bool hasAtMostOneDot(const QString& text) {
    return text != QStringLiteral(".") && text.count(u'.') <= 1;
}
} // namespace

bool VTStringDetect::vaildStrWithNumbericSetAndOther(const QString& text, const QString& other) {
    for (QChar c : text) {
        if (c.category() != QChar::Number_DecimalDigit && !other.contains(c))
            return false;
    }
    return true;
}

bool VTStringDetect::isAllNumberic(const QString& text) {
    return vaildStrWithNumbericSetAndOther(text, QStringLiteral("."));
}

bool VTStringDetect::isUnsiginedFloatNumber(const QString& text) {
    return hasAtMostOneDot(text) && vaildStrWithNumbericSetAndOther(text, QStringLiteral("."));
}

bool VTStringDetect::isSiginedFloatNumber(const QString& text) {
    if (!hasAtMostOneDot(text) || !vaildStrWithNumbericSetAndOther(text, QStringLiteral(".-+")))
        return false;
    if (text.contains(u'-') && !text.startsWith(u'-'))
        return false;
    if (text.contains(u'+') && !text.startsWith(u'+'))
        return false;
    return true;
}

bool VTStringDetect::isVaildGPS(const QString& text, bool latitude) {
    if (!isSiginedFloatNumber(text))
        return false;
    const double value = NumberText::doubleValue(text);
    const double limit = latitude ? 90.0 : 180.0;
    return value >= -limit && value <= limit;
}
