#include "shell/QVMainAppController.h"

#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NumberText.h"
#include "platform/PreferenceKeys.h"
#include "platform/SystemBeep.h"
#include "platform/Workspace.h"
#include "shell/QVConvertRun.h"
#include "shell/QVLoadingSheet.h"
#include "shell/QVMainAppLoaderBridge.h"
#include "shell/QVMetadataEditWndCtlr.h"
#include "shell/QVPathIntake.h"
#include "shell/QVSettingSheet.h"
#include "shell/QVUserPrompts.h"
#include "util/QVStringDigit.h"
#include "views/BDDiscreteProgressCell.h"
#include "views/BDDiscreteProgressCellDelegate.h"
#include "views/QVBottomBarLayout.h"
#include "views/QVMainWindow.h"
#include "views/QVOperationPanel.h"
#include "views/RMTableView.h"
#include "views/VTDropInTipsView_Before.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kMaxFailedNames = 11;
constexpr int kMinimumListWidth = 560;

QIcon themedIcon(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(name), QApplication::style()->standardIcon(fallback));
}

QString homepageUrl() {
    return MainBundle::mainBundle()
        .objectForInfoDictionaryKey(QStringLiteral("HomepageUrl"))
        .toString();
}

// Rank of a choice text in the sorted lists: words, numbers, "Stereo", "Mono".
int choiceRank(const QString& text) {
    if (QVStringDigit::isPureInt(text))
        return 1;
    if (text == QLatin1String("Stereo"))
        return 2;
    if (text == QLatin1String("Mono"))
        return 3;
    return 0;
}

void takeChoice(QString& value, const QStringList& choices, int quality) {
    if (choices.isEmpty())
        return;
    if (quality == 100)
        value = choices.first();
    else if (quality == 0)
        value = choices.last();
    else
        value = choices.at(choices.size() / 2);
}

} // namespace

const QStringList& QVMainAppController::allowedFileTypes() {
    // The last five are what the program itself writes, so that its outputs can come back.
    static const QStringList types = {
        QStringLiteral("mp3"),  QStringLiteral("wav"),  QStringLiteral("flac"),
        QStringLiteral("ogg"),  QStringLiteral("ape"),  QStringLiteral("m4a"),
        QStringLiteral("m4r"),  QStringLiteral("aac"),  QStringLiteral("wma"),
        QStringLiteral("mp2"),  QStringLiteral("ac3"),  QStringLiteral("dsd"),
        QStringLiteral("amr"),  QStringLiteral("wmv"),  QStringLiteral("rm"),
        QStringLiteral("mpg"),  QStringLiteral("ts"),   QStringLiteral("mkv"),
        QStringLiteral("mov"),  QStringLiteral("flv"),  QStringLiteral("mp4"),
        QStringLiteral("rmvb"), QStringLiteral("rm"),   QStringLiteral("m4v"),
        QStringLiteral("avi"),  QStringLiteral("asf"),  QStringLiteral("swf"),
        QStringLiteral("3gp"),  QStringLiteral("ogm"),  QStringLiteral("nsv"),
        QStringLiteral("opus"), QStringLiteral("aiff"), QStringLiteral("aif"),
        QStringLiteral("caf"),  QStringLiteral("oga")};
    return types;
}

QVMainAppController::QVMainAppController(QVDataEngine& catalogue,
                                         std::shared_ptr<QVUserPrompts> prompts, QObject* parent)
    : QObject(parent), _catalogue(catalogue),
      _prompts(prompts ? std::move(prompts) : std::make_shared<QVUserPrompts>()),
      _mediaLoader(std::make_unique<QVMainAppLoaderBridge>(*this)),
      _run(std::make_unique<QVConvertRun>(*this, _prompts)) {
    buildWindow();
    awakeFromNib();
}

QVMainAppController::~QVMainAppController() {
    // The run's jobs end before the list and the window go.
    _run.reset();
    // Every loader thread ends before the list and the window go.
    _mediaLoader.reset();
    _watchedViewport.stopWatching();
    _watchedWindow.stopWatching();
    _window.reset();
}

QMainWindow* QVMainAppController::window() const {
    return _window.get();
}

void QVMainAppController::showWindow() {
    _window->show();
    _window->raise();
    _window->activateWindow();
}

int QVMainAppController::getMusicCount() const {
    return _model.rowCount();
}

// ---------------------------------------------------------------------------------------
// Window

