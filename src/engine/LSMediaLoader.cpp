#include "engine/LSMediaLoader.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioCreator.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QLocale>

#include <utility>

namespace {

const QImage& audioItemImage() {
    static const QImage image(QStringLiteral(":/bundle/images/AudioItem.png"));
    return image;
}

// Marks a run finished however its thread leaves, so that a later start can reap it.
class FinishedMark {
public:
    explicit FinishedMark(std::atomic<bool>& flag) : _flag(flag) {}
    ~FinishedMark() { _flag.store(true); }
    FinishedMark(const FinishedMark&) = delete;
    FinishedMark& operator=(const FinishedMark&) = delete;

private:
    std::atomic<bool>& _flag;
};

} // namespace

LSMediaLoader::LSMediaLoader() = default;

LSMediaLoader::~LSMediaLoader() {
    cancel();
    std::vector<std::unique_ptr<Run>> runs;
    {
        std::lock_guard lock(_runsMutex);
        runs.swap(_runs);
    }
    for (const std::unique_ptr<Run>& run : runs) {
        if (run->thread.joinable())
            run->thread.join();
    }
}

quint64 LSMediaLoader::loadMediasWithMediaArray(LSMediaArray medias) {
    const quint64 runId = ++_lastRunId;
    if (medias.empty()) {
        if (LSMediaLoaderDelegate* target = delegate())
            target->mediaLoaderDidCompleteLoadMediasFailedIndex(nullptr, nullptr, runId);
        return runId;
    }
    auto run = std::make_unique<Run>();
    run->runId = runId;
    run->medias = std::make_shared<LSMediaArray>(std::move(medias));
    startRun(std::move(run));
    return runId;
}

quint64 LSMediaLoader::loadMediasWithPreparation(Preparation prepare) {
    auto run = std::make_unique<Run>();
    run->runId = ++_lastRunId;
    run->medias = std::make_shared<LSMediaArray>();
    run->prepare = std::move(prepare);
    const quint64 runId = run->runId;
    startRun(std::move(run));
    return runId;
}

void LSMediaLoader::startRun(std::unique_ptr<Run> run) {
    joinFinishedRuns();
    std::lock_guard lock(_runsMutex);
    Run& started = *run;
    _runs.push_back(std::move(run));
    started.thread = std::thread([this, &started] { loadMediasThread(started); });
}

void LSMediaLoader::cancel() {
    // Lock-free, so a delegate may call it from a run's thread at any time (even while the
    // loader is being destroyed). Runs started before this call see their id covered.
    const quint64 last = _lastRunId.load();
    quint64 covered = _canceledUpTo.load();
    while (covered < last && !_canceledUpTo.compare_exchange_weak(covered, last)) {
    }
}

bool LSMediaLoader::isCanceled(const Run& run) const {
    return run.runId <= _canceledUpTo.load();
}

void LSMediaLoader::joinFinishedRuns() {
    std::lock_guard lock(_runsMutex);
    std::erase_if(_runs, [](const std::unique_ptr<Run>& run) {
        if (!run->finished.load())
            return false;
        run->thread.join();
        return true;
    });
}

void LSMediaLoader::completeEmpty(const Run& run) {
    if (LSMediaLoaderDelegate* target = delegate())
        target->mediaLoaderDidCompleteLoadMediasFailedIndex(nullptr, nullptr, run.runId);
}

bool LSMediaLoader::prepareRun(Run& run) {
    if (!run.prepare)
        return true;
    const Preparation prepare = std::exchange(run.prepare, nullptr);
    *run.medias = prepare([this, &run] { return isCanceled(run); });
    if (!isCanceled(run) && !run.medias->empty())
        return true;
    completeEmpty(run);
    return false;
}

void LSMediaLoader::loadMediasThread(Run& run) {
    FinishedMark mark(run.finished);
    if (!prepareRun(run))
        return;
    LSMediaDecoder decoder;
    auto failed = std::make_shared<LSMediaIndexSet>();
    const int count = int(run.medias->size());
    for (int i = 0; i < count; ++i) {
        if (isCanceled(run) || !loadOne(run, decoder, i, *failed)) {
            if (LSMediaLoaderDelegate* target = delegate())
                target->mediaLoaderDidCompleteLoadMediasFailedIndex(nullptr, nullptr, run.runId);
            return;
        }
        if (LSMediaLoaderDelegate* target = delegate())
            target->mediaLoaderDidReceiveProgress(this, double(i + 1) / double(count));
    }
    if (LSMediaLoaderDelegate* target = delegate())
        target->mediaLoaderDidCompleteLoadMediasFailedIndex(run.medias, failed, run.runId);
}

bool LSMediaLoader::loadOne(Run& run, LSMediaDecoder& decoder, int index, LSMediaIndexSet& failed) {
    const std::shared_ptr<QVMusicInfo>& item = (*run.medias)[size_t(index)];
    if (!item || !item->mediaInfo) {
        failed.insert(index);
        return true;
    }
    LSMedia& media = *item->mediaInfo;
    if (LSMediaLoaderDelegate* target = delegate())
        target->mediaLoaderStartLoadMusic(this, item);

    decoder.dumpMediaStreamInfoWithFileMedia(media.strMediaFilePath_, media);
    if (media.eumErrorCode != LSMediaErrorNone) {
        failed.insert(index);
        return true;
    }
    if (media.eumMediaType == LSMediaTypeAudio)
        media.imgThumbnail_ = audioItemImage();
    if (isCanceled(run))
        return false;

    media.dAOBitrate = media.dABitrate / 1000.0;
    media.dAOSamplerate = media.dSamplerate;
    media.iAOChanels = media.iChanels;
    readFileAttributes(media);
    readTags(*item);

    if (LSMediaLoaderDelegate* target = delegate())
        target->mediaLoaderEndLoadMusic(this, item);
    return true;
}

void LSMediaLoader::readFileAttributes(LSMedia& media) {
    const QFileInfo info(media.strMediaFilePath_);
    if (!info.exists())
        return;
    media.strLastModified = modificationDateText(media.strMediaFilePath_);
    media.dFileSize = double(info.size());
}

void LSMediaLoader::readTags(QVMusicInfo& item) {
    // The probed codec picks the reader when the extension lies about the contents.
    const QString codec = item.mediaInfo ? item.mediaInfo->strACodecName : QString();
    std::optional<MTEFfmpegMetadata::Entries> probed;
    if (item.mediaInfo)
        probed = std::exchange(item.mediaInfo->ffmpegTags, std::nullopt);
    std::shared_ptr<MTEAudioFile> handler =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(item.strFilePath, true,
                                                                             codec, probed);
    if (handler)
        item.dicToMetadata = handler->dicReadInfo;
    item.metHandler = std::move(handler);
}

QString LSMediaLoader::modificationDateText(const QString& path) {
    const QDateTime modified = QFileInfo(path).lastModified();
    return QLocale::c().toString(modified, u"d/M/yy H:m A");
}
