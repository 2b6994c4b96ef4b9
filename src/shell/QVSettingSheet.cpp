#include "shell/QVSettingSheet.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
QComboBox* makePopUp(QWidget* parent, const char* name) {
    auto* pop = new QComboBox(parent);
    pop->setObjectName(QLatin1String(name));
    pop->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    pop->setMinimumWidth(160);
    return pop;
}
} // namespace

QVSettingSheet::QVSettingSheet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("wndSetting"));
    setWindowTitle(QStringLiteral("Output Settings"));
    setWindowModality(Qt::WindowModal);

    popSettingFmts = makePopUp(this, "popSettingFmts");
    popSampleRate = makePopUp(this, "popSampleRate");
    popBitrate = makePopUp(this, "popBitrate");
    popChannels = makePopUp(this, "popChannels");

    sldQuality = new QSlider(Qt::Horizontal, this);
    sldQuality->setObjectName(QStringLiteral("sldQuality"));
    sldQuality->setRange(0, 100);
    sldQuality->setSingleStep(50);
    sldQuality->setPageStep(50);
    sldQuality->setTickInterval(50);
    sldQuality->setTickPosition(QSlider::TicksBelow);
    auto* quality = new QWidget(this);
    auto* qualityRow = new QHBoxLayout(quality);
    qualityRow->setContentsMargins(0, 0, 0, 0);
    qualityRow->addWidget(new QLabel(QStringLiteral("Smaller"), quality));
    qualityRow->addWidget(sldQuality, 1);
    qualityRow->addWidget(new QLabel(QStringLiteral("Better"), quality));

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addRow(QStringLiteral("Format:"), popSettingFmts);
    form->addRow(QStringLiteral("Quality:"), quality);
    form->addRow(QStringLiteral("Sample rate (Hz):"), popSampleRate);
    form->addRow(QStringLiteral("Bitrate (kbit/s):"), popBitrate);
    form->addRow(QStringLiteral("Channels:"), popChannels);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}
