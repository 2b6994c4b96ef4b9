#include "platform/GeometryText.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

const QString kNumber = QStringLiteral(R"(\s*([-+]?\d+(?:\.\d*)?)\s*)");

std::optional<int> toCoordinate(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > std::numeric_limits<int>::max() / 2)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

} // namespace

QString GeometryText::stringFromPoint(const QPoint& point) {
    return QStringLiteral("{%1, %2}").arg(point.x()).arg(point.y());
}

QString GeometryText::stringFromRect(const QRect& rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

std::optional<QPoint> GeometryText::pointFromString(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^\\{%1,%1\\}$").arg(kNumber));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const auto x = toCoordinate(match.captured(1));
    const auto y = toCoordinate(match.captured(2));
    if (!x || !y)
        return std::nullopt;
    return QPoint(*x, *y);
}

std::optional<QRect> GeometryText::rectFromString(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\{\\s*\\{%1,%1\\}\\s*,\\s*\\{%1,%1\\}\\s*\\}$").arg(kNumber));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const auto x = toCoordinate(match.captured(1));
    const auto y = toCoordinate(match.captured(2));
    const auto width = toCoordinate(match.captured(3));
    const auto height = toCoordinate(match.captured(4));
    if (!x || !y || !width || !height || *width < 0 || *height < 0)
        return std::nullopt;
    return QRect(*x, *y, *width, *height);
}
