// The emergency roll in the real window, against the reference server's demo day: the administrator
// clocks a child in and another one in and out, another child is registered in for later today by
// someone else, then the server is stopped, a detail panel is open, and one tap on the menu's red button
// shows the roll over everything. It lists exactly who the server knows as present here now (children and
// staff; the child expected later is not), says when its data was last refreshed, ticks update the
// pinned count, the PDF has one line per person and the freshness line, and closing after a confirmation
// leaves the panel as it was. Screenshot: <build>/screenshots/roll-nl.png.
#include "AppSession.h"
#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "MainSynchroObject.h"
#include "MenuViewController.h"
#include "PanelReader.h"
#include "PdfText.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "WindowDriver.h"
#include "roll/EmergencyRollViewController.h"

#include <QJsonArray>
#include <QtTest>

using namespace WindowDriver;

namespace {
// Who the server's records say is present at the location now: children of the location and staff
// clocked in there, whose latest live registration since midnight and up to now is a clock-in.
// "first last".
QStringList presentOnServer(const ReferenceServer& server, const QString& entityId) {
    const qint64 midnight = QDateTime(Clock::now().toLocalTime().date(), QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 now = Clock::nowMs();
    struct Latest {
        qint64 time = 0;
        QString type;
        QString entityId;
    };
    const auto latestOf = [&](const char* kind, const char* owner) {
        QHash<QString, Latest> latest;
        for (const QJsonValue& v :
             server.get(QStringLiteral("/_test/records?kind=") + kind).value("records").toArray()) {
            const qint64 t = v["time"].toVariant().toLongLong();
            if (v["exists"].toVariant().toInt() != 1 || t <= midnight || t > now)
                continue;
            Latest& l = latest[v[owner].toString()];
            if (t > l.time)
                l = {t, v["type"].toString(), v["entityId"].toString()};
        }
        return latest;
    };
    QStringList present;
    const auto children = latestOf("timeEntry", "childId");
    for (const QJsonValue& v : server.get("/_test/records?kind=child").value("records").toArray())
        if (v["entityId"].toString() == entityId && v["exists"].toVariant().toInt() == 1 &&
            children.value(v["childId"].toString()).type == "In")
            present << v["firstName"].toString() + " " + v["lastName"].toString();
    const auto staff = latestOf("userTimeEntry", "userId");
    QSet<QString> seen;
    for (const char* kind : {"user", "genericUser"})
        for (const QJsonValue& v :
             server.get(QStringLiteral("/_test/records?kind=") + kind).value("records").toArray()) {
            const QString userId = v["userId"].toString();
            const Latest l = staff.value(userId);
            if (!seen.contains(userId) && l.type == "In" && l.entityId == entityId)
                present << v["firstName"].toString() + " " + v["lastName"].toString();
            seen.insert(userId);
        }
    return present;
}
} // namespace

class TestEmergencyRollEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }
    QQuickItem* rowOf(const QString& name) const { return PanelReader::rowOf(*m_session, name); }
    QString iconOf(const QString& name) const { return PanelReader::iconOf(*m_session, name); }
    EmergencyRollViewController* roll() const {
        MenuViewController* menu = m_session->app()->rootViewController()->menuViewController();
        return menu ? menu->emergencyRoll() : nullptr;
    }
    QString countShown() const {
        return item("rollCount") ? item("rollCount")->property("text").toString() : QString();
    }

