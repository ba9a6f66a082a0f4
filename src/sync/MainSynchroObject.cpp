#include "MainSynchroObject.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "ImageCache.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "Reachability.h"
#include "Recomputations.h"
#include "SerialQueue.h"
#include "Store.h"
#include "SyncKeys.h"
#include "TabletNames.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QSet>
#include <optional>

using namespace SyncKeys;

namespace {

MainSynchroObject* shared = nullptr;

constexpr int kRecomputeChunk = 250;

// Recomputes the presence status of the records with these ids (childId or userId) from what is
// committed, in short write transactions so that a clocking on the main thread never waits long.
// Returns the ids whose new status could not be stored.
QStringList recompute(Context* context, const QString& entity, const QStringList& ids, const QString& begin) {
    QStringList failed;
    const bool children = entity == QLatin1String("Child");
    for (int from = 0; from < ids.size(); from += kRecomputeChunk) {
        QVariantList chunk;
        for (const QString& id : ids.mid(from, kRecomputeChunk))
            chunk << id;
        QString error;
        const bool ok = context->performWrite(
            [&] {
                if (children)
                    Child::updateIngeschrevenStatuses(
                        context->fetch<Child>(
                            Predicate::format(QStringLiteral("childId IN %@"), {QVariant(chunk)})),
                        begin);
                else
                    Users::updateIngeschrevenStatuses(context->fetch<Users>(Predicate::format(
                                                          QStringLiteral("userId IN %@"), {QVariant(chunk)})),
                                                      begin);
                if (!StatusMarks::clear(context, entity, ids.mid(from, kRecomputeChunk)))
                    context->abandonWrite(QStringLiteral("status marks not cleared"));
            },
            &error);
        if (!ok) {
            CC_LOG(QStringLiteral("error %1").arg(error));
            context->rollback();
            failed << ids.mid(from, kRecomputeChunk);
        }
    }
    return failed;
}

} // namespace

MainSynchroObject::MainSynchroObject(DataAccessObject* dao, ObjectManager* manager,
                                     Reachability* reachability, QObject* parent)
    : QObject(parent)
    , m_dao(dao)
    , m_manager(manager)
    , m_reachability(reachability)
    , m_imageCache(ImageCache::shared()) {
    const QVariant last = UserDefaults::standard().objectForKey(QStringLiteral("cc_lastsynchroDate"));
    m_lastSynchroDate = last.isValid() ? QDateTime::fromMSecsSinceEpoch(last.toLongLong())
                                       : QDateTime::fromMSecsSinceEpoch(0);
    if (const QVariant refreshed =
            UserDefaults::standard().objectForKey(QStringLiteral("cc_lastRefreshDate"));
        refreshed.isValid())
        m_lastRefreshDate = QDateTime::fromMSecsSinceEpoch(refreshed.toLongLong());
    connect(m_reachability, &Reachability::reachabilityChanged, this,
            &MainSynchroObject::reachabilityChanged);
    connect(&m_timer, &QTimer::timeout, this, &MainSynchroObject::checkForUpdates);
    MarlevoManagedObject::setPostsProvider([this] { return qint64(m_aantalPosts); });
    updateNrOfPostField();
    if (!shared)
        shared = this;
}

MainSynchroObject::~MainSynchroObject() {
    m_timer.stop();
    m_manager->cancelRequestsForDelegate(this, false);
    m_queues.clear(); // waits for running recomputations
    MarlevoManagedObject::setPostsProvider({});
    if (shared == this)
        shared = nullptr;
}

MainSynchroObject* MainSynchroObject::sharedMainSynchroObject() {
    return shared;
}
void MainSynchroObject::setSharedMainSynchroObject(MainSynchroObject* engine) {
    shared = engine;
}

