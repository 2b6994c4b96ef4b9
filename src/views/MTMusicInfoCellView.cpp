#include "views/MTMusicInfoCellView.h"

MTMusicInfoCellView::MTMusicInfoCellView(QWidget* parent) : QWidget(parent) {}

void MTMusicInfoCellView::paintEvent(QPaintEvent*) {}
