#pragma once

#include "VTBaseButtonCell.h"

// A button cell drawn wholly from images and titles per state (normal or pressed): a
// background over the whole cell, and an icon and a title centred as one group, the icon
// left of the title, 10 between them. Images are kept and drawn upright.
class VTIconButtonCell : public VTBaseButtonCell {
public:
    int iconPos() const { return _iconPos; }
    void setIconPos(int position) { _iconPos = position; } // stored only
    QImage imgNorIcon() const { return _imgNorIcon; }
    void setImgNorIcon(const QImage& icon) { _imgNorIcon = icon; }
    QImage imgHlIcon() const { return _imgHlIcon; }
    void setImgHlIcon(const QImage& icon) { _imgHlIcon = icon; }
    QImage imgNorBg() const { return _imgNorBg; }
    void setImgNorBg(const QImage& background) { _imgNorBg = background; }
    QImage imgHlBg() const { return _imgHlBg; }
    void setImgHlBg(const QImage& background) { _imgHlBg = background; }
    VTAttributedTitle asNorTitle() const { return _asNorTitle; }
    void setAsNorTitle(const VTAttributedTitle& title) { _asNorTitle = title; }
    VTAttributedTitle asHlTitle() const { return _asHlTitle; }
    void setAsHlTitle(const VTAttributedTitle& title) { _asHlTitle = title; }

    // In these three, normal is true for the normal state and false for the pressed one.
    void setIconForState(const QImage& icon, bool normal);
    void setBackgroundImageForState(const QImage& background, bool normal);
    void setTitleForState(const VTAttributedTitle& title, bool normal);

    void drawWithFrameInView(QPainter& painter, const QRectF& frame, const QWidget* view,
                             const VTCellState& state) const override;

private:
    int _iconPos = 0;
    QImage _imgNorIcon;
    QImage _imgHlIcon;
    QImage _imgNorBg;
    QImage _imgHlBg;
    VTAttributedTitle _asNorTitle;
    VTAttributedTitle _asHlTitle;
};