void MainSynchroObject::start() {
    const qint64 configured = UserDefaults::standard().integerForKey(QStringLiteral("cc_kResyncInterval"));
    m_intervalSeconds = configured > 10 ? int(configured) : 60;
    m_timer.start(m_intervalSeconds * 1000);
    // Answers stored before the app stopped whose statuses were not recomputed yet: done here, before any
    // screen opens, as a clocking is refused or allowed by these statuses. Only a crash leaves marks, and
    // even thousands take a fraction of a second.
    if (const StatusMarks::Batches marked = StatusMarks::pending(m_dao->context()); !marked.isEmpty()) {
        const QString begin = Util::getBeginRegistrationTime();
        for (const auto& [entity, ids] : marked)
            if (const QStringList left = recompute(m_dao->context(), entity, ids, begin); !left.isEmpty())
                m_recomputeAgain.append({entity, left});
        NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
    }
}

bool MainSynchroObject::isReachable() const {
    return m_reachability->isDetermined() && m_reachability->isReachable();
}

void MainSynchroObject::setGetError(const QString& error) {
    UserDefaults& defaults = UserDefaults::standard();
    const QVariant before = defaults.objectForKey(QStringLiteral("cc_getError"));
    defaults.setString(QStringLiteral("cc_getError"), error);
    if (!before.isValid() || before.toString() != error)
        emit getErrorChanged();
}

void MainSynchroObject::setAantalGets(int value) {
    value = qMax(0, value);
    if (value == m_aantalGets)
        return;
    m_aantalGets = value;
    emit aantalGetsChanged();
}

void MainSynchroObject::setAantalPosts(int value) {
    value = qMax(0, value);
    if (value == m_aantalPosts)
        return;
    m_aantalPosts = value;
    emit aantalPostsChanged();
}

bool MainSynchroObject::saveMain(const char* where) {
    QString error;
    if (m_dao->context()->save(&error)) {
        m_answersToSync = false;
        emit queueChanged();
        return true;
    }
    CC_LOG(QStringLiteral("error %1 (%2)").arg(error, QLatin1String(where)));
    return false;
}

// Where the queue and the refresh stand (attempts, tokens) need not wait for the disk: lost in a power
// cut, they only mean one more send or download. Answers do wait: an answered change that is sent again
// would undo what another tablet changed since. Any other change pending is saved as usual.
bool MainSynchroObject::saveQueueState(const char* where) {
    QString error;
    Context* context = m_dao->context();
    const bool saved = m_answersToSync
                           ? context->save(&error)
                           : context->saveUnsynced(
                                 {&SynchroObject::staticEntity(), &GetSynchroObject::staticEntity()}, &error);
    if (saved) {
        m_answersToSync = false;
        emit queueChanged();
        return true;
    }
    CC_LOG(QStringLiteral("error %1 (%2)").arg(error, QLatin1String(where)));
    return false;
}

// ------------------------------------------------------------------ refresh

void MainSynchroObject::checkForUpdates() {
    const SharedUserInfo user = Users::sharedUserInfo();
    if (!m_recomputeAgain.isEmpty())
        recomputeInBackground(std::exchange(m_recomputeAgain, {}), QStringLiteral("reloadKindjesData"));
    if (isReachable()) {
        // Due changes first: up to 50, newest first; a record whose object is gone takes no place.
        // Records of one object go in one slice, so that they carry the same state.
        QList<QStringList> toSend;
        QHash<QString, qsizetype> slotOf;
        qsizetype places = 0;
        const auto due = m_dao->context()->fetch<SynchroObject>(
            Predicate::format(
                QStringLiteral("(status == 2 || status == 0 || (status == 1 && lastTryDate <= %@))"),
                {Util::millisText(Clock::nowMs() - 180000)}),
            {SortDescriptor::desc(QStringLiteral("entryDate"))});
        const HeldBack held = heldBack();
        for (SynchroObject* record : due) {
            if (places >= kDuePlaces)
                break;
            const QString key = objectKey(record->objectType(), record->objectId());
            if (isBusy(key))
                continue;
            if (waitsForEarlier(record, held))
                continue; // keeps its place in the queue; released by the earlier change's answer
            if (!queuedObject(record->objectType(), record->objectId()))
                continue;
            if (const auto slot = slotOf.constFind(key); slot != slotOf.cend()) {
                toSend[*slot] << record->idSynchroObject();
            } else {
                slotOf.insert(key, toSend.size());
                toSend.append(QStringList{record->idSynchroObject()});
            }
            ++places;
        }
        m_lastSynchroDate = Clock::now();
        UserDefaults::standard().setObject(QStringLiteral("cc_lastsynchroDate"),
                                           m_lastSynchroDate.toMSecsSinceEpoch());
        emit lastSynchroDateChanged();

        // The refresh calls follow the changes, as before, once the last slice is out.
        const qsizetype sent = places;
        const int iteration = m_iterations;
        sendDue(toSend, [this, user, sent, iteration] {
            const auto locations = m_dao->loadSchoolsFromDataStore();
            for (int i = 0; i < locations.size(); ++i) {
                const QString id = locations.at(i)->idEntity();
                const bool own = user.present && !user.entityId.isEmpty() && id == user.entityId;
                if (own || (sent <= 2 && i == iteration % 10)) {
                    getTimeRegistrationsForEntity(id);
                    getChildrenForEntity(id);
                    getGenericUsers();
                    getUserTimeRegistrations();
                }
            }
        });
    }
    ++m_iterations;

    if (!user.present || user.entityId.isEmpty())
        return;
    const QString key = QStringLiteral("cc_lastStatusComputedDate") + user.entityId;
    UserDefaults& defaults = UserDefaults::standard();
    const QVariant stored = defaults.objectForKey(key);
    const QString last = stored.isValid() ? stored.toString() : QString();
    if (!stored.isValid())
        defaults.setObject(key, Clock::nowMs());
    if (Util::shouldRecomputeStatuses(last, Clock::nowMs(), m_dao->organisationSettings()))
        berekenStussenVisueel();
}

