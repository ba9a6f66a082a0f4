#pragma once
// One person clocked the same way twice, once here and once on another tablet, in the same registration
// period with no clocking of the other kind in between: a refresh brought the other tablet's registration
// after this tablet made its own. Plain values over the registrations' attributes (children and staff).
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <optional>

class ManagedObject;

struct DoubleClocking {
    Q_DECLARE_TR_FUNCTIONS(DoubleClocking)
public:
    ManagedObject* local = nullptr; // this tablet's registration of the pair
    QString otherTablet;            // the other registration's ipadMacId
    qint64 otherMs = 0;             // and its moment
    bool in = true;

    // The latest such pair among registrations (any order) at or after periodBegin (a millisecond text);
    // deleted registrations and those of no known tablet do not count.
    static std::optional<DoubleClocking> find(const QList<ManagedObject*>& registrations,
                                              const QString& periodBegin, const QString& ownIpadMacId);
    // "Ook ingeklokt op Tablet Onthaal om 14:02": the tablet's name where the server gave one, its
    // identifier otherwise.
    QString notice() const;
};