void QVMainAppController::buildWindow() {
    _window = std::make_unique<QVMainWindow>();
    _window->setObjectName(QStringLiteral("ConverterMainWindow"));
    _window->setAttribute(Qt::WA_DeleteOnClose, false);
    _window->resize(760, 520);
    // The window is at least as wide as the file list needs, wider when the bottom bar
    // needs it: the layouts set the minimum width.
    _window->setMinimumHeight(360);
    _watchedWindow.watch(_window.get(), this);

    buildToolBar();

    auto* central = new QWidget(_window.get());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    _tableView = new RMTableView(central);
    _tableView->setObjectName(QStringLiteral("tableView"));
    _tableView->setModel(&_model);
    _tableView->setDataSource(this);
    _tableView->setItemDelegateForColumn(QVFileListModel::ColumnProgress,
                                         new BDDiscreteProgressCellDelegate(_tableView));
    _tableView->setFrameShape(QFrame::NoFrame);
    _tableView->setTextElideMode(Qt::ElideMiddle);
    _tableView->setMinimumWidth(kMinimumListWidth);
    QHeaderView* header = _tableView->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QVFileListModel::ColumnName, QHeaderView::Stretch);
    header->setSectionResizeMode(QVFileListModel::ColumnOutputName, QHeaderView::Interactive);
    header->setSectionResizeMode(QVFileListModel::ColumnProgress, QHeaderView::Fixed);
    header->resizeSection(QVFileListModel::ColumnOutputName, 240);
    header->resizeSection(QVFileListModel::ColumnProgress, 120);
    _watchedViewport.watch(_tableView->viewport(), this);
    connect(_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { validateActions(); });
    connect(_tableView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid() || _progressType == QVAppStateConverting)
            return;
        selectRows({index.row()});
        clickMetadata();
    });
    layout->addWidget(_tableView, 1);

    _dropInTipsView = new VTDropInTipsView_Before(_tableView->viewport());
    _dropInTipsView->setObjectName(QStringLiteral("dropInTipsView"));
    _dropInTipsView->hide();

    layout->addWidget(buildBottomBar());
    _window->setCentralWidget(central);

    _wndProgress = new QVLoadingSheet(_window.get());
    connect(_wndProgress, &QVLoadingSheet::cancelRequested, this,
            &QVMainAppController::clickCancelLoad);

    _wndSetting = new QVSettingSheet(_window.get());
    connect(_wndSetting->popSettingFmts, &QComboBox::activated, this,
            [this] { chooseFormat(_wndSetting->popSettingFmts->currentText(), true); });
    connect(_wndSetting->sldQuality, &QSlider::valueChanged, this, [this] {
        if (!_updatingSettingUI && !_wndSetting->sldQuality->isSliderDown())
            clickSlider();
    });
    connect(_wndSetting->sldQuality, &QSlider::sliderReleased, this,
            &QVMainAppController::clickSlider);
    connect(_wndSetting->popSampleRate, &QComboBox::activated, this,
            &QVMainAppController::clickSampleRate);
    connect(_wndSetting->popBitrate, &QComboBox::activated, this,
            &QVMainAppController::clickBitrate);
    connect(_wndSetting->popChannels, &QComboBox::activated, this,
            &QVMainAppController::clickChannels);
    connect(_wndSetting, &QDialog::finished, this, [this] { clickOK(); });
}

