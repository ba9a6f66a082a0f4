#include "StaffClockingSubject.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "Util.h"

namespace {

const Users* member(const ManagedObject* person) {
    return static_cast<const Users*>(person);
}

} // namespace

ClockingTexts StaffClockingSubject::texts() const {
    ClockingTexts t;
    t.inMany = tr("Je gaat %1 gebruikers in klokken. Ben je zeker dat je hiermee wil doorgaan?");
    t.inManyHours =
        tr("Je gaat %1 gebruikers in klokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.inManyDays =
        tr("Je gaat %1 gebruikers inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    // The two singular clock-in texts differ by one letter; both are the ones users know.
    t.inOneHours =
        tr("Je gaat een gebuiker inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.inOneDays =
        tr("Je gaat een gebruiker inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.outMany = tr("Je gaat %1 gebruikers uitklokken. Ben je zeker dat je hiermee wil doorgaan?");
    t.outManyFuture =
        tr("Je gaat %1 gebruikers uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.outOneFuture =
        tr("Je gaat een gebruiker uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.guardIn = tr("Je wilt %1 %2 een tweede keer inklokken. Klok de gebruiker eerst uit voor dat je "
                   "opnieuw inklokt.");
    t.guardOut = tr("Je wilt %1 %2 een tweede keer uitklokken. Klok de gebruiker eerst in voor dat je "
                    "opnieuw uitklokt.");
    t.beforeIn = tr("Je wilt %1 %2 om %3 uitklokken, maar de gebruiker is pas om %4 ingeklokt. Kies een "
                    "later tijdstip.");
    t.beforeOut = tr("Je wilt %1 %2 om %3 inklokken, maar de gebruiker is om %4 al uitgeklokt. Kies een "
                     "later tijdstip.");
    t.pluralWord = tr("gebruikers");
    t.doneInMany = tr("%1 medewerkers ingeklokt");
    t.doneOutMany = tr("%1 medewerkers uitgeklokt");
    return t;
}

int StaffClockingSubject::isIngeschreven(const ManagedObject* person) const {
    return member(person)->isIngeschreven();
}

void StaffClockingSubject::updateIngeschrevenStatus(ManagedObject* person) const {
    auto* user = static_cast<Users*>(person);
    user->updateIngeschrevenStatus();
    // The same member at the tablet's other locations shows the same presence.
    const DataAccessObject dao = DataAccessObject::forStore(user->context()->store()->shared_from_this());
    for (Users* other :
         dao.getUsersForPredicate(Predicate::format(QStringLiteral("userId == %@"), {user->userId()}), false))
        if (other != user)
            other->updateIngeschrevenStatus();
}

ManagedObject* StaffClockingSubject::insertRegistration(Context* context, const ManagedObject* person,
                                                        Type type, const QString& time,
                                                        const QString& organisationId) const {
    auto* r = context->insertNew<UserRegistration>();
    r->setTime(time);
    r->setUserRegistrationId(time + Util::getUUID());
    r->setUserId(member(person)->userId());
    r->setEntityId(Users::sharedUserInfo().entityId);
    r->setOrganisationId(organisationId);
    r->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    r->setType(type == Type::In ? QStringLiteral("In") : QStringLiteral("Out"));
    r->setExists(1);
    r->setLocked(1);
    return r;
}

ManagedObject* StaffClockingSubject::person(DataAccessObject* dao, const QString& userId) const {
    // A member the list shows first; any record of that userId otherwise.
    const QList<Users*> listed =
        dao->getUsersForPredicate(Predicate::format(QStringLiteral("userId == %@"), {userId}), false);
    return listed.isEmpty() ? dao->loadUser(userId) : listed.first();
}

ManagedObject* StaffClockingSubject::ownerOf(DataAccessObject* dao, const ManagedObject* registration) const {
    return person(dao, static_cast<const UserRegistration*>(registration)->userId());
}

QList<ManagedObject*> StaffClockingSubject::registrations(const ManagedObject* person) const {
    QList<ManagedObject*> out;
    for (UserRegistration* r : member(person)->userRegistrations())
        out << r;
    return out;
}

QString StaffClockingSubject::personId(const ManagedObject* person) const {
    return member(person)->userId();
}

QString StaffClockingSubject::firstName(const ManagedObject* person) const {
    return member(person)->first_name();
}

QString StaffClockingSubject::lastName(const ManagedObject* person) const {
    return member(person)->last_name();
}

QString StaffClockingSubject::image(const ManagedObject* person) const {
    return member(person)->image();
}

const StaffClockingSubject& StaffClockingSubject::instance() {
    static const StaffClockingSubject subject;
    return subject;
}
