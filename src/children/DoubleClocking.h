#pragma once
// One person clocked the same way twice, once here and once on another tablet, in the same registration
// period with no clocking of the other kind in between: a refresh brought the other tablet's registration
// after this tablet made its own. Of two clock-ins the first is the arrival, of two clock-outs the first
// is the departure: the later one is the duplicate, whichever tablet made it. Plain values over the
// registrations' attributes (children and staff).
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <optional>

class ManagedObject;

struct DoubleClocking {
    Q_DECLARE_TR_FUNCTIONS(DoubleClocking)
public:
    struct Side {
        ManagedObject* record = nullptr;
        QString tablet; // its ipadMacId
        qint64 ms = 0;  // its moment
    };
    Side first;           // the one that counts
    Side later;           // the duplicate, offered for removal
    QString ownTablet;    // this tablet's ipadMacId
    bool in = true;

    // The latest such pair among registrations (any order) at or after periodBegin (a millisecond text);
    // deleted registrations and those of no known tablet do not count.
    static std::optional<DoubleClocking> find(const QList<ManagedObject*>& registrations,
                                              const QString& periodBegin, const QString& ownIpadMacId);
    // "Twee keer ingeklokt: om 10:00 op deze tablet en om 10:01 op Tablet Refter": the other tablet by
    // the name the server gave, its identifier otherwise.
    QString notice() const;
    // The button that removes the later one: "Verwijder de latere (10:01)".
    QString removeTitle() const;
    // Whether the later one is this tablet's own.
    bool laterIsHere() const { return later.tablet == ownTablet; }

private:
    QString tabletName(const Side& side) const;
};
