#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

// The process-wide notification hub: a name and a dictionary of user info. Posting is safe
// from any thread; each observer is called on the thread its context object lives in.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QString& name, const QVariantMap& userInfo)>;

    static NotificationCenter& defaultCenter();

    // Calls handler for every notification named name (all when name is empty) while
    // context lives. Disconnect the returned connection to stop observing earlier.
    QMetaObject::Connection addObserver(const QString& name, QObject* context, Handler handler);
    void removeObserver(const QMetaObject::Connection& connection);
    void postNotification(const QString& name, const QVariantMap& userInfo = {});

Q_SIGNALS:
    void notificationPosted(const QString& name, const QVariantMap& userInfo);

private:
    NotificationCenter() = default;
};

namespace Notifications {
inline constexpr char kOutputFormatChange[] = "com.qvl.OutputFormatChangeNoti";
inline constexpr char kPlayStart[] = "com.qvp.QVAudioPlayerPlayStartNotify";
inline constexpr char kPlayProgress[] = "com.qvp.QVAudioPlayerPlayProgressNotify";
inline constexpr char kPlayEnd[] = "com.qvp.QVAudioPlayerPlayEndNotify";
inline constexpr char kPreferencesViewChanged[] =
    "MASPreferencesWindowControllerDidChangeViewNotification";
// User-info keys.
inline constexpr char kFormatKey[] = "Format";
inline constexpr char kMusicInfoKey[] = "kMusicInfo";
inline constexpr char kProgressInfoKey[] = "kProgressInfo";
} // namespace Notifications