// Ten requests per pass of the event loop: fifty built in one go would hold the main thread for longer
// than a frame. Records are named by id, since a slice may run after the context changed, and looked at
// again: meanwhile another check, an answer or a new change may have sent them or their object.
void MainSynchroObject::sendDue(QList<QStringList> objects, std::function<void()> then) {
    Context* context = m_dao->context();
    const QString staleTry = Util::millisText(Clock::nowMs() - 180000);
    std::optional<HeldBack> held;
    int sent = 0;
    while (!objects.isEmpty() && sent < kSliceOfDue) {
        QList<SynchroObject*> records;
        for (const QString& id : objects.takeFirst()) {
            auto* record = context->find<SynchroObject>(id);
            if (!record || record->isInserted())
                continue;
            const qint64 status = record->status();
            const bool due =
                status == 0 || status == 2 ||
                (status == 1 && !record->lastTryDate().isEmpty() && record->lastTryDate() <= staleTry);
            if (!due)
                continue;
            if (!held)
                held = heldBack();
            if (!waitsForEarlier(record, *held))
                records << record;
        }
        if (records.isEmpty() ||
            isBusy(objectKey(records.first()->objectType(), records.first()->objectId())))
            continue;
        for (SynchroObject* record : records)
            sent += doRetryForSyncObject(record, false) ? 1 : 0;
    }
    if (sent > 0)
        saveQueueState("retry"); // one transaction per slice
    if (objects.isEmpty()) {
        then();
        return;
    }
    ++m_slicesWaiting;
    QTimer::singleShot(0, this, [this, objects = std::move(objects), then = std::move(then)]() mutable {
        --m_slicesWaiting;
        sendDue(std::move(objects), std::move(then));
    });
}

