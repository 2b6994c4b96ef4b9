#pragma once

#include <QtGlobal>

#include <memory>
#include <set>
#include <vector>

class LSMediaLoader;
class QVMusicInfo;

using LSMediaArray = std::vector<std::shared_ptr<QVMusicInfo>>;
using LSMediaIndexSet = std::set<int>;

// Receives a loader's reports. Every method is optional and is called on the loader's own
// thread (the completion of an empty request on the caller's): post to the main thread,
// never block on it. Held as a non-owning pointer.
class LSMediaLoaderDelegate {
public:
    virtual ~LSMediaLoaderDelegate() = default;

    // Before an item is probed.
    virtual void mediaLoaderStartLoadMusic(LSMediaLoader* loader,
                                           const std::shared_ptr<QVMusicInfo>& music) {
        (void)loader;
        (void)music;
    }
    // After an item was probed without error and its tags were read.
    virtual void mediaLoaderEndLoadMusic(LSMediaLoader* loader,
                                         const std::shared_ptr<QVMusicInfo>& music) {
        (void)loader;
        (void)music;
    }
    // (i + 1) / count after item i, failed or not.
    virtual void mediaLoaderDidReceiveProgress(LSMediaLoader* loader, double progress) {
        (void)loader;
        (void)progress;
    }
    // Once at the end of a run: the run's list (the delegate may keep and change it) and the
    // indices of the items that failed to probe; both null for an empty request or a
    // cancelled run. runId is what loadMediasWithMediaArray returned for the run, so a late
    // completion of an older run can be told from the current one.
    virtual void
    mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray> medias,
                                                std::shared_ptr<LSMediaIndexSet> failed,
                                                quint64 runId) {
        (void)medias;
        (void)failed;
        (void)runId;
    }
};