void QVMainAppController::buildToolBar() {
    _toolBar = _window->addToolBar(QStringLiteral("Main"));
    _toolBar->setObjectName(QStringLiteral("toolBar"));
    _toolBar->setMovable(false);
    _toolBar->setFloatable(false);
    _toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    _toolBar->setIconSize(QSize(22, 22));

    _actAdd = _toolBar->addAction(themedIcon("list-add", QStyle::SP_FileDialogNewFolder),
                                  QStringLiteral("Add Files"));
    _actAdd->setObjectName(QStringLiteral("clickAddFiles:"));
    _actAdd->setToolTip(
        QStringLiteral("Add audio or video files; to add a folder, drop it on the list"));
    connect(_actAdd, &QAction::triggered, this, &QVMainAppController::clickAddFiles);

    _actRemove = _toolBar->addAction(themedIcon("list-remove", QStyle::SP_DialogDiscardButton),
                                     QStringLiteral("Remove"));
    _actRemove->setObjectName(QStringLiteral("clickRemoveFiles:"));
    _actRemove->setToolTip(QStringLiteral("Remove the selected files from the list"));
    connect(_actRemove, &QAction::triggered, this, &QVMainAppController::clickRemoveFiles);

    _actClear = _toolBar->addAction(themedIcon("edit-clear", QStyle::SP_TrashIcon),
                                    QStringLiteral("Clear"));
    _actClear->setObjectName(QStringLiteral("clickClearFiles:"));
    _actClear->setToolTip(QStringLiteral("Remove every file from the list"));
    connect(_actClear, &QAction::triggered, this, &QVMainAppController::clickClearFiles);

    _actMetadata =
        _toolBar->addAction(themedIcon("document-properties", QStyle::SP_FileDialogInfoView),
                            QStringLiteral("Metadata"));
    _actMetadata->setObjectName(QStringLiteral("clickMetadata:"));
    _actMetadata->setToolTip(
        QStringLiteral("Edit the tags, cover and lyrics of the selected file"));
    connect(_actMetadata, &QAction::triggered, this, &QVMainAppController::clickMetadata);

    _toolBar->addSeparator();
    _actStart = _toolBar->addAction(QStringLiteral("Start"));
    _actStart->setObjectName(QStringLiteral("clickStart:"));
    connect(_actStart, &QAction::triggered, this, &QVMainAppController::clickStart);
}

QWidget* QVMainAppController::buildBottomBar() {
    auto* bar = new QVOperationPanel;
    bar->setObjectName(QStringLiteral("operationPanel"));
    auto* row = new QVBottomBarLayout(bar);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);

    auto* formatLabel = new QLabel(QStringLiteral("Output format:"), bar);
    _popFmts = new QComboBox(bar);
    _popFmts->setObjectName(QStringLiteral("popFmts"));
    _popFmts->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    _popFmts->setMinimumWidth(140);
    formatLabel->setBuddy(_popFmts);
    connect(_popFmts, &QComboBox::activated, this,
            [this] { chooseFormat(_popFmts->currentText(), false); });

    _btnSetting = new QPushButton(QStringLiteral("Settings…"), bar);
    _btnSetting->setObjectName(QStringLiteral("btnSetting"));
    connect(_btnSetting, &QPushButton::clicked, this, &QVMainAppController::clickSetting);

    _tfTips = new QLabel(bar);
    _tfTips->setObjectName(QStringLiteral("tfTips"));
    _tfTips->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    _tfTips->setTextFormat(Qt::PlainText);
    QPalette tipsPalette = _tfTips->palette();
    tipsPalette.setColor(QPalette::WindowText,
                         tipsPalette.color(QPalette::Disabled, QPalette::WindowText));
    _tfTips->setPalette(tipsPalette);

    _piCvtProgress = new QProgressBar(bar);
    _piCvtProgress->setObjectName(QStringLiteral("piCvtProgress"));
    _piCvtProgress->setRange(0, 100);
    _piCvtProgress->setValue(0);
    _piCvtProgress->setFixedWidth(160);
    _piCvtProgress->setTextVisible(false);
    _piCvtProgress->hide();

    _btnStart = new QPushButton(QStringLiteral("Start"), bar);
    _btnStart->setObjectName(QStringLiteral("btnStart"));
    _btnStart->setDefault(true);
    connect(_btnStart, &QPushButton::clicked, this, &QVMainAppController::clickStart);

    using Role = QVBottomBarLayout::Role;
    row->addWidget(formatLabel, Role::Leading);
    row->addWidget(_popFmts, Role::Leading);
    row->addWidget(_btnSetting, Role::Leading);
    row->addWidget(_tfTips, Role::Status);
    row->addWidget(_piCvtProgress, Role::Status);
    row->addWidget(_btnStart, Role::Trailing);
    return bar;
}

void QVMainAppController::awakeFromNib() {
    checkShouldShowDragTips();
    enableDownOperationButtons(getMusicCount() != 0);
    _tableView->setAlternatingRowColors(true);
    const int rowHeight = std::max(17, _tableView->fontMetrics().height() + 8);
    _tableView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    _tableView->verticalHeader()->setDefaultSectionSize(rowHeight);
    fillFormatPopUp();
    _window->setWindowTitle(QLatin1String(kProductNameString));
    updateDownTotalFileInfos();
    validateActions();
}

