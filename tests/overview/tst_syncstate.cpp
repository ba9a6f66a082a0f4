// The queue marks of the children's and staff lists and the header line, against the reference server:
// a registration waiting offline shows the clock, its answer takes the mark away, a refused send shows
// the attention mark until it goes through; the rows redraw as that happens and the line counts along.
// A tap on the line explains the queue to staff and opens it for administrators.
#include "Clock.h"
#include "KlassenDataViewController.h"
#include "NotificationCenter.h"
#include "OfflineWork.h"
#include "ReferenceServer.h"
#include "SearchOverzichtViewController.h"
#include "SearchUserViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "SyncState.h"
#include "Tablet.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
int rowOf(const SearchOverzichtModel* model, const QString& key) {
    for (int i = 0; i < model->rowCount(); ++i)
        if (model->keyAt(i) == key)
            return i;
    return -1;
}

int markOf(const SearchOverzichtModel* model, const QString& key) {
    const int row = rowOf(model, key);
    return row < 0 ? -1 : model->data(model->index(row), SearchOverzichtModel::SyncMarkRole).toInt();
}

// Whether a dataChanged of the spy covered row with the mark's role.
bool redrew(const QSignalSpy& spy, int row) {
    for (const QList<QVariant>& args : spy) {
        const auto from = args.at(0).value<QModelIndex>();
        const auto to = args.at(1).value<QModelIndex>();
        const auto roles = args.at(2).value<QList<int>>();
        if (from.row() <= row && row <= to.row() &&
            (roles.isEmpty() || roles.contains(SearchOverzichtModel::SyncMarkRole)))
            return true;
    }
    return false;
}

// A list as the menu opens it, with the state's marks.
struct List {
    SelectieLijst selection;
    StackScrollViewController stack;
    QObject owner;
    SearchOverzichtViewController* screen;
    std::unique_ptr<QAbstractItemModelTester> tester;

    List(SearchOverzichtViewController* made, SyncState* state, std::function<void()> opener = {})
        : screen(made) {
        screen->setParent(&owner);
        screen->setSyncState(state, std::move(opener));
        tester = std::make_unique<QAbstractItemModelTester>(
            screen->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        // A list still searching would show no rows: the tests' reads would fail on that, named.
        if (!QTest::qWaitFor([this] { return !screen->searching() && !screen->counting(); }))
            qWarning("the list was still searching after 5 s");
    }
};
} // namespace

class TestSyncState : public QObject {
    Q_OBJECT
    std::unique_ptr<ReferenceServer> m_server;
    QTemporaryDir m_settings;

private slots:
    void initTestCase() {
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void init() { Tablet::useFreshSettings(m_settings); }
    void cleanup() {
        m_server->clearFaults();
        Clock::reset();
    }

    void headerLine_data() {
        QTest::addColumn<QDateTime>("refreshed");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<QString>("expected");
        const QDateTime now(QDate(2026, 3, 10), QTime(15, 30));
        QTest::newRow("waiting") << QDateTime(now.date(), QTime(14, 2)) << 2
                                 << "Bijgewerkt 14:02 · 2 wachtend";
        QTest::newRow("all sent") << QDateTime(now.date(), QTime(14, 2)) << 0
                                  << "Bijgewerkt 14:02 · alles verstuurd";
        QTest::newRow("yesterday") << QDateTime(now.date().addDays(-1), QTime(18, 5)) << 1
                                   << "Bijgewerkt 09/03 18:05 · 1 wachtend";
        QTest::newRow("never") << QDateTime() << 0 << "Nog niet bijgewerkt · alles verstuurd";
        QTest::newRow("never, waiting")
            << QDateTime::fromMSecsSinceEpoch(0) << 3 << "Nog niet bijgewerkt · 3 wachtend";
    }
    void headerLine() {
        QFETCH(QDateTime, refreshed);
        QFETCH(int, waiting);
        QFETCH(QString, expected);
        QCOMPARE(SyncState::headerText(refreshed, waiting, QDateTime(QDate(2026, 3, 10), QTime(15, 30))),
                 expected);
    }

    // Waiting -> answered -> no mark; failed -> attention -> answered -> no mark; only the rows concerned
    // redraw, and the header counts the records.
    void childMarksFollowTheQueue() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        SyncState state(t.dao.get(), t.engine.get());
        List list(new SearchOverzichtViewController(SearchListDefinition::children(t.entityId), t.dao.get(),
                                                    nullptr, nullptr),
                  &state);
        SearchOverzichtModel* model = list.screen->model();
        QVERIFY(model->rowCount() > 2);
        const QString waitingId = model->keyAt(0);
        const QString otherId = model->keyAt(1);
        QCOMPARE(markOf(model, waitingId), 0);
        QVERIFY(state.headerText().endsWith("· alles verstuurd"));
        QVERIFY2(state.headerText().startsWith("Bijgewerkt "), qPrintable(state.headerText()));

        // Offline: the clocking waits in the queue.
        t.reachability->setReachable(false);
        QSignalSpy redraws(model, &QAbstractItemModel::dataChanged);
        t.clock(t.dao->loadChild(waitingId), "In");
        QTRY_COMPARE(markOf(model, waitingId), int(SyncState::Waiting));
        QCOMPARE(markOf(model, otherId), 0);
        QVERIFY(redrew(redraws, rowOf(model, waitingId)));
        QVERIFY(!redrew(redraws, rowOf(model, otherId)));
        QCOMPARE(state.waiting(), 1);
        QCOMPARE(state.headerMark(), int(SyncState::Waiting));
        QVERIFY2(state.headerText().endsWith("· 1 wachtend"), qPrintable(state.headerText()));

        // Back online: the answer takes the mark away.
        t.reachability->setReachable(true);
        redraws.clear();
        QVERIFY(t.check());
        QTRY_COMPARE(markOf(model, waitingId), 0);
        QVERIFY(redrew(redraws, rowOf(model, waitingId)));
        QCOMPARE(state.waiting(), 0);
        QVERIFY(state.headerText().endsWith("· alles verstuurd"));

        // A refused send: the attention mark, until a later check gets it through.
        QVERIFY(m_server->setFaults({{"http500", 1.0},
                                     {"paths", QJsonArray{"/timeEntry"}},
                                     {"methods", QJsonArray{"POST"}},
                                     {"writes", "before"}}));
        t.clock(t.dao->loadChild(otherId), "In");
        QVERIFY(t.engine->waitForIdle(30000));
        QTRY_COMPARE(markOf(model, otherId), int(SyncState::Failed));
        QCOMPARE(state.headerMark(), int(SyncState::Failed));
        QCOMPARE(state.waiting(), 1);
        QVERIFY(m_server->clearFaults());
        QVERIFY(t.check());
        QTRY_COMPARE(markOf(model, otherId), 0);
        QCOMPARE(state.headerMark(), int(SyncState::NoMark));
    }

