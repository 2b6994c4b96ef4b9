#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// A background of a patterned border with a bevelled frame 4 points inside it; the
// middle is left to the parent's background.
class QVBottomBkgView : public QWidget {
    Q_OBJECT
public:
    explicit QVBottomBkgView(QWidget* parent = nullptr);

    // Eight pieces of a frame: corners at their own size, edges tiled between them.
    struct NinePart {
        QImage topLeft, top, topRight, left, right, bottomLeft, bottom, bottomRight;
    };
    static void drawNinePartImage(QPainter& painter, const QRect& frame, const NinePart& parts);

protected:
    void paintEvent(QPaintEvent* event) override;
};
