// The idle lock in the real window, against the reference server: after five minutes of the app's
// clock without a touch the login grid is back, no child on screen, the selection empty, nobody clocked
// out; a message being written waits for the next editor of that child; a touch postpones the lock,
// "cc_idleLockMinutes" 0 turns it off, and a clocking or a photo being taken finishes first.
// Screenshots: <build>/screenshots/idlelock-<n>-<state>.png.
#include "AppSession.h"
#include "Clock.h"
#include "Entities.h"
#include "IdleLock.h"
#include "MainSynchroObject.h"
#include "PanelReader.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "Store.h"
#include "UserDefaults.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QImage>
#include <QJsonArray>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;

#define LOG_IN_AGAIN()                                                                                       \
    do {                                                                                                     \
        const QString failed = logInAgain();                                                                 \
        QVERIFY2(failed.isEmpty(), qPrintable(failed));                                                      \
    } while (false)

namespace {
constexpr qint64 kPastTheLimit = IdleLock::kDefaultMinutes * 60 + 1; // seconds
}

class TestIdleLockEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;

    StackScrollViewAppDelegate* app() const { return m_session->app(); }
    RootViewController* root() const { return app()->rootViewController(); }
    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }

    // The staff member's clock-outs the server holds from this tablet.
    int staffClockOuts() const {
        int n = 0;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=userTimeEntry").value("records").toArray())
            if (v["type"].toString() == "Out" &&
                v["ipadMacId"].toString() == Util::uniqueGlobalDeviceIdentifier())
                ++n;
        return n;
    }

    // Every child's name as the screens write it ("first last" and "last first"), less those that are
    // also a staff member's (the login grid shows the staff).
    QStringList childNames() const {
        QStringList staff;
        for (const char* kind : {"user", "genericUser"})
            for (const QJsonValue& v :
                 m_session->server()->get(QString("/_test/records?kind=") + kind).value("records").toArray())
                staff << v["firstName"].toString() + " " + v["lastName"].toString();
        QStringList names;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=child").value("records").toArray()) {
            const QString first = v["firstName"].toString();
            const QString last = v["lastName"].toString();
            if (!staff.contains(first + " " + last))
                names << first + " " + last << last + " " + first;
        }
        return names;
    }

    // The administrator's tile, the password and "OK" on the login grid that the lock brought back.
    // Empty when logged in, else the step that did not happen.
    QString logInAgain() {
        constexpr int kStepMs = 20000 * kSlowdown; // fades and the first answers, on a busy machine
        QQuickItem* grid = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    grid = findItem(m_session->window()->contentItem(), "staffGridPart", false);
                    return grid && grid->opacity() == 1.0 && m_session->text("Els Janssens");
                },
                kStepMs) ||
            !m_session->tapText("Els Janssens"))
            return "no tile to tap on the login grid";
        if (!QTest::qWaitFor([&] { return item("passwordField") && item("passwordField")->hasActiveFocus(); },
                             kStepMs))
            return "no password asked";
        typeKeys(m_session->window(), "geheim");
        if (!tapItem("okButton") || !QTest::qWaitFor([&] { return root()->isLoggedIn(); }, kStepMs)) {
            QStringList shown;
            collectTexts(m_session->window()->contentItem(), shown);
            return "not logged in; the screen shows: " + shown.join(" | ");
        }
        // Done once the login screen has slid away from over the overview.
        if (!QTest::qWaitFor(
                [&] {
                    return item("searchField") &&
                           (!item("loginLoader") || !item("loginLoader")->property("item").value<QObject*>());
                },
                kStepMs))
            return "the login screen stayed over the overview";
        return {};
    }

    // Opens the panel of the first child in the overview that is not registered today; its name.
    QString openUnregisteredChild() {
        QString name;
        if (!QTest::qWaitFor([&] { return !PanelReader::rowsInView(*m_session).isEmpty(); }))
            return name;
        for (QQuickItem* row : PanelReader::rowsInView(*m_session)) {
            const QString candidate = row->property("name").toString();
            if (PanelReader::iconOf(*m_session, candidate).isEmpty()) {
                name = candidate;
                break;
            }
        }
        if (name.isEmpty() || !tap(m_session->window(), PanelReader::rowOf(*m_session, name)) ||
            !QTest::qWaitFor([&] { return item("enterButton") && item("tab-998"); }))
            return QString();
        return name;
    }

    Child* selectedChild() const {
        SelectieLijst* list = StackScrollViewAppDelegate::geselecteerdenLijst();
        return list && list->count() == 1 ? static_cast<Child*>(list->objectAtIndex(0)) : nullptr;
    }

