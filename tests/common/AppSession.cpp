#include "AppSession.h"

#include "Clock.h"
#include "MainSynchroObject.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"

#include <QQmlApplicationEngine>
#include <QtTest>

using namespace WindowDriver;

namespace {
constexpr int kNetworkMs = 30000;
constexpr int kDownloadMs = 120000;
} // namespace

AppSession::AppSession(QTime clockAt) {
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    if (clockAt.isValid()) {
        Clock::advanceMs(QDateTime(QDate::currentDate(), clockAt).toMSecsSinceEpoch() -
                         QDateTime::currentMSecsSinceEpoch());
        m_clockSet = true;
    }
    m_server = std::make_unique<ReferenceServer>();
    m_warnings = std::make_unique<WarningCollector>();
}

AppSession::~AppSession() {
    finish();
}

bool AppSession::fail(const QString& step) {
    m_error = step;
    return false;
}

bool AppSession::launch(Launch how) {
    if (!m_server->isRunning())
        return fail("the reference server did not start");
    m_app = std::make_unique<StackScrollViewAppDelegate>();
    StackScrollViewAppDelegate::Options options;
    options.storePath = m_dir.filePath("RKCoreDataExample.sqlite");
    options.settingsPath = m_dir.filePath("settings.ini");
    if (how.serverOnCommandLine)
        options.serverUrl = m_server->url().toString();
    options.kiosk = how.kiosk;
    options.picturesFolder = picturesFolder();
    options.showWindow = true;
    if (!m_app->applicationDidFinishLaunching(options) || m_app->qmlEngine()->rootObjects().isEmpty())
        return fail("the app did not start");
    m_window = qobject_cast<QQuickWindow*>(m_app->qmlEngine()->rootObjects().first());
    if (!m_window)
        return fail("the window was not shown");
    // A kiosk covers its screen, whatever size was asked.
    if (!how.kiosk)
        m_window->resize(m_size);
    if (!QTest::qWaitForWindowExposed(m_window) ||
        !QTest::qWaitFor([&] { return how.kiosk || m_window->size() == m_size; }))
        return fail("the window was not shown");
    return true;
}

bool AppSession::coupleAndLogIn(const QString& staff, const QString& password) {
    if (!m_window && !launch())
        return false;
    RootViewController* root = m_app->rootViewController();
    if (!typeInto("nameField", "Demo Opvang") || !typeInto("passwordField", "s3cret%") ||
        (visit("organisation-login"), !tapItem("okButton")))
        return fail("the organisation login could not be filled in");
    if (!QTest::qWaitFor([&] { return text("Tablet Onthaal"); }, kNetworkMs) || !tapText("Tablet Onthaal") ||
        (visit("device-profiles"), !tapText("Bewaar")))
        return fail("no device profile to choose");
    if (!QTest::qWaitFor([&] { return text("De Speelvogel"); }, kNetworkMs) ||
        (visit("locations"), !tapText("De Speelvogel")))
        return fail("no location to choose");
    if (!m_app->engine()->waitForIdle(60000))
        return fail("the first download did not end");
    QQuickItem* grid = nullptr;
    if (!QTest::qWaitFor([&] { return text(staff); }, kDownloadMs) || !QTest::qWaitFor([&] {
            grid = findItem(m_window->contentItem(), "staffGridPart", false);
            return grid && grid->opacity() == 1.0;
        }) ||
        (visit("staff-grid"), !tapText(staff)))
        return fail(staff + " is not on the staff grid");
    if (!password.isEmpty()) {
        if (!QTest::qWaitFor(
                [&] { return item("passwordField") && item("passwordField")->hasActiveFocus(); }))
            return fail("no password asked");
        typeKeys(m_window, password);
        visit("admin-password");
        if (!tapItem("okButton"))
            return fail("no OK button for the password");
    }
    if (!QTest::qWaitFor([&] { return root->isLoggedIn(); }) || !QTest::qWaitFor([&] {
            return !item("loginLoader") || !item("loginLoader")->property("item").value<QObject*>();
        }))
        return fail(staff + " was not logged in");
    if (!m_app->engine()->waitForIdle(60000))
        return fail("the checks after the login did not end");
    return true;
}

void AppSession::stopServer() {
    m_server.reset();
}

