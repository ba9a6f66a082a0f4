// Taking a clocking back from the undo bar, against the reference server: before its send started (the
// server never hears of it), while it is on its way and after its answer (the server ends with exists 0),
// for children and staff; exactly that run's registrations go, statuses and the queue count come back.
// Also the bar's texts and its ten seconds, and the double clocking another tablet's registration shows.
#include "Clock.h"
#include "ClockingUndo.h"
#include "DoubleClocking.h"
#include "Inklokken.h"
#include "LeerlingenDetailViewController.h"
#include "ReferenceServer.h"
#include "SelectieLijst.h"
#include "StaffClockingSubject.h"
#include "Tablet.h"
#include "TabletNames.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Type = ClockingSubject::Type;

namespace {

// The app's clock runs from 10:00 today, so a minute later is the same registration period.
void runFromTenToday() {
    Clock::reset();
    Clock::advanceMs(QDateTime(QDate::currentDate(), QTime(10, 0)).toMSecsSinceEpoch() - Clock::nowMs());
}

enum class When { NotStarted, OnItsWay, Answered };

// What a person shows: status and time, as the lists draw them.
QString statusOf(ManagedObject* person) {
    return person->valueForKey("ingeschrevenStatus").toString() + "|" +
           person->valueForKey("ingeschrevenTime").toString();
}

// The server's copy of each registration by id: "exists" as text, absent when the server has none.
QHash<QString, QString> onServer(const ReferenceServer& server, bool staff) {
    QHash<QString, QString> found;
    const QString kind = staff ? "userTimeEntry" : "timeEntry";
    for (const QJsonValue& v : server.get("/_test/records?kind=" + kind).value("records").toArray())
        found.insert(v["registrationId"].toString(), v["exists"].toVariant().toString());
    return found;
}

QString idOf(ManagedObject* registration) {
    return registration->primaryKey();
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium)); }
    void init() { Tablet::useFreshSettings(m_dir); }
    void cleanup() { Clock::reset(); }

    void undoTakesBackExactlyTheRun_data() {
        QTest::addColumn<bool>("staff");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("whenCode");
        QTest::addColumn<QString>("text"); // %1 %2: the first person's names
        QTest::newRow("one child, not sent") << false << 1 << int(When::NotStarted) << "%1 %2 ingeklokt";
        QTest::newRow("three children, not sent")
            << false << 3 << int(When::NotStarted) << "3 kinderen ingeklokt";
        QTest::newRow("three children, on their way")
            << false << 3 << int(When::OnItsWay) << "3 kinderen ingeklokt";
        QTest::newRow("one child, answered") << false << 1 << int(When::Answered) << "%1 %2 ingeklokt";
        QTest::newRow("two staff, not sent")
            << true << 2 << int(When::NotStarted) << "2 medewerkers ingeklokt";
        QTest::newRow("two staff, answered") << true << 2 << int(When::Answered) << "2 medewerkers ingeklokt";
        QTest::newRow("one member, on its way") << true << 1 << int(When::OnItsWay) << "%1 %2 ingeklokt";
    }
    void undoTakesBackExactlyTheRun() {
        QFETCH(bool, staff);
        QFETCH(int, count);
        QFETCH(int, whenCode);
        const auto when = When(whenCode);
        QFETCH(QString, text);
        runFromTenToday();
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet t(server.url());
        QVERIFY(t.couple(true));
        const ClockingSubject& subject =
            staff ? static_cast<const ClockingSubject&>(StaffClockingSubject::instance())
                  : ChildClockingSubject::instance();
        QList<ManagedObject*> people;
        if (staff) {
            for (Users* u : t.dao->getUsersForPredicate(Predicate(), true))
                if (u->userId() != Users::sharedUserInfo().userId && u->isIngeschreven() != 1)
                    people << u;
        } else {
            for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
                if (c->isIngeschreven() != 1)
                    people << c;
        }
        QVERIFY(people.size() > count);
        // An earlier run of someone else stays whatever happens to the later one.
        ManagedObject* bystander = people.takeLast();
        people = people.mid(0, count);
        Inklokken inklokken(subject, t.dao.get(), t.engine.get());
        const Inklokken::Run earlier = inklokken.clock(Type::In, {bystander}, "Vandaag", "Nu");
        QVERIFY(earlier.stored);
        QVERIFY(t.engine->waitForIdle(20000));

        QStringList statusBefore;
        for (ManagedObject* p : people)
            statusBefore << statusOf(p);
        const QString postsBefore = t.engine->aantalPosts();
        const qsizetype queueBefore = t.queue().size();

        if (when == When::NotStarted)
            t.reachability->setReachable(false);
        const Inklokken::Run run = inklokken.clock(Type::In, people, "Vandaag", "Nu");
        QVERIFY(run.stored);
        QCOMPARE(run.registrations.size(), count);
        QStringList ids;
        for (ManagedObject* r : run.registrations)
            ids << idOf(r);
        if (when == When::Answered)
            QVERIFY(t.engine->waitForIdle(20000));
        ClockingUndo undo(t.dao.get(), t.engine.get(), nullptr);
        undo.offer(subject, Type::In, people, run.registrations);
        QVERIFY(undo.shown());
        QCOMPARE(undo.text(), text.contains("%1") ? text.arg(subject.firstName(people.first()),
                                                             subject.lastName(people.first()))
                                                  : text);

        QVERIFY(undo.undo());
        QVERIFY(!undo.shown());
        QStringList statusAfter;
        for (ManagedObject* p : people)
            statusAfter << statusOf(p);
        QCOMPARE(statusAfter, statusBefore);
        for (const QString& id : ids) {
            ManagedObject* r = staff ? static_cast<ManagedObject*>(t.dao->loadUserRegistration(id))
                                     : t.dao->loadRegistration(id);
            // Gone from the tablet, or kept as deleted.
            QCOMPARE(r ? r->valueForKey("exists").toString() : QString("gone"),
                     when == When::NotStarted ? QString("gone") : QString("0"));
        }
        if (when == When::NotStarted) {
            QCOMPARE(t.queue().size(), queueBefore);
            QCOMPARE(t.engine->aantalPosts(), postsBefore);
        }

        // The network back: the server ends with no trace of a run never sent, the deletion otherwise.
        t.reachability->setReachable(true);
        QVERIFY(t.check());
        const QHash<QString, QString> server1 = onServer(server, staff);
        for (const QString& id : ids) {
            if (when == When::NotStarted)
                QVERIFY2(!server1.contains(id), qPrintable(id));
            else
                QCOMPARE(server1.value(id), QString("0"));
        }
        QCOMPARE(server1.value(idOf(earlier.registrations.first())), QString("1"));
        QCOMPARE(t.countWithStatus(0) + t.countWithStatus(1) + t.countWithStatus(2), 0);
        // What the refresh brought back agrees: the statuses stay as before the run.
        statusAfter.clear();
        for (ManagedObject* p : people)
            statusAfter << statusOf(p);
        QCOMPARE(statusAfter, statusBefore);
    }

    // The bar's words for clock-outs, and its ten seconds on the app's clock.
    void barTextsAndTime() {
        TemporaryStore store;
        store.organisation("O1");
        Users* staff = store.staff("UE1", "U1", "Els", "Janssens", "E1", 1, 1, 1);
        Child* emma = store.child("C1", "Emma", "Peeters");
        Child* noah = store.child("C2", "Noah", "Claes");
        QVERIFY2(store.save().isEmpty(), "save");
        Users::setSharedUsers(staff);
        Clock::set(testing::local(2024, 3, 12, 17, 0));
        Inklokken inklokken(ChildClockingSubject::instance(), &store.dao(), nullptr);
        const Inklokken::Run in = inklokken.clock(Type::In, {emma, noah}, "Vandaag", "Nu");
        Clock::advance(3600);
        const Inklokken::Run out = inklokken.clock(Type::Out, {emma}, "Vandaag", "Nu");
        QVERIFY(in.stored && out.stored);
        QCOMPARE(emma->isIngeschreven(), 2);

        ClockingUndo undo(&store.dao(), nullptr, nullptr);
        QSignalSpy changed(&undo, &ClockingUndo::changed);
        undo.offer(ChildClockingSubject::instance(), Type::In, {emma, noah}, in.registrations);
        QCOMPARE(undo.text(), QString("2 kinderen ingeklokt"));
        undo.offer(ChildClockingSubject::instance(), Type::Out, {emma}, out.registrations);
        QCOMPARE(undo.text(), QString("Emma Peeters uitgeklokt"));
        QCOMPARE(undo.buttonTitle(), QString("Ongedaan maken"));
        QCOMPARE(changed.count(), 2);

        Clock::advanceMs(ClockingUndo::kShownMs - 1);
        undo.check();
        QVERIFY(undo.shown());
        Clock::advanceMs(1);
        QTRY_VERIFY(!undo.shown()); // the bar's own tick
        QVERIFY(!undo.undo());      // too late: nothing changes
        QCOMPARE(emma->isIngeschreven(), 2);

        // Offered again and taken back: only the clock-out goes, Emma is In again.
        undo.offer(ChildClockingSubject::instance(), Type::Out, {emma}, out.registrations);
        QVERIFY(undo.undo());
        QCOMPARE(emma->isIngeschreven(), 1);
        QCOMPARE(noah->isIngeschreven(), 1);
        QCOMPARE(store.context()->fetch<Registration>().size(), 2);
        Users::setSharedUsers(nullptr);
    }

    void doubleClockings_data() {
        QTest::addColumn<QStringList>("rows"); // "minutes type tablet [deleted]"; tablet "here", "" or other
        QTest::addColumn<QString>("found"); // "<first's minute> <tablet> <later's minute> <tablet> <In|Out>"
        QTest::newRow("in: here then there") << QStringList{"60 In here", "62 In refter"} << "60 here 62 refter In";
        QTest::newRow("in: there then here") << QStringList{"60 In refter", "65 In here"} << "60 refter 65 here In";
        QTest::newRow("out: here then there") << QStringList{"60 In here", "90 Out here", "95 Out refter"}
                                              << "90 here 95 refter Out";
        QTest::newRow("out: there then here") << QStringList{"60 In here", "90 Out refter", "95 Out here"}
                                              << "90 refter 95 here Out";
        QTest::newRow("an out between") << QStringList{"60 In here", "70 Out refter", "80 In refter"} << "";
        QTest::newRow("both here") << QStringList{"60 In here", "62 In here"} << "";
        QTest::newRow("both elsewhere") << QStringList{"60 In refter", "62 In speel"} << "";
        QTest::newRow("before the period") << QStringList{"-30 In refter", "60 In here"} << "";
        QTest::newRow("other deleted") << QStringList{"60 In here", "62 In refter deleted"} << "";
        QTest::newRow("no tablet") << QStringList{"60 In here", "62 In "} << "";
        QTest::newRow("the latest pair")
            << QStringList{"60 In here", "61 In refter", "70 Out here", "80 In here", "81 In speel"}
            << "80 here 81 speel In";
    }
    void doubleClockings() {
        QFETCH(QStringList, rows);
        QFETCH(QString, found);
        TemporaryStore store;
        const QDateTime begin = testing::local(2024, 3, 12, 0, 0);
        QList<ManagedObject*> registrations;
        for (const QString& row : rows) {
            const QStringList f = row.split(' ');
            Registration* r = store.registration(row, "C1", testing::moment(begin.addSecs(f[0].toInt() * 60)),
                                                 f[1], f.size() > 3 ? 0 : 1);
            r->setIpadMacId(f[2] == "here" ? Util::uniqueGlobalDeviceIdentifier() : f[2]);
            registrations << r;
        }
        const auto pair =
            DoubleClocking::find(registrations, testing::moment(begin), Util::uniqueGlobalDeviceIdentifier());
        // The minute read from the record itself: the side must carry the registration it names.
        const auto side = [&](const DoubleClocking::Side& s) {
            const qint64 ms = s.record->valueForKey("time").toString().toLongLong();
            return QStringLiteral("%1 %2")
                .arg(begin.secsTo(QDateTime::fromMSecsSinceEpoch(ms)) / 60)
                .arg(s.tablet == Util::uniqueGlobalDeviceIdentifier() ? QStringLiteral("here") : s.tablet);
        };
        QString got;
        if (pair)
            got = QStringLiteral("%1 %2 %3").arg(side(pair->first), side(pair->later), pair->in ? "In" : "Out");
        QCOMPARE(got, found);
    }

    // Both moments and both tablets: the other one by the name the server gave, else its identifier.
    void noticeNamesBothTablets() {
        DoubleClocking pair;
        pair.ownTablet = "here";
        pair.first = {nullptr, "here", testing::local(2024, 3, 12, 14, 0).toMSecsSinceEpoch()};
        pair.later = {nullptr, "abc123", testing::local(2024, 3, 12, 14, 2).toMSecsSinceEpoch()};
        QCOMPARE(pair.notice(), QString("Twee keer ingeklokt: om 14:00 op deze tablet en om 14:02 op abc123"));
        TabletNames::learn(QJsonArray{QJsonObject{{"ipadMacId", "abc123"}, {"ipadName", "Tablet Refter"}},
                                      QJsonObject{{"ipadMacId", "def"}, {"ipadName", ""}}});
        QCOMPARE(pair.removeTitle(), QString("Verwijder de latere (14:02)"));
        std::swap(pair.first.tablet, pair.later.tablet);
        pair.in = false;
        QCOMPARE(pair.notice(), QString("Twee keer uitgeklokt: om 14:00 op Tablet Refter en om 14:02 op deze tablet"));
        QVERIFY(TabletNames::nameFor("def").isNull());
    }

    // Two tablets against one server: this one clocks a child in, then a refresh brings the other
    // tablet's later clock-in of the same child. The panel names both, and its button deletes the later
    // one, the other tablet's, through the usual deletion: the arrival stays this tablet's.
    void theLaterOfTwoClockingsGoes() {
        runFromTenToday();
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet here(server.url());
        QVERIFY(here.couple(false));
        Tablet refter(server.url());
        QVERIFY(refter.couple(false));
        Child* child = nullptr; // one the demo has not clocked in by now
        for (Child* candidate : here.dao->loadChildrenforEntity(here.entityId))
            if (!child && candidate->isIngeschreven() != 1)
                child = candidate;
        QVERIFY(child);
        SelectieLijst selectie;
        LeerlingenDetailViewController panel(child, &selectie, here.dao.get(), here.engine.get());
        panel.schrijfKindIn();
        QVERIFY(here.engine->waitForIdle(20000));
        QVERIFY(panel.otherTabletNotice().isEmpty());
        ManagedObject* mine = panel.mijnRegistraties().first();

        // The other tablet's clock-in, a minute later, under its own identifier and name.
        Clock::advance(60);
        Child* there = refter.dao->loadChild(child->childId());
        UserDefaults::standard().setString("cc_ipadNaam", "Tablet Refter");
        auto* theirs = refter.store->context()->insertNew<Registration>();
        const QString time = Util::millisText(Clock::nowMs());
        theirs->setTime(time);
        theirs->setRegistrationId(time + Util::getUUID());
        theirs->setChildId(there->childId());
        theirs->setEntityId(there->entityId());
        theirs->setOrganisationId(refter.dao->loadOrganisation()->organisationId());
        theirs->setUserId(Users::sharedUserInfo().userId);
        theirs->setType("In");
        theirs->setExists(1);
        theirs->setIpadMacId("refter-tablet");
        QVERIFY(refter.engine->postObject(theirs));
        QVERIFY(refter.engine->waitForIdle(20000));
        UserDefaults::standard().setString("cc_ipadNaam", "Tablet Onthaal");

        QSignalSpy noticed(&panel, &LeerlingenDetailViewController::otherTabletChanged);
        QVERIFY(here.check());
        QTRY_VERIFY(noticed.count() > 0);
        const QString at = QDateTime::fromMSecsSinceEpoch(theirs->time().toLongLong()).toString("HH:mm");
        const QString mineAt = QDateTime::fromMSecsSinceEpoch(mine->valueForKey("time").toString().toLongLong())
                                   .toString("HH:mm");
        QCOMPARE(panel.otherTabletNotice(),
                 "Twee keer ingeklokt: om " + mineAt + " op deze tablet en om " + at + " op Tablet Refter");

        QSignalSpy asked(panel.dialogs(), &DialogRequests::showAlert);
        panel.deleteLaterDuplicate();
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.first().at(1).toString(),
                 QString("Ben je zeker dat je deze registratie wilt verwijderen?"));
        panel.alertViewClickedButtonAtIndex(asked.first().at(3).toInt(), 1);
        QVERIFY(panel.otherTabletNotice().isEmpty());
        QVERIFY(here.engine->waitForIdle(20000));
        const QHash<QString, QString> records = onServer(server, false);
        QCOMPARE(records.value(mine->primaryKey()), QString("1"));
        QCOMPARE(records.value(theirs->primaryKey()), QString("0"));
        QCOMPARE(child->isIngeschreven(), 1); // still In: by this tablet's registration
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
