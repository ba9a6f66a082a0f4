// The app in English, in the real window against the reference server: with the English catalogue
// installed (as main() does when the tablet's language is English) the coupling screen, the overview,
// the detail panel, the menu and the emergency roll show English texts, and no text the catalogue translates
// is shown in Dutch. Screenshots: <build>/screenshots/coupling-en, login-en, overview-en and roll-en (.png).
#include "AppSession.h"
#include "Catalogue.h"
#include "Clock.h"
#include "MainSynchroObject.h"
#include "PanelReader.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Translations.h"
#include "WindowDriver.h"

#include <QtTest>

using namespace WindowDriver;

class TestEnglishEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QSet<QString> m_dutchOnly; // source texts whose English differs

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    // The texts on screen that are Dutch sources of the catalogue.
    QStringList dutchShown() const {
        QStringList dutch;
        for (const QString& t : m_session->visibleTexts())
            if (m_dutchOnly.contains(t))
                dutch << t;
        return dutch;
    }

private slots:
    void initTestCase() {
        QString error;
        for (const Catalogue::Message& m :
             Catalogue::read(QStringLiteral(CC_SOURCE_DIR "/translations/kinderopvang_en.ts"), &error))
            if (m.translation != m.source)
                m_dutchOnly.insert(m.source);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(m_dutchOnly.contains("Lijsten"));
        // Before the demo's first arrivals: the people present are the ones this test clocks in.
        m_session = std::make_unique<AppSession>(QTime(6, 30));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY(Translations::install(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    }
    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        Translations::install(QLocale(QLocale::Dutch, QLocale::Belgium));
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void loginOverviewAndRollInEnglish() {
        QVERIFY2(m_session->launch(), qPrintable(m_session->error()));
        QQuickWindow* window = m_session->window();

        // The organisation login.
        QTRY_VERIFY(item("nameField") && text("Connect"));
        QVERIFY(text("Use your organisation's name and password to link this tablet to your organisation."));
        QVERIFY2(dutchShown().isEmpty(), qPrintable(dutchShown().join(" | ")));
        QVERIFY(m_session->shoot("coupling-en"));

        // Coupled and logged in through the English screens.
        QVERIFY(m_session->typeInto("nameField", "Demo Opvang"));
        QVERIFY(m_session->typeInto("passwordField", "s3cret%"));
        QVERIFY(m_session->tapItem("okButton"));
        QTRY_VERIFY_WITH_TIMEOUT(text("Tablet Onthaal"), 30000);
        QVERIFY(m_session->tapText("Tablet Onthaal"));
        QVERIFY(text("Select a profile") && m_session->tapText("Save"));
        QTRY_VERIFY_WITH_TIMEOUT(text("De Speelvogel"), 30000);
        QVERIFY(m_session->tapText("De Speelvogel"));
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens"), 120000);
        QTRY_VERIFY(findItem(window->contentItem(), "staffGridPart", false) &&
                    findItem(window->contentItem(), "staffGridPart", false)->opacity() == 1.0);
        QVERIFY(text("Search")); // the search bar above the tiles
        QVERIFY2(dutchShown().isEmpty(), qPrintable(dutchShown().join(" | ")));
        QVERIFY(m_session->shoot("login-en"));
        QVERIFY(m_session->tapText("Els Janssens"));
        QTRY_VERIFY(item("passwordField") && item("passwordField")->hasActiveFocus());
        typeKeys(window, "geheim");
        QVERIFY(m_session->tapItem("okButton"));
        QTRY_VERIFY(m_session->app()->rootViewController()->isLoggedIn());
        QTRY_VERIFY(!item("loginLoader") ||
                    !item("loginLoader")->property("item").value<QObject*>()); // slid away
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));

        // The menu and the overview.
        for (const char* shown : {"Search by name", "Lists", "New child", "Info", "Find staff member",
                                  "Staff member", "Admin", "Welcome: Els", "Emergency roll"})
            QTRY_VERIFY2(text(shown), shown);
        QTRY_VERIFY(!m_session->visibleTexts().filter(QRegularExpression("^All \\(\\d+\\)$")).isEmpty());
        QVERIFY2(dutchShown().isEmpty(), qPrintable(dutchShown().join(" | ")));

        // Three children not registered today, clocked in from the English panel.
        QVERIFY(m_session->typeInto("searchField", "an"));
        QTRY_VERIFY(item("overviewList")->property("count").toInt() > 3);
        QStringList kids;
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (kids.size() < 3 &&
                PanelReader::iconOf(*m_session, row->property("name").toString()).isEmpty())
                kids << row->property("name").toString();
        QCOMPARE(kids.size(), 3);
        for (const QString& kid : kids)
            QVERIFY(tap(window, PanelReader::rowOf(*m_session, kid)));
        QTRY_COMPARE(item("naamLabel")->property("text").toString(), QString("3 children"));
        QVERIFY(text("Active selection") && findText(item("enterButton"), "Clock in") &&
                findText(item("exitButton"), "Clock out"));
        QVERIFY2(dutchShown().isEmpty(), qPrintable(dutchShown().join(" | ")));
        QVERIFY(m_session->shoot("overview-en"));
        QVERIFY(m_session->tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("enterButton"), 10000);

        // A child's registration: the day named in English though the device's locale is Dutch.
        QVERIFY(tap(window, PanelReader::rowOf(*m_session, kids.first())));
        const QString today =
            QLocale(QLocale::English).toString(Clock::now().toLocalTime(), QStringLiteral("ddd dd/MM/yyyy"));
        QTRY_VERIFY2(text(today), qPrintable(today + " | " + m_session->visibleTexts().join(" | ")));
        QVERIFY(m_session->shoot("detail-en"));

        // The emergency roll.
        QVERIFY(m_session->tapItem("emergencyRollButton"));
        QTRY_VERIFY(item("emergencyRollView"));
        QQuickItem* roll = item("emergencyRollView");
        for (const char* shown : {"Emergency roll", "PDF", "Close", "Staff member"}) // Els's section at least
            QVERIFY2(findText(roll, shown), shown);
        QVERIFY(item("rollCount")->property("text").toString().contains(" not yet ticked off"));
        for (const QString& kid : kids) // "last first" in the overview, "first last" here
            QVERIFY2(findText(roll, kid.section(' ', -1) + " " + kid.section(' ', 0, -2)), qPrintable(kid));
        QVERIFY2(dutchShown().isEmpty(), qPrintable(dutchShown().join(" | ")));
        QVERIFY(m_session->shoot("roll-en"));
        QVERIFY(m_session->tapItem("rollCloseButton"));
        QTRY_VERIFY(!item("emergencyRollView"));
    }
};

QTEST_MAIN(TestEnglishEndToEnd)
#include "tst_english_endtoend.moc"
