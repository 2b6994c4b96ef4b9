#pragma once

#include "engine/LSMediaTypes.h"
#include "engine/QVFormatSetting.h"
#include "shell/QVFileListModel.h"
#include "shell/QVMetadataEditWndCtlrDelegate.h"
#include "utils/VTWatchedObject.h"
#include "views/RMTableViewDataSource.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QToolBar;
class QWidget;
class QVMainWindow;
class RMTableView;
class VTDropInTipsView_Before;
class QVDataEngine;
class QVLoadingSheet;
class QVSettingSheet;
class QVUserPrompts;
class QVMainAppLoaderBridge;
class QVConvertRun;
class QVMetadataEditWndCtlr;

// The main window ("ConverterMainWindow") and its file list: adding files (open panel,
// drops, folder expansion, duplicates, probing behind a loading sheet), removing and
// selecting rows, the summary line, the output format and its settings sheet, and the
// window's state (idle, loading, converting). Everything here runs on the main thread.
class QVMainAppController : public QObject,
                            public RMTableViewDataSource,
                            public QVMetadataEditWndCtlrDelegate {
    Q_OBJECT
public:
    // Extensions the open panel offers, in the order the panel lists them.
    static const QStringList& allowedFileTypes();

    // prompts: the dialogs to use (the widget dialogs when null); catalogue: the formats.
    explicit QVMainAppController(QVDataEngine& catalogue,
                                 std::shared_ptr<QVUserPrompts> prompts = nullptr,
                                 QObject* parent = nullptr);
    ~QVMainAppController() override;

    QMainWindow* window() const;
    void showWindow();

    QVAppState enumAppState() const { return _progressType; }
    int getMusicCount() const;
    QVFileListModel& fileList() { return _model; }
    const QVFileListModel& fileList() const { return _model; }

    // Adding files.
    void clickAddFiles();
    // Refused (with a beep) during a run; while a load runs the paths wait for it to end.
    void loadAndParseFiles(const QStringList& paths);
    void clickCancelLoad();
    // Ends a load on the main thread with the rows that loaded and those that failed. A
    // completion of any load but the current one is ignored.
    void mainSelCompleteLoad(quint64 runId, const QVMusicList& loaded, const QVMusicList& failed);
    static QString failedLoadMessage(const QVMusicList& failed);

    // Removing rows and moving the selection.
    void deleteIndexes(std::vector<int> indexes);
    void deleteSelectedIndexs();
    void clickClear();
    void clickRemoveFiles();
    void clickClearFiles();
    // Records the rows of a drag out of the table; refused during a run.
    bool tableViewWriteRowsWithIndexes(const std::vector<int>& rows);
    void dragRowsToDelete() override;
    void moveSelectedTo(int direction);
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);

    // The table's data source: drags, drops and the progress cells.
    bool tableViewWriteRowsWithIndexesToPasteboard(RMTableView* tableView,
                                                   const QList<int>& rowIndexes,
                                                   QMimeData* pasteboard) override;
    Qt::DropAction tableViewValidateDropProposedRowProposedDropOperation(
        RMTableView* tableView, const QMimeData* info, int row,
        RMTableViewDropOperation operation) override;
    bool tableViewAcceptDropRowDropOperation(RMTableView* tableView, const QMimeData* info, int row,
                                             RMTableViewDropOperation operation) override;
    void tableViewWillDisplayCellForTableColumnRow(RMTableView* tableView,
                                                   BDDiscreteProgressCell& cell, int column,
                                                   int row) override;
    // Local files a drag carries.
    static QStringList droppedPaths(const QMimeData* info);

    // Window state.
    void didDragEntered() override;
    void didDragExited() override;
    void checkShouldShowDragTips();
    void enableDownOperationButtons(bool enable);
    void updateDownTotalFileInfos();
    static QString summaryLine(const QVMusicList& musics);
    bool windowShouldClose();
    void clickHelp();
    // Opens the metadata editor for the first selected row (the selection is reduced to
    // it) and runs it modally. Nothing happens without a selection or during a run.
    void clickMetadata();
    // Made on first use; null until then.
    QVMetadataEditWndCtlr* metadataEditor() const { return _ctlMetadata; }

    // The batch run: Start (during a run: cancel), the run into a chosen folder, cancel all.
    void clickStart();
    bool doRealConverterTask(const QString& chosenFolder);
    void clickCancelAll();
    QVConvertRun& convertRun() const { return *_run; }

    // The run's looks, for the batch run to drive.
    void startConvertOperation();
    void setConvertOperationFinshed();
    // Enables the toolbar items and gives Start its look for the current state.
    void validateToolbarItems() { validateActions(); }

    // Output format and quality.
    QString getChooseOutputFmt() const;
    const std::optional<QVFormatSetting>& currentFormatSetting() const { return _cnvtFmtSetting; }
    // Empty when a run may start; otherwise why not.
    QString startUnavailableReason() const;
    void chooseFormat(const QString& title, bool fromSettingSheet);
    void clickSetting();
    void clickOK();
    void clickSlider();
    void clickSampleRate();
    void clickBitrate();
    void clickChannels();
    void initSettingUI();
    void updateSettingUI();
    void updateQualitySliderWhenSettingChanged();
    static void sortFormatSettingParams(QVFormatSetting* setting);
    static QVFormatSetting* getFormatWithQuality(QVFormatSetting* setting, int quality);
    // The slider position that a setting's current values stand for: 0, 50 or 100.
    static int qualityOfSetting(const QVFormatSetting& setting);
    // Strict weak order of choice texts: other words first (in their order), then numbers
    // from the largest down, then "Stereo", then "Mono".
    static bool choiceComesBefore(const QString& a, const QString& b);

    // Parts of the window, for the menus, the batch run and tests.
    RMTableView* tableView() const { return _tableView; }
    QComboBox* formatPopUp() const { return _popFmts; }
    QPushButton* settingButton() const { return _btnSetting; }
    QLabel* tipsLabel() const { return _tfTips; }
    QProgressBar* totalProgress() const { return _piCvtProgress; }
    VTDropInTipsView_Before* dropInTipsView() const { return _dropInTipsView; }
    QVLoadingSheet* loadingSheet() const { return _wndProgress; }
    QVSettingSheet* settingSheet() const { return _wndSetting; }
    QToolBar* toolBar() const { return _toolBar; }
    QAction* addFilesAction() const { return _actAdd; }
    QAction* removeFilesAction() const { return _actRemove; }
    QAction* clearFilesAction() const { return _actClear; }
    QAction* startAction() const { return _actStart; }
    QAction* metadataAction() const { return _actMetadata; }
    QPushButton* startButton() const { return _btnStart; }

