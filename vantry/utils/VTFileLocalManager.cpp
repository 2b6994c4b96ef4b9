#include "VTFileLocalManager.h"

#include "VTAppInfoUtil.h"
#include "VTGlobalFunctions.h"
#include "VTStringHelper.h"

#include "platform/UserFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QUuid>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

QString RealHomeDirectory() {
    return UserFolders::realHomeDirectory();
}

namespace {

Q_LOGGING_CATEGORY(lcFileList, "vantry.files", QtInfoMsg)

QString appName() {
    return VTAppInfoUtil::appName();
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

struct FolderWalk {
    const std::function<bool()>& shouldStop;
    std::set<std::pair<dev_t, ino_t>> visited;
    QStringList& files;
};

// Bytes as printable text: anything outside printable ASCII as \xNN.
QString rawNameText(const QByteArray& raw) {
    QString text;
    for (const char byte : raw) {
        const auto value = uchar(byte);
        if (value >= 0x20 && value < 0x7F && value != '\\')
            text += QLatin1Char(byte);
        else
            text += QStringLiteral("\\x") + QString::number(value, 16).rightJustified(2, u'0');
    }
    return text;
}

std::vector<std::pair<QByteArray, unsigned char>> folderEntries(const QByteArray& folder) {
    std::vector<std::pair<QByteArray, unsigned char>> entries;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir)
        return entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            entries.emplace_back(name, entry->d_type);
    }
    return entries;
}

void listFiles(const QString& folder, FolderWalk& walk) {
    if (walk.shouldStop && walk.shouldStop())
        return;
    const QByteArray encoded = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        !walk.visited.emplace(info.st_dev, info.st_ino).second)
        return;
    // Read the whole folder first, so that no more than one folder is open at a time.
    const auto entries = folderEntries(encoded);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const auto& [raw, type] : entries) {
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) {
            qCWarning(lcFileList).noquote()
                << "Skipped a file or folder whose name is not valid UTF-8 in" << folder << ":"
                << rawNameText(raw);
            continue;
        }
        qCDebug(lcFileList).noquote() << "apath:" << name;
        const QString full = prefix + name;
        unsigned char kind = type;
        if (kind != DT_REG && kind != DT_DIR) { // a link, or a file system that does not say
            struct stat target {};
            if (::stat(QFile::encodeName(full).constData(), &target) != 0)
                continue; // a dangling link, or gone since the listing
            kind =
                S_ISREG(target.st_mode) ? DT_REG : (S_ISDIR(target.st_mode) ? DT_DIR : DT_UNKNOWN);
        }
        if (kind == DT_REG)
            walk.files.append(full);
        else if (kind == DT_DIR)
            listFiles(full, walk);
    }
}

} // namespace

QString VTFileLocalManager::userRealHomeDirectory() {
    return RealHomeDirectory();
}

QString VTFileLocalManager::userUiDispAppDirectory(const QString& folderName) {
    const QString path = RealHomeDirectory() + QStringLiteral("/%1/%2").arg(folderName, appName());
    MakeSureFolderExsist(path);
    return path;
}

QString VTFileLocalManager::appHomeDirectory() {
    return QDir::homePath();
}

QString VTFileLocalManager::appLibaryDirectory() {
    return appHomeDirectory() + QStringLiteral("/Library/") + appName();
}

QString VTFileLocalManager::appPicturesDirectory() {
    return appHomeDirectory() + QStringLiteral("/Pictures/") + appName();
}

QString VTFileLocalManager::appMusicDirectory() {
    return appHomeDirectory() + QStringLiteral("/Music/") + appName();
}

QString VTFileLocalManager::appSupportDirectory() {
    return appLibaryDirectory() + QStringLiteral("/Application Support/") + appName();
}

QString VTFileLocalManager::appTempUniDirectory() {
    const QString path =
        QDir(QDir::tempPath()).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    return MakeSureFolderExsist(path) ? path : QString();
}

QString VTFileLocalManager::getFolderNameForCurrentTime() {
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    const QString text = locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
                         locale.toString(now.time(), QLocale::ShortFormat);
    const QString noBlanks = text.simplified().remove(u' ');
    return VTStringHelper::stringByReplacingCharactersInSetWithString(
        noBlanks, VTStringHelper::characterSet(QStringLiteral("/:,")), QStringLiteral("-"));
}

QString VTFileLocalManager::makeSureCreatCustomDirDirName(const QString& parent,
                                                          const QString& name) {
    if (parent.isEmpty() || name.isEmpty())
        return {};
    const QString path = parent + u'/' + name;
    return MakeSureFolderExsist(path) ? path : QString();
}

bool VTFileLocalManager::makeSureDirCreated(const QString& path) {
    const QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    if (path.isEmpty() || components.isEmpty())
        return false;
    QString prefix =
        path.startsWith(u'/') ? QStringLiteral("/") + components.first() : components.first();
    for (qsizetype i = 1; i < components.size(); ++i) {
        prefix += u'/' + components[i];
        if (!QFileInfo::exists(prefix) && !QDir().mkpath(prefix))
            return false;
    }
    return true;
}

bool VTFileLocalManager::MakeSureFolderExsist(const QString& folder) {
    return VTGlobalFunctions::MakeSureFolderExsist(folder);
}

QString VTFileLocalManager::makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                                      const QString& extension) {
    return VTGlobalFunctions::makeSureFullPathIdenticalAndHaveExtention(path, extension);
}

QStringList VTFileLocalManager::fileListAtDirenctory(const QString& folder,
                                                     const std::function<bool()>& shouldStop) {
    QStringList files;
    if (folder.isEmpty())
        return files;
    FolderWalk walk{shouldStop, {}, files};
    listFiles(folder, walk);
    return files;
}

bool VTFileLocalManager::trashAllItemsAtPath(const QString& folder) {
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return false;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        if (!name.isEmpty())
            QFile::moveToTrash(dir.filePath(name));
    }
    return true;
}

bool VTFileLocalManager::copyFileToFile(const QString& source, const QString& destination) {
    if (source.isEmpty() || destination.isEmpty() || !QFileInfo(source).isFile())
        return false;
    const QFileInfo target(destination);
    if (!target.absoluteDir().exists())
        return false;
    // Copying a file onto itself would delete it first.
    if (target.exists() && target.canonicalFilePath() == QFileInfo(source).canonicalFilePath())
        return false;
    if (target.exists() || target.isSymLink()) {
        QFile old(destination);
        if (!old.remove()) {
            qWarning().noquote() << "Could not remove old files. Error:" << old.errorString();
            return false;
        }
    }
    return QFile::copy(source, destination);
}

qint64 VTFileLocalManager::fileSizeAtPath(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

QString VTFileLocalManager::getLastFolderPath(const QString& path) {
    if (path.isEmpty())
        return path;
    QString candidate = path;
    while (!QFileInfo(candidate).isDir()) {
        const qsizetype slash = candidate.lastIndexOf(u'/');
        if (slash < 0)
            return {};
        candidate = slash == 0
                        ? (candidate == QStringLiteral("/") ? QString() : QStringLiteral("/"))
                        : candidate.left(slash);
        if (candidate.isEmpty())
            return {};
    }
    return candidate;
}
