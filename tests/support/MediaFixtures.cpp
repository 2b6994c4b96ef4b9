#include "MediaFixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>

#include <cstdio>

#include <zlib.h>

namespace {

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk = QByteArray(4, '\0') + type + data + QByteArray(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    const auto* typeAndData = reinterpret_cast<const Bytef*>(chunk.constData() + 4);
    qToBigEndian(quint32(crc32(0, typeAndData, uInt(data.size() + 4))), chunk.end() - 4);
    return chunk;
}

} // namespace

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

bool MediaFixtures::makeSpeakerTones(const QString& path, double seconds, int sampleRate,
                                     const QString& layout) {
    const QString source =
        QStringLiteral("aevalsrc=exprs=0.1*sin(2*PI*(220+110*ch)*t):c=%1:s=%2:d=%3")
            .arg(layout)
            .arg(sampleRate)
            .arg(QString::number(seconds, 'f', 3));
    return runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source, path});
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
