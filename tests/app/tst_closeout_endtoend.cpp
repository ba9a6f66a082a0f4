// The queue marks and the end of the day in the real window, against the reference server, with the
// app's clock running from 18:33: a clock-in on its way shows the clock mark, one the server refuses shows
// the attention mark and the header counts it, until a later check gets it through; the header opens the
// queue for the administrator. A stand-in clocks in; logging out then reminds of the child and the
// stand-in still In and leads to the close-out screen, whose time is turned on the wheels; the children
// and the stand-in go out at that time, in the lists and on the server too.
// Screenshots: <build>/screenshots/sync-marks-waiting.png, sync-marks.png, logout-reminder.png,
// closeout.png, closeout-confirm.png, closeout-done.png.
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
#include <QRegularExpression>
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

    // A finger drags the close-out list up until the text stands in view.
    bool scrollTo(const QString& shown) const {
        QQuickItem* list = item("closeOutList");
        const auto inView = [&] {
            QQuickItem* text = findText(list, shown);
            return text && sceneRect(list).contains(sceneRect(text));
        };
        for (int drag = 0; list && drag < 40 && !inView(); ++drag) {
            const QPoint from = list->mapToScene(QPointF(list->width() / 2, list->height() - 20)).toPoint();
            const QPoint to = list->mapToScene(QPointF(list->width() / 2, list->height() / 2)).toPoint();
            QTest::mousePress(m_session->window(), Qt::LeftButton, {}, from);
            for (int i = 1; i <= 10; ++i)
                QTest::mouseMove(m_session->window(), from + (to - from) * i / 10, 20);
            QTest::mouseMove(m_session->window(), to, 300);
            QTest::mouseRelease(m_session->window(), Qt::LeftButton, {}, to, 300);
            (void)QTest::qWaitFor([list] { return !list->property("moving").toBool(); }, 5000);
        }
        return list && inView();
    }

