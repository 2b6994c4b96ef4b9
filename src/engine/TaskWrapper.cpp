#include "engine/TaskWrapper.h"

#include "engine/TaskWrapperController.h"

#include <QDebug>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kReadChunk = 64 * 1024;

} // namespace

TaskWrapper::TaskWrapper(TaskWrapperController* controller, QStringList arguments)
    : _controller(controller), _arguments(std::move(arguments)) {}

TaskWrapper::~TaskWrapper() {
    _controller = nullptr;
    closeOutputPipe();
    if (!_task)
        return;
    _task->disconnect();
    if (_task->state() != QProcess::NotRunning) {
        _task->kill();
        _task->waitForFinished(-1);
    }
}

bool TaskWrapper::openOutputPipe() {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    // Only our end reads without blocking; the child's writes block as usual.
    ::fcntl(fds[1], F_SETFL, ::fcntl(fds[1], F_GETFL) & ~O_NONBLOCK);
    _outputFd = fds[0];
    _childOutputFd = fds[1];
    return true;
}

void TaskWrapper::closeOutputPipe() {
    _outputNotifier.reset();
    if (_outputFd >= 0)
        ::close(_outputFd);
    if (_childOutputFd >= 0)
        ::close(_childOutputFd);
    _outputFd = -1;
    _childOutputFd = -1;
}

void TaskWrapper::startProcess() {
    if (_controller)
        _controller->processStarted();
    _terminationReported = false;
    closeOutputPipe();
    _task = std::make_unique<QProcess>();
    QProcess* task = _task.get();
    task->setStandardInputFile(QProcess::nullDevice());
    task->setStandardOutputFile(QProcess::nullDevice());
    task->setStandardErrorFile(QProcess::nullDevice());
    task->setProgram(_arguments.value(0));
    task->setArguments(_arguments.mid(1));
    if (!openOutputPipe()) {
        if (_controller)
            _controller->processErrorOccurred(
                QStringLiteral("%1 could not be started: no pipe for its output (%2)")
                    .arg(_arguments.value(0), QString::fromLocal8Bit(std::strerror(errno))));
        reportTermination(kFailedToStartStatus);
        return;
    }
    // Runs in the child between fork and exec: only async-signal-safe calls. Both ends
    // are close-on-exec, and dup2 gives the child plain copies of the writing end.
    const int childOutput = _childOutputFd;
    task->setChildProcessModifier([childOutput] {
        ::dup2(childOutput, STDOUT_FILENO);
        ::dup2(childOutput, STDERR_FILENO);
    });

    QObject::connect(task, &QProcess::finished, task,
                     [this](int exitCode, QProcess::ExitStatus status) {
                         handleFinished(exitCode, status == QProcess::CrashExit);
                     });
    QObject::connect(task, &QProcess::errorOccurred, task, [this] { handleError(); });
    _outputNotifier = std::make_unique<QSocketNotifier>(_outputFd, QSocketNotifier::Read);
    QObject::connect(_outputNotifier.get(), &QSocketNotifier::activated, task,
                     [this] { readOutput(); });
    task->start(QIODevice::ReadOnly);
    // The child has its copies now (the fork happens inside start()); ours must go, or
    // the end of the child's output would never be seen.
    ::close(_childOutputFd);
    _childOutputFd = -1;
}

void TaskWrapper::readOutput() {
    if (_outputFd < 0)
        return;
    QByteArray bytes;
    bool ended = false;
    for (;;) {
        char buffer[kReadChunk];
        const ssize_t n = ::read(_outputFd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (!bytes.isEmpty()) {
        const QString text = _decoder.decode(bytes);
        if (!text.isEmpty() && _controller)
            _controller->appendOutput(text);
    }
    if (ended)
        handleEndOfOutput();
}

void TaskWrapper::handleEndOfOutput() {
    // The notifier may be the sender of this very call: disabled now, deleted later.
    if (_outputNotifier)
        _outputNotifier->setEnabled(false);
    ::close(_outputFd);
    _outputFd = -1;
    if (!_task || _task->state() == QProcess::NotRunning)
        return;
    // A child that is about to exit closes its output first: give it a moment.
    QProcess* task = _task.get();
    QTimer::singleShot(_endOfOutputGraceMs, task, [this, task] {
        if (task->state() == QProcess::NotRunning)
            return;
        qWarning().noquote() << QStringLiteral("%1 closed its output but keeps running; "
                                               "it is stopped")
                                    .arg(_arguments.value(0));
        stopProcess();
    });
}

void TaskWrapper::handleFinished(int exitCode, bool crashed) {
    // Everything the child wrote is in the pipe by now; a grandchild that still holds the
    // writing end is not waited for.
    readOutput();
    closeOutputPipe();
    if (crashed) {
        if (_controller)
            _controller->processErrorOccurred(
                QStringLiteral("%1 ended abnormally (killed by a signal or crashed)")
                    .arg(_arguments.value(0)));
        reportTermination(kCrashedStatus);
        return;
    }
    reportTermination(exitCode);
}

void TaskWrapper::handleError() {
    // Only a failed start has no "finished" after it; every other error is followed by it.
    if (!_task || _task->error() != QProcess::FailedToStart)
        return;
    closeOutputPipe();
    if (_controller)
        _controller->processErrorOccurred(QStringLiteral("%1 could not be started: %2")
                                              .arg(_arguments.value(0), _task->errorString()));
    reportTermination(kFailedToStartStatus);
}

void TaskWrapper::reportTermination(int status) {
    if (_terminationReported)
        return;
    _terminationReported = true;
    TaskWrapperController* controller = _controller;
    _controller = nullptr;
    if (controller)
        controller->launcherDidTerminatedWithCode(status);
}

void TaskWrapper::stopProcess() {
    // A child still being started would miss the signal.
    if (_task && _task->state() == QProcess::Starting)
        _task->waitForStarted(5000);
    if (isRunning()) {
        _task->terminate();
        QProcess* task = _task.get();
        QTimer::singleShot(_killGraceMs, task, [task] {
            if (task->state() != QProcess::NotRunning)
                task->kill();
        });
    }
    if (_controller)
        _controller->processFinished();
}

void TaskWrapper::suspend() {
    if (_task && _task->state() == QProcess::Starting)
        _task->waitForStarted(5000);
    if (isRunning())
        ::kill(pid_t(_task->processId()), SIGSTOP);
}

void TaskWrapper::resume() {
    if (isRunning())
        ::kill(pid_t(_task->processId()), SIGCONT);
}

void TaskWrapper::waitUntilTaskExit() {
    if (_task && _task->state() != QProcess::NotRunning)
        _task->waitForFinished(-1);
}

bool TaskWrapper::isRunning() const {
    return _task && _task->state() == QProcess::Running;
}
