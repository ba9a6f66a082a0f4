// The queue marks and the end of the day in the real window, against the reference server, with the
// app's clock running from 18:33: a clock-in on its way shows the clock mark, one the server refuses shows
// the attention mark and the header counts it, until a later check gets it through; the header opens the
// queue for the administrator. Logging out then reminds of the child still In and leads to the close-out
// screen, whose time is turned on the wheels; the children go out at that time, on the server too.
// Screenshots: <build>/screenshots/sync-marks-waiting.png, sync-marks.png, logout-reminder.png,
// closeout.png, closeout-done.png.
#include "AppSession.h"
#include "Clock.h"
#include "CloseOutViewController.h"
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

class TestCloseOutEndToEnd : public QObject {
    Q_OBJECT
    std::unique_ptr<AppSession> m_session;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }
    QQuickItem* rowOf(const QString& name) const { return PanelReader::rowOf(*m_session, name); }
    int markOf(const QString& name) const {
        QQuickItem* row = rowOf(name);
        return row ? findItem(row, "syncMark", false)->property("kind").toInt() : -1;
    }
    QString headerLine() const {
        QQuickItem* line = item("syncStateText");
        return line ? line->property("text").toString() : QString();
    }
    QStringList closeOutTexts() const {
        QStringList texts;
        if (QQuickItem* view = item("closeOutView"))
            collectTexts(view, texts);
        return texts;
    }

