// The staff screens of the real app, offscreen, against the reference server with its demo data,
// driven only by taps, drags and key presses: the administrator opens "Zoek medewerker", finds a
// stand-in colleague by name, clocks her in and out, and moves the clock-in with the time picker. Rows,
// counts and panel are checked after each step, the registrations on the server at the end. Screenshots go to
// <build>/screenshots/staff-<n>-<state>.png; no QML warning may appear.
#include "AppSession.h"
#include "Clock.h"
#include "MainSynchroObject.h"
#include "PanelReader.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "UsersDetailViewController.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QtTest>

using namespace WindowDriver;

class TestStaffEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }
    void shoot(const QString& name) { QVERIFY(m_session->shoot(name)); }

    QQuickItem* rowOf(const QString& name) const { return PanelReader::rowOf(*m_session, name); }
    QString iconOf(const QString& name) const { return PanelReader::iconOf(*m_session, name); }
    QString timeOf(const QString& name) const { return PanelReader::timeOf(*m_session, name); }
    int segmentCount(int segment) const { return PanelReader::segmentCount(*m_session, segment); }
    QStringList registrationTimes() const { return PanelReader::registrationTimes(*m_session); }
    StackScrollViewController* stack() const {
        return m_session->app()->rootViewController()->stackScrollViewController();
    }

private slots:
    void initTestCase() {
        // The app's clock runs from 10:00 today: times picked hours earlier or later stay on today.
        m_session = std::make_unique<AppSession>(QTime(10, 0));
    }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void anAdministratorClocksAColleague() {
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        m_window = m_session->window();
        const QString ann = "Lambrechts Ann"; // a stand-in at this location and another one

        // 1. "Zoek medewerker": the staff who clock their time, no group filter; Ann found by name.
        QVERIFY(tapItem("menuEntry4"));
        QTRY_VERIFY(item("searchField") && segmentCount(0) > 0);
        QVERIFY(!item("groupFilter"));
        QCOMPARE(stack()->count(), 1);
        const int all = segmentCount(0);
        QCOMPARE(all, 4); // the shared account and three stand-ins, each known at two or three locations
        QCOMPARE(item("overviewList")->property("count").toInt(), all);
        QVERIFY(m_session->typeInto("searchField", "lambr"));
        QTRY_COMPARE(item("overviewList")->property("count").toInt(), 1);
        QTRY_COMPARE(segmentCount(0), 1);
        QVERIFY(rowOf(ann));
        QCOMPARE(iconOf(ann), QString());
        shoot("staff-1-found");

        // 2. Tapped: the staff panel opens on her alone.
        QVERIFY(tap(m_window, rowOf(ann)));
        QTRY_VERIFY(item("enterButton") && item("tab-1000"));
        QVERIFY(qobject_cast<UsersDetailViewController*>(stack()->screenAt(1)));
        QCOMPARE(item("naamLabel")->property("text").toString(), QString("Ann Lambrechts"));
        QVERIFY(!item("tableSuggesties"));
        shoot("staff-2-panel");

        // 3. Clocked in at "Nu": the panel closes, her row shows In with the time, "In" counts her.
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QCOMPARE(stack()->count(), 1);
        QTRY_COMPARE(iconOf(ann), QString("In"));
        const QString inTime = timeOf(ann);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d$").match(inTime).hasMatch());
        QTRY_COMPARE(segmentCount(1), 1);
        shoot("staff-3-in");

        // 4. Tapped again and clocked out: Out, counted under "Uit".
        QVERIFY(tap(m_window, rowOf(ann)));
        QTRY_VERIFY(item("exitButton"));
        QVERIFY(tapItem("exitButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(iconOf(ann), QString("Out"));
        const QString outTime = timeOf(ann);
        QTRY_COMPARE(segmentCount(2), 1);
        QCOMPARE(segmentCount(1), 0);

        // 5. Her clock-in (the older row) moved to 08:mm with the wheel; no "Verwijder" for staff rows.
        QVERIFY(tap(m_window, rowOf(ann)));
        QTRY_COMPARE(registrationTimes(), QStringList({outTime, inTime}));
        QVERIFY(findAll(item("mainTable"), "wrenchButton").isEmpty());
        QVERIFY(tap(m_window, PanelReader::inTable(*m_session, "timeText").value(1)));
        QTRY_VERIFY(item("hourWheel"));
        PanelReader::turnWheel(*m_session, item("hourWheel"), 8);
        const QString moved = "08" + inTime.mid(2);
        QTRY_COMPARE(registrationTimes(), QStringList({outTime, moved}));
        shoot("staff-4-time-changed");
        PanelReader::tapOutside(*m_session);
        QTRY_VERIFY(!item("hourWheel"));
        QTRY_COMPARE(iconOf(ann), QString("Out"));

        // 6. The search emptied: everyone again.
        QVERIFY(tapItem("cancelButton"));
        QTRY_COMPARE(segmentCount(0), all);
        shoot("staff-5-everyone");

        // 7. The server holds this tablet's two registrations for her at this location, the clock-in moved.
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));
        QStringList seen;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=userTimeEntry").value("records").toArray()) {
            if (v["ipadMacId"].toString() != Util::uniqueGlobalDeviceIdentifier() ||
                v["userId"] != "usr-invaller-3")
                continue;
            const QString at =
                QDateTime::fromMSecsSinceEpoch(v["time"].toVariant().toLongLong()).toString("HH:mm");
            seen << v["type"].toString() + " " + at + " " + v["entityId"].toString();
        }
        seen.sort();
        QCOMPARE(seen, QStringList({"In " + moved + " ent-1", "Out " + outTime + " ent-1"}));
    }
};

QTEST_MAIN(TestStaffEndToEnd)
#include "tst_staff_endtoend.moc"