void MainSynchroObject::sendRequest(const QString& path, QList<QPair<QString, QString>> parameters,
                                    const QVariant& userData) {
    QList<QPair<QString, QString>> standard{
        {QStringLiteral("ipadMacId"), Util::uniqueGlobalDeviceIdentifier()},
        {QStringLiteral("iPadUID"), Util::getUUID()}};
    if (Organisation* org = m_dao->loadOrganisation())
        standard.append({QStringLiteral("organisationId"), org->organisationId()});
    standard.append({QStringLiteral("ipadVersion"), QStringLiteral(CC_APP_VERSION)});
    const QString name = UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam"));
    if (!name.isNull())
        standard.append({QStringLiteral("iPadName"), name});
    // A key present in both takes the standard value.
    for (const auto& s : standard) {
        bool replaced = false;
        for (auto& p : parameters)
            if (p.first == s.first) {
                p.second = s.second;
                replaced = true;
            }
        if (!replaced)
            parameters.append(s);
    }
    setAantalGets(m_aantalGets + 1);
    m_manager->getObjectsAtPath(
        path, parameters, this, userData, [](const RequestInfo& request, QJsonObject& answer) {
            // Registrations name the tablet that made them: screens say which one.
            for (const char* key : {"timeEntries", "userTimeEntries"})
                if (answer.value(QLatin1String(key)).isArray())
                    TabletNames::learn(answer.value(QLatin1String(key)).toArray());
            // Staff records learn from the request what kind of list they came in.
            if (!answer.value(QLatin1String("users")).isArray())
                return;
            const QString url = request.url.toString();
            int generic = -1;
            if (url.contains(QLatin1String("genericUser")))
                generic = 1;
            else if (url.contains(QLatin1String("/user?")))
                generic = 0;
            const int timeEntryNeeded = url.contains(QLatin1String("timeEntryNeeded=1")) ? 1 : 0;
            QJsonArray users = answer.value(QLatin1String("users")).toArray();
            for (int i = 0; i < users.size(); ++i) {
                if (!users.at(i).isObject())
                    continue;
                QJsonObject u = users.at(i).toObject();
                if (generic >= 0)
                    u.insert(QStringLiteral("isGenericUser"), generic);
                u.insert(QStringLiteral("timeEntryNeeded"), timeEntryNeeded);
                users.replace(i, u);
            }
            answer.insert(QStringLiteral("users"), users);
        });
}

bool MainSynchroObject::beginBookkeeping(const QString& id, const QString& skipLog, QString* token) {
    GetSynchroObject* g = m_dao->loadGetSynchroObjectById(id);
    if (!g) {
        CC_LOG(QStringLiteral("error the store could not be read (%1); the call waits for the next check")
                   .arg(id));
        return false;
    }
    *token = g->lastSyncTime();
    const QString inProgress = g->inProgressSyncTime();
    if (!inProgress.isEmpty() && Clock::nowMs() - inProgress.toLongLong() <= kBusyMs) {
        CC_LOG(skipLog);
        return false;
    }
    g->setInProgressSyncTime(nowText());
    saveQueueState("bookkeeping");
    return true;
}

void MainSynchroObject::getTimeRegistrationsForEntity(const QString& entityId) {
    const QString id = QStringLiteral("timeregistrationFor") + entityId;
    QString token;
    if (!beginBookkeeping(
            id, QStringLiteral("We skippen een call naar tijdregistraties wegens nog inProgress... "),
            &token))
        return;
    QList<QPair<QString, QString>> p{{QStringLiteral("entityId"), entityId},
                                     {QStringLiteral("lastSyncTime"), token}};
    if (Users::sharedUserInfo().isAdmin)
        p.append({QStringLiteral("numberOfDays"), QStringLiteral("30")});
    sendRequest(QStringLiteral("/timeEntry"), p, QVariantMap{{kBookkeepingKey, id}});
}

void MainSynchroObject::getChildrenForEntity(const QString& entityId) {
    const QString id = QStringLiteral("childrenFor") + entityId;
    QString token;
    if (!beginBookkeeping(id, QStringLiteral("We skippen een call naar children wegens nog inProgress... "),
                          &token))
        return;
    QList<QPair<QString, QString>> p{{QStringLiteral("lastSyncTime"), token}};
    if (!entityId.isEmpty())
        p.append({QStringLiteral("entityId"), entityId});
    sendRequest(QStringLiteral("/child"), p, QVariantMap{{kBookkeepingKey, id}});
}

void MainSynchroObject::getGenericUsers() {
    Organisation* org = m_dao->loadOrganisation();
    sendRequest(QStringLiteral("/genericUser"),
                {{QStringLiteral("organisationId"), org ? org->organisationId() : QString()},
                 {QStringLiteral("timeEntryNeeded"), QStringLiteral("1")}},
                {});
}

