#pragma once
// The synchronisation engine: the outgoing change queue (every change the server must learn of), the
// periodic refresh of what other tablets changed, the coupling calls, photo uploads, and the presence
// recomputations that follow answers. One shared instance, on the main thread; recomputations run on
// serial background queues with their own store contexts.
#include "ObjectManager.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class DataAccessObject;
class ImageCache;
class ManagedObject;
class ObjectImageUpload;
class Reachability;
class SerialQueue;
class SynchroObject;

class MainSynchroObject : public QObject, public ObjectLoaderDelegate {
    Q_OBJECT
    Q_PROPERTY(QString aantalGets READ aantalGets NOTIFY aantalGetsChanged)
    Q_PROPERTY(QString aantalPosts READ aantalPosts NOTIFY aantalPostsChanged)
    Q_PROPERTY(QDateTime lastSynchroDate READ lastSynchroDate NOTIFY lastSynchroDateChanged)
    Q_PROPERTY(QDateTime lastRefreshDate READ lastRefreshDate NOTIFY lastRefreshDateChanged)
    Q_PROPERTY(bool reachable READ isReachable NOTIFY reachabilityChanged)

public:
    // Becomes the shared engine when there is none yet. Nothing runs until start().
    MainSynchroObject(DataAccessObject* dao, ObjectManager* manager, Reachability* reachability,
                      QObject* parent = nullptr);
    ~MainSynchroObject() override;

    static MainSynchroObject* sharedMainSynchroObject();
    static void setSharedMainSynchroObject(MainSynchroObject* engine);

    // Reads "cc_kResyncInterval" once (absent or at most 10: 60 s) and starts the repeating check.
    void start();
    int timerIntervalSeconds() const { return m_intervalSeconds; }

    QString aantalGets() const { return QString::number(m_aantalGets); }
    QString aantalPosts() const { return QString::number(m_aantalPosts); }
    int aantalIterationsSindsStart() const { return m_iterations; }
    QDateTime lastSynchroDate() const { return m_lastSynchroDate; }
    // When the server last answered a refresh call successfully ("cc_lastRefreshDate"); invalid: never.
    QDateTime lastRefreshDate() const { return m_lastRefreshDate; }
    bool isReachable() const;
    Reachability* reachabilityObserver() const { return m_reachability; }
    ObjectManager* objectManager() const { return m_manager; }

    // Outgoing queue: the object is already in the store (or in the caller's write); it is queued,
    // locked and sent when the network is reachable: at once, or inside a write once that committed.
    // Main thread. False when the queue record could not be stored: the context's pending changes are
    // rolled back then and nothing is sent.
    bool postObject(ManagedObject* object);
    bool putObject(ManagedObject* object);
    bool deleteObject(ManagedObject* object);
    bool initiateApiCallForObject(ManagedObject* object, const QString& httpType);
    // Takes back a registration the tablet made: while no send of it has started (none under way, none
    // tried), it leaves the queue together with its record and the server never hears of it; otherwise
    // it is deleted as any deletion is (exists 0 and a queued DELETE, or a PUT where the server has no
    // delete, that waits for the creation's answer). Decided and done on the main thread, where every
    // send starts, so no send can start in between. Failed: the context's changes are rolled back.
    enum class Withdrawal { Failed, Dropped, Deleted };
    Withdrawal withdrawObject(ManagedObject* object);
    // One more attempt for a queue record; false when its object is missing (nothing changes then).
    // save false: the caller saves (a batch of attempts in one transaction).
    bool doRetryForSyncObject(SynchroObject* record, bool save = true);
    // Resends every queue record behind the progress overlay.
    void retriggerAllOldPosts();
    // The resend itself, 0.1 s after the overlay appeared: every record, newest first, once each.
    void doWait();
    void updateNrOfPostField();
    // Answers come in bursts: what they change is saved once per turn of the event loop, not per answer,
    // and the answers reach the disk with that save (one sync per burst), before any further send.
    void saveAnswersSoon();

