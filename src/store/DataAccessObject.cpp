#include "DataAccessObject.h"

#include "Clock.h"
#include "Log.h"
#include "TextKeys.h"
#include "Util.h"

#include <QCoreApplication>
#include <QMutex>

#include <limits>

namespace {

QMutex sharedMutex;
DataAccessObject* shared = nullptr;

const QString Q1 = QStringLiteral("(status == 2 || status == 0 || (status == 1 && lastTryDate <= %@))");
const QString Q2 = QStringLiteral("(status == 2 || status == 0 || status == 1)");
const QString Q3 = QStringLiteral("(locked != true || locked = nil)");
const QString Q4 = QStringLiteral("(locked != true || locked = nil) && time < %@");

QList<SortDescriptor> newestFirst() {
    return {SortDescriptor::desc(QStringLiteral("time")), SortDescriptor::desc(QStringLiteral("type"))};
}

// The latest live registration of each owner (childId or userId) after a moment, and not after notAfter
// when given, this context's unsaved changes included: a status recomputed right after a clocking must
// count it, saved or not.
template <class Reg>
QHash<QString, Reg*> latestAfter(Context* context, const QString& ownerKey, const QStringList& owners,
                                 const QString& after, const QString& notAfter = QString()) {
    const bool one = owners.size() == 1;
    const bool bounded = !notAfter.isNull();
    QString where = QStringLiteral("%1 %2 %@ && exists == 1 && time > %@")
                        .arg(ownerKey, one ? QStringLiteral("==") : QStringLiteral("IN"));
    QVariantList params{
        one ? QVariant(owners.first()) : QVariant(QVariantList(owners.cbegin(), owners.cend())), after};
    if (bounded) {
        where += QStringLiteral(" && time <= %@");
        params << notAfter;
    }
    const Predicate live = Predicate::format(where, params);
    QHash<QString, Reg*> latest;
    const QList<ManagedObject*> pending = context->pendingObjects(Reg::staticEntity());
    if (pending.isEmpty()) {
        // Newest first: the first met of each owner is its latest.
        for (Reg* r : context->fetch<Reg>(live, newestFirst(), one ? 1 : 0)) {
            const QString owner = r->valueForKey(ownerKey).toString();
            if (!latest.contains(owner))
                latest.insert(owner, r);
        }
        return latest;
    }
    // Unsaved changes may move a record in or out: every candidate is judged on its current values.
    QList<Reg*> candidates = context->fetch<Reg>(live);
    for (ManagedObject* o : pending)
        if (!candidates.contains(static_cast<Reg*>(o)))
            candidates.append(static_cast<Reg*>(o));
    const QSet<QString> wanted(owners.cbegin(), owners.cend());
    const qint64 from = after.toLongLong();
    const qint64 until = bounded ? notAfter.toLongLong() : std::numeric_limits<qint64>::max();
    for (Reg* r : std::as_const(candidates)) {
        const QString owner = r->valueForKey(ownerKey).toString();
        const qint64 t = r->time().toLongLong();
        if (r->isDeleted() || !wanted.contains(owner) || r->exists() != 1 || t <= from || t > until)
            continue;
        Reg*& best = latest[owner];
        if (!best || t > best->time().toLongLong() ||
            (t == best->time().toLongLong() && r->type() > best->type()))
            best = r;
    }
    return latest;
}

template <class Reg>
QList<Reg*> latestOf(Context* context, const QString& ownerKey, const QString& owner, const QString& after) {
    Reg* r = latestAfter<Reg>(context, ownerKey, {owner}, after).value(owner);
    return r ? QList<Reg*>{r} : QList<Reg*>{};
}

QString momentBeforeNow(qint64 seconds) {
    return Util::millisText(Clock::nowMs() - seconds * 1000);
}

// One record per staff member: later records of a userId already met are skipped; each kept record goes
// in front, so the result is the reverse of the fetch order.
QList<Users*> onePerStaffMember(const QList<Users*>& fetched) {
    QList<Users*> result;
    QStringList seen;
    for (Users* u : fetched) {
        if (seen.contains(u->userId()))
            continue;
        result.prepend(u);
        seen.prepend(u->userId());
    }
    return result;
}

} // namespace

