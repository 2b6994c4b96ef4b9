#include "BenchSources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

BenchSources::BenchSources(QString folder, int count, int seconds)
    : _folder(std::move(folder)), _count(count), _seconds(seconds) {}

QString BenchSources::sourcePath(int i) const {
    return _folder + QStringLiteral("/source-%1.wav").arg(i, 2, 10, QLatin1Char('0'));
}

bool BenchSources::make(const QString& ffmpeg) const {
    QDir().mkpath(_folder);
    std::atomic<bool> ok{true};
    onPool(_count, 8, [&](int i) {
        const QString path = sourcePath(i);
        if (QFileInfo(path).size() > 10'000'000)
            return;
        const QString tmp = path + QStringLiteral(".part.wav");
        const QStringList args{QStringLiteral("-v"),
                               QStringLiteral("error"),
                               QStringLiteral("-y"),
                               QStringLiteral("-f"),
                               QStringLiteral("lavfi"),
                               QStringLiteral("-i"),
                               QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2")
                                   .arg(220 + i * 7)
                                   .arg(_seconds),
                               QStringLiteral("-ac"),
                               QStringLiteral("2"),
                               tmp};
        if (!runToEnd(ffmpeg, args) || !QFile::rename(tmp, path))
            ok = false;
    });
    return ok;
}

void BenchSources::warmUp() const {
    for (int i = 0; i < _count; ++i) {
        QFile file(sourcePath(i));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.read(1 << 20).isEmpty()) {
        }
    }
}

bool BenchSources::makeLinkedTree(const QString& source, const QString& root, int folders,
                                  int perFolder) {
    const QByteArray from = QFile::encodeName(source);
    for (int f = 0; f < folders; ++f) {
        const QString folder = root + QStringLiteral("/album %1").arg(f, 3, 10, QLatin1Char('0'));
        if (!QDir().mkpath(folder))
            return false;
        for (int i = 0; i < perFolder; ++i) {
            const QString path =
                folder + QStringLiteral("/track %1.wav").arg(i, 3, 10, QLatin1Char('0'));
            if (!QFileInfo::exists(path) &&
                ::link(from.constData(), QFile::encodeName(path).constData()) != 0)
                return false;
        }
    }
    return true;
}

bool BenchSources::runToEnd(const QString& program, const QStringList& arguments) {
    std::vector<std::string> args{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments)
        args.push_back(QFile::encodeName(argument).toStdString());
    return runQuietly(args) == 0;
}

int BenchSources::runQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double BenchSources::ownCpuSeconds() {
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    return double(self.ru_utime.tv_sec + self.ru_stime.tv_sec) +
           double(self.ru_utime.tv_usec + self.ru_stime.tv_usec) / 1e6;
}
