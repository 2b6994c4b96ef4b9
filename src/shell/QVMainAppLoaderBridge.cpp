#include "shell/QVMainAppLoaderBridge.h"

#include "engine/QVMusicInfo.h"
#include "platform/MainThreadQueue.h"
#include "shell/QVMainAppController.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <functional>

// Lives on the loader's threads: never touches a widget, never waits for the main thread.
class QVMainAppLoaderBridge::Receiver : public LSMediaLoaderDelegate {
public:
    explicit Receiver(QVMainAppController& controller)
        : _controller(&controller), _loader(std::make_unique<LSMediaLoader>()) {
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
        deliver([runId, name](QVMainAppController& c) { c.loaderStartedMusic(runId, name); });
    }
    void mediaLoaderDidReceiveProgress(LSMediaLoader*, double progress) override {
        const quint64 runId = _currentRun.load();
        deliver([runId, progress](QVMainAppController& c) { c.loaderProgress(runId, progress); });
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
        // The end of a load may open a modal alert: it runs from the controller's own event
        // queue, not inside the delivery of other threads' reports.
        deliver([runId, loaded = std::move(loaded),
                 failedRows = std::move(failedRows)](QVMainAppController& c) {
            QMetaObject::invokeMethod(
                &c,
                [&c, runId, loaded, failedRows] {
                    c.mainSelCompleteLoad(runId, loaded, failedRows);
                },
                Qt::QueuedConnection);
        });
    }

private:
    // Runs a report on the main thread, while the controller lives. Through the main-thread
    // queue, whose lock a thread-sanitizer build sees, rather than Qt's event queue alone.
    void deliver(std::function<void(QVMainAppController&)> report) {
        MainThreadQueue::post([controller = _controller, report = std::move(report)] {
            if (controller)
                report(*controller);
        });
    }

    QPointer<QVMainAppController> _controller; // made on the main thread
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
