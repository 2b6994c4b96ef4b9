#include "views/QVWindowCapture.h"

#include <QWidget>

QImage QVWindowCapture::windowImageShot(const QWidget* window) {
    if (!window)
        return {};
    return const_cast<QWidget*>(window)->window()->grab().toImage();
}

QImage QVWindowCapture::windowImage(const QWidget* window) {
    const QImage shot = windowImageShot(window);
    if (shot.isNull())
        return shot;
    const QSize frame = window->window()->frameGeometry().size();
    return shot.size() == frame
               ? shot
               : shot.scaled(frame, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
