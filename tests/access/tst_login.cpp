// Staff login on a coupled tablet against the reference server: the grid of the location's staff, a
// tap for ordinary staff, the password of administrators (own hash and the administrator nick), what
// a login leaves behind, and the search bar.
#include "AccessFixture.h"
#include "LoginViewController.h"
#include "ReferenceServer.h"
#include "SecurityCentral.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace AccessFixture;
using State = LoginViewController::State;

namespace {
const QString kWrongPassword = QStringLiteral("Gelieve het correcte paswoord in te geven.");

Users* staffNamed(Tablet& tablet, const QString& entityId, const QString& name) {
    for (Users* u : tablet.dao->getUsersForEntity(entityId))
        if (QStringLiteral("%1 %2").arg(u->first_name(), u->last_name()) == name)
            return u;
    return nullptr;
}
} // namespace

class TestLogin : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<Tablet> m_tablet;
    QString m_entityId;

    // A coupled tablet at the location and its login screen with a shell listening.
    std::unique_ptr<LoginViewController>
    openLogin(const QString& location = QStringLiteral("De Speelvogel")) {
        m_tablet = std::make_unique<Tablet>(m_server->url());
        if (!coupleDemoTablet(*m_tablet, location, &m_entityId))
            return nullptr;
        auto login = std::make_unique<LoginViewController>(m_tablet->engine.get(), m_tablet->dao.get());
        // The background fetch of a coupled start ends before the test taps anything.
        if (!m_tablet->engine->waitForIdle(30000))
            return nullptr;
        return login;
    }

private slots:
    void initTestCase() {
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void init() {
        Tablet::useFreshSettings(m_dir);
        UserDefaults::standard().setString("cc_lastChoiceTime", "09:15");
        UserDefaults::standard().setString("cc_lastChoiceDay", "Vandaag");
    }
    void cleanup() {
        Users::setSharedUsers(nullptr);
        m_tablet.reset();
    }

    void gridShowsTheLocationStaff();
    void ordinaryStaffTapLogsInAtOnce();
    void administratorNeedsTheRightPassword();
    void refusedPasswordIsEmptiedForTheNextTry();
    void anAnswerLeavesThePasswordBeingTyped();
    void administratorNickPasswordIsAccepted();
    void cancelReturnsToTheGrid();
    void absentIsAdminNeedsThePassword();
    void withoutShellNobodyIsLoggedIn();
    void searchIgnoresCaseAndAccents();
    void loginViewDrawsWithoutWarnings();
};

void TestLogin::gridShowsTheLocationStaff() {
    auto login = openLogin();
    QVERIFY(login);
    LeerkrachtenModel* model = login->leerkrachten();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QStringList names = tileNames(model);
    QCOMPARE(names.size(), m_tablet->dao->getUsersForEntity(m_entityId).size());
    QVERIFY(names.contains(QStringLiteral("Els Janssens")));
    QVERIFY(names.contains(QStringLiteral("An Peeters")));
    // Sorted by first name, case ignored.
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(names, sorted);

    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex i = model->index(row);
        Users* user = model->userAt(row);
        QVERIFY(user);
        QCOMPARE(i.data(LeerkrachtenModel::IsAdminRole).toBool(), user->isAdmin() == 1);
        // Photos are addresses on the server, absolute; staff without one get the placeholder.
        const QString photo = i.data(LeerkrachtenModel::PhotoRole).toString();
        if (user->image().isEmpty()) {
            QVERIFY(photo.isEmpty());
        } else {
            QVERIFY2(photo.startsWith(m_server->url().toString() + QStringLiteral("/images/")),
                     qPrintable(photo));
        }
    }
    QVERIFY(model->index(names.indexOf("Els Janssens")).data(LeerkrachtenModel::IsAdminRole).toBool());
    QVERIFY(!model->index(names.indexOf("An Peeters")).data(LeerkrachtenModel::IsAdminRole).toBool());
}

