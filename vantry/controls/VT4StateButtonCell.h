#pragma once

#include "VTBaseButtonCell.h"

#include <QList>

// A button cell with up to five states (0 to its maximum, at most 4), each with its own
// background image, drawn at its own size from the top-left corner, and its own title,
// centred. A state without a background or a title draws nothing for it.
class VT4StateButtonCell : public VTBaseButtonCell {
public:
    static constexpr int kLargestMaxState = 4;

    VT4StateButtonCell() = default;
    // A maximum outside 0 to 4 becomes 4 (a negative one would accept no state at all).
    explicit VT4StateButtonCell(int maxState);

    int acturalMaxState() const { return _acturalMaxState; }
    int curState() const { return _curState; }
    // Clamped to 0 to the maximum.
    void setCurState(int state);

    QList<QImage> stateBackgroundImages() const { return _maryStateBgImgs; }
    QList<VTAttributedTitle> stateTitles() const { return _maryStateTitles; }
    // Ignored for a null image or a state outside 0 to the maximum; replaces the state's
    // image, with empty slots added before it when the list is shorter.
    void setBackgroundImageForState(const QImage& image, int state);
    // The same for titles; an empty title is ignored.
    void setTitleForState(const VTAttributedTitle& title, int state);
    // Ignored when the list has more entries than the maximum.
    void setStateBackgroundImages(const QList<QImage>& images);
    void setStateTitles(const QList<VTAttributedTitle>& titles);

    void drawWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                             const VTCellState& state) const override;

private:
    bool acceptsState(int state) const { return state >= 0 && state <= _acturalMaxState; }

    int _acturalMaxState = kLargestMaxState;
    int _curState = 0;
    QList<QImage> _maryStateBgImgs;
    QList<VTAttributedTitle> _maryStateTitles;
};
