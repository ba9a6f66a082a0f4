// Three days of a location's work without the server: two tablets (one that knows it is offline, one
// that thinks it is online while every request fails) clock, move and delete registrations, add a child
// with photos, log out and in every evening, and live through a tablet clock that jumps an hour ahead
// and back when it is corrected. When the network returns, every change reaches the server exactly
// once in its last state and the tablets agree.
#include "Clock.h"
#include "OfflineWork.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

namespace {
struct Expected {
    QString time;
    QString type;
    int exists = 1;
};

constexpr int kClockingsPerDay = 300; // both tablets together
constexpr int kDuePerCheck = 50;      // what one check sends at most
} // namespace

class TestDaysOffline : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Every queue record not yet answered still has its object in the tablet's store.
    static int unansweredWithoutObject(Tablet& t) {
        int missing = 0;
        for (SynchroObject* s : t.queue()) {
            if (s->status() == 3)
                continue;
            const QString type = s->objectType();
            const bool present = type == QLatin1String("Registration")
                                     ? t.dao->loadRegistration(s->objectId()) != nullptr
                                 : type == QLatin1String("Child") ? t.dao->loadChild(s->objectId()) != nullptr
                                 : type == QLatin1String("UserRegistration")
                                     ? t.dao->loadUserRegistration(s->objectId()) != nullptr
                                     : true;
            missing += !present;
        }
        return missing;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        UserDefaults::setStandard(std::make_shared<UserDefaults>(m_dir.filePath("offline.ini")));
    }
    void cleanupTestCase() { Clock::reset(); }

    void threeDaysThenTheNetworkReturns() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        // The third day is the server's today: it hands out the registrations of today.
        const QDate firstDay = QDate::currentDate().addDays(-2);
        Clock::set(QDateTime(firstDay, QTime(7, 0)));
        Tablet a(server.url(), m_dir.filePath("a.sqlite"));
        Tablet b(server.url(), m_dir.filePath("b.sqlite"));
        QVERIFY(a.couple());
        QVERIFY(b.couple());
        b.manager->setTimeoutMs(2000);

        // a knows there is no network; b sends, and every request is cut off before the server acts.
        a.reachability->setReachable(false);
        QVERIFY(server.setFaults({{"drop", 1.0}, {"writes", "before"}}));

        QHash<Tablet*, Users*> staff;
        QHash<QString, Expected> expected;
        QHash<Tablet*, QStringList> own;
        QStringList staffRegistrations;
        QRandomGenerator rng(1031);
        QString newChildId;
        QByteArray lastPhoto;
        int clockings = 0, moves = 0, deletions = 0, photos = 0, failedChecks = 0;

        for (int day = 0; day < 3; ++day) {
            Clock::set(QDateTime(firstDay.addDays(day), QTime(7, 30)));
            for (Tablet* t : {&a, &b}) {
                // Each tablet's first check of the day recomputes every status; the two tablets of this
                // process share one settings file, where that check notes the day, so each is asked here.
                t->engine->berekenStatussen();
                QVERIFY(t->resume()); // the morning login
                staff[t] = Users::sharedUsers();
                staffRegistrations
                    << OfflineWork::staffRegistration(*t, staff[t]->userId(), "In")->userRegistrationId();
                t->store->context()->save();
            }
            for (int step = 0; step < kClockingsPerDay; ++step) {
                Tablet* t = step % 2 ? &b : &a;
                Users::setSharedUsers(staff[t]);
                Clock::advance(90);
                // On the second day the tablets' clock runs an hour ahead for a while, then is corrected.
                if (day == 1 && step == 100)
                    Clock::advance(3600);
                if (day == 1 && step == 160)
                    Clock::advance(-3600);

                const auto children = t->dao->loadChildrenforEntity(t->entityId);
                const int roll = int(rng.bounded(100));
                if (roll < 80 || own[t].isEmpty()) {
                    Child* child = children.at(int(rng.bounded(int(children.size()))));
                    Registration* r = t->clock(child, rng.bounded(2) ? "In" : "Out");
                    r->setIpadMacId(QString::number(quintptr(t))); // both tablets run in this one process
                    t->store->context()->save();
                    expected.insert(r->registrationId(), {r->time(), r->type(), 1});
                    own[t] << r->registrationId();
                    ++clockings;
                } else {
                    Registration* r =
                        t->dao->loadRegistration(own[t].at(int(rng.bounded(int(own[t].size())))));
                    QVERIFY(r);
                    if (roll < 90 && r->exists() == 1) {
                        r->setTime(
                            Util::millisText(r->time().toLongLong() - 60000 * qint64(1 + rng.bounded(20))));
                        t->engine->putObject(r);
                        expected[r->registrationId()].time = r->time();
                        ++moves;
                    } else if (r->exists() == 1) {
                        r->setExists(0);
                        r->setLocked(1);
                        t->engine->deleteObject(r);
                        expected[r->registrationId()].exists = 0;
                        ++deletions;
                    }
                    if (Child* child = t->dao->loadChild(r->childId()))
                        child->updateIngeschrevenStatus();
                    t->store->context()->save();
                }
                if (day == 0 && step == 40) {
                    newChildId = OfflineWork::newChild(a, OfflineWork::jpeg(Qt::red), "Offline")->childId();
                    a.store->context()->save();
                }
                if (step == 200 && !newChildId.isEmpty()) { // a new photo of the new child every day
                    lastPhoto = OfflineWork::jpeg(QColor::fromHsv(day * 100, 200, 200));
                    a.engine->uploadNewPhoto(lastPhoto, a.dao->loadChild(newChildId));
                    ++photos;
                }
                // The minute timers: a only runs its day switch, b keeps trying and failing.
                if (step % 40 == 1) {
                    QVERIFY(a.check());
                    QVERIFY(b.check());
                    ++failedChecks;
                }
            }
            // The evening: logout clocks the staff member out and cleans the store up.
            Clock::set(QDateTime(firstDay.addDays(day), QTime(18, 0)));
            for (Tablet* t : {&a, &b}) {
                Users::setSharedUsers(staff[t]);
                staffRegistrations
                    << OfflineWork::staffRegistration(*t, staff[t]->userId(), "Out")->userRegistrationId();
                t->store->context()->save();
                t->engine->doCleanUp();
                QCOMPARE(unansweredWithoutObject(*t), 0);
            }
        }
        for (Tablet* t : {&a, &b})
            for (const QString& id : own[t])
                QVERIFY2(t->dao->loadRegistration(id), qPrintable(id)); // nothing unanswered was cleaned up
        const auto beforeReturn = OfflineWork::countsOnServer(server, "timeEntry", "registrationId");
        for (const QString& id : expected.keys())
            QVERIFY(!beforeReturn.contains(id)); // nothing got through while offline
        const int backlog = std::max(a.countWithStatus(0) + a.countWithStatus(2) + a.countWithStatus(1),
                                     b.countWithStatus(0) + b.countWithStatus(2) + b.countWithStatus(1));

        // The network returns on the third evening, so both tablets see that day's registrations.
        Clock::set(QDateTime(firstDay.addDays(2), QTime(18, 30)));
        QVERIFY(server.clearFaults());
        a.reachability->setReachable(true);
        int checks = 0;
        const int allowed = (backlog + kDuePerCheck - 1) / kDuePerCheck + 1;
        while (checks < allowed + 5 && (a.engine->aantalPosts() != "0" || b.engine->aantalPosts() != "0")) {
            ++checks;
            Clock::advance(60);
            QVERIFY(a.check());
            QVERIFY(b.check());
        }
        QCOMPARE(a.engine->aantalPosts(), QString("0"));
        QCOMPARE(b.engine->aantalPosts(), QString("0"));
        QVERIFY2(checks <= allowed, qPrintable(QString("%1 checks for %2 due").arg(checks).arg(backlog)));

        // Every change once, in its last state; nothing of a day lost to an evening clean-up.
        const auto onServer = OfflineWork::countsOnServer(server, "timeEntry", "registrationId");
        int lost = 0, doubled = 0, wrong = 0;
        QHash<QString, QJsonObject> serverCopy;
        for (const QJsonValue& v : server.get("/_test/records?kind=timeEntry").value("records").toArray())
            serverCopy.insert(v.toObject().value("registrationId").toString(), v.toObject());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            lost += onServer.value(it.key()) == 0;
            doubled += onServer.value(it.key()) > 1;
            const QJsonObject o = serverCopy.value(it.key());
            wrong += !o.isEmpty() &&
                     (o.value("time").toString() != it->time || o.value("type").toString() != it->type ||
                      o.value("exists").toInt() != it->exists);
        }
        QCOMPARE(lost, 0);
        QCOMPARE(doubled, 0);
        QCOMPARE(wrong, 0);
        const auto staffOnServer = OfflineWork::countsOnServer(server, "userTimeEntry", "registrationId");
        for (const QString& id : staffRegistrations)
            QCOMPARE(staffOnServer.value(id), 1);
        QCOMPARE(OfflineWork::countsOnServer(server, "child", "childId").value(newChildId), 1);
        QCOMPARE(OfflineWork::pictureOnServer(server, newChildId), lastPhoto);

        // The tablets agree on who is where.
        QVERIFY(a.check());
        QVERIFY(b.check());
        int differing = 0;
        for (Child* c : a.dao->loadChildrenforEntity(a.entityId)) {
            Child* other = b.dao->loadChild(c->childId());
            differing += !other || other->ingeschrevenStatus() != c->ingeschrevenStatus();
        }
        QCOMPARE(differing, 0);
        std::printf("days offline: %d clockings, %d moved, %d deleted, %d photos, %d staff registrations; "
                    "%d failed checks while offline; %d due on the busier tablet drained in %d checks\n",
                    clockings, moves, deletions, photos, int(staffRegistrations.size()), failedChecks,
                    backlog, checks);
        std::fflush(stdout);
    }
};

QTEST_GUILESS_MAIN(TestDaysOffline)
#include "tst_daysoffline.moc"
