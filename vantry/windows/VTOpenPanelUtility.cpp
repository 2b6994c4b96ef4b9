#include "VTOpenPanelUtility.h"

#include <QFileDialog>
#include <QUrl>

QStringList VTOpenPanelUtility::filePathsFromPanel(const QFileDialog& panel) {
    QStringList paths;
    for (const QUrl& url : panel.selectedUrls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}
