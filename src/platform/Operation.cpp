#include "platform/Operation.h"

Operation::~Operation() = default;

void Operation::start() {
    if (!isCancelled()) {
        _executing.store(true);
        main();
        _executing.store(false);
    }
    _finished.store(true);
}

void Operation::cancel() {
    _cancelled.store(true);
}
