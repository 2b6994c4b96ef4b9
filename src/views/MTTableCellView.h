#pragma once

#include <QWidget>

class QProgressBar;

// A plain table cell view that holds a progress bar it does not own.
class MTTableCellView : public QWidget {
    Q_OBJECT
public:
    explicit MTTableCellView(QWidget* parent = nullptr);

    QProgressBar* prgIndicator() const { return _prgIndicator; }
    void setPrgIndicator(QProgressBar* indicator) { _prgIndicator = indicator; }

protected:
    // Repaints its whole area whatever part was asked for.
    void paintEvent(QPaintEvent* event) override;

private:
    QProgressBar* _prgIndicator = nullptr;
};
