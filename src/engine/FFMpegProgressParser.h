#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Reads the media time out of ffmpeg's statistics lines ("size=... time=HH:MM:SS.xx ...").
// Output may be cut anywhere between reads, so text is kept until its line ends ('\r' or
// '\n'). Only a status line counts: one that starts with "size=" or "frame=" and holds
// " time=" followed by hours, minutes and seconds; "N/A", negative times and a "time="
// anywhere else (a file name in another line) are ignored.
class FFMpegProgressParser {
public:
    // The last time, in seconds, among the lines this chunk completes; none when no
    // completed line holds one.
    std::optional<double> appendOutput(QStringView chunk);
    // The time in one complete line.
    static std::optional<double> timeInLine(QStringView line);

private:
    QString _pending;
};