void TestLogin::ordinaryStaffTapLogsInAtOnce() {
    auto login = openLogin();
    QVERIFY(login);
    Users* an = staffNamed(*m_tablet, m_entityId, QStringLiteral("An Peeters"));
    QVERIFY(an);
    an->setResyncFreq(45); // not the default, so the stored interval can only come from the staff member
    QStringList states;
    connect(login.get(), &LoginViewController::stateChanged, this, [&] { states << login->stateName(); });
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);

    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("An Peeters")));
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(loggedIn.at(0).at(0).value<Users*>(), an);
    QCOMPARE(Users::sharedUsers(), an);
    QCOMPARE(states, QStringList({"loggedIn"})); // no password panel on the way
    QCOMPARE(UserDefaults::standard().integerForKey("cc_kResyncInterval"), 45);
    QVERIFY(!UserDefaults::standard().contains("cc_lastChoiceTime"));
    QVERIFY(!UserDefaults::standard().contains("cc_lastChoiceDay"));
    QVERIFY(!login->dialogs()->overlayVisible());
    // A second tap while the shell takes over logs nobody in twice.
    login->gridViewDidSelectItemAtIndex(0);
    QCOMPARE(loggedIn.count(), 1);
}

void TestLogin::administratorNeedsTheRightPassword() {
    auto login = openLogin();
    QVERIFY(login);
    Users* els = staffNamed(*m_tablet, m_entityId, QStringLiteral("Els Janssens"));
    QVERIFY(els);
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);

    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    QCOMPARE(login->state(), State::StaffPassword);
    QVERIFY(login->panelVisible());
    QVERIFY(!login->gridVisible());
    QCOMPARE(login->userName(), QStringLiteral("Els Janssens"));
    QVERIFY(!login->userNameEditable());
    QCOMPARE(login->focusField(), 2);
    QCOMPARE(Users::sharedUsers(), els);
    QCOMPARE(loggedIn.count(), 0);

    // Wrong: the message for three seconds, the panel stays, nothing of a login happens.
    login->textFieldDidBeginEditing(2);
    login->setPasswordText(QStringLiteral("Geheim"));
    login->doLogin();
    QCOMPARE(loggedIn.count(), 0);
    QVERIFY(login->dialogs()->overlayVisible());
    QCOMPARE(login->dialogs()->overlayLabel(), kWrongPassword);
    QVERIFY(!login->dialogs()->overlaySpinner());
    QCOMPARE(login->state(), State::StaffPassword);
    QVERIFY(UserDefaults::standard().contains("cc_lastChoiceTime"));
    QTRY_VERIFY_WITH_TIMEOUT(!login->dialogs()->overlayVisible(), 4000);

    // Right: logged in.
    login->textFieldDidBeginEditing(2);
    QVERIFY(login->passwordText().isEmpty());
    login->setPasswordText(QStringLiteral("geheim"));
    login->doLogin();
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(loggedIn.at(0).at(0).value<Users*>(), els);
    QCOMPARE(UserDefaults::standard().integerForKey("cc_kResyncInterval"), els->resyncFreq());
    QVERIFY(!UserDefaults::standard().contains("cc_lastChoiceTime"));
    QVERIFY(!UserDefaults::standard().contains("cc_lastChoiceDay"));
}

void TestLogin::refusedPasswordIsEmptiedForTheNextTry() {
    auto login = openLogin();
    QVERIFY(login);
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);
    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    login->textFieldDidBeginEditing(2);
    login->setPasswordText(QStringLiteral("geheim1"));
    QSignalSpy focus(login.get(), &LoginViewController::focusFieldChanged);

    login->doLogin();
    QCOMPARE(loggedIn.count(), 0);
    QCOMPARE(login->dialogs()->overlayLabel(), kWrongPassword);
    QCOMPARE(login->state(), State::StaffPassword);
    QVERIFY(login->passwordText().isEmpty());
    // The field keeps the focus: the view is told to put it back there.
    QCOMPARE(login->focusField(), 2);
    QVERIFY(focus.count() > 0);

    // The next keys land in the field as it is now, without entering it again.
    login->setPasswordText(login->passwordText() + QStringLiteral("geheim"));
    login->doLogin();
    QCOMPARE(loggedIn.count(), 1);
}

