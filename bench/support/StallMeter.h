#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest gap between two ticks of a main-thread timer while it runs: how long the main
// thread was held up at most.
class StallMeter {
public:
    static constexpr int kTickMs = 2;

    StallMeter();
    void start();
    // The longest gap in milliseconds since start().
    double stop();

private:
    QTimer _timer;
    QElapsedTimer _sinceTick;
    double _longestMs = 0.0;
};
