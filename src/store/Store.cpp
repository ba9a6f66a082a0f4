#include "Store.h"

#include "Entities.h"
#include "Log.h"
#include "PrivateFiles.h"
#include "SqlCompiler.h"
#include "TextKeys.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

using SqlCompiler::quoted;

namespace {

void sqlFold(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray out = TextKeys::fold(QString::fromUtf8(p, sqlite3_value_bytes(argv[0]))).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void sqlFoldCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray out = TextKeys::foldCase(QString::fromUtf8(p, sqlite3_value_bytes(argv[0]))).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void sqlSortKey(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray key = TextKeys::sortKey(QString::fromUtf8(p, sqlite3_value_bytes(argv[0])));
    sqlite3_result_blob(ctx, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

constexpr int kBusyMs = 10000;
// The WAL is copied into the file once it holds this many pages (SQLite's own default).
constexpr int kCheckpointPages = 1000;

// Short naps: SQLite's own handler sleeps up to 100 ms at a time, long after the other writer is done.
int busyWait(void*, int attempt) {
    constexpr int napUs = 250;
    if (qint64(attempt) * napUs >= qint64(kBusyMs) * 1000)
        return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(napUs));
    return 1;
}

// Every connection: WAL, durable commits, a busy time-out and our text functions.
// synced: each commit waits for the disk (the opening connection); contexts leave that to the flusher.
// A file that stays in another journal mode is refused, with that mode in otherJournal: the commits
// that leave their sync to the flusher are only safe in a write-ahead log.
bool configure(sql::Database& db, bool synced = true, QString* otherJournal = nullptr) {
    sqlite3_busy_handler(db.handle(), busyWait, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db.handle(), "cc_fold", 1, flags, nullptr, sqlFold, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db.handle(), "cc_foldc", 1, flags, nullptr, sqlFoldCase, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db.handle(), "cc_sortkey", 1, flags, nullptr, sqlSortKey, nullptr, nullptr,
                               nullptr);
    const QVariant mode = db.scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!mode.isValid())
        return false;
    if (mode.toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        CC_LOG(QStringLiteral("the store stays in journal mode %1 instead of a write-ahead log")
                   .arg(mode.toString()));
        if (otherJournal)
            *otherJournal = mode.toString();
        return false;
    }
    return db.exec(synced ? QStringLiteral("PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF;")
                          : QStringLiteral("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF;"));
}

QString columnType(const AttributeDescription& a) {
    return a.type == AttributeType::Number ? QStringLiteral("INTEGER") : QStringLiteral("TEXT");
}

QStringList createSchema() {
    QStringList statements;
    for (const EntityDescription* e : Model::entities()) {
        QStringList columns;
        for (const auto& a : e->attributes) {
            columns << quoted(a.column()) + QLatin1Char(' ') + columnType(a);
            if (a.flags & Folded)
                columns << quoted(a.foldedColumn()) + QStringLiteral(" TEXT");
            if (a.flags & Sorted)
                columns << quoted(a.sortKeyColumn()) + QStringLiteral(" BLOB");
        }
        statements << QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(quoted(e->name), columns.join(QStringLiteral(", ")));
        const auto& pk = e->attribute(e->primaryKeyIndex());
        statements << QStringLiteral("CREATE UNIQUE INDEX %1 ON %2(%3)")
                          .arg(quoted(e->name + QStringLiteral("_pk")), quoted(e->name), quoted(pk.column()));
        int n = 0;
        for (const QStringList& index : e->indexes) {
            QStringList cols;
            for (const QString& c : index)
                cols << quoted(c);
            statements << QStringLiteral("CREATE INDEX %1 ON %2(%3)")
                              .arg(quoted(QStringLiteral("%1_i%2").arg(e->name).arg(++n)), quoted(e->name),
                                   cols.join(QStringLiteral(", ")));
        }
    }
    // Children are listed per location in A–Z order of family and first name.
    statements << QStringLiteral("CREATE INDEX \"Child_az\" ON \"Child\"(\"entityId\", \"lastName__k\", "
                                 "\"firstName__k\")");
    statements << QStringLiteral("CREATE TABLE cc_meta (key TEXT PRIMARY KEY, value TEXT)");
    return statements;
}

// Layout 2: whose presence status an answer changed and is still to be recomputed.
QStringList addStatusMarks() {
    return {QStringLiteral("CREATE TABLE cc_status_marks (entity TEXT NOT NULL, id TEXT NOT NULL, "
                           "PRIMARY KEY (entity, id)) WITHOUT ROWID")};
}

// Migration steps: entry i brings the layout from version i to i + 1, each in one transaction.
const std::vector<std::function<QStringList()>>& migrations() {
    static const std::vector<std::function<QStringList()>> steps = {createSchema, addStatusMarks};
    return steps;
}

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

QString damageMarker(const QString& path) {
    return path + QStringLiteral(".damaged");
}

// A full read of the file takes time proportional to its size, so it runs beside the app: damage it
// finds is marked, and the next start moves the file aside before using it.
// A page the disk failed to read once is reported like a broken one ("unable to get the page"), so the
// file counts as damaged only when three checks, each on a new connection, all find damage.
void checkInBackground(const QString& path) {
    std::thread([path] {
        QString found;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            sql::Database db;
            if (!db.open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX))
                return;
            sqlite3_busy_timeout(db.handle(), 10000);
            const QVariant result = db.scalar(QStringLiteral("PRAGMA quick_check(1)"));
            const bool damaged =
                result.isValid() ? result.toString() != QLatin1String("ok") : isDamage(db.lastErrorCode());
            if (!damaged)
                return;
            found = result.isValid() ? result.toString() : db.lastError();
        }
        CC_LOG(
            QStringLiteral("store %1 is damaged (%2); it is moved aside at the next start").arg(path, found));
        QFile marker(damageMarker(path));
        if (marker.open(QIODevice::WriteOnly))
            marker.write("damaged\n");
    }).detach();
}