private slots:
    void initTestCase() { m_session = std::make_unique<AppSession>(QTime(18, 33)); }
    void cleanupTestCase() {
        // The open fault the lists' end-to-end test names too: the overview, taken down while its list
        // still builds rows, may warn once. Every other warning fails.
        const QStringList warnings = m_session->finish({"DelegateModel::cancel: index out range"});
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

        // 6. A stand-in of this location clocks in through "Zoek medewerker".
        const QString ann = "Lambrechts Ann";
        QVERIFY(tapItem("menuEntry4"));
        QTRY_VERIFY(item("searchField"));
        QVERIFY(m_session->typeInto("searchField", "lambr"));
        QTRY_VERIFY(rowOf(ann));
        QVERIFY(tap(window, rowOf(ann)));
        QTRY_VERIFY(item("enterButton"));
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(PanelReader::iconOf(*m_session, ann), QString("In"));
        const QTime annIn = QTime::fromString(PanelReader::timeOf(*m_session, ann), "HH:mm");
        QVERIFY(annIn.isValid());

        // 7. Logging out at 18:3x with the child and the stand-in In: the reminder names both, and leads
        // to the close-out screen.
        QVERIFY(tapItem("menuEntry5"));
        QTRY_VERIFY(item("logoutButton"));
        QVERIFY(tapItem("logoutButton"));
        QTRY_VERIFY(m_session->text("Dag afsluiten?"));
        const QString reminder = m_session->visibleTexts().join('\n');
        QVERIFY2(reminder.contains(
                     QRegularExpression("(1 kind|\\d+ kinderen) nog ingeklokt\n1 medewerker nog ingeklokt")),
                 qPrintable(reminder));
        QVERIFY(m_session->app()->rootViewController()->isLoggedIn());
        QVERIFY(m_session->shoot("logout-reminder"));
        QVERIFY(tapItem("alertButton2")); // "Dag afsluiten"
        QTRY_VERIFY(item("closeOutView"));

        // 8. The screen names the time and lists the children and staff still In, the child and the stand-in
        // among them.
        auto* screen = qobject_cast<CloseOutViewController*>(
            m_session->app()->rootViewController()->stackScrollViewController()->screenAt(0));
        QVERIFY(screen);
        const int in = screen->childrenIn();
        QVERIFY(in >= 1);
        QTRY_VERIFY(m_session->text("Klok iedereen uit om 18:30"));
        QVERIFY(closeOutTexts().contains(QString("Kinderen nog binnen (%1)").arg(in)));
        QVERIFY(closeOutTexts().contains(kid));
        QCOMPARE(screen->staffIn(), 1);
        QVERIFY(scrollTo("Medewerkers nog ingeklokt (1)"));
        QVERIFY(closeOutTexts().contains(ann));
        QVERIFY(m_session->shoot("closeout"));

        // 9. 18:30 lies before the clock-ins: refused, with the reason.
        QVERIFY(tapItem("clockEveryoneOutButton"));
        QTRY_VERIFY(m_session->visibleTexts().join('\n').contains("ingeklokt. Kies een later uur."));
        QVERIFY(tapItem("alertButton0"));
        QTRY_VERIFY(!item("alertButton0"));

        // 10. A few minutes on, the minute after the later clock-in on the wheel, one question for both,
        // confirmed: every child and the stand-in go out at that time.
        Clock::advance(180);
        const QTime out = std::max(inAt, annIn).addSecs(60);
        PanelReader::turnWheel(*m_session, item("minuteWheel"), out.minute());
        const QString chosen = out.toString("HH:mm");
        QTRY_VERIFY(m_session->text("Klok iedereen uit om " + chosen));
        QVERIFY(tapItem("clockEveryoneOutButton"));
        const QString children = in == 1 ? QString("1 kind") : QString("%1 kinderen").arg(in);
        QTRY_VERIFY(m_session->text(children + " en 1 medewerker uitklokken om " + chosen + "?"));
        QVERIFY(m_session->shoot("closeout-confirm"));
        QVERIFY(tapItem("alertButton1")); // "Klok uit"
        QTRY_VERIFY(screen->childrenIn() == 0 && screen->staffIn() == 0);
        QTRY_VERIFY(!item("clockEveryoneOutButton")->isEnabled());
        QVERIFY(!closeOutTexts().join('\n').contains("nog binnen ("));
        QVERIFY(!closeOutTexts().join('\n').contains("nog ingeklokt ("));
        QVERIFY(engine->waitForIdle(30000));
        QVERIFY(m_session->shoot("closeout-done"));

        // 11. The lists show them out: the stand-in in "Zoek medewerker", the child in the overview.
        QVERIFY(tapItem("menuEntry4"));
        QTRY_VERIFY(item("searchField"));
        QVERIFY(m_session->typeInto("searchField", "lambr"));
        QTRY_COMPARE(PanelReader::iconOf(*m_session, ann), QString("Out"));
        QCOMPARE(PanelReader::timeOf(*m_session, ann), chosen);
        QVERIFY(tapItem("menuEntry0"));
        QTRY_VERIFY(item("overviewList"));
        QTRY_COMPARE(PanelReader::iconOf(*m_session, kid), QString("Out"));
        QCOMPARE(PanelReader::timeOf(*m_session, kid), chosen);

        const QString at = Util::millisText(QDateTime(QDate::currentDate(), out).toMSecsSinceEpoch());
        int outs = 0;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray())
            outs +=
                v.toObject().value("type").toString() == "Out" && v.toObject().value("time").toString() == at;
        QCOMPARE(outs, in);
        int staffOuts = 0;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=userTimeEntry").value("records").toArray())
            staffOuts += v["userId"] == "usr-invaller-3" && v["type"] == "Out" && v["time"].toString() == at;
        QCOMPARE(staffOuts, 1);
    }
};

QTEST_MAIN(TestCloseOutEndToEnd)
#include "tst_closeout_endtoend.moc"
