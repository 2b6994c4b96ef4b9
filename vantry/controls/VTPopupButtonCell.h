#pragma once

#include "VTGradientButtonCell.h"

#include <QComboBox>
#include <QPointer>

// A pop-up-style button cell on the "settings-base" slices, with an optional icon at the
// left and a drop-down arrow at the right. Kept highlighted, it draws a white title, the
// highlighted icon and the highlighted arrow on darker slices of their own, so the white
// stays readable. Images are kept and drawn upright.
class VTPopupButtonCell : public VTGradientButtonCell {
public:
    // Made as a layout places it: arrow shown, the class's slices and arrow pair set.
    VTPopupButtonCell();

    // The class's images, made on first use and kept for the process.
    static const QList<QImage>& classNormalSlices();
    static const QList<QImage>& classHighlightedSlices();
    static const QList<QImage>& classKeepHighlightSlices();
    static const QList<QImage>& classArrowDowns();

    // The steps a layout runs on a new cell (also run by the constructor).
    void awakeFromNib();

    QImage imgNorIcon() const { return _imgNorIcon; }
    void setImgNorIcon(const QImage& icon) { _imgNorIcon = icon; }
    QImage imgHlIcon() const { return _imgHlIcon; }
    void setImgHlIcon(const QImage& icon) { _imgHlIcon = icon; }
    QList<QImage> maryArrowDowns() const { return _maryArrowDowns; }
    void setMaryArrowDowns(const QList<QImage>& arrows) { _maryArrowDowns = arrows; }
    QComboBox* bindingPopBtn() const { return _bindingPopBtn; }
    void setBindingPopBtn(QComboBox* popUp) { _bindingPopBtn = popUp; }
    // Drawn in place of the normal and pressed slices while enabled and kept highlighted;
    // none draws those.
    QList<QImage> aryKeepHighlightImgs() const { return _aryKeepHighlightImgs; }
    void setAryKeepHighlightImgs(const QList<QImage>& images) { _aryKeepHighlightImgs = images; }
    bool isKeepHighlight() const { return _isKeepHighlight; }
    void setIsKeepHighlight(bool keep) { _isKeepHighlight = keep; }
    bool showArrowDown() const { return _showArrowDown; }
    void setShowArrowDown(bool show) { _showArrowDown = show; }

    QImage getDrawImage() const;
    // Null without arrows; else the last one kept highlighted, the first otherwise.
    QImage getArrowDownImage() const;
    // Slot 1 for the highlighted arrow, 0 for the normal one. A null image removes the
    // arrow in that slot; another is inserted there (an index past the end appends).
    void setArrowDownImageForState(const QImage& image, bool highlighted);
    void setIconImageForState(const QImage& image, bool highlighted);

    void drawWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                             const VTCellState& state) const override;
    void drawBezelWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                                  const VTCellState& state) const override;
    QRectF drawTitleWithFrameInView(QPainter& painter, const VTAttributedTitle& title,
                                    const QRectF& frame, const QWidget* view,
                                    const VTCellState& state) const override;

private:
    QImage _imgNorIcon;
    QImage _imgHlIcon;
    QList<QImage> _maryArrowDowns;
    QList<QImage> _aryKeepHighlightImgs;
    QPointer<QComboBox> _bindingPopBtn;
    bool _isKeepHighlight = false;
    bool _showArrowDown = false;
};
