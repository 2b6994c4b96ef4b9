#pragma once

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

// A thread pool hands work to its threads under Qt's own locks, which a thread-sanitizer
// build cannot see (Qt itself is not instrumented): these mark that hand-over, with the
// address of something both sides share. Nothing in other builds.
class PoolHandOver {
public:
    // On the thread that gives the work, after the work is made.
    static void publish([[maybe_unused]] const void* work) {
#if defined(__SANITIZE_THREAD__)
        __tsan_release(const_cast<void*>(work));
#endif
    }
    // On the pool's thread, before the work runs.
    static void receive([[maybe_unused]] const void* work) {
#if defined(__SANITIZE_THREAD__)
        __tsan_acquire(const_cast<void*>(work));
#endif
    }
};
