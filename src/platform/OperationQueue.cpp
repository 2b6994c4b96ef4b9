#include "platform/OperationQueue.h"

#include "platform/Operation.h"
#include "platform/PoolHandOver.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"

#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

struct OperationQueue::State {
    struct Entry {
        std::shared_ptr<Operation> operation;
        // Set while the runnable waits in the pool; cleared when it starts, so a pointer
        // that is set always names a live, not yet started runnable.
        QRunnable* pendingRunnable = nullptr;
    };

    mutable std::mutex mutex;
    std::condition_variable drained;
    std::vector<Entry> entries;

    std::vector<Entry>::iterator find(const Operation* operation) {
        return std::find_if(entries.begin(), entries.end(),
                            [operation](const Entry& e) { return e.operation.get() == operation; });
    }

    void markStarted(const Operation* operation) {
        const std::lock_guard lock(mutex);
        if (auto it = find(operation); it != entries.end())
            it->pendingRunnable = nullptr;
    }

    void remove(const Operation* operation) {
        const std::lock_guard lock(mutex);
        if (auto it = find(operation); it != entries.end())
            entries.erase(it);
        if (entries.empty())
            drained.notify_all();
    }
};

class OperationQueue::Runnable : public QRunnable {
public:
    Runnable(std::shared_ptr<State> state, std::shared_ptr<Operation> operation)
        : _state(std::move(state)), _operation(std::move(operation)) {}

    void run() override {
        PoolHandOver::receive(this);
        _state->markStarted(_operation.get());
        _operation->start();
        _state->remove(_operation.get());
    }

private:
    std::shared_ptr<State> _state;
    std::shared_ptr<Operation> _operation;
};

OperationQueue::OperationQueue()
    : _state(std::make_shared<State>()), _pool(std::make_unique<QThreadPool>()) {
    _pool->setMaxThreadCount(kDefaultMaxConcurrentOperationCount);
}

OperationQueue::~OperationQueue() {
    cancelAllOperations();
    waitUntilAllOperationsAreFinished();
    _pool->waitForDone();
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
    _pool->setMaxThreadCount(std::max(count, 1));
}

int OperationQueue::maxConcurrentOperationCount() const {
    return _pool->maxThreadCount();
}

void OperationQueue::setMaxConcurrentOperationCountFromUserDefaults() {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const QString key = QString::fromLatin1(PreferenceKeys::kMaxTastKey);
    const qint64 count = defaults.hasObjectForKey(key) ? defaults.integerForKey(key)
                                                       : kDefaultMaxConcurrentOperationCount;
    setMaxConcurrentOperationCount(int(std::clamp<qint64>(count, 1, 1024)));
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation) {
    if (!operation)
        return;
    auto runnable = std::make_unique<Runnable>(_state, operation);
    runnable->setAutoDelete(true);
    {
        const std::lock_guard lock(_state->mutex);
        _state->entries.push_back({std::move(operation), runnable.get()});
    }
    PoolHandOver::publish(runnable.get());
    _pool->start(runnable.release());
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const {
    const std::lock_guard lock(_state->mutex);
    std::vector<std::shared_ptr<Operation>> result;
    result.reserve(_state->entries.size());
    for (const State::Entry& entry : _state->entries)
        result.push_back(entry.operation);
    return result;
}

qsizetype OperationQueue::operationCount() const {
    const std::lock_guard lock(_state->mutex);
    return qsizetype(_state->entries.size());
}

bool OperationQueue::isEmpty() const {
    return operationCount() == 0;
}

void OperationQueue::cancelAllOperations() {
    std::vector<std::shared_ptr<Operation>> waiting;
    std::vector<std::shared_ptr<Operation>> running;
    {
        const std::lock_guard lock(_state->mutex);
        for (const State::Entry& entry : _state->entries)
            (entry.pendingRunnable ? waiting : running).push_back(entry.operation);
    }
    // Waiting operations first, so none of them starts when a running one makes room.
    for (const std::shared_ptr<Operation>& operation : waiting)
        operation->cancel();
    takeBackWaitingRunnables();
    for (const std::shared_ptr<Operation>& operation : running)
        operation->cancel();
}

// Runnables still waiting for a thread are taken back, so they neither run nor hold the
// queue open until a running operation ends.
void OperationQueue::takeBackWaitingRunnables() {
    const std::lock_guard lock(_state->mutex);
    auto& entries = _state->entries;
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->pendingRunnable && _pool->tryTake(it->pendingRunnable)) {
            const std::unique_ptr<QRunnable> taken(it->pendingRunnable);
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
    if (entries.empty())
        _state->drained.notify_all();
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
    std::unique_lock lock(_state->mutex);
    _state->drained.wait(lock, [this] { return _state->entries.empty(); });
}

bool OperationQueue::waitUntilAllOperationsAreFinished(int timeoutMs) {
    std::unique_lock lock(_state->mutex);
    return _state->drained.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [this] { return _state->entries.empty(); });
}
