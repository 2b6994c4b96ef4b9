#include "VTAnimator.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {
// Durations of the groups being run, innermost last (main thread only).
std::vector<double>& groupDurations() {
    static std::vector<double> durations;
    return durations;
}

double sanitized(double seconds) {
    return seconds > 0 ? std::min(seconds, 24.0 * 3600.0) : 0.0;
}
} // namespace

void VTAnimator::animateWithDurationAnimation(double seconds,
                                              const std::function<void()>& animation) {
    animateWithDurationAnimationCompletion(seconds, animation, nullptr);
}

void VTAnimator::animateWithDurationAnimationCompletion(double seconds,
                                                        const std::function<void()>& animation,
                                                        std::function<void()> completion) {
    const double duration = sanitized(seconds);
    groupDurations().push_back(duration);
    if (animation)
        animation();
    groupDurations().pop_back();
    if (!completion)
        return;
    QTimer::singleShot(int(duration * 1000), QCoreApplication::instance(),
                       [block = std::move(completion)] { runEndBlock(block); });
}

void VTAnimator::runEndBlock(const std::function<void()>& block) {
    if (block)
        block();
}

double VTAnimator::currentAnimationDuration() {
    return groupDurations().empty() ? 0.0 : groupDurations().back();
}
