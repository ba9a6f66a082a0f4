// A failing disk: every open, write and sync of a clocking of five children, a refresh answer, a queue
// answer, the logout clean-up and a wipe is made to fail in turn (and all later ones of its kind, until
// the disk is back). Afterwards the store opens and is intact, no clocking whose save succeeded is lost,
// nothing half-written shows, the user is told where their action failed, and the retry works.
#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "FailingVfs.h"
#include "LeerlingenDetailViewController.h"
#include "ProfilePageViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "Sqlite.h"
#include "Tablet.h"
#include "Util.h"
#include "newchild/CreateChildViewController.h"

#include <QFile>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using FailingVfs::Kind;

namespace {

const QString kNotStored =
    QStringLiteral("De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw.");

void copyStore(const QString& from, const QString& to) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        QFile::remove(to + QLatin1String(suffix));
        if (QFile::exists(from + QLatin1String(suffix)))
            QFile::copy(from + QLatin1String(suffix), to + QLatin1String(suffix));
    }
}

QString integrity(const QString& path) {
    sql::Database db;
    if (!db.open(path, SQLITE_OPEN_READONLY))
        return db.lastError();
    const QVariant v = db.scalar(QStringLiteral("PRAGMA integrity_check"));
    return v.isValid() ? v.toString() : db.lastError();
}

int alertsSaying(const QSignalSpy& spy, const QString& message) {
    int n = 0;
    for (const auto& args : spy)
        if (args.at(0).toString() == QLatin1String("Opgepast") && args.at(1).toString() == message)
            ++n;
    return n;
}

QStringList ids(const QList<Child*>& children) {
    QStringList out;
    for (const Child* c : children)
        out << c->childId();
    return out;
}

enum Scenario { Clocking, NewChild, RefreshAnswer, QueueAnswer, LogoutCleanUp, Wipe };

const QString kChildNotStored =
    QStringLiteral("Het kind kon niet op de tablet bewaard worden. Probeer het opnieuw.");

} // namespace

