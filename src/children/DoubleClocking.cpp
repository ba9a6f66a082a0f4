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

QString clockTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(QStringLiteral("HH:mm"));
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
        if ((a.tablet == ownIpadMacId) == (b.tablet == ownIpadMacId))
            continue;
        latest = DoubleClocking{Side{a.record, a.tablet, a.ms}, Side{b.record, b.tablet, b.ms}, ownIpadMacId,
                                a.type == QLatin1String("In")};
    }
    return latest;
}

QString DoubleClocking::tabletName(const Side& side) const {
    if (side.tablet == ownTablet)
        return tr("deze tablet");
    const QString name = TabletNames::nameFor(side.tablet);
    return name.isEmpty() ? side.tablet : name;
}

QString DoubleClocking::notice() const {
    return (in ? tr("Twee keer ingeklokt: om %1 op %2 en om %3 op %4")
               : tr("Twee keer uitgeklokt: om %1 op %2 en om %3 op %4"))
        .arg(clockTime(first.ms), tabletName(first), clockTime(later.ms), tabletName(later));
}

QString DoubleClocking::removeTitle() const {
    // The notice above it names the tablet; the button stays short enough for a narrow panel.
    return tr("Verwijder de latere (%1)").arg(clockTime(later.ms));
}
