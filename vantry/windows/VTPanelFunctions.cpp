#include "VTPanelFunctions.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {
QPushButton* addAlertButton(QMessageBox& alert, const QString& title,
                            QMessageBox::ButtonRole role) {
    return title.isNull() ? nullptr : alert.addButton(title, role);
}

void showTextsLiterally(QMessageBox& alert) {
    for (QLabel* label : alert.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
}

// Where the save panel shows the caller's message and accessory, and how it gives the
// accessory back.
class SavePanelExtras {
public:
    SavePanelExtras(QFileDialog& panel, const QString& message, QWidget* accessory)
        : _accessory(accessory), _formerParent(accessory ? accessory->parentWidget() : nullptr) {
        auto* grid = qobject_cast<QGridLayout*>(panel.layout());
        if (!grid)
            return;
        if (!message.isNull()) {
            auto* label = new QLabel(message, &panel);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
        }
        if (accessory) {
            grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
            accessory->show();
        }
    }
    void giveBack() {
        if (!_accessory)
            return;
        _accessory->hide();
        _accessory->setParent(_formerParent);
        _accessory = nullptr;
    }

private:
    QPointer<QWidget> _accessory;
    QPointer<QWidget> _formerParent;
};

void configureSavePanel(QFileDialog& panel, const QString& title, const QString& nameFieldText,
                        bool canCreateDirectories, bool extensionHidden,
                        bool allowsOtherFileTypes) {
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setFileMode(QFileDialog::AnyFile);
    panel.setProperty("allowsOtherFileTypes", allowsOtherFileTypes);
    panel.setProperty("extensionHidden", extensionHidden);
    panel.setOption(QFileDialog::ReadOnly, !canCreateDirectories);
    if (!nameFieldText.isNull())
        panel.selectFile(nameFieldText);
    if (!title.isNull())
        panel.setWindowTitle(title);
}

std::optional<QString> chosenPath(const QFileDialog& panel) {
    // Qt's panel reads double quotes in the name field as separators of several names; a
    // saved file's name may hold them, so take the field's text as it stands.
    const auto* nameField = panel.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (panel.acceptMode() == QFileDialog::AcceptSave && nameField &&
        nameField->text().contains(u'"'))
        return panel.directory().absoluteFilePath(nameField->text());
    const QStringList files = panel.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}
} // namespace

int showTipsAlert(const QString& messageText, const QString& informativeText,
                  const QString& defaultButtonTitle, const QString& alternateButtonTitle,
                  const QString& otherButtonTitle) {
    QMessageBox alert(QApplication::activeWindow());
    alert.setIcon(QMessageBox::Warning);
    alert.setText(messageText);
    alert.setInformativeText(informativeText);
    QPushButton* defaultButton =
        alert.addButton(defaultButtonTitle.isNull() ? QObject::tr("OK") : defaultButtonTitle,
                        QMessageBox::AcceptRole);
    QPushButton* alternateButton =
        addAlertButton(alert, alternateButtonTitle, QMessageBox::RejectRole);
    QPushButton* otherButton = addAlertButton(alert, otherButtonTitle, QMessageBox::ActionRole);
    alert.setDefaultButton(defaultButton);
    QPushButton* escapeButton = alternateButton ? alternateButton
                                : otherButton   ? otherButton
                                                : defaultButton;
    alert.setEscapeButton(escapeButton);
    showTextsLiterally(alert);
    alert.exec();
    // Closed without a button (window manager, reject()): as if the escape button was pressed.
    const QAbstractButton* clicked = alert.clickedButton() ? alert.clickedButton() : escapeButton;
    if (clicked == alternateButton && alternateButton)
        return 0;
    if (clicked == otherButton && otherButton)
        return -1;
    return 1;
}

std::optional<QList<QUrl>> showOpenPanel(bool canChooseDirectories, bool canChooseFiles,
                                         bool allowsMultipleSelection) {
    if (!canChooseDirectories && !canChooseFiles)
        return std::nullopt;
    QFileDialog panel(QApplication::activeWindow());
    panel.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    if (canChooseFiles)
        panel.setFileMode(allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                  : QFileDialog::ExistingFile);
    else
        panel.setFileMode(QFileDialog::Directory);
    if (panel.exec() != QDialog::Accepted)
        return std::nullopt;
    return panel.selectedUrls();
}

std::optional<QList<QUrl>> openFiles(bool canChooseDirectories, bool canChooseFiles,
                                     bool allowsMultipleSelection) {
    return showOpenPanel(canChooseDirectories, canChooseFiles, allowsMultipleSelection);
}

std::optional<QString> showSavePanel(const QString& title, const QString& message,
                                     const QString& nameFieldText, bool canCreateDirectories,
                                     bool extensionHidden, bool allowsOtherFileTypes,
                                     QWidget* accessoryView, bool asSheet, QWidget* parentWindow,
                                     std::function<void(const QString& path)> completion) {
    if (!asSheet) {
        QFileDialog panel(parentWindow ? parentWindow : QApplication::activeWindow());
        configureSavePanel(panel, title, nameFieldText, canCreateDirectories, extensionHidden,
                           allowsOtherFileTypes);
        SavePanelExtras extras(panel, message, accessoryView);
        const int answer = panel.exec();
        extras.giveBack();
        return answer == QDialog::Accepted ? chosenPath(panel) : std::nullopt;
    }

    // The panel lives until the sheet ends; it then gives the accessory back and deletes
    // itself.
    auto* panel = new QFileDialog(parentWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(parentWindow ? Qt::WindowModal : Qt::ApplicationModal);
    configureSavePanel(*panel, title, nameFieldText, canCreateDirectories, extensionHidden,
                       allowsOtherFileTypes);
    auto extras = std::make_shared<SavePanelExtras>(*panel, message, accessoryView);
    QObject::connect(panel, &QDialog::finished, panel,
                     [panel, extras, done = std::move(completion)](int answer) {
                         extras->giveBack();
                         const std::optional<QString> path = chosenPath(*panel);
                         if (answer == QDialog::Accepted && done && path)
                             done(*path);
                     });
    panel->open();
    return std::nullopt;
}
