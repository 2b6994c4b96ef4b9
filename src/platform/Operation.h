#pragma once

#include <atomic>

// One unit of work for an OperationQueue. main() runs on one of the queue's threads;
// cancel() may be called from any thread.
class Operation {
public:
    virtual ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Runs main() unless the operation was cancelled first. Called by the queue.
    void start();
    virtual void main() = 0;

    // Marks the operation cancelled: a queued operation never runs main(). Subclasses that
    // stop running work override it and call this too.
    virtual void cancel();

    bool isCancelled() const { return _cancelled.load(); }
    bool isExecuting() const { return _executing.load(); }
    bool isFinished() const { return _finished.load(); }

protected:
    Operation() = default;

private:
    std::atomic<bool> _cancelled{false};
    std::atomic<bool> _executing{false};
    std::atomic<bool> _finished{false};
};
