// Store speed on a realistic location (5,000 children in two groups each, 300 staff records, 200,000
// registrations over 60 days): a two-letter search, the children counts, the engine's full
// recomputation of every presence status, and a cold open. Each figure is set beside the closest plain SQLite
// work on the same file (sqlite3 C API, prepared once) in the same run.
#include "Clock.h"
#include "DataAccessObject.h"
#include "MainSynchroObject.h"
#include "ObjectManager.h"
#include "Reachability.h"
#include "Store.h"
#include "StoreGenerator.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kRuns = 25;
constexpr int kWarmUp = 3;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median milliseconds of work over kRuns runs after kWarmUp; prepare runs untimed before each run.
double measure(const std::function<void()>& work, const std::function<void()>& prepare = {}) {
    std::vector<double> times;
    for (int i = 0; i < kWarmUp + kRuns; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        const double ms = t.nsecsElapsed() / 1e6;
        if (i >= kWarmUp)
            times.push_back(ms);
    }
    return median(times);
}

void report(const char* name, double oursMs, double plainMs) {
    std::printf("BENCH %s %.2f ms\n", name, oursMs);
    std::printf("BENCH %s.plain_sqlite %.2f ms\n", name, plainMs);
    std::printf("BENCH %s.ratio %.2f x\n", name, oursMs / plainMs);
    std::fflush(stdout);
}

// A plain connection to the same file, configured as durably as ours (commits are not synced inline).
class Raw {
public:
    explicit Raw(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 10000);
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    }
    ~Raw() {
        for (sqlite3_stmt* s : statements)
            sqlite3_finalize(s);
        sqlite3_close(db);
    }
    void exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "sqlite: %s in %s\n", error ? error : "?", sql);
            sqlite3_free(error);
        }
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "sqlite: %s in %s\n", sqlite3_errmsg(db), sql);
        statements.push_back(s);
        return s;
    }
    sqlite3* db = nullptr;
    std::vector<sqlite3_stmt*> statements;
};

