#include "shell/THWebResponse.h"

#include <QRegularExpression>

THWebResponse::ContentRange THWebResponse::contentRange() const {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*bytes\s+(?:(\d{1,18})-(\d{1,18})|\*)/(\d{1,18}|\*)\s*$)"));
    const QRegularExpressionMatch match =
        pattern.match(QString::fromLatin1(header("Content-Range")));
    ContentRange range;
    if (!match.hasMatch())
        return range;
    if (match.hasCaptured(1)) {
        range.first = match.captured(1).toLongLong();
        range.last = match.captured(2).toLongLong();
    }
    if (match.captured(3) != QLatin1String("*"))
        range.total = match.captured(3).toLongLong();
    return range;
}

qint64 THWebResponse::expectedBodyLength() const {
    if (statusCode == 204 || statusCode == 304)
        return -1;
    if (expectedContentLength >= 0)
        return expectedContentLength;
    const ContentRange range = contentRange();
    if (statusCode == 206 && range.first >= 0 && range.last >= range.first)
        return range.last - range.first + 1;
    return -1;
}
