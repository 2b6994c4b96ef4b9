#include "shell/QVLoadingSheet.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kProgressSteps = 1000;
}

QVLoadingSheet::QVLoadingSheet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("wndProgress"));
    setWindowTitle(QStringLiteral("Loading"));
    setWindowModality(Qt::WindowModal);
    setModal(false);

    tfProgressName = new QLabel(this);
    tfProgressName->setMinimumWidth(360);
    tfProgressName->setTextFormat(Qt::PlainText);
    tfProgressName->setTextInteractionFlags(Qt::NoTextInteraction);
    piIndicator = new QProgressBar(this);
    piIndicator->setRange(0, kProgressSteps);
    piIndicator->setTextVisible(false);

    auto* buttons = new QDialogButtonBox(this);
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(btnCancel, &QPushButton::clicked, this, &QVLoadingSheet::cancelRequested);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(10);
    layout->addWidget(tfProgressName);
    layout->addWidget(piIndicator);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void QVLoadingSheet::setLabelText(const QString& text) {
    // Long names are cut in the middle so the sheet keeps its size.
    const QFontMetrics metrics(tfProgressName->font());
    tfProgressName->setText(metrics.elidedText(text, Qt::ElideMiddle, tfProgressName->width()));
    tfProgressName->setToolTip(text);
}

QString QVLoadingSheet::labelText() const {
    return tfProgressName->toolTip();
}

void QVLoadingSheet::setProgress(double fraction) {
    piIndicator->setValue(int(std::clamp(fraction, 0.0, 1.0) * kProgressSteps + 0.5));
}

double QVLoadingSheet::progress() const {
    return double(piIndicator->value()) / kProgressSteps;
}

void QVLoadingSheet::reject() {
    // Escape and the window's close button cancel the load as the Cancel button does.
    Q_EMIT cancelRequested();
}
