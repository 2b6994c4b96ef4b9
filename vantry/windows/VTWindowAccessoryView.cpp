#include "VTWindowAccessoryView.h"

#include "VTTitleBarAnchor.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

void VTWindowAccessoryView::addViewToTitleBarAtXPosition(QWidget* window, QWidget* view, double x) {
    if (!window || !view || view == window)
        return;
    // A view never shown still has Qt's default size: only a width set on purpose counts.
    const int width =
        view->testAttribute(Qt::WA_Resized) ? view->width() : view->sizeHint().width();
    const int height = int(std::lround(kTitleBarStripHeight + kTitleBarViewExtraHeight));
    view->setParent(window);
    view->setGeometry(int(std::lround(x)), 0, std::max(width, 0), height);
    view->raise();
    view->show();
    const bool keepsRightDistance =
        autoresizingMaskFor(window->width(), x) == FlexibleLeftAndBottomMargins;
    delete view->findChild<VTTitleBarAnchor*>(QString(), Qt::FindDirectChildrenOnly);
    new VTTitleBarAnchor(window, view, keepsRightDistance); // owned by the view
}

double VTWindowAccessoryView::heightOfTitleBar(const QWidget* window) {
    if (!window)
        return 0.0;
    return std::max(0, window->frameGeometry().height() - window->geometry().height());
}

VTWindowAccessoryView::AutoresizingMask
VTWindowAccessoryView::autoresizingMaskFor(double windowWidth, double x) {
    return x <= windowWidth / 2 ? FlexibleRightAndBottomMargins : FlexibleLeftAndBottomMargins;
}
