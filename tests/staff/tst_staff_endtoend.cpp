// The staff screens of the real app, offscreen, against the reference server with its demo data,
// driven only by taps, drags and key presses: the administrator opens "Zoek medewerker", finds a
// stand-in colleague by name, clocks her in and out, and moves the clock-in with the time picker. Rows,
// counts and panel are checked after each step, the registrations on the server at the end. Screenshots go to
// <build>/screenshots/staff-<n>-<state>.png; no QML warning may appear.
#include "AppSession.h"
#include "MainSynchroObject.h"
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

    QList<QQuickItem*> rowsInView() const {
        QList<QQuickItem*> rows;
        QQuickItem* list = item("overviewList");
        if (!list)
            return rows;
        const QRect area = sceneRect(list);
        for (int i = 0; i < list->property("count").toInt(); ++i) {
            QQuickItem* row = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, i));
            if (row && row->isVisible() && area.contains(sceneRect(row)))
                rows << row;
        }
        return rows;
    }
    QQuickItem* rowOf(const QString& name) const {
        for (QQuickItem* row : rowsInView())
            if (row->property("name").toString() == name)
                return row;
        return nullptr;
    }
    QString iconOf(const QString& name) const {
        QQuickItem* row = rowOf(name);
        return row ? findItem(row, "presenceIcon", false)->property("kind").toString() : "?";
    }
    QString timeOf(const QString& name) const {
        QQuickItem* row = rowOf(name);
        QQuickItem* time = row ? findItem(row, "presenceTime") : nullptr;
        return time ? time->property("text").toString() : QString();
    }
    int segmentCount(int segment) const {
        QStringList titles;
        collectTexts(findItem(item("presenceFilter"), QStringLiteral("segment%1").arg(segment)), titles);
        const auto match = QRegularExpression("\\((\\d+)\\)$").match(titles.value(0));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    QStringList registrationTimes() const {
        QList<QQuickItem*> found = findAll(item("mainTable"), "timeText");
        std::sort(found.begin(), found.end(),
                  [](auto* a, auto* b) { return sceneRect(a).y() < sceneRect(b).y(); });
        QStringList times;
        for (QQuickItem* t : found)
            times << t->property("text").toString();
        return times;
    }
    void turnWheel(QQuickItem* wheel, int target) {
        QVERIFY(wheel);
        const qreal rowHeight = wheel->height() / wheel->property("visibleItemCount").toInt();
        const QPoint from = wheel->mapToScene(QPointF(wheel->width() / 2, wheel->height() / 2)).toPoint();
        for (int drag = 0; drag < 8 && wheel->property("currentIndex").toInt() != target; ++drag) {
            const int rows = std::clamp(target - wheel->property("currentIndex").toInt(), -2, 2);
            const QPoint to = from - QPoint(0, qRound(rows * rowHeight));
            QTest::mousePress(m_window, Qt::LeftButton, {}, from);
            for (int i = 1; i <= 20; ++i)
                QTest::mouseMove(m_window, from + (to - from) * i / 20, 40);
            QTest::mouseMove(m_window, to, 400);
            QTest::mouseRelease(m_window, Qt::LeftButton, {}, to, 400);
            QTRY_VERIFY_WITH_TIMEOUT(!wheel->property("moving").toBool(), 10000);
        }
        QCOMPARE(wheel->property("currentIndex").toInt(), target);
    }
    void tapOutside() {
        QQuickItem* name = item("naamLabel");
        QVERIFY(name);
        QTest::mouseClick(m_window, Qt::LeftButton, {},
                          name->mapToScene(QPointF(name->width() - 10, 10)).toPoint());
    }
    StackScrollViewController* stack() const {
        return m_session->app()->rootViewController()->stackScrollViewController();
    }

private slots:
    void initTestCase() { m_session = std::make_unique<AppSession>(); }

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
        QCOMPARE(item("naamLabel")->property("text").toString(), QString("Ann"));
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
        QList<QQuickItem*> times = findAll(item("mainTable"), "timeText");
        std::sort(times.begin(), times.end(),
                  [](auto* a, auto* b) { return sceneRect(a).y() < sceneRect(b).y(); });
        QVERIFY(tap(m_window, times.value(1)));
        QTRY_VERIFY(item("hourWheel"));
        turnWheel(item("hourWheel"), 8);
        const QString moved = "08" + inTime.mid(2);
        QTRY_COMPARE(registrationTimes(), QStringList({outTime, moved}));
        shoot("staff-4-time-changed");
        tapOutside();
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
