#pragma once

#include "controls/VTDropInTipsPainter.h"

#include <QWidget>

// The drop area over the empty file list. It draws like the framework's drop target but
// takes no drops itself: drags and clicks pass through it to the file table beneath, which
// handles them and sets the highlight.
class VTDropInTipsView_Before : public QWidget {
    Q_OBJECT
public:
    explicit VTDropInTipsView_Before(QWidget* parent = nullptr);

    void setDefaultValue();

    QString strPromot() const { return _tips.strPromot; }
    void setStrPromot(const QString& prompt);
    QColor clrNorBg() const { return _tips.clrNorBg; }
    void setClrNorBg(const QColor& color) { _tips.clrNorBg = color; }
    QColor clrHlBg() const { return _tips.clrHlBg; }
    void setClrHlBg(const QColor& color) { _tips.clrHlBg = color; }
    QColor clrNorArrowFill() const { return _tips.clrNorArrowFill; }
    void setClrNorArrowFill(const QColor& color) { _tips.clrNorArrowFill = color; }
    QColor clrHlArrowFill() const { return _tips.clrHlArrowFill; }
    void setClrHlArrowFill(const QColor& color) { _tips.clrHlArrowFill = color; }
    double fArrowRectWidth() const { return _tips.fArrowRectWidth; }
    void setFArrowRectWidth(double width) { _tips.fArrowRectWidth = width; }
    double fArrowWidth() const { return _tips.fArrowWidth; }
    void setFArrowWidth(double width) { _tips.fArrowWidth = width; }
    bool bHighlighted() const { return _tips.bHighlighted; }
    // Stores the flag and schedules a redraw.
    void setBHighlighted(bool highlighted);

    const VTDropInTipsPainter& tipsPainter() const { return _tips; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VTDropInTipsPainter _tips;
};