// A new login screen (at the start, after an idle lock) asks for the organisation again; its answer may
// come while an administrator types the password: what was typed stays.
void TestLogin::anAnswerLeavesThePasswordBeingTyped() {
    m_tablet = std::make_unique<Tablet>(m_server->url());
    QVERIFY(coupleDemoTablet(*m_tablet, QStringLiteral("De Speelvogel"), &m_entityId));
    QVERIFY(m_tablet->engine->waitForIdle(30000));
    LoginViewController login(m_tablet->engine.get(), m_tablet->dao.get());
    QSignalSpy loggedIn(&login, &LoginViewController::userLoggedIn);
    login.gridViewDidSelectItemAtIndex(rowOf(login.leerkrachten(), QStringLiteral("Els Janssens")));
    login.textFieldDidBeginEditing(2);
    login.setPasswordText(QStringLiteral("gehe"));

    QVERIFY(m_tablet->engine->waitForIdle(30000)); // the new screen's questions answered
    QCOMPARE(login.state(), State::StaffPassword);
    QCOMPARE(login.passwordText(), QStringLiteral("gehe"));
    QCOMPARE(login.focusField(), 2);
    login.setPasswordText(login.passwordText() + QStringLiteral("im"));
    login.doLogin();
    QCOMPARE(loggedIn.count(), 1);
}

void TestLogin::administratorNickPasswordIsAccepted() {
    auto login = openLogin();
    QVERIFY(login);
    Users* els = staffNamed(*m_tablet, m_entityId, QStringLiteral("Els Janssens"));
    QVERIFY(els);
    els->setPasswordHash(SecurityCentral::adminPasswordHash(QStringLiteral("sleutel")));
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);

    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    login->setPasswordText(QStringLiteral("geheim")); // her own password no longer matches the hash
    login->doLogin();
    QCOMPARE(loggedIn.count(), 0);
    login->setPasswordText(QStringLiteral("sleutel"));
    login->doLogin();
    QCOMPARE(loggedIn.count(), 1);
}

void TestLogin::cancelReturnsToTheGrid() {
    auto login = openLogin();
    QVERIFY(login);
    Users* els = staffNamed(*m_tablet, m_entityId, QStringLiteral("Els Janssens"));
    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    login->setPasswordText(QStringLiteral("half"));
    QSignalSpy alerts(login->dialogs(), &DialogRequests::showAlert);
    login->cancelLogin();
    QCOMPARE(alerts.count(), 0);
    QCOMPARE(login->state(), State::StaffGrid);
    QVERIFY(login->gridVisible());
    QCOMPARE(login->focusField(), 0);
    QCOMPARE(Users::sharedUsers(), els);
    // The next administrator starts with an empty password field.
    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    QVERIFY(login->passwordText().isEmpty());
}

void TestLogin::absentIsAdminNeedsThePassword() {
    auto login = openLogin();
    QVERIFY(login);
    Users* an = staffNamed(*m_tablet, m_entityId, QStringLiteral("An Peeters"));
    QVERIFY(an);
    an->clear(Users::index_isAdmin());
    login->refreshLeraars();
    const int row = rowOf(login->leerkrachten(), QStringLiteral("An Peeters"));
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);

    // No panel, and the empty password field refuses the tap.
    login->gridViewDidSelectItemAtIndex(row);
    QCOMPARE(loggedIn.count(), 0);
    QCOMPARE(login->state(), State::StaffGrid);
    QCOMPARE(login->dialogs()->overlayLabel(), kWrongPassword);
    QVERIFY(login->dialogs()->overlayVisible());

    // The field happens to hold her password: let in.
    login->setPasswordText(QStringLiteral("mijn paswoord"));
    login->gridViewDidSelectItemAtIndex(row);
    QCOMPARE(loggedIn.count(), 1);
}

