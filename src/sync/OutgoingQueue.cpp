#include "MainSynchroObject.h"

#include "DataAccessObject.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "Store.h"
#include "SyncKeys.h"

#include <QSet>
#include <QTimer>

// The outgoing queue: every change is stored as a queue record first and sent from there.
using namespace SyncKeys;

bool MainSynchroObject::postObject(ManagedObject* object) {
    return initiateApiCallForObject(object, QStringLiteral("POST"));
}
bool MainSynchroObject::putObject(ManagedObject* object) {
    return initiateApiCallForObject(object, QStringLiteral("PUT"));
}
bool MainSynchroObject::deleteObject(ManagedObject* object) {
    return initiateApiCallForObject(object, QStringLiteral("DELETE"));
}

bool MainSynchroObject::initiateApiCallForObject(ManagedObject* object, const QString& httpType) {
    if (!object)
        return false;
    Context* context = m_dao->context();
    int dropped = 0;
    if (auto* upload = dynamic_cast<ObjectImageUpload*>(object); upload && httpType == QLatin1String("POST"))
        dropped = dropSupersededPhotos(upload);
    const QString entry = nowText();
    auto* record = context->insertNew<SynchroObject>();
    record->setEntryDate(entry);
    record->setHttpType(httpType);
    record->setIdSynchroObject(entry + Util::getUUID());
    record->setNrOfTries(0);
    record->setObjectType(object->entity().name);
    record->setObjectId(object->primaryKey());
    if (auto* r = dynamic_cast<Registration*>(object))
        r->setLocked(1);
    else if (auto* u = dynamic_cast<UserRegistration*>(object))
        u->setLocked(1);
    else if (auto* i = dynamic_cast<ObjectImageUpload*>(object))
        i->setLocked(1);
    record->setStatus(0);
    // Durable first: a change the tablet accepted is never only in memory. A record that could not be
    // stored must not ride along with some later save either, nor be sent.
    if (!saveMain("queue")) {
        context->rollback();
        updateNrOfPostField();
        return false;
    }
    const QString key = objectKey(record->objectType(), record->objectId());
    // One state of an object on its way at a time: the server applies requests in any order. A change
    // of an object whose creation is still unanswered waits for that answer, a photo for the older one.
    if (isReachable() && !isBusy(key) && (isCreation(record) || !waitsForEarlier(record, heldBack()))) {
        ++m_inFlight[key];
        record->setLastTryDate(entry);
        record->setStatus(1);
        record->setNrOfTries(1);
        if (context->isWriting()) {
            // The server must never learn of a change the tablet failed to store.
            ++m_sendsAfterCommit;
            QTimer::singleShot(0, this, [this, id = record->idSynchroObject(), key, httpType] {
                --m_sendsAfterCommit;
                sendAfterCommit(id, key, httpType);
            });
        } else {
            sendWith(httpType, object, {{kQueueKey, record->idSynchroObject()}, {kObjectKey, key}});
        }
    }
    setAantalPosts(m_aantalPosts + 1 - dropped);
    if (context->isWriting() && !m_recountScheduled) {
        // The caller's write may still roll back (a full disk): then this change was never queued, and
        // only the store can say what is.
        m_recountScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_recountScheduled = false;
            updateNrOfPostField();
        });
    }
    saveMain("queue"); // only the attempt's bookkeeping: lost, it means one more send
    return true;
}

MainSynchroObject::Withdrawal MainSynchroObject::withdrawObject(ManagedObject* object) {
    if (!object)
        return Withdrawal::Failed;
    Context* context = m_dao->context();
    const QString type = object->entity().name;
    const QString id = object->primaryKey();
    const QList<SynchroObject*> records = context->fetch<SynchroObject>(
        Predicate::format(QStringLiteral("objectType == %@ && objectId == %@"), {type, id}));
    // Read now, not from an earlier look: a send may have started since the user saw the registration.
    bool created = false;
    bool started = isBusy(objectKey(type, id));
    for (const SynchroObject* r : records) {
        created = created || isCreation(r);
        started = started || r->status() != 0 || !r->lastTryDate().isEmpty();
    }
    if (created && !started) {
        for (SynchroObject* r : records)
            context->deleteObject(r);
        context->deleteObject(object);
        const bool saved = saveMain("withdraw");
        if (!saved)
            context->rollback();
        updateNrOfPostField();
        return saved ? Withdrawal::Dropped : Withdrawal::Failed;
    }
    object->setValueForKey(QStringLiteral("exists"), qint64(0));
    const bool queued = ObjectManager::routeFor(object, QStringLiteral("DELETE")).isNull()
                            ? putObject(object)
                            : deleteObject(object);
    return queued ? Withdrawal::Deleted : Withdrawal::Failed;
}

