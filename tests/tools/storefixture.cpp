// Writes the store file this release leaves on a tablet, for the update tests (tests/store/data): coupled
// to the reference server's demo organisation, two clockings answered, then offline two clockings, a
// clock-out, the deletion of an answered clocking, a photo, a new child and a staff clocking, all still
// unanswered. Run by hand when a release changes the store's layout, and commit the file it writes:
//   storefixture tests/store/data/release-3.2.0.sqlite.qz
#include "Clock.h"
#include "OfflineWork.h"
#include "ReferenceServer.h"
#include "Sqlite.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: storefixture OUT.sqlite.qz\n");
        return 2;
    }
    QTemporaryDir dir;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath("tablet.ini")));
    const QString path = dir.filePath("tablet.sqlite");
    Clock::set(QDateTime(QDate::currentDate(), QTime(10, 0)));
    ReferenceServer server;
    {
        Tablet t(server.url(), path);
        if (!server.isRunning() || !t.couple()) {
            std::fprintf(stderr, "coupling to the reference server failed\n");
            return 1;
        }
        const QList<Child*> children = t.dao->loadChildrenforEntity(t.entityId);
        Registration* deleted = t.clock(children.at(0), "In");
        Clock::advance(60);
        t.clock(children.at(1), "In");
        if (!t.engine->waitForIdle(30000) || t.countWithStatus(3) != 2) {
            std::fprintf(stderr, "the answered clockings were not answered\n");
            return 1;
        }

        t.reachability->setReachable(false);
        Clock::advance(600);
        t.clock(children.at(2), "In");
        t.clock(children.at(3), "In");
        Clock::advance(600);
        t.clock(children.at(2), "Out");
        Context* c = t.store->context();
        const bool removed = c->performWrite([&] { // as the clocking screen removes a registration
            deleted->setExists(0);
            deleted->setLocked(1);
            t.engine->deleteObject(deleted);
            children.at(0)->updateIngeschrevenStatus();
        });
        t.engine->uploadNewPhoto(OfflineWork::jpeg(QColor(200, 40, 40)), children.at(4));
        OfflineWork::newChild(t, OfflineWork::jpeg(QColor(40, 40, 200)), QStringLiteral("Noor"));
        OfflineWork::staffRegistration(t, Users::sharedUserInfo().userId, QStringLiteral("In"));
        if (!removed || !t.engine->waitForIdle(30000) || t.countWithStatus(0) != 7) {
            std::fprintf(stderr, "the offline changes were not all queued (%d)\n", t.countWithStatus(0));
            return 1;
        }
    }
    {
        // One file, as small as it gets; it stays in write-ahead-log mode as the app leaves it.
        sql::Database db;
        if (!db.open(path) || !db.exec("VACUUM") || !db.scalar("PRAGMA wal_checkpoint(TRUNCATE)").isValid())
            return 1;
    }
    // Compressed: the file is mostly the demo organisation's children, a tenth of its size packed.
    QFile in(path);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(qCompress(in.readAll(), 9)) <= 0)
        return 1;
    std::printf("%s written\n", argv[1]);
    return 0;
}
