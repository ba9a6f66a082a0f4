#include "TestStore.h"

#include "UserDefaults.h"

namespace testing {

QDateTime local(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime);
}

QString moment(const QDateTime& date) {
    return QString::number(date.toMSecsSinceEpoch());
}

} // namespace testing

TemporaryStore::TemporaryStore() {
    m_path = m_dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    UserDefaults::setStandard(std::make_shared<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.ini"))));
    m_store = Store::open(m_path);
    if (m_store)
        m_dao = std::make_unique<DataAccessObject>(m_store);
}

TemporaryStore::~TemporaryStore() {
    // The logged-in record lives in this store's context.
    if (Users::sharedUsers() && Users::sharedUsers()->context() &&
        Users::sharedUsers()->context()->store() == m_store.get())
        Users::setSharedUsers(nullptr);
    if (DataAccessObject::sharedDataAccessObject() == m_dao.get())
        DataAccessObject::setSharedDataAccessObject(nullptr);
    m_dao.reset();
    m_store.reset();
    UserDefaults::setStandard(nullptr);
}

QString TemporaryStore::save() {
    QString error;
    if (!context()->save(&error) && error.isEmpty())
        error = QStringLiteral("save failed without a reason");
    return error;
}

Organisation* TemporaryStore::organisation(const QString& id, const QString& timeSwitch,
                                           const QString& timeSwitchInterval, qint64 exists) {
    auto* o = context()->insertNew<Organisation>();
    o->setOrganisationId(id);
    o->setOrganisationName(QStringLiteral("Organisatie ") + id);
    o->setTimeSwitch(timeSwitch);
    o->setTimeSwitchInterval(timeSwitchInterval);
    o->setExists(exists);
    return o;
}

Entities* TemporaryStore::location(const QString& id, const QString& name, qint64 activeForiPad,
                                   qint64 exists) {
    auto* e = context()->insertNew<Entities>();
    e->setIdEntity(id);
    e->setName(name);
    e->setActiveForiPad(activeForiPad);
    e->setExists(exists);
    return e;
}

Device* TemporaryStore::device(const QString& id, const QString& organisationId, const QString& name,
                               qint64 exists) {
    auto* d = context()->insertNew<Device>();
    d->setIdDevice(id);
    d->setIdOrganisation(organisationId);
    d->setName(name);
    d->setExists(exists);
    return d;
}

Child* TemporaryStore::child(const QString& id, const QString& firstName, const QString& lastName,
                             const QString& entityId, qint64 exists) {
    auto* c = context()->insertNew<Child>();
    c->setChildId(id);
    c->setFirstName(firstName);
    c->setLastName(lastName);
    c->setEntityId(entityId);
    c->setExists(exists);
    return c;
}

Users* TemporaryStore::staff(const QString& userEntityId, const QString& userId, const QString& firstName,
                             const QString& lastName, const QString& entityId, qint64 timeEntryNeeded,
                             qint64 exists, qint64 isAdmin) {
    auto* u = context()->insertNew<Users>();
    u->setUserEntityId(userEntityId);
    u->setUserId(userId);
    u->setFirst_name(firstName);
    u->setLast_name(lastName);
    u->setEntityId(entityId);
    u->setTimeEntryNeeded(timeEntryNeeded);
    u->setExists(exists);
    u->setIsAdmin(isAdmin);
    return u;
}

Group* TemporaryStore::membership(const QString& groupChildId, const QString& groupId,
                                  const QString& groupName, const QString& groupType, Child* child,
                                  qint64 exists, const QString& entityId) {
    auto* g = context()->insertNew<Group>();
    g->setGroupChildId(groupChildId);
    g->setGroupId(groupId);
    g->setGroupName(groupName);
    g->setGroupType(groupType);
    g->setImage(QStringLiteral("https://example.invalid/groups/") + groupId + QStringLiteral(".png"));
    g->setEntityId(entityId);
    g->setExists(exists);
    if (child) {
        g->setChildId(child->childId());
        g->setChild(child);
    }
    return g;
}

Registration* TemporaryStore::registration(const QString& id, const QString& childId, const QString& time,
                                           const QString& type, qint64 exists, const QVariant& locked) {
    auto* r = context()->insertNew<Registration>();
    r->setRegistrationId(id);
    r->setChildId(childId);
    r->setEntityId(QStringLiteral("E1"));
    r->setTime(time);
    r->setType(type);
    r->setExists(exists);
    if (locked.isValid())
        r->setLocked(locked.toLongLong());
    return r;
}

UserRegistration* TemporaryStore::userRegistration(const QString& id, const QString& userId,
                                                   const QString& time, const QString& type, qint64 exists,
                                                   const QVariant& locked) {
    auto* r = context()->insertNew<UserRegistration>();
    r->setUserRegistrationId(id);
    r->setUserId(userId);
    r->setEntityId(QStringLiteral("E1"));
    r->setTime(time);
    r->setType(type);
    r->setExists(exists);
    if (locked.isValid())
        r->setLocked(locked.toLongLong());
    return r;
}

SynchroObject* TemporaryStore::synchro(const QString& id, qint64 status, const QString& entryDate,
                                       const QString& lastTryDate) {
    auto* s = context()->insertNew<SynchroObject>();
    s->setIdSynchroObject(id);
    s->setStatus(status);
    s->setEntryDate(entryDate);
    s->setLastTryDate(lastTryDate);
    s->setHttpType(QStringLiteral("POST"));
    s->setObjectType(QStringLiteral("Registration"));
    s->setObjectId(id);
    return s;
}
