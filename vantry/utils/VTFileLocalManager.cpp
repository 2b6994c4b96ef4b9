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
#include <QSet>
#include <QUuid>

QString RealHomeDirectory() {
    return UserFolders::realHomeDirectory();
}

namespace {

Q_LOGGING_CATEGORY(lcFileList, "vantry.files", QtInfoMsg)

QString appName() {
    return VTAppInfoUtil::appName();
}

void listFiles(const QString& folder, QSet<QString>& visited, QStringList& out) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QDir dir(folder);
    const QStringList entries = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : entries) {
        qCDebug(lcFileList).noquote() << "apath:" << name;
        const QString full = dir.filePath(name);
        const QFileInfo info(full);
        if (info.isFile())
            out.append(full);
        else if (info.isDir())
            listFiles(full, visited, out);
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

QStringList VTFileLocalManager::fileListAtDirenctory(const QString& folder) {
    QStringList files;
    if (!QFileInfo(folder).isDir())
        return files;
    QSet<QString> visited;
    listFiles(folder, visited, files);
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
