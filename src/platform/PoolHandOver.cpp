#include "platform/PoolHandOver.h"

#include <QRunnable>
#include <QThreadPool>

#include <memory>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Built here, in code the sanitizer sees, so no part of the work is made inside the pool.
class HandedOverWork : public QRunnable {
public:
    explicit HandedOverWork(std::function<void()> work) : _work(std::move(work)) {}

    void run() override {
        PoolHandOver::receive(this);
        _work();
    }

private:
    std::function<void()> _work;
};

} // namespace

void PoolHandOver::start(QThreadPool& pool, std::function<void()> work) {
    auto runnable = std::make_unique<HandedOverWork>(std::move(work));
    runnable->setAutoDelete(true);
    publish(runnable.get());
    pool.start(runnable.release());
}

void PoolHandOver::publish([[maybe_unused]] const void* work) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void*>(work));
#endif
}

void PoolHandOver::receive([[maybe_unused]] const void* work) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void*>(work));
#endif
}
