#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

// Alerts and file panels run from the main thread. A null QString stands for "no text":
// it leaves a button out, or gives a default title.

// Runs an alert and answers which button ended it: 1 the default button ("OK" when its
// title is null), 0 the alternate, -1 the other. The informative text is shown as plain
// text. Closing the alert counts as the alternate button, else the other, else the default.
int showTipsAlert(const QString& messageText, const QString& informativeText,
                  const QString& defaultButtonTitle, const QString& alternateButtonTitle,
                  const QString& otherButtonTitle);

// Runs an open panel; the chosen items after OK, nothing (not an empty list) when cancelled.
// Qt's panel picks either files or one folder: with both allowed it picks files; with
// neither, nothing can be chosen and no panel is shown.
std::optional<QList<QUrl>> showOpenPanel(bool canChooseDirectories, bool canChooseFiles,
                                         bool allowsMultipleSelection);
std::optional<QList<QUrl>> openFiles(bool canChooseDirectories, bool canChooseFiles,
                                     bool allowsMultipleSelection);

// Runs a save panel. message shows under the file list, accessoryView under the message
// (it is handed back to its former parent when the panel closes). Run modally it answers
// the chosen path after OK, nothing otherwise. As a sheet over parentWindow it answers
// nothing at once and later calls completion with the path, only after OK.
// extensionHidden and allowsOtherFileTypes have no counterpart in Qt's panel, which never
// hides extensions and sets no type filter here.
std::optional<QString> showSavePanel(const QString& title, const QString& message,
                                     const QString& nameFieldText, bool canCreateDirectories,
                                     bool extensionHidden, bool allowsOtherFileTypes,
                                     QWidget* accessoryView, bool asSheet, QWidget* parentWindow,
                                     std::function<void(const QString& path)> completion);