class TestFailedDisk : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    QString m_base;     // a coupled tablet's store, nothing queued
    QString m_where;    // the injected failure, for messages
    QStringList m_news; // registrations another tablet made after m_base was taken
    QStringList m_newsChildren;

    // One run on a fresh copy of the starting store.
    struct Run {
        QString path;
        std::unique_ptr<Tablet> tablet;
        SelectieLijst selectie;
        std::unique_ptr<LeerlingenDetailViewController> panel;
        std::unique_ptr<RootViewController> root;
        std::unique_ptr<ProfilePageViewController> profile;
        std::unique_ptr<CreateChildViewController> creator;
        std::unique_ptr<QSignalSpy> alerts;
        QList<Child*> children;
        QStringList childIds;
        QStringList made; // registrations the run stored: each must be queued
        QSet<QString> existing;
        int serverBefore = 0;
        int before = 0;
        ~Run() {
            panel.reset();
            creator.reset();
            root.reset();
            profile.reset();
            tablet.reset();
        }
    };

    int serverChildren(const QString& firstName) const {
        int n = 0;
        for (const QJsonValue& v : m_server->get(QStringLiteral("/_test/records?kind=child"))
                                       .value(QStringLiteral("records"))
                                       .toArray())
            n += v.toObject().value(QStringLiteral("firstName")).toString() == firstName ? 1 : 0;
        return n;
    }

    int serverRegistrations(const QStringList& childIds) const {
        int n = 0;
        for (const QJsonValue& v : m_server->get(QStringLiteral("/_test/records?kind=timeEntry"))
                                       .value(QStringLiteral("records"))
                                       .toArray())
            n += childIds.contains(v.toObject().value(QStringLiteral("childId")).toString()) ? 1 : 0;
        return n;
    }

    void prepare(Scenario scenario, Run& r, const QString& base) {
        r.path = m_dir.filePath(QStringLiteral("run.sqlite"));
        copyStore(base, r.path);
        r.tablet = std::make_unique<Tablet>(m_server->url(), r.path);
        QVERIFY(r.tablet->resume());
        Tablet& t = *r.tablet;
        const auto all = t.dao->loadChildrenforEntity(t.entityId);
        QVERIFY(all.size() >= 5);
        for (Child* c : all)
            if (c->isIngeschreven() != 1 && !m_newsChildren.contains(c->childId()) && r.children.size() < 5)
                r.children << c;
        QCOMPARE(r.children.size(), 5);
        r.childIds = ids(r.children);
        switch (scenario) {
        case Clocking:
            for (Child* c : r.children)
                r.selectie.addObject(c);
            r.panel = std::make_unique<LeerlingenDetailViewController>(r.children.first(), &r.selectie,
                                                                       t.dao.get(), t.engine.get());
            r.alerts = std::make_unique<QSignalSpy>(r.panel->dialogs(), &DialogRequests::showAlert);
            r.serverBefore = serverRegistrations(r.childIds);
            for (Child* child : std::as_const(r.children))
                for (const Registration* reg : child->registrations())
                    r.existing.insert(reg->registrationId());
            break;
        case NewChild:
            r.creator = std::make_unique<CreateChildViewController>(t.dao.get(), t.engine.get(), &r.selectie,
                                                                    nullptr);
            r.creator->setForm(QStringLiteral("Nieuw"), QStringLiteral("Kind"));
            r.serverBefore = serverChildren(QStringLiteral("Nieuw"));
            r.alerts = std::make_unique<QSignalSpy>(r.creator->dialogs(), &DialogRequests::showAlert);
            break;
        case RefreshAnswer:
            break;
        case QueueAnswer:
            t.reachability->setReachable(false);
            r.made << t.clock(r.children.first(), QStringLiteral("In"))->registrationId();
            QCOMPARE(t.countWithStatus(0), 1);
            t.reachability->setReachable(true);
            break;
        case LogoutCleanUp:
            t.reachability->setReachable(false);
            r.root = std::make_unique<RootViewController>(t.engine.get(), t.dao.get(), nullptr,
                                                          [](RootViewController*) { return nullptr; });
            r.alerts = std::make_unique<QSignalSpy>(r.root->dialogs(), &DialogRequests::showAlert);
            break;
        case Wipe:
            r.profile = std::make_unique<ProfilePageViewController>(t.dao.get(), t.engine.get(), nullptr);
            r.alerts = std::make_unique<QSignalSpy>(r.profile->dialogs(), &DialogRequests::showAlert);
            r.before = t.store->context()->count(FetchRequest::of<Child>());
            break;
        }
    }

    void act(Scenario scenario, Run& r) {
        Tablet& t = *r.tablet;
        switch (scenario) {
        case Clocking:
            r.panel->schrijfKindIn();
            break;
        case NewChild:
            r.creator->saveUser();
            break;
        case RefreshAnswer:
            t.engine->getTimeRegistrationsForEntity(t.entityId);
            break;
        case QueueAnswer:
            QVERIFY(t.engine->doRetryForSyncObject(t.queue().first()));
            break;
        case LogoutCleanUp:
            r.root->doLogout();
            break;
        case Wipe:
            r.profile->alertViewClickedButtonAtIndex(ProfilePageViewController::kDeleteDBTag, 1);
            break;
        }
        QVERIFY(t.engine->waitForIdle(30000));
    }

    // The disk is back: what the user saw, the retry, then the store as a restart finds it.
    void verify(Scenario scenario, Run& r) {
        Tablet& t = *r.tablet;
        Context* c = t.store->context();
        const int told =
            r.alerts ? alertsSaying(*r.alerts, scenario == NewChild ? kChildNotStored : kNotStored) : 0;
        QVERIFY2(told <= 1, qPrintable(m_where));
        switch (scenario) {
        case Clocking: {
            QVariantList childIds;
            for (const QString& id : std::as_const(r.childIds))
                childIds << id;
            const auto fresh = [&] {
                QList<Registration*> out;
                for (Registration* reg : c->fetch<Registration>(
                         Predicate::format(QStringLiteral("childId IN %@"), {QVariant(childIds)})))
                    if (!r.existing.contains(reg->registrationId()))
                        out << reg;
                return out;
            };
            if (told) {
                // Nothing of the run shows, the selection waits for the retry.
                QVERIFY2(fresh().isEmpty(), qPrintable(m_where));
                QVERIFY2(t.queue().isEmpty(), qPrintable(m_where));
                // The waiting-changes count follows the store, not the rolled-back write.
                QVERIFY2(t.engine->aantalPosts() == QLatin1String("0"), qPrintable(m_where));
                for (Child* child : r.children)
                    QVERIFY2(child->isIngeschreven() != 1, qPrintable(m_where));
                QCOMPARE(r.selectie.count(), 5);
                r.panel->schrijfKindIn();
                QVERIFY(t.engine->waitForIdle(30000));
                QCOMPARE(alertsSaying(*r.alerts, kNotStored), 1);
            }
            const auto stored = fresh();
            QVERIFY2(stored.size() == 5, qPrintable(m_where));
            for (const Registration* reg : stored)
                r.made << reg->registrationId();
            // Each stored registration reached the server exactly once; none of a failed run did.
            QVERIFY2(serverRegistrations(r.childIds) == r.serverBefore + 5, qPrintable(m_where));
            break;
        }
        case NewChild: {
            const auto made = [&] {
                return c->fetch<Child>(
                    Predicate::format(QStringLiteral("firstName == %@"), {QStringLiteral("Nieuw")}));
            };
            const auto queued = [&] {
                return c->count(FetchRequest::of<SynchroObject>(
                    Predicate::format(QStringLiteral("objectType == %@"), {QStringLiteral("Child")})));
            };
            if (told) {
                QVERIFY2(made().isEmpty() && queued() == 0, qPrintable(m_where));
                r.creator->saveUser();
                QVERIFY(t.engine->waitForIdle(30000));
                QCOMPARE(alertsSaying(*r.alerts, kChildNotStored), 1);
            }
            QVERIFY2(made().size() == 1 && queued() == 1, qPrintable(m_where));
            QVERIFY2(serverChildren(QStringLiteral("Nieuw")) == r.serverBefore + 1, qPrintable(m_where));
            QCOMPARE(r.alerts->last().at(0).toString(), QStringLiteral("Succes"));
            break;
        }
        case RefreshAnswer:
            // Redone by a later check (one the in-progress mark no longer holds back).
            Clock::advance(181);
            QVERIFY(r.tablet->check());
            for (const QString& id : std::as_const(m_news))
                QVERIFY2(t.dao->loadRegistration(id), qPrintable(m_where + QStringLiteral(" lost ") + id));
            // No status left behind by the registrations it came with.
            for (const QString& id : std::as_const(m_newsChildren))
                QVERIFY2(t.dao->loadChild(id)->isIngeschreven() == 1,
                         qPrintable(m_where + QStringLiteral(": status")));
            break;
        case QueueAnswer:
            Clock::advance(181); // an unanswered send is due again
            QVERIFY(r.tablet->check());
            QVERIFY2(t.countWithStatus(3) == 1, qPrintable(m_where));
            break;
        case LogoutCleanUp: {
            const auto outs = [&] {
                return c->fetch<UserRegistration>(Predicate::format(
                    QStringLiteral("type == %@ && userId == %@"), {QStringLiteral("Out"), m_staffId}));
            };
            const auto queuedOuts = [&] {
                return c->count(FetchRequest::of<SynchroObject>(Predicate::format(
                    QStringLiteral("objectType == %@"), {QStringLiteral("UserRegistration")})));
            };
            if (told) {
                QVERIFY2(outs().isEmpty() && queuedOuts() == 0, qPrintable(m_where));
                QVERIFY(Users::sharedUsers()); // still logged in: logging out again retries
                r.root->doLogout();
                QCOMPARE(alertsSaying(*r.alerts, kNotStored), 1);
            }
            QVERIFY2(outs().size() == 1 && queuedOuts() == 1, qPrintable(m_where));
            // A clean-up the disk refused is done at the next one.
            QVERIFY(t.engine->doCleanUp());
            QVERIFY(t.dao->loadRegistrationsBeforeToday().isEmpty());
            QVERIFY(t.dao->loadSynchroOldHandledSynchroObjects().isEmpty());
            break;
        }
        case Wipe: {
            QVERIFY2(c->count(FetchRequest::of<Child>()) == (told ? r.before : 0), qPrintable(m_where));
            QVERIFY(t.dao->loadOrganisation());
            if (told) {
                r.profile->alertViewClickedButtonAtIndex(ProfilePageViewController::kDeleteDBTag, 1);
                QCOMPARE(alertsSaying(*r.alerts, kNotStored), 1);
                QCOMPARE(t.store->context()->count(FetchRequest::of<Child>()), 0);
                QVERIFY(t.dao->loadOrganisation());
            }
            break;
        }
        }
    }

    // The file as the next start finds it: intact, and no record without its other half.
    void verifyReopened(Scenario scenario, const QString& path, const QStringList& made) {
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        auto store = Store::open(path);
        QVERIFY(store);
        Context* c = store->context();
        QSet<QString> queued;
        for (SynchroObject* s : c->fetch<SynchroObject>()) {
            queued.insert(s->objectId());
            const QString type = s->objectType();
            const bool present =
                type == QLatin1String("Registration") ? c->find<Registration>(s->objectId()) != nullptr
                : type == QLatin1String("Child")      ? c->find<Child>(s->objectId()) != nullptr
                                                      : c->find<UserRegistration>(s->objectId()) != nullptr;
            QVERIFY2(present, qPrintable(m_where + QStringLiteral(": queued without its record")));
        }
        for (const QString& id : made)
            QVERIFY2(c->find<Registration>(id) && queued.contains(id),
                     qPrintable(m_where + QStringLiteral(": a stored clocking lost or not queued")));
        if (scenario == Wipe)
            QCOMPARE(c->count(FetchRequest::of<Organisation>()), 1);
        c->reset();
    }

    QString m_staffId;
    QString m_cleanUpBase;

    // What one refresh of today's registrations left, read afresh from the file.
    struct ReadRun {
        int reads = 0;
        QString movedTime;  // of the registration whose moved time is still unsent
        int newsStored = 0; // of m_news
        QString token;
    };
    // The check of the file that opening starts beside the app reads too: done before counting.
    static void waitForQuietDisk() {
        FailingVfs::reset();
        for (int quiet = 0, last = -1; quiet < 3; QTest::qWait(20)) {
            const int reads = FailingVfs::counts().reads;
            quiet = reads == last ? quiet + 1 : 0;
            last = reads;
        }
    }
    void refreshWithAFailingRead(const QString& base, const QString& movedId, int n, ReadRun& out) {
        const QString path = m_dir.filePath(QStringLiteral("readrun.sqlite"));
        copyStore(base, path);
        Tablet t(m_server->url(), path);
        QVERIFY(t.resume());
        t.reachability->setReachable(false); // the moved time stays unsent throughout
        waitForQuietDisk();
        if (n > 0)
            FailingVfs::armOnce(Kind::Read, n, SQLITE_IOERR_READ);
        else
            FailingVfs::reset();
        t.engine->getTimeRegistrationsForEntity(t.entityId);
        QVERIFY(t.engine->waitForIdle(30000));
        out.reads = FailingVfs::counts().reads;
        FailingVfs::disarm();
        const auto reader = t.store->newContext();
        const Registration* moved = reader->find<Registration>(movedId);
        QVERIFY(moved);
        out.movedTime = moved->time();
        for (const QString& id : std::as_const(m_news))
            out.newsStored += reader->find<Registration>(id) ? 1 : 0;
        const auto* token =
            reader->find<GetSynchroObject>(QStringLiteral("timeregistrationFor") + t.entityId);
        out.token = token ? token->lastSyncTime() : QString();
    }

