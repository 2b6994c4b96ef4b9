#pragma once

class VTTimePicker;

// Asked before a time picker changes its time, told after each attempt. Both optional.
class VTTimePickerDelegate {
public:
    virtual ~VTTimePickerDelegate() = default;
    virtual bool timePickerWillUpdateToTime(VTTimePicker*, double) { return true; }
    virtual void didVTTimePickerUpdatedTime(VTTimePicker*) {}
};
