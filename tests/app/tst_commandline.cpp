// The command line of both programs: what a start asks for, and --help/--version answered and ended
// without a display.
#include "CommandLine.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void startsAsAsked_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("store");
        QTest::addColumn<bool>("kiosk");
        QTest::addColumn<bool>("window");
        QTest::addColumn<bool>("selfTest");
        QTest::addColumn<int>("exitCode"); // -1: the start goes on

        QTest::newRow("nothing") << QStringList{} << "" << "" << false << true << false << -1;
        QTest::newRow("server and kiosk")
            << QStringList{"--kiosk", "--server", " https://opvang.example.org "} << "https://opvang.example.org"
            << "" << true << true << false << -1;
        QTest::newRow("store and settings, value after =")
            << QStringList{"--store=/tmp/a.sqlite", "--settings", "/tmp/a.ini"} << "" << "/tmp/a.sqlite" << false
            << true << false << -1;
        QTest::newRow("no window") << QStringList{"--no-window"} << "" << "" << false << false << false << -1;
        QTest::newRow("self-test") << QStringList{"--selftest"} << "" << "" << false << true << true << -1;
        QTest::newRow("self-test without window")
            << QStringList{"--selftest", "--no-window"} << "" << "" << false << false << true << 2;
        QTest::newRow("unknown option") << QStringList{"--kiosque"} << "" << "" << false << true << false << 2;
        QTest::newRow("server without address") << QStringList{"--server"} << "" << "" << false << true << false << 2;
        QTest::newRow("stray argument") << QStringList{"opvang"} << "" << "" << false << true << false << 2;
    }
    void startsAsAsked() {
        QFETCH(QStringList, arguments);
        arguments.prepend("kinderopvang");
        const CommandLine::Start start = CommandLine::parse(arguments);
        QFETCH(int, exitCode);
        QCOMPARE(start.exitCode.value_or(-1), exitCode);
        if (exitCode >= 0)
            return;
        QTEST(start.options.serverUrl, "server");
        QTEST(start.options.storePath, "store");
        QTEST(start.options.kiosk, "kiosk");
        QTEST(start.options.showWindow, "window");
        QTEST(start.selfTest, "selfTest");
    }
    // The keyboard's mode from the command line wins over the setting; without it, null (the setting).
    void keyboardMode() {
        QCOMPARE(CommandLine::parse({"kinderopvang", "--keyboard", "on"}).options.onScreenKeyboard, "on");
        QVERIFY(CommandLine::parse({"kinderopvang"}).options.onScreenKeyboard.isNull());
        QCOMPARE(CommandLine::parse({"kinderopvang", "--keyboard"}).exitCode.value_or(-1), 2);
    }

    // Both programs answer without a display (no platform plugin can start here) and end with 0.
    void helpAndVersionEnd_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("expected");
        const QString app = QStringLiteral(CC_APP_BINARY);
        const QString server = QStringLiteral(CC_SERVER_BINARY);
        const QString version = QStringLiteral(CC_APP_VERSION);
        QTest::newRow("app --version") << app << "--version" << QStringList{"kinderopvang " + version};
        QTest::newRow("app -v") << app << "-v" << QStringList{"kinderopvang " + version};
        QTest::newRow("app --help") << app << "--help"
                                    << QStringList{"Usage:", "--server <URL>", "--kiosk", "--selftest", "--version"};
        QTest::newRow("server --version") << server << "--version"
                                          << QStringList{"kinderopvang-server " + version};
        QTest::newRow("server --help") << server << "--help"
                                       << QStringList{"Usage:", "--port <N>", "--cert <FILE>", "--version"};
    }
    void helpAndVersionEnd() {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QStringList, expected);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "no-such-platform");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(env);
        process.start(program, {option});
        QVERIFY(process.waitForFinished(20000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, qPrintable(process.readAllStandardError()));
        for (const QString& text : expected)
            QVERIFY2(out.contains(text), qPrintable(out));
    }

    // A window that cannot be loaded (here: no Qt Quick modules where qt.conf points) ends the app with
    // an error instead of leaving it running unseen.
    void anAppWithoutItsWindowEnds() {
        QTemporaryDir dir;
        const QString app = dir.filePath("kinderopvang");
        QVERIFY(QFile::copy(QStringLiteral(CC_APP_BINARY), app));
        QVERIFY(QDir(dir.path()).mkdir("no-qml"));
        QFile conf(dir.filePath("qt.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Paths]\nPrefix = " + QLibraryInfo::path(QLibraryInfo::PrefixPath).toUtf8() +
                   "\nPlugins = " + QLibraryInfo::path(QLibraryInfo::PluginsPath).toUtf8() +
                   "\nQmlImports = " + dir.filePath("no-qml").toUtf8() + "\n");
        conf.close();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QML_IMPORT_PATH");
        env.remove("QML2_IMPORT_PATH");
        process.setProcessEnvironment(env);
        process.start(app, {"--store", dir.filePath("store/data.sqlite"), "--settings", dir.filePath("settings.ini"),
                            "--server", "http://127.0.0.1:9"});
        const bool ended = process.waitForFinished(20000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        QVERIFY2(ended, "the app runs on without a window");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(process.readAllStandardError().contains("QtQuick"), "the missing module is not named");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
