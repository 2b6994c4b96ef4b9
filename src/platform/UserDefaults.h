#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>

class QSettings;

// The user's own preferences, stored through QSettings. Keys are used exactly as given.
// Safe to call from any thread.
class UserDefaults {
public:
    static UserDefaults& standardUserDefaults();

    // Points the store at another file (tests, or a second profile). Empty: the default store.
    void setStorageFile(const QString& path);
    QString storageFile() const;

    QVariant objectForKey(const QString& key) const;
    bool hasObjectForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;

    void setObject(const QString& key, const QVariant& value);
    void setInteger(const QString& key, qint64 value);
    void setBool(const QString& key, bool value);
    void removeObjectForKey(const QString& key);
    bool synchronize();

private:
    UserDefaults();
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    mutable std::mutex _mutex;
    std::unique_ptr<QSettings> _settings;
};
