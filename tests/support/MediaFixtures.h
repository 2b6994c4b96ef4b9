#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Audio and video files made at test time with the ffmpeg program, and what ffprobe
// says of a file.
class MediaFixtures {
public:
    // A sine of the given length; the container and codec follow the extension unless
    // extraOutputArgs say otherwise. Returns false (and prints ffmpeg's words) on failure.
    static bool makeSine(const QString& path, double seconds, int sampleRate = 44100,
                         int channels = 2, const QStringList& extraOutputArgs = {});
    // A tone on each speaker of the named arrangement ("5.1(side)"), each at its own pitch:
    // 220 + 110 Hz per channel index, and 60 Hz on the LFE, which AAC and AC-3 low-pass.
    static bool makeSpeakerTones(const QString& path, double seconds, int sampleRate,
                                 const QString& layout, double amplitude = 0.1);
    // For each channel of the file, the channels of a makeSpeakerTones source of that
    // arrangement whose tones it holds; empty when the file cannot be decoded. Its largest
    // sample, decoded as float, raises *peak.
    static QList<QList<int>> heardSpeakerTones(const QString& path, const QString& sourceLayout,
                                               double* peak = nullptr);
    // Runs ffmpeg with the given arguments (after "-v error -y"); true on exit status 0.
    static bool runFfmpeg(const QStringList& arguments, QString* errorText = nullptr);
    // ffprobe -show_format -show_streams as JSON; an empty object when it fails.
    static QJsonObject probe(const QString& path);
    // The container's tags of a probe.
    static QJsonObject formatTags(const QJsonObject& probe);
    // The first audio stream of a probe, or an empty object.
    static QJsonObject firstAudioStream(const QJsonObject& probe);
    static bool writeBytes(const QString& path, const QByteArray& bytes);
    static QByteArray randomBytes(int count, quint32 seed = 7);
    // A valid one-colour PNG of the given size, a few kilobytes however large.
    static QByteArray plainPng(quint32 width, quint32 height);
};
