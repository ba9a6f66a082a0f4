// The queue marks of the lists after a queue change: one read of the queue (SyncState::reload) on a
// tablet that kept two weeks of answered changes (20,000 registrations and their queue records) and has
// 200 changes still open (waiting, on their way or failed), for 5,000 children.
#include "Clock.h"
#include "DataAccessObject.h"
#include "SyncState.h"
#include "Tablet.h"
#include "Util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Tablet t(QUrl(QStringLiteral("http://127.0.0.1:1")));
    t.reachability->setReachable(false);
    Context* c = t.store->context();
    const qint64 now = Clock::nowMs();
    constexpr int kAnswered = 20000;
    constexpr int kOpen = 200;
    for (int i = 0; i < kAnswered + kOpen; ++i) {
        const QString id = QStringLiteral("r%1").arg(i);
        auto* r = c->insertNew<Registration>();
        r->setRegistrationId(id);
        r->setChildId(QStringLiteral("c%1").arg(i % 5000));
        r->setTime(Util::millisText(now - i * 60000));
        r->setType(i % 2 ? QStringLiteral("Out") : QStringLiteral("In"));
        r->setExists(1);
        auto* q = c->insertNew<SynchroObject>();
        q->setIdSynchroObject(QStringLiteral("q%1").arg(i));
        q->setEntryDate(Util::millisText(now - i * 60000));
        q->setHttpType(QStringLiteral("POST"));
        q->setObjectType(QStringLiteral("Registration"));
        q->setObjectId(id);
        q->setStatus(i < kOpen ? i % 3 : 3);
    }
    if (!c->save()) {
        std::fprintf(stderr, "the generated store could not be saved\n");
        return 1;
    }
    SyncState state(t.dao.get(), t.engine.get());
    std::vector<double> ms;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer timer;
        timer.start();
        state.reload();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%d open of %d queue records\n", state.waiting(), kAnswered + kOpen);
    std::printf("BENCH syncmarks.reload %.3f ms\n", ms[ms.size() / 2]);
    return state.waiting() == kOpen ? 0 : 1;
}
