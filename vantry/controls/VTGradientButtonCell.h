#pragma once

#include "VTBaseButtonCell.h"

#include <QList>

// A button cell whose bezel is laid out from image slices: 3 (left, centre, right) or 9
// (the nine parts, top-left first). Each state has its own slices: disabled wins over
// pressed, pressed over normal. A slice list of any other length draws no bezel.
class VTGradientButtonCell : public VTBaseButtonCell {
public:
    QList<QImage> aryGradientNorImgs() const { return _aryGradientNorImgs; }
    void setAryGradientNorImgs(const QList<QImage>& images) { _aryGradientNorImgs = images; }
    QList<QImage> aryGradientHlImgs() const { return _aryGradientHlImgs; }
    void setAryGradientHlImgs(const QList<QImage>& images) { _aryGradientHlImgs = images; }
    QList<QImage> aryGradientDisableImgs() const { return _aryGradientDisableImgs; }
    void setAryGradientDisableImgs(const QList<QImage>& images) {
        _aryGradientDisableImgs = images;
    }

    // The slices a state draws.
    const QList<QImage>& slicesForState(const VTCellState& state) const;

    void drawBezelWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                                  const VTCellState& state) const override;

protected:
    static void drawSlicesInFrame(QPainter& painter, const QRectF& frame,
                                  const QList<QImage>& slices);

private:
    QList<QImage> _aryGradientNorImgs;
    QList<QImage> _aryGradientHlImgs;
    QList<QImage> _aryGradientDisableImgs;
};
