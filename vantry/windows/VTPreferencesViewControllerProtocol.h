#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// One pane of a toolbar preferences window. The pane owns its view; the window shows it
// while the pane is selected. A view whose horizontal (vertical) size policy is Fixed keeps
// its first-seen width (height); any other policy lets the user resize it on that axis.
class VTPreferencesViewControllerProtocol {
public:
    virtual ~VTPreferencesViewControllerProtocol() = default;

    virtual QString identifier() const = 0;
    virtual QIcon toolbarItemImage() const = 0;
    virtual QString toolbarItemLabel() const = 0;
    virtual QWidget* view() = 0;

    virtual void viewWillAppear() {}
    virtual void viewDidDisappear() {}
    // The control to focus when the pane appears; none lets the window pick the first one.
    virtual QWidget* initialKeyView() { return nullptr; }
    // False keeps the pane (and the window) open: pending edits could not be committed.
    virtual bool commitEditing() { return true; }
};
