// The staff search list and the staff detail panel: who is listed and in which order, the counts from
// today's registrations, the panel opened by a tap and closed by a clocking, the staff confirmation and
// guard texts, the records one run makes, what several selected members show, a new photo, and a time
// change that reaches the reference server.
#include "Clock.h"
#include "ImageCache.h"
#include "NotificationCenter.h"
#include "ProductStore.h"
#include "ReferenceServer.h"
#include "SearchUserViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "StaffClockingSubject.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "UsersDetailViewController.h"
#include "Util.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using testing::local;
using Type = ClockingSubject::Type;

namespace {

QDateTime now() {
    return local(2024, 3, 12, 10, 0, 30).addMSecs(123);
}

QString ms(const QDateTime& d) {
    return QString::number(d.toMSecsSinceEpoch());
}

// The logged-in administrator Els at E1 (not clocking her time), and staff who clock theirs: Anna, Bert
// and Carl at E1, Dirk at E1 and E2 under one userId; Zoë at E1 does not clock, Ward is gone.
struct Staff {
    TemporaryStore store;
    ObjectManager manager{store.store(), QUrl(QStringLiteral("http://127.0.0.1:9"))};
    ManualReachability reachability{false};
    MainSynchroObject engine{&store.dao(), &manager, &reachability};
    SelectieLijst selectie;
    Users* els;
    QList<Users*> members; // Anna, Bert, Carl, Dirk (E1), Dirk (E2)

    explicit Staff(bool admin = true, int extra = 0) {
        store.organisation("O1");
        els = store.staff("els@E1", "U0", "Els", "Janssens", "E1", 0, 1, admin ? 1 : 0);
        members << store.staff("anna@E1", "U1", "Anna", "Aerts")
                << store.staff("bert@E1", "U2", "Bert", "Bos")
                << store.staff("carl@E1", "U3", "Carl", "Claes")
                << store.staff("dirk@E1", "U4", "Dirk", "Dewitte")
                << store.staff("dirk@E2", "U4", "Dirk", "Dewitte", "E2");
        store.staff("zoe@E1", "U5", "Zoë", "Zegers", "E1", 0);
        store.staff("ward@E1", "U6", "Ward", "Wouters", "E1", 1, 0);
        for (int i = 0; i < extra; ++i)
            members << store.staff(QString("x%1@E1").arg(i), QString("X%1").arg(i), QString("Extra%1").arg(i),
                                   "Lid");
        store.save();
        Users::setSharedUsers(els);
    }
    ~Staff() { Users::setSharedUsers(nullptr); }