void TestLogin::withoutShellNobodyIsLoggedIn() {
    auto login = openLogin();
    QVERIFY(login);
    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("An Peeters")));
    QCOMPARE(login->state(), State::StaffGrid);
    QVERIFY(!UserDefaults::standard().contains("cc_kResyncInterval"));
    QVERIFY(UserDefaults::standard().contains("cc_lastChoiceTime"));
}

void TestLogin::searchIgnoresCaseAndAccents() {
    auto login = openLogin(QStringLiteral("Het Kabouterhuis"));
    QVERIFY(login);
    LeerkrachtenModel* model = login->leerkrachten();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int everyone = model->rowCount();
    QVERIFY(everyone > 2);

    const QList<QPair<QString, QStringList>> cases = {
        {QStringLiteral("zoe"), {QStringLiteral("Zoë Dupré")}},
        {QStringLiteral("ZOË"), {QStringLiteral("Zoë Dupré")}},
        {QStringLiteral("dupre"), {QStringLiteral("Zoë Dupré")}},   // last name, accent in the name only
        {QStringLiteral("ANSS"), {QStringLiteral("Els Janssens")}}, // inside the last name
        {QStringLiteral("zoe dupre"), {}},                          // first and last name are matched apart
        {QStringLiteral("qqq"), {}},
    };
    for (const auto& c : cases) {
        login->searchBarTextDidChange(c.first);
        QCOMPARE(login->searchText(), c.first);
        QVERIFY2(tileNames(model) == c.second, qPrintable(c.first + ": " + tileNames(model).join(", ")));
    }
    login->searchBarTextDidChange(QString());
    QCOMPARE(model->rowCount(), everyone);

    // A tap on a filtered grid picks the tile shown, not the one that was there before.
    login->searchBarTextDidChange(QStringLiteral("zoe"));
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);
    login->gridViewDidSelectItemAtIndex(0);
    QCOMPARE(loggedIn.count(), 1);
    QCOMPARE(loggedIn.at(0).at(0).value<Users*>()->first_name(), QStringLiteral("Zoë"));
}

void TestLogin::loginViewDrawsWithoutWarnings() {
    auto login = openLogin();
    QVERIFY(login);
    QSignalSpy loggedIn(login.get(), &LoginViewController::userLoggedIn);
    ViewWindow window(login.get());
    QVERIFY(window.exposed());
    QQuickItem* root = window.root();
    QVERIFY(root);
    window.shoot(QStringLiteral("login-1-staff-grid"), 2500);
    login->searchBarTextDidChange(QStringLiteral("an"));
    window.shoot(QStringLiteral("login-2-search"), 600);
    login->searchBarTextDidChange(QString());
    login->gridViewDidSelectItemAtIndex(rowOf(login->leerkrachten(), QStringLiteral("Els Janssens")));
    QTest::qWait(100); // the field takes the focus and is cleared before anything is typed
    login->setPasswordText(QStringLiteral("fout"));
    window.shoot(QStringLiteral("login-3-admin-password"));
    login->doLogin();
    window.shoot(QStringLiteral("login-4-wrong-password"), 300);
    QTRY_VERIFY_WITH_TIMEOUT(!login->dialogs()->overlayVisible(), 4000);
    login->cancelLogin();
    login->showSchools();
    window.shoot(QStringLiteral("login-5-location-popover"));
    QVERIFY2(collectedWarnings().isEmpty(), qPrintable(collectedWarnings().join(QLatin1Char('\n'))));
    QCOMPARE(loggedIn.count(), 0);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
