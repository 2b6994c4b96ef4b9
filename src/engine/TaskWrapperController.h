#pragma once

#include <QString>

// What a TaskWrapper reports about its child process. Every message arrives on the thread
// that started the child.
class TaskWrapperController {
public:
    virtual ~TaskWrapperController() = default;

    // A chunk of the child's merged output. Multi-byte characters split between reads are
    // joined, so a chunk is always whole text.
    virtual void appendOutput(const QString& chunk) { (void)chunk; }
    // At the start of startProcess, before the child exists.
    virtual void processStarted() {}
    // At the end of every stopProcess.
    virtual void processFinished() {}
    // The child could not be started or ended abnormally: a line for the log. Sent before
    // the termination status.
    virtual void processErrorOccurred(const QString& message) { (void)message; }
    // Exactly once per startProcess, after all of the child's output has been delivered:
    // its exit status, or TaskWrapper::kFailedToStartStatus / kCrashedStatus.
    virtual void launcherDidTerminatedWithCode(int status) { (void)status; }
};