    // Staff rows are keyed by their location's record; the mark follows the staff member's registrations.
    void staffMarksFollowTheQueue() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        SyncState state(t.dao.get(), t.engine.get());
        List list(new SearchUserViewController(t.dao.get(), t.engine.get(), nullptr, nullptr), &state);
        SearchOverzichtModel* model = list.screen->model();
        QVERIFY(model->rowCount() > 0);
        const QString key = model->keyAt(0);
        Users* member =
            t.dao->getUsersForPredicate(Predicate::format("userEntityId == %@", {key}), false).value(0);
        QVERIFY(member);

        t.reachability->setReachable(false);
        OfflineWork::staffRegistration(t, member->userId(), "In");
        QTRY_COMPARE(markOf(model, key), int(SyncState::Waiting));
        QCOMPARE(state.markFor(SyncState::Kind::Child, member->userId()), SyncState::NoMark);
        t.reachability->setReachable(true);
        QVERIFY(t.check());
        QTRY_COMPARE(markOf(model, key), 0);
    }

    // The children of a group, opened from the group lists, show the same marks.
    void groupListsShowTheMarks() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        SyncState state(t.dao.get(), t.engine.get());
        StackScrollViewController stack;
        KlassenDataViewController groups(t.entityId, t.dao.get(), nullptr, &stack);
        groups.setSyncState(&state);
        QVERIFY(!groups.klassen().isEmpty());
        groups.tableViewDidSelectRowAtIndexPath(0);
        LeerlingenDataViewController* children = groups.leerlingenViewController();
        QVERIFY(children);
        QAbstractItemModelTester tester(children->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(children->model()->rowCount() > 0);
        const QString key = children->model()->keyAt(0);
        t.reachability->setReachable(false);
        t.clock(t.dao->loadChild(key), "In");
        QTRY_COMPARE(markOf(children->model(), key), int(SyncState::Waiting));
        stack.removeAll();
    }

    // The line's tap: an explanation naming the count for staff, the queue screen for administrators.
    void tappingTheLine_data() {
        QTest::addColumn<bool>("admin");
        QTest::newRow("staff") << false;
        QTest::newRow("administrator") << true;
    }
    void tappingTheLine() {
        QFETCH(bool, admin);
        Tablet t(m_server->url());
        QVERIFY(t.couple(admin));
        t.reachability->setReachable(false);
        t.clock(t.dao->loadChildrenforEntity(t.entityId).first(), "In");
        t.clock(t.dao->loadChildrenforEntity(t.entityId).last(), "In");
        SyncState state(t.dao.get(), t.engine.get());
        int opened = 0;
        List list(new SearchOverzichtViewController(SearchListDefinition::children(t.entityId), t.dao.get(),
                                                    nullptr, nullptr),
                  &state, [&] { ++opened; });
        QSignalSpy alerts(list.screen->dialogs(), &DialogRequests::showAlert);
        list.screen->syncStateTapped();
        if (admin) {
            QTRY_COMPARE(opened, 1);
            QCOMPARE(alerts.count(), 0);
        } else {
            QCOMPARE(alerts.count(), 1);
            QCOMPARE(alerts.first().at(0).toString(), QString("Synchronisatie"));
            QVERIFY2(alerts.first().at(1).toString().contains("2 wijzigingen wachten nog"),
                     qPrintable(alerts.first().at(1).toString()));
            QTest::qWait(10);
            QCOMPARE(opened, 0);
        }
    }

    // The time of the last refresh the server answered, kept across a restart of the engine.
    void lastRefreshIsTheLastAnsweredCheck() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        Clock::set(QDateTime(QDate::currentDate(), QTime(14, 2)));
        QVERIFY(t.check());
        SyncState state(t.dao.get(), t.engine.get());
        QCOMPARE(state.headerText(), QString("Bijgewerkt 14:02 · alles verstuurd"));
        // Offline checks do not move it.
        t.reachability->setReachable(false);
        Clock::set(QDateTime(QDate::currentDate(), QTime(14, 30)));
        QVERIFY(t.check());
        QCOMPARE(state.headerText(), QString("Bijgewerkt 14:02 · alles verstuurd"));
        MainSynchroObject again(t.dao.get(), t.manager.get(), t.reachability.get());
        QCOMPARE(again.lastRefreshDate(), QDateTime(QDate::currentDate(), QTime(14, 2)));
    }
};

QTEST_MAIN(TestSyncState)
#include "tst_syncstate.moc"
