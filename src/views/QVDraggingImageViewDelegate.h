#pragma once

#include <QImage>

class QVDraggingImageView;

// Told about an image dropped on a QVDraggingImageView.
class QVDraggingImageViewDelegate {
public:
    virtual ~QVDraggingImageViewDelegate() = default;
    virtual void didQVDraggingImageViewAcceptDragImage(QVDraggingImageView* view,
                                                       const QImage& image) {
        (void)view;
        (void)image;
    }
};
