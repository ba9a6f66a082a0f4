// Coupling a tablet on the login screen against the reference server: organisation login, device
// profile, initial download and location, with the refusals and failures on the way, and later starts.
#include "AccessFixture.h"
#include "BlockableFolder.h"
#include "DeviceSelectionViewController.h"
#include "LoginViewController.h"
#include "ReferenceServer.h"
#include "SchoolChangerViewController.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace AccessFixture;
using State = LoginViewController::State;

namespace {
const QString kNotFound =
    QStringLiteral("We vonden je organisatie niet terug. Waarschijnlijk waren je gegevens "
                   "incorrect. Probeer opnieuw of contacteer je support verantwoordelijke.");
const QString kExplanation =
    QStringLiteral("Gebruik je organisatienaam en paswoord om je iPad te koppelen met je organisatie.");
const QString kServerUnreachable = QStringLiteral(
    "Oeps... De server kon niet tijdig worden bereikt. Klik op 'Probeer opnieuw'  om te herproberen. "
    "Contacteer de helpdesk indien het probleem zich blijft voordoen.");

QStringList rowNames(const QAbstractItemModel* model) {
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data(Qt::DisplayRole).toString();
    return names;
}

void typeOrganisationLogin(LoginViewController& login, const QString& name, const QString& password) {
    login.textFieldDidBeginEditing(1);
    login.setUserName(name);
    login.textFieldDidBeginEditing(2);
    login.setPasswordText(password);
}
} // namespace

class TestCoupling : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;

private slots:
    void initTestCase() {
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void init() { Tablet::useFreshSettings(m_dir); }
    void cleanup() { Users::setSharedUsers(nullptr); }

    void freshTabletGoesThroughEveryStateToTheStaffGrid();
    void wrongPasswordLeadsBackToTheOrganisationLogin();
    void emptyNameOrPasswordIsRefusedOnThePanel_data();
    void emptyNameOrPasswordIsRefusedOnThePanel();
    void cancelExplainsAndKeepsThePanel();
    void unreachableServerOffersRetryOfTheOrganisationLogin();
    void failedDeviceListIsAskedForAgain();
    void nameTheDiskRefusesKeepsTheSheetForAnotherTry();
    void coupledTabletStartsAtTheStaffGrid();
    void namedTabletWithoutLocationOpensTheLocationList();
    void locationButtonChangesTheLocationAcrossRestarts();
    void couplingViewsDrawWithoutWarnings();
};

