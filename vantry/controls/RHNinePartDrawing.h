#pragma once

#include "RHEdgeInsets.h"

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <array>

// The nine pieces of a resizable image, in this order.
enum RHNinePart {
    RHNinePartTopLeft,
    RHNinePartTop,
    RHNinePartTopRight,
    RHNinePartLeft,
    RHNinePartCenter,
    RHNinePartRight,
    RHNinePartBottomLeft,
    RHNinePartBottom,
    RHNinePartBottomRight,
};
using RHNinePieces = std::array<QImage, 9>;

// Rectangles here are in Qt's usual coordinates (origin top left, y downwards) and in
// points: an image's size in points is its pixel size divided by its device pixel ratio.

// The part of image inside rect, sharing the image's pixels (no copy); null for an empty
// rect or one wholly outside the image.
QImage RHImageByReferencingRectOfExistingImage(const QImage& image, const QRectF& rect);

// The nine pieces cut at the insets; all null when the image is null or the insets do not
// fit inside it.
RHNinePieces RHNinePartPiecesFromImageWithInsets(const QImage& image, const RHEdgeInsets& insets);

// Draws image scaled into rect with the given composition mode and opacity (0 to 1).
void RHDrawStretchedImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                                QPainter::CompositionMode operation, double fraction);
// Covers rect with tiles of the image's own size; the first tile sits in the rect's
// bottom-left corner, partial tiles are clipped at the top and right.
void RHDrawTiledImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                            QPainter::CompositionMode operation, double fraction);
void RHDrawImageInRect(QPainter& painter, const QImage& image, const QRectF& rect,
                       QPainter::CompositionMode operation, double fraction, bool tile);

// Lays the pieces out over frame: corners at their own size (stretched into it), edges and
// centre tiled or stretched over the rest. Columns take the widths of the top-left and
// bottom-right pieces, rows their heights. Nothing is drawn when frame is empty.
void RHDrawNinePartImage(QPainter& painter, const QRectF& frame, const RHNinePieces& pieces,
                         QPainter::CompositionMode operation, bool tile);

// Lays three images out over frame along one axis: the start cap (left, or top when vertical)
// and the end cap (right, or bottom) at their own length along the axis, the centre fill
// stretched between them; all three are stretched across the axis to the frame's size. When
// the caps are longer together than the frame, they share it in proportion and the centre
// is left out. Images are always drawn upright. Nothing is drawn when frame is empty.
void RHDrawThreePartImage(QPainter& painter, const QRectF& frame, const QImage& startCap,
                          const QImage& centerFill, const QImage& endCap, bool vertical,
                          QPainter::CompositionMode operation, double alphaFraction);

// Device pixels per point of what the painter draws on.
double RHContextGetDeviceScale(const QPainter& painter);

float distance(double x, double y);
