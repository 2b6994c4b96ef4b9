#pragma once

#include <QImage>
#include <QSizeF>

// Scaling images into a target size: the largest size of the same shape inside it, the
// smallest that covers it, and an image of the target size with the source fitted and
// centred on a transparent canvas.
class QVImageScale {
public:
    // Empty sizes (or an empty source) give an empty size.
    static QSizeF scaledSizeToFitSize(const QSizeF& source, const QSizeF& target);
    static QSizeF scaledSizeToCoverSize(const QSizeF& source, const QSizeF& target);
    static QSizeF scaledSizeToFitSize(const QImage& image, const QSizeF& target);
    static QSizeF scaledSizeToCoverSize(const QImage& image, const QSizeF& target);

    // Null when the image is null or the target is empty. smooth picks high-quality
    // interpolation; box fills the fitted area white and outlines it in black.
    static QImage scaledImageToFitSize(const QImage& image, const QSizeF& target);
    static QImage scaledImageToFitSizeWithInterpolation(const QImage& image, const QSizeF& target,
                                                        bool smooth);
    static QImage scaledImageToFitSizeWithInterpolationAndBox(const QImage& image,
                                                              const QSizeF& target, bool smooth,
                                                              bool box);
};