    // Starts the tablet afresh: the requests under way are cancelled (their answers belong to the old
    // store), the store is emptied keeping only what refill writes in the same transaction, and the
    // counters follow. The caller makes sure nothing unanswered is queued. False when the disk refused:
    // the store is as it was and the wipe can be tried again.
    bool deleteEverythingFromLocalStorage(const std::function<void()>& refill = {});

    // Logout's clean-up: purge answered queue records older than 14 days (unlocking their objects),
    // then delete unlocked registrations, staff registrations and uploads from before today.
    // False when a part could not be stored: its changes are rolled back, the store keeps what it had.
    bool doCleanUp();
    bool purgeOldHandledSynchroObjects();
    bool deletePastUnlockedRecords();

    // Refresh.
    void checkForUpdates();
    void getTimeRegistrationsForEntity(const QString& entityId);
    void getChildrenForEntity(const QString& entityId);
    void getGenericUsers();
    void getUserTimeRegistrations();
    void getUsersForEntity(const QString& entityId);
    void getEntities();
    void getDevices();
    void getOrganisationForUser(const QString& name, const QString& hash);

    // Presence: the full recomputation behind the overlay (statussenBerekend when done), and the
    // recomputation itself (any thread), which answers how many children it went through.
    void berekenStussenVisueel();
    int berekenStatussen();

    // Photo upload: fills the record (created by the caller in the main context) and saves.
    static void createObjectWithImage(const QByteArray& picture, ManagedObject* subject,
                                      ObjectImageUpload* upload);
    // Base64 in lines of 64 characters, each full line followed by CR LF.
    static QString base64Lines(const QByteArray& data);
    // A new photo for a child or staff member: new picture key, cache entry, queued upload. True once
    // they are stored.
    bool uploadNewPhoto(const QByteArray& picture, ManagedObject* subject);
    void setImageCache(ImageCache* cache);

    // Waits until no request and no recomputation is pending (tests).
    bool waitForIdle(int timeoutMs);

    // ObjectLoaderDelegate
    void objectLoaderDidLoadObjects(const RequestInfo& request, const Response& response) override;
    void objectLoaderDidFailWithError(const RequestInfo& request, const QString& error) override;
    void requestDidLoadResponse(const RequestInfo& request, int status, const QByteArray& body) override;
    void requestDidFailLoadWithError(const RequestInfo& request, const QString& error) override;
    void requestDidTimeout(const RequestInfo& request) override;
    void requestDidCancelLoad(const RequestInfo& request) override;

