#include "VTViewUtiltiy.h"

#include <QWidget>

void VTViewUtiltiy::removeAllSubviews(QWidget* view) {
    if (!view)
        return;
    const auto children = view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        child->hide();
        child->setParent(nullptr);
        child->deleteLater();
    }
}