bool QVMainAppController::eventFilter(QObject* watched, QEvent* event) {
    if (_watchedWindow.is(watched) && event->type() == QEvent::Close) {
        if (!windowShouldClose()) {
            event->ignore();
            return true;
        }
        Q_EMIT windowWillClose();
        return false;
    }
    if (_watchedViewport.is(watched) && event->type() == QEvent::Resize && _dropInTipsView)
        _dropInTipsView->setGeometry(_watchedViewport->rect());
    return QObject::eventFilter(watched, event);
}

void QVMainAppController::setAppState(QVAppState state) {
    if (_progressType == state)
        return;
    _progressType = state;
    validateActions();
}

void QVMainAppController::validateActions() {
    const bool converting = _progressType == QVAppStateConverting;
    const bool loading = _progressType == QVAppStateLoading;
    const bool hasRows = getMusicCount() != 0;
    _actAdd->setEnabled(!converting);
    _actRemove->setEnabled(!converting && !loading && hasRows);
    _actClear->setEnabled(!converting && !loading && hasRows);
    _btnSetting->setEnabled(!converting && _cnvtFmtSetting.has_value());
    // Start: during a run it stops the run; it needs rows either way.
    _actStart->setIcon(converting ? themedIcon("media-playback-stop", QStyle::SP_MediaStop)
                                  : themedIcon("media-playback-start", QStyle::SP_MediaPlay));
    _actStart->setText(converting ? QStringLiteral("Stop") : QStringLiteral("Start"));
    _actStart->setToolTip(converting ? QStringLiteral("Stop convert all files")
                                     : QStringLiteral("Start convert all files"));
    _actStart->setEnabled(!loading && hasRows && _cnvtFmtSetting.has_value());
    _actMetadata->setEnabled(!converting && !selectedRows().empty());
    Q_EMIT stateChanged();
}

void QVMainAppController::afterListChanged() {
    checkShouldShowDragTips();
    enableDownOperationButtons(getMusicCount() != 0);
    updateDownTotalFileInfos();
    validateActions();
}

// ---------------------------------------------------------------------------------------
// Adding files

void QVMainAppController::clickAddFiles() {
    if (_progressType == QVAppStateConverting) {
        SystemBeep::beep();
        return;
    }
    const QStringList paths = _prompts->chooseFilesToAdd(_window.get(), allowedFileTypes());
    if (!paths.isEmpty())
        loadAndParseFiles(paths);
}

void QVMainAppController::loadAndParseFiles(const QStringList& paths) {
    if (_progressType == QVAppStateConverting) {
        SystemBeep::beep();
        return;
    }
    if (_progressType == QVAppStateLoading) {
        // One load at a time: these wait for the current one to end.
        _pendingPaths.append(paths);
        return;
    }
    startLoad(paths);
}

void QVMainAppController::startLoad(const QStringList& paths) {
    _wndProgress->setLabelText(QStringLiteral("Loading Media Files..."));
    _wndProgress->setProgress(0.0);
    _wndProgress->open();
    setAppState(QVAppStateLoading);

    // The walk runs on the loader's thread: a big tree must not freeze the window, and
    // Cancel stops it. Adds wait for the running load, so a snapshot of the listed paths
    // serves the duplicate check.
    _currentLoadRun = _mediaLoader->load(
        [paths, listed = _model.filePaths()](const std::function<bool()>& isCanceled) {
            const QStringList files = QVPathIntake::expandPaths(paths, isCanceled);
            return QVPathIntake::newRows(QVPathIntake::removeDuplicates(files, listed));
        });
}

void QVMainAppController::loaderStartedMusic(quint64 runId, const QString& fileName) {
    if (runId != _currentLoadRun || _progressType != QVAppStateLoading)
        return;
    _wndProgress->setLabelText(QStringLiteral("Importing %1...").arg(fileName));
}

void QVMainAppController::loaderProgress(quint64 runId, double fraction) {
    if (runId != _currentLoadRun || _progressType != QVAppStateLoading)
        return;
    _wndProgress->setProgress(fraction);
}

QString QVMainAppController::failedLoadMessage(const QVMusicList& failed) {
    QString message;
    int named = 0;
    for (const auto& music : failed) {
        if (named == kMaxFailedNames) {
            message += QStringLiteral("...");
            break;
        }
        const QString path = music && music->mediaInfo ? music->mediaInfo->strMediaFilePath_
                                                       : (music ? music->strFilePath : QString());
        message += QFileInfo(path).fileName() + QLatin1Char('\n');
        ++named;
    }
    return message;
}

