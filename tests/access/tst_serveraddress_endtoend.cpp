// A first start without a known server, through the real window: the address is asked, a wrong one is
// refused on screen, the right one is saved and the coupling that follows goes to that server.
#include "AppSession.h"
#include "MainSynchroObject.h"
#include "ObjectManager.h"
#include "ReferenceServer.h"
#include "ServerAddress.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"

#include <QTcpServer>
#include <QtTest>

class TestServerAddressEndToEnd : public QObject {
    Q_OBJECT

    // The field keeps what was typed before (to mend a typo); a new address replaces all of it.
    static bool retype(AppSession& session, const QString& text) {
        if (!session.typeInto("serverAddressField", QString()))
            return false;
        QTest::keyClick(session.window(), Qt::Key_A, Qt::ControlModifier);
        WindowDriver::typeKeys(session.window(), text);
        return true;
    }

private slots:
    void theFirstStartAsksForTheServer() {
        AppSession session;
        QVERIFY2(session.launch({.serverOnCommandLine = false}), qPrintable(session.error()));
        QVERIFY(QTest::qWaitFor([&] { return session.item("serverAddressField"); }));
        QVERIFY(!session.item("passwordPanel")); // the organisation login waits for the address
        QVERIFY(session.text("Server van je organisatie"));

        // Not a web address: refused at once.
        QVERIFY(session.typeInto("serverAddressField", "ftp://opvang.example.org"));
        QVERIFY(session.tapItem("serverAddressButton"));
        QVERIFY(QTest::qWaitFor([&] { return session.text("Een serveradres begint met http:// of https://."); }));

        // Nobody listens there: refused after the check.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        QVERIFY(retype(session, QString("127.0.0.1:%1").arg(closedPort)));
        QTest::keyClick(session.window(), Qt::Key_Return);
        const QString notAnswering = "De server op dat adres antwoordt niet. Kijk het adres en het netwerk na.";
        QVERIFY(QTest::qWaitFor([&] { return session.text(notAnswering); }, 15000));
        QVERIFY(session.shoot("serveraddress-refused"));
        QVERIFY(UserDefaults::standard().stringForKey(ServerAddress::kSettingKey).isEmpty());

        // The organisation's server: saved, and the organisation login follows.
        const QString address = session.server()->url().toString();
        QVERIFY(retype(session, address));
        QVERIFY(session.tapItem("serverAddressButton"));
        QVERIFY(QTest::qWaitFor([&] { return session.item("passwordPanel") && session.item("nameField"); }, 15000));
        QVERIFY(!session.item("serverAddressField"));
        QVERIFY(QTest::qWaitFor([&] { return session.item("nameField")->hasActiveFocus(); })); // type at once
        QCOMPARE(UserDefaults::standard().stringForKey(ServerAddress::kSettingKey), address);
        QCOMPARE(session.app()->objectManager()->baseUrl(), QUrl(address));
        QVERIFY(session.shoot("serveraddress-then-organisation"));

        // The whole coupling goes to the address typed.
        QVERIFY2(session.coupleAndLogIn("An Peeters"), qPrintable(session.error()));
        const QStringList warnings = session.finish();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
};

QTEST_MAIN(TestServerAddressEndToEnd)
#include "tst_serveraddress_endtoend.moc"
