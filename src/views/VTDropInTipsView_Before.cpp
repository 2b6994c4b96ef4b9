#include "views/VTDropInTipsView_Before.h"

#include <QPainter>

VTDropInTipsView_Before::VTDropInTipsView_Before(QWidget* parent) : QWidget(parent) {
    setDefaultValue();
    setAcceptDrops(false);
    // Child lookup for drops and clicks skips this view, so they reach the table beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void VTDropInTipsView_Before::setDefaultValue() {
    _tips.setDefaultValue();
}

void VTDropInTipsView_Before::setStrPromot(const QString& prompt) {
    _tips.strPromot = prompt;
    update();
}

void VTDropInTipsView_Before::setBHighlighted(bool highlighted) {
    _tips.bHighlighted = highlighted;
    update();
}

void VTDropInTipsView_Before::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    _tips.draw(painter, QRectF(rect()), font());
}
