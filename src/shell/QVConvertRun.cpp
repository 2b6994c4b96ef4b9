#include "shell/QVConvertRun.h"

#include "engine/BDProgressIndicator.h"
#include "engine/ConvertOperation.h"
#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/MainThreadQueue.h"
#include "platform/NumberText.h"
#include "platform/OperationQueue.h"
#include "platform/PreferenceKeys.h"
#include "platform/SystemBeep.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVMainAppController.h"
#include "shell/QVUserPrompts.h"
#include "util/GlobalFun.h"
#include "util/QVFileLocalManager.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

std::atomic<bool> gShouldRemoveAfterConvert{false};

namespace {

constexpr int kNamedFailures = 3;
const QString kUseSource = QStringLiteral("Use Source");

QString key(const char* name) {
    return QString::fromLatin1(name);
}

bool boolForKeyOr(const char* name, bool absent) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    return defaults.hasObjectForKey(key(name)) ? defaults.boolForKey(key(name)) : absent;
}

int convertState(const QVMusicInfo& music) {
    return music.mediaInfo ? music.mediaInfo->eumCvtState.load() : int(LSConvertStateWaiting);
}

} // namespace

QVConvertRun::QVConvertRun(QVMainAppController& controller, std::shared_ptr<QVUserPrompts> prompts,
                           QObject* parent)
    : QObject(parent), _controller(controller), _prompts(std::move(prompts)),
      _folderChooser(&QVOutputFolderPanel::run),
      _now([] { return QDateTime::currentDateTimeUtc(); }),
      _makeFolder(&GlobalFun::MakeSureFolderExsist) {}

QVConvertRun::~QVConvertRun() {
    if (_timerToRefresh)
        _timerToRefresh->stop();
    // Reports still on their way find no delegate; the queue ends what is left.
    for (const auto& job : _jobsAwaitingEnd)
        job->setDelegate(nullptr);
    if (_queueConvertTask) {
        for (const auto& operation : _queueConvertTask->operations()) {
            if (auto* job = dynamic_cast<ConvertOperation*>(operation.get()))
                job->setDelegate(nullptr);
        }
    }
    _queueConvertTask.reset();
    // The jobs have ended: a run cut short by the window's end leaves no empty folder.
    removeEmptyFolders(_madeFolders);
}

void QVConvertRun::setFolderChooser(QVOutputFolderPanel::Chooser chooser) {
    _folderChooser =
        chooser ? std::move(chooser) : QVOutputFolderPanel::Chooser(&QVOutputFolderPanel::run);
}

void QVConvertRun::setNow(std::function<QDateTime()> now) {
    if (now)
        _now = std::move(now);
}

void QVConvertRun::setFolderMaker(FolderMaker maker) {
    _makeFolder = maker ? std::move(maker) : FolderMaker(&GlobalFun::MakeSureFolderExsist);
}

bool QVConvertRun::isRunning() const {
    return _controller.enumAppState() == QVAppStateConverting;
}

// ---------------------------------------------------------------------------------------
// Start

