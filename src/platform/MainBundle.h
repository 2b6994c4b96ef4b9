#pragma once

#include <QString>
#include <QVariantMap>

#include <mutex>

// The application's resources: Formats.plist, Info.plist and friends. A resource is looked
// up in the resource folder first (../share/quaverly beside the program, or the folder a
// test set), then among the resources compiled into the program.
class MainBundle {
public:
    static MainBundle& mainBundle();

    // Empty restores the default folder next to the program.
    void setResourceDirectory(const QString& directory);
    QString resourceDirectory() const;

    // Full path of "name.type", or an empty string when there is none.
    QString pathForResource(const QString& name, const QString& type) const;
    // Info.plist as a dictionary; read once and kept.
    QVariantMap infoDictionary() const;
    QVariant objectForInfoDictionaryKey(const QString& key) const;

private:
    MainBundle();

    mutable std::mutex _mutex;
    QString _resourceDirectory;
    mutable QVariantMap _info;
    mutable bool _infoLoaded = false;
};
