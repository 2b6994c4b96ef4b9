#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>

class QProcess;
class QSocketNotifier;
class TaskWrapperController;

// Runs one program as a child process: an argument vector (never a shell), standard input
// closed, standard output and error merged and read as they come.
//
// The output goes through a pipe of our own rather than QProcess's, whose end of output
// is only reported when the child exits: a child that closes its output but keeps running
// is ended once the end of its output has been read (after a short grace period).
//
// A TaskWrapper belongs to the thread that made it: every member is called there, and
// that thread must run an event loop while the child runs, since the controller's
// messages are delivered through it.
class TaskWrapper {
public:
    // Reported instead of an exit status.
    static constexpr int kFailedToStartStatus = -2;
    static constexpr int kCrashedStatus = -1;

    // arguments[0] is the program's full path, the rest its arguments. Starts nothing.
    TaskWrapper(TaskWrapperController* controller, QStringList arguments);
    // Ends a child that still runs and waits for it; the controller hears nothing more.
    ~TaskWrapper();
    TaskWrapper(const TaskWrapper&) = delete;
    TaskWrapper& operator=(const TaskWrapper&) = delete;

    void startProcess();
    // Asks the child to end (SIGTERM), kills it when it is still there after the grace
    // period, and sends processFinished. Harmless after the child has ended.
    void stopProcess();
    void suspend();
    void resume();
    // Blocks until the child has ended (no event loop needed).
    void waitUntilTaskExit();

    bool isRunning() const;
    void setKillGracePeriod(int milliseconds) { _killGraceMs = milliseconds; }
    // How long a child may keep running after closing its output before it is stopped.
    void setEndOfOutputGracePeriod(int milliseconds) { _endOfOutputGraceMs = milliseconds; }

private:
    bool openOutputPipe();
    void closeOutputPipe();
    void readOutput();
    void handleEndOfOutput();
    void reportTermination(int status);
    void handleFinished(int exitCode, bool crashed);
    void handleError();

    TaskWrapperController* _controller;
    QStringList _arguments;
    std::unique_ptr<QProcess> _task;
    // The reading end of the child's output pipe and its watcher; -1 once closed.
    int _outputFd = -1;
    // The writing end, held only until the child has been started with its copies.
    int _childOutputFd = -1;
    std::unique_ptr<QSocketNotifier> _outputNotifier;
    QStringDecoder _decoder{QStringDecoder::Utf8};
    bool _terminationReported = false;
    int _killGraceMs = 3000;
    int _endOfOutputGraceMs = 500;
};
