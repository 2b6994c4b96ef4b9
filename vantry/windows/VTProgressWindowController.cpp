#include "VTProgressWindowController.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

VTProgressWindowController::VTProgressWindowController(const QString& nibName, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(nibName);
    buildLayout();
    awakeFromNib();
}

void VTProgressWindowController::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    tfPrgTips = new QLabel(this);
    layout->addWidget(tfPrgTips);
    prgIndicator = new QProgressBar(this);
    prgIndicator->setRange(0, 100);
    prgIndicator->setTextVisible(false);
    layout->addWidget(prgIndicator);
    tfPrgDownTips = new QLabel(this);
    layout->addWidget(tfPrgDownTips);
    btnCancel = new QPushButton(tr("Cancel"), this);
    layout->addWidget(btnCancel, 0, Qt::AlignRight);
    setMinimumWidth(360);
}

void VTProgressWindowController::awakeFromNib() {
    prgIndicator->setValue(0);
    tfPrgTips->setText(QString());
    tfPrgDownTips->setText(QString());
    setWindowTitle(QString());
}

void VTProgressWindowController::updateProgress(double value) {
    if (std::isnan(value))
        return;
    const double clamped =
        std::clamp(value, double(prgIndicator->minimum()), double(prgIndicator->maximum()));
    prgIndicator->setValue(int(std::lround(clamped)));
}
