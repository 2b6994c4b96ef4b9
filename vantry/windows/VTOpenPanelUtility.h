#pragma once

#include <QStringList>

class QFileDialog;

// Reading what an open panel chose.
class VTOpenPanelUtility {
public:
    // The chosen items as local paths, leaving out empty ones; empty when nothing is chosen.
    static QStringList filePathsFromPanel(const QFileDialog& panel);
};