DataAccessObject::DataAccessObject(std::shared_ptr<Store> store)
    : m_store(std::move(store)) {
    QMutexLocker lock(&sharedMutex);
    if (!shared) {
        shared = this;
        Util::setOrganisationSettingsProvider([] {
            DataAccessObject* dao = DataAccessObject::sharedDataAccessObject();
            return dao ? dao->organisationSettings() : OrganisationSettings();
        });
    }
}

OrganisationSettings DataAccessObject::organisationSettings() const {
    OrganisationSettings s;
    if (Organisation* org = loadOrganisation()) {
        s.present = true;
        s.hasOrganisationId = !org->organisationId().isEmpty();
        s.timeSwitch = org->timeSwitch();
        s.timeSwitchInterval = org->timeSwitchInterval();
    }
    return s;
}

DataAccessObject::DataAccessObject(std::shared_ptr<Store> store, Unshared)
    : m_store(std::move(store)) {}

DataAccessObject DataAccessObject::forStore(std::shared_ptr<Store> store) {
    return DataAccessObject(std::move(store), Unshared{});
}

DataAccessObject::~DataAccessObject() {
    QMutexLocker lock(&sharedMutex);
    if (shared == this)
        shared = nullptr;
}

DataAccessObject* DataAccessObject::sharedDataAccessObject() {
    QMutexLocker lock(&sharedMutex);
    return shared;
}

void DataAccessObject::setSharedDataAccessObject(DataAccessObject* dao) {
    QMutexLocker lock(&sharedMutex);
    shared = dao;
}

bool DataAccessObject::deleteEverythingFromLocalStorage(const std::function<void()>& refill) {
    if (!m_store->deleteEverything(refill))
        return false;
    Users::setSharedUsers(nullptr); // the record went with the store
    return true;
}

// ------------------------------------------------------------ locations and organisation

QList<Entities*> DataAccessObject::loadSchoolsFromDataStore() const {
    return context()->fetch<Entities>(
        Predicate::format(QStringLiteral("activeForiPad == true  && exists == 1")),
        {SortDescriptor::az(QStringLiteral("name"))});
}

Entities* DataAccessObject::loadEntitiyFromDataStoreById(const QString& entityId) const {
    const auto found = context()->fetch<Entities>(
        Predicate::format(QStringLiteral("idEntity == %@  && exists == 1"), {entityId}));
    return found.size() == 1 ? found.first() : nullptr;
}

Organisation* DataAccessObject::loadOrganisation() const {
    return context()->fetchFirst<Organisation>(Predicate::format(QStringLiteral("exists == 1")));
}

QList<Device*> DataAccessObject::loadAllDevices() const {
    Organisation* org = loadOrganisation();
    const Predicate p = org && !org->organisationId().isEmpty()
                            ? Predicate::format(QStringLiteral("exists == 1 && idOrganisation == %@"),
                                                {org->organisationId()})
                            : Predicate::format(QStringLiteral("exists == 1"));
    return context()->fetch<Device>(p, {SortDescriptor::az(QStringLiteral("name"))});
}

// ------------------------------------------------------------ staff

QList<Users*> DataAccessObject::getUsersForEntity(const QString& entityId) const {
    return context()->fetch<Users>(
        Predicate::format(QStringLiteral("entityId == %@  && exists == 1"), {entityId}),
        {SortDescriptor::az(QStringLiteral("first_name"))});
}

QList<Users*> DataAccessObject::loadUsers() const {
    return context()->fetch<Users>(
        Predicate::format(QStringLiteral("exists == 1")),
        {SortDescriptor::az(QStringLiteral("last_name")), SortDescriptor::az(QStringLiteral("first_name"))});
}

