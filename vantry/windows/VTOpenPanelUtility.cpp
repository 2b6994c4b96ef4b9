#include "VTOpenPanelUtility.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

QStringList VTOpenPanelUtility::filePathsFromPanel(const QFileDialog& panel) {
    // With no file chosen, Qt reports the folder on view: in the file modes that is no choice.
    const bool filesOnly = panel.fileMode() == QFileDialog::ExistingFile ||
                           panel.fileMode() == QFileDialog::ExistingFiles;
    QStringList paths;
    for (const QUrl& url : panel.selectedUrls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && !(filesOnly && QFileInfo(path).isDir()))
            paths << path;
    }
    return paths;
}
