// Typing with the on-screen keyboard in the real window, offscreen (no keyboard listed: "auto" shows
// it), at 1024 x 768 and upright at 768 x 1024: every form focused by a finger, typed by tapping keys,
// with the field and the form's "OK"/"Bewaar" above the keyboard; Enter moves on or saves; a tap
// beside the field closes the keyboard; "off" never shows it, and a real keyboard's keys type then. Screenshots:
// <build>/screenshots/keyboard-<size>-<n>-<form>.png.
#include "AppSession.h"
#include "MainSynchroObject.h"
#include "OnScreenKeyboard.h"
#include "OnScreenKeys.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"
#include "WindowDriver.h"

#include <QtTest>

using namespace WindowDriver;
namespace Keys = OnScreenKeys;

class TestKeyboardEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;
    QString m_size;
    int m_shot = 0;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tap(const QString& name) const { return Keys::touchTap(m_window, item(name)); }
    bool tapText(const QString& shown) const { return Keys::touchTap(m_window, text(shown)); }

    // Whole on the screen and above the keyboard's upper edge.
    bool aboveKeyboard(const QString& name) const {
        QQuickItem* panel = Keys::shownPanel(m_window);
        QQuickItem* it = item(name);
        if (!panel || !it)
            return false;
        const QRect at = sceneRect(it);
        const qreal top = m_window->height() - panel->height();
        return at.top() >= 0 && at.left() >= 0 && at.right() <= m_window->width() && at.bottom() <= top;
    }
    // Where the items and the keyboard are, for a failure's message.
    QByteArray where(const QStringList& names) const {
        QStringList out;
        QQuickItem* panel = Keys::shownPanel(m_window);
        out << QString("keyboard top %1").arg(panel ? m_window->height() - panel->height() : -1);
        for (const QString& name : names) {
            const QRect r = item(name) ? sceneRect(item(name)) : QRect();
            out << QString("%1 %2,%3 %4x%5").arg(name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        return out.join("; ").toUtf8();
    }
    // A finger on the field: it gets the focus and the keyboard comes up. A screen that is still
    // settling may give its own focus after the first tap: a second tap, as a person would.
    bool focusByTap(const QString& field) const {
        for (int attempt = 0; attempt < 2; ++attempt)
            if (tap(field) && QTest::qWaitFor([&] { return item(field) && item(field)->hasActiveFocus(); }, 1500))
                return Keys::waitShown(m_window, true);
        return false;
    }
    bool hasFocus(const QString& field) const {
        return QTest::qWaitFor([&] { return item(field) && item(field)->hasActiveFocus(); });
    }
    // Taps until the item goes, as a person does when a busy screen let the first tap pass.
    bool tapAway(const QString& name) const {
        for (int attempt = 0; attempt < 10 && item(name); ++attempt)
            if (!tap(name) || QTest::qWaitFor([&] { return !item(name); }, 300))
                break;
        return !item(name);
    }
    QString textOf(const QString& field) const { return item(field)->property("text").toString(); }
    void shoot(const QString& name) {
        QTest::qWait(600);
        QVERIFY(m_window->grabWindow().save(screenshotPath(QString("keyboard-%1-%2-%3").arg(m_size).arg(++m_shot).arg(name))));
    }

public:
    // The keyboard's input method is loaded with the application object, as main() does.
    static void initMain() { qputenv("QT_IM_MODULE", "qtvirtualkeyboard"); }

private slots:
    void everyFormIsTypedOnTheKeys_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1024x768") << QSize(1024, 768);
        QTest::newRow("768x1024") << QSize(768, 1024);
    }
    void everyFormIsTypedOnTheKeys() {
        QFETCH(QSize, size);
        m_size = QTest::currentDataTag();
        m_shot = 0;
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        m_session->setWindowSize(size);
        QVERIFY2(m_session->launch(), qPrintable(m_session->error()));
        m_window = m_session->window();
        QTRY_COMPARE(m_window->contentItem()->size(), QSizeF(size));
        QVERIFY(OnScreenKeyboard::available());

        // 1. The organisation login: the name field has the focus from the start, and so the keyboard
        // is up; name, Enter, password, Enter logs in.
        QTRY_VERIFY(item("nameField") && item("nameField")->hasActiveFocus());
        QVERIFY(Keys::waitShown(m_window, true));
        // The keys as they first come up: shift and Enter work without a tap on the field first.
        QVERIFY(Keys::type(m_window, "Demo Opvang"));
        QCOMPARE(textOf("nameField"), QString("Demo Opvang"));
        QTRY_VERIFY2(aboveKeyboard("nameField") && aboveKeyboard("okButton"), where({"nameField", "okButton"}));
        shoot("organisation");
        QVERIFY(Keys::enter(m_window));
        QVERIFY(hasFocus("passwordField"));
        QVERIFY(Keys::type(m_window, "s3cret%"));
        QCOMPARE(textOf("passwordField"), QString("s3cret%"));
        QTRY_VERIFY2(aboveKeyboard("passwordField") && aboveKeyboard("okButton"), where({"passwordField", "okButton"}));
        QVERIFY(Keys::enter(m_window));
        QTRY_VERIFY_WITH_TIMEOUT(text("Tablet Onthaal"), 30000);
        QVERIFY(Keys::waitShown(m_window, false));
        QVERIFY(tapText("Tablet Onthaal") && tapText("Bewaar"));
        QTRY_VERIFY_WITH_TIMEOUT(text("De Speelvogel"), 30000);
        QVERIFY(tapText("De Speelvogel"));
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));

        // 2. The staff search; a tap beside it closes the keyboard and keeps the text.
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens"), 120000);
        QTRY_COMPARE(findItem(m_window->contentItem(), "staffGridPart", false)->opacity(), 1.0);
        QVERIFY(focusByTap("staffSearchField"));
        QVERIFY(Keys::type(m_window, "Els"));
        QTRY_VERIFY(text("Els Janssens") && !text("Bart Peeters"));
        Keys::touchTap(m_window, QPointF(m_window->width() - 30, 200));
        QVERIFY(Keys::waitShown(m_window, false));
        QVERIFY(!item("staffSearchField")->hasActiveFocus());
        QCOMPARE(textOf("staffSearchField"), QString("Els"));

        // 3. The administrator's password: the field has the focus and the keyboard is up at once.
        QVERIFY(tapText("Els Janssens"));
        QVERIFY(hasFocus("passwordField") && Keys::waitShown(m_window, true));
        QVERIFY(Keys::type(m_window, "geheim"));
        QTRY_VERIFY2(aboveKeyboard("passwordField") && aboveKeyboard("okButton"), where({"passwordField", "okButton"}));
        shoot("administrator");
        QVERIFY(Keys::enter(m_window));
        QTRY_VERIFY(m_session->app()->rootViewController()->isLoggedIn());
        QVERIFY(m_session->app()->engine()->waitForIdle(60000));
        QVERIFY(Keys::waitShown(m_window, false));

        // 4. The overview's search: Enter is "done" and closes the keyboard.
        QTRY_VERIFY(item("searchField"));
        QVERIFY(focusByTap("searchField"));
        QVERIFY(Keys::type(m_window, "Mil"));
        QCOMPARE(textOf("searchField"), QString("Mil"));
        QTRY_VERIFY2(aboveKeyboard("searchField"), where({"searchField"}));
        shoot("overview-search");
        QVERIFY(Keys::enter(m_window));
        QVERIFY(Keys::waitShown(m_window, false));
        QCOMPARE(textOf("searchField"), QString("Mil"));

        // 5. A new child: Enter goes from first name to family name to the remarks; "Bewaar" stays in
        // sight the whole time.
        QVERIFY(m_session->openMenuEntry(2, [this](QQuickItem* it) { return Keys::touchTap(m_window, it); }));
        QTRY_VERIFY(item("voorNaamTextField") && item("saveButton"));
        QVERIFY(focusByTap("voorNaamTextField"));
        QVERIFY(Keys::type(m_window, "Mila"));
        QTRY_VERIFY2(aboveKeyboard("voorNaamTextField") && aboveKeyboard("saveButton"), where({"voorNaamTextField", "saveButton"}));
        QVERIFY(Keys::enter(m_window));
        QVERIFY(hasFocus("familieNaamTextField"));
        QVERIFY(Keys::type(m_window, "Zwartjes"));
        QTRY_VERIFY2(aboveKeyboard("familieNaamTextField") && aboveKeyboard("saveButton"), where({"familieNaamTextField", "saveButton"}));
        QVERIFY(Keys::enter(m_window));
        QVERIFY(hasFocus("extraInfoTextView"));
        QVERIFY(Keys::type(m_window, "Geen noten"));
        QTRY_VERIFY2(aboveKeyboard("extraInfoTextView") && aboveKeyboard("saveButton"), where({"extraInfoTextView", "saveButton"}));
        QCOMPARE(textOf("voorNaamTextField") + "|" + textOf("familieNaamTextField") + "|" +
                     textOf("extraInfoTextView"),
                 QString("Mila|Zwartjes|Geen noten"));
        shoot("newchild");
        QVERIFY(tap("saveButton"));
        QTRY_VERIFY(text("Succes"));
        QVERIFY(Keys::waitShown(m_window, false));
        QVERIFY(tapAway("alertButton0"));
        QTRY_VERIFY(item("enterButton") && item("naamLabel")->property("text").toString().startsWith("Mila "));
        QVERIFY(m_session->bringIntoView("tab-998", [this](QQuickItem* it) { return Keys::touchTap(m_window, it); }));

        // 6. A message for her: the popover stays open while keys are tapped; Enter goes from the
        // subject to the text, whose cursor line and "Bewaar" stay above the keyboard.
        QVERIFY(tap("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        QVERIFY(tap("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        QVERIFY(focusByTap("onderwerpField"));
        QVERIFY(Keys::type(m_window, "Ophalen"));
        QVERIFY(item("onderwerpField") && !item("alertButton0"));
        QTRY_VERIFY2(aboveKeyboard("onderwerpField") && aboveKeyboard("saveButton"), where({"onderwerpField", "saveButton"}));
        QVERIFY(Keys::enter(m_window));
        QVERIFY(hasFocus("textView"));
        QVERIFY(Keys::type(m_window, "Oma haalt op om 4 uur."));
        QCOMPARE(textOf("textView"), QString("Oma haalt op om 4 uur."));
        QTRY_VERIFY2(aboveKeyboard("saveButton"), where({"saveButton"}));
        shoot("message");
        QVERIFY(tap("saveButton"));
        QTRY_VERIFY(!item("onderwerpField"));
        QTRY_VERIFY(text("Ophalen"));
        QVERIFY(Keys::waitShown(m_window, false));

        // 7. "off": a field gets the focus and no keyboard comes, wherever it is tapped.
        UserDefaults::standard().setString(OnScreenKeyboard::kSettingKey, "off");
        QVERIFY(tap("searchField"));
        QVERIFY(hasFocus("searchField"));
        QVERIFY(!Keys::waitShown(m_window, true));
        // A real keyboard's keys still type, with the on-screen keyboard's input method loaded.
        const QString before = textOf("searchField");
        typeKeys(m_window, "wo");
        QCOMPARE(textOf("searchField"), before + "wo");
        QVERIFY(!Keys::shownPanel(m_window));
        UserDefaults::standard().setString(OnScreenKeyboard::kSettingKey, "auto");

        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
    void cleanup() { m_session.reset(); }
};

QTEST_MAIN(TestKeyboardEndToEnd)
#include "tst_keyboard_endtoend.moc"
