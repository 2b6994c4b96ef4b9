#pragma once

#include <QStringList>

class QWidget;

// Receives the file paths dropped on a VTCommonView.
class VTCommonViewDelegate {
public:
    virtual ~VTCommonViewDelegate() = default;
    // Whether the drop was taken; a delegate that does not answer takes every drop.
    virtual bool didWindowAccepteDragFiles(QWidget* view, const QStringList& paths) {
        (void)view;
        (void)paths;
        return true;
    }
};
