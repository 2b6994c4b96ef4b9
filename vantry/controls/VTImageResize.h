#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

// File types for saving, numbered as the rest of the kit stores them.
enum VTBitmapImageFileType {
    VTBitmapImageFileTypeTIFF = 0,
    VTBitmapImageFileTypeBMP = 1,
    VTBitmapImageFileTypeGIF = 2,
    VTBitmapImageFileTypeJPEG = 3,
    VTBitmapImageFileTypePNG = 4,
    VTBitmapImageFileTypeJPEG2000 = 5,
};

// Image making and resizing helpers: reflection, letterboxing, rotation, saving,
// thumbnails, a generated gradient, fitted and tiled resizing, encoded data by type.
// Results keep the source's device pixel ratio unless said otherwise; a null or unreadable
// source, or an empty size, gives a null image.
class VTImageResize {
public:
    // The image upside down, opaque at the top and fading to clear at amount x its height,
    // ready to stand under the original as its reflection.
    static QImage reflectedImageAmountReflected(const QImage& image, float amount);
    // The image on an 800 x 600 canvas: large images are sized to it; smaller ones are placed
    // in a white area amount x 800 high (amount x 600 for wide, low images) from the bottom,
    // showing only there. flip draws the image upside down.
    static QImage createScalesImageFlipFlagAmountReflected(const QImage& image, bool flip,
                                                           float amount);
    // Rotated anticlockwise about its centre by the degrees rounded up to a quarter turn
    // (0 outside 0 to 360), on a canvas of the same size.
    static QImage rotateImageByDegrees(const QImage& image, float degrees);
    // Encodes and writes atomically; false when the type cannot be written here (GIF, JPEG
    // 2000 on Debian's Qt) or the write fails. "NSImageCompressionFactor" (0 to 1) in
    // properties sets the JPEG quality.
    static bool saveImageSaveTypePropertiesToTarget(const QImage& image, int fileType,
                                                    const QVariantMap& properties,
                                                    const QString& path);
    // The first image of the file ("~" expanded), upright as its orientation says; null when
    // it cannot be read.
    static QImage thumbnailForFileAtPath(const QString& path);
    // A copy measured one point per pixel.
    static QImage imageFromCGImageRef(const QImage& image);
    // The pixels as 32-bit ARGB, one point per pixel.
    static QImage nsImageToCGImageRef(const QImage& image);
    // Measures the image one point per pixel; false for an image without pixels.
    static bool setSmoothingEffect(QImage& image);
    static QImage prettyGradientImage(const QSize& size);
    static QImage resizedMaskImageWithSrcSize(const QImage& image, const QSizeF& size);
    static QImage resizeImageUseStretchWithSrcPathDestSize(const QString& path, const QSizeF& size);
    static QImage resizeImageUseFillColorWithSrcPathDestSizeFileColor(const QString& path,
                                                                      const QSizeF& size,
                                                                      const QColor& color);
    static QImage tiledImageWithSrcPathDestSizeType(const QString& path, const QSizeF& size,
                                                    const QString& type);
    // type "Stretch" stretches over the size; "Tile" repeats the image fitted into the size
    // from the bottom-left corner; any other type gives a clear image.
    static QImage tiledImageWithSrcImageDestSizeType(const QImage& image, const QSizeF& size,
                                                     const QString& type);
    static QRectF boundsOffsetDeltaXDeltaY(const QRectF& rect, double deltaX, double deltaY);
    // size when it fits in maximum, else size scaled down to fit; empty for a maximum
    // without area.
    static QSizeF getSizeWithOriginFillMax(const QSizeF& size, const QSizeF& maximum);
    static QSizeF getSizeWithOriginMax(const QSizeF& size, const QSizeF& maximum);
    // As VTGlobalFunctions::imageDataRepresentationOfType, also for the words in capitals
    // and "jpg2000"/"jpeg2000" (null where no JPEG 2000 writer is installed).
    static QByteArray imageDataRepresentationOfType(const QImage& image, const QString& type);
};
