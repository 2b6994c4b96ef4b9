#pragma once

#include <QString>

#include <optional>

// How much audio a file holds, as FFmpeg reads it.
class QVAudioLength {
public:
    // Seconds of the file's main audio stream: the length its container gives, or, where it
    // gives none or only estimates one from the bitrate, the packets' own lengths added up
    // (reading the whole file). Unset when FFmpeg cannot open the file or finds no audio
    // stream in it.
    static std::optional<double> secondsIn(const QString& path);
};
