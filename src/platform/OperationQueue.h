#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

class Operation;
class QThreadPool;

// Runs operations on a thread pool, at most maxConcurrentOperationCount at once, in the
// order they were added. An operation stays in the queue until its main() has returned
// (or, when cancelled before it started, until it has been dropped).
// Every member may be called from any thread.
class OperationQueue {
public:
    static constexpr int kDefaultMaxConcurrentOperationCount = 5;

    OperationQueue();
    // Cancels what is left and waits for the running operations to return.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    // Never fewer than 1.
    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;
    // Takes the count from "com.qvl.MaxTastKey"; 5 when the key is missing.
    void setMaxConcurrentOperationCountFromUserDefaults();

    void addOperation(std::shared_ptr<Operation> operation);
    // The queued and running operations, in the order they were added.
    std::vector<std::shared_ptr<Operation>> operations() const;
    qsizetype operationCount() const;
    bool isEmpty() const;

    // Cancels every operation; those that have not started are dropped at once.
    void cancelAllOperations();
    void waitUntilAllOperationsAreFinished();
    // False when operations are still in the queue after timeoutMs.
    bool waitUntilAllOperationsAreFinished(int timeoutMs);

private:
    void takeBackWaitingRunnables();

    struct State;
    class Runnable;
    std::shared_ptr<State> _state;
    std::unique_ptr<QThreadPool> _pool;
};
