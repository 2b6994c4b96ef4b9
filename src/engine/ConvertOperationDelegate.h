#pragma once

class ConvertOperation;

// What a conversion job reports. Every message is delivered on the main thread, queued
// without making the job wait, in the order the job sent them; the job is kept alive
// until each message has been delivered.
class ConvertOperationDelegate {
public:
    virtual ~ConvertOperationDelegate() = default;

    // The child process is about to be started.
    virtual void didConvertOperationStart(ConvertOperation* operation) { (void)operation; }
    // A new time-left estimate; percent is the media's progress (0..100, never falling).
    virtual void convertOperationHandleProgress(ConvertOperation* operation, double percent) {
        (void)operation;
        (void)percent;
    }
    // The converted file is being handed to the playlist.
    virtual void convertStartSync(ConvertOperation* operation) { (void)operation; }
    // Once, at the end of the job, whatever the outcome (not for a job cancelled before
    // it started).
    virtual void didConvertOperationFinish(ConvertOperation* operation) { (void)operation; }
};
