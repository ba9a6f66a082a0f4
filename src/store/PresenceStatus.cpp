// Presence status of children and staff: the type and clock time of the latest live registration
// after the begin time of the current registration period.
#include "DataAccessObject.h"
#include "Entities.h"
#include "Log.h"
#include "Store.h"
#include "Util.h"

#include <QDateTime>

namespace {

// The query object of the record's own store (a test may run two tablets in one process).
DataAccessObject daoFor(const ManagedObject* record) {
    return DataAccessObject::forStore(record->context()->store()->shared_from_this());
}

// Stores the type and time of the latest registration on a child or staff record.
template <class Person, class Reg> void applyStatus(Person* person, Reg* latest) {
    if (!latest) {
        person->clear(Person::index_ingeschrevenStatus());
        person->clear(Person::index_ingeschrevenTime());
        return;
    }
    if (person->ingeschrevenStatus() != latest->type() ||
        person->isAbsent(Person::index_ingeschrevenStatus()))
        person->setIngeschrevenStatus(latest->type());
    if (person->isAbsent(Person::index_ingeschrevenStatus())) {
        person->clear(Person::index_ingeschrevenTime());
        return;
    }
    const qint64 ms = latest->time().toLongLong();
    person->setIngeschrevenTime(QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm")));
    if (ms > Util::getEndOfTheDay().toLongLong()) {
        person->setIngeschrevenTime(QStringLiteral("Future"));
        CC_LOG(QStringLiteral("Error registration in the future"));
    }
}

int statusCode(const ManagedObject* person, int statusIndex) {
    if (person->isAbsent(statusIndex))
        return 0;
    const QString status = person->text(statusIndex);
    if (status == QLatin1String("In"))
        return 1;
    if (status == QLatin1String("Out"))
        return 2;
    if (status == QLatin1String("Future"))
        return 3;
    return 0;
}

} // namespace

Registration* Child::latestRegistrationAfterDay(const QString& moment) const {
    const QString after = moment.isNull() ? Util::getBeginRegistrationTime() : moment;
    const auto found = daoFor(this).loadRegistrationForChild(childId(), after);
    return found.isEmpty() ? nullptr : found.first();
}

void Child::updateIngeschrevenStatus(const QString& moment) {
    applyStatus(this, latestRegistrationAfterDay(moment));
}

void Child::updateIngeschrevenStatus() {
    updateIngeschrevenStatus(QString());
}

void Child::updateIngeschrevenStatuses(const QList<Child*>& children, const QString& moment) {
    if (children.isEmpty())
        return;
    QStringList ids;
    for (const Child* c : children)
        ids << c->childId();
    const QString after = moment.isNull() ? Util::getBeginRegistrationTime() : moment;
    const auto latest = daoFor(children.first()).loadLatestRegistrationsForChildren(ids, after);
    for (Child* c : children)
        applyStatus(c, latest.value(c->childId()));
}

int Child::isIngeschreven() const {
    return statusCode(this, index_ingeschrevenStatus());
}

QList<Registration*> Child::registrations() const {
    return daoFor(this).loadRegistrationsForChild(childId());
}

UserRegistration* Users::latestRegistrationAfterDay(const QString& moment) const {
    const QString after = moment.isNull() ? Util::getBeginRegistrationTime() : moment;
    const auto found = daoFor(this).loadRegistrationForUser(userId(), after);
    return found.isEmpty() ? nullptr : found.first();
}

void Users::updateIngeschrevenStatus(const QString& moment) {
    applyStatus(this, latestRegistrationAfterDay(moment));
}

void Users::updateIngeschrevenStatus() {
    updateIngeschrevenStatus(QString());
}

void Users::updateIngeschrevenStatuses(const QList<Users*>& users, const QString& moment) {
    if (users.isEmpty())
        return;
    QStringList ids;
    for (const Users* u : users)
        ids << u->userId();
    const QString after = moment.isNull() ? Util::getBeginRegistrationTime() : moment;
    const auto latest = daoFor(users.first()).loadLatestRegistrationsForUsers(ids, after);
    for (Users* u : users)
        applyStatus(u, latest.value(u->userId()));
}

int Users::isIngeschreven() const {
    return statusCode(this, index_ingeschrevenStatus());
}

QList<UserRegistration*> Users::userRegistrations() const {
    return daoFor(this).loadRegistrationsForUser(userId());
}