void TestCoupling::freshTabletGoesThroughEveryStateToTheStaffGrid() {
    Tablet tablet(m_server->url());
    QSignalSpy engineAlerts(tablet.engine.get(), &MainSynchroObject::alertRequested);
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QAbstractItemModelTester tester(login.leerkrachten(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    // Not coupled: the organisation login with the name field focused.
    QCOMPARE(login.state(), State::OrganisationLogin);
    QCOMPARE(login.stateName(), QStringLiteral("organisationLogin"));
    QVERIFY(login.panelVisible());
    QVERIFY(!login.gridVisible());
    QVERIFY(login.userNameEditable());
    QCOMPARE(login.userNamePlaceholder(), QStringLiteral("Gebruikersnaam"));
    QCOMPARE(login.focusField(), 1);
    QVERIFY(login.lastOrganisationId().isEmpty());
    QCOMPARE(login.locationButtonTitle(), QStringLiteral("Kies een school"));

    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    login.doLogin();
    QCOMPARE(login.state(), State::Connecting);
    QVERIFY(login.dialogs()->overlayVisible());
    QCOMPARE(login.dialogs()->overlayLabel(), QStringLiteral("Loading"));
    QCOMPARE(login.dialogs()->overlayDetail(), QStringLiteral("Checking username and password"));
    QCOMPARE(UserDefaults::standard().stringForKey("cc_coupleLogin"), kOrganisation);
    QCOMPARE(UserDefaults::standard().stringForKey("cc_coupleHash"),
             QStringLiteral("1b762f2b599b44eaf0db431a3507731bf0c7cf618a4b903e6a882e8e42c8cc40"));

    // The organisation arrives; the profiles are asked for and listed.
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
    QVERIFY(!login.dialogs()->overlayVisible());
    QVERIFY(!login.lastOrganisationId().isEmpty());
    QVERIFY(login.passwordText().isEmpty());
    DeviceSelectionViewController* devices = login.deviceSelection();
    QVERIFY(devices);
    QAbstractItemModelTester deviceTester(devices->deviceArray(),
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(devices->title(), QStringLiteral("Selecteer een profiel"));
    QCOMPARE(rowNames(devices->deviceArray()),
             QStringList({"Tablet Onthaal", "Tablet Refter", "Tablet Speelplaats"}));
    QCOMPARE(devices->selected(), -1);
    QVERIFY(!UserDefaults::standard().contains("cc_ipadNaam"));

    // "Bewaar" without a tick is refused; ticking moves the tick.
    QSignalSpy deviceAlerts(devices->dialogs(), &DialogRequests::showAlert);
    devices->selectProfile();
    QCOMPARE(deviceAlerts.count(), 1);
    QCOMPARE(deviceAlerts.at(0).at(0).toString(), QStringLiteral("Geen geldig selectie"));
    QCOMPARE(deviceAlerts.at(0).at(1).toString(),
             QStringLiteral("Gelieve een profiel te kiezen voor je op bewaren klikt"));
    QCOMPARE(deviceAlerts.at(0).at(2).toStringList(), QStringList({"Ok"}));
    QCOMPARE(login.state(), State::DeviceSelection);
    devices->tableViewDidSelectRow(0);
    devices->tableViewDidSelectRow(1);
    devices->tableViewDidSelectRow(7); // past the list: the tick stays
    QCOMPARE(devices->selected(), 1);
    const auto ticked = [devices](int row) {
        return devices->deviceArray()->index(row, 0).data(Qt::UserRole + 2).toBool();
    };
    QVERIFY(!ticked(0) && ticked(1) && !ticked(2));

    // Saved: named, the initial download runs, the location list opens when the locations are in.
    devices->selectProfile();
    QCOMPARE(UserDefaults::standard().stringForKey("cc_ipadNaam"), QStringLiteral("Tablet Refter"));
    QVERIFY(!login.deviceSelection());
    QCOMPARE(login.state(), State::Downloading);
    QVERIFY(login.gridVisible());
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::LocationSelection, 20000);
    SchoolChangerViewController* schools = login.schoolChanger();
    QVERIFY(schools);
    QAbstractItemModelTester schoolTester(schools->schools(),
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(rowNames(schools->schools()), QStringList({"De Speelvogel", "Het Kabouterhuis", "Zonnestraal"}));

    // A location is chosen: the grid fills with its staff.
    schools->tableViewDidSelectRow(1);
    QCOMPARE(login.state(), State::StaffGrid);
    QVERIFY(!login.schoolChanger());
    QCOMPARE(login.locationButtonTitle(), QStringLiteral("Het Kabouterhuis"));
    QCOMPARE(UserDefaults::standard().stringForKey("geselecteerdeschoolNaam"),
             QStringLiteral("Het Kabouterhuis"));
    QCOMPARE(UserDefaults::standard().stringForKey("geselecteerdeschoolId"),
             schools->schoolList().at(1).idEntity);
    QVERIFY(tablet.engine->waitForIdle(30000));
    QTRY_VERIFY_WITH_TIMEOUT(tileNames(login.leerkrachten()).contains(QStringLiteral("Zoë Dupré")), 20000);
    QVERIFY(tileNames(login.leerkrachten()).contains(QStringLiteral("Els Janssens")));
    QCOMPARE(engineAlerts.count(), 0);
}

void TestCoupling::wrongPasswordLeadsBackToTheOrganisationLogin() {
    Tablet tablet(m_server->url());
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QSignalSpy alerts(login.dialogs(), &DialogRequests::showAlert);
    typeOrganisationLogin(login, kOrganisation, QStringLiteral("s3cret"));
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, 20000);
    QCOMPARE(alerts.at(0).at(0).toString(), QStringLiteral("Connecteer"));
    QCOMPARE(alerts.at(0).at(1).toString(), kNotFound);
    QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"Ok"}));
    QVERIFY(!login.dialogs()->overlayVisible());
    QVERIFY(login.lastOrganisationId().isEmpty());
    QVERIFY(!tablet.dao->loadOrganisation());
    QVERIFY(login.passwordText().isEmpty());

    login.dialogs()->answer(alerts.at(0).at(3).toInt(), 0);
    QCOMPARE(login.state(), State::OrganisationLogin);
    QVERIFY(login.userName().isEmpty());
    QCOMPARE(login.focusField(), 1);

    // The right password afterwards couples as usual.
    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
}

