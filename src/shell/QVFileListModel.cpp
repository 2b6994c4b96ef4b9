#include "shell/QVFileListModel.h"

#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"

#include <QFileInfo>

#include <algorithm>

namespace {
QString tagText(const MTEAudioFile* handler, const QString& logicalName) {
    return handler ? handler->getValueForKey(logicalName).toString().trimmed() : QString();
}
} // namespace

QVFileListModel::QVFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString QVFileListModel::columnIdentifier(int column) {
    switch (column) {
    case ColumnName:
        return QStringLiteral("Name");
    case ColumnOutputName:
        return QStringLiteral("Output Name");
    case ColumnProgress:
        return QStringLiteral("Progress");
    default:
        return {};
    }
}

QString QVFileListModel::displayName(const QVMusicInfo& music) {
    const MTEAudioFile* handler = music.metHandler.get();
    QString title = tagText(handler, QStringLiteral("Title"));
    if (title.isEmpty())
        title = fileNameWithoutExtension(music.strFilePath);
    const QString artist = tagText(handler, QStringLiteral("Artist"));
    if (artist.isEmpty())
        return title;
    return artist + QStringLiteral(" - ") + title;
}

QString QVFileListModel::fileNameWithoutExtension(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    return base.isEmpty() ? info.fileName() : base;
}

std::shared_ptr<QVMusicInfo> QVFileListModel::musicAt(int row) const {
    if (row < 0 || row >= int(_musics.size()))
        return nullptr;
    return _musics[size_t(row)];
}

QStringList QVFileListModel::filePaths() const {
    QStringList paths;
    paths.reserve(qsizetype(_musics.size()));
    for (const auto& music : _musics)
        paths.append(music->strFilePath);
    return paths;
}

void QVFileListModel::appendMusics(const QVMusicList& musics) {
    QVMusicList added;
    for (const auto& music : musics) {
        if (music)
            added.push_back(music);
    }
    if (added.empty())
        return;
    const int first = int(_musics.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    _musics.insert(_musics.end(), added.begin(), added.end());
    endInsertRows();
}

void QVFileListModel::removeRowsAt(const std::vector<int>& sortedRows) {
    // From the back, one contiguous block at a time, so earlier indexes stay valid.
    auto it = sortedRows.rbegin();
    while (it != sortedRows.rend()) {
        const int last = *it;
        int first = last;
        ++it;
        while (it != sortedRows.rend() && *it == first - 1) {
            first = *it;
            ++it;
        }
        if (first < 0 || last >= int(_musics.size()))
            continue;
        beginRemoveRows({}, first, last);
        _musics.erase(_musics.begin() + first, _musics.begin() + last + 1);
        endRemoveRows();
    }
}

void QVFileListModel::removeAll() {
    if (_musics.empty())
        return;
    beginResetModel();
    _musics.clear();
    endResetModel();
}

void QVFileListModel::setConverting(bool converting) {
    _converting = converting;
}

void QVFileListModel::reloadData() {
    if (_musics.empty())
        return;
    Q_EMIT dataChanged(index(0, 0), index(int(_musics.size()) - 1, ColumnCount - 1));
}

int QVFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(_musics.size());
}

int QVFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QVFileListModel::progressValue(const QVMusicInfo& music) const {
    const auto bar = music.discreteProgress();
    if (!_converting) {
        if (bar)
            bar->setHidden(true);
        return {};
    }
    const double progress = music.dConvertProgress.load();
    const double shown = progress == QVProgressSyncing ? 100.0 : progress;
    if (bar) {
        bar->setHidden(false);
        bar->setDoubleValue(shown);
    }
    return shown;
}

QVariant QVFileListModel::data(const QModelIndex& index, int role) const {
    const auto music = musicAt(index.row());
    if (!music) // a row beyond the list shows nothing
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (index.column() == ColumnName)
            return role == Qt::ToolTipRole ? music->strFilePath : displayName(*music);
        if (index.column() == ColumnOutputName)
            return music->mediaInfo ? music->mediaInfo->strOutFileName : QString();
        return {};
    case ProgressRole:
        return index.column() == ColumnProgress ? progressValue(*music) : QVariant();
    default:
        return {};
    }
}

QVariant QVFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return columnIdentifier(section);
}

std::shared_ptr<BDProgressIndicator> QVFileListModel::progressIndicatorForRow(int row) const {
    const auto music = musicAt(row);
    if (!music)
        return nullptr;
    progressValue(*music);
    return music->discreteProgress();
}

Qt::ItemFlags QVFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}