private slots:
    void initTestCase() { m_session = std::make_unique<AppSession>(QTime(18, 33)); }
    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void marksThenTheEndOfTheDay() {
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        QQuickWindow* window = m_session->window();
        MainSynchroObject* engine = m_session->app()->engine();

        // 1. The overview's header: the last refresh, nothing waiting.
        QTRY_VERIFY(item("overviewList") && item("syncStateLine"));
        QTRY_VERIFY2(headerLine().startsWith("Bijgewerkt ") && headerLine().endsWith(" · alles verstuurd"),
                     qPrintable(headerLine()));
        QString kid;
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (kid.isEmpty() && PanelReader::iconOf(*m_session, row->property("name").toString()) != "In")
                kid = row->property("name").toString();
        QVERIFY(!kid.isEmpty());
        QCOMPARE(markOf(kid), 0);

        // 2. A clock-in the server is slow to answer: the clock mark while it is on its way.
        QString slowKid;
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (slowKid.isEmpty() && row->property("name").toString() != kid &&
                PanelReader::iconOf(*m_session, row->property("name").toString()) != "In")
                slowKid = row->property("name").toString();
        QVERIFY(m_session->server()->setFaults({{"delay", 1.0},
                                                {"delayMs", 6000},
                                                {"paths", QJsonArray{"/timeEntry"}},
                                                {"methods", QJsonArray{"POST"}}}));
        QVERIFY(tap(window, rowOf(slowKid)));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(markOf(slowKid), 1);
        QVERIFY2(headerLine().endsWith(" · 1 wachtend"), qPrintable(headerLine()));
        QVERIFY(m_session->shoot("sync-marks-waiting"));
        QVERIFY(engine->waitForIdle(30000));
        QTRY_COMPARE(markOf(slowKid), 0);

        // 3. The server refuses the clock-in: the row gets the attention mark, the header counts it.
        QVERIFY(m_session->server()->setFaults({{"http500", 1.0},
                                                {"paths", QJsonArray{"/timeEntry"}},
                                                {"methods", QJsonArray{"POST"}},
                                                {"writes", "before"}}));
        QVERIFY(tap(window, rowOf(kid)));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(PanelReader::iconOf(*m_session, kid), QString("In"));
        const QTime inAt = QTime::fromString(PanelReader::timeOf(*m_session, kid), "HH:mm");
        QVERIFY(inAt.isValid());
        QTRY_COMPARE_WITH_TIMEOUT(markOf(kid), 2, 15000);
        QTRY_VERIFY2(headerLine().endsWith(" · 1 wachtend"), qPrintable(headerLine()));
        QCOMPARE(item("syncStateMark")->property("kind").toInt(), 2);
        QVERIFY(m_session->shoot("sync-marks"));

        // 4. The next check gets it through: no mark, nothing waiting.
        QVERIFY(m_session->server()->clearFaults());
        engine->checkForUpdates();
        QVERIFY(engine->waitForIdle(30000));
        QTRY_COMPARE(markOf(kid), 0);
        QTRY_VERIFY2(headerLine().endsWith(" · alles verstuurd"), qPrintable(headerLine()));

        // 5. The header opens the queue for the administrator, where the record shows as answered.
        QVERIFY(tapItem("syncStateLine"));
        QTRY_VERIFY(item("adminPageView"));
        QTRY_VERIFY(m_session->text("Succes"));

        // The administrator's last entry stands fully in sight, above the roll button.
        const QRect lastEntry = WindowDriver::sceneRect(item("menuEntry7"));
        QVERIFY(WindowDriver::sceneRect(item("menuEntries")).contains(lastEntry));
        QVERIFY(lastEntry.bottom() < WindowDriver::sceneRect(item("emergencyRollButton")).top());

        // 6. Logging out at 18:3x with the child In: the reminder, and from it the close-out screen.
        QVERIFY(tapItem("menuEntry5"));
        QTRY_VERIFY(item("logoutButton"));
        QVERIFY(tapItem("logoutButton"));
        QTRY_VERIFY(m_session->text("Dag afsluiten?"));
        QVERIFY(m_session->visibleTexts().join('\n').contains("nog ingeklokt"));
        QVERIFY(m_session->app()->rootViewController()->isLoggedIn());
        QVERIFY(m_session->shoot("logout-reminder"));
        QVERIFY(tapItem("alertButton2")); // "Dag afsluiten"
        QTRY_VERIFY(item("closeOutView"));

        // 7. The screen names the time and lists the children still In, the child among them.
        auto* screen = qobject_cast<CloseOutViewController*>(
            m_session->app()->rootViewController()->stackScrollViewController()->screenAt(0));
        QVERIFY(screen);
        const int in = screen->childrenIn();
        QVERIFY(in >= 1);
        QTRY_VERIFY(m_session->text("Klok iedereen uit om 18:30"));
        QVERIFY(closeOutTexts().contains(QString("Kinderen nog binnen (%1)").arg(in)));
        QVERIFY(closeOutTexts().contains(kid));
        QVERIFY(m_session->shoot("closeout"));

        // 8. 18:30 lies before the child's clock-in: refused, with the reason.
        QVERIFY(tapItem("clockEveryoneOutButton"));
        QTRY_VERIFY(m_session->visibleTexts().join('\n').contains("ingeklokt. Kies een later uur."));
        QVERIFY(tapItem("alertButton0"));
        QTRY_VERIFY(!item("alertButton0"));

        // 9. A few minutes on, the minute after the clock-in on the wheel, confirmed: every child goes out
        // at that time.
        Clock::advance(180);
        const QTime out = inAt.addSecs(60);
        PanelReader::turnWheel(*m_session, item("minuteWheel"), out.minute());
        const QString chosen = out.toString("HH:mm");
        QTRY_VERIFY(m_session->text("Klok iedereen uit om " + chosen));
        QVERIFY(tapItem("clockEveryoneOutButton"));
        const QString question = in == 1 ? QString("1 kind uitklokken om %1?").arg(chosen)
                                         : QString("%1 kinderen uitklokken om %2?").arg(in).arg(chosen);
        QTRY_VERIFY(m_session->text(question));
        QVERIFY(tapItem("alertButton1")); // "Klok uit"
        QTRY_VERIFY(closeOutTexts().contains("Kinderen nog binnen (0)") || screen->childrenIn() == 0);
        QTRY_VERIFY(!item("clockEveryoneOutButton")->isEnabled());
        QVERIFY(engine->waitForIdle(30000));
        QVERIFY(m_session->shoot("closeout-done"));

        const QString at = Util::millisText(QDateTime(QDate::currentDate(), out).toMSecsSinceEpoch());
        int outs = 0;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray())
            outs +=
                v.toObject().value("type").toString() == "Out" && v.toObject().value("time").toString() == at;
        QCOMPARE(outs, in);
    }
};

QTEST_MAIN(TestCloseOutEndToEnd)
#include "tst_closeout_endtoend.moc"