void TestCoupling::emptyNameOrPasswordIsRefusedOnThePanel_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("no name") << QString() << kOrganisationPassword;
    QTest::newRow("no password") << kOrganisation << QString();
    QTest::newRow("neither") << QString() << QString();
}

void TestCoupling::emptyNameOrPasswordIsRefusedOnThePanel() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    Tablet tablet(m_server->url());
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QSignalSpy alerts(login.dialogs(), &DialogRequests::showAlert);
    QSignalSpy gets(tablet.engine.get(), &MainSynchroObject::aantalGetsChanged);
    typeOrganisationLogin(login, name, password);
    login.doLogin();

    QCOMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toString(), QStringLiteral("Connecteer"));
    QCOMPARE(alerts.at(0).at(1).toString(), kExplanation);
    QCOMPARE(login.state(), State::OrganisationLogin);
    QVERIFY(login.panelVisible());
    QVERIFY(!login.dialogs()->overlayVisible());
    QCOMPARE(gets.count(), 0);
    QVERIFY(!UserDefaults::standard().contains("cc_coupleLogin"));
    // What was typed stays for a correction.
    QCOMPARE(login.userName(), name);
}

void TestCoupling::cancelExplainsAndKeepsThePanel() {
    Tablet tablet(m_server->url());
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QSignalSpy alerts(login.dialogs(), &DialogRequests::showAlert);
    typeOrganisationLogin(login, kOrganisation, QString());
    login.cancelLogin();
    QCOMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toString(), QStringLiteral("Connecteer"));
    QCOMPARE(alerts.at(0).at(1).toString(), kExplanation);
    QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"Ok"}));
    login.dialogs()->answer(alerts.at(0).at(3).toInt(), 0);
    QCOMPARE(login.state(), State::OrganisationLogin);
    QCOMPARE(login.userName(), kOrganisation);
    // Tiles are out of reach while the panel is up.
    login.gridViewDidSelectItemAtIndex(0);
    QCOMPARE(login.state(), State::OrganisationLogin);
}

void TestCoupling::unreachableServerOffersRetryOfTheOrganisationLogin() {
    Tablet tablet(QUrl(QStringLiteral("http://127.0.0.1:1"))); // nothing listens there
    QSignalSpy engineAlerts(tablet.engine.get(), &MainSynchroObject::alertRequested);
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(engineAlerts.count(), 1, 20000);
    QCOMPARE(engineAlerts.at(0).at(0).toString(), QStringLiteral("Opgepast"));
    QCOMPARE(engineAlerts.at(0).at(1).toString(), kServerUnreachable);
    QCOMPARE(engineAlerts.at(0).at(2).toStringList(), QStringList({"Probeer opnieuw"}));
    QCOMPARE(engineAlerts.at(0).at(3).toInt(), 0);
    QVERIFY(!login.dialogs()->overlayVisible());
    QCOMPARE(login.state(), State::Connecting);

    // "Probeer opnieuw": the organisation login again; once the server is there, coupling goes on.
    tablet.engine->alertViewClickedButtonAtIndex(0, 0);
    QCOMPARE(login.state(), State::OrganisationLogin);
    QVERIFY(login.panelVisible());
    tablet.manager->setBaseUrl(m_server->url());
    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
}

