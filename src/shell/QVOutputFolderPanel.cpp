#include "shell/QVOutputFolderPanel.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

std::optional<QVOutputFolderChoice> QVOutputFolderPanel::run(QWidget* parent,
                                                             const QVOutputFolderChoice& offered) {
    QFileDialog panel(parent, QLatin1String(kMessage), offered.folder);
    panel.setObjectName(QStringLiteral("outputFolderPanel"));
    // The widget panel, so the accessory check boxes can join its layout.
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setFileMode(QFileDialog::Directory);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setLabelText(QFileDialog::Accept, QStringLiteral("OK"));

    auto* accessory = new QWidget(&panel);
    accessory->setObjectName(QStringLiteral("viewOutputSet"));
    auto* column = new QVBoxLayout(accessory);
    column->setContentsMargins(0, 6, 0, 0);
    auto* message = new QLabel(QLatin1String(kMessage), accessory);
    auto* organized = new QCheckBox(QLatin1String(kOrganizedLabel), accessory);
    organized->setObjectName(QStringLiteral("btnOrgized"));
    organized->setChecked(offered.organized);
    auto* openWhenDone = new QCheckBox(QLatin1String(kOpenLabel), accessory);
    openWhenDone->setObjectName(QStringLiteral("btnOverOpen"));
    openWhenDone->setChecked(offered.openWhenDone);
    column->addWidget(message);
    column->addWidget(organized);
    column->addWidget(openWhenDone);
    if (auto* grid = qobject_cast<QGridLayout*>(panel.layout()))
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
    else if (panel.layout())
        panel.layout()->addWidget(accessory);

    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return std::nullopt;
    const QString folder = panel.selectedFiles().constFirst();
    if (folder.isEmpty())
        return std::nullopt;
    return QVOutputFolderChoice{folder, organized->isChecked(), openWhenDone->isChecked()};
}
