#include "engine/FFMpegProgressParser.h"

#include "util/GlobalFun.h"

#include <QRegularExpression>

namespace {
// A line without an end is not kept beyond this; nothing of ffmpeg's is that long.
constexpr qsizetype kMaxPendingChars = 64 * 1024;
} // namespace

std::optional<double> FFMpegProgressParser::timeInLine(QStringView line) {
    static const QRegularExpression statusLine(QStringLiteral(
        R"(^\s*(?:size|frame)=.*?\stime=(\d{2,}:[0-5]\d:[0-5]\d(?:\.\d+)?)(?:\s|$))"));
    const QRegularExpressionMatch match = statusLine.match(line.toString());
    if (!match.hasMatch())
        return std::nullopt;
    return GlobalFun::getSecondsByTimeString(match.captured(1));
}

std::optional<double> FFMpegProgressParser::appendOutput(QStringView chunk) {
    std::optional<double> latest;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != u'\r' && chunk[i] != u'\n')
            continue;
        _pending += chunk.mid(lineStart, i - lineStart);
        if (const auto time = timeInLine(_pending))
            latest = time;
        _pending.clear();
        lineStart = i + 1;
    }
    _pending += chunk.mid(lineStart);
    if (_pending.size() > kMaxPendingChars)
        _pending.remove(0, _pending.size() - kMaxPendingChars);
    return latest;
}
