#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

// A dark translucent band with bold red text in its middle, wrapped onto more lines when
// one is too short for it. It takes the keyboard focus when given it, so the controls
// under it lose theirs.
class QVTipsView : public QWidget {
    Q_OBJECT
public:
    explicit QVTipsView(QWidget* parent = nullptr);

    QString tipsStr() const { return _tipsStr; }
    void setTipsStr(const QString& tips);
    // The font the text is drawn in.
    QFont tipsFont() const;

    // Tall enough for the whole text, wrapped at this width, inside the margins.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _tipsStr;
};