void MainSynchroObject::getUserTimeRegistrations() {
    Organisation* org = m_dao->loadOrganisation();
    const QString id = QStringLiteral("timeregistrationForOrg") + (org ? org->organisationId() : QString());
    QString token;
    if (!beginBookkeeping(
            id, QStringLiteral("We skippen een call naar tijdregistraties wegens nog inProgress... "),
            &token))
        return;
    QList<QPair<QString, QString>> p{{QStringLiteral("lastSyncTime"), token}};
    if (Users::sharedUserInfo().isAdmin)
        p.append({QStringLiteral("numberOfDays"), QStringLiteral("30")});
    sendRequest(QStringLiteral("/userTimeEntry"), p, QVariantMap{{kBookkeepingKey, id}});
}

void MainSynchroObject::getUsersForEntity(const QString& entityId) {
    QList<QPair<QString, QString>> p;
    if (!entityId.isEmpty())
        p.append({QStringLiteral("entityId"), entityId});
    sendRequest(QStringLiteral("/user"), p, {});
}

void MainSynchroObject::getEntities() {
    Organisation* org = m_dao->loadOrganisation();
    if (!org || UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam")).isEmpty())
        return;
    sendRequest(QStringLiteral("/entity"), {}, {});
}

void MainSynchroObject::getDevices() {
    sendRequest(QStringLiteral("/device"), {}, {});
}

void MainSynchroObject::getOrganisationForUser(const QString& name, const QString& hash) {
    if (name.isEmpty() || hash.isEmpty())
        return;
    sendRequest(QStringLiteral("/userOrganisation"),
                {{QStringLiteral("hash"), hash}, {QStringLiteral("username"), name}}, {});
}

// ------------------------------------------------------------------ answers

void MainSynchroObject::requestEnded(const RequestInfo& request, bool timedOut) {
    const QString key = userDataId(request, kObjectKey);
    if (key.isEmpty())
        return;
    if (--m_inFlight[key] <= 0)
        m_inFlight.remove(key);
    // A request given up on may still be carried out by the server: no newer state until that is past.
    if (timedOut)
        m_quietUntil.insert(key, QDateTime::currentMSecsSinceEpoch() + 2 * qint64(m_manager->timeoutMs()));
}

bool MainSynchroObject::isBusy(const QString& key) const {
    return m_inFlight.value(key) > 0 || m_quietUntil.value(key) > QDateTime::currentMSecsSinceEpoch();
}

void MainSynchroObject::objectLoaderDidLoadObjects(const RequestInfo& request, const Response& response) {
    requestEnded(request, false);
    Context* context = m_dao->context();
    const QString queueId = userDataId(request, kQueueKey);
    if (!queueId.isEmpty()) {
        if (auto* record = context->find<SynchroObject>(queueId)) {
            // A refusal is not an answered change: it stays queued and counted, and goes again.
            if (response.hasSuccess && !response.success) {
                CC_LOG(QStringLiteral("Error message %1").arg(response.message));
                record->setStatus(2);
            } else {
                record->setStatus(3);
                m_answersToSync = true;
            }
            if (record->status() == 3 && isCreation(record)) {
                const QString created = objectKey(record->objectType(), record->objectId());
                releaseChangesWaitingFor([&](const SynchroObject* r) { return subjectKey(r) == created; });
            } else if (record->status() == 3 && record->objectType() == QLatin1String("ObjectImageUpload")) {
                const QString person = photoSubject(record->objectId());
                releaseChangesWaitingFor([&](const SynchroObject* r) {
                    return r->objectType() == QLatin1String("ObjectImageUpload") &&
                           photoSubject(r->objectId()) == person;
                });
            }
        }
        saveAnswersSoon();
    }

    const QString getId = userDataId(request, kBookkeepingKey);
    if (!getId.isEmpty()) {
        // Unreadable now: the answer is stored, its token not; the next call asks from the old one.
        if (GetSynchroObject* g = m_dao->loadGetSynchroObjectById(getId)) {
            g->setStatus(3);
            // Without a token the next call must still ask for what changed since the previous one. So
            // too when a record's server copy was left out for a change of the tablet's not yet answered
            // (or answered but not yet saved): past that token the server would never send it again,
            // and another tablet's later change of it would be missing here for good.
            if (response.success && !response.time.isEmpty() && response.keptLocal == 0)
                g->setLastSyncTime(response.time);
            g->clear(GetSynchroObject::index_inProgressSyncTime());
            saveAnswersSoon();
        }
        if (response.success) {
            m_lastRefreshDate = Clock::now();
            UserDefaults::standard().setObject(QStringLiteral("cc_lastRefreshDate"),
                                               m_lastRefreshDate.toMSecsSinceEpoch());
            emit lastRefreshDateChanged();
        }
    }
    if (!response.success) {
        if (queueId.isEmpty()) {
            CC_LOG(QStringLiteral("Error message %1").arg(response.message));
            // During coupling nothing else would move the screen on: offer the retry.
            if (getId.isEmpty())
                showCouplingAlert(true);
        }
        return;
    }
    // A children answer's children and staff are one task, so the overviews search again only once.
    const QList<Recomputation> recomputations = recomputationsAfter(response);
    if (response.contains(QStringLiteral("children")))
        recomputeInBackground(recomputations.first().batches, recomputations.first().notification);
    // The staff grid fills when the last answer has arrived, which can be before that answer is stored.
    if (response.contains(QStringLiteral("users")))
        NotificationCenter::defaultCenter().post(QStringLiteral("usersLoaded"), this);
    if (response.contains(QStringLiteral("devices")))
        NotificationCenter::defaultCenter().post(QStringLiteral("showDevices"), this);
    if (response.contains(QStringLiteral("organisations")))
        NotificationCenter::defaultCenter().post(QStringLiteral("organisationLoaded"), this);
    if (response.contains(QStringLiteral("entities"))) {
        NotificationCenter::defaultCenter().post(QStringLiteral("entitiesLoaded"), this);
        for (Entities* e : m_dao->loadSchoolsFromDataStore())
            getUsersForEntity(e->idEntity());
        checkForUpdates();
    }
    for (const Recomputation& r : recomputations.mid(response.contains(QStringLiteral("children")) ? 1 : 0))
        recomputeInBackground(r.batches, r.notification);
}

void MainSynchroObject::runInBackground(const QString& label, bool lowPriority, std::function<void()> work,
                                        std::function<void()> done) {
    auto queue = std::make_unique<SerialQueue>(label, lowPriority);
    SerialQueue* q = queue.get();
    m_queues.push_back(std::move(queue));
    ++m_recomputationsRunning;
    QPointer<MainSynchroObject> self(this);
    // The destructor waits for the queues, so work may use the engine; done runs only while it lives.
    q->async([self, q, work = std::move(work), done = std::move(done)] {
        work();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, q, done] {
                if (!self)
                    return;
                done();
                std::erase_if(self->m_queues, [q](const auto& held) { return held.get() == q; });
                --self->m_recomputationsRunning;
                emit self->recomputationFinished();
            },
            Qt::QueuedConnection);
    });
}

