#include "MediaFixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtEndian>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cerrno>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

namespace {

// Tones are listened for at 48 kHz. One is heard above a tenth of its own 0.1: a speaker
// folded into a channel with two others is still heard at about a third.
constexpr double kToneRate = 48000.0, kHeardAmplitude = 0.01;

// The pitch makeSpeakerTones gives each channel of the arrangement.
QList<double> speakerTonesHz(const QString& layout) {
    AVChannelLayout channels{};
    QList<double> tones;
    if (av_channel_layout_from_string(&channels, layout.toUtf8().constData()) == 0) {
        for (int c = 0; c < channels.nb_channels; ++c) {
            tones << (av_channel_layout_channel_from_index(&channels, c) == AV_CHAN_LOW_FREQUENCY
                          ? 60.0
                          : 220.0 + 110.0 * c);
        }
    }
    av_channel_layout_uninit(&channels);
    return tones;
}

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk = QByteArray(4, '\0') + type + data + QByteArray(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    const auto* typeAndData = reinterpret_cast<const Bytef*>(chunk.constData() + 4);
    qToBigEndian(quint32(crc32(0, typeAndData, uInt(data.size() + 4))), chunk.end() - 4);
    return chunk;
}

struct ProgramRun {
    bool started = false;
    int exitCode = -1; // -1 when the program did not exit on its own
    QByteArray output;
};

// Runs a program with no input to its end and keeps what it wrote to its standard output
// (and standard error, when merged). Started with posix_spawn, not QProcess: in a
// thread-sanitizer build a thread that starts a process through Qt stops having its own
// locks seen, and fixtures are made on the thread that goes on to check threaded code.
ProgramRun runProgram(const QString& program, const QStringList& arguments, bool mergeErrors) {
    std::vector<std::string> args{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments)
        args.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    ProgramRun run;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    if (mergeErrors)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    pid_t pid = 0;
    run.started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (run.started) {
        char buffer[4096];
        for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
            if (n > 0)
                run.output.append(buffer, n);
            else if (errno != EINTR)
                break;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    close(pipeEnds[0]);
    return run;
}

} // namespace

bool MediaFixtures::runFfmpeg(const QStringList& arguments, QString* errorText) {
    const ProgramRun run = runProgram(QStringLiteral("ffmpeg"),
                                      QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                                  QStringLiteral("error"), QStringLiteral("-y")} +
                                          arguments,
                                      true);
    if (!run.started) {
        if (errorText)
            *errorText = QStringLiteral("ffmpeg did not start");
        return false;
    }
    const QString output = QString::fromUtf8(run.output);
    if (errorText)
        *errorText = output;
    const bool ok = run.exitCode == 0;
    if (!ok)
        std::fprintf(stderr, "ffmpeg %s failed: %s\n", qPrintable(arguments.join(u' ')),
                     qPrintable(output));
    return ok;
}

bool MediaFixtures::makeSine(const QString& path, double seconds, int sampleRate, int channels,
                             const QStringList& extraOutputArgs) {
    const QString source = QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                               .arg(sampleRate)
                               .arg(QString::number(seconds, 'f', 3));
    QStringList args{QStringLiteral("-f"),  QStringLiteral("lavfi"),  QStringLiteral("-i"), source,
                     QStringLiteral("-ac"), QString::number(channels)};
    args += extraOutputArgs;
    args += path;
    return runFfmpeg(args);
}

bool MediaFixtures::makeSpeakerTones(const QString& path, double seconds, int sampleRate,
                                     const QString& layout, double amplitude) {
    QStringList tones;
    for (const double hz : speakerTonesHz(layout))
        tones << QStringLiteral("%1*sin(2*PI*%2*t)").arg(amplitude).arg(hz);
    const QString source = QStringLiteral("aevalsrc=exprs=%4:c=%1:s=%2:d=%3")
                               .arg(layout)
                               .arg(sampleRate)
                               .arg(QString::number(seconds, 'f', 3))
                               .arg(tones.join(u'|'));
    return runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source, path});
}

QList<QList<int>> MediaFixtures::heardSpeakerTones(const QString& path, const QString& sourceLayout,
                                                   double* peak) {
    const int channels = firstAudioStream(probe(path)).value(QStringLiteral("channels")).toInt();
    const ProgramRun run = runProgram(QStringLiteral("ffmpeg"),
                                      QStringList{"-v", "error", "-i", path, "-f", "f32le", "-ar",
                                                  QString::number(int(kToneRate)), "-"},
                                      false);
    const auto* samples = reinterpret_cast<const float*>(run.output.constData());
    const qsizetype frames = channels ? run.output.size() / qsizetype(sizeof(float)) / channels : 0;
    const QList<double> tones = speakerTonesHz(sourceLayout);
    QList<QList<int>> heard(run.exitCode == 0 ? channels : 0);
    for (qsizetype i = 0; peak && i < frames * channels; ++i)
        *peak = std::max(*peak, double(std::abs(samples[i])));
    // The codecs' start-up and end are left out.
    for (int c = 0; c < heard.size(); ++c) {
        for (int s = 0; s < tones.size(); ++s) {
            std::complex<double> sum;
            for (qsizetype i = frames / 5; i < frames * 9 / 10; ++i)
                sum += double(samples[i * channels + c]) *
                       std::polar(1.0, 2.0 * M_PI * tones.at(s) * double(i) / kToneRate);
            if (2.0 * std::abs(sum) / double(frames * 9 / 10 - frames / 5) > kHeardAmplitude)
                heard[c] << s;
        }
    }
    return heard;
}

QJsonObject MediaFixtures::probe(const QString& path) {
    const ProgramRun run = runProgram(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
         QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"), path},
        false);
    return QJsonDocument::fromJson(run.output).object();
}

QJsonObject MediaFixtures::formatTags(const QJsonObject& probe) {
    return probe.value(QStringLiteral("format"))
        .toObject()
        .value(QStringLiteral("tags"))
        .toObject();
}

QJsonObject MediaFixtures::firstAudioStream(const QJsonObject& probe) {
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray()) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() ==
            QLatin1String("audio"))
            return stream.toObject();
    }
    return {};
}

bool MediaFixtures::writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray MediaFixtures::randomBytes(int count, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QByteArray MediaFixtures::plainPng(quint32 width, quint32 height) {
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 1; // one bit of grey a pixel
    // Each row: filter type 0, then black pixels. qCompress puts the length before zlib's data.
    const QByteArray rows(qsizetype((width + 7) / 8 + 1) * height, '\0');
    return QByteArray("\x89PNG\r\n\x1A\n") + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(rows).mid(4)) + pngChunk("IEND", {});
}