Q_SIGNALS:
    // The state or the number of rows changed: menus and toolbar validate again.
    void stateChanged();
    // The main window agreed to close and is closing.
    void windowWillClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class QVMainAppLoaderBridge;

    void awakeFromNib();
    void buildWindow();
    QWidget* buildBottomBar();
    void buildToolBar();
    void fillFormatPopUp();
    void setAppState(QVAppState state);
    void validateActions();
    void afterListChanged();
    void startLoad(const QStringList& paths);
    void endLoadingSheet();
    void loaderStartedMusic(quint64 runId, const QString& fileName);
    void loaderProgress(quint64 runId, double fraction);
    void cancelLoadInProgress();
    void fillPopUp(QComboBox* pop, const QStringList& titles, const QString& selected);

    QVDataEngine& _catalogue;
    std::shared_ptr<QVUserPrompts> _prompts;
    QVFileListModel _model;
    std::unique_ptr<QVMainWindow> _window;

    RMTableView* _tableView = nullptr;
    VTWatchedObject<QMainWindow> _watchedWindow;
    VTWatchedObject<QWidget> _watchedViewport;
    VTDropInTipsView_Before* _dropInTipsView = nullptr;
    QComboBox* _popFmts = nullptr;
    QPushButton* _btnSetting = nullptr;
    QLabel* _tfTips = nullptr;
    QProgressBar* _piCvtProgress = nullptr;
    QToolBar* _toolBar = nullptr;
    QAction* _actAdd = nullptr;
    QAction* _actRemove = nullptr;
    QAction* _actClear = nullptr;
    QAction* _actStart = nullptr;
    QAction* _actMetadata = nullptr;
    QPushButton* _btnStart = nullptr;
    QVLoadingSheet* _wndProgress = nullptr;
    QVSettingSheet* _wndSetting = nullptr;
    // A child of the main window, which owns it.
    QVMetadataEditWndCtlr* _ctlMetadata = nullptr;

    std::optional<QVFormatSetting> _cnvtFmtSetting;
    std::vector<int> _dragIndexSet;
    QVAppState _progressType = QVAppStateIdle;
    bool _updatingSettingUI = false;

    std::unique_ptr<QVMainAppLoaderBridge> _mediaLoader;
    quint64 _currentLoadRun = 0;
    QStringList _pendingPaths;

    std::unique_ptr<QVConvertRun> _run;
};
