#include "support/BenchCovers.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <algorithm>

QByteArray BenchCovers::photoPng(const QString& folder, int variant, int side) {
    const QString path = QStringLiteral("%1/cover-%2-%3.png").arg(folder).arg(side).arg(variant);
    QFile cached(path);
    if (cached.open(QIODevice::ReadOnly))
        return cached.readAll();
    QImage picture(side, side, QImage::Format_RGB32);
    quint32 noise = 2463534242u + quint32(variant);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < side; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            line[x] = qRgb((x * 255 / side) ^ (noise & 15), (y * 255 / side) ^ (noise >> 8 & 15),
                           ((x + y) * 127 / side) ^ (noise >> 16 & 15));
        }
    }
    QDir().mkpath(folder);
    picture.save(path, "PNG", 80);
    cached.open(QIODevice::ReadOnly);
    return cached.readAll();
}

QByteArray BenchCovers::claimJpeg(int variant) {
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(QColor::fromHsv(variant * 50 % 360, 200, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    tiny.save(&buffer, "JPEG");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    for (const int at : {5, 7})
        jpeg.replace(frame + at, 2, "\x1F\xFE");
    return jpeg;
}

std::vector<QByteArray> BenchCovers::hardCovers(const QString& folder) {
    std::vector<QByteArray> covers;
    for (int i = 0; i < std::max(kPngCovers, kClaimCovers); ++i) {
        if (i < kPngCovers)
            covers.push_back(photoPng(folder, i, kPngSide));
        if (i < kClaimCovers)
            covers.push_back(claimJpeg(i));
    }
    return covers;
}

void BenchCovers::waitUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

double BenchCovers::millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}
