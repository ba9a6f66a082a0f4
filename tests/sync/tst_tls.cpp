// Encrypted transport: the reference server over TLS, and the real engine trusting the system's store
// plus the settings' certificate file. A refused certificate sends nothing, raises the retry alert and
// keeps the change queued until the certificate is put right; then the retry sends it.
#include "Clock.h"
#include "ImageCache.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "Tablet.h"
#include "TestCertificates.h"
#include "TlsTrust.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

class TestTls : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestCertificates m_certs;

    ReferenceServer::Options tlsServer(const QString& certificate, const QString& dataFile = {},
                                       const QString& trust = {}) const {
        return {true, certificate, m_certs.key(), dataFile, trust.isEmpty() ? m_certs.authority() : trust};
    }

    static int onServer(const ReferenceServer& server, const QString& registrationId) {
        int n = 0;
        for (const QJsonValue& v : server.get("/_test/records?kind=timeEntry").value("records").toArray())
            n += v.toObject().value("registrationId").toString() == registrationId ? 1 : 0;
        return n;
    }

    static int queueStatus(const Tablet& t, const QString& objectId) {
        for (SynchroObject* s : t.queue())
            if (s->objectId() == objectId)
                return int(s->status());
        return -1;
    }

    static void verifyRetryAlert(const QList<QVariant>& alert, int tag) {
        QCOMPARE(alert.at(0).toString(), QString("Opgepast"));
        QVERIFY(alert.at(1).toString().startsWith("Oeps... De server kon niet tijdig worden bereikt."));
        QCOMPARE(alert.at(2).toStringList(), QStringList{"Probeer opnieuw"});
        QCOMPARE(alert.at(3).toInt(), tag);
    }

    // The server's exit code and what it wrote, for a start that must fail.
    static int runServer(const QStringList& arguments, QString* output) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(ReferenceServer::binary(), arguments);
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        *output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_certs.isValid(), qPrintable(m_certs.error()));
        QVERIFY(QSslSocket::supportsSsl());
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    }

    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::reset();
    }

    void couplingAndClockingTravelOverHttps() {
        ReferenceServer server(tlsServer(m_certs.valid()));
        QVERIFY(server.isRunning());
        QCOMPARE(server.url().scheme(), QString("https"));
        {
            // The organisation's own authority is no one else's: without the settings' file, coupling
            // ends in the coupling alert and nothing is stored.
            Tablet stranger(server.url());
            QSignalSpy alerts(stranger.engine.get(), &MainSynchroObject::alertRequested);
            QVERIFY(!stranger.download());
            QVERIFY(!stranger.dao->loadOrganisation());
            QCOMPARE(alerts.count(), 1);
            verifyRetryAlert(alerts.first(), 0);
        }
        UserDefaults::standard().setString(TlsTrust::kCaCertificateFileKey, m_certs.authority());
        Tablet t(server.url());
        QVERIFY(t.couple());
        Child* pictured = nullptr;
        for (Child* c : t.dao->loadChildrenforEntity(t.entityId))
            if (!c->image().isEmpty())
                pictured = c;
        QVERIFY(pictured);
        // Picture addresses follow the scheme the tablet used.
        QVERIFY2(pictured->image().startsWith(server.url().toString() + "/images/"),
                 qPrintable(pictured->image()));
        const QString id = t.clock(pictured, "In")->registrationId();
        QVERIFY(t.check());
        QCOMPARE(onServer(server, id), 1);
        QCOMPARE(queueStatus(t, id), 3);

        ImageCache cache(m_dir.filePath("pictures"));
        QSignalSpy ready(&cache, &ImageCache::imageReady);
        QVERIFY(cache.imageData(pictured->image()).isEmpty());
        QVERIFY(ready.wait(20000));
        QVERIFY(cache.imageData(pictured->image()).startsWith("\x89PNG") ||
                cache.imageData(pictured->image()).startsWith("\xff\xd8"));
    }

    void refusedCertificateSendsNothingUntilPutRight_data() {
        QTest::addColumn<QString>("certificate");
        QTest::addColumn<bool>(
            "trustOnTablet"); // put right on the tablet, or a new certificate on the server
        QTest::newRow("untrusted") << m_certs.selfSigned() << true;
        QTest::newRow("expired") << m_certs.expired() << false;
        QTest::newRow("other host") << m_certs.otherHost() << false;
    }

    void refusedCertificateSendsNothingUntilPutRight() {
        QFETCH(QString, certificate);
        QFETCH(bool, trustOnTablet);
        UserDefaults::standard().setString(TlsTrust::kCaCertificateFileKey, m_certs.authority());
        QTemporaryDir data;
        const QString dataFile = data.filePath("server.sqlite");
        auto server = std::make_unique<ReferenceServer>(tlsServer(m_certs.valid(), dataFile));
        Tablet t(server->url());
        QVERIFY(t.couple());

        // The same server, the same data, now with a certificate the tablet must refuse.
        server.reset();
        server = std::make_unique<ReferenceServer>(tlsServer(certificate, dataFile, certificate));
        QVERIFY(server->isRunning());
        t.manager->setBaseUrl(server->url());
        QSignalSpy alerts(t.engine.get(), &MainSynchroObject::alertRequested);
        const QString id = t.clock(t.dao->loadChildrenforEntity(t.entityId).first(), "In")->registrationId();
        QVERIFY(t.engine->waitForIdle(30000));
        QVERIFY(t.check()); // the minute's check fails the same way: still one alert
        QCOMPARE(alerts.count(), 1);
        verifyRetryAlert(alerts.first(), MainSynchroObject::kCertificateRetryTag);
        QCOMPARE(queueStatus(t, id), 2);
        QCOMPARE(UserDefaults::standard().stringForKey("cc_getError"), QString("TIMEOUT"));

        if (trustOnTablet) {
            UserDefaults::standard().setString(TlsTrust::kCaCertificateFileKey, certificate);
        } else {
            server.reset();
            server = std::make_unique<ReferenceServer>(tlsServer(m_certs.valid(), dataFile));
            QVERIFY(server->isRunning());
            t.manager->setBaseUrl(server->url());
        }
        QCOMPARE(onServer(*server, id), 0); // nothing reached the server while it was refused
        t.engine->alertViewClickedButtonAtIndex(MainSynchroObject::kCertificateRetryTag, 0);
        QVERIFY(t.engine->waitForIdle(30000));
        QCOMPARE(onServer(*server, id), 1);
        QCOMPARE(queueStatus(t, id), 3);
        QCOMPARE(alerts.count(), 1);
    }

    void serverServesPlainOrTls() {
        ReferenceServer plain(false);
        ReferenceServer tls(tlsServer(m_certs.valid()));
        QVERIFY(plain.isRunning() && tls.isRunning());
        int status = 0;
        for (const ReferenceServer* s : {&plain, &tls}) {
            s->send("GET", "/_test/stats", {}, &status);
            QCOMPARE(status, 200);
        }
        // The TLS port speaks nothing else: a plain request there gets no HTTP answer.
        QTcpSocket socket;
        socket.connectToHost("127.0.0.1", quint16(tls.port()));
        QVERIFY(socket.waitForConnected(10000));
        socket.write("GET /_test/stats HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray answer;
        while (socket.waitForReadyRead(5000))
            answer += socket.readAll();
        QVERIFY2(!answer.startsWith("HTTP/1.1"), answer.left(80).constData());
    }

    void serverRefusesUnusableCertificates_data() {
        QTest::addColumn<QStringList>("tlsArguments");
        QTest::addColumn<QString>("message");
        const QString missing = m_dir.filePath("missing.pem");
        QTest::newRow("no certificate file")
            << QStringList{"--cert", missing, "--key", m_certs.key()} << missing;
        QTest::newRow("no key file") << QStringList{"--cert", m_certs.valid(), "--key", missing} << missing;
        QTest::newRow("key is a certificate")
            << QStringList{"--cert", m_certs.valid(), "--key", m_certs.valid()} << "private key";
        QTest::newRow("key of another")
            << QStringList{"--cert", m_certs.valid(), "--key", m_certs.otherKey()} << "mismatch";
        QTest::newRow("certificate without key") << QStringList{"--cert", m_certs.valid()} << "--key";
    }

    void serverRefusesUnusableCertificates() {
        QFETCH(QStringList, tlsArguments);
        QFETCH(QString, message);
        QTemporaryDir data;
        QString output;
        const int code = runServer(
            QStringList{"--port", "0", "--data", data.filePath("s.sqlite")} + tlsArguments, &output);
        QVERIFY2(code > 0, qPrintable(output));
        QVERIFY2(output.contains(message), qPrintable(output));
        QVERIFY2(!output.contains("listening"), qPrintable(output));
    }

    // Connections that never finish their handshake hold a worker each for a while, never the server.
    void stalledHandshakesAreCutOff() {
        ReferenceServer server(tlsServer(m_certs.valid()));
        QVERIFY(server.isRunning());
        std::vector<std::unique_ptr<QTcpSocket>> stalled;
        int disconnected = 0;
        for (int i = 0; i < 20; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            connect(s.get(), &QTcpSocket::disconnected, this, [&disconnected] { ++disconnected; });
            s->connectToHost("127.0.0.1", quint16(server.port()));
            QVERIFY(s->waitForConnected(10000));
            s->write(QByteArray("\x16\x03\x01\x02\x00", 5)); // a record header, and no record
            s->flush();
            stalled.push_back(std::move(s));
        }
        int status = 0;
        server.send("GET", "/_test/stats", {}, &status);
        QCOMPARE(status, 200);
        QCOMPARE(disconnected, 0);
        QTRY_COMPARE_WITH_TIMEOUT(disconnected, 20, 60000);
    }
};

QTEST_GUILESS_MAIN(TestTls)
#include "tst_tls.moc"
