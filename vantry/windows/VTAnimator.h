#pragma once

#include <functional>

// Runs a block of changes as one animation group of a given duration and, if asked, a
// completion block that many seconds later on the main thread.
class VTAnimator {
public:
    static void animateWithDurationAnimation(double seconds,
                                             const std::function<void()>& animation);
    static void animateWithDurationAnimationCompletion(double seconds,
                                                       const std::function<void()>& animation,
                                                       std::function<void()> completion);
    static void runEndBlock(const std::function<void()>& block);
    // The duration of the innermost group being run, for animations started inside the
    // block; 0 outside any group.
    static double currentAnimationDuration();
};
