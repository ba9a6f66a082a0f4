// The organisation login of a fresh tablet through the real window, offscreen, against the reference
// server: a refused password brings the panel back with an empty name field, and what is typed next is
// the whole name, with which the coupling goes on. No QML warning may appear on the way.
#include "AppSession.h"
#include "LoginViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "WindowDriver.h"

#include <QJsonArray>
#include <QtTest>

using namespace WindowDriver;

class TestCouplingEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    QString fieldText(const QString& name) const {
        QQuickItem* field = item(name);
        return field ? field->property("text").toString() : QStringLiteral("<no %1>").arg(name);
    }
    LoginViewController* login() const {
        return qobject_cast<LoginViewController*>(m_session->app()->rootViewController()->loginViewController());
    }
    QQuickItem* panel() const { return findItem(m_session->window()->contentItem(), "passwordPanel", false); }

private slots:
    void cleanup() {
        const QStringList warnings = m_session ? m_session->finish() : QStringList();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    // The server's answer comes at once or after the panel faded out; it refuses, or fails.
    void aRefusedOrganisationLoginStartsAgainWithAnEmptyName_data() {
        QTest::addColumn<QJsonObject>("faults");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("refused at once") << QJsonObject() << "niet terug";
        QTest::newRow("refused after the fade")
            << QJsonObject{{"delay", 1.0}, {"delayMs", 1500}, {"paths", QJsonArray{"/userOrganisation"}}}
            << "niet terug";
        QTest::newRow("server failure")
            << QJsonObject{{"http500", 1.0}, {"paths", QJsonArray{"/userOrganisation"}}} << "Oeps";
    }
    void aRefusedOrganisationLoginStartsAgainWithAnEmptyName() {
        QFETCH(QJsonObject, faults);
        QFETCH(QString, refusal);
        m_session = std::make_unique<AppSession>();
        QVERIFY2(m_session->launch(), qPrintable(m_session->error()));
        if (!faults.isEmpty())
            QVERIFY(m_session->server()->setFaults(faults));
        QTRY_VERIFY(item("nameField") && panel()->opacity() == 1.0);
        QVERIFY(m_session->typeInto("nameField", "Demo Opvang"));
        QVERIFY(m_session->typeInto("passwordField", "verkeerd"));
        QTest::keyClick(m_session->window(), Qt::Key_Return);

        // Refused: the explanation, and after its "Ok" the panel again, its name field empty.
        QTRY_VERIFY_WITH_TIMEOUT(m_session->visibleTexts().filter(refusal).size() == 1, 30000);
        QVERIFY(m_session->tapItem("alertButton0"));
        QVERIFY(m_session->server()->clearFaults());
        QTRY_COMPARE(login()->state(), LoginViewController::OrganisationLogin);
        QTRY_VERIFY(panel()->opacity() == 1.0);
        QTRY_VERIFY(item("nameField")->hasActiveFocus());
        QCOMPARE(fieldText("nameField"), QString());
        QCOMPARE(fieldText("passwordField"), QString());
        QVERIFY(m_session->shoot(QString("coupling-refused-%1").arg(QTest::currentDataTag()).replace(' ', '-')));

        // What is typed now (the field has the keyboard) is the name, not an addition to the old one.
        typeKeys(m_session->window(), "Demo Opvang");
        QCOMPARE(fieldText("nameField"), QString("Demo Opvang"));
        QCOMPARE(login()->userName(), QString("Demo Opvang"));
        QVERIFY(m_session->typeInto("passwordField", "s3cret%"));
        QVERIFY(m_session->tapItem("okButton"));
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::DeviceSelection, 30000);
    }
};

QTEST_MAIN(TestCouplingEndToEnd)
#include "tst_coupling_endtoend.moc"
