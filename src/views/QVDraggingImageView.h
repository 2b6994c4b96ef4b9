#pragma once

#include "tags/MTECoverDecoder.h"

#include <QImage>
#include <QWidget>

class QMimeData;
class QVDraggingImageViewDelegate;

// An image well that takes dropped pictures: image data, or the first dropped file when it
// reads as a cover. It shows its image centred, shrunk to fit when larger than the view.
class QVDraggingImageView : public QWidget {
    Q_OBJECT
public:
    explicit QVDraggingImageView(QWidget* parent = nullptr);

    QImage image() const { return _image; }
    void setImage(const QImage& image);

    QVDraggingImageViewDelegate* delegate() const { return _delegate; }
    void setDelegate(QVDraggingImageViewDelegate* delegate) { _delegate = delegate; }

    // What a drop of data does; false when it holds no readable image. A dropped file that
    // is no usable picture is reported to the delegate in words.
    bool performDragOperation(const QMimeData* data);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static MTECoverDecoder::Result imageFromPasteboard(const QMimeData* data);

    QImage _image;
    QImage _fitted; // _image fitted into _fittedSize, made on first paint
    QSize _fittedSize;
    QVDraggingImageViewDelegate* _delegate = nullptr;
};
