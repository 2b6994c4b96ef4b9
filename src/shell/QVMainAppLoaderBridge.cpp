#include "shell/QVMainAppLoaderBridge.h"

#include "engine/QVMusicInfo.h"
#include "shell/QVMainAppController.h"

#include <QFileInfo>
#include <QMetaObject>

#include <atomic>

// Lives on the loader's threads: never touches a widget, never waits for the main thread.
class QVMainAppLoaderBridge::Receiver : public LSMediaLoaderDelegate {
public:
    explicit Receiver(QVMainAppController& controller)
        : _controller(controller), _loader(std::make_unique<LSMediaLoader>()) {
        _loader->setDelegate(this);
    }
    ~Receiver() override {
        // Cancels and joins every thread while this receiver is still whole.
        _loader.reset();
    }

    // Called on the main thread only, so the next id is known before the run starts.
    quint64 load(LSMediaLoader::Preparation prepare) {
        _currentRun = _loader->currentRunId() + 1;
        return _loader->loadMediasWithPreparation(std::move(prepare));
    }
    void cancel() { _loader->cancel(); }

    void mediaLoaderStartLoadMusic(LSMediaLoader*,
                                   const std::shared_ptr<QVMusicInfo>& music) override {
        if (!music)
            return;
        // Only one load at a time is current; reports of a cancelled one stop at its next
        // check, so the latest id names the load being reported.
        const quint64 runId = _currentRun.load();
        const QString name = QFileInfo(music->strFilePath).fileName();
        QMetaObject::invokeMethod(
            &_controller, [c = &_controller, runId, name] { c->loaderStartedMusic(runId, name); },
            Qt::QueuedConnection);
    }
    void mediaLoaderDidReceiveProgress(LSMediaLoader*, double progress) override {
        const quint64 runId = _currentRun.load();
        QMetaObject::invokeMethod(
            &_controller,
            [c = &_controller, runId, progress] { c->loaderProgress(runId, progress); },
            Qt::QueuedConnection);
    }
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray> medias,
                                                     std::shared_ptr<LSMediaIndexSet> failed,
                                                     quint64 runId) override {
        QVMusicList loaded;
        QVMusicList failedRows;
        if (medias) {
            for (size_t i = 0; i < medias->size(); ++i) {
                const bool didFail = failed && failed->count(int(i)) != 0;
                (didFail ? failedRows : loaded).push_back((*medias)[i]);
            }
        }
        QMetaObject::invokeMethod(
            &_controller,
            [c = &_controller, runId, loaded = std::move(loaded),
             failedRows = std::move(failedRows)] {
                c->mainSelCompleteLoad(runId, loaded, failedRows);
            },
            Qt::QueuedConnection);
    }

private:
    QVMainAppController& _controller;
    std::atomic<quint64> _currentRun{0};
    std::unique_ptr<LSMediaLoader> _loader;
};

QVMainAppLoaderBridge::QVMainAppLoaderBridge(QVMainAppController& controller)
    : _receiver(std::make_unique<Receiver>(controller)) {}

QVMainAppLoaderBridge::~QVMainAppLoaderBridge() = default;

quint64 QVMainAppLoaderBridge::load(LSMediaLoader::Preparation prepare) {
    return _receiver->load(std::move(prepare));
}

void QVMainAppLoaderBridge::cancel() {
    _receiver->cancel();
}
