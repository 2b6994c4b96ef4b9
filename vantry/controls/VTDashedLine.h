#pragma once

#include <QWidget>

// A dashed separator through the middle of the view, 3 drawn and 3 skipped, in the dark
// shadow colour: horizontal for type 0, vertical for any other type.
class VTDashedLine : public QWidget {
    Q_OBJECT
public:
    explicit VTDashedLine(QWidget* parent = nullptr);

    int dashedLineType() const { return _dashedLineType; }
    void setDashedLineType(int type) { _dashedLineType = type; }

    // The line's two ends in a view of the given bounds.
    QLineF lineForBounds(const QRectF& bounds) const;
    void drawRect(QPainter& painter, const QRectF& bounds) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int _dashedLineType = 1;
};
