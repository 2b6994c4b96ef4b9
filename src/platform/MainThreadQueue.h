#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs work on the main thread, in the order it was posted, without making the posting
// thread wait. The work itself passes through a mutex of ours rather than through the
// event queue, so the hand-over is plainly ordered for every checker.
class MainThreadQueue : public QObject {
    Q_OBJECT

public:
    // Dropped, with a warning, when there is no application object.
    static void post(std::function<void()> work);

private:
    MainThreadQueue();
    static MainThreadQueue& instance();

    Q_INVOKABLE void drain();

    std::mutex _mutex;
    std::deque<std::function<void()>> _pending;
    bool _scheduled = false;
};
