#pragma once

#include <QStringList>

class VTDropInTipsView;

// Receives the file paths dropped on a VTDropInTipsView.
class VTDropInTipsViewDelegate {
public:
    virtual ~VTDropInTipsViewDelegate() = default;
    // Whether the drop was taken.
    virtual bool didVTDropInTipsViewAcceptDrag(VTDropInTipsView* view, const QStringList& paths) {
        (void)view;
        (void)paths;
        return true;
    }
};
