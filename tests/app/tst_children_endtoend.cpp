// The children's screens of the real app, offscreen, against the reference server with its demo data,
// driven only by taps, drags and key presses in the window: an administrator searches the overview,
// selects three children, clocks them in, clocks one out at a chosen later time, moves and deletes
// registrations, and notes a product and a message. What the rows, counts and panel show is checked
// after each step, the registrations on the server at the end. Screenshots go to
// <build>/screenshots/children-<n>-<state>.png; no QML warning may appear on the way.
#include "AppSession.h"
#include "Clock.h"
#include "LoginViewController.h"
#include "MainSynchroObject.h"
#include "PanelReader.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QJsonArray>
#include <QQmlApplicationEngine>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;

class TestChildrenEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;

    StackScrollViewAppDelegate* app() const { return m_session->app(); }
    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }

    void shoot(const QString& name) { QVERIFY(m_session->shoot(name)); }

    bool typeInto(const QString& field, const QString& keys) { return m_session->typeInto(field, keys); }

    QQuickItem* rowOf(const QString& name) const { return PanelReader::rowOf(*m_session, name); }
    QList<QQuickItem*> rowsInView() const { return PanelReader::rowsInView(*m_session); }
    QString iconOf(const QString& name) const { return PanelReader::iconOf(*m_session, name); }
    QString timeOf(const QString& name) const { return PanelReader::timeOf(*m_session, name); }
    int segmentCount(int segment) const { return PanelReader::segmentCount(*m_session, segment); }
    bool selected(const QString& name) const { return PanelReader::selected(*m_session, name); }
    QList<QQuickItem*> inTable(const QString& name) const { return PanelReader::inTable(*m_session, name); }
    QStringList registrationTimes() const { return PanelReader::registrationTimes(*m_session); }

    // The buttons and tabs of the detail panel whose label is cut short or that reach out of the panel.
    QStringList cutLabels() const {
        QStringList cut;
        QQuickItem* panel = item("detailView");
        for (const char* name :
             {"enterButton", "exitButton", "timeSelectionButton", "dateSelectionButton", "tab-1000",
              "tab-999", "tab-998", "voegProductToe", "verwijderBoodschap", "voegBoodschapToe"}) {
            QQuickItem* button = findItem(panel, name);
            if (!button)
                continue;
            QStringList label;
            collectTexts(button, label);
            if (!sceneRect(panel).contains(sceneRect(button)))
                cut << label.join(' ') + " (out of the panel)";
            QList<QQuickItem*> items{button};
            for (int i = 0; i < items.size(); ++i) {
                items << items[i]->childItems();
                if (items[i]->isVisible() && items[i]->property("truncated").toBool())
                    cut << items[i]->property("text").toString() + " (elided)";
            }
        }
        return cut;
    }

    void turnWheel(QQuickItem* wheel, int target) { PanelReader::turnWheel(*m_session, wheel, target); }
    void tapOutside() { PanelReader::tapOutside(*m_session); }

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

    void anAdministratorClocksAndNotesForChildren() {
        // Couple, pick a profile and a location, log in as the administrator.
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        m_window = m_session->window();

        // 1. The overview searched by two letters: every row listed is counted under "Alle".
        QTRY_VERIFY(item("searchField") && segmentCount(0) > 0);
        QVERIFY(typeInto("searchField", "an"));
        QQuickItem* list = item("overviewList");
        QTRY_VERIFY(list->property("count").toInt() > 3 &&
                    segmentCount(0) == list->property("count").toInt());
        QVERIFY(!item("enterButton"));
        const int inBefore = segmentCount(1);
        QStringList kids; // three children not registered today, as their rows show
        for (QQuickItem* row : rowsInView())
            if (kids.size() < 3 && iconOf(row->property("name").toString()).isEmpty())
                kids << row->property("name").toString();
        QCOMPARE(kids.size(), 3);
        for (const QString& kid : kids)
            QVERIFY2(kid.contains("an", Qt::CaseInsensitive), qPrintable(kid));
        shoot("children-1-overview");

        // 2. One child tapped: the panel opens beside the list with that child alone.
        QVERIFY(tap(m_window, rowOf(kids[0])));
        QTRY_VERIFY(item("enterButton") && item("tab-1000"));
        QVERIFY(selected(kids[0]));
        // The whole name, first name first ("Bogaert Julia" in the list), and the child's groups under it.
        const QString shown = item("naamLabel")->property("text").toString();
        QVERIFY2(kids[0] == shown.section(' ', 1) + ' ' + shown.section(' ', 0, 0), qPrintable(shown));
        QVERIFY(!item("groepLabel")->property("text").toString().isEmpty());
        QVERIFY(item("imageView") && !item("tableViewSelection"));
        QCOMPARE(item("timeSelectionButton")->property("text").toString(), QString("Nu"));
        QCOMPARE(item("dateSelectionButton")->property("text").toString(), QString("Vandaag"));
        shoot("children-2-one-child-panel");
        QVERIFY2(cutLabels().isEmpty(), qPrintable(cutLabels().join(", ")));

        // 3. Two more: the panel shows the three and "Actieve Selectie", no tabs.
        QVERIFY(tap(m_window, rowOf(kids[1])));
        QVERIFY(tap(m_window, rowOf(kids[2])));
        QTRY_COMPARE(item("naamLabel")->property("text").toString(), QString("3 kinderen"));
        QVERIFY(text("Actieve Selectie") && !item("tab-1000") && !item("imageView"));
        QCOMPARE(item("tableViewSelection")->property("count").toInt(), 3);
        for (const QString& kid : kids) {
            QVERIFY2(selected(kid), qPrintable(kid));
            QVERIFY2(text(kid), qPrintable(kid)); // listed under "Actieve Selectie" as "last first"
        }
        shoot("children-3-several-children-panel");
        QVERIFY2(cutLabels().isEmpty(), qPrintable(cutLabels().join(", ")));

        // 4. Clocked in at "Nu": three children need no confirmation. The rows turn In, "In" counts three
        // more, the selection empties and the panel closes.
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QVERIFY(!item("alertButton0"));
        for (const QString& kid : kids) {
            QTRY_COMPARE(iconOf(kid), QString("In"));
            QVERIFY(!selected(kid));
            QVERIFY(QRegularExpression("^10:\\d\\d$").match(timeOf(kid)).hasMatch());
        }
        QTRY_COMPARE(segmentCount(1), inBefore + 3);
        shoot("children-4-after-clock-in");

        // 5. The first child alone, clocked out at 14:mm picked on the wheels: four hours ahead, so the
        // administrator is asked to confirm a clocking in the future.
        QVERIFY(tap(m_window, rowOf(kids[0])));
        QTRY_VERIFY(item("enterButton") && item("tab-1000"));
        QCOMPARE(registrationTimes(), QStringList{timeOf(kids[0])});
        QVERIFY(tapItem("timeSelectionButton"));
        QTRY_VERIFY(item("hourWheel"));
        turnWheel(item("hourWheel"), 14);
        QTRY_VERIFY(item("timeSelectionButton")->property("text").toString().startsWith("14:"));
        const QString outTime = item("timeSelectionButton")->property("text").toString();
        tapOutside();
        QTRY_VERIFY(!item("hourWheel"));
        // A chosen time is filled in its own colour, unlike "Nu".
        QVERIFY(item("timeSelectionButton")->property("primary").toBool());
        shoot("children-4b-chosen-time");
        QVERIFY(tapItem("exitButton"));
        QTRY_VERIFY(
            text("Je gaat een kind uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?"));
        QVERIFY(tapItem("alertButton1")); // "Bevestig"
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);
        QTRY_COMPARE(iconOf(kids[0]), QString("Out"));
        QCOMPARE(timeOf(kids[0]), outTime);
        QTRY_COMPARE(segmentCount(1), inBefore + 2);

        // 6. Its registrations: the clock-in moved to 08:mm with "Pas aan" and the wheel, the clock-out
        // deleted with "Verwijder", confirmed. The child is In again, at the moved time.
        QVERIFY(tap(m_window, rowOf(kids[0])));
        QTRY_COMPARE(registrationTimes().size(), 2);
        QCOMPARE(registrationTimes().at(0), outTime);
        QCOMPARE(inTable("wrenchButton").size(), 2);
        QVERIFY(tap(m_window, inTable("wrenchButton").value(1)));
        QTRY_VERIFY(item("option0") && item("option1"));
        QVERIFY(tapItem("option0")); // "Pas aan"
        QTRY_VERIFY(item("hourWheel"));
        const QString inTime = "08" + registrationTimes().at(1).mid(2);
        turnWheel(item("hourWheel"), 8);
        QTRY_COMPARE(registrationTimes().value(1), inTime);
        tapOutside();
        QTRY_VERIFY(!item("hourWheel"));
        QTRY_COMPARE(timeOf(kids[0]), outTime); // still out, later than the moved clock-in

        QVERIFY(tap(m_window, inTable("wrenchButton").value(0)));
        QTRY_VERIFY(item("option1"));
        QVERIFY(tapItem("option1")); // "Verwijder"
        QTRY_VERIFY(text("Ben je zeker dat je deze registratie wilt verwijderen?"));
        QVERIFY(tapItem("alertButton1")); // "Verwijder"
        QTRY_COMPARE(registrationTimes(), QStringList{inTime});
        QTRY_COMPARE(iconOf(kids[0]), QString("In"));
        QCOMPARE(timeOf(kids[0]), inTime);
        QTRY_COMPARE(segmentCount(1), inBefore + 3);

        // 7. A product under "Extra", noted by the administrator.
        QVERIFY(tapItem("tab-999"));
        QTRY_VERIFY(item("voegProductToe"));
        QVERIFY(tapItem("voegProductToe"));
        QTRY_VERIFY(text("Koek"));
        QVERIFY(tap(m_window, text("Koek")));
        QTRY_VERIFY(!item("productAdderPopover"));
        QTRY_VERIFY(text("Koek") && text("Janssens"));
        shoot("children-5-extra");
        QVERIFY2(cutLabels().isEmpty(), qPrintable(cutLabels().join(", ")));

        // 8. A message under "Boodschappen": subject and text typed, saved, listed by its subject.
        QVERIFY(tapItem("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        QVERIFY(tapItem("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        QVERIFY(typeInto("onderwerpField", "Ophalen"));
        QVERIFY(typeInto("textView", "Oma haalt op om vier uur."));
        QCOMPARE(item("textView")->property("text").toString(), QString("Oma haalt op om vier uur."));
        QVERIFY(tapItem("saveButton"));
        QTRY_VERIFY(!item("onderwerpField"));
        QTRY_VERIFY(text("Ophalen") && text("Janssens"));
        shoot("children-6-messages");
        QVERIFY2(cutLabels().isEmpty(), qPrintable(cutLabels().join(", ")));

        // 9. The server holds this tablet's registrations: three clock-ins (one moved), the clock-out
        // deleted.
        QVERIFY(app()->engine()->waitForIdle(60000));
        QHash<QString, QString> names; // childId -> "last first"
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=child").value("records").toArray())
            names.insert(v["childId"].toString(), v["lastName"].toString() + " " + v["firstName"].toString());
        QStringList seen;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray()) {
            if (v["ipadMacId"].toString() != Util::uniqueGlobalDeviceIdentifier())
                continue;
            const QString at =
                QDateTime::fromMSecsSinceEpoch(v["time"].toVariant().toLongLong()).toString("HH:mm");
            seen << QStringLiteral("%1 %2 %3 %4")
                        .arg(names.value(v["childId"].toString()), v["type"].toString(), at,
                             v["exists"].toVariant().toString());
        }
        QStringList expected{kids[0] + " In " + inTime + " 1", kids[0] + " Out " + outTime + " 0",
                             kids[1] + " In " + timeOf(kids[1]) + " 1",
                             kids[2] + " In " + timeOf(kids[2]) + " 1"};
        seen.sort();
        expected.sort();
        QCOMPARE(seen, expected);
    }
};

QTEST_MAIN(TestChildrenEndToEnd)
#include "tst_children_endtoend.moc"
