#pragma once

#include <QImage>
#include <QString>

class QVDraggingImageView;

// Told about images dropped on a QVDraggingImageView.
class QVDraggingImageViewDelegate {
public:
    virtual ~QVDraggingImageViewDelegate() = default;
    virtual void didQVDraggingImageViewAcceptDragImage(QVDraggingImageView* view,
                                                       const QImage& image) {
        (void)view;
        (void)image;
    }
    // A dropped file that could not be taken as a picture, and why, in words for the user.
    virtual void didQVDraggingImageViewRefuseDrag(QVDraggingImageView* view, const QString& why) {
        (void)view;
        (void)why;
    }
};
