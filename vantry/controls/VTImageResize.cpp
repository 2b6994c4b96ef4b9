#include "VTImageResize.h"

#include "RHNinePartDrawing.h"
#include "VTBottomLeftGeometry.h"
#include "utils/VTFileLocalManager.h"
#include "utils/VTGlobalFunctions.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kCanvasWidth = 800.0;
constexpr double kCanvasHeight = 600.0;
constexpr int kLongestThumbnailSide = 480000;

QSizeF pointSize(const QImage& image) {
    return image.deviceIndependentSize();
}

bool hasArea(const QSizeF& size) {
    return size.width() > 0 && size.height() > 0;
}

// A clear canvas of size points at the given scale, or null when it cannot be made.
QImage clearCanvas(const QSizeF& size, double scale = 1.0) {
    if (!hasArea(size) || size.width() * scale > 1e5 || size.height() * scale > 1e5)
        return {};
    QImage canvas(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)),
                  QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::transparent);
    return canvas;
}

QImage imageAtPath(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

QString expandTilde(const QString& path) {
    if (path == u'~')
        return RealHomeDirectory();
    if (path.startsWith(QStringLiteral("~/")))
        return RealHomeDirectory() + path.mid(1);
    return path;
}

QByteArray writerFormat(int fileType) {
    switch (fileType) {
    case VTBitmapImageFileTypeTIFF:
        return "tiff";
    case VTBitmapImageFileTypeBMP:
        return "bmp";
    case VTBitmapImageFileTypeGIF:
        return "gif";
    case VTBitmapImageFileTypeJPEG:
        return "jpeg";
    case VTBitmapImageFileTypePNG:
        return "png";
    case VTBitmapImageFileTypeJPEG2000:
        return "jp2";
    default:
        return {};
    }
}

bool canWrite(const QByteArray& format) {
    return !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format);
}

int rightAngleFor(float degrees) {
    if (degrees > 0 && degrees <= 90)
        return 90;
    if (degrees > 90 && degrees <= 180)
        return 180;
    if (degrees > 180 && degrees <= 270)
        return 270;
    if (degrees > 270 && degrees <= 360)
        return 360;
    return 0;
}

int gradientComponent(double a, double b) {
    return int(std::lround(std::fmod(std::sqrt(a * a + b * b), 255.0)));
}
} // namespace

QImage VTImageResize::reflectedImageAmountReflected(const QImage& image, float amount) {
    if (image.isNull())
        return {};
    const QSizeF size = pointSize(image);
    QImage reflection = clearCanvas(size, image.devicePixelRatio());
    if (reflection.isNull() || !(amount > 0))
        return reflection;
    const double fadeHeight = amount * size.height();
    QPainter painter(&reflection);
    QLinearGradient fade(0, 0, 0, fadeHeight);
    fade.setColorAt(0, Qt::white);
    fade.setColorAt(1, Qt::transparent);
    painter.fillRect(QRectF(0, 0, size.width(), fadeHeight), fade);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.drawImage(QRectF(QPointF(0, 0), size), image.mirrored(false, true));
    return reflection;
}

