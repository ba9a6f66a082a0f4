// The shell against the reference server: the menu's entries and selection rules, the status panel,
// what logging in and out does to the store and the queue, and the clean-up at logout.
#include "AdminPageViewController.h"
#include "Clock.h"
#include "CloseOutViewController.h"
#include "InfoViewController.h"
#include "KlassenDataViewController.h"
#include "MenuViewController.h"
#include "NotificationCenter.h"
#include "ProfilePageViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SearchOverzichtViewController.h"
#include "SearchUserViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "StatusView.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"
#include "newchild/CreateChildViewController.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Stands in for the login screen: the shell only shows it and drops it.
RootViewController::LoginFactory plainLogin() {
    return [](RootViewController*) { return new ScreenController(QUrl(), QStringLiteral("Aanmelden")); };
}

QString menuText(const MenuViewController& menu, int i) {
    return menu.cellContents().at(i).toMap().value("CellText").toString();
}

QString menuIcon(const MenuViewController& menu, int i) {
    return menu.cellContents().at(i).toMap().value("CellImage").toUrl().fileName();
}

// The staff member's registrations made by this tablet since the test began (the server also holds
// other tablets' and earlier tests').
qint64 testStart = 0;

QList<UserRegistration*> registrationsOf(Tablet& t, const QString& userId, const QString& type) {
    QList<UserRegistration*> out;
    for (UserRegistration* r : t.dao->loadRegistrationsForUser(userId))
        if (r->type() == type && r->ipadMacId() == Util::uniqueGlobalDeviceIdentifier() &&
            r->time().toLongLong() >= testStart)
            out << r;
    return out;
}

// "logout" as the staff page posts it; after 17:00 with something open the reminder comes first, and
// is answered with "Afmelden".
void logOut(RootViewController& root) {
    QSignalSpy alerts(root.dialogs(), &DialogRequests::showAlert);
    NotificationCenter::defaultCenter().post("logout");
    if (!alerts.isEmpty() && alerts.last().at(3).toInt() == RootViewController::kLogoutReminderTag)
        root.dialogs()->answer(RootViewController::kLogoutReminderTag, 1);
}

SynchroObject* queueRecordFor(Tablet& t, const QString& objectId) {
    for (SynchroObject* s : t.queue())
        if (s->objectId() == objectId)
            return s;
    return nullptr;
}
} // namespace