QQuickItem* AppSession::item(const QString& name) const {
    return m_window ? findItem(m_window->contentItem(), name) : nullptr;
}

QQuickItem* AppSession::text(const QString& shown) const {
    return m_window ? findText(m_window->contentItem(), shown) : nullptr;
}

bool AppSession::tapItem(const QString& name) const {
    return tap(m_window, item(name));
}

bool AppSession::tapText(const QString& shown) const {
    return tap(m_window, text(shown));
}

bool AppSession::onScreen(const QString& name) const {
    QQuickItem* it = item(name);
    return it && QRect(QPoint(0, 0), m_window->size()).contains(sceneRect(it));
}

bool AppSession::openMenuEntry(int entry, const std::function<bool(QQuickItem*)>& tapWith) const {
    const auto press = [&](const QString& name) {
        return tapWith ? tapWith(item(name)) : tap(m_window, item(name));
    };
    const QString name = QStringLiteral("menuEntry%1").arg(entry);
    const bool drawer = !onScreen(name);
    if (drawer && (!press(QStringLiteral("menuButton")) || !QTest::qWaitFor([&] { return onScreen(name); })))
        return false;
    // The drawer closes on the choice; until it is gone it takes the taps.
    return press(name) && (!drawer || QTest::qWaitFor([&] { return !item(QStringLiteral("menuView")); }));
}

bool AppSession::bringIntoView(const QString& name, const std::function<bool(QQuickItem*)>& tapWith) const {
    if (QTest::qWaitFor([&] { return onScreen(name); }, 1500))
        return true;
    const QString forward = QStringLiteral("forwardButton");
    if (!onScreen(forward) || !(tapWith ? tapWith(item(forward)) : tap(m_window, item(forward))))
        return false;
    return QTest::qWaitFor([&] { return onScreen(name); });
}

bool AppSession::typeInto(const QString& field, const QString& keys) const {
    if (!tapItem(field) || !QTest::qWaitFor([&] { return item(field) && item(field)->hasActiveFocus(); }))
        return false;
    typeKeys(m_window, keys);
    return true;
}

QStringList AppSession::visibleTexts() const {
    QStringList texts;
    if (m_window)
        collectTexts(m_window->contentItem(), texts);
    return texts;
}

bool AppSession::shoot(const QString& name) const {
    QTest::qWait(900); // animations, fades and pictures settle
    const QImage shot = m_window->grabWindow();
    return shot.size() == m_window->size() * m_window->devicePixelRatio() && shot.save(screenshotPath(name));
}

bool AppSession::pickFromGallery(const QString& fileName) const {
    if (!QTest::qWaitFor([&] { return text(QStringLiteral("Foto gallerij")); }) ||
        !tapText(QStringLiteral("Foto gallerij")))
        return false;
    QQuickItem* grid = nullptr;
    if (!QTest::qWaitFor([&] { return (grid = item(QStringLiteral("photoGridView"))) != nullptr; }))
        return false;
    const QAbstractItemModel* photos = grid->property("model").value<QAbstractItemModel*>();
    if (!photos || !QTest::qWaitFor([&] { return photos->rowCount() > 0; }))
        return false;
    int row = -1;
    for (int i = 0; i < photos->rowCount() && row < 0; ++i)
        if (photos->index(i, 0).data(photos->roleNames().key("name")).toString() == fileName)
            row = i;
    if (row < 0)
        return false;
    QMetaObject::invokeMethod(grid, "positionViewAtIndex", Q_ARG(int, row), Q_ARG(int, 4)); // GridView.Contain
    QQuickItem* cell = nullptr;
    if (!QTest::qWaitFor([&] { return (cell = item(QStringLiteral("photoCell%1").arg(row))) != nullptr; }))
        return false;
    QTest::qWait(50); // the grid settles where it was put
    return tap(m_window, cell);
}

QStringList AppSession::finish(const QStringList& expected) {
    m_app.reset();
    m_window = nullptr;
    if (m_clockSet)
        Clock::reset();
    m_clockSet = false;
    QStringList warnings = m_warnings ? m_warnings->warnings() : QStringList();
    m_warnings.reset();
    warnings.removeIf([&](const QString& warning) {
        return std::any_of(expected.begin(), expected.end(),
                           [&](const QString& start) { return warning.startsWith(start); });
    });
    return warnings;
}
