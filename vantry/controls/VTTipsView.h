#pragma once

#include <QColor>
#include <QWidget>

// A dark rounded bubble with one line of centred text.
class VTTipsView : public QWidget {
    Q_OBJECT
public:
    explicit VTTipsView(QWidget* parent = nullptr);

    QString tipStr() const { return _tipStr; }
    void setTipStr(const QString& tip) { _tipStr = tip; }
    // Invalid until set or until the first drawing gives them their defaults.
    QColor bgColor() const { return _bgColor; }
    void setBgColor(const QColor& color) { _bgColor = color; }
    QColor strColor() const { return _strColor; }
    void setStrColor(const QColor& color) { _strColor = color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _tipStr;
    QColor _bgColor;
    QColor _strColor;
};