void MainSynchroObject::recomputeInBackground(const QList<QPair<QString, QStringList>>& batches,
                                              const QString& notification) {
    std::shared_ptr<Store> store = m_dao->store();
    auto failed = std::make_shared<QList<QPair<QString, QStringList>>>();
    runInBackground(
        QStringLiteral("kinderopvang.bgqueue"), true,
        [store, batches, failed] {
            Context* context = store->context();
            const QString begin = Util::getBeginRegistrationTime();
            for (const auto& [entity, ids] : batches)
                if (const QStringList left = recompute(context, entity, ids, begin); !left.isEmpty())
                    failed->append({entity, left});
            context->reset();
        },
        [this, notification, failed] {
            // The answer that brought these is stored and will not come again: the next check redoes them.
            m_recomputeAgain.append(*failed);
            if (!notification.isEmpty())
                NotificationCenter::defaultCenter().post(notification, this);
        });
}

void MainSynchroObject::objectLoaderDidFailWithError(const RequestInfo& request, const QString& error) {
    requestEnded(request, request.timedOut);
    // An answer that was an HTTP error or unreadable leaves a coupling screen waiting just the same.
    if (!m_alerted.remove(request.id) && request.method == QLatin1String("GET") &&
        userDataId(request, kBookkeepingKey).isEmpty())
        showCouplingAlert(true);
    CC_LOG(error);
    setGetError(QStringLiteral("TIMEOUT"));
    const QString queueId = userDataId(request, kQueueKey);
    if (!queueId.isEmpty() && request.method == QLatin1String("POST")) {
        if (auto* record = m_dao->context()->find<SynchroObject>(queueId)) {
            record->setStatus(2);
            saveAnswersSoon(); // a burst of failures is saved once
        }
    }
}

