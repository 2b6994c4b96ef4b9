#pragma once

#include <QAbstractButton>

#include <functional>

class QPainter;

// Draws one dot of a page control: (painter, the dot's frame, the control's view, whether
// it is the current page, whether it is pressed).
using VTPageControlDrawingBlock = std::function<void(QPainter& painter, const QRectF& frame,
                                                     QWidget* view, bool on, bool highlighted)>;

// One dot of a VTPageControl: a checkable button that draws only through its block.
class VTPageControlCell : public QAbstractButton {
    Q_OBJECT
public:
    explicit VTPageControlCell(QWidget* parent = nullptr);

    bool useHandCursor() const { return _useHandCursor; }
    void setUseHandCursor(bool useHandCursor);
    VTPageControlDrawingBlock drawingBlock() const { return _drawingBlock; }
    void setDrawingBlock(VTPageControlDrawingBlock block);

    // Calls the block with the painter's state saved around it; nothing without a block.
    void drawWithFrameInView(QPainter& painter, const QRectF& frame, QWidget* view) const;
    void resetCursorRect();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool _useHandCursor = false;
    VTPageControlDrawingBlock _drawingBlock;
};
