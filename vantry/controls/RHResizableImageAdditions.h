#pragma once

#include "RHResizableImage.h"

// Makes resizable images from plain ones and draws plain images tiled or stretched.
class RHResizableImageAdditions {
public:
    static RHResizableImage resizableImageWithCapInsets(const QImage& image,
                                                        const RHEdgeInsets& capInsets);
    static RHResizableImage resizableImageWithCapInsetsResizingMode(const QImage& image,
                                                                    const RHEdgeInsets& capInsets,
                                                                    int resizingMode);
    static RHResizableImage stretchableImageWithLeftCapWidthTopCapHeight(const QImage& image,
                                                                         double leftCapWidth,
                                                                         double topCapHeight);
    static void drawTiledInRectOperationFraction(const QImage& image, QPainter& painter,
                                                 const QRectF& rect,
                                                 QPainter::CompositionMode operation,
                                                 double fraction);
    static void drawStretchedInRectOperationFraction(const QImage& image, QPainter& painter,
                                                     const QRectF& rect,
                                                     QPainter::CompositionMode operation,
                                                     double fraction);
};