void MainSynchroObject::requestDidLoadResponse(const RequestInfo& request, int status,
                                               const QByteArray& body) {
    // The size only: answers hold names and hashes.
    CC_LOG(QStringLiteral("%1 %2 -> %3 (%4 bytes)")
               .arg(request.method, request.url.path())
               .arg(status)
               .arg(body.size()));
    setGetError(QStringLiteral(""));
    m_certificateAlertShown = false;
    if (request.method == QLatin1String("GET"))
        setAantalGets(m_aantalGets - 1);
}

void MainSynchroObject::showCouplingAlert(bool withDelegate) {
    if (!UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam")).isEmpty())
        return;
    const int tag = withDelegate ? (m_dao->loadOrganisation() ? 1 : 0) : -1;
    emit alertRequested(
        tr("Opgepast"),
        tr("Oeps... De server kon niet tijdig worden bereikt. Klik op 'Probeer opnieuw'  om te "
           "herproberen. Contacteer de helpdesk indien het probleem zich blijft voordoen."),
        {tr("Probeer opnieuw")}, tag);
}

void MainSynchroObject::showCertificateAlert() {
    if (m_certificateAlertShown)
        return;
    m_certificateAlertShown = true;
    emit alertRequested(
        tr("Opgepast"),
        tr("Oeps... De server kon niet tijdig worden bereikt. Klik op 'Probeer opnieuw'  om te "
           "herproberen. Contacteer de helpdesk indien het probleem zich blijft voordoen."),
        {tr("Probeer opnieuw")}, kCertificateRetryTag);
}

void MainSynchroObject::requestDidFailLoadWithError(const RequestInfo& request, const QString&) {
    if (request.method == QLatin1String("GET"))
        setAantalGets(m_aantalGets - 1);
    m_alerted.insert(request.id);
    if (!request.tlsError.isEmpty() &&
        !UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam")).isEmpty())
        showCertificateAlert();
    else
        showCouplingAlert(true);
}

void MainSynchroObject::requestDidTimeout(const RequestInfo& request) {
    if (request.method == QLatin1String("GET"))
        setAantalGets(m_aantalGets - 1);
    setGetError(QStringLiteral("TIMEOUT"));
    showCouplingAlert(false);
}

void MainSynchroObject::requestDidCancelLoad(const RequestInfo& request) {
    requestEnded(request, true); // a cancelled send may still have reached the server
    if (request.method == QLatin1String("GET"))
        setAantalGets(m_aantalGets - 1);
}

void MainSynchroObject::alertViewClickedButtonAtIndex(int tag, int) {
    if (tag == 0)
        NotificationCenter::defaultCenter().post(QStringLiteral("showUserLoginForCoupling"), this);
    else if (tag == 1)
        getDevices();
    else if (tag == kCertificateRetryTag) {
        m_certificateAlertShown = false;
        checkForUpdates();
    }
}

// ------------------------------------------------------------------ presence

void MainSynchroObject::berekenStussenVisueel() {
    const SharedUserInfo user = Users::sharedUserInfo();
    if (!user.present || user.entityId.isEmpty())
        return;
    emit overlayRequested(
        tr("Aanwezigheidsstatus berekenen"),
        tr("Even geduld... \nwe herberekenen de aanwezigheidsstatus van elk kind... \nDit kan enkele "
           "seconden duren."));
    auto children = std::make_shared<int>(0); // written by the work, read after it in done
    runInBackground(
        QStringLiteral("kinderopvang.statussen"), false, [this, children] { *children = berekenStatussen(); },
        [this, children] {
            emit overlayHidden();
            NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
            emit statussenBerekend(*children);
        });
}

int MainSynchroObject::berekenStatussen() {
    const SharedUserInfo user = Users::sharedUserInfo();
    const QString begin = Util::getBeginRegistrationTime();
    Context* context = m_dao->store()->context();
    // Only the keys: the records themselves are read a chunk at a time by the recomputation.
    auto keys = [context](FetchRequest request, const QString& key) {
        request.propertiesToFetch = {key};
        request.distinct = true;
        QStringList out;
        for (const QVariantMap& row : context->fetchRows(request))
            out << row.value(key).toString();
        return out;
    };
    const QStringList childIds = keys(FetchRequest::of<Child>(Predicate::format(
                                          QStringLiteral("entityId == %@ && exists == 1"), {user.entityId})),
                                      QStringLiteral("childId"));
    const QStringList userIds = keys(
        FetchRequest::of<Users>(Predicate::format(QStringLiteral("exists == 1"))), QStringLiteral("userId"));
    recompute(context, QStringLiteral("Child"), childIds, begin);
    recompute(context, QStringLiteral("Users"), userIds, begin);
    if (QThread::currentThread() != thread())
        context->reset();
    UserDefaults::standard().setObject(QStringLiteral("cc_lastStatusComputedDate") + user.entityId,
                                       Clock::nowMs());
    return int(childIds.size());
}

// ------------------------------------------------------------------ photos

QString MainSynchroObject::base64Lines(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QString out;
    out.reserve(b64.size() + b64.size() / 32 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 64) {
        const QByteArray line = b64.mid(i, 64);
        out += QString::fromLatin1(line);
        if (line.size() == 64)
            out += QStringLiteral("\r\n");
    }
    return out;
}

void MainSynchroObject::createObjectWithImage(const QByteArray& picture, ManagedObject* subject,
                                              ObjectImageUpload* upload) {
    auto orLeeg = [](const QString& v) { return v.isNull() ? QStringLiteral("leeg") : v; };
    if (auto* child = dynamic_cast<Child*>(subject)) {
        upload->setLastName(orLeeg(child->lastName()));
        upload->setFirstName(orLeeg(child->firstName()));
        upload->setTypeId(child->childId());
        upload->setType(QStringLiteral("Child"));
    } else if (auto* user = dynamic_cast<Users*>(subject)) {
        upload->setLastName(orLeeg(user->first_name()));
        upload->setFirstName(orLeeg(user->last_name()));
        upload->setTypeId(user->userId());
        upload->setType(QStringLiteral("User"));
    }
    const QString t = nowText();
    upload->setPhotoId(QStringLiteral("image") + Util::getUUID() + t);
    upload->setObjectImageUploadId(Util::getUUID() + t);
    upload->setImage(base64Lines(picture));
    QString error;
    if (!upload->context()->save(&error))
        CC_LOG(QStringLiteral("error %1").arg(error));
}

bool MainSynchroObject::uploadNewPhoto(const QByteArray& picture, ManagedObject* subject) {
    if (picture.isEmpty() || !subject)
        return false;
    const QString key = QStringLiteral("image") + Util::getUUID() + nowText();
    if (m_imageCache)
        m_imageCache->storeImage(key, picture);
    // The new key, the upload and its queue record together: an upload stored without its queue
    // record would never leave, a key without its upload would name a picture the server never gets.
    Context* context = m_dao->context();
    QString error;
    if (context->performWrite(
            [&] {
                subject->setValueForKey(QStringLiteral("image"), key);
                auto* upload = context->insertNew<ObjectImageUpload>();
                createObjectWithImage(picture, subject, upload);
                postObject(upload);
            },
            &error))
        return true;
    CC_LOG(QStringLiteral("error %1 (photo)").arg(error));
    context->rollback();
    return false;
}

bool MainSynchroObject::waitForIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    const auto idle = [this] {
        return m_manager->requestsInFlight() == 0 && m_recomputationsRunning == 0 && !m_answersUnsaved &&
               m_slicesWaiting == 0 && m_sendsAfterCommit == 0;
    };
    while (!idle() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return idle();
}

void MainSynchroObject::setImageCache(ImageCache* cache) {
    m_imageCache = cache;
}