void bindText(sqlite3_stmt* s, int i, const QByteArray& text) {
    sqlite3_bind_text(s, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Reads every column of the current row, as a consumer of the rows would.
size_t touchRow(sqlite3_stmt* s) {
    size_t bytes = 0;
    for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
        sqlite3_column_text(s, c);
        bytes += size_t(sqlite3_column_bytes(s, c));
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    // Midday: today's arrivals are stored, departures are yet to come, so about a third are present.
    Clock::set(QDateTime(QDate::currentDate(), QTime(12, 0), Qt::LocalTime));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath(QStringLiteral("defaults.ini"))));

    GeneratedStore generated;
    {
        auto store = Store::open(path);
        if (!store) {
            std::fprintf(stderr, "cannot create the store\n");
            return 1;
        }
        generated = generateStore(store);
    }
    const qint64 fileBytes = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
    std::printf("# generated %d children, %d memberships, %d staff records, %d registrations, %d staff "
                "registrations; %.1f MB on disk\n",
                generated.children, generated.memberships, generated.staffRecords, generated.registrations,
                generated.staffRegistrations, fileBytes / 1e6);
    std::printf("BENCH store.generate %.2f s\n", generated.seconds);

    auto store = Store::open(path);
    DataAccessObject dao(store);
    DataAccessObject::setSharedDataAccessObject(&dao);
    Context* context = store->context();
    Raw raw(path);
    const QString entity = generated.entityId;
    const QByteArray entityUtf8 = entity.toUtf8();

    // ---- full recomputation of every child's and staff member's status, then save
    // Before each run every status is made stale, so every record is written by the run.
    auto makeStale = [&] {
        context->reset();
        for (Child* c : dao.loadChildrenforEntity(entity)) {
            c->setIngeschrevenStatus(QStringLiteral("Out"));
            c->setIngeschrevenTime(QStringLiteral("99:99"));
        }
        for (Users* u : dao.loadUsers()) {
            u->setIngeschrevenStatus(QStringLiteral("Out"));
            u->setIngeschrevenTime(QStringLiteral("99:99"));
        }
        context->save();
        context->reset();
    };
    // The engine's own recomputation (as after a change of registration period), for the logged-in
    // staff member's location: its reads and writes go the way the app's do.
    ObjectManager manager(store, QUrl(QStringLiteral("http://127.0.0.1:1")));
    ManualReachability offline(false);
    MainSynchroObject engine(&dao, &manager, &offline);
    for (Users* u : dao.loadUsers())
        if (u->entityId() == entity) {
            Users::setSharedUsers(u); // only its snapshot is used
            break;
        }
    const double recompute = measure([&] { engine.berekenStatussen(); }, makeStale);
    context->reset();
    Users::setSharedUsers(nullptr);
    int present = 0;
    for (Child* c : dao.loadChildrenforEntity(entity))
        present += c->isIngeschreven() == 1;

    sqlite3_stmt* childList =
        raw.prepare("SELECT rowid, \"childId\" FROM \"Child\" WHERE \"entityId\" = ?1 AND "
                    "\"exists\" = 1 ORDER BY \"lastName__k\", \"firstName__k\"");
    sqlite3_stmt* staffList =
        raw.prepare("SELECT rowid, \"userId\" FROM \"Users\" WHERE \"exists\" = 1 ORDER BY \"last_name__k\", "
                    "\"first_name__k\"");
    sqlite3_stmt* childLatest = raw.prepare("SELECT \"type\", \"time\" FROM \"Registration\" WHERE "
                                            "\"childId\" = ?1 AND \"exists\" = 1 AND \"time\" > ?2 "
                                            "ORDER BY \"time\" DESC, \"type\" DESC LIMIT 1");
    sqlite3_stmt* staffLatest = raw.prepare("SELECT \"type\", \"time\" FROM \"UserRegistration\" WHERE "
                                            "\"userId\" = ?1 AND \"exists\" = 1 AND \"time\" > "
                                            "?2 ORDER BY \"time\" DESC, \"type\" DESC LIMIT 1");
    sqlite3_stmt* childUpdate = raw.prepare(
        "UPDATE \"Child\" SET \"ingeschrevenStatus\" = ?1, \"ingeschrevenTime\" = ?2 WHERE rowid = ?3");
    sqlite3_stmt* staffUpdate = raw.prepare(
        "UPDATE \"Users\" SET \"ingeschrevenStatus\" = ?1, \"ingeschrevenTime\" = ?2 WHERE rowid = ?3");
    auto plainRecompute = [&](sqlite3_stmt* list, sqlite3_stmt* latest, sqlite3_stmt* update, bool byEntity,
                              const QByteArray& begin, long long endOfDay) {
        if (byEntity)
            bindText(list, 1, entityUtf8);
        while (sqlite3_step(list) == SQLITE_ROW) {
            const sqlite3_int64 row = sqlite3_column_int64(list, 0);
            sqlite3_bind_text(latest, 1, reinterpret_cast<const char*>(sqlite3_column_text(list, 1)),
                              sqlite3_column_bytes(list, 1), SQLITE_TRANSIENT);
            bindText(latest, 2, begin);
            if (sqlite3_step(latest) == SQLITE_ROW) {
                const long long ms = sqlite3_column_int64(latest, 1);
                char hhmm[16] = "Future";
                if (ms <= endOfDay) {
                    const std::time_t seconds = std::time_t(ms / 1000);
                    std::tm tm{};
                    localtime_r(&seconds, &tm);
                    std::strftime(hhmm, sizeof hhmm, "%H:%M", &tm);
                }
                sqlite3_bind_text(update, 1, reinterpret_cast<const char*>(sqlite3_column_text(latest, 0)),
                                  sqlite3_column_bytes(latest, 0), SQLITE_TRANSIENT);
                sqlite3_bind_text(update, 2, hhmm, -1, SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(update, 1);
                sqlite3_bind_null(update, 2);
            }
            sqlite3_reset(latest);
            sqlite3_bind_int64(update, 3, row);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_reset(list);
    };
    const double recomputePlain = measure(
        [&] {
            const QByteArray begin = Util::getBeginRegistrationTime().toUtf8();
            const long long endOfDay = Util::getEndOfTheDay().toLongLong();
            raw.exec("BEGIN IMMEDIATE");
            plainRecompute(childList, childLatest, childUpdate, true, begin, endOfDay);
            plainRecompute(staffList, staffLatest, staffUpdate, false, begin, endOfDay);
            raw.exec("COMMIT");
        },
        [&] {
            raw.exec("UPDATE \"Child\" SET \"ingeschrevenStatus\" = 'Out', \"ingeschrevenTime\" = '99:99'; "
                     "UPDATE \"Users\" SET \"ingeschrevenStatus\" = 'Out', \"ingeschrevenTime\" = '99:99';");
        });
    std::printf("# recomputation: %d of %d children present; every status rewritten in each run\n", present,
                generated.children);
    // Leave the statuses as the app computes them for the counts below.
    makeStale();
    for (Child* c : dao.loadChildrenforEntity(entity))
        c->updateIngeschrevenStatus();
    context->save();
    report("store.recompute_all", recompute, recomputePlain);

    // ---- two-letter contains[cd] search on first or family name
    const QString needle = QStringLiteral("an");
    const Predicate search = Predicate::format(
        QStringLiteral("firstName CONTAINS[cd] %@ || lastName CONTAINS[cd] %@"), {needle, needle});
    qsizetype found = 0;
    const double contains = measure([&] { found = dao.loadChildrenforEntity(entity, search).size(); });
    sqlite3_stmt* searchStmt = raw.prepare(
        "SELECT rowid, \"childId\", \"firstName\", \"lastName\", \"image\", \"imageData\", \"photoId\", "
        "\"extraInfo\", \"entityId\", \"organisationId\", \"ipadMacId\", \"exists\", \"ingeschrevenStatus\", "
        "\"ingeschrevenTime\" FROM \"Child\" WHERE \"entityId\" = ?1 AND \"exists\" = 1 AND "
        "(instr(\"firstName__f\", ?2) > 0 OR instr(\"lastName__f\", ?2) > 0) "
        "ORDER BY \"lastName__k\", \"firstName__k\"");
    int plainFound = 0;
    size_t bytes = 0;
    const double containsPlain = measure([&] {
        plainFound = 0;
        bindText(searchStmt, 1, entityUtf8);
        bindText(searchStmt, 2, needle.toUtf8());
        while (sqlite3_step(searchStmt) == SQLITE_ROW) {
            bytes += touchRow(searchStmt);
            ++plainFound;
        }
        sqlite3_reset(searchStmt);
    });
    std::printf("# search \"%s\": %lld children (plain query: %d)\n", qPrintable(needle), (long long)found,
                plainFound);
    report("store.search_contains2", contains, containsPlain);

    // ---- the four children counts, without and with a selected group
    QStringList counts;
    const double count = measure([&] { counts = dao.countOfChildren(entity, Predicate(), {}); });
    sqlite3_stmt* countStmt = raw.prepare(
        "SELECT count(*), total(\"ingeschrevenStatus\" = 'In'), total(\"ingeschrevenStatus\" IS NOT NULL AND "
        "\"ingeschrevenStatus\" != 'In') FROM \"Child\" WHERE \"entityId\" = ?1 AND \"exists\" = 1");
    long long plainCount = 0;
    const double countPlain = measure([&] {
        bindText(countStmt, 1, entityUtf8);
        if (sqlite3_step(countStmt) == SQLITE_ROW)
            plainCount = sqlite3_column_int64(countStmt, 0);
        sqlite3_reset(countStmt);
    });
    std::printf("# counts: %s (plain query: %lld children)\n", qPrintable(counts.join(u' ')), plainCount);
    report("store.count_children", count, countPlain);

    QVariantMap groupRow;
    for (const QVariantMap& row : dao.loadGroupsFromType(QString(), entity))
        if (row.value(QStringLiteral("groupId")).toString() == generated.firstGroupId)
            groupRow = row;
    const double countGroup = measure([&] { counts = dao.countOfChildren(entity, Predicate(), groupRow); });
    sqlite3_stmt* countGroupStmt =
        raw.prepare("SELECT count(*), total(t.\"ingeschrevenStatus\" = 'In'), total(t.\"ingeschrevenStatus\" "
                    "IS NOT NULL AND "
                    "t.\"ingeschrevenStatus\" != 'In') FROM \"Child\" t JOIN \"Group\" g ON g.\"child\" = "
                    "t.\"childId\" AND "
                    "g.\"groupId\" = ?2 WHERE t.\"entityId\" = ?1 AND t.\"exists\" = 1");
    const QByteArray groupId = generated.firstGroupId.toUtf8();
    const double countGroupPlain = measure([&] {
        bindText(countGroupStmt, 1, entityUtf8);
        bindText(countGroupStmt, 2, groupId);
        if (sqlite3_step(countGroupStmt) == SQLITE_ROW)
            plainCount = sqlite3_column_int64(countGroupStmt, 0);
        sqlite3_reset(countGroupStmt);
    });
    std::printf("# counts in group %s: %s (plain query: %lld children)\n", groupId.constData(),
                qPrintable(counts.join(u' ')), plainCount);
    report("store.count_children_group", countGroup, countGroupPlain);

    // ---- cold open: a fresh Store object, its first context and the organisation
    std::shared_ptr<Store> fresh;
    std::unique_ptr<DataAccessObject> freshDao;
    bool organisationFound = false;
    const double open = measure(
        [&] {
            fresh = Store::open(path);
            fresh->context();
            freshDao = std::make_unique<DataAccessObject>(fresh);
            organisationFound = freshDao->loadOrganisation() != nullptr;
        },
        [&] {
            freshDao.reset();
            fresh.reset();
        });
    freshDao.reset();
    fresh.reset();
    sqlite3* plainDb = nullptr;
    const double openPlain = measure(
        [&] {
            sqlite3_open_v2(path.toUtf8().constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_busy_timeout(plainDb, 10000);
            sqlite3_exec(plainDb, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
                         nullptr);
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(plainDb, "SELECT * FROM \"Organisation\" WHERE \"exists\" = 1 LIMIT 1", -1, &s,
                               nullptr);
            sqlite3_step(s);
            sqlite3_finalize(s);
        },
        [&] {
            if (plainDb)
                sqlite3_close(plainDb);
            plainDb = nullptr;
        });
    if (plainDb)
        sqlite3_close(plainDb);
    // How much of the open is the integrity check over the whole file.
    const double quickCheck = measure(
        [&] {
            sqlite3_open_v2(path.toUtf8().constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_exec(plainDb, "PRAGMA quick_check(1)", nullptr, nullptr, nullptr);
        },
        [&] {
            if (plainDb)
                sqlite3_close(plainDb);
            plainDb = nullptr;
        });
    if (plainDb)
        sqlite3_close(plainDb);
    std::printf("# plain open with PRAGMA quick_check(1): %.2f ms\n", quickCheck);
    std::printf("# cold open: new Store object and connections each run (organisation %s); the operating "
                "system's page cache is warm\n",
                organisationFound ? "found" : "MISSING");
    report("store.open_cold", open, openPlain);

    DataAccessObject::setSharedDataAccessObject(nullptr);
    (void)bytes;
    return 0;
}
