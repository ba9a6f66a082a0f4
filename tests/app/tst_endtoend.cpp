// The real app, offscreen, against the reference server: a fresh tablet is coupled to the demo
// organisation, a profile and a location are picked, an ordinary staff member logs in, opens "Info"
// and logs out again. Menu entries and buttons are tapped in the window; the coupling steps go through
// the login screen's operations. Every state is saved as <build>/screenshots/<nn>-<state>.png and no
// QML warning may appear on the way.
#include "DataAccessObject.h"
#include "DeviceSelectionViewController.h"
#include "InfoViewController.h"
#include "LoginViewController.h"
#include "MainSynchroObject.h"
#include "PlaceholderViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SchoolChangerViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

int rowOf(const LeerkrachtenModel* model, const QString& name) {
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row).data(LeerkrachtenModel::NameRole).toString() == name)
            return row;
    return -1;
}

QQuickItem* findItem(QQuickItem* root, const QString& objectName) {
    if (!root)
        return nullptr;
    if (root->objectName() == objectName && root->isVisible())
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, objectName))
            return found;
    return nullptr;
}

// Taps the centre of an item the way a finger would.
bool tap(QQuickWindow* window, QQuickItem* item) {
    if (!item)
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

// Every text shown in the window, to check what the user reads.
void collectTexts(QQuickItem* item, QStringList& out) {
    if (!item || !item->isVisible())
        return;
    const QVariant text = item->property("text");
    if (text.isValid() && item->inherits("QQuickText") && !text.toString().isEmpty())
        out << text.toString();
    for (QQuickItem* child : item->childItems())
        collectTexts(child, out);
}
} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<StackScrollViewAppDelegate> m_app;
    QQuickWindow* m_window = nullptr;
    QtMessageHandler m_previousHandler = nullptr;
    QStringList m_shots;

    // Lets animations, fades and picture downloads settle, then saves the window.
    void shoot(const QString& name) {
        QTest::qWait(900);
        QDir dir(QCoreApplication::applicationDirPath());
        dir.cdUp();
        dir.mkpath(QStringLiteral("screenshots"));
        const QString path = dir.filePath(QStringLiteral("screenshots/") + name + QStringLiteral(".png"));
        const QImage image = m_window->grabWindow();
        QVERIFY2(image.size() == QSize(1024, 768), qPrintable(name));
        QVERIFY2(image.save(path), qPrintable(path));
        m_shots << path;
    }

    QStringList visibleTexts() const {
        QStringList texts;
        collectTexts(m_window->contentItem(), texts);
        return texts;
    }

    LoginViewController* login() const {
        return qobject_cast<LoginViewController*>(m_app->rootViewController()->loginViewController());
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
        collectedWarnings.clear();
        m_previousHandler = qInstallMessageHandler(collectWarnings);
    }

    void cleanupTestCase() {
        m_app.reset();
        qInstallMessageHandler(m_previousHandler);
        QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));
    }

    void aFreshTabletIsCoupledLoggedInShowsInfoAndLogsOut() {
        m_app = std::make_unique<StackScrollViewAppDelegate>();
        StackScrollViewAppDelegate::Options options;
        options.storePath = m_dir.filePath("RKCoreDataExample.sqlite");
        options.settingsPath = m_dir.filePath("settings.ini");
        options.serverUrl = m_server->url().toString();
        options.showWindow = true;
        QVERIFY(m_app->applicationDidFinishLaunching(options));
        QVERIFY(!m_app->qmlEngine()->rootObjects().isEmpty());
        m_window = qobject_cast<QQuickWindow*>(m_app->qmlEngine()->rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCOMPARE(m_window->size(), QSize(1024, 768));
        RootViewController* root = m_app->rootViewController();
        QVERIFY(root);

        // 1. A fresh tablet: the organisation login, full-screen.
        QVERIFY(login());
        QCOMPARE(login()->state(), LoginViewController::OrganisationLogin);
        QVERIFY(!root->isLoggedIn());
        QVERIFY(!findItem(m_window->contentItem(), "menuView"));
        login()->textFieldDidBeginEditing(1);
        login()->setUserName("Demo Opvang");
        login()->textFieldDidBeginEditing(2);
        login()->setPasswordText("s3cret%");
        shoot("01-organisation-login");

        // 2. The device profiles.
        login()->doLogin();
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::DeviceSelection, 30000);
        DeviceSelectionViewController* devices = login()->deviceSelection();
        QVERIFY(devices);
        const int profile = int(devices->names().indexOf("Tablet Onthaal"));
        QVERIFY(profile >= 0);
        devices->tableViewDidSelectRow(profile);
        shoot("02-device-profiles");

        // 3. Named; the locations arrive and are offered.
        devices->selectProfile();
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::LocationSelection, 30000);
        QCOMPARE(UserDefaults::standard().stringForKey("cc_ipadNaam"), QString("Tablet Onthaal"));
        shoot("03-location-list");

        // 4. The staff grid of the chosen location.
        SchoolChangerViewController* schools = login()->schoolChanger();
        QVERIFY(schools);
        int speelvogel = -1;
        for (int i = 0; i < schools->schoolList().size(); ++i)
            if (schools->schoolList().at(i).name == "De Speelvogel")
                speelvogel = i;
        QVERIFY(speelvogel >= 0);
        schools->tableViewDidSelectRow(speelvogel);
        QCOMPARE(login()->state(), LoginViewController::StaffGrid);
        QVERIFY(m_app->engine()->waitForIdle(60000));
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(login()->leerkrachten(), "An Peeters") >= 0, 30000);
        shoot("04-staff-grid");

        // 5. An ordinary staff member's tile logs in at once: the menu and the children overview's panel.
        login()->gridViewDidSelectItemAtIndex(rowOf(login()->leerkrachten(), "An Peeters"));
        QTRY_VERIFY(root->isLoggedIn());
        QVERIFY(root->canrotate());
        QTRY_VERIFY(!login());
        QVERIFY(Users::sharedUsers());
        const QString userId = Users::sharedUsers()->userId();
        QCOMPARE(Users::sharedUsers()->first_name(), QString("An"));
        QTRY_VERIFY(!findItem(m_window->contentItem(), "loginLoader") ||
                    !findItem(m_window->contentItem(), "loginLoader")->property("item").value<QObject*>());
        QVERIFY(m_app->engine()->waitForIdle(60000));
        QTRY_COMPARE(root->menuViewController()->statusView()->postParamsLabel(), QString("0"));
        shoot("05-menu-children-overview");
        QStringList texts = visibleTexts();
        for (const char* expected :
             {"Zoeken op naam", "Lijsten", "Nieuw kind", "Info", "Zoek medewerker", "Medewerker",
              "Welkom: An", "Demo Opvang", "Synchro Interval: 60", "Hier komt het scherm ‘Zoeken op naam’."})
            QVERIFY2(texts.contains(expected),
                     qPrintable(expected + QString(" not in ") + texts.join(" | ")));
        QVERIFY(!texts.contains("Admin"));
        QVERIFY2(texts.filter(QRegularExpression("^Geupdate: \\d+ \\w+ geleden$")).size() == 1,
                 qPrintable(texts.join(" | ")));
        QCOMPARE(findItem(m_window->contentItem(), "internetView")->property("color").value<QColor>().name(),
                 QColor(51, 102, 0).name());

        // 6. "Info" tapped in the menu.
        QVERIFY(tap(m_window, findItem(m_window->contentItem(), "menuEntry3")));
        QCOMPARE(root->menuViewController()->selectedOption(), 3);
        QCOMPARE(root->stackScrollViewController()->count(), 1);
        QVERIFY(qobject_cast<InfoViewController*>(root->stackScrollViewController()->screenAt(0)));
        shoot("06-info");
        QVERIFY(visibleTexts().contains("Info"));

        // 7. The staff member's own page, with its logout button.
        QVERIFY(tap(m_window, findItem(m_window->contentItem(), "menuEntry5")));
        QVERIFY(qobject_cast<PlaceholderViewController*>(root->stackScrollViewController()->screenAt(0)));
        shoot("07-own-page");
        QVERIFY(visibleTexts().contains("Hier komt het scherm ‘Medewerker’."));

        // 8. Logged out: a new login screen fades in on the staff grid, the staff member is clocked out.
        QVERIFY(tap(m_window, findItem(m_window->contentItem(), "logoutButton")));
        QVERIFY(!root->isLoggedIn());
        QVERIFY(!root->canrotate());
        QVERIFY(login());
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::StaffGrid, 30000);
        QTRY_VERIFY(!findItem(m_window->contentItem(), "menuView"));
        QVERIFY(m_app->engine()->waitForIdle(60000));
        shoot("08-logged-out");

        // Both of the staff member's registrations of this tablet reached the server.
        QStringList types;
        for (UserRegistration* r : m_app->dataAccessObject()->loadRegistrationsForUser(userId))
            if (r->ipadMacId() == Util::uniqueGlobalDeviceIdentifier())
                types << r->type();
        QCOMPARE(types, QStringList({"Out", "In"}));
        for (SynchroObject* s : m_app->dataAccessObject()->loadAllSynchroObjects())
            QCOMPARE(s->status(), 3);
        qInfo() << "screenshots:" << m_shots;
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
