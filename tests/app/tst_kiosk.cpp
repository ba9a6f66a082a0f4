// The kiosk start: leaving takes an administrator's password (the rule, then through the real window:
// full screen without decorations, a close refused until the password is given).
#include "AppSession.h"
#include "Kiosk.h"
#include "SecurityCentral.h"
#include "StackScrollViewAppDelegate.h"
#include "TestStore.h"
#include "UserDefaults.h"

#include <QSignalSpy>
#include <QtTest>

class TestKiosk : public QObject {
    Q_OBJECT

private slots:
    void leavingTakesAnAdministratorsPassword_data() {
        QTest::addColumn<bool>("withAdministrator");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("administrator's own password") << true << "sleutel" << true;
        QTest::newRow("administrator nick's password") << true << "nick" << true;
        QTest::newRow("wrong password") << true << "Sleutel" << false;
        QTest::newRow("empty password") << true << "" << false;
        QTest::newRow("an ordinary staff member's password") << true << "gewoon" << false;
    }
    void leavingTakesAnAdministratorsPassword() {
        TemporaryStore store;
        Users* els = store.staff("UE1", "U1", "Els", "Janssens", "E1", 1, 1, 1);
        els->setPasswordHash(SecurityCentral::passwordHash("Janssens", "Els", "sleutel"));
        Users* nick = store.staff("UE2", "U2", "Jan", "Admin", "E2", 1, 1, 1);
        nick->setPasswordHash(SecurityCentral::adminPasswordHash("nick"));
        Users* an = store.staff("UE3", "U3", "An", "Peeters", "E1", 1, 1, 0);
        an->setPasswordHash(SecurityCentral::passwordHash("Peeters", "An", "gewoon"));
        QVERIFY(store.save().isEmpty());

        Kiosk kiosk([&] { return &store.dao(); });
        QSignalSpy leave(&kiosk, &Kiosk::leave);
        QVERIFY(!kiosk.mayClose());
        QVERIFY(kiosk.exitAsked());
        QFETCH(QString, password);
        kiosk.setPasswordText(password);
        kiosk.confirmExit();
        QFETCH(bool, leaves);
        QCOMPARE(leave.size(), leaves ? 1 : 0);
        QCOMPARE(kiosk.exitAsked(), !leaves);
        QCOMPARE(kiosk.problem().isEmpty(), leaves);
        QVERIFY(kiosk.passwordText().isEmpty()); // never kept, right or wrong
        QCOMPARE(kiosk.mayClose(), leaves);
    }

    void beforeCouplingNobodyCanBeAsked() {
        TemporaryStore store;
        store.staff("UE3", "U3", "An", "Peeters", "E1", 1, 1, 0); // no administrator stored
        QVERIFY(store.save().isEmpty());
        Kiosk kiosk([&] { return &store.dao(); });
        QVERIFY(kiosk.mayClose());
        QVERIFY(!kiosk.exitAsked());
    }

    void theSettingAsksForIt_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("kiosk");
        QTest::newRow("absent") << QString() << false;
        QTest::newRow("true") << "true" << true;
        QTest::newRow("True") << " True " << true;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("false") << "false" << false;
        QTest::newRow("0") << "0" << false;
    }
    void theSettingAsksForIt() {
        QTemporaryDir dir;
        UserDefaults settings(dir.filePath("settings.ini"));
        QFETCH(QString, value);
        if (!value.isNull())
            settings.setString(Kiosk::kSettingKey, value);
        QTEST(Kiosk::isSetIn(settings), "kiosk");
    }

    void throughTheWindow() {
        AppSession session;
        QVERIFY2(session.launch({.kiosk = true}), qPrintable(session.error()));
        QQuickWindow* window = session.window();
        QVERIFY(window->flags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->visibility(), QWindow::FullScreen);
        QVERIFY2(session.coupleAndLogIn("An Peeters"), qPrintable(session.error()));

        // Alt+F4 or the window manager's close: refused, the password asked.
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return session.item("kioskPasswordField"); }));
        QVERIFY(session.text("Kiosk verlaten"));
        QVERIFY(session.typeInto("kioskPasswordField", "fout"));
        QVERIFY(session.tapItem("kioskLeaveButton"));
        QVERIFY(QTest::qWaitFor([&] { return session.text("Gelieve het correcte paswoord in te geven."); }));
        // Full screen: the offscreen screen's size, not the usual 1024 x 768 that shoot() expects.
        QTest::qWait(900);
        QVERIFY(window->grabWindow().save(WindowDriver::screenshotPath("kiosk-leave-refused")));
        QVERIFY(window->isVisible());

        // "Annuleer" goes back to the app; the next close asks again.
        QVERIFY(session.tapItem("kioskCancelButton"));
        QVERIFY(QTest::qWaitFor([&] { return !session.item("kioskPasswordField"); }));
        QVERIFY(!window->close());
        QVERIFY(QTest::qWaitFor([&] { return session.item("kioskPasswordField"); }));

        // Els is the demo's administrator.
        QVERIFY(session.typeInto("kioskPasswordField", "geheim"));
        QVERIFY(session.tapItem("kioskLeaveButton"));
        QVERIFY(QTest::qWaitFor([&] { return !window->isVisible(); }));
        const QStringList warnings = session.finish();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
};

QTEST_MAIN(TestKiosk)
#include "tst_kiosk.moc"
