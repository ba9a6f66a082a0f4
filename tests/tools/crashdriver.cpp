// Makes clockings through the real engine and prints "ACK <registrationId>" once each one's save has
// returned; the crash-loop test kills it at random moments and starts it again on the same store.
//   crashdriver --server URL --store FILE --settings FILE (--couple | --run | --drain)
#include "Clock.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

int main(int argc, char** argv) {
    // Goes with the test that started it, also when that test is stopped by its watchdog.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"server", "base URL", "url"},
                       {"store", "store file", "file"},
                       {"settings", "settings file", "file"},
                       {"couple", "couple and exit"},
                       {"run", "clock until killed"},
                       {"drain", "send what is queued and exit"}});
    parser.process(app);
    UserDefaults::setStandard(std::make_shared<UserDefaults>(parser.value("settings")));
    Tablet tablet(QUrl(parser.value("server")), parser.value("store"));
    if (!tablet.store)
        return 3;
    tablet.manager->setTimeoutMs(5000);

    if (parser.isSet("couple"))
        return tablet.couple() ? 0 : 1;
    if (!tablet.resume())
        return 2;
    if (parser.isSet("drain")) {
        // Sends that were cut off are due again 180 s after their attempt: let that time pass. A send
        // that timed out keeps its object quiet for a while in real time, so rounds also wait a little.
        QDeadlineTimer deadline(150000);
        while (tablet.engine->aantalPosts() != QLatin1String("0") && !deadline.hasExpired()) {
            Clock::advance(181);
            tablet.check();
            if (tablet.engine->aantalPosts() != QLatin1String("0"))
                QThread::msleep(250);
        }
        tablet.engine->updateNrOfPostField();
        std::printf("LEFT %s\n", qPrintable(tablet.engine->aantalPosts()));
        return 0;
    }

    // Clock, and now and then check, for as long as the process lives.
    const auto children = tablet.dao->loadChildrenforEntity(tablet.entityId);
    QTimer clocking;
    QObject::connect(&clocking, &QTimer::timeout, [&] {
        Child* child = children.at(int(QRandomGenerator::global()->bounded(int(children.size()))));
        Registration* r = tablet.clock(child, QRandomGenerator::global()->bounded(2) ? "In" : "Out");
        std::printf("ACK %s\n", qPrintable(r->registrationId()));
        std::fflush(stdout);
    });
    clocking.start(15);
    QTimer checking;
    QObject::connect(&checking, &QTimer::timeout, [&] { tablet.engine->checkForUpdates(); });
    checking.start(250);
    std::printf("READY\n");
    std::fflush(stdout);
    return app.exec();
}
