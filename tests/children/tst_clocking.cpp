// Clocking children in and out from the detail panel: confirmations by count and warning, the double
// clocking guard, one moment per run, queue records and statuses, the administrator's chosen moment,
// and moving or deleting a registration, locally and against the reference server.
#include "Clock.h"
#include "Inklokken.h"
#include "LeerlingenDetailViewController.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "SelectieLijst.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using testing::local;
using Type = ClockingSubject::Type;

namespace {

// A store with an organisation, a logged-in staff member and n children; an engine without network.
struct Fixture {
    TemporaryStore store;
    ObjectManager manager{store.store(), QUrl(QStringLiteral("http://127.0.0.1:9"))};
    ManualReachability reachability{false};
    MainSynchroObject engine{&store.dao(), &manager, &reachability};
    SelectieLijst selectie;
    Users* staff = nullptr;
    QList<Child*> children;

    Fixture(int n, bool admin) {
        store.organisation(QStringLiteral("O1"));
        staff = store.staff(QStringLiteral("UE1"), QStringLiteral("U1"), QStringLiteral("Els"),
                            QStringLiteral("Janssens"), QStringLiteral("E1"), 1, 1, admin ? 1 : 0);
        for (int i = 0; i < n; ++i)
            children << store.child(QStringLiteral("C%1").arg(i), QStringLiteral("Kind%1").arg(i),
                                    QStringLiteral("Achternaam%1").arg(i));
        store.save();
        Users::setSharedUsers(staff);
    }
    ~Fixture() { Users::setSharedUsers(nullptr); }