void MainSynchroObject::sendAfterCommit(const QString& queueId, const QString& key, const QString& httpType) {
    auto* record = m_dao->context()->find<SynchroObject>(queueId);
    ManagedObject* object =
        record && !record->isInserted() ? queuedObject(record->objectType(), record->objectId()) : nullptr;
    if (!object || object->isInserted()) {
        if (--m_inFlight[key] <= 0)
            m_inFlight.remove(key);
        updateNrOfPostField();
        return;
    }
    sendWith(httpType, object, {{kQueueKey, queueId}, {kObjectKey, key}});
}

void MainSynchroObject::sendWith(const QString& httpType, ManagedObject* object,
                                 const QVariantMap& userData) {
    if (httpType == QLatin1String("POST"))
        m_manager->postObject(object, this, userData);
    else if (httpType == QLatin1String("PUT"))
        m_manager->putObject(object, this, userData);
    else
        m_manager->deleteObject(object, this, userData);
}

int MainSynchroObject::dropSupersededPhotos(const ObjectImageUpload* newer) {
    const QString subject = newer->type() + QLatin1Char('/') + newer->typeId();
    Context* context = m_dao->context();
    int dropped = 0;
    for (SynchroObject* record : context->fetch<SynchroObject>(
             Predicate::format(QStringLiteral("objectType == %@ && (status == 0 || status == 2)"),
                               {QStringLiteral("ObjectImageUpload")}))) {
        if (record->objectId() == newer->primaryKey() || photoSubject(record->objectId()) != subject ||
            isBusy(objectKey(record->objectType(), record->objectId())))
            continue;
        context->deleteObject(m_dao->loadObjectImageUpload(record->objectId()));
        context->deleteObject(record);
        ++dropped;
    }
    return dropped;
}

ManagedObject* MainSynchroObject::queuedObject(const QString& type, const QString& id) const {
    if (type == QLatin1String("Registration"))
        return m_dao->loadRegistration(id);
    if (type == QLatin1String("UserRegistration"))
        return m_dao->loadUserRegistration(id);
    if (type == QLatin1String("Child"))
        return m_dao->loadChild(id);
    if (type == QLatin1String("ObjectImageUpload"))
        return m_dao->loadObjectImageUpload(id);
    return nullptr;
}

bool MainSynchroObject::doRetryForSyncObject(SynchroObject* record, bool save) {
    ManagedObject* object = queuedObject(record->objectType(), record->objectId());
    if (!object)
        return false;
    const QString key = objectKey(record->objectType(), record->objectId());
    const QVariantMap userData{{kQueueKey, record->idSynchroObject()}, {kObjectKey, key}};
    const QString method = record->httpType();
    if (method == QLatin1String("POST")) {
        CC_LOG(QStringLiteral("Reposting object..."));
        m_manager->postObject(object, this, userData);
    } else if (method == QLatin1String("PUT")) {
        CC_LOG(QStringLiteral("Reputing object..."));
        m_manager->putObject(object, this, userData);
    } else if (method == QLatin1String("DELETE")) {
        CC_LOG(QStringLiteral("Redeleting object..."));
        m_manager->deleteObject(object, this, userData);
    } else {
        return false;
    }
    ++m_inFlight[key];
    record->setLastTryDate(nowText());
    record->setStatus(1);
    record->setNrOfTries(record->nrOfTries() + 1);
    if (save)
        saveMain("retry");
    return true;
}

