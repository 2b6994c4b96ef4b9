#pragma once

#include <QObject>
#include <QPointer>

// The object an event filter watches, taken when the filter is installed. The filter knows
// the object's events by this address alone: asking another object which one it is (a view
// for its viewport, say) calls into an object that may be half destroyed, since a window's
// destruction still deactivates and hides its children with their filters looking on.
// The filter comes off when the holder goes before the object.
template <typename T> class VTWatchedObject {
public:
    VTWatchedObject() = default;
    VTWatchedObject(T* object, QObject* filter) { watch(object, filter); }
    ~VTWatchedObject() { stopWatching(); }
    VTWatchedObject(const VTWatchedObject&) = delete;
    VTWatchedObject& operator=(const VTWatchedObject&) = delete;

    void watch(T* object, QObject* filter) {
        stopWatching();
        _object = object;
        _typed = object;
        _filter = filter;
        if (object)
            object->installEventFilter(filter);
    }
    void stopWatching() {
        if (_object && _filter)
            _object->removeEventFilter(_filter);
        _object = nullptr;
        _typed = nullptr;
        _filter = nullptr;
    }

    // Whether the object an event filter is handed is this one; nothing is called on either.
    bool is(const QObject* watched) const { return watched && watched == _object.data(); }
    // The object while it lives, else null; kept as given, so no cast is made on the way.
    T* get() const { return _object ? _typed : nullptr; }
    T* operator->() const { return get(); }

private:
    QPointer<QObject> _object;
    T* _typed = nullptr;
    QObject* _filter = nullptr;
};
