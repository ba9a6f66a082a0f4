// One check of the engine: 50 due changes sent to the reference server on loopback, and a refresh that
// brings 2,000 registrations for 1,000 children. Time from the start of the check to "reloadKindjesData",
// and the longest stall of the main thread's event loop meanwhile.
#include "Clock.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath("bench.ini")));
    std::vector<double> totals, stalls;
    for (int run = 0; run < 5; ++run) {
        ReferenceServer server;
        if (!server.isRunning()) {
            std::fprintf(stderr, "reference server did not start\n");
            return 1;
        }
        // 1,000 children at the first location (the demo brings about 120).
        const QString entity =
            server.get("/entity").value("entities").toArray().first().toObject().value("idEntity").toString();
        const int existing = server.get("/child?entityId=" + entity).value("children").toArray().size();
        for (int i = existing; i < 1000; ++i)
            server.send("POST", "/child",
                        {{"childId", QString("bench-%1").arg(i)},
                         {"firstName", QString("Kind%1").arg(i)},
                         {"lastName", "Bench"},
                         {"entityId", entity},
                         {"exists", 1},
                         {"idOrganisation", "org-demo"}});
        Tablet tablet(server.url(), dir.filePath(QString("run%1.sqlite").arg(run)));
        if (!tablet.couple()) {
            std::fprintf(stderr, "coupling failed\n");
            return 1;
        }
        const auto children = tablet.dao->loadChildrenforEntity(tablet.entityId);
        // 50 changes made while offline are due at the check.
        tablet.reachability->setReachable(false);
        for (int i = 0; i < 50; ++i)
            tablet.clock(children.at(i), "In");
        tablet.reachability->setReachable(true);
        // Another tablet's 2,000 registrations, two per child.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int i = 0; i < 2000; ++i) {
            Child* c = children.at(i % children.size());
            server.send("POST", "/timeEntry",
                        {{"registrationId", QString("other-%1-%2").arg(run).arg(i)},
                         {"childId", c->childId()},
                         {"entityId", tablet.entityId},
                         {"orgId", "org-demo"},
                         {"userId", "usr-1"},
                         {"time", QString::number(now - 3600000 + i * 1000)},
                         {"type", i % 2 ? "Out" : "In"},
                         {"exists", 1},
                         {"ipadMacId", "other"}});
        }

        qint64 longest = 0;
        QElapsedTimer gap, total;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, gap.nsecsElapsed());
            gap.restart();
        });
        QEventLoop loop;
        QObject owner;
        // Two reloads: after the children's and after the staff's registrations.
        int reloads = 0;
        NotificationCenter::defaultCenter().addObserver(&owner, "reloadKindjesData",
                                                        [&](const Notification&) {
                                                            if (++reloads == 2)
                                                                loop.quit();
                                                        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        gap.start();
        total.start();
        ticker.start(1);
        tablet.engine->checkForUpdates();
        loop.exec();
        totals.push_back(total.nsecsElapsed() / 1e6);
        stalls.push_back(longest / 1e6);
        ticker.stop();
        tablet.engine->waitForIdle(60000);
        std::fprintf(stderr, "run %d: %.1f ms, stall %.1f ms, queue left %s\n", run, totals.back(),
                     stalls.back(), qPrintable(tablet.engine->aantalPosts()));
    }
    std::sort(totals.begin(), totals.end());
    std::sort(stalls.begin(), stalls.end());
    std::printf("BENCH engine.check_to_reload %.1f ms\n", totals[totals.size() / 2]);
    std::printf("BENCH engine.main_thread_longest_stall %.1f ms\n", stalls[stalls.size() / 2]);
    std::printf("BENCH engine.main_thread_longest_stall_worst %.1f ms\n", stalls.back());
    return 0;
}
