#pragma once
// Staff members as the people a detail panel clocks: UserRegistration records under the clocked
// member's userId at the logged-in member's location, the staff texts, no "Deselecteer" and no
// deletion of registrations. Stateless; main thread like the panel that uses it.
#include "Inklokken.h"

class StaffClockingSubject : public ClockingSubject {
    Q_DECLARE_TR_FUNCTIONS(StaffClockingSubject)
public:
    ClockingTexts texts() const override;
    int isIngeschreven(const ManagedObject* person) const override;
    // Every listed record of the member: its registrations belong to the userId, not to one location.
    void updateIngeschrevenStatus(ManagedObject* person) const override;
    ManagedObject* insertRegistration(Context* context, const ManagedObject* person, Type type,
                                      const QString& time, const QString& organisationId) const override;
    ManagedObject* person(DataAccessObject* dao, const QString& userId) const override;
    ManagedObject* ownerOf(DataAccessObject* dao, const ManagedObject* registration) const override;
    QList<ManagedObject*> registrations(const ManagedObject* person) const override;
    QString personId(const ManagedObject* person) const override;
    QString firstName(const ManagedObject* person) const override;
    QString lastName(const ManagedObject* person) const override;
    QString image(const ManagedObject* person) const override;
    bool offersDeselect() const override { return false; }
    bool offersDeletion() const override { return false; }

    static const StaffClockingSubject& instance();
};
