#pragma once

#include <QString>
#include <QWidget>

// A dark translucent band with one line of bold red text in its middle. It takes the
// keyboard focus when given it, so the controls under it lose theirs.
class QVTipsView : public QWidget {
    Q_OBJECT
public:
    explicit QVTipsView(QWidget* parent = nullptr);

    QString tipsStr() const { return _tipsStr; }
    void setTipsStr(const QString& tips);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _tipsStr;
};
