#pragma once

#include <QImage>

// Upside-down copies of images.
class VTImageFlip {
public:
    // The image mirrored top to bottom, same size and device pixel ratio; null stays null.
    static QImage flipImage(const QImage& image);
};
