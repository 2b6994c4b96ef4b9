#pragma once

#include "VTDropInTipsPainter.h"

#include <QWidget>

class QMimeData;
class VTDropInTipsViewDelegate;

// A drop target: lights up while files are dragged over it and hands the dropped paths to
// its delegate.
class VTDropInTipsView : public QWidget {
    Q_OBJECT
public:
    explicit VTDropInTipsView(QWidget* parent = nullptr);

    void setDefaultValue();

    QString strPromot() const { return _tips.strPromot; }
    void setStrPromot(const QString& prompt) { _tips.strPromot = prompt; }
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
    // Only stores the flag: whoever changes it asks for the redraw.
    void setBHighlighted(bool highlighted) { _tips.bHighlighted = highlighted; }

    VTDropInTipsViewDelegate* delegate() const { return _delegate; }
    void setDelegate(VTDropInTipsViewDelegate* delegate) { _delegate = delegate; }

    const VTDropInTipsPainter& tipsPainter() const { return _tips; }

    // The drag steps, also reachable without a real drag session.
    bool draggingEntered(const QMimeData* data, Qt::DropActions sourceActions);
    void draggingExited();
    bool prepareForDragOperation();
    bool performDragOperation(const QMimeData* data);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    VTDropInTipsPainter _tips;
    VTDropInTipsViewDelegate* _delegate = nullptr;
};