void QVMainAppController::mainSelCompleteLoad(quint64 runId, const QVMusicList& loaded,
                                              const QVMusicList& failed) {
    // A late report of a cancelled or replaced load must not end the current one.
    if (runId != _currentLoadRun || _progressType != QVAppStateLoading)
        return;
    _currentLoadRun = 0;
    _model.appendMusics(loaded);
    endLoadingSheet();
    setAppState(QVAppStateIdle);
    if (!failed.empty())
        _prompts->showAlert(_window.get(), QStringLiteral("Following file(s) load failed!"),
                            failedLoadMessage(failed));
    _model.reloadData();
    didDragExited();
    afterListChanged();
    if (!_pendingPaths.isEmpty() && _progressType == QVAppStateIdle) {
        const QStringList next = std::exchange(_pendingPaths, {});
        startLoad(next);
    }
}

void QVMainAppController::endLoadingSheet() {
    if (_wndProgress->isVisible())
        _wndProgress->done(QDialog::Rejected);
    _wndProgress->hide();
}

void QVMainAppController::cancelLoadInProgress() {
    if (_progressType != QVAppStateLoading)
        return;
    _mediaLoader->cancel();
    _currentLoadRun = 0;
    _pendingPaths.clear();
    setAppState(QVAppStateIdle);
    // As a finished load does: the drop that started it has long ended.
    didDragExited();
}

void QVMainAppController::clickCancelLoad() {
    cancelLoadInProgress();
    endLoadingSheet();
    afterListChanged();
}

// ---------------------------------------------------------------------------------------
// Removing rows and the selection

void QVMainAppController::deleteIndexes(std::vector<int> indexes) {
    const int count = getMusicCount();
    // Indexes outside the list are ignored, whatever their source.
    std::erase_if(indexes, [count](int row) { return row < 0 || row >= count; });
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    if (indexes.empty())
        return;

    const int first = indexes.front();
    const int last = indexes.back();
    int chosen = -1;
    if (last != count - 1)
        chosen = last + 1;
    else if (first >= 1)
        chosen = first - 1;
    if (chosen >= 0) // its index once the rows before it are gone
        chosen -= int(std::count_if(indexes.begin(), indexes.end(),
                                    [chosen](int row) { return row < chosen; }));

    _model.removeRowsAt(indexes);
    _model.reloadData();
    if (chosen >= 0)
        selectRows({chosen});
    else if (getMusicCount() > 0)
        selectRows({0});
    else
        _tableView->clearSelection();
    afterListChanged();
}

std::vector<int> QVMainAppController::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : _tableView->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void QVMainAppController::selectRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = _tableView->selectionModel();
    QItemSelection wanted;
    for (int row : rows) {
        if (row >= 0 && row < getMusicCount())
            wanted.select(_model.index(row, 0),
                          _model.index(row, QVFileListModel::ColumnCount - 1));
    }
    selection->select(wanted, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty() && rows.front() >= 0 && rows.front() < getMusicCount()) {
        selection->setCurrentIndex(_model.index(rows.front(), 0), QItemSelectionModel::NoUpdate);
        _tableView->scrollTo(_model.index(rows.front(), 0));
    }
}

void QVMainAppController::deleteSelectedIndexs() {
    deleteIndexes(selectedRows());
}

void QVMainAppController::clickClear() {
    std::vector<int> all(static_cast<size_t>(getMusicCount()));
    std::iota(all.begin(), all.end(), 0);
    deleteIndexes(std::move(all));
}

void QVMainAppController::clickRemoveFiles() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || _progressType != QVAppStateIdle) {
        SystemBeep::beep();
        return;
    }
    deleteIndexes(rows);
}

void QVMainAppController::clickClearFiles() {
    if (_progressType != QVAppStateIdle) {
        SystemBeep::beep();
        return;
    }
    clickClear();
}

bool QVMainAppController::tableViewWriteRowsWithIndexes(const std::vector<int>& rows) {
    if (_progressType == QVAppStateConverting)
        return false;
    _dragIndexSet = rows;
    return true;
}

bool QVMainAppController::tableViewWriteRowsWithIndexesToPasteboard(RMTableView*,
                                                                    const QList<int>& rowIndexes,
                                                                    QMimeData* pasteboard) {
    if (!tableViewWriteRowsWithIndexes(std::vector<int>(rowIndexes.begin(), rowIndexes.end())))
        return false;
    // The rows travel by their indexes, kept here: the drag carries no file names.
    if (pasteboard)
        pasteboard->setData(QLatin1String(QVFileListModel::kRowDragType), QByteArray());
    return true;
}

