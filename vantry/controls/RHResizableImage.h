#pragma once

#include "RHEdgeInsets.h"
#include "RHNinePartDrawing.h"

#include <QImage>
#include <QPainter>
#include <QVariantMap>

enum RHResizableImageResizingMode {
    RHResizableImageResizingModeTile = 0,
    RHResizableImageResizingModeStretch = 1, // so is any value other than 0
};

// An image that draws at any size by keeping its corners as they are and tiling or
// stretching its edges and centre. The nine pieces are cut once and share the source's
// pixels; each composition is cached per drawing size and device scale, so drawing again
// at the same size is one image draw. Insets that do not fit the image, or a drawing size
// of zero or less, draw nothing. Drawing happens on the main thread only.
class RHResizableImage {
public:
    RHResizableImage() = default;
    // Caps top/left as given, bottom/right leaving a middle of one point; tiled.
    RHResizableImage(const QImage& image, double leftCapWidth, double topCapHeight);
    RHResizableImage(const QImage& image, const RHEdgeInsets& capInsets,
                     int resizingMode = RHResizableImageResizingModeTile);

    bool isNull() const { return _image.isNull(); }
    const QImage& image() const { return _image; }
    // The image's size in points.
    QSizeF size() const;
    RHEdgeInsets capInsets1() const { return _capInsets; }
    int resizingMode1() const { return _resizingMode; }
    const RHNinePieces& pieces() const { return _pieces; }

    // Source over, full opacity.
    void drawInRect(QPainter& painter, const QRectF& rect) const;
    void drawInRectOperationFraction(QPainter& painter, const QRectF& rect,
                                     QPainter::CompositionMode operation, double fraction) const;
    void drawInRectOperationFractionRespectFlippedHints(QPainter& painter, const QRectF& rect,
                                                        QPainter::CompositionMode operation,
                                                        double fraction, bool respectFlipped,
                                                        const QVariantMap& hints) const;
    // fromRect is not used: the whole composition is drawn. Qt always draws images upright,
    // which is what respectFlipped asks for; hints have no counterpart.
    void drawInRectFromRectOperationFractionRespectFlippedHints(
        QPainter& painter, const QRectF& rect, const QRectF& fromRect,
        QPainter::CompositionMode operation, double fraction, bool respectFlipped,
        const QVariantMap& hints) const;
    // The plain image scaled into rect from fromRect (the whole image when fromRect is empty).
    void originalDrawInRectFromRectOperationFractionRespectFlippedHints(
        QPainter& painter, const QRectF& rect, const QRectF& fromRect,
        QPainter::CompositionMode operation, double fraction, bool respectFlipped,
        const QVariantMap& hints) const;

    // The last composition and what it was made for (null, empty and 0 before any drawing).
    const QImage& cachedComposition() const { return _cache; }
    QSizeF cachedSize() const { return _cachedSize; }
    double cachedDeviceScale() const { return _cachedDeviceScale; }

private:
    bool prepareCache(const QSizeF& size, double deviceScale) const;
    void dropCache() const;

    QImage _image;
    RHEdgeInsets _capInsets;
    int _resizingMode = RHResizableImageResizingModeTile;
    RHNinePieces _pieces;
    mutable QImage _cache;
    mutable QSizeF _cachedSize;
    mutable double _cachedDeviceScale = 0.0;
};
