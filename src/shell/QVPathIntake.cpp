#include "shell/QVPathIntake.h"

#include "engine/LSMedia.h"
#include "engine/QVMusicInfo.h"
#include "util/GlobalFun.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
QString cleanAbsolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

QStringList QVPathIntake::expandPaths(const QStringList& paths,
                                      const std::function<bool()>& shouldStop) {
    QStringList files;
    for (const QString& raw : paths) {
        if (shouldStop && shouldStop())
            break;
        if (raw.isEmpty())
            continue;
        const QString path = cleanAbsolute(raw);
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
            std::fprintf(stderr, "lstat error: %s: %s\n", QFile::encodeName(path).constData(),
                         std::strerror(errno));
            continue;
        }
        const bool isFolder =
            S_ISDIR(info.st_mode) || (S_ISLNK(info.st_mode) && QFileInfo(path).isDir());
        if (!isFolder) {
            files.append(path);
            continue;
        }
        // The walk's order is the file system's; a sorted batch reads better in the list.
        QStringList beneath = GlobalFun::fileListAtDirenctory(path, shouldStop);
        beneath.sort();
        for (const QString& file : beneath)
            files.append(QDir::cleanPath(file));
    }
    return files;
}

QVMusicList QVPathIntake::newRows(const QStringList& files) {
    QVMusicList rows;
    rows.reserve(size_t(files.size()));
    for (const QString& path : files) {
        auto media = std::make_shared<LSMedia>();
        media->strMediaFilePath_ = path;
        media->strOutFileName = QVFileListModel::fileNameWithoutExtension(path);
        auto music = std::make_shared<QVMusicInfo>();
        music->mediaInfo = std::move(media);
        music->strFilePath = path;
        rows.push_back(std::move(music));
    }
    return rows;
}

QStringList QVPathIntake::removeDuplicates(const QStringList& expanded, const QStringList& listed) {
    QSet<QString> seen(listed.cbegin(), listed.cend());
    QStringList fresh;
    fresh.reserve(expanded.size());
    for (const QString& path : expanded) {
        if (seen.contains(path))
            continue;
        seen.insert(path);
        fresh.append(path);
    }
    return fresh;
}