class TestShell : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    // Only for the two selection lists the menu empties.
    std::unique_ptr<StackScrollViewAppDelegate> m_delegate;

    Users* otherStaff(Tablet& t, bool admin) {
        for (Users* u : t.dao->getUsersForEntity(t.entityId))
            if ((u->isAdmin() == 1) == admin && u->isGenericUser() != 1)
                return u;
        return nullptr;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }

    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::reset();
        QVERIFY(m_server->clearFaults());
        testStart = Clock::nowMs();
        m_delegate = std::make_unique<StackScrollViewAppDelegate>();
    }

    void cleanup() {
        Clock::reset();
        m_delegate.reset();
    }

    void menuEntriesFollowTheAdministratorFlag() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        StackScrollViewController stack;
        MenuViewController staffMenu(t.engine.get(), t.dao.get(), &stack);
        const QStringList texts = {"Zoeken op naam",  "Lijsten",    "Nieuw kind", "Info",
                                   "Zoek medewerker", "Medewerker", "Admin",      "Dag afsluiten"};
        const QStringList icons = {"06-magnify.png",      "11-clock.png",     "76-baby.png",
                                   "177-building.png",    "112-group.png",    "111-user.png",
                                   "104-index-cards.png", "dag-afsluiten.png"};
        QCOMPARE(staffMenu.count(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(menuText(staffMenu, i), texts.at(i));
            QCOMPARE(menuIcon(staffMenu, i), icons.at(i));
        }
        QCOMPARE(staffMenu.selectedOption(), -1);
        QCOMPARE(staffMenu.welkomText(), "Welkom: " + Users::sharedUsers()->first_name());
        QCOMPARE(staffMenu.organisationName(), t.dao->loadOrganisation()->organisationName());
        // The administrator's entries cannot be reached by an ordinary staff member.
        staffMenu.tableViewDidSelectRowAtIndexPath(6);
        staffMenu.tableViewDidSelectRowAtIndexPath(7);
        QCOMPARE(staffMenu.selectedOption(), -1);
        QCOMPARE(stack.count(), 0);

        Users* admin = otherStaff(t, true);
        QVERIFY(admin);
        Users::setSharedUsers(admin);
        MenuViewController adminMenu(t.engine.get(), t.dao.get(), &stack);
        QCOMPARE(adminMenu.count(), 8);
        for (int i = 6; i < 8; ++i) {
            QCOMPARE(menuText(adminMenu, i), texts.at(i));
            QCOMPARE(menuIcon(adminMenu, i), icons.at(i));
        }
        adminMenu.tableViewDidSelectRowAtIndexPath(6);
        auto* queueScreen = qobject_cast<AdminPageViewController*>(stack.screenAt(0));
        QVERIFY(queueScreen);
        QCOMPARE(queueScreen->title(), QString("Admin"));
        adminMenu.tableViewDidSelectRowAtIndexPath(MenuViewController::Afsluiten);
        auto* closeOut = qobject_cast<CloseOutViewController*>(stack.screenAt(0));
        QVERIFY(closeOut);
        QCOMPARE(closeOut->title(), QString("Dag afsluiten"));
    }

    void choosingAnEntryEmptiesTheSelectionsOnlyOnAChange() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        StackScrollViewController stack;
        MenuViewController menu(t.engine.get(), t.dao.get(), &stack);
        SelectieLijst* children = StackScrollViewAppDelegate::geselecteerdenLijst();
        SelectieLijst* staff = StackScrollViewAppDelegate::userGeselecteerdenLijst();
        Child* child = t.dao->loadChildrenforEntity(t.entityId).first();
        auto select = [&] {
            children->addObject(child);
            staff->addObject(Users::sharedUsers());
        };

        // The first choice is a change (from no entry at all).
        select();
        menu.tableViewDidSelectRowAtIndexPath(0);
        QCOMPARE(menu.selectedOption(), 0);
        QCOMPARE(children->count(), 0);
        QCOMPARE(staff->count(), 0);
        QCOMPARE(stack.count(), 1);
        QObject* firstScreen = stack.screenAt(0);

        // The same entry again: the selections stay, the entry's screen opens anew as the only panel.
        select();
        stack.addViewInSlider(new ScreenController(QUrl(), "detail"), firstScreen, false);
        QCOMPARE(stack.count(), 2);
        menu.tableViewDidSelectRowAtIndexPath(0);
        QCOMPARE(children->count(), 1);
        QCOMPARE(staff->count(), 1);
        QCOMPARE(stack.count(), 1);
        QVERIFY(stack.screenAt(0) != firstScreen);

        // Another entry, here through the notification other screens post: both emptied.
        NotificationCenter::defaultCenter().post("fakeMenuChoice", nullptr, {{"key", 3}});
        QCOMPARE(menu.selectedOption(), 3);
        QCOMPARE(children->count(), 0);
        QCOMPARE(staff->count(), 0);
        QCOMPARE(stack.count(), 1);
        QVERIFY(qobject_cast<InfoViewController*>(stack.screenAt(0)));

        // The "Welkom" button opens the staff search list; the header returns to the overview.
        select();
        menu.gaNaarMedewerker();
        QCOMPARE(menu.selectedOption(), 4);
        QCOMPARE(children->count(), 0);
        auto* search = qobject_cast<SearchUserViewController*>(stack.screenAt(0));
        QVERIFY(search);
        QCOMPARE(search->title(), QString("Zoek medewerker"));
        menu.headerTapped();
        QCOMPARE(menu.selectedOption(), 0);
        QVERIFY(qobject_cast<SearchOverzichtViewController*>(stack.screenAt(0)));
    }

    void laterScreensOpenAPanelThatNamesThem() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        StackScrollViewController stack;
        MenuViewController menu(t.engine.get(), t.dao.get(), &stack);
        menu.tableViewDidSelectRowAtIndexPath(0);
        QCOMPARE(qobject_cast<SearchOverzichtViewController*>(stack.screenAt(0))->title(), menuText(menu, 0));
        menu.tableViewDidSelectRowAtIndexPath(1);
        QCOMPARE(qobject_cast<KlassenDataViewController*>(stack.screenAt(0))->title(), menuText(menu, 1));
        menu.tableViewDidSelectRowAtIndexPath(MenuViewController::NieuwKind);
        QCOMPARE(qobject_cast<CreateChildViewController*>(stack.screenAt(0))->title(), menuText(menu, 2));
        menu.tableViewDidSelectRowAtIndexPath(MenuViewController::ZoekMedewerker);
        QCOMPARE(qobject_cast<SearchUserViewController*>(stack.screenAt(0))->title(), menuText(menu, 4));

        // The staff member's own page logs out.
        int logouts = 0;
        QObject observer;
        NotificationCenter::defaultCenter().addObserver(&observer, "logout",
                                                        [&](const Notification&) { ++logouts; });
        menu.tableViewDidSelectRowAtIndexPath(MenuViewController::Medewerker);
        auto* page = qobject_cast<ProfilePageViewController*>(stack.screenAt(0));
        QVERIFY(page);
        QCOMPARE(page->title(), menuText(menu, MenuViewController::Medewerker));
        QCOMPARE(logouts, 0);
        page->Logout();
        QCOMPARE(logouts, 1);
    }

    // The line is looked at again the moment its text changes, never in between.
    void statusLineWakesOnlyWhenItsTextChanges_data() {
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<qint64>("wait");
        const qint64 s = 1000, m = 60 * s, h = 60 * m;
        QTest::newRow("just checked") << "" << 0LL << s;
        QTest::newRow("2.3 s") << "" << 2300LL << 700LL;
        QTest::newRow("59.9 s") << "" << 59900LL << 100LL;
        QTest::newRow("1 min 20 s") << "" << 80 * s << 40 * s;
        QTest::newRow("59 min 30 s") << "" << 59 * m + 30 * s << 30 * s;
        QTest::newRow("2 h 10 min: a minute at most") << "" << 2 * h + 10 * m << m;
        QTest::newRow("3 days") << "" << 72 * h + 5 * s << m;
        QTest::newRow("time-out") << "TIMEOUT" << 5 * s << -1LL;
        QTest::newRow("absent error") << QString() << 5 * s << -1LL;
        QTest::newRow("clock set back") << "" << -5 * s << s;
    }
    void statusLineWakesOnlyWhenItsTextChanges() {
        QFETCH(QString, error);
        QFETCH(qint64, elapsedMs);
        QFETCH(qint64, wait);
        const QDateTime last(QDate(2026, 12, 8), QTime(9, 15, 0, 250));
        const QDateTime now = last.addMSecs(elapsedMs);
        QCOMPARE(StatusView::msUntilTextChanges(error, last, now), wait);
        if (wait > 0 && !error.isNull() && error.isEmpty() && elapsedMs >= 0) {
            // The text just before the wake-up is the one shown now, the text after it another.
            const QString shown = StatusView::lastSynchTimeText(error, last, now);
            QCOMPARE(StatusView::lastSynchTimeText(error, last, now.addMSecs(wait - 1)), shown);
            if (wait < 60000)
                QVERIFY(StatusView::lastSynchTimeText(error, last, now.addMSecs(wait)) != shown);
        }
    }

    void statusLineFollowsTheErrorAndTheElapsedTime() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        const QDateTime checked = QDateTime::currentDateTime().addSecs(-5);
        Clock::set(checked);
        QVERIFY(t.check());
        QCOMPARE(t.engine->lastSynchroDate(), checked);
        // Any answer leaves the empty text.
        QCOMPARE(UserDefaults::standard().stringForKey("cc_getError"), QString(""));

        StackScrollViewController stack;
        MenuViewController menu(t.engine.get(), t.dao.get(), &stack);
        StatusView* status = menu.statusView();
        QCOMPARE(status->lastSynchTimeLabel(), QString("Geupdate: 0 seconden geleden"));

        // The menu's timer rewrites the line every second without being asked.
        Clock::set(checked.addSecs(90));
        QTRY_COMPARE_WITH_TIMEOUT(status->lastSynchTimeLabel(), QString("Geupdate: 1 minuut geleden"), 2500);
        // Folded away the line rests; shown again it tells the time of now, not of when it was hidden.
        menu.setStatusShown(false);
        QVERIFY(!status->clockTimer().isActive());
        Clock::set(checked.addSecs(200));
        QTest::qWait(50);
        QCOMPARE(status->lastSynchTimeLabel(), QString("Geupdate: 1 minuut geleden"));
        menu.setStatusShown(true);
        QCOMPARE(status->lastSynchTimeLabel(), QString("Geupdate: 3 minuten geleden"));
        QVERIFY(status->clockTimer().isActive());
        Clock::set(checked.addSecs(3 * 3600 + 120));
        status->updateTimeSince();
        QCOMPARE(status->lastSynchTimeLabel(), QString("Geupdate: 3 uren geleden"));
        Clock::set(checked.addSecs(1));
        status->updateTimeSince();
        QCOMPARE(status->lastSynchTimeLabel(), QString("Geupdate: 1 second geleden"));

        UserDefaults::standard().setString("cc_getError", "TIMEOUT");
        QTRY_COMPARE_WITH_TIMEOUT(status->lastSynchTimeLabel(),
                                  QString("Er deed zich een timeout voor bij het updaten van de data"), 2500);
        UserDefaults::standard().setString("cc_getError", "500");
        status->updateTimeSince();
        QCOMPARE(status->lastSynchTimeLabel(), QString("Er ging iets fout met het updaten van data"));
        QVERIFY(!status->clockTimer().isActive()); // an error text stays until the engine says otherwise
        // Absent is not the empty text.
        UserDefaults::standard().removeObjectForKey("cc_getError");
        status->updateTimeSince();
        QCOMPARE(status->lastSynchTimeLabel(), QString("Er ging iets fout met het updaten van data"));

        QCOMPARE(status->synchroIntervalLabel(),
                 QString("Synchro Interval: %1").arg(Users::sharedUsers()->resyncFreq()));
    }

    void statusPanelFollowsCountersAndReachability() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        StackScrollViewController stack;
        MenuViewController menu(t.engine.get(), t.dao.get(), &stack);
        StatusView* status = menu.statusView();
        QCOMPARE(status->internetColor(), QColor::fromRgbF(0.2f, 0.4f, 0.0f, 1.0f));
        QCOMPARE(status->getParamsLabel(), QString("0"));

        t.reachability->setReachable(false);
        QCOMPARE(status->isReachable(), false);
        QCOMPARE(status->internetColor(), QColor::fromRgbF(0.8f, 0.4f, 0.0f, 1.0f));
        QCOMPARE(status->internetColor().name(), QColor(204, 102, 0).name());

        // Queued while offline: one more unsent change shows at once.
        const int before = status->postParamsLabel().toInt();
        QVERIFY(root.postUserRegistrationWithType("In"));
        QCOMPARE(status->postParamsLabel(), QString::number(before + 1));

        // Back online, the next check sends it and the counter goes down again; the refresh counter
        // rises while the checks' requests are under way.
        t.reachability->setReachable(true);
        QCOMPARE(status->internetColor().name(), QColor(51, 102, 0).name());
        QSignalSpy counters(status, &StatusView::countersChanged);
        t.engine->checkForUpdates();
        QVERIFY(status->getParamsLabel().toInt() > 0);
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(status->getParamsLabel(), QString("0"));
        QCOMPARE(status->postParamsLabel(), QString::number(before));
        QVERIFY(counters.count() >= 2);

        // A menu created while offline starts orange.
        t.reachability->setReachable(false);
        MenuViewController offline(t.engine.get(), t.dao.get(), &stack);
        QCOMPARE(offline.statusView()->isReachable(), false);
    }

    void loginClocksTheStaffMemberInAndShowsTheMainView() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        Users* user = Users::sharedUsers();
        const QString bookkeeping = "timeregistrationFor" + user->entityId();
        const QString tokenBefore = t.dao->loadGetSynchroObjectById(bookkeeping)->lastSyncTime();
        QVERIFY(tokenBefore != "0000");

        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        QVERIFY(root.loginViewController());
        QVERIFY(!root.isLoggedIn());
        QVERIFY(!root.canrotate());
        QSignalSpy mainView(&root, &RootViewController::mainViewChanged);

        const qint64 before = Clock::nowMs();
        root.doLoginForUser(user);
        QVERIFY(root.canrotate());
        QVERIFY(root.isLoggedIn());
        QCOMPARE(mainView.count(), 1);
        QTRY_VERIFY(!root.loginViewController());
        // The main view opens on the children overview.
        QCOMPARE(root.menuViewController()->selectedOption(), 0);
        QCOMPARE(root.stackScrollViewController()->count(), 1);

        const QList<UserRegistration*> ins = registrationsOf(t, user->userId(), "In");
        QCOMPARE(ins.size(), 1);
        UserRegistration* in = ins.first();
        QVERIFY(in->time().toLongLong() >= before && in->time().toLongLong() <= Clock::nowMs());
        QCOMPARE(in->time().size(), 13);
        QCOMPARE(in->userRegistrationId().left(13), in->time());
        QCOMPARE(in->userRegistrationId().size(), 13 + 36);
        QCOMPARE(in->entityId(), user->entityId());
        QCOMPARE(in->organisationId(), t.dao->loadOrganisation()->organisationId());
        QCOMPARE(in->ipadMacId(), Util::uniqueGlobalDeviceIdentifier());
        QCOMPARE(in->exists(), 1);
        QCOMPARE(in->locked(), 1);
        SynchroObject* queued = queueRecordFor(t, in->userRegistrationId());
        QVERIFY(queued);
        QCOMPARE(queued->objectType(), QString("UserRegistration"));
        QCOMPARE(queued->httpType(), QString("POST"));
        QCOMPARE(user->ingeschrevenStatus(), QString("In"));
        // An ordinary staff member's bookkeeping is not reset.
        QVERIFY(t.dao->loadGetSynchroObjectById(bookkeeping)->lastSyncTime() != "0000");

        // The registration reaches the server and its queue record is answered.
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(queueRecordFor(t, in->userRegistrationId())->status(), 3);
        QCOMPARE(t.engine->aantalGets(), QString("0"));
    }

    void administratorsLoginFetchesRegistrationsFromTheBeginning() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(true));
        Users* admin = Users::sharedUsers();
        QCOMPARE(admin->isAdmin(), 1);
        const QString own = "timeregistrationFor" + admin->entityId();
        const QString org = "timeregistrationForOrg" + t.dao->loadOrganisation()->organisationId();
        t.dao->loadGetSynchroObjectById(org)->setLastSyncTime("12345");
        QVERIFY(t.store->context()->save());
        QVERIFY(t.dao->loadGetSynchroObjectById(own)->lastSyncTime() != "0000");

        // Offline, so no answer moves the tokens on before they are read.
        t.reachability->setReachable(false);
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        root.doLoginForUser(admin);
        QCOMPARE(t.dao->loadGetSynchroObjectById(own)->lastSyncTime(), QString("0000"));
        QCOMPARE(t.dao->loadGetSynchroObjectById(org)->lastSyncTime(), QString("0000"));
        QCOMPARE(registrationsOf(t, admin->userId(), "In").size(), 1);
        QVERIFY(!t.store->context()->hasChanges());
        QCOMPARE(root.menuViewController()->count(), 8);
    }

    void logoutClocksOutAndCleansTheStore() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        Users* user = Users::sharedUsers();
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        root.doLoginForUser(user);
        QVERIFY(t.engine->waitForIdle(60000));

        // Records of an earlier day: answered long ago (its queue record is purged and it is unlocked),
        // unlocked, and still waiting in the queue (locked). Plus one of today, unlocked.
        Context* c = t.store->context();
        const qint64 day = 24 * 3600 * 1000LL;
        const QString yesterday = Util::millisText(Clock::nowMs() - day);
        auto add = [&](const QString& id, const QString& time, qint64 locked) {
            auto* r = c->insertNew<Registration>();
            r->setRegistrationId(id);
            r->setChildId(t.dao->loadChildrenforEntity(t.entityId).first()->childId());
            r->setTime(time);
            r->setType("In");
            r->setExists(1);
            r->setLocked(locked);
            return r;
        };
        add("answered", yesterday, 1);
        add("unlocked", yesterday, 0);
        add("waiting", yesterday, 1);
        add("today", Util::millisText(Clock::nowMs()), 0);
        auto* old = c->insertNew<SynchroObject>();
        old->setIdSynchroObject("old");
        old->setEntryDate(Util::millisText(Clock::nowMs() - 15 * day));
        old->setStatus(3);
        old->setHttpType("POST");
        old->setObjectType("Registration");
        old->setObjectId("answered");
        auto* pending = c->insertNew<SynchroObject>();
        pending->setIdSynchroObject("pending");
        pending->setEntryDate(yesterday);
        pending->setStatus(2);
        pending->setHttpType("POST");
        pending->setObjectType("Registration");
        pending->setObjectId("waiting");
        QVERIFY(c->save());

        // Offline, so the "Out" stays queued and locked.
        t.reachability->setReachable(false);
        logOut(root);
        QVERIFY(!root.isLoggedIn());
        QVERIFY(!root.canrotate());
        QVERIFY(root.loginViewController());
        QCOMPARE(Users::sharedUsers(), user);

        const QList<UserRegistration*> outs = registrationsOf(t, user->userId(), "Out");
        QCOMPARE(outs.size(), 1);
        QCOMPARE(outs.first()->locked(), 1);
        QVERIFY(queueRecordFor(t, outs.first()->userRegistrationId()));
        QCOMPARE(user->ingeschrevenStatus(), QString("Out"));

        QVERIFY(!t.dao->loadRegistration("answered"));
        QVERIFY(!t.dao->loadRegistration("unlocked"));
        QVERIFY(t.dao->loadRegistration("waiting"));
        QVERIFY(t.dao->loadRegistration("today"));
        QVERIFY(!queueRecordFor(t, "answered"));
        QVERIFY(queueRecordFor(t, "waiting"));
        for (Registration* r : t.dao->loadRegistrationsBeforeToday())
            QCOMPARE(r->locked(), 1);
    }

    void logoutClocksOutEvenWithoutAClockIn() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        Users* user = Users::sharedUsers();
        QCOMPARE(registrationsOf(t, user->userId(), "In").size(), 0);
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        ScreenController* firstLogin = qobject_cast<ScreenController*>(root.loginViewController());
        QVERIFY(firstLogin);
        root.doLogout();
        QCOMPARE(registrationsOf(t, user->userId(), "Out").size(), 1);
        // The login screen that was already shown stays.
        QCOMPARE(root.loginViewController(), firstLogin);

        // Logging in and out again: one more of each, and a new login screen.
        root.doLoginForUser(user);
        QTRY_VERIFY(!root.loginViewController());
        QPointer<MenuViewController> menu = root.menuViewController();
        logOut(root);
        QVERIFY(root.loginViewController());
        QCOMPARE(registrationsOf(t, user->userId(), "In").size(), 1);
        QCOMPARE(registrationsOf(t, user->userId(), "Out").size(), 2);
        // The old menu no longer reacts while it goes.
        NotificationCenter::defaultCenter().post("fakeMenuChoice", nullptr, {{"key", 3}});
        QTRY_VERIFY(!menu);
    }

    void engineAlertsAndOverlayGoThroughTheRoot() {
        Tablet t(QUrl("http://127.0.0.1:1")); // nothing listens there
        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        QSignalSpy alerts(root.dialogs(), &DialogRequests::showAlert);
        int couplingLogins = 0;
        QObject observer;
        NotificationCenter::defaultCenter().addObserver(&observer, "showUserLoginForCoupling",
                                                        [&](const Notification&) { ++couplingLogins; });

        // A fresh tablet whose organisation login fails: the engine's retry alert, answered back.
        t.engine->getOrganisationForUser("Demo Opvang", "x");
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(0).toString(), QString("Opgepast"));
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList{"Probeer opnieuw"});
        QCOMPARE(couplingLogins, 0);
        root.dialogs()->answer(alerts.at(0).at(3).toInt(), 0);
        QCOMPARE(couplingLogins, 1);

        emit t.engine->overlayRequested("Bezig", "even geduld");
        QVERIFY(root.dialogs()->overlayVisible());
        QCOMPARE(root.dialogs()->overlayLabel(), QString("Bezig"));
        emit t.engine->overlayHidden();
        QVERIFY(!root.dialogs()->overlayVisible());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
