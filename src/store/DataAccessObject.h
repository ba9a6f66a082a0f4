#pragma once
// Every read of the local store. Stateless apart from the store it reads; each call works in the
// calling thread's context, so objects returned belong to that thread.
#include "Entities.h"
#include "Store.h"
#include "Util.h"

#include <QStringList>
#include <QVariantMap>
#include <memory>

// One queue record as the queue screen lists it: the values only, no record. Absent texts stay null.
struct SynchroObjectEntry {
    QString idSynchroObject;
    QString entryDate;
    QString objectType;
    QString objectId;
    QString httpType;
    QString lastTryDate;
    qint64 status = 0;
    qint64 nrOfTries = 0;
};

// One queue record not yet answered, with whom it concerns: the child or staff member of a registration
// (empty for other records).
struct UnansweredQueueEntry {
    QString idSynchroObject;
    QString objectType;
    QString objectId;
    QString httpType;
    QString entryDate;
    qint64 status = 0;        // 0 waiting, 1 on its way, 2 failed
    QString childId;          // of a child registration
    QString userId;           // of a staff registration
    QString registrationType; // "In" / "Out" of either registration
    QString registrationTime;
};

// One child as a list shows it: the row's values only, no record.
struct ChildListEntry {
    QString childId;
    QString firstName;
    QString lastName;
    QString foldedFirstName; // TextKeys::fold of the names, for contains[cd]
    QString foldedLastName;
    QString image;
    QString ingeschrevenStatus; // null: absent
    QString ingeschrevenTime;
};

class DataAccessObject {
public:
    // Registers itself as the shared instance when none is registered yet.
    explicit DataAccessObject(std::shared_ptr<Store> store);
    // A query object for one store that never becomes the shared one (records of a second store).
    static DataAccessObject forStore(std::shared_ptr<Store> store);
    DataAccessObject(DataAccessObject&&) = default;
    ~DataAccessObject();

    static DataAccessObject* sharedDataAccessObject();
    static void setSharedDataAccessObject(DataAccessObject* dao);

    std::shared_ptr<Store> store() const { return m_store; }
    // The calling thread's working context.
    Context* context() const { return m_store->context(); }
    // Empties the store, keeping what refill writes (see Store::deleteEverything). False when the disk
    // refused: the store is as it was.
    bool deleteEverythingFromLocalStorage(const std::function<void()>& refill = {});

    // Locations and organisation
    QList<Entities*> loadSchoolsFromDataStore() const;
    // The live location with this id when exactly one matches.
    Entities* loadEntitiyFromDataStoreById(const QString& entityId) const;
    Organisation* loadOrganisation() const;
    // The time-switch settings of the stored organisation, as the period rules read them.
    OrganisationSettings organisationSettings() const;
    QList<Device*> loadAllDevices() const;

    // Staff
    QList<Users*> getUsersForEntity(const QString& entityId) const;
    QList<Users*> loadUsers() const;
    Users* loadUser(const QString& userId) const;
    // Staff whose working time is clocked; with groupByEntityId one record per staff member (Z–A).
    QList<Users*> getUsersForPredicate(const Predicate& predicate, bool groupByEntityId) const;
    // Staff count, present, count minus present, gone (latest staff registration since midnight).
    QStringList countOfUsers(const QString& entityId, const Predicate& predicate) const;

    // Children and groups
    QList<Child*> loadChildrenforEntity(const QString& entityId) const;
    QList<Child*> loadChildrenforEntity(const QString& entityId, const Predicate& predicate) const;
    Child* loadChild(const QString& childId) const;
    QStringList loadGroupTypesforEntity(const QString& entityId) const;
    // Distinct rows {groupName, image, groupId}.
    QList<QVariantMap> loadGroupsFromType(const QString& groupType, const QString& entityId) const;
    QList<Group*> loadChildrenForGroup(const QString& groupId, const QString& entityId) const;
    // The children loadChildrenforEntity(entityId) lists, in its order, as plain values: no records are
    // made. This context's unsaved changes to them count; unsaved new children do not, as in a fetch.
    QList<ChildListEntry> loadChildListEntries(const QString& entityId) const;
    // (groupType, groupName) of every membership of a child, live or not, in stored order; this
    // context's unsaved memberships and changes count.
    QList<QPair<QString, QString>> loadGroupNamesForChild(const QString& childId) const;
    // Children count, present, count minus present, other status. groupRow: a row of loadGroupsFromType.
    QStringList countOfChildren(const QString& entityId, const Predicate& predicate,
                                const QVariantMap& groupRow = {}) const;

    // Child registrations
    QList<Registration*> loadRegistrationForChild(const QString& childId, const QString& afterTime) const;
    // Per child id: what loadRegistrationForChild would give first, for many children in one query.
    QHash<QString, Registration*> loadLatestRegistrationsForChildren(const QStringList& childIds,
                                                                     const QString& afterTime) const;
    // The same, counting only registrations at or before notAfterTime: what stood at that moment.
    QHash<QString, Registration*> loadLatestRegistrationsForChildren(const QStringList& childIds,
                                                                     const QString& afterTime,
                                                                     const QString& notAfterTime) const;
    QList<Registration*> loadRegistrationsForChild(const QString& childId) const;
    Registration* loadRegistration(const QString& registrationId) const;
    QList<Registration*> loadRegistrationsBeforeToday() const;

    // Staff registrations
    QList<UserRegistration*> loadRegistrationForUser(const QString& userId, const QString& afterTime) const;
    // Per user id: what loadRegistrationForUser would give first, for many staff members in one query.
    QHash<QString, UserRegistration*> loadLatestRegistrationsForUsers(const QStringList& userIds,
                                                                      const QString& afterTime) const;
    // The same, counting only registrations at or before notAfterTime.
    QHash<QString, UserRegistration*> loadLatestRegistrationsForUsers(const QStringList& userIds,
                                                                      const QString& afterTime,
                                                                      const QString& notAfterTime) const;
    QList<UserRegistration*> loadRegistrationsForUser(const QString& userId) const;
    UserRegistration* loadUserRegistration(const QString& userRegistrationId) const;
    QList<UserRegistration*> loadUserRegistrationsBeforeToday() const;

    // Queue, uploads, refresh bookkeeping
    QList<SynchroObject*> loadSynchroToBeHandledSynchroObjects() const;
    QList<SynchroObject*> loadSynchroInProgressSynchroObjects() const;
    QList<SynchroObject*> loadSynchroOldHandledSynchroObjects() const;
    QList<SynchroObject*> loadAllSynchroObjects() const;
    SynchroObject* loadSynchroObject(const QString& idSynchroObject) const;
    // What loadAllSynchroObjects gives, in its order, as plain values; this context's unsaved changes count.
    QList<SynchroObjectEntry> loadAllSynchroObjectEntries() const;
    // Every queue record with status 0, 1 or 2 in one query, with the owner of its registration.
    // Committed rows only: callers ask after the queue's save.
    QList<UnansweredQueueEntry> loadUnansweredQueueEntries() const;
    ObjectImageUpload* loadObjectImageUpload(const QString& id) const;
    QList<ObjectImageUpload*> loadObjectImageUploadBeforeToday() const;
    // Creates the record ("00000", "0") when missing; the caller saves. Null only when the store could
    // not be read: then whether one exists is unknown and none is made.
    GetSynchroObject* loadGetSynchroObjectById(const QString& id) const;

private:
    struct Unshared {};
    DataAccessObject(std::shared_ptr<Store> store, Unshared);
    std::shared_ptr<Store> m_store;
};
