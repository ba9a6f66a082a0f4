// Reliability soak: two tablets make 500 clockings each (creations, time changes, deletions) while the
// server fails a third of the requests in every way it can; once the faults stop and a few checks ran,
// the server holds exactly what was made, every queue record is answered and the tablets agree.
#include "Clock.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QElapsedTimer>
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
} // namespace

class TestSoak : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        UserDefaults::setStandard(std::make_shared<UserDefaults>(m_dir.filePath("soak.ini")));
    }

    void cleanupTestCase() { Clock::reset(); }

    void twoTabletsUnderFaults() {
        QElapsedTimer took;
        took.start();
        // Midday, running: a time moved back half an hour must stay within the server's day of
        // registrations, which a run just after midnight would leave.
        Clock::advance(QDateTime::currentDateTime().secsTo(QDateTime(QDate::currentDate(), QTime(12, 0))));
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet a(server.url(), m_dir.filePath("a.sqlite"));
        Tablet b(server.url(), m_dir.filePath("b.sqlite"));
        QVERIFY(a.couple());
        QVERIFY(b.couple());
        for (Tablet* t : {&a, &b})
            t->manager->setTimeoutMs(800);

        QVERIFY(server.setFaults({{"http500", 0.20},
                                  {"drop", 0.10},
                                  {"failure", 0.05},
                                  {"delay", 0.05},
                                  {"delayMs", 1500},
                                  {"writes", "random"},
                                  {"seed", 7}}));
        QHash<QString, Expected> expected;
        QRandomGenerator rng(42);
        int creations = 0, changes = 0, deletions = 0;
        for (int i = 0; i < 500; ++i) {
            for (Tablet* t : {&a, &b}) {
                const auto children = t->dao->loadChildrenforEntity(t->entityId);
                const int roll = int(rng.bounded(100));
                QList<Registration*> own;
                for (const QString& id : expected.keys())
                    if (Registration* r = t->dao->loadRegistration(id);
                        r && r->exists() == 1 && r->ipadMacId() == QString::number(quintptr(t)))
                        own << r;
                if (roll < 60 || own.isEmpty()) {
                    Child* child = children.at(int(rng.bounded(int(children.size()))));
                    Registration* r = t->clock(child, rng.bounded(2) ? "In" : "Out");
                    r->setIpadMacId(QString::number(quintptr(t))); // which tablet made it, for this test
                    t->store->context()->save();
                    expected.insert(r->registrationId(), {r->time(), r->type(), 1});
                    ++creations;
                } else if (roll < 85) {
                    Registration* r = own.at(int(rng.bounded(int(own.size()))));
                    r->setTime(
                        Util::millisText(r->time().toLongLong() - 60000 * qint64(1 + rng.bounded(30))));
                    t->engine->putObject(r);
                    Child* child = t->dao->loadChild(r->childId());
                    child->updateIngeschrevenStatus();
                    t->store->context()->save();
                    expected[r->registrationId()].time = r->time();
                    ++changes;
                } else {
                    Registration* r = own.at(int(rng.bounded(int(own.size()))));
                    r->setExists(0);
                    r->setLocked(1);
                    t->engine->deleteObject(r);
                    t->dao->loadChild(r->childId())->updateIngeschrevenStatus();
                    t->store->context()->save();
                    expected[r->registrationId()].exists = 0;
                    ++deletions;
                }
            }
            QCoreApplication::processEvents();
            if (i % 50 == 49) {
                a.engine->checkForUpdates();
                b.engine->checkForUpdates();
            }
        }
        a.engine->waitForIdle(60000);
        b.engine->waitForIdle(60000);

        // The faults stop; answers held back land; then checks drain the queues.
        const QJsonObject faults = server.get("/_test/faults");
        QVERIFY(server.clearFaults());
        // From here a slow answer is the machine's load, not a fault: a refresh cut off by the short
        // time-out would keep its call busy for three minutes and leave the tablets apart.
        for (Tablet* t : {&a, &b})
            t->manager->setTimeoutMs(30000);
        QTest::qWait(2000);
        int rounds = 0;
        for (; rounds < 10; ++rounds) {
            Clock::advance(181);
            QVERIFY(a.check());
            QVERIFY(b.check());
            if (a.countWithStatus(3) == a.queue().size() && b.countWithStatus(3) == b.queue().size())
                break;
        }
        QVERIFY(a.check());
        QVERIFY(b.check());

        QCOMPARE(a.countWithStatus(3), int(a.queue().size()));
        QCOMPARE(b.countWithStatus(3), int(b.queue().size()));
        QCOMPARE(a.engine->aantalPosts(), QString("0"));
        QCOMPARE(b.engine->aantalPosts(), QString("0"));

        QHash<QString, int> seen;
        int mismatched = 0;
        for (const QJsonValue& v : server.get("/_test/records?kind=timeEntry").value("records").toArray()) {
            const QJsonObject o = v.toObject();
            const QString id = o.value("registrationId").toString();
            if (!expected.contains(id))
                continue;
            ++seen[id];
            const Expected& e = expected.value(id);
            if (o.value("time").toString() != e.time || o.value("type").toString() != e.type ||
                o.value("exists").toInt() != e.exists) {
                ++mismatched;
                QStringList history;
                for (Tablet* t : {&a, &b})
                    for (SynchroObject* q : t->queue())
                        if (q->objectId() == id)
                            history << QStringLiteral("%1 %2 status %3 tries %4")
                                           .arg(q->entryDate(), q->httpType())
                                           .arg(q->status())
                                           .arg(q->nrOfTries());
                std::printf("mismatch %s: server time %s exists %d, expected time %s exists %d; queue: %s\n",
                            qPrintable(id), qPrintable(o.value("time").toString()), o.value("exists").toInt(),
                            qPrintable(e.time), e.exists, qPrintable(history.join("; ")));
            }
        }
        QCOMPARE(seen.size(), expected.size()); // none lost
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QCOMPARE(it.value(), 1); // none doubled
        QCOMPARE(mismatched, 0);     // the last change of each one wins

        int differing = 0;
        const auto onA = a.dao->loadChildrenforEntity(a.entityId);
        for (Child* c : onA) {
            Child* other = b.dao->loadChild(c->childId());
            if (!other || other->ingeschrevenStatus() != c->ingeschrevenStatus())
                ++differing;
        }
        QCOMPARE(differing, 0);
        // Past the test log's message limit, so straight to the output.
        std::printf(
            "%s\n",
            qPrintable(
                QStringLiteral("soak: %1 creations, %2 time changes, %3 deletions on 2 tablets; %4 queue "
                               "records; %5 drain rounds; %6 s; faults %7")
                    .arg(creations)
                    .arg(changes)
                    .arg(deletions)
                    .arg(a.queue().size() + b.queue().size())
                    .arg(rounds + 1)
                    .arg(took.elapsed() / 1000.0, 0, 'f', 1)
                    .arg(QString::fromUtf8(
                        QJsonDocument(faults.value("injected").toObject()).toJson(QJsonDocument::Compact)))));
        std::fflush(stdout);
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
