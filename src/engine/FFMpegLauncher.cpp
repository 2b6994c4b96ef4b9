#include "engine/FFMpegLauncher.h"

#include "engine/FFMpegLauncherDelegate.h"
#include "engine/TaskWrapper.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <string>

namespace {
std::mutex gOverrideMutex;
// Kept as bytes: every reader gets a string of its own, never one shared across threads.
std::string gOverridePath;

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}
} // namespace

QStringList FFMpegLauncher::aryArguments() const {
    const std::lock_guard lock(_mutex);
    return _aryArguments;
}

void FFMpegLauncher::setAryArguments(const QStringList& arguments) {
    const std::lock_guard lock(_mutex);
    _aryArguments = arguments;
}

void FFMpegLauncher::launchFFMpeg() {
    QProcess task;
    task.setProcessChannelMode(QProcess::MergedChannels);
    task.setStandardInputFile(QProcess::nullDevice());
    task.start(ffmpegPath(), aryArguments(), QIODevice::ReadOnly);
    int status = TaskWrapper::kFailedToStartStatus;
    if (task.waitForStarted(-1)) {
        while (task.state() != QProcess::NotRunning) {
            task.waitForReadyRead(1000);
            task.readAll();
        }
        task.readAll();
        status = task.exitStatus() == QProcess::CrashExit ? TaskWrapper::kCrashedStatus
                                                          : task.exitCode();
    } else {
        qWarning().noquote() << "ffmpeg could not be started:" << task.errorString();
    }
    if (FFMpegLauncherDelegate* target = delegate())
        target->launcherDidTerminatedWithCode(status);
}

QString FFMpegLauncher::ffmpegPath() {
    // Jobs ask from their own threads; one lookup at a time.
    const std::lock_guard lock(gOverrideMutex);
    if (!gOverridePath.empty())
        return QString::fromStdString(gOverridePath);
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/ffmpeg");
        if (isExecutableFile(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

void FFMpegLauncher::setFFMpegPathOverride(const QString& path) {
    const std::lock_guard lock(gOverrideMutex);
    gOverridePath = path.toStdString();
}
