#pragma once

#include "engine/LSMediaTypes.h"

#include <QObject>
#include <QString>

class QAction;
class QVAppDelegate;

// The menu items' target: forwards each command to the application delegate and decides
// which items are enabled. An item names its command in its object name ("clickDelete:").
class QVMenuHandleCltr : public QObject {
    Q_OBJECT
public:
    explicit QVMenuHandleCltr(QVAppDelegate& delegate, QObject* parent = nullptr);

    void clickPreference();
    void clickOpen();
    void clickMoveNext();
    void clickMovePre();
    void clickDelete();
    void clickClear();
    void clickStart();
    void clickStop();
    void clickMetadata();

    // During a run only Stop, and Stop only then; otherwise the commands that work on rows
    // need rows; every other item is enabled. Loading keeps list edits off until the rows have
    // arrived. The metadata editor needs a selected row.
    static bool validateUserInterfaceItem(const QString& action, QVAppState state, int musicCount,
                                          int selectedCount = 0);
    bool validateUserInterfaceItem(const QAction* item) const;

private:
    QVAppDelegate& _delegate;
};
