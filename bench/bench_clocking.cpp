// Clocking 50 selected children in a store of 5,000: from the clock-in button's confirmed action to the
// return of the save (registrations, queue records, statuses, one save), with the reference server on
// loopback reachable as on a tablet. Beside it, the same 50 clockings each waiting for the server's
// answer before the next, the cost the tablet avoids by queueing.
#include "Clock.h"
#include "DataAccessObject.h"
#include "LeerlingenDetailViewController.h"
#include "MainSynchroObject.h"
#include "ObjectManager.h"
#include "Reachability.h"
#include "ReferenceServer.h"
#include "SelectieLijst.h"
#include "Store.h"
#include "StoreGenerator.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Fifty children that may be clocked in at "Nu" (none of them In already), not used by an earlier run.
QList<Child*> nextFifty(DataAccessObject& dao, const QString& entityId, QSet<QString>& used) {
    QList<Child*> picked;
    for (Child* c : dao.loadChildrenforEntity(entityId)) {
        if (picked.size() == 50)
            break;
        if (used.contains(c->childId()) || c->isIngeschreven() == 1)
            continue;
        used.insert(c->childId());
        picked << c;
    }
    return picked;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath("bench.ini")));
    ReferenceServer server(false);
    if (!server.isRunning()) {
        std::fprintf(stderr, "reference server did not start\n");
        return 1;
    }

    const QString path = dir.filePath("store.sqlite");
    std::shared_ptr<Store> store = Store::open(path);
    const GeneratedStore generated = generateStore(store);
    std::fprintf(stderr, "store: %d children, %d registrations (%.1f s)\n", generated.children,
                 generated.registrations, generated.seconds);

    DataAccessObject dao(store);
    ObjectManager manager(store, server.url());
    ManualReachability reachability(true);
    MainSynchroObject engine(&dao, &manager, &reachability);
    Users* staff = dao.getUsersForEntity(generated.entityId).value(0);
    if (!staff) {
        std::fprintf(stderr, "no staff member at %s\n", qPrintable(generated.entityId));
        return 1;
    }
    Users::setSharedUsers(staff);

    SelectieLijst selectie;
    QSet<QString> used;
    std::vector<double> local, roundTrips;
    const int runs = 7;
    for (int run = 0; run < runs; ++run) {
        // The panel as the tablet has it: 50 selected, the confirmation answered.
        const QList<Child*> fifty = nextFifty(dao, generated.entityId, used);
        if (fifty.size() < 50) {
            std::fprintf(stderr, "not enough children left\n");
            return 1;
        }
        for (Child* c : fifty)
            selectie.addObject(c);
        LeerlingenDetailViewController panel(fifty.first(), &selectie, &dao, &engine);
        QElapsedTimer timer;
        timer.start();
        panel.schrijfKindIn();
        local.push_back(timer.nsecsElapsed() / 1e6);
        if (selectie.count() != 0) {
            std::fprintf(stderr, "the run did not clock the selection\n");
            return 1;
        }
        engine.waitForIdle(60000);

        // The same 50, each waiting for its answer: what a clocking on the server's pace would cost.
        const QList<Child*> others = nextFifty(dao, generated.entityId, used);
        Inklokken inklokken(ChildClockingSubject::instance(), &dao, &engine);
        timer.restart();
        for (Child* c : others) {
            inklokken.clock(ClockingSubject::Type::In, {c}, Inklokken::vandaag(), Inklokken::nu());
            engine.waitForIdle(60000);
        }
        roundTrips.push_back(timer.nsecsElapsed() / 1e6);
        std::fprintf(stderr, "run %d: %.1f ms local, %.1f ms with round trips, queue left %s\n", run,
                     local.back(), roundTrips.back(), qPrintable(engine.aantalPosts()));
    }
    Users::setSharedUsers(nullptr);
    const double l = median(local);
    const double r = median(roundTrips);
    std::printf("BENCH clocking.50 %.1f ms\n", l);
    std::printf("BENCH clocking.50.roundtrips %.1f ms\n", r);
    std::printf("BENCH clocking.50.ratio %.1f x\n", r / l);
    return 0;
}
