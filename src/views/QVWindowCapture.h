#pragma once

#include <QImage>

class QWidget;

// A picture of one window alone, as it is drawn now.
class QVWindowCapture {
public:
    // Null when there is no window.
    static QImage windowImageShot(const QWidget* window);
    // The same picture at the size of the window's frame.
    static QImage windowImage(const QWidget* window);
};
