#include "RHEdgeInsets.h"

#include <QByteArray>
#include <QSizeF>

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace {
// Runs the C library's scanner in the C locale on this thread only, so "{1.5,...}" reads
// the same under a German desktop.
class CNumericScope {
public:
    CNumericScope() {
        static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
        if (cLocale)
            _previous = uselocale(cLocale);
    }
    ~CNumericScope() {
        if (_previous)
            uselocale(_previous);
    }
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    locale_t _previous = nullptr;
};

QString formatValue(double value) {
    // %lg: six significant digits, shortest of fixed and exponent form.
    return QString::number(value, 'g', 6);
}
} // namespace

RHEdgeInsets RHEdgeInsetsMake(double top, double left, double bottom, double right) {
    return RHEdgeInsets{top, left, bottom, right};
}

QRectF RHEdgeInsetsInsetRect(const QRectF& rect, const RHEdgeInsets& insets, bool flipped) {
    return QRectF(rect.x() + insets.left, rect.y() + (flipped ? insets.top : insets.bottom),
                  rect.width() - insets.left - insets.right,
                  rect.height() - insets.top - insets.bottom);
}

bool RHEdgeInsetsEqualToEdgeInsets(const RHEdgeInsets& a, const RHEdgeInsets& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

QString NSStringFromRHEdgeInsets(const RHEdgeInsets& insets) {
    return QStringLiteral("{%1,%2,%3,%4}")
        .arg(formatValue(insets.top), formatValue(insets.left), formatValue(insets.bottom),
             formatValue(insets.right));
}

RHEdgeInsets RHEdgeInsetsFromString(const QString& text) {
    RHEdgeInsets insets;
    if (text.isNull())
        return insets;
    const QByteArray utf8 = text.toUtf8();
    CNumericScope cLocale;
    std::sscanf(utf8.constData(), "{%lg,%lg,%lg,%lg}", &insets.top, &insets.left, &insets.bottom,
                &insets.right);
    return insets;
}

bool RHEdgeInsetsFitSize(const RHEdgeInsets& insets, const QSizeF& size) {
    const bool nonNegative =
        insets.top >= 0 && insets.left >= 0 && insets.bottom >= 0 && insets.right >= 0;
    return nonNegative && insets.left + insets.right <= size.width() &&
           insets.top + insets.bottom <= size.height();
}