Store::OpenProblem problemOf(int code) {
    if (code == SQLITE_IOERR_ACCESS)
        return Store::OpenProblem::NoAccess;
    switch (code & 0xff) {
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return Store::OpenProblem::NoAccess;
    case SQLITE_FULL:
        return Store::OpenProblem::DiskFull;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Store::OpenProblem::Damaged;
    default:
        return Store::OpenProblem::Other;
    }
}

// The layout version of an existing file, read without writing anything to it (no journal mode set);
// -1 when it cannot be read that way.
int layoutVersionOf(const QString& path) {
    sql::Database db;
    if (!db.open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX))
        return -1;
    const QVariant version = db.scalar(QStringLiteral("PRAGMA user_version"));
    return version.isValid() ? version.toInt() : -1;
}

QString moveAside(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = QStringLiteral("%1.damaged-%2").arg(path, stamp);
    for (int n = 2; QFile::exists(target); ++n)
        target = QStringLiteral("%1.damaged-%2-%3").arg(path, stamp).arg(n);
    if (!QFile::rename(path, target))
        return QString();
    for (const char* suffix : {"-wal", "-shm"})
        if (QFile::exists(path + QLatin1String(suffix)))
            QFile::rename(path + QLatin1String(suffix), target + QLatin1String(suffix));
    return target;
}

// Every stored column of an entity, quoted and comma-separated.
QString columnList(const EntityDescription& e) {
    QStringList columns;
    for (const auto& a : e.attributes) {
        columns << quoted(a.column());
        if (a.flags & Folded)
            columns << quoted(a.foldedColumn());
        if (a.flags & Sorted)
            columns << quoted(a.sortKeyColumn());
    }
    return columns.join(QStringLiteral(", "));
}

