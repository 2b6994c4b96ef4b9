#pragma once

#include <atomic>

// The small bar a row shows while its file converts. The table's delegate paints it;
// any thread may move it.
class BDProgressIndicator {
public:
    double minValue() const { return 0.0; }
    double maxValue() const { return 100.0; }
    bool isIndeterminate() const { return false; }
    bool isAnimating() const { return _animating.load(); }

    double doubleValue() const { return _value.load(); }
    void setDoubleValue(double value) { _value = value; }
    bool isHidden() const { return _hidden.load(); }
    void setHidden(bool hidden) { _hidden = hidden; }
    void startAnimation() { _animating = true; }
    void stopAnimation() { _animating = false; }

private:
    std::atomic<double> _value{0.0};
    std::atomic<bool> _hidden{false};
    std::atomic<bool> _animating{true};
};
