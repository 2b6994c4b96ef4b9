#pragma once

#include <QtGlobal>

class VTPageControl;

// Told when the user clicks one of a page control's dots.
class VTPageControlDelegate {
public:
    virtual ~VTPageControlDelegate() = default;
    virtual void pageControlDidSelectPageAtIndex(VTPageControl* pageControl, qint64 index) {
        (void)pageControl;
        (void)index;
    }
};