void QVConvertRun::clickStart() {
    if (isRunning()) {
        clickCancelAll();
        return;
    }
    if (_controller.enumAppState() != QVAppStateIdle || _controller.getMusicCount() == 0 ||
        !_controller.currentFormatSetting()) {
        SystemBeep::beep();
        return;
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    QVOutputFolderChoice offered;
    offered.folder = defaults.stringForKey(key(PreferenceKeys::kDefaultOutputPathKey));
    if (offered.folder.isEmpty())
        offered.folder = QVFileLocalManager::getDefaultUpperOutputDir();
    offered.organized = boolForKeyOr(PreferenceKeys::kDefaultSetOrganizedKey, true);
    offered.openWhenDone = boolForKeyOr(PreferenceKeys::kDefaultSetOpenKey, false);

    const std::optional<QVOutputFolderChoice> chosen =
        _folderChooser(_controller.window(), offered);
    if (!chosen || chosen->folder.isEmpty())
        return;
    defaults.setObject(key(PreferenceKeys::kDefaultOutputPathKey), chosen->folder);
    defaults.setBool(key(PreferenceKeys::kDefaultSetOrganizedKey), chosen->organized);
    defaults.setBool(key(PreferenceKeys::kDefaultSetOpenKey), chosen->openWhenDone);
    defaults.synchronize();
    doRealConverterTask(chosen->folder);
}

QString QVConvertRun::getTimeNamedFolder(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyy-MM-dd-HH:mm:ss"));
}

QString QVConvertRun::getTimeNamedFolder() const {
    return getTimeNamedFolder(_now());
}

QString QVConvertRun::colonFreeFolderName(const QString& datedFolder) {
    QString name = datedFolder;
    return name.replace(u':', u'.');
}

QString QVConvertRun::outputFolderFor(const QString& chosenFolder, bool organized,
                                      const QString& formatName, const QString& datedFolder) {
    QString folder = chosenFolder;
    if (organized)
        folder += u'/' + formatName;
    return folder + u'/' + datedFolder;
}

void QVConvertRun::applyFormatSetting(LSMediaFields& m, const QVFormatSetting& setting) {
    m.dAOBitrate = setting.biteRate == kUseSource ? m.dABitrate / 1000.0
                                                  : NumberText::doubleValue(setting.biteRate);
    m.dAOSamplerate = setting.sampleRate == kUseSource
                          ? m.dSamplerate
                          : NumberText::doubleValue(setting.sampleRate);
    if (setting.channels == kUseSource)
        m.iAOChanels = m.iChanels;
    else if (setting.channels == QLatin1String("Stereo"))
        m.iAOChanels = 2;
    else
        m.iAOChanels = 1;
    m.vOACodecName = setting.decodecName;
    m.strOutFileExt = setting.outputExtName;
    m.eumDestFmtType = LSDestFmtTypeAudio;
}

// A folder the run can write into: made when missing, and a file can be created in it.
bool QVConvertRun::isWritableFolder(const QString& folder) const {
    if (!_makeFolder(folder) || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.quaverly-write-check-XXXXXX"));
    return probe.open();
}

QStringList QVConvertRun::missingFolders(const QString& chosenFolder, const QString& runFolder) {
    const QString top = QDir::cleanPath(chosenFolder);
    QStringList missing;
    for (QString folder = QDir::cleanPath(runFolder);
         folder.size() > top.size() && folder.startsWith(top) && !QFileInfo::exists(folder);
         folder = QFileInfo(folder).path())
        missing << folder;
    return missing;
}

void QVConvertRun::removeEmptyFolders(const QStringList& folders) {
    // rmdir removes only an empty folder: whatever holds a file, even a hidden one, stays.
    for (const QString& folder : folders)
        QDir().rmdir(folder);
}

QString QVConvertRun::prepareOutputFolder(const QString& chosenFolder, bool organized,
                                          const QString& formatName) {
    const QString dated = getTimeNamedFolder();
    const QString folder = outputFolderFor(chosenFolder, organized, formatName, dated);
    // FAT and exFAT refuse ':' in a name.
    const QString colonFree =
        outputFolderFor(chosenFolder, organized, formatName, colonFreeFolderName(dated));
    // Taken before either is tried: a failed try may leave the format's folder behind.
    const QStringList missing = missingFolders(chosenFolder, folder);
    const QStringList colonFreeMissing = missingFolders(chosenFolder, colonFree);
    _madeFolders.clear();
    if (isWritableFolder(folder)) {
        _madeFolders = missing;
        return folder;
    }
    if (isWritableFolder(colonFree)) {
        _madeFolders = colonFreeMissing;
        return colonFree;
    }
    removeEmptyFolders(missing + colonFreeMissing);
    _prompts->showAlert(
        _controller.window(), QStringLiteral("The output folder cannot be written to."),
        QStringLiteral("%1\nNothing was converted. Please choose another output folder.")
            .arg(QDir::toNativeSeparators(folder)));
    return {};
}

bool QVConvertRun::doRealConverterTask(const QString& chosenFolder) {
    const auto& setting = _controller.currentFormatSetting();
    if (_controller.enumAppState() != QVAppStateIdle || _controller.getMusicCount() == 0 ||
        !setting || chosenFolder.isEmpty()) {
        SystemBeep::beep();
        return false;
    }
    const bool organized = boolForKeyOr(PreferenceKeys::kDefaultSetOrganizedKey, true);
    const QString formatTitle = _controller.getChooseOutputFmt();
    // One clear alert before anything starts, rather than one failure per row.
    const QString outputFolder = prepareOutputFolder(chosenFolder, organized, setting->fmtName);
    if (outputFolder.isEmpty())
        return false;

    if (!_queueConvertTask)
        _queueConvertTask = std::make_unique<OperationQueue>();
    // Below 1 counts as 1.
    _queueConvertTask->setMaxConcurrentOperationCountFromUserDefaults();

    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    gShouldRemoveAfterConvert.store(
        defaults.boolForKey(key(PreferenceKeys::kRemoveAfterConverteKey)));
    gShouldCopyMetadata.store(defaults.boolForKey(key(PreferenceKeys::kCopyMetadataKey)));

    _totalConvertOps = _controller.getMusicCount();
    _controller.startConvertOperation();

    const QString playlistName = defaults.stringForKey(key(PreferenceKeys::kiTunesPlaylistNameKey));
    // The playlist takes only the formats the preferences window offers for it.
    const bool sendToPlaylist = defaults.boolForKey(key(PreferenceKeys::kAutoSyncKey)) &&
                                QVDataEngine::itunesFormats().contains(formatTitle);

    _maryMusicsCopy = _controller.fileList().musics();
    _strOutputPath = outputFolder;
    _jobsAwaitingEnd.clear();
    _waitingForReports = false;
    const QVFormatSetting runSetting = *setting;
    for (const auto& music : _maryMusicsCopy)
        queueJob(music, runSetting, formatTitle, sendToPlaylist, playlistName);

    _timerToRefresh = std::make_unique<QTimer>();
    _timerToRefresh->setInterval(kRefreshIntervalMs);
    connect(_timerToRefresh.get(), &QTimer::timeout, this, &QVConvertRun::refreshTimeFired);
    _timerToRefresh->start();
    return true;
}

void QVConvertRun::queueJob(const std::shared_ptr<QVMusicInfo>& music,
                            const QVFormatSetting& setting, const QString& formatTitle,
                            bool sendToPlaylist, const QString& playlistName) {
    music->strMusicType = formatTitle;
    music->dConvertProgress.store(QVProgressWaiting);
    if (!music->mediaInfo)
        return;
    LSMedia& media = *music->mediaInfo;
    media.dProgress.store(0.0);
    applyFormatSetting(media, setting);
    music->bIsSendingToiTunes = sendToPlaylist;
    music->striTunesPlaylistName = playlistName;

    // The job takes the row's parameters now.
    std::shared_ptr<ConvertOperation> job = ConvertOperation::initWithMedia(music);
    job->setStrOutFilePath(_strOutputPath);
    job->setDelegate(this);
    _jobsAwaitingEnd.push_back(job);
    _queueConvertTask->addOperation(job);
}

// ---------------------------------------------------------------------------------------
// Refreshing and the end of the run

void QVConvertRun::refreshUIOnMainThreadWhenConvert() {
    _controller.fileList().reloadData();
    _controller.totalProgress()->setValue(int(std::lround(getTotalConvertProgress() * 100.0)));
}

void QVConvertRun::refreshTimeFired() {
    refreshUIOnMainThreadWhenConvert();
    if (!_queueConvertTask || !_queueConvertTask->isEmpty())
        return;
    if (_jobsAwaitingEnd.empty()) {
        setConvertOperationFinshed();
        return;
    }
    if (_waitingForReports)
        return;
    // The queue is empty, so every job that ran has already sent its last report; this
    // comes after all of them.
    _waitingForReports = true;
    MainThreadQueue::post([self = QPointer<QVConvertRun>(this)] {
        if (self)
            self->whenReportsDelivered();
    });
}

void QVConvertRun::whenReportsDelivered() {
    _waitingForReports = false;
    if (!isRunning())
        return;
    // What is left never ran: a cancel took it out of the queue before it started.
    for (const auto& job : _jobsAwaitingEnd) {
        job->setDelegate(nullptr);
        const auto music = job->musicToConvert();
        if (!job->isCancelled())
            qWarning("A conversion job left the queue without reporting its end");
        if (music)
            music->dConvertProgress.store(QVProgressCanceled);
    }
    _jobsAwaitingEnd.clear();
    setConvertOperationFinshed();
}

QString QVConvertRun::summaryText(int succeeded, const QStringList& failedNames) {
    QString text = QStringLiteral("%1 files has been successfully converted. ").arg(succeeded);
    if (failedNames.isEmpty())
        return text;
    text += QStringLiteral("Except %1 files failed,including:").arg(failedNames.size());
    for (qsizetype i = 0; i < std::min<qsizetype>(failedNames.size(), kNamedFailures); ++i)
        text += QStringLiteral(" \n") + failedNames.at(i);
    if (failedNames.size() > kNamedFailures)
        text += QStringLiteral("...");
    return text;
}

void QVConvertRun::setConvertOperationFinshed() {
    if (!isRunning())
        return;
    if (_timerToRefresh) {
        _timerToRefresh->stop();
        _timerToRefresh.reset();
    }
    refreshUIOnMainThreadWhenConvert();
    _controller.setConvertOperationFinshed();

    // Only a job that succeeded counts as converted.
    int succeeded = 0;
    QStringList failedNames;
    for (const auto& music : _maryMusicsCopy) {
        const int state = convertState(*music);
        if (state == LSConvertStateSucceeded)
            ++succeeded;
        else if (state == LSConvertStateFailed)
            failedNames << QVFileListModel::fileNameWithoutExtension(music->strFilePath);
    }
    const QString summary = summaryText(succeeded, failedNames);
    _prompts->showAlert(_controller.window(), summary, QString(),
                        failedNames.isEmpty() ? QVUserPrompts::AlertStyle::Information
                                              : QVUserPrompts::AlertStyle::Warning);

    // A run that wrote nothing (stopped, or every row failed) leaves no empty folder behind.
    removeEmptyFolders(std::exchange(_madeFolders, {}));
    _controller.checkShouldShowDragTips();
    _controller.enableDownOperationButtons(_controller.getMusicCount() != 0);
    _controller.updateDownTotalFileInfos();
    if (boolForKeyOr(PreferenceKeys::kDefaultSetOpenKey, false) &&
        QFileInfo(_strOutputPath).isDir())
        Workspace::openFile(_strOutputPath);
    Q_EMIT runDidEnd(summary);
}

double QVConvertRun::getTotalConvertProgress() const {
    return getTotalConvertProgress(_maryMusicsCopy);
}

double QVConvertRun::getTotalConvertProgress(const QVMusicList& snapshot) {
    if (snapshot.empty())
        return 0.0;
    double sum = 0.0;
    for (const auto& music : snapshot) {
        const double progress = music->dConvertProgress.load();
        if (progress == QVProgressFailed || progress == QVProgressCanceled ||
            progress == QVProgressSyncing)
            sum += 100.0;
        else if (progress > 0.0)
            sum += std::min(progress, 100.0);
    }
    return sum / (double(snapshot.size()) * 100.0);
}

// ---------------------------------------------------------------------------------------
// Cancelling

void QVConvertRun::clickCancelAll() {
    if (!_queueConvertTask)
        return;
    const auto operations = _queueConvertTask->operations();
    // Cancels every job; those still waiting for a thread leave the queue at once.
    _queueConvertTask->cancelAllOperations();
    for (const auto& operation : operations) {
        const auto* job = dynamic_cast<const ConvertOperation*>(operation.get());
        const auto music = job ? job->musicToConvert() : nullptr;
        // A job whose outcome was already known keeps it.
        if (music && convertState(*music) == LSConvertStateCanceled)
            music->dConvertProgress.store(QVProgressCanceled);
    }
    refreshUIOnMainThreadWhenConvert();
}

// ---------------------------------------------------------------------------------------
// The jobs' reports

bool QVConvertRun::forgetJob(ConvertOperation* operation) {
    const auto it = std::find_if(_jobsAwaitingEnd.begin(), _jobsAwaitingEnd.end(),
                                 [operation](const auto& job) { return job.get() == operation; });
    if (it == _jobsAwaitingEnd.end())
        return false;
    _jobsAwaitingEnd.erase(it);
    return true;
}

void QVConvertRun::didConvertOperationStart(ConvertOperation* operation) {
    if (const auto music = operation->musicToConvert())
        music->dConvertProgress.store(0.0);
    _controller.fileList().reloadData();
}

void QVConvertRun::convertOperationHandleProgress(ConvertOperation* operation, double percent) {
    const auto music = operation->musicToConvert();
    if (music && std::isfinite(percent))
        music->dConvertProgress.store(std::clamp(percent, 0.0, 100.0));
    _controller.fileList().reloadData();
}

void QVConvertRun::convertStartSync(ConvertOperation* operation) {
    // Reports arrive after the fact: the hand-off may already be over, but it has begun.
    if (const auto music = operation->musicToConvert())
        music->dConvertProgress.store(QVProgressSyncing);
    _controller.fileList().reloadData();
}

void QVConvertRun::didConvertOperationFinish(ConvertOperation* operation) {
    if (forgetJob(operation) && _jobsAwaitingEnd.empty()) {
        // The last report: the run ends now rather than at the next tick. Queued, so the
        // summary's modal alert does not run inside the delivery of reports.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isRunning() && _jobsAwaitingEnd.empty())
                    setConvertOperationFinshed();
            },
            Qt::QueuedConnection);
    }
    const auto music = operation->musicToConvert();
    if (!music)
        return;
    switch (convertState(*music)) {
    case LSConvertStateCanceled:
        music->dConvertProgress.store(QVProgressCanceled);
        break;
    case LSConvertStateFailed:
        music->dConvertProgress.store(QVProgressFailed);
        break;
    case LSConvertStateSucceeded:
        music->dConvertProgress.store(100.0);
        if (gShouldRemoveAfterConvert.load())
            removeConvertedRow(music);
        break;
    default: // never converted: stays Waiting
        break;
    }
    _controller.fileList().reloadData();
}

void QVConvertRun::removeConvertedRow(const std::shared_ptr<QVMusicInfo>& music) {
    const QVMusicList& rows = _controller.fileList().musics();
    const auto it = std::find(rows.begin(), rows.end(), music);
    if (it == rows.end())
        return;
    if (const auto bar = music->discreteProgress())
        bar->setHidden(true);
    _controller.fileList().removeRowsAt({int(it - rows.begin())});
    _controller.validateToolbarItems();
}