QImage VTImageResize::createScalesImageFlipFlagAmountReflected(const QImage& image, bool flip,
                                                               float amount) {
    if (image.isNull())
        return {};
    const QImage source = flip ? image.mirrored(false, true) : image;
    const int w = int(pointSize(image).width());
    const int h = int(pointSize(image).height());
    const QSizeF canvasSize(kCanvasWidth, kCanvasHeight);
    if (w >= kCanvasWidth && h >= kCanvasHeight)
        return source.scaled(canvasSize.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const bool tall = w < kCanvasWidth && h > kCanvasHeight;
    const bool wide = w > kCanvasWidth && h < kCanvasHeight;
    const double whiteHeight = amount * (wide ? kCanvasHeight : kCanvasWidth);
    QRectF placed((kCanvasWidth - w) / 2, (kCanvasHeight - h) / 2, w, h);
    if (tall)
        placed = QRectF((kCanvasWidth - w) / 2, 0, kCanvasWidth, kCanvasHeight);
    else if (wide)
        placed = QRectF(0, (kCanvasHeight - h) / 2, kCanvasWidth, kCanvasHeight);

    QImage canvas = clearCanvas(canvasSize);
    QPainter painter(&canvas);
    if (whiteHeight > 0)
        painter.fillRect(
            VTBottomLeftGeometry::toTopLeft(QRectF(0, 0, kCanvasWidth, whiteHeight), kCanvasHeight),
            Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(VTBottomLeftGeometry::toTopLeft(placed, kCanvasHeight), source);
    return canvas;
}

QImage VTImageResize::rotateImageByDegrees(const QImage& image, float degrees) {
    if (image.isNull())
        return {};
    const QSizeF size = pointSize(image);
    const double w = size.width(), h = size.height();
    const int angle = rightAngleFor(degrees);
    QImage rotated = clearCanvas(size, image.devicePixelRatio());
    if (rotated.isNull())
        return {};
    QPainter painter(&rotated);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(w / 2, h / 2);
    painter.rotate(-angle); // anticlockwise on screen
    painter.translate(-w / 2, -h / 2);
    const bool quarter = angle == 90 || angle == 270;
    const QRectF target = quarter ? QRectF((w - h) / 2, (h - w) / 2, h, w) : QRectF(0, 0, w, h);
    painter.drawImage(target, image);
    return rotated;
}

bool VTImageResize::saveImageSaveTypePropertiesToTarget(const QImage& image, int fileType,
                                                        const QVariantMap& properties,
                                                        const QString& path) {
    const QByteArray format = writerFormat(fileType);
    if (image.isNull() || path.isEmpty() || !canWrite(format))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, format);
    const QVariant factor = properties.value(QStringLiteral("NSImageCompressionFactor"));
    if (factor.isValid())
        writer.setQuality(std::clamp(int(std::lround(factor.toDouble() * 100)), 0, 100));
    const QImage pixels =
        format == "jpeg" || format == "bmp" ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!writer.write(pixels)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage VTImageResize::thumbnailForFileAtPath(const QString& path) {
    QImageReader reader(expandTilde(path));
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && std::max(full.width(), full.height()) > kLongestThumbnailSide)
        reader.setScaledSize(
            full.scaled(kLongestThumbnailSide, kLongestThumbnailSide, Qt::KeepAspectRatio));
    return reader.read();
}

QImage VTImageResize::imageFromCGImageRef(const QImage& image) {
    QImage copy = image;
    if (!copy.isNull())
        copy.setDevicePixelRatio(1.0);
    return copy;
}

QImage VTImageResize::nsImageToCGImageRef(const QImage& image) {
    if (image.isNull())
        return {};
    QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    pixels.setDevicePixelRatio(1.0);
    return pixels;
}

bool VTImageResize::setSmoothingEffect(QImage& image) {
    if (image.width() < 1 || image.height() < 1)
        return false;
    image.setDevicePixelRatio(1.0);
    return true;
}

QImage VTImageResize::prettyGradientImage(const QSize& size) {
    if (size.width() < 1 || size.height() < 1)
        return {};
    QImage gradient(size, QImage::Format_RGBA8888);
    if (gradient.isNull())
        return {};
    for (int y = 0; y < size.height(); ++y) {
        uchar* pixel = gradient.scanLine(y);
        for (int x = 0; x < size.width(); ++x, pixel += 4) {
            const double across = x / 1.5, acrossBack = (255 - x) / 1.5;
            const double down = y / 1.5, downBack = (255 - y) / 1.5;
            pixel[0] = uchar(gradientComponent(across, downBack));
            pixel[1] = uchar(gradientComponent(across, down));
            pixel[2] = uchar(gradientComponent(acrossBack, downBack));
            pixel[3] = 255;
        }
    }
    return gradient;
}

QImage VTImageResize::resizedMaskImageWithSrcSize(const QImage&, const QSizeF&) {
    return {};
}

QImage VTImageResize::resizeImageUseStretchWithSrcPathDestSize(const QString& path,
                                                               const QSizeF& size) {
    return tiledImageWithSrcImageDestSizeType(imageAtPath(path), size, QStringLiteral("Stretch"));
}

QImage VTImageResize::resizeImageUseFillColorWithSrcPathDestSizeFileColor(const QString& path,
                                                                          const QSizeF& size,
                                                                          const QColor& color) {
    const QImage image = imageAtPath(path);
    QImage canvas = image.isNull() ? QImage() : clearCanvas(size);
    if (canvas.isNull())
        return {};
    canvas.fill(color);
    const QSizeF fitted = getSizeWithOriginFillMax(pointSize(image), size);
    const QPointF origin((size.width() - fitted.width()) / 2,
                         (size.height() - fitted.height()) / 2);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(origin, fitted), image);
    return canvas;
}