private slots:
    void initTestCase() {
        // The PDF goes to the documents folder: this test's own.
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        // Before the demo's first arrivals: the people present are the ones this test clocks in.
        m_session = std::make_unique<AppSession>(QTime(6, 30));
    }
    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void theRollWorksWithoutNetwork() {
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        m_window = m_session->window();

        // Six children nobody registered today clocked in; the second clocked out again; a seventh stays
        // unregistered.
        QTRY_VERIFY(item("searchField") && PanelReader::segmentCount(*m_session, 0) > 0);
        QVERIFY(m_session->typeInto("searchField", "an"));
        QTRY_VERIFY(item("overviewList")->property("count").toInt() > 3);
        QStringList kids; // "last first"
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (kids.size() < 7 && iconOf(row->property("name").toString()).isEmpty())
                kids << row->property("name").toString();
        QCOMPARE(kids.size(), 7);
        for (int i = 0; i < 6; ++i)
            QVERIFY(tap(m_window, rowOf(kids[i])));
        QTRY_COMPARE(item("naamLabel")->property("text").toString(), QString("6 kinderen"));
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(iconOf(kids[1]), QString("In"));
        QVERIFY(tap(m_window, rowOf(kids[1])));
        QTRY_VERIFY(item("exitButton"));
        QVERIFY(tapItem("exitButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(iconOf(kids[1]), QString("Out"));
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));

        // Another child of the location, with no registration at all, is registered in for an hour and a
        // half from now by another tablet; the refresh brings it here.
        const QString entityId = Users::sharedUsers()->entityId();
        QSet<QString> registered;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray())
            registered.insert(v["childId"].toString());
        QString aheadId;
        QString ahead; // "first last"
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=child").value("records").toArray()) {
            const QString lastFirst = v["lastName"].toString() + " " + v["firstName"].toString();
            if (aheadId.isEmpty() && v["entityId"].toString() == entityId &&
                v["exists"].toVariant().toInt() == 1 && !registered.contains(v["childId"].toString()) &&
                !kids.contains(lastFirst)) {
                aheadId = v["childId"].toString();
                ahead = v["firstName"].toString() + " " + v["lastName"].toString();
            }
        }
        QVERIFY(!aheadId.isEmpty());
        const QString aheadAt = QString::number(Clock::nowMs() + 90 * 60 * 1000);
        int status = 0;
        m_session->server()->send("POST", "/timeEntry",
                                  QJsonObject{{"registrationId", "ahead-1"},
                                              {"childId", aheadId},
                                              {"entityId", entityId},
                                              {"orgId", "org-demo"},
                                              {"userId", "usr-els"},
                                              {"time", aheadAt},
                                              {"type", "In"},
                                              {"exists", 1},
                                              {"ipadMacId", "elders"},
                                              {"ipadVersion", "3.2.0"},
                                              {"timeZone", "Europe/Brussels"},
                                              {"posts", "0"}},
                                  &status);
        QCOMPARE(status, 200);
        m_session->app()->engine()->checkForUpdates();
        QTRY_VERIFY_WITH_TIMEOUT(m_session->app()->dataAccessObject()->loadRegistration("ahead-1"), 20000);
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));
        QCOMPARE(m_session->app()->dataAccessObject()->loadRegistration("ahead-1")->time(), aheadAt);

        QStringList expected = presentOnServer(*m_session->server(), entityId);
        const auto firstLast = [](const QString& lastFirst) {
            const int space = lastFirst.lastIndexOf(' ');
            return lastFirst.mid(space + 1) + " " + lastFirst.left(space);
        };
        QVERIFY(expected.contains("Els Janssens"));
        QVERIFY(expected.contains(firstLast(kids[0])));
        QVERIFY(!expected.contains(firstLast(kids[1])) && !expected.contains(firstLast(kids[6])) &&
                !expected.contains(ahead));

        // No network from here on; a child's panel is open.
        m_session->stopServer();
        QVERIFY(tap(m_window, rowOf(kids[6])));
        QTRY_VERIFY(item("enterButton"));

        // One tap: the roll over everything, exactly the people present.
        QVERIFY(tapItem("emergencyRollButton"));
        QTRY_VERIFY(item("emergencyRollView") && roll());
        QStringList listed;
        for (const auto& p : roll()->people()->people())
            listed << p.name;
        QStringList sortedListed = listed;
        sortedListed.sort();
        expected.sort();
        QCOMPARE(sortedListed, expected);
        QVERIFY(!listed.contains(ahead));
        const int n = int(listed.size());
        QTRY_COMPARE(countShown(), QString("Nog %1 van %1 niet afgevinkt").arg(n));
        // The header says how old the list's data is: the last refresh the server answered.
        const QDateTime refreshed = m_session->app()->engine()->lastRefreshDate();
        QVERIFY(refreshed.isValid());
        const QString freshness = "Bijgewerkt " + refreshed.toLocalTime().toString("HH:mm");
        QTRY_COMPARE(item("rollFreshness")->property("text").toString(), freshness);
        // What the rows show, top to bottom, is the roll's order.
        QList<QQuickItem*> names = findAll(item("rollList"), "rollName");
        std::sort(names.begin(), names.end(),
                  [](QQuickItem* a, QQuickItem* b) { return sceneRect(a).y() < sceneRect(b).y(); });
        QVERIFY(names.size() >= 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(names[i]->property("text").toString(), listed[i]);

        // Ticked by a tap on the row, and on the second row's box.
        QList<QQuickItem*> rows = findAll(item("rollList"), "rollRow");
        std::sort(rows.begin(), rows.end(),
                  [](QQuickItem* a, QQuickItem* b) { return sceneRect(a).y() < sceneRect(b).y(); });
        QVERIFY(tap(m_window, rows[0]));
        QTRY_COMPARE(countShown(), QString("Nog %1 van %2 niet afgevinkt").arg(n - 1).arg(n));
        QVERIFY(tap(m_window, findItem(rows[1], "rollBox")));
        QTRY_COMPARE(countShown(), QString("Nog %1 van %2 niet afgevinkt").arg(n - 2).arg(n));
        QVERIFY(rows[0]->property("checked").toBool() && rows[1]->property("checked").toBool());
        QVERIFY(m_session->shoot("roll-nl"));

        // Scrolled to the end: the count stays where it was, the last person comes into view.
        const QRect countAt = sceneRect(item("rollCount"));
        QQuickItem* list = item("rollList");
        for (int i = 0; i < 40 && !list->property("atYEnd").toBool(); ++i) {
            const QPoint from = sceneRect(list).center() + QPoint(0, 150);
            QTest::mousePress(m_window, Qt::LeftButton, {}, from);
            for (int step = 1; step <= 6; ++step)
                QTest::mouseMove(m_window, from - QPoint(0, step * 50), 20);
            QTest::qWait(150);
            QTest::mouseRelease(m_window, Qt::LeftButton, {}, from - QPoint(0, 300));
            QTest::qWait(100);
        }
        QTRY_VERIFY(list->property("atYEnd").toBool());
        QCOMPARE(sceneRect(item("rollCount")), countAt);
        QTRY_VERIFY(m_session->text(listed.last()));

        // The PDF, in the documents folder, one line per person.
        QVERIFY(tapItem("rollPdfButton"));
        QTRY_VERIFY(item("rollPdfPath"));
        const QString pdf = roll()->pdfPath();
        QVERIFY2(pdf.startsWith(m_home.filePath("Documents/Noodlijsten/Noodlijst-")), qPrintable(pdf));
        QVERIFY(item("rollPdfPath")->property("text").toString().contains("Noodlijst-"));
        const QStringList lines = PdfText::lines(pdf);
        QVERIFY2(!lines.isEmpty(), "no text read from the PDF");
        for (const QString& name : listed)
            QVERIFY2(PdfText::linesWith(lines, name).size() == 1, qPrintable(name));
        QCOMPARE(int(lines.filter(freshness).size()), 1);

        // Closing asks first (two are ticked); the panel underneath is as it was.
        QVERIFY(tapItem("rollCloseButton"));
        QTRY_VERIFY(m_session->text("Noodlijst sluiten?"));
        QVERIFY(tapItem("alertButton1")); // "Sluit"
        QTRY_VERIFY(!item("emergencyRollView"));
        QVERIFY(!roll());
        QTRY_VERIFY(item("enterButton"));
    }
};

QTEST_MAIN(TestEmergencyRollEndToEnd)
#include "tst_emergencyroll_endtoend.moc"
