#include "tags/MTECoverDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace {

// Bytes the decoded picture takes, counted as the JPEG encoder will hold it: at least 4 a
// pixel, 8 for the 16-bit channels of a deep PNG.
qint64 decodedBytes(const QSize& size, QImage::Format format) {
    const int depth =
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return qint64(size.width()) * size.height() * std::max(depth, 32) / 8;
}

} // namespace

void MTECoverDecoder::installAllocationLimit() {
    static const bool installed = [] {
        const int current = QImageReader::allocationLimit();
        if (current != 0 && current < kAllocationLimitMB)
            QImageReader::setAllocationLimit(kAllocationLimitMB);
        return true;
    }();
    (void)installed;
}

MTECoverDecoder::Result MTECoverDecoder::decode(QImageReader& reader, const QSize& fitInside) {
    installAllocationLimit();
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, QStringLiteral("it is no picture in a format that can be read")};
    const QSize size = reader.size();
    if (size.isValid() &&
        decodedBytes(size, reader.imageFormat()) > qint64(kAllocationLimitMB) * 1024 * 1024)
        return {{},
                QStringLiteral("it is %1 × %2 pixels, more than a cover can hold")
                    .arg(size.width())
                    .arg(size.height())};
    if (size.isValid() && fitInside.isValid() &&
        (size.width() > fitInside.width() || size.height() > fitInside.height()))
        reader.setScaledSize(size.scaled(fitInside, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("it cannot be read (%1)").arg(reader.errorString())};
    return {std::move(image), {}};
}

MTECoverDecoder::Result MTECoverDecoder::decodeBytes(const QByteArray& bytes,
                                                     const QSize& fitInside) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    Result result = decode(reader, fitInside);
    if (result.image.isNull())
        result.error =
            QStringLiteral("The picture cannot be used as a cover: %1.").arg(result.error);
    return result;
}

MTECoverDecoder::Result MTECoverDecoder::decodeFile(const QString& path) {
    QImageReader reader(path);
    Result result = decode(reader);
    if (result.image.isNull())
        result.error = QStringLiteral("“%1” cannot be used as a cover: %2.")
                           .arg(QFileInfo(path).fileName(), result.error);
    return result;
}
