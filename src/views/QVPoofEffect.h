#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QVariantAnimation;

// The little puff of smoke shown where dragged rows were released outside the table, and
// the cursor that announces it while the rows are outside.
class QVPoofEffect : public QWidget {
    Q_OBJECT
public:
    // Shows a puff centred on globalPosition that fades away by itself.
    static void showAt(const QPoint& globalPosition);
    // An arrow with a small cloud beside it: "releasing here removes the item".
    static QPixmap disappearingItemCursor();

    // Share of the animation run so far, 0 to 1.
    double phase() const { return _phase; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVPoofEffect();
    void setPhase(double phase);

    double _phase = 0.0;
};
