#pragma once

#include "VTAttributedTitle.h"
#include "VTCellState.h"

#include <QFont>
#include <QImage>
#include <QRectF>

#include <optional>

class QPainter;
class QWidget;

// A button cell: the properties and drawing steps of a button without its input handling,
// which the hosting control (VTCellButton) or a table delegate supplies. Drawing runs in
// steps that subclasses replace one by one: the bezel, then the image and the title.
class VTBaseButtonCell {
public:
    VTBaseButtonCell() = default;
    virtual ~VTBaseButtonCell() = default;
    VTBaseButtonCell(const VTBaseButtonCell&) = delete;
    VTBaseButtonCell& operator=(const VTBaseButtonCell&) = delete;

    QString title() const { return _title.string; }
    // A plain title: any attributes set before are dropped.
    void setTitle(const QString& title) { _title = VTAttributedTitle{title, {}, {}, {}}; }
    VTAttributedTitle attributedTitle() const { return _title; }
    void setAttributedTitle(const VTAttributedTitle& title) { _title = title; }
    // Unset: the hosting view's font.
    std::optional<QFont> font() const { return _font; }
    void setFont(const std::optional<QFont>& font) { _font = font; }
    QImage image() const { return _image; }
    void setImage(const QImage& image) { _image = image; }
    Qt::Alignment alignment() const { return _alignment; }
    void setAlignment(Qt::Alignment alignment) { _alignment = alignment; }
    // Whether the standard bezel is drawn (subclasses that draw their own ignore it).
    bool isBordered() const { return _bordered; }
    void setBordered(bool bordered) { _bordered = bordered; }

    QFont effectiveFont(const QWidget* view) const;
    virtual QSizeF cellSize(const QWidget* view) const;
    // Where the image and the title go in a frame: an image alone is centred (scaled down
    // to fit), beside a title it sits at the left; the title takes the rest.
    QRectF imageRectForBounds(const QRectF& frame) const;
    QRectF titleRectForBounds(const QRectF& frame) const;

    virtual void drawWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                                     const VTCellState& state) const;
    virtual void drawInteriorWithFrameInView(QPainter& painter, const QRectF& frame,
                                             const QWidget* view, const VTCellState& state) const;
    virtual void drawBezelWithFrameInView(QPainter& painter, const QRectF& frame,
                                          const QWidget* view, const VTCellState& state) const;
    virtual void drawImageWithFrameInView(QPainter& painter, const QImage& image,
                                          const QRectF& frame, const QWidget* view,
                                          const VTCellState& state) const;
    // Draws title in frame and answers the rectangle the text took.
    virtual QRectF drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                            const QRectF& frame, const QWidget* view,
                                            const VTCellState& state) const;

    // The title colour the platform gives an enabled or disabled button.
    static QColor defaultTitleColor(const QWidget* view, bool enabled);

private:
    VTAttributedTitle _title;
    std::optional<QFont> _font;
    QImage _image;
    Qt::Alignment _alignment = Qt::AlignHCenter;
    bool _bordered = true;
};
