#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <vector>

class BDProgressIndicator;
class QVMusicInfo;

using QVMusicList = std::vector<std::shared_ptr<QVMusicInfo>>;

// The file list as the main window's table shows it: one row per QVMusicInfo, in display
// order, with the columns "Name", "Output Name" and the row's progress. Lives on the main
// thread; the rows' progress values may be written by other threads and are read here.
class QVFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnName = 0, ColumnOutputName = 1, ColumnProgress = 2, ColumnCount = 3 };
    // Progress column: the value the row's bar shows (0..100), or no value while hidden.
    static constexpr int ProgressRole = Qt::UserRole + 1;
    // The type row drags out of the table carry; they hold no file names.
    static constexpr char kRowDragType[] = "customPboardType";

    explicit QVFileListModel(QObject* parent = nullptr);

    // The identifier of a column ("Name", "Output Name", "Progress").
    static QString columnIdentifier(int column);
    // "Artist - Title", the title alone, or the file name without its extension.
    static QString displayName(const QVMusicInfo& music);
    // The last path component without its extension (a dot file keeps its name).
    static QString fileNameWithoutExtension(const QString& path);

    const QVMusicList& musics() const { return _musics; }
    std::shared_ptr<QVMusicInfo> musicAt(int row) const;
    QStringList filePaths() const;

    void appendMusics(const QVMusicList& musics);
    // Removes the rows at the given valid, strictly increasing indexes.
    void removeRowsAt(const std::vector<int>& sortedRows);
    void removeAll();
    // Bars are shown only during a run.
    void setConverting(bool converting);
    bool isConverting() const { return _converting; }
    // Every cell changed: what the table's periodic refresh asks for.
    void reloadData();

    // The row's bar, hidden outside a run and showing the row's progress during one
    // (full while the file is handed to the playlist); null for a row beyond the list.
    std::shared_ptr<BDProgressIndicator> progressIndicatorForRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant progressValue(const QVMusicInfo& music) const;

    QVMusicList _musics;
    bool _converting = false;
};