QStringList QVMainAppController::droppedPaths(const QMimeData* info) {
    QStringList paths;
    if (!info || !info->hasUrls())
        return paths;
    for (const QUrl& url : info->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

Qt::DropAction QVMainAppController::tableViewValidateDropProposedRowProposedDropOperation(
    RMTableView*, const QMimeData* info, int, RMTableViewDropOperation) {
    if (_progressType == QVAppStateConverting || droppedPaths(info).isEmpty())
        return Qt::IgnoreAction;
    didDragEntered();
    return Qt::CopyAction;
}

bool QVMainAppController::tableViewAcceptDropRowDropOperation(RMTableView*, const QMimeData* info,
                                                              int, RMTableViewDropOperation) {
    const QStringList paths = droppedPaths(info);
    if (_progressType == QVAppStateConverting || paths.isEmpty()) {
        didDragExited();
        return false;
    }
    loadAndParseFiles(paths);
    return true;
}

void QVMainAppController::tableViewWillDisplayCellForTableColumnRow(RMTableView*,
                                                                    BDDiscreteProgressCell& cell,
                                                                    int column, int row) {
    if (column == QVFileListModel::ColumnProgress)
        cell.setProgress(_model.progressIndicatorForRow(row));
}

void QVMainAppController::dragRowsToDelete() {
    std::vector<int> rows = std::exchange(_dragIndexSet, {});
    if (_progressType == QVAppStateConverting)
        return;
    deleteIndexes(std::move(rows));
}

void QVMainAppController::moveSelectedTo(int direction) {
    const int count = getMusicCount();
    if (count == 0)
        return;
    const std::vector<int> selected = selectedRows();
    int row = 0;
    if (!selected.empty()) {
        const QModelIndex current = _tableView->selectionModel()->currentIndex();
        const int from = current.isValid() && std::find(selected.begin(), selected.end(),
                                                        current.row()) != selected.end()
                             ? current.row()
                             : selected.front();
        row = direction >= 1 ? from + 1 : from - 1;
    }
    selectRows({std::clamp(row, 0, count - 1)});
}

// ---------------------------------------------------------------------------------------
// Window state

void QVMainAppController::didDragEntered() {
    if (!_dropInTipsView->isVisible())
        return;
    _dropInTipsView->setBHighlighted(true);
}

void QVMainAppController::didDragExited() {
    _dropInTipsView->setBHighlighted(false);
}

void QVMainAppController::checkShouldShowDragTips() {
    if (getMusicCount() != 0) {
        didDragExited();
        _dropInTipsView->hide();
        return;
    }
    _dropInTipsView->setStrPromot(QStringLiteral("Drag Musics Here To Convert"));
    _dropInTipsView->setGeometry(_tableView->viewport()->rect());
    _dropInTipsView->show();
    _dropInTipsView->raise();
}

void QVMainAppController::enableDownOperationButtons(bool enable) {
    const bool converting = _progressType == QVAppStateConverting;
    _popFmts->setEnabled(enable && !converting && _popFmts->count() > 0);
    // During a run the button cancels, so it stays usable.
    _btnStart->setEnabled(converting || (enable && _popFmts->count() > 0));
}

QString QVMainAppController::summaryLine(const QVMusicList& musics) {
    int count = 0;
    double hours = 0.0;
    qint64 bytes = 0;
    for (const auto& music : musics) {
        // A plain stat: QFileInfo costs several times as much, and a big list is summed on
        // the main thread after every change.
        struct stat info {};
        if (::stat(QFile::encodeName(music->strFilePath).constData(), &info) != 0)
            continue;
        ++count;
        bytes += qint64(info.st_size);
        if (music->mediaInfo)
            hours += std::max(0.0, music->mediaInfo->dMovieDuration) / 3600.0;
    }
    if (count == 0)
        return {};
    return QStringLiteral("%1 files, %2 hours, %3 MB")
        .arg(count)
        .arg(NumberText::fromDouble(hours, 1),
             NumberText::fromDouble(double(bytes) / 1048576.0, 1));
}

void QVMainAppController::updateDownTotalFileInfos() {
    const QString reason = startUnavailableReason();
    _tfTips->setText(reason.isEmpty() ? summaryLine(_model.musics()) : reason);
}

bool QVMainAppController::windowShouldClose() {
    if (getMusicCount() != 0 && !_prompts->confirmClose(_window.get()))
        return false;
    // Closing during a load ends it; its rows never arrive.
    cancelLoadInProgress();
    endLoadingSheet();
    if (_progressType == QVAppStateConverting)
        _run->clickCancelAll();
    _model.removeAll();
    afterListChanged();
    return true;
}

void QVMainAppController::clickHelp() {
    const QString home = homepageUrl();
    if (!home.isEmpty())
        Workspace::openURL(QUrl(home + QStringLiteral("/help")));
}

void QVMainAppController::clickMetadata() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || _progressType == QVAppStateConverting)
        return;
    if (!_ctlMetadata) {
        _ctlMetadata = new QVMetadataEditWndCtlr(
            _catalogue, [this] { return _cnvtFmtSetting; }, _window.get());
        _ctlMetadata->setCustomDelegate(this);
        _ctlMetadata->setUserPrompts(_prompts);
    }
    if (rows.size() > 1)
        selectRows({rows.front()});
    _ctlMetadata->setMusicInfo(_model.musicAt(rows.front()));
    _ctlMetadata->show();
    _ctlMetadata->exec();
}

