#pragma once

#include <QWidget>

// The pale background of the main window's bottom bar with a rule along its top edge.
class QVOperationPanel : public QWidget {
    Q_OBJECT
public:
    explicit QVOperationPanel(QWidget* parent = nullptr);

    static QColor fillColor() { return QColor(243, 246, 250); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
