#include "platform/MainThreadQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(MainThreadQueue, RunsPostedWorkOnTheMainThreadInOrder) {
    std::vector<int> seen; // touched only on the main thread
    bool offMainThread = false;
    QThread* mainThread = QCoreApplication::instance()->thread();
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            MainThreadQueue::post([&, i] {
                offMainThread |= QThread::currentThread() != mainThread;
                seen.push_back(i);
            });
        }
    });
    poster.join(); // posting never waits for the main thread
    QElapsedTimer timer;
    timer.start();
    while (seen.size() < 100 && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(seen.size(), 100u);
    EXPECT_FALSE(offMainThread);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(seen[size_t(i)], i);
}