    // A detail panel on the first child with the whole list selected.
    std::unique_ptr<LeerlingenDetailViewController> panel(int selected = -1) {
        for (int i = 0; i < (selected < 0 ? children.size() : selected); ++i)
            selectie.addObject(children.at(i));
        return std::make_unique<LeerlingenDetailViewController>(children.value(0), &selectie, &store.dao(),
                                                                &engine);
    }
    QList<Registration*> registrations() { return store.context()->fetch<Registration>(); }
    QList<SynchroObject*> queue() { return store.dao().loadAllSynchroObjects(); }
};

const QString kOneIn =
    QStringLiteral("Je gaat een kind inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
const QString kOneOut =
    QStringLiteral("Je gaat een kind uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");

QDateTime now() {
    return local(2024, 3, 12, 10, 0, 30).addMSecs(123);
}

} // namespace

class TestClocking : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium)); }
    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::set(now());
    }
    void cleanup() { Clock::reset(); }

    void warningCodes_data() {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("code");
        auto row = [](const char* name, const QDateTime& at, const char* day, const char* time, int code) {
            QTest::newRow(name) << at << QString(day) << QString(time) << code;
        };
        const QDateTime ten = local(2024, 3, 12, 10, 0);
        row("now", ten, "Vandaag", "Nu", -10000);
        row("earlier today", ten, "Vandaag", "07:15", -10000);
        row("1h59 ahead", ten, "Vandaag", "11:59", -10000);
        row("2h ahead", ten, "Vandaag", "12:00", -9998);
        row("other day, Nu", ten, "13/03/2024", "Nu", -9999);
        row("tomorrow, a minute short of a day", now(), "13/03/2024", "10:00", -9998);
        row("yesterday", ten, "11/03/2024", "23:00", -10000);
        // 23 hours of clock time, but one calendar day.
        row("over the spring change", local(2024, 3, 30, 10, 0), "31/03/2024", "10:00", -9999);
    }
    void warningCodes() {
        QFETCH(QDateTime, at);
        QFETCH(QString, day);
        QFETCH(QString, time);
        QFETCH(int, code);
        Clock::set(at);
        QCOMPARE(Inklokken::determineWarningMessageFromDayPart(day, time), code);
    }

    void confirmationTexts_data() {
        QTest::addColumn<bool>("in");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QString>("text"); // empty: no dialog
        auto row = [](const char* name, bool in, int count, const char* day, const char* time, bool admin,
                      const QString& text) {
            QTest::newRow(name) << in << count << QString(day) << QString(time) << admin << text;
        };
        const QString ask = QStringLiteral(" Ben je zeker dat je hiermee wil doorgaan?");
        row("in 10 now", true, 10, "Vandaag", "Nu", false, {});
        row("in 11 now", true, 11, "Vandaag", "Nu", false, "Je gaat 11 kinderen in klokken." + ask);
        row("in 11 hours ahead", true, 11, "Vandaag", "13:00", false,
            "Je gaat 11 kinderen in klokken in de toekomst." + ask);
        row("in 11 tomorrow", true, 11, "13/03/2024", "11:00", true,
            "Je gaat 11 kinderen inklokken in de toekomst." + ask);
        row("in 1, 3 hours ahead", true, 1, "Vandaag", "13:01", false, kOneIn);
        row("in 1, 1 hour ahead", true, 1, "Vandaag", "11:01", false, {});
        row("in 1, earlier today", true, 1, "Vandaag", "08:00", false, {});
        row("in 2 tomorrow same hour", true, 2, "13/03/2024", "10:00", true, kOneIn);
        row("in 10 tomorrow", true, 10, "13/03/2024", "11:00", true, kOneIn);
        row("in 0, future", true, 0, "Vandaag", "15:00", false, kOneIn);
        row("out 11 now", false, 11, "Vandaag", "Nu", true, "Je gaat 11 kinderen uitklokken." + ask);
        row("out 11 future, admin", false, 11, "14/03/2024", "Nu", true,
            "Je gaat 11 kinderen uitklokken in de toekomst." + ask);
        row("out 1 future, admin", false, 1, "Vandaag", "15:00", true, kOneOut);
        row("out 1 future, staff", false, 1, "Vandaag", "15:00", false, {});
        row("out 11 future, staff", false, 11, "Vandaag", "15:00", false,
            "Je gaat 11 kinderen uitklokken." + ask);
    }
    void confirmationTexts() {
        QFETCH(bool, in);
        QFETCH(int, count);
        QFETCH(QString, day);
        QFETCH(QString, time);
        QFETCH(bool, admin);
        QFETCH(QString, text);
        Fixture f(0, admin);
        Inklokken inklokken(ChildClockingSubject::instance(), &f.store.dao(), &f.engine);
        QCOMPARE(inklokken.confirmation(in ? Type::In : Type::Out, count, day, time), text);
    }

    // Ten go at once, eleven ask; "Bevestig" clocks, "Annuleer" does not.
    void elevenAreConfirmedFirst() {
        Fixture f(11, false);
        Clock::reset(); // a running clock: the run still takes the present moment once
        auto panel = f.panel(10);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->schrijfKindInMetCheck();
        QCOMPARE(alerts.count(), 0);
        QTRY_COMPARE(f.registrations().size(), 10);
        QSet<QString> times;
        for (Registration* r : f.registrations())
            times << r->time();
        QCOMPARE(times.size(), 1);

        QTRY_COMPARE(panel->activityButton(), 0);
        for (Child* c : f.children)
            f.selectie.addObject(c);
        panel->schrijfKindUitMetCheck();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"Annuleer", "Bevestig"}));
        QCOMPARE(alerts.at(0).at(3).toInt(), LeerlingenDetailViewController::kUitklokTag);
        panel->dialogs()->answer(LeerlingenDetailViewController::kUitklokTag, 0);
        QTest::qWait(50);
        QCOMPARE(f.registrations().size(), 10);
        panel->dialogs()->answer(LeerlingenDetailViewController::kUitklokTag, 1);
        QTRY_COMPARE(f.registrations().size(), 21);
    }

    // One run: one moment for all (to the millisecond at "Vandaag"/"Nu"), distinct ids, every attribute,
    // one queued insertion each, statuses that include the run, saved, selection emptied, then the two
    // notifications in order.
    void oneRunOneMoment() {
        Fixture f(3, false);
        auto panel = f.panel();
        QSignalSpy posted(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
        panel->tabTapped(-998);
        panel->schrijfKindInMetCheck();
        QCOMPARE(panel->activityButton(), 1);
        QVERIFY(!panel->enterEnabled());
        QTRY_COMPARE(f.registrations().size(), 3);
        QCOMPARE(panel->state(), -1000);
        QCOMPARE(UserDefaults::standard().integerForKey("opgeslagenState"), -1000);
        QCOMPARE(f.selectie.count(), 0);
        QVERIFY(!f.store.context()->hasChanges());

        const QString moment = QString::number(now().toMSecsSinceEpoch());
        QVERIFY(moment.endsWith("123"));
        QSet<QString> ids;
        for (Registration* r : f.registrations()) {
            QCOMPARE(r->time(), moment);
            QVERIFY(r->registrationId().startsWith(moment));
            QCOMPARE(r->registrationId().size(), moment.size() + 36);
            ids << r->registrationId();
            QCOMPARE(r->type(), "In");
            QCOMPARE(r->entityId(), "E1");
            QCOMPARE(r->userId(), "U1");
            QCOMPARE(r->organisationId(), "O1");
            QCOMPARE(r->ipadMacId(), Util::uniqueGlobalDeviceIdentifier());
            QCOMPARE(r->exists(), 1);
            QCOMPARE(r->locked(), 1);
        }
        QCOMPARE(ids.size(), 3);
        QCOMPARE(f.queue().size(), 3);
        for (SynchroObject* s : f.queue()) {
            QCOMPARE(s->httpType(), "POST");
            QCOMPARE(s->objectType(), "Registration");
            QVERIFY(ids.contains(s->objectId()));
        }
        for (Child* c : f.children) {
            QCOMPARE(c->ingeschrevenStatus(), "In");
            QCOMPARE(c->ingeschrevenTime(), "10:00");
            QVERIFY(!c->hasChanges());
        }

        auto names = [&] {
            QStringList n;
            for (const QList<QVariant>& p : posted)
                n << p.at(0).value<Notification>().name;
            return n;
        };
        QVERIFY(!names().contains("reloadKindjesData"));
        QTRY_COMPARE(panel->activityButton(), 0);
        const QStringList after = names().mid(names().indexOf("reloadKindjesData"));
        QCOMPARE(after, QStringList({"reloadKindjesData", "removeSelectieNotification"}));
        QCOMPARE(posted.last().at(0).value<Notification>().object, panel.get());
        QVERIFY(panel->enterEnabled());
    }

    // A chosen time counts to the minute; the clock-out takes it from administrators only.
    void chosenMoment_data() {
        QTest::addColumn<bool>("in");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QString>("day");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("in, staff") << true << false << "Vandaag" << true;
        QTest::newRow("out, staff") << false << false << "Vandaag" << false;
        QTest::newRow("out, admin") << false << true << "Vandaag" << true;
        QTest::newRow("out, admin, other day") << false << true << "11/03/2024" << true;
    }
    void chosenMoment() {
        QFETCH(bool, in);
        QFETCH(bool, admin);
        QFETCH(QString, day);
        QFETCH(bool, chosen);
        Fixture f(1, admin);
        UserDefaults::standard().setString("cc_lastChoiceDay", day);
        auto panel = f.panel();
        panel->userDidEnterBeginTime("09:15", ":", -1);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        in ? panel->schrijfKindInMetCheck() : panel->schrijfKindUitMetCheck();
        QTRY_COMPARE(f.registrations().size(), 1);
        QCOMPARE(alerts.count(), 0);
        const QDate date = day == "Vandaag" ? now().date() : QDate::fromString(day, "dd/MM/yyyy");
        const QString expected = chosen ? QString::number(QDateTime(date, QTime(9, 15)).toMSecsSinceEpoch())
                                        : QString::number(now().toMSecsSinceEpoch());
        QCOMPARE(f.registrations().first()->time(), expected);
    }

    // A second clocking of the same kind at "Nu" stops the whole run at the first child already so.
    void guardStopsTheRun_data() {
        QTest::addColumn<bool>("in");
        QTest::addColumn<QString>("message");
        QTest::newRow("in") << true
                            << "Je wilt Kind1 Achternaam1 een tweede keer inklokken. Klok het kind eerst uit "
                               "voor dat je opnieuw inklokt.";
        QTest::newRow("out")
            << false
            << "Je wilt Kind1 Achternaam1 een tweede keer uitklokken. Klok het kind eerst in "
               "voor dat je opnieuw uitklokt.";
    }
    void guardStopsTheRun() {
        QFETCH(bool, in);
        QFETCH(QString, message);
        Fixture f(3, true);
        const QString type = in ? "In" : "Out";
        f.store.registration("earlier", "C1", QString::number(local(2024, 3, 12, 8, 0).toMSecsSinceEpoch()),
                             type);
        f.children.at(1)->updateIngeschrevenStatus();
        f.store.save();
        auto panel = f.panel();
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        in ? panel->schrijfKindInMetCheck() : panel->schrijfKindUitMetCheck();
        QTRY_COMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(0).toString(), "Opgepast");
        QCOMPARE(alerts.at(0).at(1).toString(), message);
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"OK", "Sla over en klok de anderen"}));
        QCOMPARE(f.registrations().size(), 1);
        QVERIFY(f.queue().isEmpty());
        QCOMPARE(f.selectie.count(), 3);
        QCOMPARE(panel->activityButton(), 0);
        QVERIFY(panel->enterEnabled() && panel->exitEnabled());
        panel->dialogs()->answer(alerts.at(0).at(3).toInt(), 0); // "OK" does nothing more
        QCOMPARE(f.registrations().size(), 1);

        // At a chosen time the guard does not apply: every child gets its registration.
        panel->userDidEnterBeginTime("14:00", ":", -1);
        in ? panel->schrijfKindInMetAnimation() : panel->schrijfKindUitMetAnimation();
        QTRY_COMPARE(f.registrations().size(), 4);
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(f.selectie.count(), 0);
    }

    // A chosen moment before the child's later registration of the other kind that day would store a
    // clocking and leave the status as it is: refused, naming the child, nothing stored, selection kept.
    void chosenMomentBeforeTheOtherKind_data() {
        QTest::addColumn<bool>("in");
        QTest::addColumn<QStringList>("earlier"); // "HH:mm Type" today, or "-1 HH:mm Type" yesterday
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("refusal"); // empty: stored
        const QString outBeforeIn = "Je wilt Kind0 Achternaam0 om 07:55 uitklokken, maar het kind is pas om "
                                    "08:49 ingeklokt. Kies een later tijdstip.";
        QTest::newRow("out before in") << false << QStringList{"08:49 In"} << "Vandaag" << "07:55" << outBeforeIn;
        QTest::newRow("in before out")
            << true << QStringList{"08:00 In", "09:30 Out"} << "Vandaag" << "09:00"
            << "Je wilt Kind0 Achternaam0 om 09:00 inklokken, maar het kind is om 09:30 al uitgeklokt. Kies "
               "een later tijdstip.";
        QTest::newRow("out after in") << false << QStringList{"08:49 In"} << "Vandaag" << "09:00" << "";
        QTest::newRow("in after out") << true << QStringList{"08:00 In", "09:30 Out"} << "Vandaag" << "09:45"
                                      << "";
        QTest::newRow("a deleted in does not count")
            << false << QStringList{"08:49 In deleted"} << "Vandaag" << "07:55" << "";
        QTest::newRow("another day: a forgotten clock-out")
            << false << QStringList{"-1 08:00 In", "08:49 In"} << "11/03/2024" << "17:00" << "";
        QTest::newRow("a clock-in registered ahead does not count")
            << false << QStringList{"08:00 In", "16:00 In"} << "Vandaag" << "Nu" << "";
    }
    void chosenMomentBeforeTheOtherKind() {
        QFETCH(bool, in);
        QFETCH(QStringList, earlier);
        QFETCH(QString, day);
        QFETCH(QString, time);
        QFETCH(QString, refusal);
        Fixture f(1, true);
        for (const QString& e : earlier) {
            QStringList p = e.split(' ');
            const int daysBack = p.first().startsWith('-') ? -p.takeFirst().toInt() : 0;
            const QDateTime at(now().date().addDays(-daysBack), QTime::fromString(p[0], "HH:mm"));
            f.store.registration(e, "C0", QString::number(at.toMSecsSinceEpoch()), p[1],
                                 p.value(2) == "deleted" ? 0 : 1);
        }
        f.children.first()->updateIngeschrevenStatus();
        f.store.save();
        const QString statusBefore = f.children.first()->ingeschrevenStatus();
        UserDefaults::standard().setString("cc_lastChoiceDay", day);
        auto panel = f.panel();
        if (time != "Nu")
            panel->userDidEnterBeginTime(time, ":", -1);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        in ? panel->schrijfKindInMetAnimation() : panel->schrijfKindUitMetAnimation();
        if (refusal.isEmpty()) {
            QTRY_COMPARE(f.registrations().size(), earlier.size() + 1);
            QCOMPARE(alerts.count(), 0);
            return;
        }
        QTRY_COMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(), refusal);
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"OK"})); // nobody else to clock
        QCOMPARE(f.registrations().size(), earlier.size());
        QVERIFY(f.queue().isEmpty());
        QCOMPARE(f.selectie.count(), 1);
        QCOMPARE(f.children.first()->ingeschrevenStatus(), statusBefore);
        QVERIFY(panel->enterEnabled() && panel->exitEnabled());
    }

    // A group at the door with some already there: the refusal offers to skip them; the others are
    // clocked and every one skipped is named. "OK" keeps the old way: nothing stored.
    void skipTheRefusedAndClockTheOthers_data() {
        QTest::addColumn<bool>("in");
        QTest::newRow("in") << true;
        QTest::newRow("out") << false;
    }
    void skipTheRefusedAndClockTheOthers() {
        QFETCH(bool, in);
        Fixture f(12, true);
        for (int i : {3, 7}) {
            f.store.registration(QString("already%1").arg(i), QString("C%1").arg(i),
                                 QString::number(local(2024, 3, 12, 8, 0).toMSecsSinceEpoch()), in ? "In" : "Out");
            f.children.at(i)->updateIngeschrevenStatus();
        }
        f.store.save();
        auto panel = f.panel();
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        in ? panel->schrijfKindInMetCheck() : panel->schrijfKindUitMetCheck();
        QCOMPARE(alerts.count(), 1); // twelve: confirmed first
        QVERIFY(panel->holdsIdleLock());
        panel->dialogs()->answer(alerts.at(0).at(3).toInt(), 1);
        QTRY_COMPARE(alerts.count(), 2);
        QVERIFY(alerts.at(1).at(1).toString().startsWith("Je wilt Kind3 Achternaam3 een tweede keer"));
        QCOMPARE(alerts.at(1).at(2).toStringList(), QStringList({"OK", "Sla over en klok de anderen"}));
        QVERIFY(panel->holdsIdleLock()); // the question waits for its answer
        QCOMPARE(f.registrations().size(), 2);
        panel->dialogs()->answer(alerts.at(1).at(3).toInt(), 1);
        QTRY_COMPARE(f.registrations().size(), 12);
        QTRY_COMPARE(alerts.count(), 3);
        QCOMPARE(alerts.at(2).at(1).toString(),
                 QString(in ? "Niet ingeklokt: %1" : "Niet uitgeklokt: %1")
                     .arg("Kind3 Achternaam3, Kind7 Achternaam7"));
        QCOMPARE(f.queue().size(), 10);
        for (Child* c : f.children)
            QCOMPARE(c->ingeschrevenStatus(), in ? "In" : "Out");
        QCOMPARE(f.selectie.count(), 0);
        QCOMPARE(f.store.dao().loadRegistrationsForChild("C3").size(), 1); // skipped: nothing new
    }

    // An empty selection: nothing is made, the tab and the notifications still follow.
    void emptySelection() {
        Fixture f(1, false);
        auto panel = f.panel();
        f.selectie.removeAllObjects();
        panel->tabTapped(-999);
        QSignalSpy posted(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
        panel->schrijfKindInMetCheck();
        QTRY_COMPARE(panel->activityButton(), 0);
        QTRY_VERIFY(posted.count() >= 2);
        QCOMPARE(posted.at(posted.count() - 2).at(0).value<Notification>().name, "reloadKindjesData");
        QVERIFY(f.registrations().isEmpty());
        QCOMPARE(panel->state(), -1000);
    }

    // Moving a registration keeps its day; "00:00" is midnight of that day; it is queued as a change.
    void timeChange() {
        Fixture f(1, true); // an administrator sees earlier days' registrations too
        const QDateTime yesterday = local(2024, 3, 11, 16, 40);
        f.store.registration("R1", "C0", QString::number(yesterday.toMSecsSinceEpoch()), "Out");
        f.store.registration("R2", "C0", QString::number(local(2024, 3, 12, 8, 5).toMSecsSinceEpoch()), "In");
        f.store.save();
        auto panel = f.panel();
        QCOMPARE(panel->table()->rowCount(), 2);
        QSignalSpy posted(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);

        panel->userDidEnterBeginTime("07:45", ":", 1);
        Registration* r1 = f.store.dao().loadRegistration("R1");
        QCOMPARE(r1->time(), QString::number(local(2024, 3, 11, 7, 45).toMSecsSinceEpoch()));
        QCOMPARE(panel->table()->rows().at(1).time, "07:45"); // rows keep their place while picking
        panel->userDidEnterBeginTime("00:00", ":", 1);
        QCOMPARE(r1->time(), QString::number(local(2024, 3, 11, 0, 0).toMSecsSinceEpoch()));
        QCOMPARE(panel->table()->rows().at(1).time, "00:00");
        QCOMPARE(panel->table()->rows().at(1).day, "ma 11/03/2024");
        QVERIFY(!f.store.context()->hasChanges());
        const QList<SynchroObject*> queue = f.queue();
        QCOMPARE(queue.size(), 2);
        for (SynchroObject* s : queue) {
            QCOMPARE(s->httpType(), "PUT");
            QCOMPARE(s->objectId(), "R1");
        }
        QCOMPARE(r1->locked(), 1);
        QVERIFY(!posted.isEmpty());
        QCOMPARE(posted.last().at(0).value<Notification>().name, "reloadKindjesData");

        // Today's registration moved past now: the child's status follows it.
        panel->userDidEnterBeginTime("09:30", ":", 0);
        QCOMPARE(f.children.at(0)->ingeschrevenTime(), "09:30");
        panel->userDidEnterBeginTime("nonsense", ":", 0);
        QCOMPARE(f.queue().size(), 3);
    }

    // Deleting asks first; "Bewaar" keeps it; "Verwijder" marks it gone and locked and queues a deletion.
    void deletion() {
        Fixture f(1, false);
        f.store.registration("R1", "C0", QString::number(local(2024, 3, 12, 8, 5).toMSecsSinceEpoch()), "In");
        f.children.at(0)->updateIngeschrevenStatus();
        f.store.save();
        auto panel = f.panel();
        QCOMPARE(panel->mijnRegistraties().size(), 1);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->showOptions(LeerlingenDetailViewController::kMainTable, 0);
        QVERIFY(panel->options());
        QCOMPARE(panel->options()->options(), QStringList({"Pas aan", "Verwijder"}));
        panel->options()->select(1);
        QVERIFY(!panel->options());
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(), "Ben je zeker dat je deze registratie wilt verwijderen?");
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"Bewaar", "Verwijder"}));
        QCOMPARE(alerts.at(0).at(3).toInt(), 0);
        panel->dialogs()->answer(0, 0);
        QCOMPARE(f.store.dao().loadRegistration("R1")->exists(), 1);
        QVERIFY(f.queue().isEmpty());

        panel->showOptions(LeerlingenDetailViewController::kMainTable, 0);
        panel->options()->select(1);
        panel->dialogs()->answer(0, 1);
        Registration* r = f.store.dao().loadRegistration("R1");
        QCOMPARE(r->exists(), 0);
        QCOMPARE(r->locked(), 1);
        QCOMPARE(f.queue().size(), 1);
        QCOMPARE(f.queue().first()->httpType(), "DELETE");
        QCOMPARE(panel->table()->rowCount(), 0);
        QCOMPARE(f.children.at(0)->isIngeschreven(), 0);
        QVERIFY(!f.store.context()->hasChanges());
    }

    // The same changes through a coupled tablet reach the reference server.
    void changesReachTheServer() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Clock::reset();
        Tablet t(server.url());
        QVERIFY(t.couple(true));
        Child* child = t.dao->loadChildrenforEntity(t.entityId).first();
        SelectieLijst selectie;
        LeerlingenDetailViewController panel(child, &selectie, t.dao.get(), t.engine.get());
        QSet<ManagedObject*> before;
        for (ManagedObject* r : panel.mijnRegistraties())
            before << r;
        panel.userDidEnterBeginTime("00:01", ":", -1); // never two hours ahead: no question
        panel.schrijfKindInMetCheck();
        QTRY_COMPARE(panel.activityButton(), 0);
        QVERIFY(t.engine->waitForIdle(20000));
        selectie.addObject(child);
        int row = -1;
        for (int i = 0; i < panel.mijnRegistraties().size(); ++i)
            if (!before.contains(panel.mijnRegistraties().at(i)))
                row = i;
        QVERIFY(row >= 0);
        const QString id = panel.mijnRegistraties().at(row)->valueForKey("registrationId").toString();

        panel.userDidEnterBeginTime("00:02", ":", row);
        QVERIFY(t.engine->waitForIdle(20000));
        const QString moved =
            QString::number(QDateTime(QDate::currentDate(), QTime(0, 2)).toMSecsSinceEpoch());
        auto onServer = [&](const QString& key) {
            for (const QJsonValue& v : server.get("/_test/records?kind=timeEntry").value("records").toArray())
                if (v.toObject().value("registrationId").toString() == id)
                    return v.toObject().value(key).toVariant().toString();
            return QString();
        };
        QCOMPARE(onServer("time"), moved);
        QCOMPARE(onServer("exists"), "1");

        panel.optionSelected(1, row, LeerlingenDetailViewController::kMainTable);
        panel.alertViewClickedButtonAtIndex(row, 1);
        QVERIFY(t.engine->waitForIdle(20000));
        QCOMPARE(onServer("exists"), "0");
        QCOMPARE(t.countWithStatus(3), 3); // POST, PUT and DELETE all answered
    }
};

QTEST_MAIN(TestClocking)
#include "tst_clocking.moc"
