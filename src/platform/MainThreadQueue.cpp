#include "platform/MainThreadQueue.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

MainThreadQueue::MainThreadQueue() {
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

MainThreadQueue& MainThreadQueue::instance() {
    static MainThreadQueue queue;
    return queue;
}

void MainThreadQueue::post(std::function<void()> work) {
    if (!QCoreApplication::instance()) {
        qWarning() << "No application object: work for the main thread is dropped";
        return;
    }
    MainThreadQueue& queue = instance();
    const std::lock_guard lock(queue._mutex);
    queue._pending.push_back(std::move(work));
    if (!queue._scheduled) {
        queue._scheduled = true;
        QMetaObject::invokeMethod(&queue, "drain", Qt::QueuedConnection);
    }
}

void MainThreadQueue::drain() {
    // Through the same guarded static as post(), so the queue's construction on another
    // thread is plainly ordered before this call.
    MainThreadQueue& queue = instance();
    std::deque<std::function<void()>> batch;
    {
        const std::lock_guard lock(queue._mutex);
        batch.swap(queue._pending);
        queue._scheduled = false;
    }
    for (std::function<void()>& work : batch)
        work();
}