    std::unique_ptr<UsersDetailViewController> panel(const QList<int>& selected) {
        for (int i : selected)
            selectie.addObject(members.at(i));
        return std::make_unique<UsersDetailViewController>(members.at(selected.value(0)), &selectie,
                                                           &store.dao(), &engine);
    }
    QList<UserRegistration*> registrations() { return store.context()->fetch<UserRegistration>(); }
};

// The list as the menu opens it: the only panel of its stack.
struct List {
    StackScrollViewController stack;
    QObject owner;
    SearchUserViewController* screen;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit List(Staff& s) {
        screen =
            new SearchUserViewController(&s.store.dao(), &s.engine, &s.selectie, &stack, nullptr, &owner);
        tester = std::make_unique<QAbstractItemModelTester>(
            screen->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        stack.addViewInSlider(screen, nullptr, true);
    }
    ~List() { stack.removeAll(); }

    bool settled() const {
        return QTest::qWaitFor([this] { return !screen->searching() && !screen->counting(); });
    }
    QStringList names() const {
        QStringList out;
        for (const auto& r : screen->model()->rows())
            out << r.name;
        return out;
    }
    int rowOf(const QString& name) const { return int(names().indexOf(name)); }
};

} // namespace

class TestStaff : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium)); }
    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::set(now());
    }
    void cleanup() { Clock::reset(); }

    // Only members who clock their time, once per userId, first names Z–A, whatever is typed.
    void whoIsListed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("everyone") << ""
                                  << QStringList{"Dewitte Dirk", "Claes Carl", "Bos Bert", "Aerts Anna"};
        QTest::newRow("not clocking") << "zoe" << QStringList{};
        QTest::newRow("gone") << "ward" << QStringList{};
        QTest::newRow("two locations") << "DIR" << QStringList{"Dewitte Dirk"};
        QTest::newRow("last name") << "ae" << QStringList{"Claes Carl", "Aerts Anna"};
        QTest::newRow("quote taken literally") << "a\"" << QStringList{};
    }
    void whoIsListed() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        Staff s;
        List l(s);
        QVERIFY(!l.screen->groupFilterShown());
        QCOMPARE(l.screen->title(), "Zoek medewerker");
        l.screen->searchBarTextDidChange(text);
        QVERIFY(l.settled());
        QCOMPARE(l.names(), names);
        QCOMPARE(l.screen->segmentTitles().value(0), QString("Alle (%1)").arg(names.size()));
        // The index looks up last names in a list ordered on first names.
        if (text.isEmpty()) {
            QCOMPARE(l.screen->rowForSectionIndex(2), l.rowOf("Claes Carl"));    // C
            QCOMPARE(l.screen->rowForSectionIndex(1), l.rowOf("Bos Bert"));      // B
            QCOMPARE(l.screen->rowForSectionIndex(25), l.rowOf("Dewitte Dirk")); // Z: nearest earlier, D
        }
    }

    // "In" and "Uit" count each member's latest registration since midnight, not the stored status.
    void countsFollowTodaysRegistrations() {
        Staff s;
        Users* anna = s.members.at(0);
        Users* bert = s.members.at(1);
        anna->setIngeschrevenStatus("Out"); // stale: her latest registration today is "In"
        s.store.userRegistration("a1", "U1", ms(local(2024, 3, 12, 8, 0)), "In");
        bert->setIngeschrevenStatus("In"); // stale: only yesterday
        s.store.userRegistration("b1", "U2", ms(local(2024, 3, 11, 8, 0)), "In");
        s.store.userRegistration("c1", "U3", ms(local(2024, 3, 12, 7, 0)), "In");
        s.store.userRegistration("c2", "U3", ms(local(2024, 3, 12, 9, 0)), "Out");
        QVERIFY(s.store.save().isEmpty());
        List l(s);
        QVERIFY(l.settled());
        QCOMPARE(l.screen->segmentTitles(), QStringList({"Alle (4)", "In (1)", "Uit (1)", "Afw. (3)"}));
    }

    // A tap selects and opens the staff panel; clocking there empties the selection and closes it; the
    // row then shows the member In.
    void tapOpensAndClockingCloses() {
        Staff s;
        List l(s);
        QVERIFY(l.settled());
        const int row = l.rowOf("Bos Bert");
        l.screen->doMultiSelect(row);
        QCOMPARE(s.selectie.geselecteerden(), QList<ManagedObject*>{s.members.at(1)});
        QCOMPARE(l.stack.count(), 2);
        auto* panel = qobject_cast<UsersDetailViewController*>(l.stack.screenAt(1));
        QVERIFY(panel);
        QCOMPARE(panel->naam(), "Bert");
        panel->schrijfKindInMetCheck();
        QTRY_COMPARE(l.stack.count(), 1);
        QCOMPARE(s.selectie.count(), 0);
        QCOMPARE(s.registrations().size(), 1);
        QTRY_COMPARE(l.screen->model()->index(l.rowOf("Bos Bert")).data(SearchOverzichtModel::PresenceRole),
                     QVariant(1));
        QVERIFY(l.settled());
        QCOMPARE(l.screen->segmentTitles().value(1), "In (1)");
    }

    void confirmationTexts_data() {
        QTest::addColumn<bool>("in");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("warning");
        QTest::addColumn<QString>("text");
        const QString tail = " Ben je zeker dat je hiermee wil doorgaan?";
        QTest::newRow("in 10 now") << true << 10 << -10000 << QString();
        QTest::newRow("in 11 now") << true << 11 << -10000 << "Je gaat 11 gebruikers in klokken." + tail;
        QTest::newRow("in 11 hours") << true << 11 << -9998
                                     << "Je gaat 11 gebruikers in klokken in de toekomst." + tail;
        QTest::newRow("in 11 days") << true << 11 << -9999
                                    << "Je gaat 11 gebruikers inklokken in de toekomst." + tail;
        QTest::newRow("in 1 hours") << true << 1 << -9998
                                    << "Je gaat een gebuiker inklokken in de toekomst." + tail;
        QTest::newRow("in 10 days") << true << 10 << -9999
                                    << "Je gaat een gebruiker inklokken in de toekomst." + tail;
        QTest::newRow("out 10 now") << false << 10 << -10000 << QString();
        QTest::newRow("out 12 now") << false << 12 << -10000 << "Je gaat 12 gebruikers uitklokken." + tail;
        QTest::newRow("out 11 hours")
            << false << 11 << -9998 << "Je gaat 11 gebruikers uitklokken in de toekomst." + tail;
        QTest::newRow("out 1 days") << false << 1 << -9999
                                    << "Je gaat een gebruiker uitklokken in de toekomst." + tail;
    }
    void confirmationTexts() {
        QFETCH(bool, in);
        QFETCH(int, count);
        QFETCH(int, warning);
        QFETCH(QString, text);
        QCOMPARE(StaffClockingSubject::instance().confirmation(in ? Type::In : Type::Out, count, warning),
                 text);
    }

    // Through the panel: three hours ahead and tomorrow give the two different singular texts; eleven
    // members at "Nu" are asked about first and "Bevestig" clocks them all.
    void panelAsksFirst() {
        Staff s(true, 7);
        QList<int> all;
        for (int i = 0; i < s.members.size(); ++i)
            if (i != 4) // Dirk once
                all << i;
        QCOMPARE(all.size(), 11);
        auto panel = s.panel({0});
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->userDidEnterBeginTime("13:00", ":", -1);
        panel->schrijfKindInMetCheck();
        panel->clockChoice()->userDidEnterDay("13/03/2024", -1);
        panel->schrijfKindInMetCheck();
        QCOMPARE(alerts.count(), 2);
        const QString hours = alerts.at(0).at(1).toString();
        const QString days = alerts.at(1).at(1).toString();
        QVERIFY(hours.contains("gebuiker") && days.contains("gebruiker") && hours != days);
        QCOMPARE(alerts.at(0).at(3).toInt(), UsersDetailViewController::kInklokTag);
        panel->dialogs()->answer(UsersDetailViewController::kInklokTag, 0); // "Annuleer"
        QTest::qWait(20);
        QVERIFY(s.registrations().isEmpty());

        panel->clockChoice()->resetDay();
        panel->clockChoice()->resetTime();
        for (int i : all)
            s.selectie.addObject(s.members.at(i));
        panel->schrijfKindInMetCheck();
        QCOMPARE(alerts.count(), 3);
        QCOMPARE(alerts.at(2).at(1).toString(),
                 "Je gaat 11 gebruikers in klokken. Ben je zeker dat je hiermee wil doorgaan?");
        panel->dialogs()->answer(UsersDetailViewController::kInklokTag, 1); // "Bevestig"
        QTRY_COMPARE(s.registrations().size(), 11);
    }

    // One run at "Nu": one moment, distinct ids, the clocked members' userIds at the logged-in member's
    // location, queued as staff registrations; every record of a member follows.
    void oneRunsRecords() {
        Staff s;
        auto panel = s.panel({0, 4, 2});
        QCOMPARE(panel->naam(), "3 gebruikers");
        panel->schrijfKindInMetCheck();
        QTRY_COMPARE(s.registrations().size(), 3);
        QCOMPARE(s.selectie.count(), 0);
        const QString moment = ms(now());
        QSet<QString> ids;
        QStringList userIds;
        for (UserRegistration* r : s.registrations()) {
            QCOMPARE(r->time(), moment);
            QVERIFY(r->userRegistrationId().startsWith(moment));
            ids << r->userRegistrationId();
            userIds << r->userId();
            QCOMPARE(r->entityId(), "E1");
            QCOMPARE(r->organisationId(), "O1");
            QCOMPARE(r->ipadMacId(), Util::uniqueGlobalDeviceIdentifier());
            QCOMPARE(r->type(), "In");
            QCOMPARE(r->locked(), 1);
        }
        QCOMPARE(ids.size(), 3);
        userIds.sort();
        QCOMPARE(userIds, QStringList({"U1", "U3", "U4"}));
        const auto queue = s.store.dao().loadAllSynchroObjects();
        QCOMPARE(queue.size(), 3);
        for (SynchroObject* q : queue)
            QCOMPARE(q->objectType(), "UserRegistration");
        for (int i : {0, 2, 3, 4})
            QCOMPARE(s.members.at(i)->ingeschrevenStatus(), "In");
        QVERIFY(s.members.at(1)->ingeschrevenStatus().isNull());
        QVERIFY(!s.store.context()->hasChanges());
    }

    // Not an administrator: no day button; a clock-out at a shown later time asks nothing and takes the
    // present moment; a clock-in takes the shown time (after the question, five hours ahead).
    void chosenTimeForOrdinaryStaff() {
        Staff s(false);
        auto panel = s.panel({0});
        QVERIFY(!panel->clockChoice()->dayButtonVisible());
        panel->userDidEnterBeginTime("15:00", ":", -1);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->schrijfKindUitMetCheck();
        QTRY_COMPARE(s.registrations().size(), 1);
        QCOMPARE(alerts.count(), 0);
        QCOMPARE(s.registrations().first()->time(), ms(now()));
        QTRY_COMPARE(panel->activityButton(), 0);

        s.selectie.addObject(s.members.at(0));
        panel->schrijfKindInMetCheck();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(),
                 "Je gaat een gebuiker inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
        panel->dialogs()->answer(UsersDetailViewController::kInklokTag, 1);
        QTRY_COMPARE(s.registrations().size(), 2);
        QCOMPARE(s.store.dao().loadRegistrationsForUser("U1").first()->time(),
                 ms(QDateTime(now().date(), QTime(15, 0))));
    }

    // Three selected, the second already In, "Nu": the guard names her, nothing is stored, the same three
    // stay selected and the selection can still change.
    void guardKeepsTheSelection() {
        Staff s;
        s.store.userRegistration("b1", "U2", ms(local(2024, 3, 12, 8, 0)), "In");
        s.members.at(1)->updateIngeschrevenStatus();
        QVERIFY(s.store.save().isEmpty());
        auto panel = s.panel({0, 1, 2});
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->schrijfKindInMetCheck();
        QTRY_COMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(),
                 "Je wilt Bert Bos een tweede keer inklokken. Klok de gebruiker "
                 "eerst uit voor dat je opnieuw inklokt.");
        QCOMPARE(s.registrations().size(), 1);
        QVERIFY(s.store.dao().loadAllSynchroObjects().isEmpty());
        QCOMPARE(s.selectie.count(), 3);
        QVERIFY(panel->enterEnabled());
        s.selectie.removeObject(s.members.at(1));
        QCOMPARE(panel->naam(), "2 gebruikers");
        panel->schrijfKindUitMetCheck();
        QTRY_COMPARE(s.registrations().size(), 3);
    }

    // Staff the same as children: a chosen time before a member's clock-in is refused by name, and the
    // others can be clocked without them.
    void chosenMomentRefusedAndSkipped() {
        Staff s;
        s.store.userRegistration("a1", "U1", ms(local(2024, 3, 12, 8, 49)), "In");
        s.members.at(0)->updateIngeschrevenStatus();
        QVERIFY(s.store.save().isEmpty());
        auto panel = s.panel({0, 1, 2});
        panel->userDidEnterBeginTime("07:55", ":", -1);
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->schrijfKindUitMetCheck();
        QTRY_COMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(), "Je wilt Anna Aerts om 07:55 uitklokken, maar de gebruiker is "
                                                "pas om 08:49 ingeklokt. Kies een later tijdstip.");
        QCOMPARE(s.registrations().size(), 1);
        panel->dialogs()->answer(alerts.at(0).at(3).toInt(), 1); // "Sla over en klok de anderen"
        QTRY_COMPARE(s.registrations().size(), 3);
        QTRY_COMPARE(alerts.count(), 2);
        QCOMPARE(alerts.at(1).at(1).toString(), "Niet uitgeklokt: Anna Aerts");
        QCOMPARE(s.store.dao().loadRegistrationsForUser("U2").first()->time(),
                 ms(QDateTime(now().date(), QTime(7, 55))));
        QCOMPARE(s.members.at(0)->ingeschrevenStatus(), "In");
    }

    // Several: the count and "gebruikers", both shown in "Actieve Selectie" without "Deselecteer";
    // a single member's registrations have no options either.
    void severalAndOptions() {
        Staff s;
        s.store.userRegistration("a1", "U1", ms(local(2024, 3, 12, 8, 0)), "In");
        QVERIFY(s.store.save().isEmpty());
        auto panel = s.panel({0, 1});
        QVERIFY(panel->several());
        QCOMPARE(panel->naam(), "2 gebruikers");
        QCOMPARE(panel->selectie()->people().size(), 2);
        QCOMPARE(panel->selectie()->people().at(1).name, "Bos Bert");
        QVERIFY(!panel->offersDeselect());
        panel->showOptions(UsersDetailViewController::kTableSelection, 0);
        QVERIFY(!panel->options());
        s.selectie.removeObject(s.members.at(1));
        QCOMPARE(panel->naam(), "Anna");
        QCOMPARE(panel->table()->rowCount(), 1);
        QVERIFY(panel->suggestiesArray().isEmpty());
        panel->showOptions(UsersDetailViewController::kMainTable, 0);
        QVERIFY(!panel->options() || !panel->options()->options().contains("Verwijder"));
        panel->optionSelected(1, 0, UsersDetailViewController::kMainTable);
        QCOMPARE(s.store.dao().loadUserRegistration("a1")->exists(), 1);
    }

    // A new photo of the one selected member: cached under a new key, queued as a staff upload; products
    // and messages are kept under the userId.
    void photoAndNotesOfAMember() {
        Staff s;
        QTemporaryDir cacheDir;
        ImageCache cache(cacheDir.path());
        s.engine.setImageCache(&cache);
        auto panel = s.panel({1});
        const QByteArray picture = QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(64, 'x');
        panel->changeAvatar();
        QVERIFY(panel->mediaPicker());
        panel->userDidEnterInfo(picture);
        Users* bert = s.members.at(1);
        QVERIFY(bert->image().startsWith("image"));
        QVERIFY(cache.contains(bert->image()));
        const auto queue = s.store.dao().loadAllSynchroObjects();
        QCOMPARE(queue.size(), 1);
        auto* upload = s.store.dao().loadObjectImageUpload(queue.first()->objectId());
        QVERIFY(upload);
        QCOMPARE(upload->type(), "User");
        QCOMPARE(upload->typeId(), "U2");
        QCOMPARE(upload->lastName(), "Bert"); // a staff upload names the member the other way round
        QCOMPARE(upload->firstName(), "Bos");

        panel->showProducts();
        QVERIFY(panel->productAdder());
        QVERIFY(panel->productAdder()->chooseRow(0));
        QCOMPARE(ProductStore().products("U2").size(), 1);
        QCOMPARE(panel->mijnProducten().size(), 1);
    }

    // A staff clocking and a change of its time reach the reference server under the member's userId.
    void timeChangeReachesTheServer() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Clock::reset();
        Tablet t(server.url());
        QVERIFY(t.couple(true));
        QList<Users*> staff = t.dao->getUsersForPredicate(Predicate(), true);
        QVERIFY2(staff.size() > 3,
                 qPrintable(QString("%1 of %2").arg(staff.size()).arg(t.dao->loadUsers().size())));
        Users* member = nullptr;
        for (Users* u : staff)
            if (u->userId() != Users::sharedUsers()->userId() && u->isIngeschreven() != 1)
                member = u;
        QVERIFY(member);
        SelectieLijst selectie;
        UsersDetailViewController panel(member, &selectie, t.dao.get(), t.engine.get());
        QSet<ManagedObject*> before;
        for (ManagedObject* r : panel.mijnRegistraties())
            before << r;
        panel.userDidEnterBeginTime("00:01", ":", -1); // in the past: no question
        panel.schrijfKindInMetCheck();
        QTRY_COMPARE(panel.activityButton(), 0);
        QVERIFY(t.engine->waitForIdle(20000));
        selectie.addObject(member);
        int row = -1;
        for (int i = 0; i < panel.mijnRegistraties().size(); ++i)
            if (!before.contains(panel.mijnRegistraties().at(i)))
                row = i;
        QVERIFY(row >= 0);
        const QString id = panel.mijnRegistraties().at(row)->valueForKey("userRegistrationId").toString();

        panel.userDidEnterBeginTime("00:02", ":", row);
        QVERIFY(t.engine->waitForIdle(20000));
        QJsonObject record;
        for (const QJsonValue& v : server.get("/_test/records?kind=userTimeEntry").value("records").toArray())
            if (v.toObject().value("registrationId").toString() == id)
                record = v.toObject();
        QCOMPARE(record.value("time").toVariant().toString(),
                 ms(QDateTime(QDate::currentDate(), QTime(0, 2))));
        QCOMPARE(record.value("userId").toString(), member->userId());
        QCOMPARE(record.value("entityId").toString(), t.entityId);
        QCOMPARE(record.value("type").toString(), "In");
        QCOMPARE(t.countWithStatus(3), 2); // the POST and the PUT answered
    }
};

QTEST_MAIN(TestStaff)
#include "tst_staff.moc"
