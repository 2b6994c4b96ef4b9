#include "support/StallMeter.h"

#include <algorithm>

StallMeter::StallMeter() {
    _timer.setTimerType(Qt::PreciseTimer);
    _timer.setInterval(kTickMs);
    QObject::connect(&_timer, &QTimer::timeout, [this] {
        _longestMs = std::max(_longestMs, _sinceTick.nsecsElapsed() / 1e6);
        _sinceTick.restart();
    });
}

void StallMeter::start() {
    _longestMs = 0.0;
    _sinceTick.start();
    _timer.start();
}

double StallMeter::stop() {
    _timer.stop();
    return _longestMs;
}