void QVMainAppController::clickStart() {
    _run->clickStart();
}

bool QVMainAppController::doRealConverterTask(const QString& chosenFolder) {
    return _run->doRealConverterTask(chosenFolder);
}

void QVMainAppController::clickCancelAll() {
    _run->clickCancelAll();
}

void QVMainAppController::startConvertOperation() {
    setAppState(QVAppStateConverting);
    _btnStart->setText(QStringLiteral("Cancel"));
    _btnStart->setEnabled(true);
    _model.setConverting(true);
    _model.reloadData();
    _popFmts->setEnabled(false);
    _tableView->setEnabled(false);
    _piCvtProgress->setValue(0);
    // The total progress takes the summary line's place while the run lasts.
    _tfTips->hide();
    _piCvtProgress->show();
    validateActions();
}

void QVMainAppController::setConvertOperationFinshed() {
    setAppState(QVAppStateIdle);
    _btnStart->setText(QStringLiteral("Start"));
    _model.setConverting(false);
    _model.reloadData();
    _tableView->setEnabled(true);
    _piCvtProgress->setValue(0);
    _piCvtProgress->hide();
    _tfTips->show();
    afterListChanged();
}

// ---------------------------------------------------------------------------------------
// Output format and quality

void QVMainAppController::fillFormatPopUp() {
    const QStringList titles = _catalogue.getAllOutputFormats();
    _popFmts->clear();
    _popFmts->addItems(titles);
    _cnvtFmtSetting.reset();
    if (titles.isEmpty()) {
        _popFmts->setEnabled(false);
        return;
    }
    // MP3 when the catalogue has it, else its first format.
    const QString chosen =
        titles.contains(QStringLiteral("MP3")) ? QStringLiteral("MP3") : titles.first();
    _popFmts->setCurrentText(chosen);
    _cnvtFmtSetting = _catalogue.getFormatWithName(chosen);
    // The slider starts where the first format's values stand, so that a look at the sheet
    // leaves what the next format choice gives as it was.
    updateQualitySliderWhenSettingChanged();
}

QString QVMainAppController::startUnavailableReason() const {
    if (_popFmts->count() == 0)
        return QStringLiteral("No output formats are available: the format catalogue is "
                              "missing or empty.");
    return {};
}

QString QVMainAppController::getChooseOutputFmt() const {
    return _popFmts->currentText();
}

void QVMainAppController::chooseFormat(const QString& title, bool fromSettingSheet) {
    _cnvtFmtSetting = _catalogue.getFormatWithName(title);
    if (_cnvtFmtSetting)
        sortFormatSettingParams(&*_cnvtFmtSetting);
    NotificationCenter::defaultCenter().postNotification(
        QLatin1String(Notifications::kOutputFormatChange),
        {{QLatin1String(Notifications::kFormatKey), title}});
    clickSlider();
    if (fromSettingSheet)
        _popFmts->setCurrentText(title);
    validateActions();
}

void QVMainAppController::clickSetting() {
    initSettingUI();
    updateQualitySliderWhenSettingChanged();
    _wndSetting->open();
}

void QVMainAppController::clickOK() {
    if (_wndSetting->isVisible())
        _wndSetting->done(QDialog::Accepted);
    _wndSetting->hide();
}

