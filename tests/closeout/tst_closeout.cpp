// The end of the day against the reference server: what the close-out screen lists, the children and
// staff still In clocked out at the chosen time (on the server too, each logged as made at close-out),
// the times it refuses (also when a refresh brings a later clock-in while it asks), those registered
// ahead left alone, and the reminder at logout after 17:00.
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

QStringList staffIn(Tablet& t) {
    QStringList ids;
    for (Users* u : t.dao->getUsersForPredicate(Predicate::format("ingeschrevenStatus == %@", {"In"}), true))
        ids << u->userId();
    return ids;
}

QString dayTitle(const QDateTime& moment) {
    return moment.date() == QDate::currentDate() ? Inklokken::vandaag() : moment.toString("dd/MM/yyyy");
}

bool clockStaff(Tablet& t, const QList<Users*>& members, const QString& type, const QDateTime& at) {
    QList<ManagedObject*> selection(members.cbegin(), members.cend());
    Inklokken staff(StaffClockingSubject::instance(), t.dao.get(), t.engine.get());
    return staff
        .clock(type == "In" ? Inklokken::Type::In : Inklokken::Type::Out, selection, dayTitle(at),
               at.toString("HH:mm"))
        .stored;
}

// Offline, with every child and staff member clocked out at 21:00: the test decides who is In. Gives children
// and staff members of the location that are free to clock (not the one logged in).
bool emptyDay(Tablet& t, int children, int staff, QList<Child*>* kids, QList<Users*>* members) {
    t.reachability->setReachable(false);
    QList<ManagedObject*> in;
    for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
        if (c->ingeschrevenStatus() == "In")
            in << c;
    Inklokken clocking(ChildClockingSubject::instance(), t.dao.get(), t.engine.get());
    if (!clocking.clock(Inklokken::Type::Out, in, Inklokken::vandaag(), "21:00").stored)
        return false;
    QList<Users*> staffIn;
    for (Users* u : t.dao->getUsersForPredicate(Predicate::format("ingeschrevenStatus == %@", {"In"}), true))
        staffIn << u;
    if (!staffIn.isEmpty() && !clockStaff(t, staffIn, "Out", today(21, 0)))
        return false;
    for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
        if (kids->size() < children)
            *kids << c;
    for (Users* u : t.dao->getUsersForEntity(t.entityId))
        if (members->size() < staff && u->timeEntryNeeded() == 1 &&
            u->userId() != Users::sharedUserInfo().userId)
            *members << u;
    return kids->size() == children && members->size() == staff;
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
        const int staffCount = screen.staffIn();
        QVERIFY(staffCount > 0);
        QCOMPARE(
            alerts.first().at(1).toString(),
            QString("%1 kinderen en %2 uitklokken om 18:45?")
                .arg(in.size())
                .arg(staffCount == 1 ? QString("1 medewerker") : QString("%1 medewerkers").arg(staffCount)));
        QCOMPARE(alerts.first().at(3).toInt(), CloseOutViewController::kConfirmTag);
        QVERIFY(childrenIn(t) == in); // nothing before the answer

        previous = qInstallMessageHandler(collect);
        logged.clear();
        screen.dialogs()->answer(CloseOutViewController::kConfirmTag, 1);
        qInstallMessageHandler(previous);
        QVERIFY(childrenIn(t).isEmpty());
        QVERIFY(keysIn(screen.items(), CloseOutModel::ChildrenIn).isEmpty());
        QVERIFY(!staffIn(t).contains(member->userId()));

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

    // Children and staff In together: one question names both counts, the reminder counts both, and the
    // answer clocks them all out; the administrator closing out stays In (their logout clocks them out).
    void closesOutStaffWithTheChildren_data() {
        QTest::addColumn<int>("children");
        QTest::addColumn<int>("staff");
        QTest::addColumn<QString>("question");
        QTest::newRow("one of each") << 1 << 1 << "1 kind en 1 medewerker uitklokken om 21:45?";
        QTest::newRow("several of each") << 3 << 2 << "3 kinderen en 2 medewerkers uitklokken om 21:45?";
        QTest::newRow("staff only") << 0 << 2 << "2 medewerkers uitklokken om 21:45?";
    }
    void closesOutStaffWithTheChildren() {
        QFETCH(int, children);
        QFETCH(int, staff);
        QFETCH(QString, question);
        Clock::set(today(22, 0)); // later than what earlier tests left on the server
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        QList<Child*> kids;
        QList<Users*> members;
        QVERIFY(emptyDay(t, children, staff, &kids, &members));
        for (Child* c : kids)
            t.clock(c, "In", today(21, 15).toMSecsSinceEpoch());
        Users* admin = Users::sharedUsers(); // one who clocks their working time too
        admin->setTimeEntryNeeded(1);
        QVERIFY(clockStaff(t, members + QList<Users*>{admin}, "In", today(21, 15)));
        const auto open = CloseOutViewController::openItems(*t.dao, t.entityId, admin->userId());
        QCOMPARE(open.children, children);
        QCOMPARE(open.staff, staff);

        CloseOutViewController screen(t.dao.get(), t.engine.get());
        QCOMPARE(screen.staffIn(), staff);
        screen.setClosingTime("21:45");
        QSignalSpy alerts(screen.dialogs(), &DialogRequests::showAlert);
        screen.clockEveryoneOut();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.first().at(1).toString(), question);
        QCOMPARE(alerts.first().at(3).toInt(), CloseOutViewController::kConfirmTag);
        screen.dialogs()->answer(CloseOutViewController::kConfirmTag, 1);
        QCOMPARE(alerts.count(), 1);
        QVERIFY(childrenIn(t).isEmpty());
        QCOMPARE(staffIn(t), QStringList{admin->userId()});
        const QString at = Util::millisText(today(21, 45).toMSecsSinceEpoch());
        for (const Users* m : members) {
            const UserRegistration* out = m->latestRegistrationAfterDay({});
            QVERIFY(out && out->type() == "Out" && out->time() == at);
        }
        QCOMPARE(screen.childrenIn() + screen.staffIn(), 0);
    }

    // A refresh while the question is open brings a clock-in: one later than the chosen time is refused
    // at "Klok uit" with nothing stored; one before it is asked about again, with the new count.
    void checksAgainWhenConfirmed_data() {
        QTest::addColumn<bool>("staffMember");
        QTest::addColumn<QTime>("arrival");
        QTest::addColumn<QString>("reply");
        QTest::newRow("child after the time")
            << false << QTime(21, 50) << "%1 %2 is pas om 21:50 ingeklokt. Kies een later uur.";
        QTest::newRow("staff after the time")
            << true << QTime(21, 52) << "%1 %2 is pas om 21:52 ingeklokt. Kies een later uur.";
        QTest::newRow("child before the time") << false << QTime(21, 40) << "2 kinderen uitklokken om 21:45?";
    }
    void checksAgainWhenConfirmed() {
        QFETCH(bool, staffMember);
        QFETCH(QTime, arrival);
        QFETCH(QString, reply);
        Clock::set(today(22, 0)); // later than what earlier tests left on the server
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        QList<Child*> kids;
        QList<Users*> members;
        QVERIFY(emptyDay(t, 2, 1, &kids, &members));
        t.clock(kids[0], "In", today(21, 15).toMSecsSinceEpoch());
        CloseOutViewController screen(t.dao.get(), t.engine.get());
        screen.setClosingTime("21:45");
        QSignalSpy alerts(screen.dialogs(), &DialogRequests::showAlert);
        screen.clockEveryoneOut();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.last().at(1).toString(), QString("1 kind uitklokken om 21:45?"));

        const QDateTime at(QDate::currentDate(), arrival);
        if (staffMember) {
            QVERIFY(clockStaff(t, members, "In", at));
            reply = reply.arg(members[0]->first_name(), members[0]->last_name());
        } else {
            t.clock(kids[1], "In", at.toMSecsSinceEpoch());
            if (reply.contains("%1"))
                reply = reply.arg(kids[1]->firstName(), kids[1]->lastName());
        }
        const qsizetype queued = t.queue().size();
        screen.dialogs()->answer(CloseOutViewController::kConfirmTag, 1);
        QCOMPARE(alerts.count(), 2);
        QCOMPARE(alerts.last().at(1).toString(), reply);
        QCOMPARE(t.queue().size(), queued);
        QCOMPARE(childrenIn(t).size() + staffIn(t).size(), 2);
    }

    // Someone registered ahead is not still In: listed apart with the moment, not counted, not in the
    // way of the others' close-out and not clocked out; a clock-in of today before it is closed as usual.
    void leavesThoseRegisteredAhead_data() {
        QTest::addColumn<bool>("staffMember");
        QTest::addColumn<bool>("inToday");
        QTest::addColumn<QDateTime>("ahead");
        QTest::addColumn<QString>("shown");
        const QDate day = QDate::currentDate();
        QTest::newRow("child tomorrow")
            << false << false << QDateTime(day.addDays(1), QTime(7, 0)) << "Ingeklokt voor morgen 07:00";
        QTest::newRow("child tonight")
            << false << false << QDateTime(day, QTime(22, 30)) << "Ingeklokt voor vandaag 22:30";
        QTest::newRow("child in today and tomorrow")
            << false << true << QDateTime(day.addDays(1), QTime(7, 0)) << "Ingeklokt voor morgen 07:00";
        QTest::newRow("staff next week")
            << true << false << QDateTime(day.addDays(7), QTime(7, 0))
            << "Ingeklokt voor " + day.addDays(7).toString("dd/MM/yyyy") + " 07:00";
    }
    void leavesThoseRegisteredAhead() {
        QFETCH(bool, staffMember);
        QFETCH(bool, inToday);
        QFETCH(QDateTime, ahead);
        QFETCH(QString, shown);
        Clock::set(today(22, 0)); // later than what earlier tests left on the server
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        QList<Child*> kids;
        QList<Users*> members;
        QVERIFY(emptyDay(t, 2, 1, &kids, &members));
        t.clock(kids[1], "In", today(21, 15).toMSecsSinceEpoch()); // someone to close out
        const ClockingSubject& subject =
            staffMember ? static_cast<const ClockingSubject&>(StaffClockingSubject::instance())
                        : ChildClockingSubject::instance();
        ManagedObject* person = staffMember ? static_cast<ManagedObject*>(members[0]) : kids[0];
        const QString key = subject.personId(person);
        for (const QDateTime& at :
             inToday ? QList<QDateTime>{today(21, 15), ahead} : QList<QDateTime>{ahead}) {
            if (staffMember)
                QVERIFY(clockStaff(t, members, "In", at));
            else
                t.clock(kids[0], "In", at.toMSecsSinceEpoch());
        }
        const auto open =
            CloseOutViewController::openItems(*t.dao, t.entityId, Users::sharedUserInfo().userId);
        QCOMPARE(open.children + open.staff, inToday ? 2 : 1);

        CloseOutViewController screen(t.dao.get(), t.engine.get());
        const QList<CloseOutModel::Row> rows = screen.items()->rows();
        const auto row = std::find_if(rows.cbegin(), rows.cend(), [&](const CloseOutModel::Row& r) {
            return r.section == CloseOutModel::Ahead && r.key == key;
        });
        QVERIFY(row != rows.cend());
        QCOMPARE(row->detail, shown);
        QCOMPARE(CloseOutModel::sectionTitle(CloseOutModel::Ahead, 1), QString("Vooruit ingeklokt (1)"));
        const auto stillIn =
            keysIn(screen.items(), staffMember ? CloseOutModel::StaffIn : CloseOutModel::ChildrenIn);
        QCOMPARE(stillIn.contains(key), inToday);

        screen.setClosingTime("21:45");
        QSignalSpy alerts(screen.dialogs(), &DialogRequests::showAlert);
        screen.clockEveryoneOut();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.first().at(3).toInt(), CloseOutViewController::kConfirmTag);
        screen.dialogs()->answer(CloseOutViewController::kConfirmTag, 1);
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(keysIn(screen.items(), CloseOutModel::Ahead), QStringList{key});
        QCOMPARE(screen.childrenIn() + screen.staffIn(), 0);
        // Newest first: the clock-in ahead stays the latest; today's clock-in got its clock-out.
        QStringList made;
        for (const ManagedObject* r : subject.registrations(person))
            made << r->valueForKey("type").toString() + " " +
                        QDateTime::fromMSecsSinceEpoch(r->valueForKey("time").toLongLong())
                            .toString("dd HH:mm");
        QStringList expected{"In " + ahead.toString("dd HH:mm")};
        if (inToday)
            expected << "Out " + today(21, 45).toString("dd HH:mm")
                     << "In " + today(21, 15).toString("dd HH:mm");
        QCOMPARE(made.mid(0, expected.size()), expected);
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
        QCOMPARE(alerts.first().at(2).toStringList(), QStringList({"Annuleer", "Afmelden", "Dag afsluiten"}));
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
