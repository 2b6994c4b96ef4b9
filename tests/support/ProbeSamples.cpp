#include "ProbeSamples.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QFileInfo>

namespace {

struct CatalogueEntry {
    const char* title;
    const char* fileName;
    QStringList args;
    int sampleRate;
    const char* codecName;
};

QString makeOnce(const QString& path, const QStringList& args) {
    if (!QFileInfo::exists(path))
        MediaFixtures::runFfmpeg(args + QStringList{path});
    return path;
}

QStringList sineInput(double seconds, int rate) {
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                .arg(rate)
                .arg(QString::number(seconds, 'f', 3))};
}

QStringList videoInput() {
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc=duration=4:size=64x48:rate=10")};
}

} // namespace

QString ProbeSamples::folder() {
    static const QString path = TestEnvironment::makeTempFolder(QStringLiteral("probe-samples"));
    return path;
}

const std::vector<ProbeSample>& ProbeSamples::catalogue() {
    static const std::vector<ProbeSample> samples = [] {
        const std::vector<CatalogueEntry> entries{
            {"MP3", "mp3.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, "mp3"},
            {"AAC", "aac.m4a", {"-c:a", "aac", "-b:a", "96k"}, 44100, "aac"},
            {"ALAC", "alac.m4a", {"-c:a", "alac"}, 44100, "alac"},
            {"Ringtone", "ringtone.m4r", {"-c:a", "aac", "-f", "ipod"}, 44100, "aac"},
            {"MPEG-2 Audio", "mpeg2.mp2", {"-c:a", "mp2"}, 44100, "mp2"},
            {"FLAC", "flac.flac", {"-c:a", "flac"}, 44100, "flac"},
            {"WAV", "wav.wav", {"-c:a", "pcm_s16le"}, 44100, "pcm_s16le"},
            {"AIFF", "aiff.aiff", {"-c:a", "pcm_s16be"}, 44100, "pcm_s16be"},
            {"OGG", "ogg.ogg", {"-c:a", "libvorbis"}, 44100, "vorbis"},
            {"Opus", "opus.opus", {"-c:a", "libopus"}, 48000, "opus"},
            {"WMA", "wma.wma", {"-c:a", "wmav2"}, 44100, "wmav2"},
            {"AC3", "ac3.ac3", {"-c:a", "ac3"}, 48000, "ac3"},
            {"CAF", "caf.caf", {"-c:a", "pcm_s16be"}, 44100, "pcm_s16be"},
        };
        std::vector<ProbeSample> made;
        for (const CatalogueEntry& entry : entries) {
            const QString path = folder() + u'/' + QLatin1String(entry.fileName);
            makeOnce(path, sineInput(4.0, entry.sampleRate) +
                               QStringList{QStringLiteral("-ac"), QStringLiteral("2")} +
                               entry.args);
            made.push_back({QLatin1String(entry.title), path, QLatin1String(entry.codecName)});
        }
        return made;
    }();
    return samples;
}

QString ProbeSamples::wav(double seconds) {
    const QString path =
        folder() + QStringLiteral("/sine-%1.wav").arg(QString::number(seconds, 'f', 3));
    return makeOnce(path, sineInput(seconds, 44100));
}

QString ProbeSamples::videoOnlyMp4() {
    return makeOnce(folder() + QStringLiteral("/video-only.mp4"),
                    videoInput() + QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg4")});
}

QString ProbeSamples::videoAndAudioMp4() {
    return makeOnce(folder() + QStringLiteral("/video-audio.mp4"),
                    videoInput() + sineInput(4.0, 22050) +
                        QStringList{QStringLiteral("-map"), QStringLiteral("0:v"),
                                    QStringLiteral("-map"), QStringLiteral("1:a"),
                                    QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                                    QStringLiteral("-c:a"), QStringLiteral("aac"),
                                    QStringLiteral("-ac"), QStringLiteral("1")});
}

QString ProbeSamples::subtitleOnlySrt() {
    const QString path = folder() + QStringLiteral("/subtitle-only.srt");
    if (!QFileInfo::exists(path))
        MediaFixtures::writeBytes(path, "1\n00:00:00,000 --> 00:00:05,000\nHello\n\n"
                                        "2\n00:00:05,000 --> 00:00:09,000\nWorld\n\n");
    return path;
}

QString ProbeSamples::subtitleOnlyMkv() {
    return makeOnce(
        folder() + QStringLiteral("/subtitle-only.mkv"),
        {QStringLiteral("-i"), subtitleOnlySrt(), QStringLiteral("-c:s"), QStringLiteral("srt")});
}

QString ProbeSamples::truncatedCopy(const QString& source, qint64 bytes, const QString& name) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QString path = folder() + u'/' + name;
    MediaFixtures::writeBytes(path, in.read(bytes));
    return path;
}
