#include "DoubleClocking.h"

#include "ManagedObject.h"
#include "TabletNames.h"

#include <QDateTime>
#include <algorithm>

namespace {

struct Entry {
    ManagedObject* record;
    qint64 ms;
    QString type;
    QString tablet;
};

QString text(const ManagedObject* o, const char* key) {
    return o->valueForKey(QLatin1String(key)).toString();
}

} // namespace

std::optional<DoubleClocking> DoubleClocking::find(const QList<ManagedObject*>& registrations,
                                                   const QString& periodBegin, const QString& ownIpadMacId) {
    const qint64 begin = periodBegin.toLongLong();
    QList<Entry> live;
    for (ManagedObject* r : registrations) {
        const qint64 ms = text(r, "time").toLongLong();
        if (ms < begin || r->valueForKey(QStringLiteral("exists")).toLongLong() == 0)
            continue;
        live << Entry{r, ms, text(r, "type"), text(r, "ipadMacId")};
    }
    std::stable_sort(live.begin(), live.end(), [](const Entry& a, const Entry& b) { return a.ms < b.ms; });
    std::optional<DoubleClocking> latest;
    for (qsizetype i = 1; i < live.size(); ++i) {
        const Entry& a = live.at(i - 1);
        const Entry& b = live.at(i);
        if (a.type != b.type || a.tablet.isEmpty() || b.tablet.isEmpty())
            continue;
        const bool aHere = a.tablet == ownIpadMacId;
        const bool bHere = b.tablet == ownIpadMacId;
        if (aHere == bHere)
            continue;
        const Entry& here = aHere ? a : b;
        const Entry& other = aHere ? b : a;
        latest = DoubleClocking{here.record, other.tablet, other.ms, here.type == QLatin1String("In")};
    }
    return latest;
}

QString DoubleClocking::notice() const {
    const QString name = TabletNames::nameFor(otherTablet);
    const QString tablet = name.isEmpty() ? otherTablet : name;
    const QString time =
        QDateTime::fromMSecsSinceEpoch(otherMs).toLocalTime().toString(QStringLiteral("HH:mm"));
    return (in ? tr("Ook ingeklokt op %1 om %2") : tr("Ook uitgeklokt op %1 om %2")).arg(tablet, time);
}
