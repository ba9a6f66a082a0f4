// The real app, offscreen, against the reference server, driven only by taps and key presses in the
// window: a fresh tablet is coupled to the demo organisation, a profile and a location are picked, an
// administrator gets her password wrong once and then right, goes through the menu and logs out, and an
// ordinary staff member logs in by a tap. Where a layout fault would show, the window's pixels are
// checked. Every state is saved as <build>/screenshots/<nn>-<state>.png and no QML warning may appear
// on the way.
#include "Clock.h"
#include "DataAccessObject.h"
#include "InfoViewController.h"
#include "LoginViewController.h"
#include "MainSynchroObject.h"
#include "ProfilePageViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "UserDefaults.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;

namespace {
// The bounding box of the pixels in area that clearly differ from ground: a label, an icon.
QRect inkBox(const QImage& image, const QRect& area, QRgb ground) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int diff = std::max({std::abs(qRed(p) - qRed(ground)), std::abs(qGreen(p) - qGreen(ground)),
                                       std::abs(qBlue(p) - qBlue(ground))});
            if (diff > 60)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// A button's label (with its icon) sits in the middle: empty as wide left as right, within 3 pixels.
QString offCentre(const QImage& image, const QQuickItem* button) {
    // Inside the border and clear of the rounded corners.
    const QRect area = sceneRect(button).adjusted(6, 8, -6, -8);
    const QRect ink = inkBox(image, area, image.pixel(area.left(), area.center().y()));
    const int left = ink.left() - area.left();
    const int right = area.right() - ink.right();
    if (!ink.isEmpty() && std::abs(left - right) <= 3)
        return QString();
    return QStringLiteral("label of %1 at x %2..%3 in %4..%5")
        .arg(button->objectName())
        .arg(ink.left())
        .arg(ink.right())
        .arg(area.left())
        .arg(area.right());
}

// The height the words of a menu entry take, icon and glow mark left out.
int labelInkHeight(const QImage& image, const QQuickItem* entry) {
    const QRect rect = sceneRect(entry);
    const QRect area(rect.left() + 46, rect.top() + 1, rect.width() - 47, rect.height() - 2);
    return inkBox(image, area, image.pixel(rect.right() - 1, rect.center().y())).height();
}
} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<StackScrollViewAppDelegate> m_app;
    QQuickWindow* m_window = nullptr;
    std::unique_ptr<WarningCollector> m_warnings;
    QStringList m_shots;

    QImage m_shot; // the last screenshot, for the pixel checks

    // Lets animations, fades and picture downloads settle, then saves the window.
    void shoot(const QString& name) {
        QTest::qWait(900);
        const QString path = screenshotPath(name);
        m_shot = m_window->grabWindow();
        QVERIFY2(m_shot.size() == QSize(1024, 768), qPrintable(name));
        QVERIFY2(m_shot.save(path), qPrintable(path));
        m_shots << path;
    }

    QQuickItem* item(const QString& objectName) const {
        return findItem(m_window->contentItem(), objectName);
    }
    QQuickItem* text(const QString& shown) const { return findText(m_window->contentItem(), shown); }
    qreal opacityOf(const QString& objectName) const {
        QQuickItem* found = findItem(m_window->contentItem(), objectName, false);
        return found ? found->opacity() : -1;
    }

    // A finger on the field gives it the keyboard; then the keys.
    void typeInto(const QString& field, const QString& keys) {
        QVERIFY2(tap(m_window, item(field)), qPrintable(field));
        QTRY_VERIFY2(item(field)->hasActiveFocus(), qPrintable(field));
        typeKeys(m_window, keys);
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
        m_warnings = std::make_unique<WarningCollector>();
    }

    void cleanupTestCase() {
        m_app.reset();
        const QStringList warnings = m_warnings->warnings();
        m_warnings.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void aFreshTabletIsCoupledAndStaffLogInAndOut() {
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
        QVERIFY(!item("menuView"));
        typeInto("nameField", "Demo Opvang");
        typeInto("passwordField", "s3cret%");
        QCOMPARE(login()->userName(), QString("Demo Opvang"));
        shoot("01-organisation-login");

        // 2. The device profiles.
        QVERIFY(tap(m_window, item("okButton")));
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::DeviceSelection, 30000);
        QTRY_VERIFY(text("Tablet Onthaal"));
        QVERIFY(tap(m_window, text("Tablet Onthaal")));
        shoot("02-device-profiles");

        // 3. Named; the locations arrive and are offered.
        QVERIFY(tap(m_window, text("Bewaar")));
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::LocationSelection, 30000);
        QCOMPARE(UserDefaults::standard().stringForKey("cc_ipadNaam"), QString("Tablet Onthaal"));
        QTRY_VERIFY(text("De Speelvogel"));
        shoot("03-location-list");

        // 4. The staff grid of the chosen location fades in.
        QVERIFY(tap(m_window, text("De Speelvogel")));
        QCOMPARE(login()->state(), LoginViewController::StaffGrid);
        QVERIFY(opacityOf("staffGridPart") >= 0 && opacityOf("staffGridPart") < 0.5);
        QTRY_COMPARE(opacityOf("staffGridPart"), 1.0);
        QVERIFY(m_app->engine()->waitForIdle(60000));
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens") && text("An Peeters"), 30000);
        shoot("04-staff-grid");
        QVERIFY2(offCentre(m_shot, item("locationButton")).isEmpty(),
                 qPrintable(offCentre(m_shot, item("locationButton"))));

        // 5. An administrator's tile: the password panel, her name fixed and greyed, the keys go to the
        // password. A wrong password is refused and emptied; the right one, typed once, logs her in.
        QVERIFY(tap(m_window, text("Els Janssens")));
        QTRY_COMPARE(opacityOf("passwordPanel"), 1.0);
        QTRY_VERIFY(item("passwordField")->hasActiveFocus());
        typeKeys(m_window, "Geheim");
        shoot("05-admin-password");
        for (const char* button : {"okButton", "cancelButton"})
            QVERIFY2(offCentre(m_shot, item(button)).isEmpty(), qPrintable(offCentre(m_shot, item(button))));
        QQuickItem* name = item("nameField");
        QCOMPARE(name->property("text").toString(), QString("Els Janssens"));
        const QRect nameRect = sceneRect(name);
        const QRect nameInk =
            inkBox(m_shot, nameRect, m_shot.pixel(nameRect.right() - 4, nameRect.center().y()));
        QVERIFY2(m_shot.pixel(nameRect.right() - 4, nameRect.center().y()) != QColor(Qt::white).rgb(),
                 "the fixed name's field is not greyed");
        int darkest = 255;
        for (int y = nameInk.top(); y <= nameInk.bottom(); ++y)
            for (int x = nameInk.left(); x <= nameInk.right(); ++x)
                darkest = std::min(darkest, qGray(m_shot.pixel(x, y)));
        QVERIFY2(darkest > 80, qPrintable(QString("the fixed name is drawn in full ink (%1)").arg(darkest)));

        QVERIFY(tap(m_window, item("okButton")));
        QTRY_VERIFY(text("Gelieve het correcte paswoord in te geven."));
        QCOMPARE(item("passwordField")->property("text").toString(), QString());
        shoot("06-wrong-password");
        QTRY_VERIFY_WITH_TIMEOUT(!text("Gelieve het correcte paswoord in te geven."), 5000);
        QVERIFY(!root->isLoggedIn());
        QVERIFY(item("passwordField")->hasActiveFocus());
        typeKeys(m_window, "geheim");
        QVERIFY(tap(m_window, item("okButton")));
        QTRY_VERIFY(root->isLoggedIn());
        QVERIFY(root->canrotate());
        QTRY_VERIFY(!login());
        QVERIFY(Users::sharedUsers());
        const QString userId = Users::sharedUsers()->userId();
        QCOMPARE(Users::sharedUsers()->first_name(), QString("Els"));
        QTRY_VERIFY(!item("loginLoader") || !item("loginLoader")->property("item").value<QObject*>());
        QVERIFY(m_app->engine()->waitForIdle(60000));
        QTRY_COMPARE(root->menuViewController()->statusView()->postParamsLabel(), QString("0"));
        shoot("07-menu-children-overview");
        QStringList texts = visibleTexts();
        for (const char* expected : {"Zoeken op naam", "Lijsten", "Nieuw kind", "Info", "Zoek medewerker",
                                     "Medewerker", "Admin", "Welkom: Els", "Demo Opvang", "Filter op groep"})
            QVERIFY2(texts.contains(expected),
                     qPrintable(expected + QString(" not in ") + texts.join(" | ")));
        QVERIFY2(texts.filter(QRegularExpression("^Geupdate: \\d+ \\w+ geleden$")).size() == 1,
                 qPrintable(texts.join(" | ")));
        QCOMPARE(item("internetView")->property("color").value<QColor>().name(), QColor(51, 102, 0).name());

        // 6. Every menu entry, chosen in turn, keeps the lines its words take.
        for (int entry : {1, 2, 3, 4, 5, 6, 0}) {
            QQuickItem* row = item(QStringLiteral("menuEntry%1").arg(entry));
            QVERIFY(row);
            const int plain = labelInkHeight(m_window->grabWindow(), row);
            QVERIFY(tap(m_window, row));
            QCOMPARE(root->menuViewController()->selectedOption(), entry);
            const int chosen = labelInkHeight(m_window->grabWindow(), row);
            QVERIFY2(plain > 8 && std::abs(plain - chosen) <= 3,
                     qPrintable(QString("entry %1: words %2 px high, %3 px when chosen")
                                    .arg(entry)
                                    .arg(plain)
                                    .arg(chosen)));
        }

        // 7. "Info" tapped in the menu.
        QVERIFY(tap(m_window, item("menuEntry3")));
        QCOMPARE(root->menuViewController()->selectedOption(), 3);
        QCOMPARE(root->stackScrollViewController()->count(), 1);
        QVERIFY(qobject_cast<InfoViewController*>(root->stackScrollViewController()->screenAt(0)));
        shoot("08-info");
        QVERIFY(visibleTexts().contains("Info"));

        // 8. The staff member's own page, with its logout button.
        QVERIFY(tap(m_window, item("menuEntry5")));
        auto* ownPage =
            qobject_cast<ProfilePageViewController*>(root->stackScrollViewController()->screenAt(0));
        QVERIFY(ownPage);
        shoot("09-own-page");
        QVERIFY(visibleTexts().contains(ownPage->naamLabel()));
        QVERIFY2(offCentre(m_shot, item("logoutButton")).isEmpty(),
                 qPrintable(offCentre(m_shot, item("logoutButton"))));

        // 9. Logged out: a new login screen fades in on the staff grid, the staff member is clocked out.
        // In the evening the demo's children are still In: the reminder asks first.
        QVERIFY(tap(m_window, item("logoutButton")));
        if (root->isLoggedIn()) {
            QVERIFY(Clock::now().time() >= RootViewController::reminderFrom());
            QTRY_VERIFY(item("alertButton1"));
            QVERIFY(tap(m_window, item("alertButton1"))); // "Afmelden"
        }
        QVERIFY(!root->isLoggedIn());
        QVERIFY(!root->canrotate());
        QVERIFY(login());
        QTRY_COMPARE_WITH_TIMEOUT(login()->state(), LoginViewController::StaffGrid, 30000);
        QTRY_VERIFY(!item("menuView"));
        QVERIFY(m_app->engine()->waitForIdle(60000));
        shoot("10-logged-out");

        // Both of the staff member's registrations of this tablet reached the server.
        QStringList types;
        for (UserRegistration* r : m_app->dataAccessObject()->loadRegistrationsForUser(userId))
            if (r->ipadMacId() == Util::uniqueGlobalDeviceIdentifier())
                types << r->type();
        QCOMPARE(types, QStringList({"Out", "In"}));
        for (SynchroObject* s : m_app->dataAccessObject()->loadAllSynchroObjects())
            QCOMPARE(s->status(), 3);

        // 10. An ordinary staff member's tile logs in at once, to a menu without "Admin".
        QTRY_VERIFY(text("An Peeters"));
        QVERIFY(tap(m_window, text("An Peeters")));
        QTRY_VERIFY(root->isLoggedIn());
        QCOMPARE(Users::sharedUsers()->first_name(), QString("An"));
        shoot("11-ordinary-staff-menu");
        texts = visibleTexts();
        QVERIFY2(texts.contains("Welkom: An") && !texts.contains("Admin"), qPrintable(texts.join(" | ")));
        qInfo() << "screenshots:" << m_shots;
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