Users* DataAccessObject::loadUser(const QString& userId) const {
    return context()->fetchFirst<Users>(Predicate::format(QStringLiteral("userId == %@"), {userId}));
}

QList<Users*> DataAccessObject::getUsersForPredicate(const Predicate& predicate, bool groupByEntityId) const {
    const Predicate p = Predicate::andPredicates(
        predicate, Predicate::format(QStringLiteral("timeEntryNeeded == 1 && exists == 1")));
    const auto fetched = context()->fetch<Users>(p, {SortDescriptor::az(QStringLiteral("first_name"))});
    return groupByEntityId ? onePerStaffMember(fetched) : fetched;
}

QStringList DataAccessObject::countOfUsers(const QString& /*entityId: not used*/,
                                           const Predicate& predicate) const {
    const Predicate p = Predicate::andPredicates(
        predicate, Predicate::format(QStringLiteral("timeEntryNeeded==1&&exists == 1")));
    const auto staff =
        onePerStaffMember(context()->fetch<Users>(p, {SortDescriptor::az(QStringLiteral("first_name"))}));
    const QString midnight = Util::getCurrentDayAsAString();
    int present = 0;
    int gone = 0;
    for (Users* u : staff) {
        const auto latest = loadRegistrationForUser(u->userId(), midnight);
        if (latest.isEmpty())
            continue;
        if (latest.first()->type() == QLatin1String("In"))
            ++present;
        else if (latest.first()->type() == QLatin1String("Out"))
            ++gone;
    }
    const int total = int(staff.size());
    return {QString::number(total), QString::number(present), QString::number(total - present),
            QString::number(gone)};
}

// ------------------------------------------------------------ children and groups

QList<Child*> DataAccessObject::loadChildrenforEntity(const QString& entityId) const {
    return loadChildrenforEntity(entityId, Predicate());
}

QList<Child*> DataAccessObject::loadChildrenforEntity(const QString& entityId,
                                                      const Predicate& predicate) const {
    const Predicate p = Predicate::andPredicates(
        predicate, Predicate::format(QStringLiteral("entityId == %@  && exists == 1"), {entityId}));
    return context()->fetch<Child>(
        p, {SortDescriptor::az(QStringLiteral("lastName")), SortDescriptor::az(QStringLiteral("firstName"))});
}

Child* DataAccessObject::loadChild(const QString& childId) const {
    return context()->fetchFirst<Child>(Predicate::format(QStringLiteral("childId == %@"), {childId}));
}

QStringList DataAccessObject::loadGroupTypesforEntity(const QString& entityId) const {
    FetchRequest r = FetchRequest::of<Group>(
        Predicate::format(QStringLiteral("entityId == %@ && exists == 1 && child.exists == 1"), {entityId}),
        {SortDescriptor::az(QStringLiteral("groupType"))});
    r.propertiesToFetch = QStringList{QStringLiteral("groupType")};
    r.distinct = true;
    QStringList types;
    // A membership without a type names no type of its own.
    for (const QVariantMap& row : context()->fetchRows(r))
        if (const QString type = row.value(QStringLiteral("groupType")).toString(); !type.trimmed().isEmpty())
            types << type;
    return types;
}

QList<QVariantMap> DataAccessObject::loadGroupsFromType(const QString& groupType,
                                                        const QString& entityId) const {
    const QString all = QCoreApplication::translate("DataAccessObject", "Filter op groep");
    const Predicate p =
        !groupType.isEmpty() && groupType != all
            ? Predicate::format(QStringLiteral("groupType == %@ && entityId == %@ && exists == 1 && "
                                               "child.exists == 1"),
                                {groupType, entityId})
            : Predicate::format(QStringLiteral("entityId == %@ && exists == 1 && child.exists == 1"),
                                {entityId});
    FetchRequest r = FetchRequest::of<Group>(p, {SortDescriptor::az(QStringLiteral("groupName"))});
    r.propertiesToFetch =
        QStringList{QStringLiteral("groupName"), QStringLiteral("image"), QStringLiteral("groupId")};
    r.distinct = true;
    return context()->fetchRows(r);
}

