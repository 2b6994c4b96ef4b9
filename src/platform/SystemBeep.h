#pragma once

#include <atomic>

// The system beep that answers refused input. Tests count the beeps instead of hearing them.
class SystemBeep {
public:
    static void beep();
    static int count();
    static void resetCount();

private:
    static std::atomic<int> s_count;
};
