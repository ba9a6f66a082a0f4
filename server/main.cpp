// The reference server: plays the organisation's central server for development, the demo and tests.
#include "Api.h"
#include "Demo.h"
#include "Faults.h"
#include "Store.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <pthread.h>
#include <thread>

int main(int argc, char** argv) {
    // Block the stop signals in every thread; one thread waits for them and stops the server cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Headless: the GUI application only provides fonts for the demo pictures.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinderopvang-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CC_APP_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reference server for the childcare attendance app."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Port to listen on; 0 picks a free one and prints it."),
        QStringLiteral("N"), QStringLiteral("8080"));
    const QCommandLineOption hostOption(QStringLiteral("host"), QStringLiteral("Address to bind."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("SQLite file of the server."),
                                        QStringLiteral("FILE"), QStringLiteral("server.sqlite"));
    const QCommandLineOption demoOption(QStringLiteral("demo"),
                                        QStringLiteral("Load the demo organisation into an empty store."));
    const QCommandLineOption demoTimeOption(
        QStringLiteral("demo-time"),
        QStringLiteral("Load the demo as its day stands at this moment (ms since the epoch), not now."),
        QStringLiteral("MS"));
    const QCommandLineOption certOption(
        QStringLiteral("cert"), QStringLiteral("Serve HTTPS with this certificate (PEM; with --key)."),
        QStringLiteral("FILE"));
    const QCommandLineOption keyOption(QStringLiteral("key"),
                                       QStringLiteral("Private key (PEM) of the --cert certificate."),
                                       QStringLiteral("FILE"));
    parser.addOptions(
        {portOption, hostOption, dataOption, demoOption, demoTimeOption, certOption, keyOption});
    parser.process(app);
    if (parser.isSet(certOption) != parser.isSet(keyOption)) {
        std::cerr << "--cert and --key go together\n";
        return 2;
    }

    qint64 demoTime = -1;
    if (parser.isSet(demoTimeOption)) {
        bool ok = false;
        demoTime = parser.value(demoTimeOption).toLongLong(&ok);
        if (!ok || demoTime < 0) {
            std::cerr << "invalid --demo-time\n";
            return 2;
        }
    }

    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    if (!portOk || port < 0 || port > 65535) {
        std::cerr << "invalid --port\n";
        return 2;
    }

    // Workers grow with the connections, so requests held back by injected delays or slow clients leave
    // room for ordinary ones. A certificate that cannot be used stops the start before the store is touched.
    server::GuardedServer http;
    if (parser.isSet(certOption)) {
        std::string tlsError;
        if (!http.useTls(parser.value(certOption).toStdString(), parser.value(keyOption).toStdString(),
                         &tlsError)) {
            std::cerr << tlsError << '\n';
            return 1;
        }
        // A peer gone mid-record must not end the process: TLS writes go through plain write().
        std::signal(SIGPIPE, SIG_IGN);
    }

    server::Store store;
    QString error;
    if (!store.open(parser.value(dataOption), &error)) {
        std::cerr << "cannot open store: " << error.toStdString() << '\n';
        return 1;
    }
    if (parser.isSet(demoOption) && store.isEmpty()) {
        if (!server::loadDemo(store, &error, demoTime)) {
            std::cerr << error.toStdString() << '\n';
            return 1;
        }
        std::cerr << "demo organisation loaded\n";
    }

    server::Faults faults;
    server::Api api(store, faults);
    api.install(http);

    const std::string host = parser.value(hostOption).toStdString();
    int bound = port;
    if (port == 0)
        bound = http.bind_to_any_port(host);
    else if (!http.bind_to_port(host, port))
        bound = -1;
    if (bound <= 0) {
        std::cerr << "cannot listen on " << host << ':' << port << '\n';
        return 1;
    }
    std::cout << bound << '\n' << std::flush;
    std::cerr << "listening on " << (http.isTls() ? "https://" : "http://") << host << ':' << bound << '\n';

    // Workers may sit in keep-alive reads for seconds, so the process ends once no write is under way
    // rather than waiting for them; every change is already committed.
    std::thread([&http, &store, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        http.stop();
        store.locked([] {
            std::fflush(nullptr);
            std::_Exit(0);
        });
    }).detach();
    http.listen_after_bind();
    return 0;
}
