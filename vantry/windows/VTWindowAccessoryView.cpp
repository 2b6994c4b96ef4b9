#include "VTWindowAccessoryView.h"

#include "VTTitleBarAnchor.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

void VTWindowAccessoryView::addViewToTitleBarAtXPosition(QWidget* window, QWidget* view, double x) {
    if (!window || !view || view == window)
        return;
    const int height = view->height() > 0 ? view->height() : view->sizeHint().height();
    view->setParent(window);
    view->setGeometry(int(std::lround(x)), 0, view->width(), height);
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
