#pragma once

#include <functional>

class QThreadPool;

// A thread pool hands work to its threads under Qt's own locks, which a thread-sanitizer
// build cannot see (Qt itself is not instrumented): these mark that hand-over, with the
// address of the work both sides share. The marks are nothing in other builds.
class PoolHandOver {
public:
    // Runs work on one of pool's threads. The work is wrapped and published before the
    // pool sees it, so everything the caller did up to this call, the work's captures
    // included, is seen to happen before the work runs.
    static void start(QThreadPool& pool, std::function<void()> work);

    // For work of one's own kind: on the thread that gives the work, once the work is
    // built and just before the pool takes it.
    static void publish(const void* work);
    // On the pool's thread, before the work runs.
    static void receive(const void* work);
};
