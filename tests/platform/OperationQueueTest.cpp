#include "support/TestEnvironment.h"

#include "platform/Operation.h"
#include "platform/OperationQueue.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Counts how many operations run at once.
struct Concurrency {
    std::atomic<int> now{0};
    std::atomic<int> most{0};
    std::atomic<int> ran{0};
};

class CountingOperation : public Operation {
public:
    explicit CountingOperation(Concurrency& c) : _c(c) {}
    void main() override {
        const int running = ++_c.now;
        int seen = _c.most.load();
        while (running > seen && !_c.most.compare_exchange_weak(seen, running)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        --_c.now;
        ++_c.ran;
    }

private:
    Concurrency& _c;
};

// Runs until released or cancelled.
class BlockingOperation : public Operation {
public:
    void main() override {
        started = true;
        std::unique_lock lock(_mutex);
        _cv.wait(lock, [this] { return _released || isCancelled(); });
    }
    void cancel() override {
        const std::lock_guard lock(_mutex);
        Operation::cancel();
        _cv.notify_all();
    }
    void release() {
        const std::lock_guard lock(_mutex);
        _released = true;
        _cv.notify_all();
    }
    std::atomic<bool> started{false};

private:
    std::mutex _mutex;
    std::condition_variable _cv;
    bool _released = false;
};

void waitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 5000 && !flag; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST(OperationQueue, NeverRunsMoreThanItsWidth) {
    for (const int width : {0, 1, 3}) {
        SCOPED_TRACE(width);
        Concurrency c;
        OperationQueue queue;
        queue.setMaxConcurrentOperationCount(width);
        EXPECT_EQ(queue.maxConcurrentOperationCount(), std::max(width, 1));
        for (int i = 0; i < 12; ++i)
            queue.addOperation(std::make_shared<CountingOperation>(c));
        queue.waitUntilAllOperationsAreFinished();
        EXPECT_EQ(c.ran.load(), 12);
        EXPECT_LE(c.most.load(), std::max(width, 1));
        EXPECT_TRUE(queue.isEmpty());
    }
}

TEST(OperationQueue, WidthComesFromTheUserDefaults) {
    struct Case {
        const char* stored; // nullptr: key missing
        int width;
    };
    const Case cases[] = {{nullptr, 5}, {"3", 3}, {"0", 1}, {"-4", 1}, {"junk", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        TestEnvironment::reset();
        if (c.stored)
            UserDefaults::standardUserDefaults().setObject(
                QString::fromLatin1(PreferenceKeys::kMaxTastKey), QString::fromLatin1(c.stored));
        OperationQueue queue;
        queue.setMaxConcurrentOperationCountFromUserDefaults();
        EXPECT_EQ(queue.maxConcurrentOperationCount(), c.width);
    }
    TestEnvironment::reset();
}

TEST(OperationQueue, CancelledQueuedOperationsNeverStart) {
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    auto blocker = std::make_shared<BlockingOperation>();
    Concurrency c;
    queue.addOperation(blocker);
    std::vector<std::shared_ptr<Operation>> waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(std::make_shared<CountingOperation>(c));
        queue.addOperation(waiting.back());
    }
    waitFor(blocker->started);
    ASSERT_TRUE(blocker->started);
    EXPECT_EQ(queue.operationCount(), 4);
    EXPECT_EQ(queue.operations().front(), blocker);
    EXPECT_FALSE(queue.isEmpty());

    queue.cancelAllOperations();
    EXPECT_TRUE(queue.waitUntilAllOperationsAreFinished(10000));
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(c.ran.load(), 0);
    for (const auto& op : waiting)
        EXPECT_TRUE(op->isCancelled());
}

TEST(OperationQueue, AnOperationCancelledByItselfIsSkipped) {
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    auto blocker = std::make_shared<BlockingOperation>();
    Concurrency c;
    auto skipped = std::make_shared<CountingOperation>(c);
    auto runs = std::make_shared<CountingOperation>(c);
    queue.addOperation(blocker);
    queue.addOperation(skipped);
    queue.addOperation(runs);
    skipped->cancel();
    EXPECT_FALSE(queue.waitUntilAllOperationsAreFinished(50));
    blocker->release();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(c.ran.load(), 1);
    EXPECT_TRUE(skipped->isFinished());
    EXPECT_TRUE(runs->isFinished());
}

TEST(OperationQueue, DestructionCancelsAndWaits) {
    auto blocker = std::make_shared<BlockingOperation>();
    {
        OperationQueue queue;
        queue.addOperation(blocker);
        waitFor(blocker->started);
    }
    EXPECT_TRUE(blocker->isCancelled());
    EXPECT_TRUE(blocker->isFinished());
}