QList<Group*> DataAccessObject::loadChildrenForGroup(const QString& groupId, const QString& entityId) const {
    return context()->fetch<Group>(
        Predicate::format(QStringLiteral("groupId == %@ && entityId == %@  && child.exists == 1"),
                          {groupId, entityId}),
        {SortDescriptor::az(QStringLiteral("child.lastName")),
         SortDescriptor::az(QStringLiteral("child.firstName"))});
}

QList<ChildListEntry> DataAccessObject::loadChildListEntries(const QString& entityId) const {
    // The same rows and order as the record fetch (its predicate, the A-Z keys, then rowid), without
    // reading every column of every record.
    static const QString sql = QStringLiteral(
        "SELECT t.rowid, t.\"childId\", t.\"firstName\", t.\"lastName\", t.\"firstName__f\", "
        "t.\"lastName__f\", t.\"image\", t.\"ingeschrevenStatus\", t.\"ingeschrevenTime\" FROM \"Child\" t "
        "WHERE t.\"entityId\" = ? AND t.\"exists\" = 1 "
        "ORDER BY t.\"lastName__k\", t.\"firstName__k\", t.rowid");
    QList<ChildListEntry> out;
    sql::Statement* st = context()->database().cached(sql);
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(context()->database().lastError(), sql));
        return out;
    }
    // As a fetch does: what this context changed and has not saved wins over the stored values.
    QHash<qint64, const ManagedObject*> changed;
    for (const ManagedObject* o : context()->pendingObjects(Child::staticEntity()))
        if (!o->isInserted())
            changed.insert(o->rowId(), o);
    st->bindText(1, entityId);
    int rc;
    while ((rc = st->step()) == SQLITE_ROW) {
        ChildListEntry e;
        e.childId = st->text(1);
        e.firstName = st->text(2);
        e.lastName = st->text(3);
        e.foldedFirstName = st->text(4);
        e.foldedLastName = st->text(5);
        e.image = st->text(6);
        e.ingeschrevenStatus = st->text(7);
        e.ingeschrevenTime = st->text(8);
        if (const ManagedObject* o = changed.value(st->integer(0))) {
            if (o->isDeleted())
                continue;
            const auto take = [o](int index, QString& field) {
                if (o->isDirty(index))
                    field = o->text(index);
            };
            take(Child::index_childId(), e.childId);
            take(Child::index_image(), e.image);
            take(Child::index_ingeschrevenStatus(), e.ingeschrevenStatus);
            take(Child::index_ingeschrevenTime(), e.ingeschrevenTime);
            if (o->isDirty(Child::index_firstName())) {
                e.firstName = o->text(Child::index_firstName());
                e.foldedFirstName = TextKeys::fold(e.firstName);
            }
            if (o->isDirty(Child::index_lastName())) {
                e.lastName = o->text(Child::index_lastName());
                e.foldedLastName = TextKeys::fold(e.lastName);
            }
        }
        out.append(std::move(e));
    }
    if (rc != SQLITE_DONE)
        CC_LOG(QStringLiteral("error %1").arg(context()->database().lastError()));
    st->reset();
    return out;
}

