#pragma once
// Named notifications with an object and user info. Observers are removed automatically when their
// owner is destroyed. Posting and delivery happen on the posting thread; observe from the main thread.
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

struct Notification {
    QString name;
    QObject* object = nullptr;
    QVariantMap userInfo;
};

class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& defaultCenter();

    void post(const QString& name, QObject* object = nullptr, const QVariantMap& userInfo = {});
    // Calls handler for every notification with this name until owner goes.
    QMetaObject::Connection addObserver(QObject* owner, const QString& name,
                                        std::function<void(const Notification&)> handler);
    void removeObserver(const QMetaObject::Connection& connection);

signals:
    void posted(const Notification& notification);
};
