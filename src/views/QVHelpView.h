#pragma once

#include <QWidget>

// A grey band with one centred line of bold text and a dark rule along its top edge.
class QVHelpView : public QWidget {
    Q_OBJECT
public:
    explicit QVHelpView(QWidget* parent = nullptr);
    ~QVHelpView() override;

    QString tipsStr() const { return _tipsStr; }
    void setTipsStr(const QString& tips);

    static QColor bandColor() { return QColor(199, 199, 199); }
    static QColor textColor() { return QColor::fromRgbF(0.0f, 0.33f, 0.33f); }
    static QColor ruleColor() { return QColor(103, 108, 110); }
    static QFont tipsFont(const QFont& base);
    // Where the text goes: centred across, its lower edge one text height above the bottom.
    QRectF tipsRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _tipsStr;
};
