// Undo and the other tablet's clocking in the real window, offscreen, against the reference server:
// a child clocked in from its panel, the bar under the panels naming it, "Ongedaan maken" tapped (the
// row is back as before, the server ends with the deletion); a second clocking whose bar goes after ten
// seconds on the app's clock; then another tablet's clock-in of that child arrives with a refresh and
// the child's panel says so, and its button deletes this tablet's own; last two staff members clocked
// in and taken back. Screenshots undo-bar.png, other-tablet.png and undo-bar-staff.png; no QML warning
// may appear on the way.
#include "AppSession.h"
#include "Clock.h"
#include "ClockingUndo.h"
#include "DataAccessObject.h"
#include "MainSynchroObject.h"
#include "PanelReader.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QJsonArray>
#include <QtTest>

using namespace WindowDriver;

class TestUndoEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QString iconOf(const QString& name) const { return PanelReader::iconOf(*m_session, name); }
    QQuickItem* rowOf(const QString& name) const { return PanelReader::rowOf(*m_session, name); }
    QString shownText(const QString& name) const {
        QQuickItem* i = item(name);
        return i ? i->property("text").toString() : QString();
    }
    Child* childNamed(const QString& lastFirst) const {
        DataAccessObject* dao = m_session->app()->dataAccessObject();
        for (Child* c : dao->loadChildrenforEntity(Users::sharedUserInfo().entityId))
            if (c->lastName() + " " + c->firstName() == lastFirst)
                return c;
        return nullptr;
    }
    // The server's "exists" of each registration of the child, by the tablet that made it.
    QStringList onServer(const QString& childId) const {
        QStringList seen;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray())
            if (v["childId"].toString() == childId)
                seen << (v["ipadMacId"].toString() == Util::uniqueGlobalDeviceIdentifier() ? "here "
                                                                                           : "other ") +
                            v["type"].toString() + " " + v["exists"].toVariant().toString();
        seen.sort();
        return seen;
    }