// One row of e from the damaged file by its primary key; empty when it cannot be read.
QVariantList readRow(sql::Database& from, const EntityDescription& e, const QString& key) {
    sql::Statement st = from.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(columnList(e), quoted(e.name), quoted(e.attribute(e.primaryKeyIndex()).column())));
    if (!st.isValid())
        return {};
    st.bindText(1, key);
    if (st.step() != SQLITE_ROW)
        return {};
    QVariantList row;
    for (int c = 0; c < st.columnCount(); ++c)
        row << st.value(c);
    return row;
}

bool insertRow(sql::Database& into, const EntityDescription& e, const QVariantList& row) {
    QStringList marks;
    for (int i = 0; i < row.size(); ++i)
        marks << QStringLiteral("?");
    sql::Statement st = into.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                         .arg(quoted(e.name), columnList(e), marks.join(QLatin1Char(','))));
    if (!st.isValid())
        return false;
    for (int i = 0; i < row.size(); ++i)
        st.bind(i + 1, row.at(i));
    return st.step() == SQLITE_DONE;
}

// What a damaged file still holds for the server: its unanswered queue entries, each with the record it
// names, are copied into the fresh file wherever both can be read. The damaged file is only read.
Store::Salvage salvageQueue(const QString& aside, sql::Database& fresh) {
    Store::Salvage salvage;
    salvage.movedAsideTo = aside;
    // Reading makes SQLite's side files beside the kept file; those it did not have go again.
    QStringList made;
    for (const char* suffix : {"-wal", "-shm"})
        if (!QFile::exists(aside + QLatin1String(suffix)))
            made << aside + QLatin1String(suffix);
    sql::Database from;
    const auto tidy = qScopeGuard([&] {
        from.close();
        for (const QString& side : std::as_const(made))
            QFile::remove(side);
    });
    if (!from.open(aside, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX))
        return salvage;
    const EntityDescription& queue = SynchroObject::staticEntity();
    const QString answered = QStringLiteral("%1 IS NOT 3").arg(quoted(QStringLiteral("status")));
    // The count may still be read where some entries cannot.
    salvage.unsent =
        from.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quoted(queue.name), answered))
            .toInt();
    QList<QVariantList> entries;
    {
        sql::Statement st = from.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                             .arg(columnList(queue), quoted(queue.name), answered));
        while (st.isValid() && st.step() == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.value(c);
            entries << row;
        }
    }
    salvage.unsent = std::max(salvage.unsent, int(entries.size()));
    const int typeColumn = queue.indexOf(QStringLiteral("objectType"));
    const int idColumn = queue.indexOf(QStringLiteral("objectId"));
    const int statusColumn = queue.indexOf(QStringLiteral("status"));
    sql::WriteTransaction tx(fresh);
    if (!tx.isActive())
        return salvage;
    int requeued = 0;
    for (QVariantList entry : std::as_const(entries)) {
        const EntityDescription* named = Model::entity(entry.at(typeColumn).toString());
        if (!named)
            continue;
        const QVariantList record = readRow(from, *named, entry.at(idColumn).toString());
        if (record.isEmpty())
            continue;            // nothing to send without the record itself
        entry[statusColumn] = 0; // what was on its way when the file broke goes again
        if (!insertRow(fresh, *named, record) || !insertRow(fresh, queue, entry))
            return salvage;
        ++requeued;
    }
    if (tx.commit())
        salvage.requeued = requeued;
    return salvage;
}

} // namespace

// ---------------------------------------------------------------- Store

