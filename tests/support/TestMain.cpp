#include "TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
#include <dlfcn.h>
#include <sched.h>

#include <cstdarg>

// Qt starts a child process with a vfork-style clone: the child runs in its parent's memory
// until it execs. The thread sanitizer's after-fork step would then run there too and stop
// checking the starting thread and every thread created after it. A fork-style clone gives
// the child a copy to run in instead; the child still only execs, and Qt reports a failed
// exec through a pipe, not through shared memory. Every optional argument goes on as it
// came (Qt asks for a pidfd through the parent's one); the kernel reads each only under the
// flag that asks for it.
extern "C" int clone(int (*entry)(void*), void* stack, int flags, void* arg, ...) noexcept {
    va_list optional;
    va_start(optional, arg);
    pid_t* parentTid = va_arg(optional, pid_t*);
    void* tls = va_arg(optional, void*);
    pid_t* childTid = va_arg(optional, pid_t*);
    va_end(optional);
    constexpr int kVfork = CLONE_VM | CLONE_VFORK;
    if ((flags & kVfork) == kVfork)
        flags &= ~kVfork;
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return next(entry, stack, flags, arg, parentTid, tls, childTid);
}
#endif

// Every test program runs headless, with its settings, home and Music folders in a
// temporary folder of its own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly-tests"));
    TestEnvironment::reset();
    return RUN_ALL_TESTS();
}
