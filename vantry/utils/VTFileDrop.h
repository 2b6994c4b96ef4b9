#pragma once

#include <QStringList>
#include <Qt>

class QDropEvent;
class QMimeData;

// How Vantry's views and windows take files dropped on them: local files only, copied.
namespace VTFileDrop {

QStringList droppedFilePaths(const QMimeData* data);
// Copy when the source allows it and at least one local file is dragged, else ignore.
Qt::DropAction copyActionForFiles(const QMimeData* data, Qt::DropActions sourceActions);
// Accepts the event as a copy, or ignores it. Drag-enter and drag-move events are drop events.
void answer(QDropEvent* event, bool accept);

} // namespace VTFileDrop