QImage VTImageResize::tiledImageWithSrcPathDestSizeType(const QString& path, const QSizeF& size,
                                                        const QString& type) {
    return tiledImageWithSrcImageDestSizeType(imageAtPath(path), size, type);
}

QImage VTImageResize::tiledImageWithSrcImageDestSizeType(const QImage& image, const QSizeF& size,
                                                         const QString& type) {
    QImage canvas = image.isNull() ? QImage() : clearCanvas(size);
    if (canvas.isNull())
        return {};
    const QRectF whole(QPointF(0, 0), size);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (type == QStringLiteral("Stretch")) {
        painter.drawImage(whole, image);
    } else if (type == QStringLiteral("Tile")) {
        const QSizeF tile = getSizeWithOriginMax(pointSize(image), size);
        if (hasArea(tile)) {
            // Pixels per point that make one tile exactly the fitted size.
            QImage texture = image;
            texture.setDevicePixelRatio(image.width() / tile.width());
            RHDrawTiledImageInRect(painter, texture, whole, QPainter::CompositionMode_SourceOver,
                                   1.0);
        }
    }
    return canvas;
}

QRectF VTImageResize::boundsOffsetDeltaXDeltaY(const QRectF& rect, double deltaX, double deltaY) {
    return QRectF(0, 0, rect.width() + deltaX, rect.height() + deltaY);
}

QSizeF VTImageResize::getSizeWithOriginFillMax(const QSizeF& size, const QSizeF& maximum) {
    return getSizeWithOriginMax(size, maximum);
}

QSizeF VTImageResize::getSizeWithOriginMax(const QSizeF& size, const QSizeF& maximum) {
    if (!hasArea(maximum))
        return {};
    const double widthRatio = size.width() / maximum.width();
    const double heightRatio = size.height() / maximum.height();
    if (widthRatio <= 1 && heightRatio <= 1)
        return size;
    const double ratio = std::max(widthRatio, heightRatio);
    return QSizeF(size.width() / ratio, size.height() / ratio);
}

QByteArray VTImageResize::imageDataRepresentationOfType(const QImage& image, const QString& type) {
    static const QStringList kCapitalWords = {
        QStringLiteral("TIF"), QStringLiteral("TIFF"), QStringLiteral("BMP"), QStringLiteral("GIF"),
        QStringLiteral("JPG"), QStringLiteral("JPEG"), QStringLiteral("PNG")};
    static const QStringList kJpeg2000Words = {
        QStringLiteral("jpg2000"), QStringLiteral("jpeg2000"), QStringLiteral("JPG2000"),
        QStringLiteral("JPEG2000")};
    if (kJpeg2000Words.contains(type)) {
        if (image.isNull() || !canWrite("jp2"))
            return {};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        return QImageWriter(&buffer, "jp2").write(image) ? bytes : QByteArray();
    }
    const QString word = kCapitalWords.contains(type) ? type.toLower() : type;
    return VTGlobalFunctions::imageDataRepresentationOfType(image, word);
}