// Makes the background contexts' commits durable and keeps the WAL short from a thread of its own, so
// that no writer waits for a checkpoint: background contexts commit with synchronous=NORMAL, which is
// safe against a crash of the app, and each commit is synced to the disk here moments later. The main
// thread's commits (the clockings) are synced before they return.
class Store::Flusher {
public:
    explicit Flusher(const QString& path)
        : m_path(path) {}
    ~Flusher() {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

    // A context's connection calls this after each commit that wrote to the WAL.
    static int committed(void* flusher, sqlite3*, const char*, int pages) {
        static_cast<Flusher*>(flusher)->request(pages >= kCheckpointPages);
        return SQLITE_OK;
    }

private:
    void request(bool checkpoint) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_sync = true;
            m_checkpoint = m_checkpoint || checkpoint;
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); }); // at the first commit: opening stays cheap
        }
        m_wake.notify_one();
    }

    void run() {
#ifdef Q_OS_LINUX
        // Copying the log is background work: the threads people wait for go first.
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
#endif
        std::unique_lock<std::mutex> lock(m_lock);
        for (;;) {
            m_wake.wait(lock, [this] { return m_sync || m_stop; });
            if (!m_sync)
                return;
            const bool checkpoint = m_checkpoint;
            m_sync = m_checkpoint = false;
            lock.unlock();
            syncLog();
            if (checkpoint)
                checkpointLog();
            lock.lock();
        }
    }

    void syncLog() {
#ifdef Q_OS_UNIX
        // Any descriptor of the file flushes all of its written pages.
        const int fd =
            ::open(QFile::encodeName(m_path + QStringLiteral("-wal")).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
#else
        checkpointLog();
#endif
    }

    // Passive: never waits for, nor blocks, readers and writers. Syncs the WAL before copying it.
    void checkpointLog() {
        sql::Database db;
        // A first read opens the WAL; before it, the connection would not know there is one.
        if (!db.open(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) ||
            !db.scalar(QStringLiteral("PRAGMA schema_version")).isValid())
            return;
        sqlite3_wal_checkpoint_v2(db.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    }

    const QString m_path;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_sync = false;
    bool m_checkpoint = false;
    bool m_stop = false;
    std::thread m_thread;
};

Store::Store() = default;

QString Store::defaultPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(dir).filePath(QStringLiteral("RKCoreDataExample.sqlite"));
}

std::shared_ptr<Store> Store::open(const QString& path, QString* error, OpenProblem* problem) {
    if (problem)
        *problem = OpenProblem::None;
    std::shared_ptr<Store> store(new Store);
    store->m_path = path;
    // A folder made here is the app's own; of folders that were there, only the app's data folder is.
    const QString folder = QFileInfo(path).absolutePath();
    PrivateFiles::makeFolder(folder);
    if (folder == QFileInfo(defaultPath()).absolutePath())
        PrivateFiles::tighten(folder);
    if (!store->initialiseFile(error, problem))
        return nullptr;
    store->m_flusher = std::make_unique<Flusher>(path);
    checkInBackground(path);
    return store;
}

Store::~Store() {
    {
        QMutexLocker lock(&m_mutex);
        qDeleteAll(m_contexts);
        m_contexts.clear();
    }
    m_flusher.reset(); // after the connections that report to it
}