private slots:
    void initTestCase() {
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        QVERIFY(app()->idleLock());
        QCOMPARE(IdleLock::idleMinutes(), 5); // no "cc_idleLockMinutes": the default
    }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    // With the clock standing still nothing on screen has a reason to change: the open overview, the menu
    // and its status line draw no frame at all (no timer, animation or hidden spinner redrawing). A
    // window in which the engine's minutely refresh ran is skipped.
    void nothingIsDrawnWhileNobodyTouchesTheOverview() {
        QTRY_VERIFY(item("overviewList") && item("overviewList")->property("count").toInt() > 3);
        MainSynchroObject* engine = app()->engine();
        const qint64 frozenAt = Clock::nowMs();
        const qint64 offset = frozenAt - QDateTime::currentMSecsSinceEpoch();
        Clock::setMs(frozenAt);
        const auto restore = qScopeGuard([offset] {
            Clock::reset();
            Clock::advanceMs(offset);
        });
        QVERIFY(engine->waitForIdle(60000));
        QTest::qWait(1500); // fades and pictures settle
        int frames = 0;
        const auto counter =
            connect(m_session->window(), &QQuickWindow::frameSwapped, this, [&] { ++frames; });
        const auto disconnect = qScopeGuard([counter] { QObject::disconnect(counter); });
        bool quietWindow = false;
        for (int attempt = 0; attempt < 3 && !quietWindow; ++attempt) {
            int gets = 0;
            const auto refresh =
                connect(engine, &MainSynchroObject::aantalGetsChanged, this, [&] { ++gets; });
            frames = 0;
            QTest::qWait(3000);
            QObject::disconnect(refresh);
            quietWindow = gets == 0;
            if (quietWindow)
                QCOMPARE(frames, 0);
            else
                QVERIFY(engine->waitForIdle(60000));
        }
        QVERIFY(quietWindow);
    }

    void lockShowsTheGridAndKeepsTheMessageBeingWritten() {
        // A child's panel open, a message half written.
        const QString child = openUnregisteredChild();
        QVERIFY(!child.isEmpty());
        QVERIFY(tapItem("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        QVERIFY(tapItem("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        QVERIFY(m_session->typeInto("onderwerpField", "Dagverslag"));
        QVERIFY(m_session->typeInto("textView", "Goed gegeten"));
        QVERIFY(app()->engine()->waitForIdle(60000));
        const int clockOuts = staffClockOuts();

        // Five minutes and a second later: the grid, nobody's child on screen, the selection empty.
        Clock::advance(kPastTheLimit);
        QTRY_VERIFY(!root()->isLoggedIn());
        QTRY_VERIFY(m_session->text("Els Janssens") && item("staffGridPart"));
        QVERIFY(m_session->text("Vergrendeld na 5 minuten zonder gebruik")); // why the grid is there
        const QString shown = m_session->visibleTexts().join('\n');
        const QStringList children = childNames();
        QVERIFY(children.contains(child) && !children.contains("Sofie Maes")); // a child and a staff member
        for (const QString& name : children)
            QVERIFY2(!shown.contains(name), qPrintable(name + " is still on screen"));
        QVERIFY(!shown.contains("Dagverslag"));
        QCOMPARE(StackScrollViewAppDelegate::geselecteerdenLijst()->count(), 0);
        QCOMPARE(StackScrollViewAppDelegate::userGeselecteerdenLijst()->count(), 0);
        QVERIFY(m_session->shoot("idlelock-1-locked"));
        // Not a logout: no clock-out went to the server.
        QVERIFY(app()->engine()->waitForIdle(60000));
        QCOMPARE(staffClockOuts(), clockOuts);

        // Logged in again as always; the child's next message editor starts with what was typed.
        LOG_IN_AGAIN();
        QTRY_VERIFY(PanelReader::rowOf(*m_session, child));
        QVERIFY(tap(m_session->window(), PanelReader::rowOf(*m_session, child)));
        QTRY_VERIFY(item("tab-998"));
        QVERIFY(tapItem("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        QVERIFY(tapItem("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        QCOMPARE(item("onderwerpField")->property("text").toString(), QString("Dagverslag"));
        QCOMPARE(item("textView")->property("text").toString(), QString("Goed gegeten"));
        QVERIFY(m_session->shoot("idlelock-2-message-kept"));
        QVERIFY(tapItem("saveButton"));
        QTRY_VERIFY(!item("onderwerpField"));
    }

    void aTouchPostponesTheLockAndZeroTurnsItOff() {
        IdleLock* lock = app()->idleLock();
        Clock::advance(4 * 60);
        QTest::mouseMove(m_session->window(), QPoint(600, 300)); // any touch counts
        Clock::advance(2 * 60);
        lock->check();
        QVERIFY(root()->isLoggedIn()); // six minutes since the login, two since the touch
        Clock::advance(3 * 60 + 1);
        lock->check();
        QVERIFY(!root()->isLoggedIn());
        LOG_IN_AGAIN();

        UserDefaults::standard().setInteger("cc_idleLockMinutes", 0);
        Clock::advance(8 * 60 * 60);
        lock->check();
        QVERIFY(root()->isLoggedIn());
        UserDefaults::standard().setInteger("cc_idleLockMinutes", 1);
        lock->check();
        QVERIFY(!root()->isLoggedIn()); // the eight hours are past any limit
        QTRY_VERIFY(m_session->text("Vergrendeld na 1 minuut zonder gebruik"));
        UserDefaults::standard().removeObjectForKey("cc_idleLockMinutes");
        LOG_IN_AGAIN();
    }

    void aClockingAndAPhotoFinishBeforeTheLock() {
        IdleLock* lock = app()->idleLock();

        // A clock-in under way when the time is up: it ends, then the lock comes.
        const QString child = openUnregisteredChild();
        QVERIFY(!child.isEmpty());
        Child* record = selectedChild();
        QVERIFY(record);
        const QString childId = record->childId();
        QVERIFY(tapItem("enterButton"));
        Clock::advance(kPastTheLimit);
        lock->check();
        QVERIFY(root()->isLoggedIn());
        QTRY_VERIFY(!root()->isLoggedIn());
        LOG_IN_AGAIN();
        QTRY_COMPARE(PanelReader::iconOf(*m_session, child), QString("In"));

        // A photo being picked: the lock waits while the picker is open; the photo arrives.
        QVERIFY(tap(m_session->window(), PanelReader::rowOf(*m_session, child)));
        QTRY_VERIFY(item("imageView"));
        record = selectedChild();
        QVERIFY(record && record->childId() == childId);
        const QString imageBefore = record->image();
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView"));
        Clock::advance(kPastTheLimit);
        lock->check();
        QVERIFY(root()->isLoggedIn());
        QVERIFY(QDir().mkpath(m_session->picturesFolder()));
        QImage picture(640, 480, QImage::Format_RGB32);
        picture.fill(QColor(200, 150, 40));
        QVERIFY(picture.save(m_session->picturesFolder() + "/foto.jpg", "JPG"));
        QVERIFY(m_session->pickFromGallery("foto.jpg"));
        Child* stored = app()->store()->context()->find<Child>(childId);
        QVERIFY(stored);
        QTRY_VERIFY2(stored->image() != imageBefore && !stored->image().isEmpty(), qPrintable(stored->image()));
        // The taps in the grid were touches: the lock comes a whole time after them.
        Clock::advance(kPastTheLimit);
        lock->check();
        QTRY_VERIFY(!root()->isLoggedIn());
    }
};

QTEST_MAIN(TestIdleLockEndToEnd)
#include "tst_idlelock_endtoend.moc"
