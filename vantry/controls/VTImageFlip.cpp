#include "VTImageFlip.h"

QImage VTImageFlip::flipImage(const QImage& image) {
    if (image.isNull())
        return {};
    QImage flipped = image.mirrored(false, true);
    flipped.setDevicePixelRatio(image.devicePixelRatio());
    return flipped;
}
