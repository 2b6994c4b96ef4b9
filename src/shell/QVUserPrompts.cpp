#include "shell/QVUserPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void QVUserPrompts::showAlert(QWidget* parent, const QString& title, const QString& message,
                              AlertStyle style) {
    QMessageBox box(parent);
    box.setIcon(style == AlertStyle::Information ? QMessageBox::Information : QMessageBox::Warning);
    box.setWindowTitle(title);
    box.setText(title);
    box.setInformativeText(message);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

bool QVUserPrompts::confirmClose(QWidget* parent) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Warnning"));
    box.setText(QStringLiteral("Warnning"));
    box.setInformativeText(
        QStringLiteral("Do you want to close all window without save information?"));
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
    return box.clickedButton() == ok;
}

QStringList QVUserPrompts::chooseFilesToAdd(QWidget* parent, const QStringList& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions) {
        for (const QString& spelling : {extension.toLower(), extension.toUpper()}) {
            const QString pattern = QStringLiteral("*.") + spelling;
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    const QString filter =
        QStringLiteral("Audio and video files (%1)").arg(patterns.join(QLatin1Char(' ')));
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("Add Files"), QString(), filter);
}
