#include "views/QVDraggingImageView.h"

#include "views/QVDraggingImageViewDelegate.h"
#include "views/QVImageScale.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

QVDraggingImageView::QVDraggingImageView(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
}

void QVDraggingImageView::setImage(const QImage& image) {
    _image = image;
    _fitted = QImage();
    update();
}

MTECoverDecoder::Result QVDraggingImageView::imageFromPasteboard(const QMimeData* data) {
    if (!data)
        return {};
    if (data->hasImage())
        return {qvariant_cast<QImage>(data->imageData()), {}};
    if (!data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    return MTECoverDecoder::decodeFile(urls.first().toLocalFile());
}

bool QVDraggingImageView::performDragOperation(const QMimeData* data) {
    const MTECoverDecoder::Result dropped = imageFromPasteboard(data);
    if (dropped.image.isNull()) {
        if (_delegate && !dropped.error.isEmpty())
            _delegate->didQVDraggingImageViewRefuseDrag(this, dropped.error);
        return false;
    }
    if (_delegate)
        _delegate->didQVDraggingImageViewAcceptDragImage(this, dropped.image);
    setImage(dropped.image);
    return true;
}

void QVDraggingImageView::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QVDraggingImageView::dropEvent(QDropEvent* event) {
    if (performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void QVDraggingImageView::paintEvent(QPaintEvent*) {
    if (_image.isNull())
        return;
    QPainter painter(this);
    // As an image view does by default: a picture larger than the view is shrunk to fit, a
    // smaller one keeps its own size, centred.
    if (_image.width() <= width() && _image.height() <= height()) {
        painter.drawImage(
            QPointF((width() - _image.width()) / 2.0, (height() - _image.height()) / 2.0), _image);
        return;
    }
    // A big cover (6000x6000 is 144 MB) is fitted once per picture and size, not per paint.
    if (_fitted.isNull() || _fittedSize != size()) {
        _fitted = QVImageScale::scaledImageToFitSize(_image, size());
        _fittedSize = size();
    }
    painter.drawImage(QPointF(0, 0), _fitted);
}
