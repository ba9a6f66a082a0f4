// A whole shift on a tablet without a keyboard, by touch events only, in the real window against the
// reference server, landscape at 1280 x 800 and upright at 768 x 1024: the tablet coupled (organisation
// name and password typed on the on-screen keyboard), a device profile and a location picked, the
// administrator's password, a child searched, clocked in and out, a new child with a photo, logged out.
// No key event is sent except by the on-screen keyboard's keys. Screenshots at each step:
// <build>/screenshots/shift-<size>-<n>-<step>.png.
#include "AppSession.h"
#include "MainSynchroObject.h"
#include "MenuViewController.h"
#include "OnScreenKeys.h"
#include "PanelReader.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "StatusView.h"
#include "WindowDriver.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;
namespace Keys = OnScreenKeys;

class TestShiftEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;
    QString m_size;
    int m_shot = 0;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tap(QQuickItem* it) const { return Keys::touchTap(m_window, it); }
    bool tap(const QString& name) const { return tap(item(name)); }
    bool tapText(const QString& shown) const { return tap(text(shown)); }
    // Taps until the item goes, as a person does when a busy screen let the first tap pass.
    bool tapAway(const QString& name) const {
        for (int attempt = 0; attempt < 10 && item(name); ++attempt)
            if (!tap(name) || QTest::qWaitFor([&] { return !item(name); }, 300))
                break;
        return !item(name);
    }
    // A finger on the field, then its text on the keys.
    bool typeInto(const QString& field, const QString& typed) const {
        for (int attempt = 0; attempt < 2; ++attempt)
            if (tap(field) && QTest::qWaitFor([&] { return item(field) && item(field)->hasActiveFocus(); }, 1500))
                return Keys::waitShown(m_window, true) && Keys::type(m_window, typed);
        return false;
    }
    void shoot(const QString& step) {
        QTest::qWait(1100); // fades and pictures settle
        const QImage shot = m_window->grabWindow();
        QCOMPARE(shot.size(), m_window->size());
        QVERIFY(shot.save(screenshotPath(QString("shift-%1-%2-%3").arg(m_size).arg(++m_shot).arg(step))));
    }

public:
    static void initMain() {
        qputenv("QT_IM_MODULE", "qtvirtualkeyboard");
    }

