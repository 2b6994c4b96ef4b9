#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The questions and alerts the main window puts to the user, as modal dialogs. Tests
// replace it to answer without a screen and to read what would have been shown.
class QVUserPrompts {
public:
    enum class AlertStyle { Warning, Information };

    virtual ~QVUserPrompts() = default;

    // An alert with one "OK" button.
    virtual void showAlert(QWidget* parent, const QString& title, const QString& message,
                           AlertStyle style = AlertStyle::Warning);
    // "Warnning" with "Cancel" (default) and "OK"; true when the user pressed OK.
    virtual bool confirmClose(QWidget* parent);
    // The open panel for adding files: multiple selection, limited to the given extensions.
    virtual QStringList chooseFilesToAdd(QWidget* parent, const QStringList& extensions);
};
