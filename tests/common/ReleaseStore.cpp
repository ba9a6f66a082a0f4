#include "ReleaseStore.h"

#include "Sqlite.h"

#include <QFile>
#include <QTest>

namespace ReleaseStore {

bool write(const QString& path, int layout) {
    QFile in(QFINDTESTDATA("../store/data/release-3.2.0.sqlite.qz"));
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(qUncompress(in.readAll())) <= 0)
        return false;
    out.close();
    if (layout == 0)
        return true;
    sql::Database db;
    return layout == 1 && db.open(path) && db.exec("DROP TABLE cc_status_marks") &&
           db.exec("PRAGMA user_version = 1");
}

Unanswered read(const QString& path) {
    Unanswered u;
    sql::Database db;
    if (!db.open(path, SQLITE_OPEN_READONLY))
        return u;
    sql::Statement q = db.prepare("SELECT idSynchroObject, httpType, objectType, objectId, entryDate "
                                  "FROM SynchroObject WHERE status IS NOT 3");
    while (q.step() == SQLITE_ROW) {
        u.queueIds.insert(q.text(0));
        u.lastEntryMs = std::max(u.lastEntryMs, q.text(4).toLongLong());
        if (q.text(2) == QLatin1String("Child"))
            u.newChildId = q.text(3);
        if (q.text(2) == QLatin1String("ObjectImageUpload")) {
            sql::Statement p =
                db.prepare("SELECT typeId FROM ObjectImageUpload WHERE objectImageUploadId = ?");
            p.bindText(1, q.text(3));
            if (p.step() == SQLITE_ROW)
                u.photographedChildId = p.text(0);
        }
        if (q.text(2) != QLatin1String("Registration"))
            continue;
        if (q.text(1) == QLatin1String("DELETE"))
            u.deletedId = q.text(3);
        else if (q.text(1) == QLatin1String("POST"))
            u.createdIds.insert(q.text(3));
    }
    sql::Statement r = db.prepare("SELECT childId, entityId, organisationId, userId, time, type, ipadMacId "
                                  "FROM Registration WHERE registrationId = ?");
    r.bindText(1, u.deletedId);
    if (r.step() == SQLITE_ROW)
        u.deletedAsSent = {{"registrationId", u.deletedId},
                           {"childId", r.text(0)},
                           {"entityId", r.text(1)},
                           {"orgId", r.text(2)},
                           {"userId", r.text(3)},
                           {"time", r.text(4)},
                           {"type", r.text(5)},
                           {"exists", 1},
                           {"ipadMacId", r.text(6)}};
    return u;
}

int layoutOf(const QString& path) {
    sql::Database db;
    if (!db.open(path, SQLITE_OPEN_READONLY))
        return -1;
    // The store's background check may still be closing its connection, which locks the file briefly.
    sqlite3_busy_timeout(db.handle(), 10000);
    const QVariant version = db.scalar("PRAGMA user_version");
    return version.isValid() ? version.toInt() : -1;
}

} // namespace ReleaseStore
