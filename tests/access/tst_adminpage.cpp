// The queue screen: its rows and their texts, the snapshot it keeps, and sending one record or all of
// them again against the reference server.
#include "AdminPageViewController.h"
#include "Clock.h"
#include "ReferenceServer.h"
#include "Tablet.h"
#include "TestStore.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
SynchroObject* addRecord(Context* context, const QString& id, qint64 status, const QString& entryDate,
                         const QString& lastTryDate, qint64 tries) {
    auto* r = context->insertNew<SynchroObject>();
    r->setIdSynchroObject(id);
    r->setEntryDate(entryDate);
    r->setStatus(status);
    r->setHttpType(QStringLiteral("POST"));
    r->setObjectType(QStringLiteral("Registration"));
    r->setObjectId(id + QStringLiteral("-reg"));
    if (!lastTryDate.isNull())
        r->setLastTryDate(lastTryDate);
    r->setNrOfTries(tries);
    return r;
}

QString role(const AdminPageModel& model, int row, int role) {
    return model.index(row).data(role).toString();
}
} // namespace

class TestAdminPage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }

    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::reset();
    }

    void cleanup() { Users::setSharedUsers(nullptr); }

    void datesInLocalTime_data() {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("shown");
        QTest::newRow("absent") << QString() << "do 01/01/70 01:00";
        QTest::newRow("zero") << "0"
                              << "do 01/01/70 01:00";
        QTest::newRow("winter") << testing::moment(testing::local(2026, 12, 7, 19, 5, 59))
                                << "ma 07/12/26 19:05";
        // 01:30 UTC on the night the clocks go forward is 03:30 in Brussels.
        QTest::newRow("summer time begins") << "1774747800000"
                                            << "zo 29/03/26 03:30";
    }
    void datesInLocalTime() {
        QFETCH(QString, moment);
        QTEST(AdminPageModel::dateText(moment), "shown");
    }

    void rowsShowEveryRecordNewestFirst() {
        TemporaryStore s;
        const QString base = "17335800000";
        addRecord(s.context(), "answered", 3, base + "00", base + "05", 1);
        addRecord(s.context(), "never-sent", 0, base + "40", QString(), 0);
        addRecord(s.context(), "failed", 2, base + "20", base + "25", 3);
        addRecord(s.context(), "odd", 7, base + "10", base + "10", 1);
        SynchroObject* sent = addRecord(s.context(), "sent", 1, base + "30", base + "30", 1);
        QVERIFY(s.save().isEmpty());
        sent->setStatus(3); // answered, not saved yet: the screen shows the answer

        AdminPageViewController screen(&s.dao(), nullptr);
        AdminPageModel& model = *screen.syncObjects();
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 5);
        QStringList ids, statuses;
        for (int row = 0; row < model.rowCount(); ++row) {
            ids << role(model, row, AdminPageModel::SynchroObjectIdRole);
            statuses << role(model, row, AdminPageModel::StatusRole);
        }
        QCOMPARE(ids, (QStringList{"never-sent", "sent", "failed", "odd", "answered"}));
        QCOMPARE(statuses, (QStringList{"Wachtrij", "Succes", "Mislukt", "N/A", "Succes"}));

        // A record never sent: no attempts, last attempt 1 January 1970.
        QCOMPARE(role(model, 0, AdminPageModel::LastTryDateRole), QString("do 01/01/70 01:00"));
        QCOMPARE(role(model, 0, AdminPageModel::NrOfTriesRole), QString("0"));
        QCOMPARE(role(model, 0, AdminPageModel::EntryDateRole), AdminPageModel::dateText(base + "40"));
        QCOMPARE(role(model, 2, AdminPageModel::NrOfTriesRole), QString("3"));
        QCOMPARE(role(model, 2, AdminPageModel::ObjectIdRole), QString("failed-reg"));
        QCOMPARE(role(model, 2, AdminPageModel::ObjectTypeRole), QString("Registration"));
        QCOMPARE(role(model, 2, AdminPageModel::HttpTypeRole), QString("POST"));
        QCOMPARE(AdminPageModel::statusText(1), QString("Verstuurd"));
        QCOMPARE(AdminPageModel::statusText(-1), QString("N/A"));

        // A snapshot: what is queued later shows only when the screen is opened again.
        addRecord(s.context(), "later", 0, base + "90", QString(), 0);
        QVERIFY(s.save().isEmpty());
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(AdminPageViewController(&s.dao(), nullptr).syncObjects()->rowCount(), 6);
    }

    void retryButtonSendsAnAnsweredRecordAgain() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        t.clock(t.dao->loadChildrenforEntity(t.entityId).first(), "In");
        QVERIFY(t.engine->waitForIdle(60000));
        SynchroObject* record = t.queue().first();
        QCOMPARE(record->status(), 3);
        QCOMPARE(record->nrOfTries(), 1);
        Clock::setMs(Clock::nowMs() + 60000);

        AdminPageViewController screen(t.dao.get(), t.engine.get());
        AdminPageModel& model = *screen.syncObjects();
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(role(model, 0, AdminPageModel::SynchroObjectIdRole), record->idSynchroObject());
        QVERIFY(!model.index(0).data(AdminPageModel::RetriedRole).toBool());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        screen.doRetry(0);
        QCOMPARE(changed.count(), 1);
        QVERIFY(model.index(0).data(AdminPageModel::RetriedRole).toBool()); // the cloud
        QCOMPARE(record->status(), 1);
        QCOMPARE(record->nrOfTries(), 2);
        QCOMPARE(record->lastTryDate(), Util::millisText(Clock::nowMs()));
        // Only an answer sets 3 again: the server got it.
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(record->status(), 3);
        // The row's texts are not refreshed.
        QCOMPARE(role(model, 0, AdminPageModel::StatusRole), QString("Succes"));
        QCOMPARE(role(model, 0, AdminPageModel::NrOfTriesRole), QString("1"));
        screen.doRetry(5); // no such row
        QCOMPARE(record->nrOfTries(), 2);
    }

    void retryAllResendsEveryRecordBehindTheOverlay() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        const QList<Child*> kids = t.dao->loadChildrenforEntity(t.entityId);
        t.clock(kids[0], "In");
        t.reachability->setReachable(false);
        t.clock(kids[1], "In"); // stays "Wachtrij"
        t.reachability->setReachable(true);
        QVERIFY(t.engine->waitForIdle(60000));

        AdminPageViewController screen(t.dao.get(), t.engine.get());
        QCOMPARE(screen.syncObjects()->rowCount(), 2);
        QCOMPARE(role(*screen.syncObjects(), 0, AdminPageModel::StatusRole), QString("Wachtrij"));
        QSignalSpy shown(t.engine.get(), &MainSynchroObject::overlayRequested);
        QSignalSpy hidden(t.engine.get(), &MainSynchroObject::overlayHidden);
        screen.doRetryAll();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown[0][0].toString(), QString("Volledige resync."));
        QVERIFY(hidden.wait(10000));
        QVERIFY(t.engine->waitForIdle(60000));
        for (SynchroObject* r : t.queue()) {
            QCOMPARE(r->status(), 3);
            QCOMPARE(r->nrOfTries(), 1);
        }
    }
};

QTEST_MAIN(TestAdminPage)
#include "tst_adminpage.moc"
