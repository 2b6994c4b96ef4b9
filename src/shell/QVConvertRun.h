#pragma once

#include "engine/ConvertOperationDelegate.h"
#include "engine/LSMedia.h"
#include "engine/QVFormatSetting.h"
#include "shell/QVFileListModel.h"
#include "shell/QVOutputFolderPanel.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class ConvertOperation;
class OperationQueue;
class QTimer;
class QVMainAppController;
class QVMusicInfo;
class QVUserPrompts;

// Drop each converted row from the list. Set at the start of every run.
extern std::atomic<bool> gShouldRemoveAfterConvert;

// The batch conversion run of the main window: the output-folder panel, one conversion
// job per row on the operation queue, the 0.4 s refresh of the table and the total
// progress, cancelling, and the summary at the end. Lives on the main thread; the jobs'
// reports reach it there.
//
// A run ends when the queue is empty and every job it started has reported its end; a job
// that a cancel took out of the queue before it started never reports, and counts as
// ended once every report sent before the queue emptied has been delivered.
class QVConvertRun : public QObject, public ConvertOperationDelegate {
    Q_OBJECT
public:
    static constexpr int kRefreshIntervalMs = 400;

    QVConvertRun(QVMainAppController& controller, std::shared_ptr<QVUserPrompts> prompts,
                 QObject* parent = nullptr);
    ~QVConvertRun() override;

    // Replaces the output-folder panel (tests answer without a screen).
    void setFolderChooser(QVOutputFolderPanel::Chooser chooser);
    // Replaces the clock that names the run's folder.
    void setNow(std::function<QDateTime()> now);
    // Replaces how the run's folder is made (true when it exists afterwards).
    using FolderMaker = std::function<bool(const QString& folder)>;
    void setFolderMaker(FolderMaker maker);

    // Start, or during a run cancel.
    void clickStart();
    // Prepares and queues the run into the chosen folder; false when nothing started.
    bool doRealConverterTask(const QString& chosenFolder);
    void clickCancelAll();
    bool isRunning() const;

    // The run's folder name: the UTC date and time as YYYY-MM-DD-HH:MM:SS.
    static QString getTimeNamedFolder(const QDateTime& when);
    QString getTimeNamedFolder() const;
    // The dated name as FAT and exFAT accept it: '.' in place of ':'.
    static QString colonFreeFolderName(const QString& datedFolder);
    // Where this run writes: the chosen folder, the format's name when organised, the
    // dated folder.
    static QString outputFolderFor(const QString& chosenFolder, bool organized,
                                   const QString& formatName, const QString& datedFolder);
    // The folders from the chosen one down to the run's folder that do not exist yet,
    // deepest first; never the chosen folder itself.
    static QStringList missingFolders(const QString& chosenFolder, const QString& runFolder);
    // Removes each of these folders that is empty, in order; folders holding anything stay.
    static void removeEmptyFolders(const QStringList& folders);
    // A row's output parameters from the format setting and its source.
    static void applyFormatSetting(LSMediaFields& media, const QVFormatSetting& setting);

    // Total progress of the snapshot as a fraction 0..1.
    double getTotalConvertProgress() const;
    static double getTotalConvertProgress(const QVMusicList& snapshot);
    // The end-of-run alert's title.
    static QString summaryText(int succeeded, const QStringList& failedNames);

    const QVMusicList& snapshot() const { return _maryMusicsCopy; }
    QString outputPath() const { return _strOutputPath; }
    int totalConvertOps() const { return _totalConvertOps; }
    OperationQueue* queue() const { return _queueConvertTask.get(); }

    // ConvertOperationDelegate, on the main thread.
    void didConvertOperationStart(ConvertOperation* operation) override;
    void convertOperationHandleProgress(ConvertOperation* operation, double percent) override;
    void convertStartSync(ConvertOperation* operation) override;
    void didConvertOperationFinish(ConvertOperation* operation) override;

Q_SIGNALS:
    // The run has ended; summary is the alert's title.
    void runDidEnd(const QString& summary);

private:
    void refreshTimeFired();
    void refreshUIOnMainThreadWhenConvert();
    void whenReportsDelivered();
    void setConvertOperationFinshed();
    bool isWritableFolder(const QString& folder) const;
    // The run's folder, made and writable; empty (after telling the user) when neither the
    // dated name nor its colon-free form can be made.
    QString prepareOutputFolder(const QString& chosenFolder, bool organized,
                                const QString& formatName);
    void queueJob(const std::shared_ptr<QVMusicInfo>& music, const QVFormatSetting& setting,
                  const QString& formatTitle, bool sendToPlaylist, const QString& playlistName);
    void removeConvertedRow(const std::shared_ptr<QVMusicInfo>& music);
    bool forgetJob(ConvertOperation* operation);

    QVMainAppController& _controller;
    std::shared_ptr<QVUserPrompts> _prompts;
    QVOutputFolderPanel::Chooser _folderChooser;
    std::function<QDateTime()> _now;
    FolderMaker _makeFolder;

    std::unique_ptr<OperationQueue> _queueConvertTask;
    std::unique_ptr<QTimer> _timerToRefresh;
    QVMusicList _maryMusicsCopy;
    QString _strOutputPath;
    // Folders this run made, deepest first: those it leaves empty go at its end.
    QStringList _madeFolders;
    int _totalConvertOps = 0;
    // Jobs of this run that have not reported their end yet.
    std::vector<std::shared_ptr<ConvertOperation>> _jobsAwaitingEnd;
    bool _waitingForReports = false;
};
