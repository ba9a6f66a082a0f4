// Crash loop: a driver makes clockings through the real engine and reports each one after its save
// returned; it is killed with SIGKILL at random moments (200 times; CC_CRASHLOOP_KILLS sets another
// count, CC_CRASHLOOP_SEED the moments) and restarted on the same store. Finally every reported clocking
// is in the store, on the server exactly once, and the file is sound.
#include "ReferenceServer.h"
#include "Sqlite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>

class TestCrashLoop : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;

    QStringList args(const QString& mode) const {
        return {"--server",   m_server->url().toString(),   "--store", m_dir.filePath("tablet.sqlite"),
                "--settings", m_dir.filePath("tablet.ini"), mode};
    }
    static QString driver() { return QDir(QCoreApplication::applicationDirPath()).filePath("crashdriver"); }

private slots:
    void killedAtRandomMoments() {
        const int killCount = qEnvironmentVariableIsSet("CC_CRASHLOOP_KILLS")
                                  ? qEnvironmentVariableIntValue("CC_CRASHLOOP_KILLS")
                                  : 200;
        const quint32 seed = qEnvironmentVariableIsSet("CC_CRASHLOOP_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("CC_CRASHLOOP_SEED"))
                                 : 2026u;
        QVERIFY(killCount > 0);
        QElapsedTimer took;
        took.start();
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
        QCOMPARE(QProcess::execute(driver(), args("--couple")), 0);

        QSet<QString> acknowledged;
        QRandomGenerator rng(seed);
        int kills = 0;
        for (int run = 0; run < killCount; ++run) {
            QProcess p;
            p.setProcessChannelMode(QProcess::SeparateChannels);
            p.setStandardErrorFile(QProcess::nullDevice());
            p.start(driver(), args("--run"));
            QVERIFY(p.waitForStarted(10000));
            QVERIFY(p.waitForReadyRead(20000));
            QTest::qWait(int(rng.bounded(20, 400)));
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(10000));
            ++kills;
            for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
                if (line.startsWith("ACK "))
                    acknowledged.insert(QString::fromLatin1(line.mid(4)));
        }

        QProcess drain;
        drain.start(driver(), args("--drain"));
        QVERIFY(drain.waitForFinished(300000));
        QCOMPARE(drain.exitCode(), 0);
        const QByteArray drained = drain.readAllStandardOutput();
        QVERIFY2(drained.contains("LEFT 0"), drained.constData());

        sql::Database db;
        QVERIFY(db.open(m_dir.filePath("tablet.sqlite")));
        QCOMPARE(db.scalar("PRAGMA integrity_check").toString(), QString("ok"));
        QSet<QString> stored;
        auto st = db.prepare("SELECT \"registrationId\" FROM \"Registration\"");
        while (st.step() == SQLITE_ROW)
            stored.insert(st.text(0));
        int lost = 0;
        for (const QString& id : acknowledged)
            if (!stored.contains(id))
                ++lost;

        QHash<QString, int> onServer;
        for (const QJsonValue& v : m_server->get("/_test/records?kind=timeEntry").value("records").toArray())
            ++onServer[v.toObject().value("registrationId").toString()];
        int notOnServer = 0, doubled = 0;
        for (const QString& id : acknowledged) {
            const int n = onServer.value(id);
            notOnServer += n == 0;
            doubled += n > 1;
        }
        std::printf("crash loop (seed %u): %d kills, %d acknowledged clockings, %d lost on the tablet, %d not on "
                    "the server, %d doubled on the server, integrity ok; %.1f s\n",
                    seed, kills, int(acknowledged.size()), lost, notOnServer, doubled, took.elapsed() / 1000.0);
        std::fflush(stdout);
        QCOMPARE(lost, 0);
        QCOMPARE(notOnServer, 0);
        QCOMPARE(doubled, 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashLoop)
#include "tst_crashloop.moc"
