// What the diagnostic log may hold: identifiers, never a password, a hash, a person's name or a body.
// Addresses are masked by Log::maskedUrl; a whole coupling, staff login and clockings against the
// reference server, each with failures injected, are logged and the lines searched for every secret
// and name that went through them.
#include "../access/AccessFixture.h"
#include "DeviceSelectionViewController.h"
#include "Entities.h"
#include "Log.h"
#include "LoginViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SchoolChangerViewController.h"
#include "Tablet.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace AccessFixture;
using State = LoginViewController::State;

namespace {
QStringList logged;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    logged << message;
    if (previousHandler)
        previousHandler(type, context, message);
}

void typeOrganisationLogin(LoginViewController& login, const QString& name, const QString& password) {
    login.textFieldDidBeginEditing(1);
    login.setUserName(name);
    login.textFieldDidBeginEditing(2);
    login.setPasswordText(password);
}

// The lines that contain text as a whole word (names) or anywhere (secrets).
QStringList linesWith(const QString& text, bool word) {
    const QRegularExpression re(word ? QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(text))
                                     : QRegularExpression::escape(text));
    QStringList hits;
    for (const QString& line : std::as_const(logged))
        if (re.match(line).hasMatch())
            hits << line;
    return hits;
}
} // namespace

class TestLogPrivacy : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void addressesKeepOnlyIdentifiers_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("masked");
        QTest::newRow("coupling") << "http://h:8/userOrganisation?hash=ab12cd&username=Demo%20Opvang"
                                  << "http://h:8/userOrganisation?hash=***&username=***";
        QTest::newRow("identifiers stay")
            << "https://h/timeEntry?entityId=E1&lastSyncTime=0000&numberOfDays=30"
            << "https://h/timeEntry?entityId=E1&lastSyncTime=0000&numberOfDays=30";
        QTest::newRow("mixed, tablet name masked")
            << "http://h/user?entityId=E1&iPadName=Tablet%20Onthaal&password=x"
            << "http://h/user?entityId=E1&iPadName=***&password=***";
        QTest::newRow("user info and fragment dropped") << "http://jan:geheim@h/child#Jan"
                                                        << "http://h/child";
        QTest::newRow("no query") << "http://h/images/abc.jpg"
                                  << "http://h/images/abc.jpg";
    }
    void addressesKeepOnlyIdentifiers() {
        QFETCH(QString, url);
        QFETCH(QString, masked);
        QCOMPARE(Log::maskedUrl(QUrl(url)), masked);
        // An address quoted inside an error text is masked the same way, the words around it kept.
        QCOMPARE(Log::masked("Error transferring " + url + " - server replied: Internal Server Error"),
                 "Error transferring " + masked + " - server replied: Internal Server Error");
    }

    void couplingLoginAndClockingsWithFailuresLogNoSecretsOrNames() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet::useFreshSettings(m_dir);
        Tablet tablet(server.url());
        logged.clear();
        previousHandler = qInstallMessageHandler(capture);
        const auto restore = qScopeGuard([] { qInstallMessageHandler(previousHandler); });

        RootViewController root(tablet.engine.get(), tablet.dao.get());
        auto* login = qobject_cast<LoginViewController*>(root.loginViewController());
        QVERIFY(login);
        QSignalSpy engineAlerts(tablet.engine.get(), &MainSynchroObject::alertRequested);
        QSignalSpy loginAlerts(login->dialogs(), &DialogRequests::showAlert);

        // Coupling: a wrong password, then the right one while the server answers garbage, then again.
        const QString wrongOrganisationPassword = QStringLiteral("fout-paswoord-7");
        typeOrganisationLogin(*login, kOrganisation, wrongOrganisationPassword);
        login->doLogin();
        QTRY_COMPARE_WITH_TIMEOUT(loginAlerts.count(), 1, 20000);
        login->dialogs()->answer(loginAlerts.at(0).at(3).toInt(), 0);
        QVERIFY(server.setFaults({{"malformed", 1.0}, {"paths", QJsonArray{"/userOrganisation"}}}));
        typeOrganisationLogin(*login, kOrganisation, kOrganisationPassword);
        login->doLogin();
        QTRY_COMPARE_WITH_TIMEOUT(engineAlerts.count(), 1, 20000);
        tablet.engine->alertViewClickedButtonAtIndex(0, 0);
        QVERIFY(server.clearFaults());
        typeOrganisationLogin(*login, kOrganisation, kOrganisationPassword);
        login->doLogin();
        QTRY_COMPARE_WITH_TIMEOUT(login->state(), State::DeviceSelection, 20000);
        login->deviceSelection()->tableViewDidSelectRow(0);
        login->deviceSelection()->selectProfile();
        QTRY_COMPARE_WITH_TIMEOUT(login->state(), State::LocationSelection, 30000);
        login->schoolChanger()->tableViewDidSelectRow(0);
        QCOMPARE(login->state(), State::StaffGrid);
        QVERIFY(tablet.engine->waitForIdle(30000));
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")) >= 0, 20000);

        // Staff login: the administrator with a wrong password, then the right one; the staff list and
        // registrations fail once on the way.
        QVERIFY(server.setFaults({{"drop", 1.0}, {"paths", QJsonArray{"/user", "/userTimeEntry"}}}));
        login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
        QCOMPARE(login->state(), State::StaffPassword);
        const QString wrongStaffPassword = QStringLiteral("Geheim-fout");
        login->textFieldDidBeginEditing(2);
        login->setPasswordText(wrongStaffPassword);
        login->doLogin();
        QVERIFY(!root.isLoggedIn());
        login->textFieldDidBeginEditing(2);
        login->setPasswordText(QStringLiteral("geheim"));
        login->doLogin();
        QVERIFY(root.isLoggedIn());
        Users* admin = Users::sharedUsers();
        QVERIFY(admin);
        QVERIFY(tablet.engine->waitForIdle(30000));

        // Clockings while the server drops, breaks and garbles the registrations.
        QStringList childNames;
        const QList<Child*> children = tablet.dao->loadChildrenforEntity(admin->entityId());
        QVERIFY(children.size() >= 3);
        int n = 0;
        for (const char* fault : {"drop", "http500", "malformed"}) {
            QVERIFY(server.setFaults({{fault, 1.0}, {"paths", QJsonArray{"/timeEntry"}}}));
            Child* child = children.at(n++);
            childNames << child->firstName() << child->lastName();
            tablet.clock(child, QStringLiteral("In"));
            QVERIFY(tablet.engine->waitForIdle(30000));
        }
        QVERIFY(server.clearFaults());
        QVERIFY(tablet.engine->waitForIdle(30000));

        // The failures were logged, with their addresses masked: the test saw what it looks through.
        QVERIFY2(!linesWith(QStringLiteral("/userOrganisation?hash=***"), false).isEmpty(),
                 qPrintable(logged.join('\n')));
        QVERIFY2(!linesWith(QStringLiteral("/timeEntry"), false).isEmpty(), qPrintable(logged.join('\n')));

        // No secret, name or body anywhere.
        QStringList secrets{
            kOrganisationPassword,
            wrongOrganisationPassword,
            QStringLiteral("geheim"),
            wrongStaffPassword,
            SecurityCentral::getHashForAdminWithNick(kOrganisation, kOrganisationPassword),
            SecurityCentral::getHashForAdminWithNick(kOrganisation, wrongOrganisationPassword),
            QStringLiteral("Demo%20Opvang"),
            QStringLiteral("Demo Opvang")};
        QStringList names = childNames;
        for (Users* u : tablet.dao->getUsersForEntity(admin->entityId())) {
            names << u->first_name() << u->last_name();
            if (!u->passwordHash().isEmpty())
                secrets << u->passwordHash();
        }
        // Pieces of the JSON bodies sent and received.
        secrets << QStringLiteral("\"registrationId\"") << QStringLiteral("\"first_name\"")
                << QStringLiteral("\"ipadMacId\"") << QStringLiteral("{\"");
        QStringList leaks;
        for (const QString& secret : std::as_const(secrets))
            leaks << linesWith(secret, false);
        for (const QString& name : std::as_const(names))
            if (name.size() > 1)
                leaks << linesWith(name, true);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join('\n')));
    }
};

QTEST_MAIN(TestLogPrivacy)
#include "tst_logprivacy.moc"