QList<QPair<QString, QString>> DataAccessObject::loadGroupNamesForChild(const QString& childId) const {
    static const QString sql =
        QStringLiteral("SELECT t.rowid, t.\"groupType\", t.\"groupName\" FROM \"Group\" t "
                       "WHERE t.\"child\" = ? ORDER BY t.rowid");
    QList<QPair<QString, QString>> out;
    sql::Statement* st = context()->database().cached(sql);
    if (!st || childId.isNull())
        return out;
    static const int childIndex = Group::staticEntity().indexOf(QStringLiteral("child"));
    QHash<qint64, const ManagedObject*> changed;
    QList<const ManagedObject*> added;
    for (const ManagedObject* o : context()->pendingObjects(Group::staticEntity())) {
        if (!o->isInserted())
            changed.insert(o->rowId(), o);
        else if (!o->isDeleted() && o->text(childIndex) == childId)
            added.append(o);
    }
    st->bindText(1, childId);
    while (st->step() == SQLITE_ROW) {
        QPair<QString, QString> names(st->text(1), st->text(2));
        if (const ManagedObject* o = changed.value(st->integer(0))) {
            if (o->isDeleted())
                continue;
            if (o->isDirty(Group::index_groupType()))
                names.first = o->text(Group::index_groupType());
            if (o->isDirty(Group::index_groupName()))
                names.second = o->text(Group::index_groupName());
        }
        out.append(names);
    }
    st->reset();
    for (const ManagedObject* o : std::as_const(added))
        out.append({o->text(Group::index_groupType()), o->text(Group::index_groupName())});
    return out;
}

QStringList DataAccessObject::countOfChildren(const QString& entityId, const Predicate& predicate,
                                              const QVariantMap& groupRow) const {
    const Predicate p = Predicate::andPredicates(
        predicate, Predicate::format(QStringLiteral("entityId == %@  && exists == 1"), {entityId}));
    const FetchRequest r = FetchRequest::of<Child>(p);
    // A child counts once per membership of the chosen group, live or not.
    QString join;
    QVariantList joinParams;
    if (!groupRow.isEmpty()) {
        join = QStringLiteral("JOIN \"Group\" g ON g.\"child\" = t.\"childId\" AND g.\"groupId\" = ?");
        joinParams << groupRow.value(QStringLiteral("groupId")).toString();
    }
    const QVariantList v = context()->aggregate(
        r,
        QStringLiteral("count(*), total(t.\"ingeschrevenStatus\" = 'In'), "
                       "total(t.\"ingeschrevenStatus\" IS NOT NULL AND t.\"ingeschrevenStatus\" != 'In')"),
        join, joinParams);
    const int total = v.value(0).toInt();
    const int present = int(v.value(1).toDouble());
    const int other = int(v.value(2).toDouble());
    return {QString::number(total), QString::number(present), QString::number(total - present),
            QString::number(other)};
}

// ------------------------------------------------------------ child registrations

QList<Registration*> DataAccessObject::loadRegistrationForChild(const QString& childId,
                                                                const QString& afterTime) const {
    return latestOf<Registration>(context(), QStringLiteral("childId"), childId, afterTime);
}

QHash<QString, Registration*>
DataAccessObject::loadLatestRegistrationsForChildren(const QStringList& childIds,
                                                     const QString& afterTime) const {
    return latestAfter<Registration>(context(), QStringLiteral("childId"), childIds, afterTime);
}

QHash<QString, Registration*>
DataAccessObject::loadLatestRegistrationsForChildren(const QStringList& childIds, const QString& afterTime,
                                                     const QString& notAfterTime) const {
    return latestAfter<Registration>(context(), QStringLiteral("childId"), childIds, afterTime, notAfterTime);
}

QList<Registration*> DataAccessObject::loadRegistrationsForChild(const QString& childId) const {
    const SharedUserInfo user = Users::sharedUserInfo();
    const Predicate p = user.present && !user.isAdmin
                            ? Predicate::format(QStringLiteral("childId == %@ && exists == 1 && time > %@"),
                                                {childId, Util::getBeginRegistrationTime()})
                            : Predicate::format(QStringLiteral("childId == %@ && exists == 1"), {childId});
    return context()->fetch<Registration>(p, newestFirst());
}

Registration* DataAccessObject::loadRegistration(const QString& registrationId) const {
    return context()->fetchFirst<Registration>(
        Predicate::format(QStringLiteral("registrationId == %@"), {registrationId}));
}

QList<Registration*> DataAccessObject::loadRegistrationsBeforeToday() const {
    return context()->fetch<Registration>(Predicate::format(Q4, {Util::getBeginRegistrationTime()}), {},
                                          1000);
}

