#include "platform/NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter instance;
    return instance;
}

QMetaObject::Connection NotificationCenter::addObserver(const QString& name, QObject* context,
                                                        Handler handler) {
    return connect(
        this, &NotificationCenter::notificationPosted, context,
        [name, handler = std::move(handler)](const QString& posted, const QVariantMap& userInfo) {
            if (name.isEmpty() || name == posted)
                handler(posted, userInfo);
        });
}

void NotificationCenter::removeObserver(const QMetaObject::Connection& connection) {
    disconnect(connection);
}

void NotificationCenter::postNotification(const QString& name, const QVariantMap& userInfo) {
    Q_EMIT notificationPosted(name, userInfo);
}