public:
    static int codeFor(Kind kind, int n) {
        if (kind == Kind::Write)
            return n % 2 ? SQLITE_FULL : SQLITE_IOERR_WRITE;
        if (kind == Kind::Sync)
            return SQLITE_IOERR_FSYNC;
        return SQLITE_IOERR;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        FailingVfs::install();
        Tablet::useFreshSettings(m_dir);
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
        m_base = m_dir.filePath(QStringLiteral("base.sqlite"));
        {
            Tablet a(m_server->url(), m_base);
            QVERIFY(a.couple());
            m_staffId = Users::sharedUsers()->userId();
        }
        // Another tablet clocks three children in after that: what a refresh brings.
        {
            Tablet b(m_server->url());
            QVERIFY(b.couple());
            const auto all = b.dao->loadChildrenforEntity(b.entityId);
            for (int i = all.size() - 3; i < all.size(); ++i) {
                m_news << b.clock(all.at(i), QStringLiteral("In"))->registrationId();
                m_newsChildren << all.at(i)->childId();
            }
            QVERIFY(b.engine->waitForIdle(30000));
            QCOMPARE(b.countWithStatus(3), 3);
        }
        // For the clean-up: answered changes of three weeks ago and unlocked registrations of last week.
        m_cleanUpBase = m_dir.filePath(QStringLiteral("cleanup.sqlite"));
        copyStore(m_base, m_cleanUpBase);
        {
            Tablet t(m_server->url(), m_cleanUpBase);
            QVERIFY(t.resume());
            Context* c = t.store->context();
            const auto children = t.dao->loadChildrenforEntity(t.entityId);
            const qint64 day = 86400000;
            for (int i = 0; i < 4; ++i) {
                const bool old = i < 2;
                auto* r = c->insertNew<Registration>();
                const QString time = Util::millisText(Clock::nowMs() - (old ? 21 : 7) * day);
                r->setTime(time);
                r->setRegistrationId(time + Util::getUUID());
                r->setChildId(children.at(i)->childId());
                r->setType(QStringLiteral("In"));
                r->setExists(1);
                r->setLocked(old ? 1 : 0);
                if (old) {
                    auto* s = c->insertNew<SynchroObject>();
                    s->setIdSynchroObject(time + Util::getUUID());
                    s->setEntryDate(time);
                    s->setHttpType(QStringLiteral("POST"));
                    s->setObjectType(QStringLiteral("Registration"));
                    s->setObjectId(r->registrationId());
                    s->setStatus(3);
                }
            }
            QVERIFY(c->save());
            QCOMPARE(t.dao->loadSynchroOldHandledSynchroObjects().size(), 2);
            QCOMPARE(t.dao->loadRegistrationsBeforeToday().size(), 2);
        }
    }
    void cleanup() {
        FailingVfs::reset();
        Clock::reset();
    }
    void cleanupTestCase() { Users::setSharedUsers(nullptr); }

    // Offline on a failing disk: a clocking and a moved time are told, not stored, not queued, and the
    // waiting-changes count stays what the store holds; then both work.
    void refusedOfflineNotCounted() {
        Run r;
        prepare(Clocking, r, m_base);
        if (QTest::currentTestFailed())
            return;
        Tablet& t = *r.tablet;
        t.reachability->setReachable(false);
        FailingVfs::arm(Kind::Write, 1, SQLITE_FULL);
        r.panel->schrijfKindIn();
        FailingVfs::disarm();
        QCOMPARE(alertsSaying(*r.alerts, kNotStored), 1);
        QVERIFY(t.queue().isEmpty());
        QTRY_COMPARE(t.engine->aantalPosts(), QString("0")); // not 5: the refused run was never queued
        r.panel->schrijfKindIn();
        QCOMPARE(t.queue().size(), 5);
        QTRY_COMPARE(t.engine->aantalPosts(), QString("5"));
        r.selectie.addObject(r.children.first()); // the panel shows this child's registrations
        r.panel->refreshShownData();
        auto* registration =
            t.dao->loadRegistration(r.children.first()->registrations().first()->registrationId());
        const QString time = registration->time();
        FailingVfs::arm(Kind::Write, 1, SQLITE_FULL);
        r.panel->userDidEnterBeginTime(QStringLiteral("07:15"), QString(), 0);
        FailingVfs::disarm();
        QCOMPARE(alertsSaying(*r.alerts, kNotStored), 2);
        QCOMPARE(registration->time(), time);
        QCOMPARE(t.queue().size(), 5);
        QTRY_COMPARE(t.engine->aantalPosts(), QString("5"));
        r.panel->userDidEnterBeginTime(QStringLiteral("07:15"), QString(), 0);
        QCOMPARE(alertsSaying(*r.alerts, kNotStored), 2);
        QVERIFY(registration->time() != time);
        QCOMPARE(t.queue().size(), 6);
    }

    // Each read of a refresh fails once in turn. A lookup that misses a stored registration would insert
    // it as new, over the tablet's unsent change: the whole answer must fail instead, keep its token
    // (so it comes again) and store nothing of itself, and the unsent change survives either way.
    void aFailedReadNeverUndoesAnUnsentChange() {
        const QString base = m_dir.filePath(QStringLiteral("moved.sqlite"));
        copyStore(m_base, base);
        QString movedId, movedTime;
        {
            Tablet t(m_server->url(), base);
            QVERIFY(t.resume());
            Child* child = nullptr;
            for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
                if (!child && c->isIngeschreven() != 1 && !m_newsChildren.contains(c->childId()))
                    child = c;
            QVERIFY(child);
            Registration* r = t.clock(child, QStringLiteral("In"));
            QVERIFY(t.engine->waitForIdle(30000));
            QCOMPARE(t.countWithStatus(3), 1); // the server holds the first time
            t.reachability->setReachable(false);
            movedId = r->registrationId();
            movedTime = Util::millisText(r->time().toLongLong() - 3600000);
            r->setTime(movedTime);
            QVERIFY(t.engine->putObject(r));
            t.dao->loadGetSynchroObjectById(QStringLiteral("timeregistrationFor") + t.entityId)
                ->setLastSyncTime(QStringLiteral("0000"));
            QVERIFY(t.store->context()->save());
        }
        QLoggingCategory::setFilterRules(QStringLiteral("default.info=false"));
        const auto logAgain = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
        ReadRun sound;
        refreshWithAFailingRead(base, movedId, 0, sound);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(sound.movedTime, movedTime);
        QCOMPARE(sound.newsStored, int(m_news.size()));
        QVERIFY(sound.reads > 0);
        int answersFailed = 0;
        for (int n = 1; n <= sound.reads; ++n) {
            ReadRun run;
            refreshWithAFailingRead(base, movedId, n, run);
            const QString where = QStringLiteral("read #%1").arg(n);
            if (QTest::currentTestFailed()) {
                qWarning("failed with read #%d failing", n);
                return;
            }
            QVERIFY2(run.movedTime == movedTime,
                     qPrintable(where + QStringLiteral(": unsent change undone")));
            if (run.newsStored == 0) {
                ++answersFailed;
                QVERIFY2(run.token == QLatin1String("0000"),
                         qPrintable(where + QStringLiteral(": token moved")));
            } else {
                QVERIFY2(run.newsStored == m_news.size(),
                         qPrintable(where + QStringLiteral(": half an answer")));
            }
        }
        QLoggingCategory::setFilterRules(QString());
        qInfo("%d reads, %d runs whose answer failed", sound.reads, answersFailed);
        QVERIFY(answersFailed > 0);
    }

    // A read that fails while a refresh looks up its token fails that refresh: it never asks for
    // everything again ("00000") nor puts a new token over the stored one.
    void aFailedReadOfARefreshTokenMakesNoneUp() {
        const QString path = m_dir.filePath(QStringLiteral("token.sqlite"));
        for (int n = 1; n <= 4; ++n) {
            copyStore(m_base, path);
            Tablet t(m_server->url(), path);
            QVERIFY(t.resume());
            const QString id = QStringLiteral("childrenFor") + t.entityId;
            const QString stored = t.store->newContext()->find<GetSynchroObject>(id)->lastSyncTime();
            QVERIFY(stored.toLongLong() > 0);
            waitForQuietDisk();
            FailingVfs::armOnce(Kind::Read, n, SQLITE_IOERR_READ);
            t.engine->getChildrenForEntity(t.entityId);
            const bool asked = t.engine->aantalGets() != QLatin1String("0");
            FailingVfs::disarm();
            QVERIFY(t.engine->waitForIdle(30000));
            if (asked)
                QCOMPARE(m_server->get(QStringLiteral("/_test/lastQuery?path=/child"))
                             .value(QStringLiteral("query"))
                             .toObject()
                             .value(QStringLiteral("lastSyncTime"))
                             .toString(),
                         stored);
            const auto context = t.store->newContext(); // owns what it finds
            const auto* after = context->find<GetSynchroObject>(id);
            QVERIFY(after && after->lastSyncTime().toLongLong() >= stored.toLongLong());
        }
    }

    // A read that fails once while the check beside the app reads the file is no damage: the store is
    // not condemned (moved aside at the next start).
    void aReadFailingOnceDuringTheCheckIsNoDamage() {
        const QString path = m_dir.filePath(QStringLiteral("checked.sqlite"));
        int duringTheCheck = 0;
        for (const int n : {12, 40, 80, 110}) {
            copyStore(m_base, path);
            FailingVfs::reset();
            FailingVfs::armOnce(Kind::Read, n, SQLITE_IOERR_READ);
            auto store = Store::open(path);
            for (int quiet = 0, last = -1; quiet < 10; QTest::qWait(50)) { // the check and its repeats
                const int reads = FailingVfs::counts().reads;
                quiet = reads == last ? quiet + 1 : 0;
                last = reads;
            }
            duringTheCheck += store && FailingVfs::failures() > 0;
            QVERIFY2(!QFile::exists(path + QStringLiteral(".damaged")), qPrintable(QString::number(n)));
        }
        QVERIFY(duringTheCheck > 0);
    }

    void everyWritePointFails_data() {
        QTest::addColumn<int>("scenario");
        // The refresh first: the clockings of the other rows would make its answer longer.
        QTest::newRow("refresh answer") << int(RefreshAnswer);
        QTest::newRow("clocking of 5 children") << int(Clocking);
        QTest::newRow("new child") << int(NewChild);
        QTest::newRow("queue answer") << int(QueueAnswer);
        QTest::newRow("logout clean-up") << int(LogoutCleanUp);
        QTest::newRow("wipe") << int(Wipe);
    }
    void everyWritePointFails() {
        QFETCH(int, scenario);
        const auto s = Scenario(scenario);
        const QString base = s == LogoutCleanUp ? m_cleanUpBase : m_base;
        FailingVfs::Counts counts;
        // One run on a fresh copy; n == 0: a sound disk, counting the write points.
        auto once = [&](Kind kind, int n) {
            auto r = std::make_unique<Run>();
            prepare(s, *r, base);
            if (QTest::currentTestFailed())
                return 0;
            if (n > 0)
                FailingVfs::arm(kind, n, codeFor(kind, n));
            else
                FailingVfs::reset();
            act(s, *r);
            const int failed = FailingVfs::failures();
            if (n == 0)
                counts = FailingVfs::counts();
            FailingVfs::disarm();
            if (QTest::currentTestFailed())
                return 0;
            verify(s, *r);
            Clock::reset();
            if (QTest::currentTestFailed())
                return 0;
            const QString path = r->path;
            const QStringList made = r->made;
            r.reset();
            verifyReopened(s, path, made);
            return failed;
        };
        QElapsedTimer timer;
        timer.start();
        // Hundreds of runs: the app's own log lines would drown the result.
        QLoggingCategory::setFilterRules(QStringLiteral("default.info=false"));
        const auto logAgain = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
        m_where = QStringLiteral("sound disk");
        once(Kind::Write, 0);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(counts.writes > 0 && counts.syncs + counts.opens > 0);
        int injected = 0;
        for (Kind kind : {Kind::Open, Kind::Write, Kind::Sync})
            for (int n = 1; n <= counts.of(kind); ++n) {
                m_where = QStringLiteral("%1 #%2").arg(QLatin1String(FailingVfs::name(kind))).arg(n);
                injected += once(kind, n) > 0 ? 1 : 0;
                if (QTest::currentTestFailed()) {
                    qWarning("failed with the disk failing at %s", qPrintable(m_where));
                    return;
                }
            }
        QLoggingCategory::setFilterRules(QString());
        qInfo("%s: %d opens, %d writes, %d syncs; %d runs with an injected failure (%lld ms)",
              QTest::currentDataTag(), counts.opens, counts.writes, counts.syncs, injected, timer.elapsed());
        QVERIFY(injected > 0);
    }
};

QTEST_MAIN(TestFailedDisk)
#include "tst_faileddisk.moc"