// ------------------------------------------------------------ staff registrations

QList<UserRegistration*> DataAccessObject::loadRegistrationForUser(const QString& userId,
                                                                   const QString& afterTime) const {
    return latestOf<UserRegistration>(context(), QStringLiteral("userId"), userId, afterTime);
}

QHash<QString, UserRegistration*>
DataAccessObject::loadLatestRegistrationsForUsers(const QStringList& userIds,
                                                  const QString& afterTime) const {
    return latestAfter<UserRegistration>(context(), QStringLiteral("userId"), userIds, afterTime);
}

QHash<QString, UserRegistration*>
DataAccessObject::loadLatestRegistrationsForUsers(const QStringList& userIds, const QString& afterTime,
                                                  const QString& notAfterTime) const {
    return latestAfter<UserRegistration>(context(), QStringLiteral("userId"), userIds, afterTime,
                                         notAfterTime);
}

QList<UserRegistration*> DataAccessObject::loadRegistrationsForUser(const QString& userId) const {
    const SharedUserInfo user = Users::sharedUserInfo();
    const Predicate p = user.present && !user.isAdmin
                            ? Predicate::format(QStringLiteral("userId == %@ && exists == 1 && time > %@"),
                                                {userId, Util::getBeginRegistrationTime()})
                            : Predicate::format(QStringLiteral("userId == %@ && exists == 1"), {userId});
    return context()->fetch<UserRegistration>(p, newestFirst());
}

UserRegistration* DataAccessObject::loadUserRegistration(const QString& userRegistrationId) const {
    return context()->fetchFirst<UserRegistration>(
        Predicate::format(QStringLiteral("userRegistrationId == %@"), {userRegistrationId}));
}

QList<UserRegistration*> DataAccessObject::loadUserRegistrationsBeforeToday() const {
    return context()->fetch<UserRegistration>(Predicate::format(Q4, {Util::getBeginRegistrationTime()}), {},
                                              1000);
}

// ------------------------------------------------------------ queue, uploads, bookkeeping

QList<SynchroObject*> DataAccessObject::loadSynchroToBeHandledSynchroObjects() const {
    return context()->fetch<SynchroObject>(Predicate::format(Q1, {momentBeforeNow(180)}),
                                           {SortDescriptor::desc(QStringLiteral("entryDate"))}, 50);
}

QList<SynchroObject*> DataAccessObject::loadSynchroInProgressSynchroObjects() const {
    return context()->fetch<SynchroObject>(Predicate::format(Q2),
                                           {SortDescriptor::desc(QStringLiteral("entryDate"))});
}

QList<SynchroObject*> DataAccessObject::loadSynchroOldHandledSynchroObjects() const {
    return context()->fetch<SynchroObject>(
        Predicate::format(QStringLiteral("(status == 3 && entryDate <= %@)"), {momentBeforeNow(1209600)}));
}

QList<SynchroObject*> DataAccessObject::loadAllSynchroObjects() const {
    return context()->fetch<SynchroObject>({}, {SortDescriptor::desc(QStringLiteral("entryDate"))});
}

SynchroObject* DataAccessObject::loadSynchroObject(const QString& idSynchroObject) const {
    return context()->find<SynchroObject>(idSynchroObject);
}

