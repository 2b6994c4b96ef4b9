#include "VTGradientButtonCell.h"

#include "RHNinePartDrawing.h"

const QList<QImage>& VTGradientButtonCell::slicesForState(const VTCellState& state) const {
    if (!state.enabled)
        return _aryGradientDisableImgs;
    return state.highlighted ? _aryGradientHlImgs : _aryGradientNorImgs;
}

void VTGradientButtonCell::drawBezelWithFrameInView(QPainter& painter, const QRectF& frame,
                                                    const QWidget*,
                                                    const VTCellState& state) const {
    drawSlicesInFrame(painter, frame, slicesForState(state));
}

void VTGradientButtonCell::drawSlicesInFrame(QPainter& painter, const QRectF& frame,
                                             const QList<QImage>& slices) {
    if (slices.size() == 3) {
        RHDrawThreePartImage(painter, frame, slices[0], slices[1], slices[2], false,
                             QPainter::CompositionMode_SourceOver, 1.0);
    } else if (slices.size() == 9) {
        RHNinePieces pieces;
        std::copy(slices.begin(), slices.end(), pieces.begin());
        RHDrawNinePartImage(painter, frame, pieces, QPainter::CompositionMode_SourceOver, false);
    }
}