void TestCoupling::failedDeviceListIsAskedForAgain() {
    Tablet tablet(m_server->url());
    const QString hash = SecurityCentral::getHashForAdminWithNick(kOrganisation, kOrganisationPassword);
    tablet.engine->getOrganisationForUser(kOrganisation, hash);
    QVERIFY(tablet.engine->waitForIdle(30000));
    QVERIFY(tablet.dao->loadOrganisation());
    UserDefaults::standard().setString("cc_coupleLogin", kOrganisation);
    UserDefaults::standard().setString("cc_coupleHash", hash);

    // The organisation is known but the tablet has no name: the profiles are asked for at once.
    tablet.manager->setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:1")));
    QSignalSpy engineAlerts(tablet.engine.get(), &MainSynchroObject::alertRequested);
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QCOMPARE(login.state(), State::Connecting);
    QVERIFY(!login.lastOrganisationId().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(engineAlerts.count(), 1, 20000);
    QCOMPARE(engineAlerts.at(0).at(0).toString(), QStringLiteral("Opgepast"));
    QCOMPARE(engineAlerts.at(0).at(3).toInt(), 1);

    tablet.manager->setBaseUrl(m_server->url());
    tablet.engine->alertViewClickedButtonAtIndex(1, 0);
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
    QCOMPARE(login.deviceSelection()->deviceArray()->rowCount(), 3);
}

void TestCoupling::nameTheDiskRefusesKeepsTheSheetForAnotherTry() {
    BlockableFolder folder(m_dir, QStringLiteral("refused"));
    UserDefaults::setStandard(std::make_shared<UserDefaults>(folder.filePath(QStringLiteral("app.ini"))));
    Tablet tablet(m_server->url());
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
    DeviceSelectionViewController* devices = login.deviceSelection();
    QSignalSpy alerts(devices->dialogs(), &DialogRequests::showAlert);
    devices->tableViewDidSelectRow(1);

    QVERIFY(folder.block());
    devices->selectProfile();
    QCOMPARE(alerts.count(), 1);
    QCOMPARE(
        alerts.at(0).at(1).toString(),
        QStringLiteral("De naam van deze tablet kon niet bewaard worden. Tik opnieuw op Bewaar om het nog "
                       "eens te proberen."));
    // Not named in memory either, and no download under a name a restart would not know.
    QVERIFY(!UserDefaults::standard().contains("cc_ipadNaam"));
    QCOMPARE(login.state(), State::DeviceSelection);
    QCOMPARE(login.deviceSelection(), devices);
    QCOMPARE(devices->selected(), 1);

    QVERIFY(folder.unblock());
    devices->selectProfile();
    QCOMPARE(alerts.count(), 1);
    QCOMPARE(login.state(), State::Downloading);
    QCOMPARE(folder.iniOnDisk(QStringLiteral("app.ini")).value("cc_ipadNaam").toString(),
             QStringLiteral("Tablet Refter"));
    QVERIFY(tablet.engine->waitForIdle(30000));
}

void TestCoupling::coupledTabletStartsAtTheStaffGrid() {
    Tablet tablet(m_server->url());
    QVERIFY(coupleDemoTablet(tablet, QStringLiteral("De Speelvogel")));
    QSignalSpy gets(tablet.engine.get(), &MainSynchroObject::aantalGetsChanged);
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QCOMPARE(login.state(), State::StaffGrid);
    QVERIFY(login.gridVisible());
    QVERIFY(!login.panelVisible());
    QCOMPARE(login.locationButtonTitle(), QStringLiteral("De Speelvogel"));
    QVERIFY(tileNames(login.leerkrachten()).contains(QStringLiteral("An Peeters")));
    // The organisation and the locations are fetched again in the background...
    QVERIFY(gets.count() > 0);
    QVERIFY(tablet.engine->waitForIdle(30000));
    // ...and their arrival neither opens the location list nor leaves the grid.
    QCOMPARE(login.state(), State::StaffGrid);
    QVERIFY(!login.schoolChanger());
    QVERIFY(tileNames(login.leerkrachten()).contains(QStringLiteral("An Peeters")));
}

void TestCoupling::namedTabletWithoutLocationOpensTheLocationList() {
    Tablet tablet(m_server->url());
    QVERIFY(coupleDemoTablet(tablet, QString()));
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    QCOMPARE(login.state(), State::Downloading);
    QCOMPARE(login.leerkrachten()->rowCount(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::LocationSelection, 20000);
    // Dismissed without a choice: the empty grid, and the button opens the list again.
    login.closeSchools();
    QCOMPARE(login.state(), State::StaffGrid);
    QVERIFY(!login.schoolChanger());
    QCOMPARE(login.locationButtonTitle(), QStringLiteral("Kies een school"));
    login.showSchools();
    QCOMPARE(login.state(), State::LocationSelection);
    QCOMPARE(login.schoolChanger()->count(), 3);
}

void TestCoupling::locationButtonChangesTheLocationAcrossRestarts() {
    Tablet tablet(m_server->url());
    QVERIFY(coupleDemoTablet(tablet, QStringLiteral("De Speelvogel")));
    {
        LoginViewController login(tablet.engine.get(), tablet.dao.get());
        QVERIFY(tablet.engine->waitForIdle(30000));
        QVERIFY(!tileNames(login.leerkrachten()).contains(QStringLiteral("Zoë Dupré")));
        login.searchBarTextDidChange(QStringLiteral("an"));
        login.showSchools();
        SchoolChangerViewController* schools = login.schoolChanger();
        QVERIFY(schools);
        schools->tableViewDidSelectRow(1);
        QCOMPARE(login.locationButtonTitle(), QStringLiteral("Het Kabouterhuis"));
        QCOMPARE(login.state(), State::StaffGrid);
        // The new location's staff, still narrowed by the search text.
        login.searchBarTextDidChange(QString());
        QVERIFY(tileNames(login.leerkrachten()).contains(QStringLiteral("Zoë Dupré")));
        QVERIFY(!tileNames(login.leerkrachten()).contains(QStringLiteral("An Peeters")));
    }
    LoginViewController again(tablet.engine.get(), tablet.dao.get());
    QCOMPARE(again.locationButtonTitle(), QStringLiteral("Het Kabouterhuis"));
    QVERIFY(tileNames(again.leerkrachten()).contains(QStringLiteral("Zoë Dupré")));
    QVERIFY(tablet.engine->waitForIdle(30000));
}

void TestCoupling::couplingViewsDrawWithoutWarnings() {
    Tablet tablet(m_server->url());
    LoginViewController login(tablet.engine.get(), tablet.dao.get());
    ViewWindow window(&login);
    QVERIFY(window.exposed());
    QVERIFY(window.root());
    typeOrganisationLogin(login, kOrganisation, kOrganisationPassword);
    window.shoot(QStringLiteral("coupling-1-organisation-login"));
    login.doLogin();
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::DeviceSelection, 20000);
    login.deviceSelection()->tableViewDidSelectRow(0);
    window.shoot(QStringLiteral("coupling-2-device-profiles"));
    login.deviceSelection()->selectProfile();
    QTRY_COMPARE_WITH_TIMEOUT(login.state(), State::LocationSelection, 20000);
    window.shoot(QStringLiteral("coupling-3-location-list"));
    login.schoolChanger()->tableViewDidSelectRow(0);
    QVERIFY(tablet.engine->waitForIdle(30000));
    const QString last = window.shoot(QStringLiteral("coupling-4-staff-grid"), 2500);
    QVERIFY(QFileInfo::exists(last));
    QVERIFY2(collectedWarnings().isEmpty(), qPrintable(collectedWarnings().join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestCoupling)
#include "tst_coupling.moc"
