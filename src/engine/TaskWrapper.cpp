#include "engine/TaskWrapper.h"

#include "engine/TaskWrapperController.h"

#include <QProcess>
#include <QTimer>

#include <csignal>

TaskWrapper::TaskWrapper(TaskWrapperController* controller, QStringList arguments)
    : _controller(controller), _arguments(std::move(arguments)) {}

TaskWrapper::~TaskWrapper() {
    _controller = nullptr;
    if (!_task)
        return;
    _task->disconnect();
    if (_task->state() != QProcess::NotRunning) {
        _task->kill();
        _task->waitForFinished(-1);
    }
}

void TaskWrapper::startProcess() {
    if (_controller)
        _controller->processStarted();
    _terminationReported = false;
    _task = std::make_unique<QProcess>();
    QProcess* task = _task.get();
    task->setProcessChannelMode(QProcess::MergedChannels);
    task->setStandardInputFile(QProcess::nullDevice());
    task->setProgram(_arguments.value(0));
    task->setArguments(_arguments.mid(1));

    QObject::connect(task, &QProcess::readyReadStandardOutput, task, [this] { readOutput(); });
    QObject::connect(task, &QProcess::finished, task,
                     [this](int exitCode, QProcess::ExitStatus status) {
                         handleFinished(exitCode, status == QProcess::CrashExit);
                     });
    QObject::connect(task, &QProcess::errorOccurred, task, [this] { handleError(); });
    task->start(QIODevice::ReadOnly);
}

void TaskWrapper::readOutput() {
    if (!_task)
        return;
    const QByteArray bytes = _task->readAll();
    if (bytes.isEmpty())
        return;
    const QString text = _decoder.decode(bytes);
    if (!text.isEmpty() && _controller)
        _controller->appendOutput(text);
}

void TaskWrapper::handleFinished(int exitCode, bool crashed) {
    readOutput();
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
