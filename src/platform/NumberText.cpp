#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// The numeric prefix of the text, as plain ASCII, with a leading '+' dropped.
std::string numericPrefix(QStringView text, bool allowFraction) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    std::string out;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            out += '-';
        ++i;
    }
    auto isDigit = [&](qsizetype k) {
        return k < text.size() && text[k] >= u'0' && text[k] <= u'9';
    };
    bool sawDigit = false;
    while (isDigit(i)) {
        out += char(text[i++].unicode());
        sawDigit = true;
    }
    if (allowFraction && i < text.size() && text[i] == u'.') {
        std::string fraction = ".";
        qsizetype k = i + 1;
        while (isDigit(k))
            fraction += char(text[k++].unicode());
        if (sawDigit || fraction.size() > 1) {
            out += fraction;
            sawDigit = true;
            i = k;
        }
    }
    if (allowFraction && sawDigit && i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype k = i + 1;
        std::string exponent = "e";
        if (k < text.size() && (text[k] == u'+' || text[k] == u'-'))
            exponent += char(text[k++].unicode());
        if (isDigit(k)) {
            while (isDigit(k))
                exponent += char(text[k++].unicode());
            out += exponent;
        }
    }
    return sawDigit ? out : std::string();
}

} // namespace

double NumberText::doubleValue(QStringView text) {
    const std::string prefix = numericPrefix(text, true);
    if (prefix.empty())
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(prefix.data(), prefix.data() + prefix.size(), value);
    (void)end;
    if (error != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

qint64 NumberText::integerValue(QStringView text) {
    const std::string prefix = numericPrefix(text, false);
    if (prefix.empty())
        return 0;
    qint64 value = 0;
    const auto [end, error] = std::from_chars(prefix.data(), prefix.data() + prefix.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
}

QString NumberText::fromDouble(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // QString::number never consults the locale.
    return QString::number(value, 'g', 17).contains(u'e') ? QString::number(value, 'f', 6)
                                                          : QString::number(value, 'g', 15);
}

QString NumberText::fromDouble(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}