    // The certificate alert's tag: its "Probeer opnieuw" runs a check, which sends the queued changes.
    static constexpr int kCertificateRetryTag = 40;

public slots:
    void alertViewClickedButtonAtIndex(int tag, int index);

signals:
    void aantalGetsChanged();
    void aantalPostsChanged();
    void lastSynchroDateChanged();
    void lastRefreshDateChanged();
    // "cc_getError" got another value (an answer, a failure or a time-out).
    void getErrorChanged();
    // Queue records were stored, answered, failed or removed (after the save; several changes in one
    // turn of the event loop may come as several signals).
    void queueChanged();
    void reachabilityChanged();
    // Requests to the screens: an alert (tag -1: closes only), the progress overlay.
    void alertRequested(const QString& title, const QString& message, const QStringList& buttons, int tag);
    void overlayRequested(const QString& label, const QString& detail);
    void overlayHidden();
    // The recomputation behind the overlay ended, over that many children.
    void statussenBerekend(int children);
    // The resend of every queue record ended: that many were sent again (or queued behind a creation).
    void resendFinished(int records);
    // A recomputation batch finished (tests and benchmarks wait for it).
    void recomputationFinished();

private:
    void sendRequest(const QString& path, QList<QPair<QString, QString>> parameters,
                     const QVariant& userData);
    // Marks the call of bookkeeping id under way and gives its token; false when it is already under way
    // or its bookkeeping could not be read (no call then).
    bool beginBookkeeping(const QString& id, const QString& skipLog, QString* token);
    void setAantalGets(int value);
    void setAantalPosts(int value);
    void setGetError(const QString& error);
    // Recomputes each batch (entity, ids) in turn on one background queue; the notification follows
    // once all of them are saved.
    void recomputeInBackground(const QList<QPair<QString, QStringList>>& batches,
                               const QString& notification);
    // work on a new serial queue, then done on the main thread; waitForIdle waits for both.
    void runInBackground(const QString& label, bool lowPriority, std::function<void()> work,
                         std::function<void()> done);
    void showCouplingAlert(bool withDelegate);
    // A coupled tablet whose server's certificate is refused: nothing can go out until that is put
    // right, so staff hear of it (once until an answer comes or they retry), not only the status line.
    void showCertificateAlert();
    bool saveMain(const char* where);
    bool saveQueueState(const char* where);
    // Sends a queue record's change once the write it was queued in has committed (nothing, when the
    // write failed and the record is gone).
    void sendAfterCommit(const QString& queueId, const QString& key, const QString& httpType);
    // POST, PUT or DELETE of the object with the engine as its delegate.
    void sendWith(const QString& httpType, ManagedObject* object, const QVariantMap& userData);
    // Sends the queue records chosen by a check a slice at a time (the records of one object together,
    // each still due and its object not on its way), then runs then.
    void sendDue(QList<QStringList> objects, std::function<void()> then);
    ManagedObject* queuedObject(const QString& type, const QString& id) const;
    void runResend(QList<QString> ids);
    // What holds a change back: its object's creation (POST of a child or registration) still
    // unanswered, or an older photo of the same person still unanswered, since the server keeps the last
    // picture it receives.
    struct HeldBack {
        QSet<QString> creations;            // object keys
        QHash<QString, QString> firstPhoto; // photo subject -> entry date of its oldest unanswered photo
    };
    HeldBack heldBack() const;
    // The object a queue record changes: a photo's child, otherwise the record's own object.
    QString subjectKey(const SynchroObject* record) const;
    // Whom a photo upload shows ("Child/<id>", "User/<id>"); empty when the upload is gone.
    QString photoSubject(const QString& uploadId) const;
    bool waitsForEarlier(const SynchroObject* record, const HeldBack& held) const;
    // Sends the held-back changes that concern what was just answered and wait no longer.
    void releaseChangesWaitingFor(const std::function<bool(const SynchroObject*)>& concerned);
    // A new photo replaces the photos of the same person that are not on their way yet.
    int dropSupersededPhotos(const ObjectImageUpload* newer);
    void requestEnded(const RequestInfo& request, bool timedOut);
    bool isBusy(const QString& objectKey) const;

    DataAccessObject* m_dao;
    ObjectManager* m_manager;
    Reachability* m_reachability;
    QPointer<ImageCache> m_imageCache;
    QTimer m_timer;
    int m_intervalSeconds = 60;
    int m_resendCount = 0; // records of the resend under way
    int m_aantalGets = 0;
    int m_aantalPosts = 0;
    int m_iterations = 0;
    QDateTime m_lastSynchroDate;
    QDateTime m_lastRefreshDate;
    int m_recomputationsRunning = 0;
    bool m_answersUnsaved = false;   // answered changes and bookkeeping wait for saveAnswersSoon's save
    bool m_answersToSync = false;    // answers not yet saved: the next save of the queue waits for the disk
    int m_slicesWaiting = 0;         // slices of due changes not yet sent
    int m_sendsAfterCommit = 0;      // changes queued inside a write, sent on the next pass
    bool m_recountScheduled = false; // a write that queued changes may yet roll back: count again after it
    QList<QPair<QString, QStringList>> m_recomputeAgain; // statuses whose recomputation was not stored
    std::vector<std::unique_ptr<SerialQueue>> m_queues;
    QSet<quint64> m_alerted; // requests whose failure already offered the coupling retry
    bool m_certificateAlertShown = false;
    QHash<QString, int> m_inFlight;      // sends under way per object
    QHash<QString, qint64> m_quietUntil; // per object, after a send that timed out
};

// Calls reload once per turn of the event loop after the queue changed or a registration was changed
// elsewhere (a deletion or an undo, announced to the lists); stops when owner is destroyed.
void reloadAfterQueueChanges(QObject* owner, MainSynchroObject* engine, const std::function<void()>& reload);
