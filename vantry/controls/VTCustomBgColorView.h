#pragma once

#include <QBrush>
#include <QWidget>

// A rounded panel filled with a colour and, when a border colour is set, edged with a line
// of which only the inner half shows. A pattern fill (a texture brush) covers the whole
// view instead, anchored to its top-left corner, without corners or border.
class VTCustomBgColorView : public QWidget {
    Q_OBJECT
public:
    explicit VTCustomBgColorView(QWidget* parent = nullptr);

    QBrush bgColor() const { return _bgColor; }
    void setBgColor(const QBrush& color) { _bgColor = color; }
    QColor borderColor() const { return _borderColor; }
    // An invalid colour: no border.
    void setBorderColor(const QColor& color) { _borderColor = color; }
    double borderWidth() const { return _borderWidth; }
    void setBorderWidth(double width) { _borderWidth = width; }
    double cornerRadius() const { return _cornerRadius; }
    void setCornerRadius(double radius) { _cornerRadius = radius; }

    void drawRect(QPainter& painter, const QRectF& bounds) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBrush _bgColor = QBrush(Qt::white);
    QColor _borderColor;
    double _borderWidth = 1.0;
    double _cornerRadius = 0.0;
};