void MainSynchroObject::saveAnswersSoon() {
    if (m_answersUnsaved)
        return;
    m_answersUnsaved = true;
    QTimer::singleShot(0, this, [this] {
        m_answersUnsaved = false;
        saveQueueState("answers");
        updateNrOfPostField();
    });
}

void MainSynchroObject::updateNrOfPostField() {
    setAantalPosts(int(m_dao->loadSynchroInProgressSynchroObjects().size()));
}

void MainSynchroObject::retriggerAllOldPosts() {
    emit overlayRequested(
        tr("Volledige resync."),
        tr("Even geduld... \n We synchroniseren de iPad met de centrale server. \nDit kan enkele "
           "minuten duren."));
    QTimer::singleShot(100, this, &MainSynchroObject::doWait);
}

void MainSynchroObject::doWait() {
    // Newest first; of a person's photos only the newest goes again, or an older one would end up shown.
    QList<QString> ids;
    QSet<QString> photographed;
    for (SynchroObject* r : m_dao->loadAllSynchroObjects()) {
        if (r->objectType() == QLatin1String("ObjectImageUpload")) {
            const QString subject = photoSubject(r->objectId());
            if (!subject.isEmpty() && photographed.contains(subject))
                continue;
            photographed.insert(subject);
        }
        ids << r->idSynchroObject();
    }
    m_resendCount = int(ids.size());
    if (ids.isEmpty())
        QTimer::singleShot(1000, this, [this] {
            emit overlayHidden();
            emit resendFinished(0);
        });
    else
        runResend(ids);
}

// One record every 10 ms without blocking the main thread; the overlay goes when all were tried.
// A change whose object's creation is still to be resent (or unanswered) must not overtake it: it is
// queued again and goes when that creation is answered.
void MainSynchroObject::runResend(QList<QString> ids) {
    if (ids.isEmpty()) {
        emit overlayHidden();
        emit resendFinished(m_resendCount);
        return;
    }
    QTimer::singleShot(10, this, [this, ids]() mutable {
        Context* context = m_dao->context();
        if (auto* record = context->find<SynchroObject>(ids.takeFirst())) {
            HeldBack held = heldBack();
            for (const QString& id : std::as_const(ids))
                if (auto* later = context->find<SynchroObject>(id); later && isCreation(later))
                    held.creations.insert(objectKey(later->objectType(), later->objectId()));
            record->clear(SynchroObject::index_nrOfTries());
            if (waitsForEarlier(record, held)) {
                record->setStatus(0);
                saveMain("resend");
                updateNrOfPostField();
            } else {
                doRetryForSyncObject(record);
            }
        }
        runResend(ids);
    });
}

MainSynchroObject::HeldBack MainSynchroObject::heldBack() const {
    Context* context = m_dao->context();
    // Answers not yet saved count as answered.
    QSet<QString> answered;
    for (const ManagedObject* o : context->pendingObjects(SynchroObject::staticEntity()))
        if (static_cast<const SynchroObject*>(o)->status() == 3)
            answered.insert(o->primaryKey());
    HeldBack held;
    for (const QVariantMap& row : context->fetchRows([] {
             FetchRequest r = FetchRequest::of<SynchroObject>(Predicate::format(
                 QStringLiteral("httpType == %@ && status != 3"), {QStringLiteral("POST")}));
             r.propertiesToFetch = {QStringLiteral("idSynchroObject"), QStringLiteral("objectType"),
                                    QStringLiteral("objectId"), QStringLiteral("entryDate")};
             return r;
         }())) {
        if (answered.contains(row.value(QStringLiteral("idSynchroObject")).toString()))
            continue;
        const QString type = row.value(QStringLiteral("objectType")).toString();
        const QString id = row.value(QStringLiteral("objectId")).toString();
        if (type != QLatin1String("ObjectImageUpload")) {
            held.creations.insert(objectKey(type, id));
            continue;
        }
        const QString subject = photoSubject(id);
        if (subject.isEmpty())
            continue;
        const QString entry = row.value(QStringLiteral("entryDate")).toString();
        QString& first = held.firstPhoto[subject];
        if (first.isEmpty() || entry < first)
            first = entry;
    }
    return held;
}

