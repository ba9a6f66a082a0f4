#pragma once
// The real app in its window, offscreen, against a reference server with the demo data: what every
// end-to-end test starts from. It couples the tablet and logs a staff member in by taps and key
// presses only, finds items the way a user does, takes screenshots and collects every warning logged
// on the way. Main thread only.
#include "WindowDriver.h"

#include <QQuickWindow>
#include <QStringList>
#include <QTemporaryDir>
#include <QSize>
#include <QTime>
#include <functional>
#include <memory>

class ReferenceServer;
class StackScrollViewAppDelegate;

class AppSession {
public:
    // Dutch (Belgium) as the device locale, a reference server started, warnings collected from here on.
    // With a valid clockAt the app's clock runs from that time today (until finish()), so that times
    // picked hours earlier or later stay on today whenever the test runs.
    explicit AppSession(QTime clockAt = QTime());
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    // The window's size in logical pixels from launch on (default 1024 x 768).
    void setWindowSize(QSize size) { m_size = size; }
    // Called with a screen's name at each step of coupleAndLogIn, once the screen is shown: lets a
    // test look at the login screens without driving them itself.
    void onScreen(std::function<void(const QString&)> visit) { m_visit = std::move(visit); }

    struct Launch {
        bool serverOnCommandLine = true; // false: the app knows no server and asks for its address
        bool kiosk = false;
    };
    // Launches the app with its window shown. False (see error()) when the window did not come up.
    bool launch(Launch how);
    bool launch() { return launch(Launch{}); }
    // Couples to "Demo Opvang" as "Tablet Onthaal", picks "De Speelvogel" and logs staff in (with
    // password when not empty: an administrator), then waits for the first checks. False on any
    // step that did not happen; error() names it.
    bool coupleAndLogIn(const QString& staff, const QString& password = QString());
    QString error() const { return m_error; }

    StackScrollViewAppDelegate* app() const { return m_app.get(); }
    ReferenceServer* server() const { return m_server.get(); }
    // Stops the reference server for good: from here on the app has no network (server() is null).
    void stopServer();
    QQuickWindow* window() const { return m_window; }

    // The visible item of that name, or the visible text item showing exactly that text.
    QQuickItem* item(const QString& name) const;
    QQuickItem* text(const QString& shown) const;
    bool tapItem(const QString& name) const;
    bool tapText(const QString& shown) const;
    // Whether the named item is shown wholly inside the window.
    bool onScreen(const QString& name) const;
    // Taps menu entry n, through the drawer when the menu is folded away (upright), with the given
    // finger (a mouse tap when none), and waits for the drawer to go.
    bool openMenuEntry(int entry, const std::function<bool(QQuickItem*)>& tapWith = {}) const;
    // Waits for the named item to be on screen; upright, where one panel shows at a time, "Verder"
    // brings the next panel forward when it does not come by itself.
    bool bringIntoView(const QString& name, const std::function<bool(QQuickItem*)>& tapWith = {}) const;
    // A finger on the field gives it the keyboard, then the keys. False when the field never got it.
    bool typeInto(const QString& field, const QString& keys) const;
    // Every text the window shows.
    QStringList visibleTexts() const;
    // Lets animations and pictures settle, then saves <build>/screenshots/<name>.png (the window's
    // size times its pixel ratio).
    bool shoot(const QString& name) const;
    // The folder the app's photo grid shows (not made until a test puts pictures in it).
    QString picturesFolder() const { return m_dir.filePath(QStringLiteral("Pictures")); }
    // In an open photo picker: "Foto gallerij", then a tap on the picture of that file name in the grid
    // (scrolled into sight). False when there is no such picture to tap.
    bool pickFromGallery(const QString& fileName) const;

    // Ends the app (before the server goes), gives the clock back, and hands over the warnings logged
    // since construction, less those starting with one of the expected texts.
    QStringList finish(const QStringList& expected = {});

private:
    bool fail(const QString& step);
    void visit(const QString& screen) const {
        if (m_visit)
            m_visit(screen);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<WindowDriver::WarningCollector> m_warnings;
    std::unique_ptr<StackScrollViewAppDelegate> m_app;
    QQuickWindow* m_window = nullptr;
    QString m_error;
    bool m_clockSet = false;
    QSize m_size{1024, 768};
    std::function<void(const QString&)> m_visit;
};
