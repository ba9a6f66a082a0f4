#include "TabletNames.h"

#include "UserDefaults.h"

#include <QJsonObject>
#include <QMutex>
#include <QVariantMap>

namespace {
const QString kKey = QStringLiteral("cc_tabletNamen");
QMutex mutex; // one read-modify-write of the map at a time
} // namespace

namespace TabletNames {

void learn(const QJsonArray& registrations) {
    QVariantMap learnt;
    for (const QJsonValue& value : registrations) {
        const QJsonObject o = value.toObject();
        const QString id = o.value(QLatin1String("ipadMacId")).toString();
        const QString name = o.value(QLatin1String("ipadName")).toString();
        if (!id.isEmpty() && !name.trimmed().isEmpty())
            learnt.insert(id, name);
    }
    if (learnt.isEmpty())
        return;
    QMutexLocker lock(&mutex);
    UserDefaults& defaults = UserDefaults::standard();
    QVariantMap names = defaults.objectForKey(kKey).toMap();
    bool changed = false;
    for (auto i = learnt.cbegin(); i != learnt.cend(); ++i) {
        if (names.value(i.key()) != i.value()) {
            names.insert(i.key(), i.value());
            changed = true;
        }
    }
    if (changed)
        defaults.setObject(kKey, names);
}

QString nameFor(const QString& ipadMacId) {
    QMutexLocker lock(&mutex);
    const QVariant name = UserDefaults::standard().objectForKey(kKey).toMap().value(ipadMacId);
    return name.isValid() ? name.toString() : QString();
}

} // namespace TabletNames
