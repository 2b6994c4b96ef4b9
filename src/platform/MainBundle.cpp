#include "platform/MainBundle.h"

#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString defaultResourceDirectory() {
    QString programDir = QCoreApplication::applicationDirPath();
    if (programDir.isEmpty())
        programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return QDir(programDir).absoluteFilePath(QStringLiteral("../share/quaverly"));
}

} // namespace

MainBundle& MainBundle::mainBundle() {
    static MainBundle instance;
    return instance;
}

MainBundle::MainBundle() : _resourceDirectory(defaultResourceDirectory()) {}

void MainBundle::setResourceDirectory(const QString& directory) {
    std::lock_guard lock(_mutex);
    _resourceDirectory = directory.isEmpty() ? defaultResourceDirectory() : directory;
    _infoLoaded = false;
    _info.clear();
}

QString MainBundle::resourceDirectory() const {
    std::lock_guard lock(_mutex);
    return _resourceDirectory;
}

QString MainBundle::pathForResource(const QString& name, const QString& type) const {
    const QString fileName = type.isEmpty() ? name : name + u'.' + type;
    const QString onDisk = QDir(resourceDirectory()).absoluteFilePath(fileName);
    if (QFileInfo(onDisk).isFile())
        return QDir::cleanPath(onDisk);
    const QString compiledIn = QStringLiteral(":/bundle/") + fileName;
    if (QFileInfo::exists(compiledIn))
        return compiledIn;
    return {};
}

QVariantMap MainBundle::infoDictionary() const {
    const QString path = pathForResource(QStringLiteral("Info"), QStringLiteral("plist"));
    std::lock_guard lock(_mutex);
    if (!_infoLoaded) {
        _info = path.isEmpty() ? QVariantMap() : PropertyList::dictionaryWithContentsOfFile(path);
        _infoLoaded = true;
    }
    return _info;
}

QVariant MainBundle::objectForInfoDictionaryKey(const QString& key) const {
    return infoDictionary().value(key);
}
