#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The sheet shown over the main window while added files are probed: a label, a progress
// bar from 0 to 1 and Cancel. It never blocks: the window stays responsive behind it.
class QVLoadingSheet : public QDialog {
    Q_OBJECT
public:
    explicit QVLoadingSheet(QWidget* parent);

    void setLabelText(const QString& text);
    QString labelText() const;
    // 0..1; values outside are clamped.
    void setProgress(double fraction);
    double progress() const;

    QLabel* tfProgressName = nullptr;
    QProgressBar* piIndicator = nullptr;
    QPushButton* btnCancel = nullptr;

Q_SIGNALS:
    void cancelRequested();

protected:
    void reject() override;
};
