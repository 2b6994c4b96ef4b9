#pragma once

#include "engine/LSMediaLoaderDelegate.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class LSMedia;
class LSMediaDecoder;

// Describes newly added rows on a thread of its own: probes each file, copies the probed
// audio parameters to the output ones, reads size, date and tags. Each run owns its list and
// its thread; runs started one after another go on side by side. Destroying the loader
// cancels every run and waits for its thread.
class LSMediaLoader {
public:
    LSMediaLoader();
    ~LSMediaLoader();
    LSMediaLoader(const LSMediaLoader&) = delete;
    LSMediaLoader& operator=(const LSMediaLoader&) = delete;

    // Starts a run over the items and returns its id at once. An empty list completes at
    // once, on the caller's thread, with null and null. The run writes into the rows: a row
    // must not be in two runs at the same time.
    quint64 loadMediasWithMediaArray(LSMediaArray medias);
    // Makes the items on the run's own thread, then loads them as above: the folder walk
    // of an add, so a big tree never holds up the caller. isCanceled answers true once the
    // run is cancelled. No items, or a cancel during the preparation, completes with null
    // and null.
    using Preparation = std::function<LSMediaArray(const std::function<bool()>& isCanceled)>;
    quint64 loadMediasWithPreparation(Preparation prepare);
    // Stops every run started so far at its next check; later runs are not affected.
    void cancel();
    // The id of the run started last (0 before the first).
    quint64 currentRunId() const { return _lastRunId.load(); }

    LSMediaLoaderDelegate* delegate() const { return _delegate.load(); }
    void setDelegate(LSMediaLoaderDelegate* delegate) { _delegate.store(delegate); }

    // Modification date in the form the list shows ("d/M/yy H:m AM").
    static QString modificationDateText(const QString& path);
    // Reads the tags of a probed row into its handler and its tags to write, with what the
    // probe's libavformat read of them.
    static void readTags(QVMusicInfo& item);

private:
    struct Run {
        quint64 runId = 0;
        std::shared_ptr<LSMediaArray> medias;
        Preparation prepare;
        std::atomic<bool> finished{false};
        std::thread thread;
    };

    void startRun(std::unique_ptr<Run> run);
    void loadMediasThread(Run& run);
    // False when the run ends here: cancelled, or nothing to load.
    bool prepareRun(Run& run);
    void completeEmpty(const Run& run);
    // False when the run was cancelled while the item was probed.
    bool loadOne(Run& run, LSMediaDecoder& decoder, int index, LSMediaIndexSet& failed);
    static void readFileAttributes(LSMedia& media);
    void joinFinishedRuns();
    bool isCanceled(const Run& run) const;

    std::atomic<LSMediaLoaderDelegate*> _delegate{nullptr};
    std::atomic<quint64> _lastRunId{0};
    // Every run whose id is at most this was cancelled (the bCanceled flag of each run).
    std::atomic<quint64> _canceledUpTo{0};
    std::mutex _runsMutex;
    std::vector<std::unique_ptr<Run>> _runs;
};
