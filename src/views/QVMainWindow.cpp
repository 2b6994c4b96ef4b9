#include "views/QVMainWindow.h"

QVMainWindow::QVMainWindow(QWidget* parent) : QMainWindow(parent) {}

double QVMainWindow::animationResizeTime(const QRect&) const {
    return 0.2;
}
