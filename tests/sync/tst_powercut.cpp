// Power cuts and crashes between an answer and what follows from it. A test disk (PowerCutVfs) loses
// every write not yet synced when the power goes; the tablet is then started again on what the disk
// holds. Checked: statuses an answer changed are right after the restart, and an answered change is
// never sent again over another tablet's later change.
#include "Clock.h"
#include "OfflineWork.h"
#include "PowerCutVfs.h"
#include "ReferenceServer.h"
#include "Sqlite.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <cstdio>

namespace {

// Hears an answer and does nothing with it: the tablet stops right after the answer's commit.
struct Nobody : ObjectLoaderDelegate {
    int loaded = 0;
    int failed = 0;
    void objectLoaderDidLoadObjects(const RequestInfo&, const Response&) override { ++loaded; }
    void objectLoaderDidFailWithError(const RequestInfo&, const QString&) override { ++failed; }
};

} // namespace

class TestPowerCut : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;

    // Whether the server holds a registration and whether it is live (-1: not there).
    int existsOnServer(const QString& registrationId) const {
        for (const QJsonValue& v : m_server->get("/_test/records?kind=timeEntry").value("records").toArray())
            if (v.toObject().value("registrationId").toString() == registrationId)
                return v.toObject().value("exists").toInt();
        return -1;
    }

    // A clocking another tablet made, straight on the server.
    QString clockElsewhere(const Child* child, const QString& type, qint64 atMs) const {
        const QString id = QString::number(atMs) + QUuid::createUuid().toString(QUuid::WithoutBraces);
        int status = 0;
        m_server->send("POST", "/timeEntry",
                       {{"registrationId", id},
                        {"childId", child->childId()},
                        {"entityId", child->entityId()},
                        {"time", QString::number(atMs)},
                        {"type", type},
                        {"exists", 1},
                        {"ipadMacId", "other-tablet"},
                        {"ipadName", "Tablet Keuken"}},
                       &status);
        return status == 200 ? id : QString();
    }

    bool deleteElsewhere(const QString& registrationId) const {
        int status = 0;
        m_server->send("DELETE", "/timeEntry?registrationId=" + registrationId, {}, &status);
        return status == 200;
    }

    // The power goes now; the tablet's process is gone and starts again on what the disk holds.
    static void cutAndRestart(std::unique_ptr<Tablet>& tablet, const QUrl& server, const QString& path,
                              bool tear = false) {
        PowerCutVfs::cut();
        tablet.reset();
        PowerCutVfs::restore(tear);
        tablet = std::make_unique<Tablet>(server, path);
    }

private slots:
    void initTestCase() {
        PowerCutVfs::install();
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void init() { Tablet::useFreshSettings(m_dir); }
    void cleanup() { Clock::reset(); }

    // Another tablet's clock-in arrives; the tablet dies after storing the answer, before recomputing.
    void statusesOfAStoredAnswerAreRecomputedAtStart() {
        const QString path = m_dir.filePath("recompute.sqlite");
        auto a = std::make_unique<Tablet>(m_server->url(), path);
        QVERIFY(a->couple());
        Child* child = a->dao->loadChildrenforEntity(a->entityId).first();
        const QString childId = child->childId();
        const QString type = child->ingeschrevenStatus() == QLatin1String("In") ? "Out" : "In";
        const QString id = clockElsewhere(child, type, Clock::nowMs());
        QVERIFY(!id.isEmpty());

        // The answer is mapped and committed by the object manager; nobody recomputes anything.
        Nobody nobody;
        a->manager->getObjectsAtPath("/timeEntry",
                                     {{"entityId", a->entityId},
                                      {"lastSyncTime", "0000"},
                                      {"organisationId", a->dao->loadOrganisation()->organisationId()}},
                                     &nobody);
        QVERIFY(a->manager->waitForIdle(30000));
        QCOMPARE(nobody.loaded, 1);
        QVERIFY(a->dao->loadRegistration(id));
        a->store->context()->reset();
        QVERIFY(a->dao->loadChild(childId)->ingeschrevenStatus() != type);

        a.reset();
        a = std::make_unique<Tablet>(m_server->url(), path);
        QVERIFY(a->resume());
        a->engine->start();
        QVERIFY(a->engine->waitForIdle(30000));
        QCOMPARE(a->dao->loadChild(childId)->ingeschrevenStatus(), type);
    }

    // Send, answer recorded, the power goes, another tablet deletes, the tablet refreshes and resends
    // what is due: the deletion stays.
    void anAnsweredChangeIsNotSentAgainAfterAPowerCut() {
        const QString path = m_dir.filePath("answered.sqlite");
        PowerCutVfs::watch(m_dir.path());
        auto a = std::make_unique<Tablet>(m_server->url(), path);
        QVERIFY(a->couple());
        Registration* r = a->clock(a->dao->loadChildrenforEntity(a->entityId).at(1), "In");
        const QString id = r->registrationId();
        QVERIFY(a->engine->waitForIdle(30000));
        QCOMPARE(a->countWithStatus(3), 1);
        QCOMPARE(existsOnServer(id), 1);

        cutAndRestart(a, m_server->url(), path);
        QVERIFY(a->resume());
        QVERIFY(deleteElsewhere(id));
        QCOMPARE(existsOnServer(id), 0);
        Clock::advance(181); // any send cut off is due again
        QVERIFY(a->check());
        QVERIFY(a->check());
        QCOMPARE(existsOnServer(id), 0);
        QCOMPARE(a->dao->loadRegistration(id)->exists(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPowerCut)
#include "tst_powercut.moc"