QList<SynchroObjectEntry> DataAccessObject::loadAllSynchroObjectEntries() const {
    // Thousands of rows for one screen: read the columns it shows, make no records.
    static const QString sql = QStringLiteral(
        "SELECT t.rowid, t.\"idSynchroObject\", t.\"entryDate\", t.\"objectType\", t.\"objectId\", "
        "t.\"httpType\", t.\"lastTryDate\", t.\"status\", t.\"nrOfTries\" FROM \"SynchroObject\" t "
        "ORDER BY t.\"entryDate\" DESC, t.rowid");
    QList<SynchroObjectEntry> out;
    sql::Statement* st = context()->database().cached(sql);
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(context()->database().lastError(), sql));
        return out;
    }
    // Answers are saved a moment after they arrive: the context's values are the newer ones.
    QHash<qint64, const ManagedObject*> changed;
    for (const ManagedObject* o : context()->pendingObjects(SynchroObject::staticEntity()))
        if (!o->isInserted())
            changed.insert(o->rowId(), o);
    int rc;
    while ((rc = st->step()) == SQLITE_ROW) {
        SynchroObjectEntry e;
        e.idSynchroObject = st->text(1);
        e.entryDate = st->text(2);
        e.objectType = st->text(3);
        e.objectId = st->text(4);
        e.httpType = st->text(5);
        e.lastTryDate = st->text(6);
        e.status = st->integer(7);
        e.nrOfTries = st->integer(8);
        if (const ManagedObject* o = changed.value(st->integer(0))) {
            if (o->isDeleted())
                continue;
            const auto* r = static_cast<const SynchroObject*>(o);
            e.lastTryDate = r->lastTryDate();
            e.status = r->status();
            e.nrOfTries = r->nrOfTries();
        }
        out.append(std::move(e));
    }
    if (rc != SQLITE_DONE)
        CC_LOG(QStringLiteral("error %1").arg(context()->database().lastError()));
    st->reset();
    return out;
}

QList<UnansweredQueueEntry> DataAccessObject::loadUnansweredQueueEntries() const {
    // The status index keeps this to the few records still open, however many answered ones are kept.
    static const QString sql = QStringLiteral(
        "SELECT q.\"idSynchroObject\", q.\"objectType\", q.\"objectId\", q.\"httpType\", q.\"entryDate\", "
        "q.\"status\", r.\"childId\", u.\"userId\", coalesce(r.\"type\", u.\"type\"), "
        "coalesce(r.\"time\", u.\"time\") FROM \"SynchroObject\" q "
        "LEFT JOIN \"Registration\" r ON q.\"objectType\" = 'Registration' "
        "AND r.\"registrationId\" = q.\"objectId\" "
        "LEFT JOIN \"UserRegistration\" u ON q.\"objectType\" = 'UserRegistration' "
        "AND u.\"userRegistrationId\" = q.\"objectId\" "
        "WHERE q.\"status\" IN (0, 1, 2) ORDER BY q.\"entryDate\" DESC");
    QList<UnansweredQueueEntry> out;
    sql::Statement* st = context()->database().cached(sql);
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(context()->database().lastError(), sql));
        return out;
    }
    int rc;
    while ((rc = st->step()) == SQLITE_ROW)
        out.append({st->text(0), st->text(1), st->text(2), st->text(3), st->text(4), st->integer(5),
                    st->text(6), st->text(7), st->text(8), st->text(9)});
    if (rc != SQLITE_DONE)
        CC_LOG(QStringLiteral("error %1").arg(context()->database().lastError()));
    st->reset();
    return out;
}

ObjectImageUpload* DataAccessObject::loadObjectImageUpload(const QString& id) const {
    return context()->fetchFirst<ObjectImageUpload>(
        Predicate::format(QStringLiteral("objectImageUploadId == %@"), {id}));
}

QList<ObjectImageUpload*> DataAccessObject::loadObjectImageUploadBeforeToday() const {
    return context()->fetch<ObjectImageUpload>(Predicate::format(Q3), {}, 1000);
}

GetSynchroObject* DataAccessObject::loadGetSynchroObjectById(const QString& id) const {
    const int readErrors = context()->readErrors();
    if (auto* g = context()->find<GetSynchroObject>(id))
        return g;
    // Not read is not absent: a new record would ask for everything again, or replace the stored token.
    if (context()->readErrors() != readErrors)
        return nullptr;
    auto* g = context()->insertNew<GetSynchroObject>();
    g->setIdGetSynchroObject(id);
    g->setLastSyncTime(QStringLiteral("00000"));
    g->setInProgressSyncTime(QStringLiteral("0"));
    return g;
}
