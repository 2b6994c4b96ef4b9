#include "platform/UserDefaults.h"

#include "platform/NumberText.h"

#include <QSettings>

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults instance;
    return instance;
}

UserDefaults::UserDefaults() {
    setStorageFile({});
}

UserDefaults::~UserDefaults() = default;

void UserDefaults::setStorageFile(const QString& path) {
    std::lock_guard lock(_mutex);
    if (_settings)
        _settings->sync();
    if (path.isEmpty())
        _settings =
            std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                        QStringLiteral("quaverly"), QStringLiteral("quaverly"));
    else
        _settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString UserDefaults::storageFile() const {
    std::lock_guard lock(_mutex);
    return _settings->fileName();
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    std::lock_guard lock(_mutex);
    return _settings->value(key);
}

bool UserDefaults::hasObjectForKey(const QString& key) const {
    std::lock_guard lock(_mutex);
    return _settings->contains(key);
}

QString UserDefaults::stringForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return {};
    return value.toString();
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    const QString text = value.toString();
    if (text == QLatin1String("true"))
        return 1;
    return static_cast<qint64>(NumberText::doubleValue(text));
}

bool UserDefaults::boolForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return false;
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    return NumberText::doubleValue(text) != 0.0;
}

void UserDefaults::setObject(const QString& key, const QVariant& value) {
    std::lock_guard lock(_mutex);
    if (value.isValid())
        _settings->setValue(key, value);
    else
        _settings->remove(key);
}

void UserDefaults::setInteger(const QString& key, qint64 value) {
    setObject(key, value);
}

void UserDefaults::setBool(const QString& key, bool value) {
    setObject(key, value);
}

void UserDefaults::removeObjectForKey(const QString& key) {
    setObject(key, QVariant());
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(_mutex);
    _settings->sync();
    return _settings->status() == QSettings::NoError;
}