bool Store::initialiseFile(QString* error, OpenProblem* openProblem) {
    auto refuse = [error, openProblem](OpenProblem why, const QString& text) {
        if (error)
            *error = text;
        if (openProblem)
            *openProblem = why;
        return false;
    };
    // A newer layout is refused before anything is written to the file (not even its journal mode).
    const int existing = QFileInfo::exists(m_path) ? layoutVersionOf(m_path) : -1;
    if (existing > Model::schemaVersion()) {
        const QString newer = QStringLiteral("store %1 was written by a newer version of the app (layout %2, "
                                             "this app knows up to %3); it is not opened")
                                  .arg(m_path)
                                  .arg(existing)
                                  .arg(Model::schemaVersion());
        CC_LOG(newer);
        return refuse(OpenProblem::NewerVersion, newer);
    }
    // SQLite gives the journal files the main file's rights.
    PrivateFiles::prepareFile(m_path);
    for (const char* suffix : {"-wal", "-shm"})
        PrivateFiles::tighten(m_path + QLatin1String(suffix));

    QString movedAside;
    for (int attempt = 0; attempt < 2; ++attempt) {
        sql::Database db;
        QString problem;
        QString otherJournal;
        int code = SQLITE_OK;
        if (!db.open(m_path)) {
            problem = db.lastError();
            code = db.lastErrorCode();
        } else if (!configure(db, true, &otherJournal)) {
            if (!otherJournal.isEmpty())
                return refuse(OpenProblem::NoWriteAheadLog,
                              QStringLiteral("store %1 cannot keep a write-ahead log on this disk (journal "
                                             "mode %2); it is not used")
                                  .arg(m_path, otherJournal));
            problem = db.lastError();
            code = db.lastErrorCode();
        } else if (QFile::exists(damageMarker(m_path))) {
            problem = QStringLiteral("the last check found it damaged");
            code = SQLITE_CORRUPT;
        } else if (!db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).isValid()) {
            problem = db.lastError();
            code = db.lastErrorCode();
        }
        if (code != SQLITE_OK) {
            db.close();
            if (isDamage(code) && attempt == 0 && QFile::exists(m_path)) {
                const QString target = moveAside(m_path);
                QFile::remove(damageMarker(m_path));
                if (target.isEmpty()) {
                    // What cannot be kept aside is not thrown away either: the app says so instead.
                    CC_LOG(QStringLiteral("store %1 is damaged (%2) and cannot be moved aside")
                               .arg(m_path, problem));
                    return refuse(OpenProblem::Damaged, problem);
                }
                CC_LOG(QStringLiteral(
                           "store %1 is damaged (%2); moved aside to %3, starting with an empty store")
                           .arg(m_path, problem, target));
                PrivateFiles::prepareFile(m_path);
                movedAside = target;
                continue;
            }
            CC_LOG(QStringLiteral("store %1 could not be opened: %2").arg(m_path, problem));
            return refuse(problemOf(code), problem);
        }

        const int version = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
        if (version > Model::schemaVersion()) {
            const QString why =
                QStringLiteral("store %1 was written by a newer version of the app (layout %2, this "
                               "app knows up to %3); it is not opened")
                    .arg(m_path)
                    .arg(version)
                    .arg(Model::schemaVersion());
            CC_LOG(why);
            return refuse(OpenProblem::NewerVersion, why);
        }
        if (version < Model::schemaVersion()) {
            // Every step in one transaction: a step that fails leaves the file as the older version wrote
            // it, with every change it still holds for the server, for this version to try again.
            sql::WriteTransaction tx(db);
            bool ok = tx.isActive();
            for (int v = version; ok && v < Model::schemaVersion(); ++v)
                for (const QString& statement : migrations().at(size_t(v))())
                    ok = ok && db.exec(statement);
            ok = ok && db.exec(QStringLiteral("PRAGMA user_version = %1").arg(Model::schemaVersion()));
            const QString stepError = ok ? QString() : db.lastError();
            const int stepCode = ok ? SQLITE_OK : db.lastErrorCode();
            if (!ok || !tx.commit()) {
                const QString why = stepError.isEmpty() ? db.lastError() : stepError;
                const int code = stepError.isEmpty() ? db.lastErrorCode() : stepCode;
                tx.rollback();
                CC_LOG(QStringLiteral("store migration from layout %1 to %2 failed: %3")
                           .arg(version)
                           .arg(Model::schemaVersion())
                           .arg(why));
                const OpenProblem problem = version == 0 || (code & 0xff) == SQLITE_FULL
                                                ? problemOf(code)
                                                : OpenProblem::MigrationFailed;
                return refuse(problem, why);
            }
        }

        if (!movedAside.isEmpty()) {
            m_salvage = salvageQueue(movedAside, db);
            CC_LOG(QStringLiteral("%1 unsent changes in the damaged store, %2 of them queued again")
                       .arg(m_salvage.unsent)
                       .arg(m_salvage.requeued));
        }

        // Collation keys depend on the language: rebuild them when it changed since they were written.
        const QString collation = TextKeys::collationName();
        if (db.scalar(QStringLiteral("SELECT value FROM cc_meta WHERE key = 'collation'")).toString() !=
            collation) {
            sql::WriteTransaction tx(db);
            bool ok = tx.isActive();
            for (const EntityDescription* e : Model::entities())
                for (const auto& a : e->attributes)
                    if (a.flags & Sorted)
                        ok = ok && db.exec(QStringLiteral("UPDATE %1 SET %2 = cc_sortkey(%3)")
                                               .arg(quoted(e->name), quoted(a.sortKeyColumn()),
                                                    quoted(a.column())));
            sql::Statement st =
                db.prepare(QStringLiteral("INSERT OR REPLACE INTO cc_meta VALUES ('collation', ?)"));
            st.bindText(1, collation);
            ok = ok && st.step() == SQLITE_DONE && tx.commit();
            if (!ok)
                CC_LOG(QStringLiteral("error %1").arg(db.lastError()));
        }
        return true;
    }
    return false;
}

