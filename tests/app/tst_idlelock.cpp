// The idle lock's rules on the shell, without a window: the limit read from "cc_idleLockMinutes",
// screens (and popovers inside them) that hold the lock, what they keep, and that a lock is no logout.
#include "Clock.h"
#include "Entities.h"
#include "IdleLock.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "ScreenController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// A screen in the middle of something, or one told to keep its work.
class BusyScreen : public ScreenController {
public:
    using ScreenController::ScreenController;
    bool busy = false;
    int prepared = 0;
    bool holdsIdleLock() const override { return busy; }
    void prepareForIdleLock() override { ++prepared; }
};

int staffRegistrations(Tablet& t, const QString& type) {
    return t.store->context()->count(
        FetchRequest::of<UserRegistration>(Predicate::format(QStringLiteral("type == %@"), {type})));
}
} // namespace

class TestIdleLock : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { Tablet::useFreshSettings(m_dir); }
    void cleanup() { Clock::reset(); }

    void limitComesFromTheSetting_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("minutes");
        QTest::newRow("absent") << QVariant() << 5;
        QTest::newRow("number") << QVariant(12) << 12;
        QTest::newRow("text") << QVariant("3") << 3;
        QTest::newRow("zero: off") << QVariant(0) << 0;
        QTest::newRow("negative: off") << QVariant(-4) << 0;
        QTest::newRow("not a number: default") << QVariant("vijf") << 5;
    }
    void limitComesFromTheSetting() {
        QFETCH(QVariant, value);
        QFETCH(int, minutes);
        if (value.isValid())
            UserDefaults::standard().setObject("cc_idleLockMinutes", value);
        QCOMPARE(IdleLock::idleMinutes(), minutes);
    }

    void busyScreensHoldTheLockWhichThenLeavesEverybodyClockedIn() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet tablet(server.url());
        QVERIFY(tablet.couple(true));
        StackScrollViewAppDelegate selections; // only for the two selection lists the lock empties
        RootViewController root(tablet.engine.get(), tablet.dao.get(), nullptr, [](RootViewController*) {
            return static_cast<ScreenController*>(new ScreenController(QUrl(), QStringLiteral("Aanmelden")));
        });
        const int insBefore = staffRegistrations(tablet, "In");
        root.doLoginForUser(Users::sharedUsers());
        QVERIFY(root.isLoggedIn());
        const int ins = staffRegistrations(tablet, "In");
        const int outs = staffRegistrations(tablet, "Out");
        QCOMPARE(ins, insBefore + 1);

        // A panel with a popover inside it that is busy (a photo being taken, a clocking).
        auto* panel = new BusyScreen(QUrl(), "paneel");
        auto* popover = new BusyScreen(QUrl(), "popover", panel);
        root.stackScrollViewController()->addViewInSlider(panel, root.menuViewController(), true);
        StackScrollViewAppDelegate::geselecteerdenLijst()->addObject(
            tablet.dao->loadChildrenforEntity(tablet.entityId).value(0));
        QCOMPARE(StackScrollViewAppDelegate::geselecteerdenLijst()->count(), 1);

        IdleLock lock(&root);
        QSignalSpy locked(&root, &RootViewController::idleLocked);
        Clock::advance(4 * 60);
        lock.check();
        QVERIFY(root.isLoggedIn()); // not yet five minutes
        popover->busy = true;
        Clock::advance(2 * 60);
        lock.check();
        QVERIFY(root.isLoggedIn()); // past the limit, but the popover holds it
        QCOMPARE(popover->prepared, 0);

        popover->busy = false;
        lock.check();
        QVERIFY(!root.isLoggedIn());
        QCOMPARE(locked.count(), 1);
        QVERIFY(root.loginViewController());
        QCOMPARE(panel->prepared, 1);
        QCOMPARE(popover->prepared, 1);
        QCOMPARE(StackScrollViewAppDelegate::geselecteerdenLijst()->count(), 0);
        // No logout: no clock-out, no second clock-in, the staff member still in.
        QCOMPARE(staffRegistrations(tablet, "Out"), outs);
        QCOMPARE(staffRegistrations(tablet, "In"), ins);
        QCOMPARE(Users::sharedUsers()->ingeschrevenStatus(), QString("In"));

        // Logged out, nothing more happens however long it stays idle.
        Clock::advance(60 * 60);
        lock.check();
        QCOMPARE(locked.count(), 1);
    }
};

QTEST_MAIN(TestIdleLock)
#include "tst_idlelock.moc"
