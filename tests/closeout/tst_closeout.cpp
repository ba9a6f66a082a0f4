// The end of the day against the reference server: what the close-out screen lists, the children
// still In clocked out at the chosen time (on the server too, each logged as made at close-out), the
// times it refuses, and the reminder at logout after 17:00.
#include "Clock.h"
#include "CloseOutViewController.h"
#include "Inklokken.h"
#include "MenuViewController.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "StaffClockingSubject.h"
#include "Tablet.h"
#include "Util.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

namespace {
QStringList logged;
QtMessageHandler previous = nullptr;
void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    logged << message;
    if (previous)
        previous(type, context, message);
}

QDateTime today(int hour, int minute) {
    return QDateTime(QDate::currentDate(), QTime(hour, minute));
}

QStringList childrenIn(Tablet& t) {
    QStringList ids;
    for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
        if (c->ingeschrevenStatus() == "In")
            ids << c->childId();
    return ids;
}

QStringList keysIn(const CloseOutModel* model, CloseOutModel::Section section) {
    QStringList keys;
    for (const CloseOutModel::Row& r : model->rows())
        if (r.section == section)
            keys << r.key;
    return keys;
}

RootViewController::LoginFactory plainLogin() {
    return [](RootViewController*) { return new ScreenController(QUrl(), QStringLiteral("Aanmelden")); };
}
} // namespace

class TestCloseOut : public QObject {
    Q_OBJECT
    std::unique_ptr<ReferenceServer> m_server;
    QTemporaryDir m_settings;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void init() {
        Tablet::useFreshSettings(m_settings);
        Clock::set(today(19, 0));
    }
    void cleanup() {
        m_server->clearFaults();
        Clock::reset();
    }

