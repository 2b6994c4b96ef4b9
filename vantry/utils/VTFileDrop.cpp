#include "VTFileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace VTFileDrop {

QStringList droppedFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

Qt::DropAction copyActionForFiles(const QMimeData* data, Qt::DropActions sourceActions) {
    if (sourceActions.testFlag(Qt::CopyAction) && !droppedFilePaths(data).isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

void answer(QDropEvent* event, bool accept) {
    if (accept) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace VTFileDrop