private slots:
    void aShiftByTouch_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1280x800") << QSize(1280, 800);
        QTest::newRow("768x1024") << QSize(768, 1024);
    }
    void aShiftByTouch() {
        QFETCH(QSize, size);
        m_size = QTest::currentDataTag();
        m_shot = 0;
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        m_session->setWindowSize(size);
        QVERIFY2(m_session->launch(), qPrintable(m_session->error()));
        m_window = m_session->window();
        QTRY_COMPARE(m_window->contentItem()->size(), QSizeF(size));
        RootViewController* root = m_session->app()->rootViewController();

        // 1. Coupling: the organisation's name and password on the keys, Enter from one to the other.
        QTRY_VERIFY(item("nameField"));
        QVERIFY(typeInto("nameField", "Demo Opvang"));
        QVERIFY(Keys::enter(m_window));
        QTRY_VERIFY(item("passwordField")->hasActiveFocus());
        QVERIFY(Keys::type(m_window, "s3cret%"));
        shoot("coupling");
        QVERIFY(tap("okButton"));

        // 2. The device profile and the location.
        QTRY_VERIFY_WITH_TIMEOUT(text("Tablet Onthaal"), 30000);
        QVERIFY(Keys::waitShown(m_window, false));
        QVERIFY(tapText("Tablet Onthaal"));
        shoot("profile");
        QVERIFY(tapText("Bewaar"));
        QTRY_VERIFY_WITH_TIMEOUT(text("De Speelvogel"), 30000);
        shoot("location");
        QVERIFY(tapText("De Speelvogel"));
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));

        // 3. The administrator's tile and password.
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens"), 120000);
        QTRY_COMPARE(findItem(m_window->contentItem(), "staffGridPart", false)->opacity(), 1.0);
        shoot("staff");
        QVERIFY(tapText("Els Janssens"));
        QTRY_VERIFY(item("passwordField") && item("passwordField")->hasActiveFocus());
        QVERIFY(Keys::waitShown(m_window, true) && Keys::type(m_window, "geheim"));
        shoot("administrator");
        QVERIFY(tap("okButton"));
        QTRY_VERIFY(root->isLoggedIn());
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));
        QVERIFY(Keys::waitShown(m_window, false));
        // Upright the menu is folded into the closed drawer: its status line's clock rests meanwhile.
        QTRY_COMPARE(root->menuViewController()->statusView()->clockTimer().isActive(), size.width() > size.height());

        // 4. A child searched by name; Enter closes the keyboard over the list.
        QTRY_VERIFY(item("searchField"));
        QVERIFY(typeInto("searchField", "Wouters"));
        QVERIFY(Keys::enter(m_window));
        QVERIFY(Keys::waitShown(m_window, false));
        QString child;
        QTRY_VERIFY(!PanelReader::rowsInView(*m_session).isEmpty());
        for (QQuickItem* row : PanelReader::rowsInView(*m_session))
            if (child.isEmpty() && PanelReader::iconOf(*m_session, row->property("name").toString()).isEmpty())
                child = row->property("name").toString();
        QVERIFY2(child.startsWith("Wouters "), qPrintable(child));
        shoot("search");

        // 5. Clocked in at "Nu" (one child, now: nothing to confirm), then out; each clocking confirmed
        // by the undo bar.
        QVERIFY(tap(PanelReader::rowOf(*m_session, child)));
        QTRY_VERIFY(item("enterButton"));
        shoot("child");
        QVERIFY(tap("enterButton"));
        QTRY_COMPARE_WITH_TIMEOUT(PanelReader::iconOf(*m_session, child), QString("In"), 10000);
        QTRY_VERIFY(item("undoBar"));
        shoot("clocked-in");
        // Upright the panel lies over the list: "Terug" uncovers it, and the panel comes back with
        // the child chosen (by itself, or by "Verder").
        if (m_session->onScreen("backButton")) {
            QVERIFY(tap("backButton"));
            QTRY_VERIFY(!m_session->onScreen("exitButton"));
        }
        QVERIFY(tap(PanelReader::rowOf(*m_session, child)));
        QVERIFY(m_session->bringIntoView("exitButton", [this](QQuickItem* it) { return tap(it); }));
        QVERIFY(tap("exitButton"));
        QTRY_COMPARE_WITH_TIMEOUT(PanelReader::iconOf(*m_session, child), QString("Out"), 10000);
        QTRY_VERIFY(item("undoBar"));
        shoot("clocked-out");

        // 6. A new child: names on the keys, a photo by taps, "Bewaar".
        QVERIFY(m_session->openMenuEntry(2, [this](QQuickItem* it) { return tap(it); }));
        QTRY_VERIFY(item("voorNaamTextField") && item("saveButton"));
        QVERIFY(typeInto("voorNaamTextField", "Mila"));
        QVERIFY(Keys::enter(m_window));
        QTRY_VERIFY(item("familieNaamTextField")->hasActiveFocus());
        QVERIFY(Keys::type(m_window, "Zwartjes"));
        shoot("newchild");
        // A tap beside the fields puts the keyboard away; the photo is in sight again.
        QVERIFY(tap("extraInfoLabel") && Keys::waitShown(m_window, false));
        pickPhotoByTaps();
        QCOMPARE(item("voorNaamTextField")->property("text").toString() + " " +
                     item("familieNaamTextField")->property("text").toString(),
                 QString("Mila Zwartjes"));
        shoot("photo-chosen");
        QVERIFY(tap("saveButton"));
        QTRY_VERIFY(text("Succes"));
        shoot("newchild-saved");
        QVERIFY(tapAway("alertButton0"));
        QTRY_VERIFY(item("naamLabel") && item("naamLabel")->property("text").toString().startsWith("Mila "));

        // 7. Logged out from the staff member's own page.
        QVERIFY(m_session->openMenuEntry(5, [this](QQuickItem* it) { return tap(it); }));
        QTRY_VERIFY(item("logoutButton"));
        shoot("own-page");
        QVERIFY(tap("logoutButton"));
        QTRY_VERIFY(!root->isLoggedIn());
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens"), 30000);
        shoot("logged-out");

        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
    void cleanup() { m_session.reset(); }

private:
    // The photo from the pictures folder's grid, by taps: "Foto gallerij", then the picture's cell.
    void pickPhotoByTaps() {
        const QString pictures = m_session->picturesFolder();
        QVERIFY(QDir().mkpath(pictures));
        QImage picture(1200, 900, QImage::Format_RGB32);
        picture.fill(QColor(230, 120, 40));
        QVERIFY(picture.save(pictures + "/mila.jpg", "JPG"));
        QVERIFY(tap("imageView"));
        QTRY_VERIFY(text("Foto gallerij"));
        shoot("photo-picker");
        QVERIFY(tapText("Foto gallerij"));
        QTRY_VERIFY_WITH_TIMEOUT(item("photoCell0"), 10000);
        shoot("photo-folder");
        QVERIFY(tap("photoCell0"));
        QTRY_VERIFY(!item("mediaPickerView"));
        QVERIFY(!item("photoGrid"));
        QTRY_VERIFY(findItem(item("imageView"), "photo", false) && findItem(item("imageView"), "photo", false)->isVisible());
    }
};

QTEST_MAIN(TestShiftEndToEnd)
#include "tst_shift_endtoend.moc"
