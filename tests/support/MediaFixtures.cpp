#include "MediaFixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>

bool MediaFixtures::runFfmpeg(const QStringList& arguments, QString* errorText) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"),
                              QStringLiteral("error"), QStringLiteral("-y")} +
                      arguments);
    if (!process.waitForStarted(10000)) {
        if (errorText)
            *errorText = QStringLiteral("ffmpeg did not start");
        return false;
    }
    process.waitForFinished(120000);
    const QString output = QString::fromUtf8(process.readAll());
    if (errorText)
        *errorText = output;
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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

QJsonObject MediaFixtures::probe(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
                   QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"),
                   path});
    if (!process.waitForStarted(10000))
        return {};
    process.waitForFinished(60000);
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
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