    void defaultTime_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("expected");
        QTest::newRow("afternoon") << QTime(17, 10, 40) << "17:10";
        QTest::newRow("closing") << QTime(18, 30) << "18:30";
        QTest::newRow("evening") << QTime(21, 5) << "18:30";
    }
    void defaultTime() {
        QFETCH(QTime, now);
        QFETCH(QString, expected);
        QCOMPARE(CloseOutViewController::defaultClosingTime(QDateTime(QDate::currentDate(), now)), expected);
    }

    // Two more children In at 15:00, one change refused by the server: the screen lists them all; the
    // clock-out at 18:45 reaches every child In, the server gets each registration at 18:45.
    void clocksEveryoneOutAtTheChosenTime() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        QList<Child*> kids;
        for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
            if (c->ingeschrevenStatus().isNull() && kids.size() < 2)
                kids << c;
        QCOMPARE(kids.size(), 2);
        for (Child* c : kids)
            t.clock(c, "In", today(15, 0).toMSecsSinceEpoch());
        QVERIFY(t.engine->waitForIdle(30000));
        QVERIFY(m_server->setFaults(
            {{"http500", 1.0}, {"paths", QJsonArray{"/userTimeEntry"}}, {"writes", "before"}}));
        Users* member = t.dao->getUsersForPredicate(Predicate(), true).value(0); // one who clocks
        QVERIFY(member);
        Inklokken staff(StaffClockingSubject::instance(), t.dao.get(), t.engine.get());
        QVERIFY(staff.clock(Inklokken::Type::In, {member}, Inklokken::vandaag(), "15:00").stored);
        QVERIFY(t.engine->waitForIdle(30000));
        const QStringList in = childrenIn(t);
        QVERIFY(in.contains(kids[0]->childId()) && in.contains(kids[1]->childId()));

        CloseOutViewController screen(t.dao.get(), t.engine.get());
        QAbstractItemModelTester tester(screen.items(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(screen.closingTime(), QString("18:30"));
        QCOMPARE(screen.clockOutTitle(), QString("Klok iedereen uit om 18:30"));
        QCOMPARE(keysIn(screen.items(), CloseOutModel::ChildrenIn).size(), in.size());
        QVERIFY(keysIn(screen.items(), CloseOutModel::StaffIn).contains(member->userId()));
        const QList<CloseOutModel::Row> rows = screen.items()->rows();
        const auto failed = std::find_if(rows.cbegin(), rows.cend(), [](const CloseOutModel::Row& r) {
            return r.section == CloseOutModel::Changes && r.mark == 2;
        });
        QVERIFY(failed != rows.cend());
        QVERIFY2(failed->detail.contains("Mislukt"), qPrintable(failed->detail));

        // The wheels choose the time; the confirmation names it and the count.
        screen.timePicker()->wheelCameToRest(TimeChangerViewController::MinuteWheel, 45);
        QCOMPARE(screen.clockOutTitle(), QString("Klok iedereen uit om 18:45"));
        QSignalSpy alerts(screen.dialogs(), &DialogRequests::showAlert);
        screen.clockEveryoneOut();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.first().at(1).toString(), QString("%1 kinderen uitklokken om 18:45?").arg(in.size()));
        QCOMPARE(alerts.first().at(3).toInt(), CloseOutViewController::kConfirmTag);
        QVERIFY(childrenIn(t) == in); // nothing before the answer

        previous = qInstallMessageHandler(collect);
        logged.clear();
        screen.dialogs()->answer(CloseOutViewController::kConfirmTag, 1);
        qInstallMessageHandler(previous);
        QVERIFY(childrenIn(t).isEmpty());
        QVERIFY(keysIn(screen.items(), CloseOutModel::ChildrenIn).isEmpty());

        QVERIFY(m_server->clearFaults());
        QVERIFY(t.check());
        const QString at = Util::millisText(today(18, 45).toMSecsSinceEpoch());
        QHash<QString, QJsonObject> outs; // by child, this tablet's clock-outs on the server
        for (const QJsonValue& v :
             m_server->get("/_test/records?kind=timeEntry").value("records").toArray()) {
            const QJsonObject o = v.toObject();
            if (o.value("type").toString() == "Out" && o.value("time").toString() == at)
                outs.insert(o.value("childId").toString(), o);
        }
        for (const QString& id : in) {
            QVERIFY2(outs.contains(id), qPrintable(id));
            const QString registration = outs.value(id).value("registrationId").toString();
            QVERIFY(t.dao->loadRegistration(registration));
            const bool markedInLog = std::any_of(logged.cbegin(), logged.cend(), [&](const QString& line) {
                return line.contains("dagafsluiting") && line.contains(registration);
            });
            QVERIFY2(markedInLog, qPrintable(registration));
        }
        QCOMPARE(outs.size(), in.size());
        QCOMPARE(t.countWithStatus(0) + t.countWithStatus(1) + t.countWithStatus(2), 0);
        QVERIFY(keysIn(screen.items(), CloseOutModel::Changes).isEmpty()); // followed the queue
    }

    // A time still ahead, or before a child's clock-in, is refused with a reason; nothing is clocked.
    void refusesTimesThatWouldLieOrLeaveChildrenIn_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("reason");
        QTest::newRow("ahead") << QTime(17, 30) << "17:45"
                               << "17:45 ligt nog in de toekomst";
        QTest::newRow("before a clock-in") << QTime(19, 0) << "16:00"
                                           << "is pas om 16:30 ingeklokt";
    }
    void refusesTimesThatWouldLieOrLeaveChildrenIn() {
        QFETCH(QTime, now);
        QFETCH(QString, chosen);
        QFETCH(QString, reason);
        Clock::set(QDateTime(QDate::currentDate(), now));
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        t.reachability->setReachable(false);
        Child* late = nullptr;
        for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
            if (!late && c->ingeschrevenStatus().isNull())
                late = c;
        QVERIFY(late);
        t.clock(late, "In", today(16, 30).toMSecsSinceEpoch());
        const QStringList in = childrenIn(t);
        CloseOutViewController screen(t.dao.get(), t.engine.get());
        screen.setClosingTime(chosen);
        QSignalSpy alerts(screen.dialogs(), &DialogRequests::showAlert);
        screen.clockEveryoneOut();
        QCOMPARE(alerts.count(), 1);
        QVERIFY2(alerts.first().at(1).toString().contains(reason),
                 qPrintable(alerts.first().at(1).toString()));
        QVERIFY(alerts.first().at(3).toInt() != CloseOutViewController::kConfirmTag);
        QCOMPARE(childrenIn(t), in);
    }

    // Logout after 17:00 with something open asks first; before 17:00, or with nothing open, it does not.
    void logoutReminder_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("childIn");
        QTest::addColumn<bool>("reminded");
        QTest::newRow("afternoon, child in") << QTime(16, 59) << true << false;
        QTest::newRow("evening, child in") << QTime(17, 0) << true << true;
        QTest::newRow("evening, nothing open") << QTime(19, 30) << false << false;
    }
    void logoutReminder() {
        QFETCH(QTime, now);
        QFETCH(bool, childIn);
        QFETCH(bool, reminded);
        Clock::set(QDateTime(QDate::currentDate(), now));
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        // Whatever the demo or earlier rows left In today is clocked out first, so the row decides what
        // is open.
        Child* fresh = nullptr;
        for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
            if (!fresh && c->ingeschrevenStatus().isNull())
                fresh = c;
        QVERIFY(fresh);
        QList<ManagedObject*> demoIn;
        for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
            if (c->ingeschrevenStatus() == "In")
                demoIn << c;
        QList<ManagedObject*> staffIn;
        for (Users* u :
             t.dao->getUsersForPredicate(Predicate::format("ingeschrevenStatus == %@", {"In"}), false))
            staffIn << u;
        Inklokken children(ChildClockingSubject::instance(), t.dao.get(), t.engine.get());
        Inklokken staff(StaffClockingSubject::instance(), t.dao.get(), t.engine.get());
        QVERIFY(children.clock(Inklokken::Type::Out, demoIn, Inklokken::vandaag(), Inklokken::nu()).stored);
        QVERIFY(staff.clock(Inklokken::Type::Out, staffIn, Inklokken::vandaag(), Inklokken::nu()).stored);
        if (childIn)
            t.clock(fresh, "In");
        QVERIFY(t.engine->waitForIdle(30000));

        StackScrollViewAppDelegate delegate; // the selection lists the menu empties
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        root.doLoginForUser(Users::sharedUsers());
        QVERIFY(t.engine->waitForIdle(30000));
        // The one logging out is no reason to ask: the logout clocks them out.
        const auto open =
            CloseOutViewController::openItems(*t.dao, t.entityId, Users::sharedUserInfo().userId);
        QCOMPARE(open.children, childIn ? 1 : 0);
        QCOMPARE(open.staff, 0);
        QCOMPARE(open.changes, 0);
        QSignalSpy alerts(root.dialogs(), &DialogRequests::showAlert);
        NotificationCenter::defaultCenter().post("logout");
        if (!reminded) {
            QCOMPARE(alerts.count(), 0);
            QVERIFY(!root.isLoggedIn());
            return;
        }
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.first().at(0).toString(), QString("Dag afsluiten?"));
        QVERIFY2(alerts.first().at(1).toString().contains("1 kind nog ingeklokt"),
                 qPrintable(alerts.first().at(1).toString()));
        QCOMPARE(alerts.first().at(2).toStringList(),
                 QStringList({"Annuleer", "Afmelden", "Dag afsluiten"}));
        QVERIFY(root.isLoggedIn());

        // "Dag afsluiten" opens the close-out screen; "Annuleer" stays; "Afmelden" logs out.
        root.dialogs()->answer(RootViewController::kLogoutReminderTag, 2);
        QVERIFY(qobject_cast<CloseOutViewController*>(root.stackScrollViewController()->screenAt(0)));
        QCOMPARE(root.menuViewController()->selectedOption(), int(MenuViewController::Afsluiten));
        root.dialogs()->answer(RootViewController::kLogoutReminderTag, 0);
        QVERIFY(root.isLoggedIn());
        root.dialogs()->answer(RootViewController::kLogoutReminderTag, 1);
        QVERIFY(!root.isLoggedIn());
    }
};

QTEST_MAIN(TestCloseOut)
#include "tst_closeout.moc"
