#pragma once

#include <QStringList>

class QWidget;

// Receives the file paths dropped on a VTCommonWindow.
class VTCommonWindowDelegate {
public:
    virtual ~VTCommonWindowDelegate() = default;
    // Whether the drop was taken; a delegate that does not answer takes every drop.
    virtual bool didWindowAccepteDragFiles(QWidget* window, const QStringList& paths) {
        (void)window;
        (void)paths;
        return true;
    }
};
