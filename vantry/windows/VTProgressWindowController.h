#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// A small window with a progress bar between an upper and a lower tip line, and a Cancel
// button for its owner to connect.
class VTProgressWindowController : public QWidget {
    Q_OBJECT
public:
    explicit VTProgressWindowController(
        const QString& nibName = QStringLiteral("VTProgressWindowController"),
        QWidget* parent = nullptr);

    // Sets the bar, kept within the bar's own range; a value that is not a number is ignored.
    void updateProgress(double value);

    QProgressBar* prgIndicator = nullptr;
    QLabel* tfPrgTips = nullptr;
    QLabel* tfPrgDownTips = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void buildLayout();
    void awakeFromNib();
};