Context* Store::context() {
    QThread* thread = QThread::currentThread();
    QMutexLocker lock(&m_mutex);
    if (Context* c = m_contexts.value(thread))
        return c;
    auto* c = new Context(this);
    m_contexts.insert(thread, c);
    std::weak_ptr<Store> weak = weak_from_this();
    QObject::connect(
        thread, &QThread::finished, thread,
        [weak, thread] {
            if (auto store = weak.lock())
                store->forgetContext(thread);
        },
        Qt::DirectConnection);
    return c;
}

void Store::forgetContext(QThread* thread) {
    Context* gone = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        gone = m_contexts.take(thread);
    }
    delete gone; // outside the lock: other threads keep getting their contexts meanwhile
}

bool Store::beginWriting() {
    QThread* self = QThread::currentThread();
    const bool urgent = QCoreApplication::instance() && self == QCoreApplication::instance()->thread();
    QMutexLocker lock(&m_writeMutex);
    if (m_writer == self)
        return false; // a second context of this thread: SQLite's lock decides, as it always did
    const QDeadlineTimer deadline(kBusyMs);
    if (urgent)
        ++m_urgentWaiting;
    bool free = true;
    while (free && (m_writer || (!urgent && m_urgentWaiting > 0)))
        free = m_writeFree.wait(&m_writeMutex, deadline);
    if (urgent)
        --m_urgentWaiting;
    if (!free) {
        m_writeFree.wakeAll(); // background writers held back for this one may go again
        return false;
    }
    m_writer = self;
    return true;
}

void Store::endWriting() {
    QMutexLocker lock(&m_writeMutex);
    m_writer = nullptr;
    m_writeFree.wakeAll();
}

std::unique_ptr<Context> Store::newContext() {
    return std::make_unique<Context>(this);
}

bool Store::deleteEverything(const std::function<void()>& refill) {
    Context* c = context();
    QString error;
    if (c->wipe(refill, &error))
        return true; // other threads' contexts start afresh once they hold nothing of before
    CC_LOG(QStringLiteral("the store could not be emptied: %1").arg(error));
    if (!isDamage(c->m_db.lastErrorCode()))
        return false; // the store is as it was: the wipe can be tried again
    if (!recreateFile())
        return false;
    c->ensureCurrent(); // on the new file, before refill's records go into the context
    if (refill) {
        refill();
        if (!c->save(&error)) {
            CC_LOG(QStringLiteral("error %1").arg(error));
            c->rollback();
            return false;
        }
    }
    return true;
}

bool Store::recreateFile() {
    ++m_generation; // writers still on the old file are refused from here on
    {
        QMutexLocker lock(&m_mutex);
        if (Context* c = m_contexts.value(QThread::currentThread())) {
            c->reset();
            c->m_db.close();
        }
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(m_path + QLatin1String(suffix));
    QString error;
    const bool ok = initialiseFile(&error);
    if (!ok)
        CC_LOG(QStringLiteral("error %1").arg(error));
    ++m_generation; // other threads' contexts start afresh on the new file at their next use
    return ok;
}

bool Store::configureConnection(sql::Database& db, bool synced) {
    return configure(db, synced);
}

void Store::watchCommits(sql::Database& db) {
    if (m_flusher)
        sqlite3_wal_hook(db.handle(), &Flusher::committed, m_flusher.get());
}