private slots:
    // Before the demo's first arrivals: the children in view are not registered yet.
    void initTestCase() { m_session = std::make_unique<AppSession>(QTime(6, 30)); }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void undoAndTheOtherTablet() {
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        QQuickWindow* window = m_session->window();
        QTRY_VERIFY(item("searchField") && PanelReader::segmentCount(*m_session, 1) >= 0);
        QStringList kids; // two children not registered today
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (kids.size() < 2 && iconOf(row->property("name").toString()).isEmpty())
                kids << row->property("name").toString();
        QCOMPARE(kids.size(), 2);
        Child* first = childNamed(kids[0]);
        Child* second = childNamed(kids[1]);
        QVERIFY(first && second);
        const int inBefore = PanelReader::segmentCount(*m_session, 1);
        QVERIFY(!item("undoBar"));

        // 1. Clocked in from its panel: the bar names the child.
        QVERIFY(tap(window, rowOf(kids[0])));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(m_session->tapItem("enterButton"));
        QTRY_VERIFY(item("undoBar"));
        QCOMPARE(shownText("undoText"), first->firstName() + " " + first->lastName() + " ingeklokt");
        QTRY_COMPARE(iconOf(kids[0]), QString("In"));
        QTRY_COMPARE(PanelReader::segmentCount(*m_session, 1), inBefore + 1);
        QVERIFY(m_session->text("Ongedaan maken"));
        QVERIFY(m_session->shoot("undo-bar"));

        // 2. "Ongedaan maken": the bar goes, the row and the count are as before; the server, which had
        // the clock-in already, ends with it deleted.
        QVERIFY(m_session->tapItem("undoButton"));
        QTRY_VERIFY(!item("undoBar"));
        QTRY_COMPARE(iconOf(kids[0]), QString());
        QTRY_COMPARE(PanelReader::segmentCount(*m_session, 1), inBefore);
        QVERIFY(m_session->app()->engine()->waitForIdle(30000));
        QCOMPARE(onServer(first->childId()), QStringList{"here In 0"});

        // 3. The second child clocked in: its bar goes by itself after ten seconds.
        QTRY_VERIFY(!item("enterButton"));
        QVERIFY(tap(window, rowOf(kids[1])));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(m_session->tapItem("enterButton"));
        QTRY_COMPARE(shownText("undoText"), second->firstName() + " " + second->lastName() + " ingeklokt");
        // The clock held a millisecond short of the end over a few ticks, then at the end.
        const qint64 until = m_session->app()->rootViewController()->clockingUndo()->shownUntilMs();
        Clock::setMs(until - 1);
        QTest::qWait(3 * ClockingUndo::kTickMs);
        QVERIFY(item("undoBar"));
        Clock::setMs(until);
        QTRY_VERIFY(!item("undoBar"));
        const qint64 offset = until - QDateTime::currentMSecsSinceEpoch();
        Clock::reset();
        Clock::advanceMs(offset);
        QTRY_COMPARE(iconOf(kids[1]), QString("In"));

        // 4. Another tablet clocked that child in too, a minute later; a refresh brings it.
        QVERIFY(m_session->app()->engine()->waitForIdle(30000));
        const qint64 theirMs = Clock::nowMs() + 60000;
        const QString theirs = Util::millisText(theirMs) + Util::getUUID();
        int status = 0;
        m_session->server()->send("POST", "/timeEntry",
                                  {{"registrationId", theirs},
                                   {"childId", second->childId()},
                                   {"entityId", second->entityId()},
                                   {"time", Util::millisText(theirMs)},
                                   {"type", "In"},
                                   {"exists", 1},
                                   {"ipadMacId", "tablet-refter"},
                                   {"ipadName", "Tablet Refter"}},
                                  &status);
        QCOMPARE(status, 200);
        m_session->app()->engine()->checkForUpdates();
        QVERIFY(m_session->app()->engine()->waitForIdle(30000));
        QTRY_VERIFY(!item("enterButton"));
        QVERIFY(tap(window, rowOf(kids[1])));
        QTRY_VERIFY(item("otherTabletText"));
        const QString at = QDateTime::fromMSecsSinceEpoch(theirMs).toString("HH:mm");
        QVERIFY(shownText("otherTabletText").endsWith(" op deze tablet en om " + at + " op Tablet Refter"));
        QCOMPARE(PanelReader::registrationTimes(*m_session).size(), 2);
        QVERIFY(m_session->shoot("other-tablet"));

        // 5. Its button deletes the later clock-in, the other tablet's, after the usual question; the
        // child stays In since its arrival here.
        QCOMPARE(shownText("deleteLaterDuplicate"), "Verwijder de latere (" + at + ")");
        QVERIFY(m_session->tapItem("deleteLaterDuplicate"));
        QTRY_VERIFY(m_session->text("Ben je zeker dat je deze registratie wilt verwijderen?"));
        QVERIFY(m_session->tapItem("alertButton1")); // "Verwijder"
        QTRY_VERIFY(!item("otherTabletText"));
        QVERIFY(m_session->app()->engine()->waitForIdle(30000));
        QCOMPARE(onServer(second->childId()), (QStringList{"here In 1", "other In 0"}));
        QTRY_COMPARE(iconOf(kids[1]), QString("In"));

        // 6. The same bar for staff: two stand-ins clocked in from their panel, taken back.
        QVERIFY(m_session->tapItem("menuEntry4"));
        QTRY_VERIFY(item("overviewList") && PanelReader::segmentCount(*m_session, 0) > 0);
        const int staffIn = PanelReader::segmentCount(*m_session, 1);
        QStringList staff;
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (staff.size() < 2 && iconOf(row->property("name").toString()).isEmpty())
                staff << row->property("name").toString();
        QCOMPARE(staff.size(), 2);
        QVERIFY(tap(window, rowOf(staff[0])));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(tap(window, rowOf(staff[1])));
        QTRY_COMPARE(shownText("naamLabel"), QString("2 gebruikers"));
        QVERIFY(m_session->tapItem("enterButton"));
        QTRY_COMPARE(shownText("undoText"), QString("2 medewerkers ingeklokt"));
        QTRY_COMPARE(iconOf(staff[0]), QString("In"));
        QVERIFY(m_session->shoot("undo-bar-staff"));
        QVERIFY(m_session->tapItem("undoButton"));
        QTRY_VERIFY(!item("undoBar"));
        QTRY_COMPARE(iconOf(staff[0]), QString());
        QTRY_COMPARE(iconOf(staff[1]), QString());
        QTRY_COMPARE(PanelReader::segmentCount(*m_session, 1), staffIn);
    }
};

QTEST_MAIN(TestUndoEndToEnd)
#include "tst_undo_endtoend.moc"