QString MainSynchroObject::photoSubject(const QString& uploadId) const {
    // Also an upload made in the write still open.
    const ObjectImageUpload* upload = m_dao->context()->find<ObjectImageUpload>(uploadId);
    return upload ? upload->type() + QLatin1Char('/') + upload->typeId() : QString();
}

QString MainSynchroObject::subjectKey(const SynchroObject* record) const {
    if (record->objectType() != QLatin1String("ObjectImageUpload"))
        return objectKey(record->objectType(), record->objectId());
    // A photo belongs to the child it shows; staff records are never created by the tablet.
    const ObjectImageUpload* upload = m_dao->context()->find<ObjectImageUpload>(record->objectId());
    if (upload && upload->type() == QLatin1String("Child"))
        return objectKey(QStringLiteral("Child"), upload->typeId());
    return QString();
}

bool MainSynchroObject::waitsForEarlier(const SynchroObject* record, const HeldBack& held) const {
    if (isCreation(record))
        return false;
    if (record->objectType() == QLatin1String("ObjectImageUpload") && !held.firstPhoto.isEmpty()) {
        const auto first = held.firstPhoto.constFind(photoSubject(record->objectId()));
        if (first != held.firstPhoto.cend() && *first < record->entryDate())
            return true;
    }
    if (held.creations.isEmpty())
        return false;
    const QString subject = subjectKey(record);
    return !subject.isEmpty() && held.creations.contains(subject);
}

void MainSynchroObject::releaseChangesWaitingFor(const std::function<bool(const SynchroObject*)>& concerned) {
    if (!isReachable())
        return;
    const HeldBack held = heldBack();
    int sent = 0;
    for (SynchroObject* record : m_dao->context()->fetch<SynchroObject>(
             Predicate::format(QStringLiteral("status == 0 || status == 2")),
             {SortDescriptor::desc(QStringLiteral("entryDate"))})) {
        if (isCreation(record) || !concerned(record) || waitsForEarlier(record, held))
            continue;
        if (isBusy(objectKey(record->objectType(), record->objectId())))
            continue;
        sent += doRetryForSyncObject(record, false) ? 1 : 0;
    }
    if (sent > 0)
        saveMain("release");
}

bool MainSynchroObject::purgeOldHandledSynchroObjects() {
    Context* context = m_dao->context();
    for (SynchroObject* record : m_dao->loadSynchroOldHandledSynchroObjects()) {
        ManagedObject* object = queuedObject(record->objectType(), record->objectId());
        if (auto* r = dynamic_cast<Registration*>(object))
            r->setLocked(0);
        else if (auto* u = dynamic_cast<UserRegistration*>(object))
            u->setLocked(0);
        else if (auto* i = dynamic_cast<ObjectImageUpload*>(object))
            i->setLocked(0);
        context->deleteObject(record);
    }
    if (saveMain("purge"))
        return true;
    context->rollback(); // all or nothing: tried again at the next logout
    return false;
}

bool MainSynchroObject::deletePastUnlockedRecords() {
    Context* context = m_dao->context();
    for (Registration* r : m_dao->loadRegistrationsBeforeToday())
        context->deleteObject(r);
    for (UserRegistration* r : m_dao->loadUserRegistrationsBeforeToday())
        context->deleteObject(r);
    for (ObjectImageUpload* u : m_dao->loadObjectImageUploadBeforeToday())
        context->deleteObject(u);
    if (saveMain("clean-up"))
        return true;
    context->rollback();
    return false;
}

bool MainSynchroObject::doCleanUp() {
    const bool purged = purgeOldHandledSynchroObjects();
    return deletePastUnlockedRecords() && purged;
}

void reloadAfterQueueChanges(QObject* owner, MainSynchroObject* engine, const std::function<void()>& reload) {
    auto* timer = new QTimer(owner); // a burst of changes is one reload
    timer->setSingleShot(true);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, owner, reload);
    if (engine)
        QObject::connect(engine, &MainSynchroObject::queueChanged, timer, qOverload<>(&QTimer::start));
    for (const char* name : {"reloadKindjesData", "forceSearch"})
        NotificationCenter::defaultCenter().addObserver(timer, QString::fromLatin1(name),
                                                        [timer](const Notification&) { timer->start(); });
}