void QVMainAppController::fillPopUp(QComboBox* pop, const QStringList& titles,
                                    const QString& selected) {
    pop->clear();
    pop->addItems(titles);
    pop->setCurrentIndex(int(titles.indexOf(selected)));
}

void QVMainAppController::initSettingUI() {
    const bool wasUpdating = std::exchange(_updatingSettingUI, true);
    fillPopUp(_wndSetting->popSettingFmts, _catalogue.getAllOutputFormats(),
              _popFmts->currentText());
    _updatingSettingUI = wasUpdating;
    updateSettingUI();
}

void QVMainAppController::updateSettingUI() {
    if (!_cnvtFmtSetting)
        return;
    const bool wasUpdating = std::exchange(_updatingSettingUI, true);
    const QVFormatSetting& setting = *_cnvtFmtSetting;
    fillPopUp(_wndSetting->popBitrate, setting.aryBiteRate, setting.biteRate);
    fillPopUp(_wndSetting->popChannels, setting.aryChannels, setting.channels);
    fillPopUp(_wndSetting->popSampleRate, setting.arySampleRate, setting.sampleRate);
    _updatingSettingUI = wasUpdating;
    updateQualitySliderWhenSettingChanged();
}

void QVMainAppController::updateQualitySliderWhenSettingChanged() {
    if (!_cnvtFmtSetting)
        return;
    const bool wasUpdating = std::exchange(_updatingSettingUI, true);
    _wndSetting->sldQuality->setValue(qualityOfSetting(*_cnvtFmtSetting));
    _updatingSettingUI = wasUpdating;
}

void QVMainAppController::clickSlider() {
    if (!_cnvtFmtSetting)
        return;
    getFormatWithQuality(&*_cnvtFmtSetting, _wndSetting->sldQuality->value());
    updateSettingUI();
}

void QVMainAppController::clickSampleRate() {
    if (!_cnvtFmtSetting || _wndSetting->popSampleRate->currentIndex() < 0)
        return;
    _cnvtFmtSetting->sampleRate = _wndSetting->popSampleRate->currentText();
    updateQualitySliderWhenSettingChanged();
}

void QVMainAppController::clickBitrate() {
    if (!_cnvtFmtSetting || _wndSetting->popBitrate->currentIndex() < 0)
        return;
    _cnvtFmtSetting->biteRate = _wndSetting->popBitrate->currentText();
    updateQualitySliderWhenSettingChanged();
}

void QVMainAppController::clickChannels() {
    if (!_cnvtFmtSetting || _wndSetting->popChannels->currentIndex() < 0)
        return;
    _cnvtFmtSetting->channels = _wndSetting->popChannels->currentText();
    updateQualitySliderWhenSettingChanged();
}

bool QVMainAppController::choiceComesBefore(const QString& a, const QString& b) {
    const int rankA = choiceRank(a);
    const int rankB = choiceRank(b);
    if (rankA != rankB)
        return rankA < rankB;
    if (rankA == 1)
        return NumberText::integerValue(a) > NumberText::integerValue(b);
    return false;
}

void QVMainAppController::sortFormatSettingParams(QVFormatSetting* setting) {
    if (!setting)
        return;
    for (QStringList* list :
         {&setting->arySampleRate, &setting->aryChannels, &setting->aryBiteRate})
        std::stable_sort(list->begin(), list->end(), &QVMainAppController::choiceComesBefore);
}

QVFormatSetting* QVMainAppController::getFormatWithQuality(QVFormatSetting* setting, int quality) {
    if (!setting)
        return nullptr;
    takeChoice(setting->sampleRate, setting->arySampleRate, quality);
    takeChoice(setting->biteRate, setting->aryBiteRate, quality);
    takeChoice(setting->channels, setting->aryChannels, quality);
    return setting;
}

int QVMainAppController::qualityOfSetting(const QVFormatSetting& setting) {
    const auto allAt = [&setting](auto pick) {
        const std::pair<const QString*, const QStringList*> pairs[] = {
            {&setting.sampleRate, &setting.arySampleRate},
            {&setting.biteRate, &setting.aryBiteRate},
            {&setting.channels, &setting.aryChannels}};
        return std::all_of(std::begin(pairs), std::end(pairs), [&pick](const auto& pair) {
            return !pair.second->isEmpty() && *pair.first == pick(*pair.second);
        });
    };
    if (allAt([](const QStringList& list) { return list.last(); }))
        return 0;
    if (allAt([](const QStringList& list) { return list.first(); }))
        return 100;
    return 50;
}
