#include "Store.h"

#include "Log.h"
#include "TextKeys.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

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
bool configure(sql::Database& db, bool synced = true) {
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

// Migration steps: entry i brings the layout from version i to i + 1, each in one transaction.
const std::vector<std::function<QStringList()>>& migrations() {
    static const std::vector<std::function<QStringList()>> steps = {createSchema};
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
void checkInBackground(const QString& path) {
    std::thread([path] {
        sql::Database db;
        if (!db.open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX))
            return;
        sqlite3_busy_timeout(db.handle(), 10000);
        const QVariant result = db.scalar(QStringLiteral("PRAGMA quick_check(1)"));
        const bool damaged =
            result.isValid() ? result.toString() != QLatin1String("ok") : isDamage(db.lastErrorCode());
        if (!damaged)
            return;
        CC_LOG(QStringLiteral("store %1 is damaged (%2); it is moved aside at the next start")
                   .arg(path, result.isValid() ? result.toString() : db.lastError()));
        QFile marker(damageMarker(path));
        if (marker.open(QIODevice::WriteOnly))
            marker.write("damaged\n");
    }).detach();
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

std::shared_ptr<Store> Store::open(const QString& path, QString* error) {
    std::shared_ptr<Store> store(new Store);
    store->m_path = path;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!store->initialiseFile(error))
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

bool Store::initialiseFile(QString* error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        sql::Database db;
        QString problem;
        int code = SQLITE_OK;
        if (!db.open(m_path)) {
            problem = db.lastError();
            code = db.lastErrorCode();
        } else if (!configure(db)) {
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
                CC_LOG(
                    QStringLiteral(
                        "store %1 is damaged (%2); moved aside to %3, starting with an empty store")
                        .arg(m_path, problem, target.isEmpty() ? QStringLiteral("(move failed)") : target));
                if (target.isEmpty())
                    QFile::remove(m_path); // cannot keep it and cannot open it
                continue;
            }
            if (error)
                *error = problem;
            CC_LOG(QStringLiteral("store %1 could not be opened: %2").arg(m_path, problem));
            return false;
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
            if (error)
                *error = why;
            return false;
        }
        for (int v = version; v < Model::schemaVersion(); ++v) {
            sql::WriteTransaction tx(db);
            bool ok = tx.isActive();
            for (const QString& statement : migrations().at(size_t(v))())
                ok = ok && db.exec(statement);
            ok = ok && db.exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1)) && tx.commit();
            if (!ok) {
                if (error)
                    *error = db.lastError();
                CC_LOG(
                    QStringLiteral("store migration to layout %1 failed: %2").arg(v + 1).arg(db.lastError()));
                return false;
            }
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

bool Store::deleteEverything() {
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

// ---------------------------------------------------------------- Context

// A context's turn to write (see Store::beginWriting), for one transaction.
class WriteTurn {
public:
    explicit WriteTurn(Store* store)
        : m_store(store)
        , m_taken(store->beginWriting()) {}
    ~WriteTurn() {
        if (m_taken)
            m_store->endWriting();
    }
    WriteTurn(const WriteTurn&) = delete;
    WriteTurn& operator=(const WriteTurn&) = delete;

private:
    Store* m_store;
    bool m_taken;
};

struct Context::Compiled {
    QString sql;
    QVariantList params;
};

Context::Context(Store* store)
    : m_store(store) {
    ensureCurrent();
}

Context::~Context() = default;

void Context::ensureCurrent() {
    const int generation = m_store->generation();
    if (generation == m_generation && m_db.isOpen())
        return;
    if (generation != m_generation)
        reset();
    m_generation = generation;
    openDatabase();
}

bool Context::openDatabase() {
    m_statements.clear();
    m_db.close();
    // The main thread makes the clockings: its commits reach the disk before save() returns. Other
    // threads leave the sync to the flusher.
    const bool main =
        QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    if (!m_db.open(m_store->path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) || !configure(m_db, main)) {
        CC_LOG(QStringLiteral("error %1").arg(m_db.lastError()));
        return false;
    }
    // Commits neither sync nor copy the WAL themselves: the store's flusher does, beside them.
    if (m_store->m_flusher)
        sqlite3_wal_hook(m_db.handle(), &Store::Flusher::committed, m_store->m_flusher.get());
    return true;
}

sql::Database& Context::database() {
    ensureCurrent();
    return m_db;
}

ManagedObject* Context::adopt(ManagedObject* object) {
    static std::atomic<quint64> sequence{0};
    object->m_sequence = ++sequence;
    m_objects.emplace_back(object);
    return object;
}

void Context::listChanged(ManagedObject* object) {
    if (object->m_listed)
        return;
    object->m_listed = true;
    m_changed.push_back(object);
}

std::vector<ManagedObject*> Context::changedInOrder() const {
    std::vector<ManagedObject*> out;
    out.reserve(m_changed.size());
    for (ManagedObject* o : m_changed)
        if (o->hasChanges() && !(o->m_inserted && o->m_deleted))
            out.push_back(o);
    // As the objects came into the context: a record deleted before its replacement is inserted.
    std::sort(out.begin(), out.end(),
              [](const ManagedObject* a, const ManagedObject* b) { return a->m_sequence < b->m_sequence; });
    return out;
}

ManagedObject* Context::insertNewObject(const EntityDescription& entity) {
    ensureCurrent();
    ManagedObject* o = adopt(entity.create());
    o->attach(&entity, this);
    o->m_inserted = true;
    listChanged(o);
    return o;
}

void Context::deleteObject(ManagedObject* object) {
    if (!object || object->m_deleted)
        return;
    object->m_deleted = true;
    listChanged(object);
    if (object->m_inserted) {
        const QString key = object->primaryKey();
        auto& pending = m_insertedByKey[&object->entity()];
        if (pending.value(key) == object)
            pending.remove(key);
    }
}

void Context::primaryKeyChanged(ManagedObject* object, const QString& oldKey) {
    if (!object->m_inserted)
        return;
    auto& pending = m_insertedByKey[&object->entity()];
    if (pending.value(oldKey) == object)
        pending.remove(oldKey);
    const QString key = object->primaryKey();
    if (!key.isNull())
        pending.insert(key, object);
}

QList<ManagedObject*> Context::pendingObjects(const EntityDescription& entity) const {
    QList<ManagedObject*> out;
    for (ManagedObject* o : m_changed)
        if (&o->entity() == &entity && (o->hasChanges() || o->m_inserted || o->m_deleted))
            out.append(o);
    return out;
}

bool Context::hasChanges() const {
    for (const ManagedObject* o : m_changed)
        if (o->hasChanges() && !(o->m_inserted && o->m_deleted))
            return true;
    return false;
}

QString Context::selectList(const EntityDescription& entity) const {
    // Built once per entity and thread: every fetch of records starts with it.
    thread_local QHash<const EntityDescription*, QString> built;
    QString& list = built[&entity];
    if (list.isEmpty()) {
        QStringList cols{QStringLiteral("t.rowid")};
        for (const auto& a : entity.attributes)
            cols << QStringLiteral("t.") + quoted(a.column());
        list = cols.join(QStringLiteral(", "));
    }
    return list;
}

namespace {

// Where a bound value comes from, so that a compiled statement can be reused for the next predicate of
// the same shape: the compare node (in reading order), the list element, and how it is prepared.
struct ParamSource {
    int node;
    int listIndex; // -1: the node's value itself
    enum FoldKind : quint8 { None, Fold, FoldCase } fold;
    bool numeric;
};

QVariant prepared(QVariant v, const ParamSource& s) {
    if (!v.isValid())
        return v;
    if (s.fold == ParamSource::Fold)
        return TextKeys::fold(v.toString());
    if (s.fold == ParamSource::FoldCase)
        return TextKeys::foldCase(v.toString());
    if (s.numeric && s.listIndex < 0 && v.typeId() == QMetaType::Bool)
        return qint64(v.toBool());
    return v;
}

struct SqlBuilder {
    const EntityDescription& entity;
    QStringList joins;
    QStringList joined;
    QVariantList params;
    std::vector<ParamSource> sources;
    int compareIndex = -1;
    bool reusable = true; // false when the text depends on more than the shape (a logged mistake)

    // The SQL expression of a key path, joining the referenced table for "ref.attribute".
    const AttributeDescription* column(const QString& keyPath, QString& expression) {
        const int dot = keyPath.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            const AttributeDescription* a = entity.find(keyPath);
            if (a)
                expression = QStringLiteral("t.") + quoted(a->column());
            return a;
        }
        const QString ref = keyPath.left(dot);
        const AttributeDescription* r = entity.find(ref);
        if (!r || r->type != AttributeType::Reference)
            return nullptr;
        const EntityDescription* target = Model::entity(r->target);
        const AttributeDescription* a = target ? target->find(keyPath.mid(dot + 1)) : nullptr;
        if (!a)
            return nullptr;
        const QString alias = QStringLiteral("j_") + ref;
        if (!joined.contains(alias)) {
            joined << alias;
            joins << QStringLiteral("LEFT JOIN %1 %2 ON %2.%3 = t.%4")
                         .arg(quoted(target->name), alias,
                              quoted(target->attribute(target->primaryKeyIndex()).column()),
                              quoted(r->column()));
        }
        expression = alias + QLatin1Char('.') + quoted(a->column());
        return a;
    }

    QString sortExpression(const SortDescriptor& s) {
        QString expr;
        const AttributeDescription* a = column(s.keyPath, expr);
        if (!a)
            return QString();
        if (s.localized && a->type != AttributeType::Number) {
            if (a->flags & Sorted)
                expr = expr.left(expr.lastIndexOf(QLatin1Char('.')) + 1) + quoted(a->sortKeyColumn());
            else
                expr = QStringLiteral("cc_sortkey(%1)").arg(expr);
        }
        return expr + (s.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }

    QString where(const Predicate::Node* n) {
        switch (n->kind) {
        case Predicate::Node::And:
        case Predicate::Node::Or: {
            // Left first: parameters are collected in the order the SQL text reads them.
            const QString left = where(n->left.data());
            const QString right = where(n->right.data());
            return (n->kind == Predicate::Node::And ? QStringLiteral("(%1 AND %2)")
                                                    : QStringLiteral("(%1 OR %2)"))
                .arg(left, right);
        }
        case Predicate::Node::Not:
            return QStringLiteral("(NOT coalesce(%1, 0))").arg(where(n->left.data()));
        case Predicate::Node::False:
            return QStringLiteral("0");
        case Predicate::Node::Compare:
            break;
        }
        const int node = ++compareIndex;
        QString expr;
        const AttributeDescription* a = column(n->keyPath, expr);
        if (!a) {
            CC_LOG(QStringLiteral("unknown key %1 in predicate on %2").arg(n->keyPath, entity.name));
            reusable = false;
            return QStringLiteral("0");
        }
        const bool textual = a->type != AttributeType::Number;
        const ParamSource::FoldKind fold = !textual                  ? ParamSource::None
                                           : n->diacriticInsensitive ? ParamSource::Fold
                                           : n->caseInsensitive      ? ParamSource::FoldCase
                                                                     : ParamSource::None;
        auto bind = [&](const QVariant& v, int listIndex) {
            const ParamSource source{node, listIndex, fold, !textual};
            sources.push_back(source);
            params << prepared(v, source);
        };
        if (textual && n->diacriticInsensitive) {
            if (a->flags & Folded)
                expr = expr.left(expr.lastIndexOf(QLatin1Char('.')) + 1) + quoted(a->foldedColumn());
            else
                expr = QStringLiteral("cc_fold(%1)").arg(expr);
        } else if (textual && n->caseInsensitive) {
            expr = QStringLiteral("cc_foldc(%1)").arg(expr);
        }
        const QString& op = n->op;
        if (op == QLatin1String("IN")) {
            QStringList marks;
            const QVariantList values = n->value.toList();
            for (int i = 0; i < values.size(); ++i) {
                bind(values.at(i), i);
                marks << QStringLiteral("?");
            }
            return marks.isEmpty() ? QStringLiteral("0")
                                   : QStringLiteral("%1 IN (%2)").arg(expr, marks.join(u','));
        }
        if (!n->value.isValid()) {
            if (op == QLatin1String("=="))
                return expr + QStringLiteral(" IS NULL");
            if (op == QLatin1String("!="))
                return expr + QStringLiteral(" IS NOT NULL");
            return QStringLiteral("0");
        }
        bind(n->value, -1);
        if (op == QLatin1String("CONTAINS"))
            return QStringLiteral("instr(%1, ?) > 0").arg(expr);
        if (op == QLatin1String("BEGINSWITH"))
            return QStringLiteral("instr(%1, ?) = 1").arg(expr);
        if (op == QLatin1String("ENDSWITH")) {
            bind(n->value, -1);
            return QStringLiteral("substr(%1, -length(?)) = ?").arg(expr);
        }
        const QString sqlOp = op == QLatin1String("==") ? QStringLiteral("=") : op;
        return QStringLiteral("%1 %2 ?").arg(expr, sqlOp);
    }
};

} // namespace

namespace {

struct Built {
    QString sql;
    QVariantList params;
    std::vector<ParamSource> sources;
    bool reusable;
};

Built build(const FetchRequest& request, const QString& select, bool rowsOnly, const QString& join) {
    SqlBuilder b{*request.entity, {}, {}, {}, {}};
    const QString condition =
        request.predicate.isEmpty() ? QString() : b.where(request.predicate.root().data());
    QStringList order;
    for (const auto& s : request.sortDescriptors) {
        const QString e = b.sortExpression(s);
        if (!e.isEmpty())
            order << e;
    }
    if (!order.isEmpty() && !rowsOnly)
        order << QStringLiteral("t.rowid");
    QString sql = QStringLiteral("SELECT %1%2 FROM %3 t")
                      .arg(request.distinct ? QStringLiteral("DISTINCT ") : QString(), select,
                           quoted(request.entity->name));
    if (!join.isEmpty())
        sql += QLatin1Char(' ') + join;
    if (!b.joins.isEmpty())
        sql += QLatin1Char(' ') + b.joins.join(QLatin1Char(' '));
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    if (request.fetchLimit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(request.fetchLimit);
    return {sql, b.params, std::move(b.sources), b.reusable};
}

} // namespace

namespace {

// The shape of a request: everything its SQL text depends on, and nothing that is only bound.
void appendShape(const Predicate::Node* n, QByteArray& key, std::vector<const Predicate::Node*>& compares) {
    key += char('a' + n->kind);
    switch (n->kind) {
    case Predicate::Node::And:
    case Predicate::Node::Or:
        appendShape(n->left.data(), key, compares);
        appendShape(n->right.data(), key, compares);
        return;
    case Predicate::Node::Not:
        appendShape(n->left.data(), key, compares);
        return;
    case Predicate::Node::False:
        return;
    case Predicate::Node::Compare:
        break;
    }
    compares.push_back(n);
    auto text = [&key](const QString& t) {
        key.append(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
        key += '\0';
        key += '\0';
    };
    text(n->keyPath);
    text(n->op);
    key += char('0' + (n->caseInsensitive ? 1 : 0) + (n->diacriticInsensitive ? 2 : 0));
    if (n->op == QLatin1String("IN"))
        key += QByteArray::number(n->value.toList().size()) + ';';
    else
        key += n->value.isValid() ? 'v' : 'n';
}

struct Shape {
    QString sql;
    std::vector<ParamSource> sources;
};

} // namespace

Context::Compiled Context::compile(const FetchRequest& request, const QString& select, bool rowsOnly,
                                   const QString& join) const {
    // The same few requests come again and again (one per child in a recomputation): their text is
    // built once per thread and only the values are taken from each new predicate.
    thread_local QHash<QByteArray, Shape> shapes;
    QByteArray key;
    key.reserve(256);
    std::vector<const Predicate::Node*> compares;
    const auto* entity = request.entity;
    key.append(reinterpret_cast<const char*>(&entity), sizeof entity);
    key += char('0' + (rowsOnly ? 1 : 0) + (request.distinct ? 2 : 0));
    key += QByteArray::number(request.fetchLimit) + ';';
    if (!rowsOnly && select.constData() == selectList(*entity).constData()) {
        key += 'R'; // the usual column list of records: no need to spell it out
    } else {
        key.append(reinterpret_cast<const char*>(select.utf16()), select.size() * 2);
        key += '\0';
        key += '\0';
    }
    key.append(reinterpret_cast<const char*>(join.utf16()), join.size() * 2);
    key += '\0';
    for (const SortDescriptor& sort : request.sortDescriptors) {
        key.append(reinterpret_cast<const char*>(sort.keyPath.utf16()), sort.keyPath.size() * 2);
        key += char('0' + sort.ascending + 2 * sort.localized);
    }
    key += '|';
    if (!request.predicate.isEmpty())
        appendShape(request.predicate.root().data(), key, compares);
    if (const auto found = shapes.constFind(key); found != shapes.constEnd()) {
        Compiled c{found->sql, {}};
        c.params.reserve(qsizetype(found->sources.size()));
        const Predicate::Node* listNode = nullptr;
        QVariantList list;
        for (const ParamSource& source : found->sources) {
            const Predicate::Node* n = compares[size_t(source.node)];
            if (source.listIndex < 0) {
                c.params << prepared(n->value, source);
                continue;
            }
            if (n != listNode) {
                listNode = n;
                list = n->value.toList();
            }
            c.params << prepared(list.at(source.listIndex), source);
        }
        return c;
    }
    Built built = build(request, select, rowsOnly, join);
    if (built.reusable) {
        if (shapes.size() > 2000)
            shapes.clear(); // only an unusual caller gets here: many different IN list lengths
        shapes.insert(key, Shape{built.sql, std::move(built.sources)});
    }
    return {built.sql, built.params};
}

namespace {
QVariant columnValue(sql::Statement& st, int column, AttributeType type) {
    switch (sqlite3_column_type(st.handle(), column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        if (type == AttributeType::Number)
            return QVariant(qint64(sqlite3_column_int64(st.handle(), column)));
        break;
    default:
        break;
    }
    return type == AttributeType::Number ? QVariant(st.integer(column)) : QVariant(st.text(column));
}
} // namespace

namespace {
// Whether a value held in memory equals the stored column, without building a text for the column:
// records met again (a refresh) mostly have not changed.
bool sameAsStored(const QVariant& held, sql::Statement& st, int column) {
    sqlite3_stmt* h = st.handle();
    switch (sqlite3_column_type(h, column)) {
    case SQLITE_NULL:
        return !held.isValid();
    case SQLITE_INTEGER:
        return held.typeId() == QMetaType::LongLong &&
               *static_cast<const qint64*>(held.constData()) == sqlite3_column_int64(h, column);
    case SQLITE_TEXT: {
        if (held.typeId() != QMetaType::QString)
            return false;
        const QString& text = *static_cast<const QString*>(held.constData());
        const auto* bytes = sqlite3_column_text(h, column);
        const int n = sqlite3_column_bytes(h, column);
        if (n != text.size())
            return false;
        const QChar* units = text.constData();
        for (int i = 0; i < n; ++i)
            if (bytes[i] >= 0x80 || units[i].unicode() != bytes[i])
                return false; // not plain ASCII: decided by a full read
        return true;
    }
    default:
        return false;
    }
}
} // namespace

ManagedObject* Context::materialise(const EntityDescription& entity, sql::Statement& st) {
    const qint64 rowId = st.integer(0);
    auto& rows = m_byRow[&entity];
    ManagedObject* o = rows.value(rowId);
    const int n = int(entity.attributes.size());
    if (!o) {
        o = adopt(entity.create());
        o->attach(&entity, this);
        o->m_rowId = rowId;
        rows.insert(rowId, o);
        for (int i = 0; i < n; ++i)
            o->m_values[size_t(i)] = columnValue(st, i + 1, entity.attributes.at(i).type);
        return o;
    }
    // Already known here: take what others saved, keep what this context changed.
    for (int i = 0; i < n; ++i)
        if (!o->isDirty(i) && !sameAsStored(o->m_values[size_t(i)], st, i + 1))
            o->m_values[size_t(i)] = columnValue(st, i + 1, entity.attributes.at(i).type);
    return o;
}

QList<ManagedObject*> Context::executeFetch(const FetchRequest& request) {
    ensureCurrent();
    QList<ManagedObject*> out;
    const Compiled c = compile(request, selectList(*request.entity), false);
    sql::Statement* st = m_db.cached(c.sql);
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(m_db.lastError(), c.sql));
        return out;
    }
    for (int i = 0; i < c.params.size(); ++i)
        st->bind(i + 1, c.params.at(i));
    int rc;
    while ((rc = st->step()) == SQLITE_ROW) {
        ManagedObject* o = materialise(*request.entity, *st);
        if (!o->m_deleted)
            out.append(o);
    }
    if (rc != SQLITE_DONE)
        CC_LOG(QStringLiteral("error %1").arg(m_db.lastError()));
    st->reset();
    return out;
}

int Context::count(const FetchRequest& request) {
    ensureCurrent();
    const Compiled c = compile(request, QStringLiteral("count(*)"), true);
    sql::Statement* st = m_db.cached(c.sql);
    if (!st)
        return 0;
    for (int i = 0; i < c.params.size(); ++i)
        st->bind(i + 1, c.params.at(i));
    const int n = st->step() == SQLITE_ROW ? int(st->integer(0)) : 0;
    st->reset();
    return n;
}

QList<QVariantMap> Context::fetchRows(const FetchRequest& request) {
    ensureCurrent();
    QList<QVariantMap> out;
    QStringList cols;
    for (const QString& p : request.propertiesToFetch) {
        const AttributeDescription* a = request.entity->find(p);
        if (a)
            cols << QStringLiteral("t.") + quoted(a->column());
    }
    const Compiled c = compile(request, cols.join(QStringLiteral(", ")), true);
    sql::Statement* st = m_db.cached(c.sql);
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(m_db.lastError(), c.sql));
        return out;
    }
    for (int i = 0; i < c.params.size(); ++i)
        st->bind(i + 1, c.params.at(i));
    while (st->step() == SQLITE_ROW) {
        QVariantMap row;
        for (int i = 0; i < request.propertiesToFetch.size(); ++i)
            if (!st->isNull(i))
                row.insert(request.propertiesToFetch.at(i), st->value(i));
        out.append(row);
    }
    st->reset();
    return out;
}

QVariantList Context::aggregate(const FetchRequest& request, const QString& expressions, const QString& join,
                                const QVariantList& joinParameters) {
    ensureCurrent();
    const Compiled c = compile(request, expressions, true, join);
    sql::Statement* st = m_db.cached(c.sql);
    QVariantList out;
    if (!st) {
        CC_LOG(QStringLiteral("error %1 in %2").arg(m_db.lastError(), c.sql));
        return out;
    }
    const QVariantList params = joinParameters + c.params;
    for (int i = 0; i < params.size(); ++i)
        st->bind(i + 1, params.at(i));
    if (st->step() == SQLITE_ROW)
        for (int i = 0; i < st->columnCount(); ++i)
            out << st->value(i);
    st->reset();
    return out;
}

ManagedObject* Context::objectWithPrimaryKey(const EntityDescription& entity, const QString& key) {
    if (key.isNull())
        return nullptr;
    if (ManagedObject* pending = m_insertedByKey.value(&entity).value(key))
        return pending->m_deleted ? nullptr : pending;
    FetchRequest r;
    r.entity = &entity;
    r.predicate =
        Predicate::format(entity.attribute(entity.primaryKeyIndex()).name + QStringLiteral(" == %@"), {key});
    r.fetchLimit = 1;
    const auto found = executeFetch(r);
    return found.isEmpty() ? nullptr : found.first();
}

QHash<QString, ManagedObject*> Context::objectsWithPrimaryKeys(const EntityDescription& entity,
                                                               const QStringList& keys) {
    ensureCurrent();
    QHash<QString, ManagedObject*> out;
    out.reserve(keys.size());
    const auto& pending = m_insertedByKey.value(&entity);
    QStringList wanted;
    wanted.reserve(keys.size());
    for (const QString& k : keys) {
        if (ManagedObject* p = pending.value(k)) {
            if (!p->m_deleted)
                out.insert(k, p);
        } else if (!k.isNull()) {
            wanted << k;
        }
    }
    const int pk = entity.primaryKeyIndex();
    constexpr int chunk = 500;
    // Built by hand rather than through a predicate: this runs for every key of every answer.
    const QString head =
        QStringLiteral("SELECT %1 FROM %2 t WHERE t.%3 IN (")
            .arg(selectList(entity), quoted(entity.name), quoted(entity.attribute(pk).column()));
    for (int from = 0; from < wanted.size(); from += chunk) {
        const int n = std::min<int>(chunk, int(wanted.size()) - from);
        QString sqlText = head;
        sqlText.reserve(head.size() + 2 * n + 1);
        for (int i = 0; i < n; ++i)
            sqlText += i ? QLatin1String(",?") : QLatin1String("?");
        sqlText += QLatin1Char(')');
        sql::Statement* st = m_db.cached(sqlText);
        if (!st) {
            CC_LOG(QStringLiteral("error %1 in %2").arg(m_db.lastError(), sqlText));
            return out;
        }
        for (int i = 0; i < n; ++i)
            st->bindText(i + 1, wanted.at(from + i));
        int rc;
        while ((rc = st->step()) == SQLITE_ROW) {
            ManagedObject* o = materialise(entity, *st);
            if (!o->m_deleted)
                out.insert(o->text(pk), o);
        }
        if (rc != SQLITE_DONE)
            CC_LOG(QStringLiteral("error %1").arg(m_db.lastError()));
        st->reset();
    }
    return out;
}

ManagedObject* Context::referenced(const ManagedObject* from, const QString& reference) {
    const AttributeDescription* a = from->entity().find(reference);
    if (!a || a->type != AttributeType::Reference)
        return nullptr;
    const QString key = from->text(from->entity().indexOf(reference));
    const EntityDescription* target = Model::entity(a->target);
    return key.isNull() || !target ? nullptr : objectWithPrimaryKey(*target, key);
}

void Context::setReferenced(ManagedObject* from, const QString& reference, const ManagedObject* to) {
    from->setValueForKey(reference, to ? QVariant(to->primaryKey()) : QVariant());
}

QList<ManagedObject*> Context::toMany(const ManagedObject* owner, const QString& relation) {
    const ToManyDescription* r = owner->entity().findToMany(relation);
    const EntityDescription* target = r ? Model::entity(r->target) : nullptr;
    if (!target || owner->primaryKey().isNull())
        return {};
    FetchRequest req;
    req.entity = target;
    req.predicate = Predicate::format(r->inverse + QStringLiteral(" == %@"), {owner->primaryKey()});
    QList<ManagedObject*> out = executeFetch(req);
    // Members linked in this context but not saved yet.
    const int inverse = target->indexOf(r->inverse);
    for (const auto& o : m_objects)
        if (&o->entity() == target && o->m_inserted && !o->m_deleted &&
            o->text(inverse) == owner->primaryKey())
            out.append(o.get());
    return out;
}

void Context::setToMany(ManagedObject* owner, const QString& relation, const QList<ManagedObject*>& members) {
    const ToManyDescription* r = owner->entity().findToMany(relation);
    if (!r)
        return;
    for (ManagedObject* old : toMany(owner, relation))
        if (!members.contains(old))
            old->setValueForKey(r->inverse, QVariant());
    for (ManagedObject* m : members)
        m->setValueForKey(r->inverse, owner->primaryKey());
}

bool Context::save(QString* error) {
    ensureCurrent();
    if (!hasChanges())
        return true;
    if (m_inWrite)
        return true; // written with the enclosing write, when it commits
    std::vector<Written> written;
    const WriteTurn turn(m_store);
    sql::WriteTransaction tx(m_db);
    if (!tx.isActive() || !saveInTransaction(error, written) || !tx.commit()) {
        if (error && error->isEmpty())
            *error = m_db.lastError();
        return false; // nothing is marked saved: the changes stay pending
    }
    finishSave(written);
    return true;
}

bool Context::performWrite(const std::function<void()>& work, QString* error) {
    ensureCurrent();
    const WriteTurn turn(m_store);
    sql::WriteTransaction tx(m_db);
    if (!tx.isActive()) {
        if (error)
            *error = m_db.lastError();
        return false;
    }
    m_inWrite = true;
    work();
    m_inWrite = false;
    std::vector<Written> written;
    if (!saveInTransaction(error, written) || !tx.commit()) {
        if (error && error->isEmpty())
            *error = m_db.lastError();
        return false;
    }
    finishSave(written);
    return true;
}

bool Context::saveInTransaction(QString* error, std::vector<Written>& inserted) {
    auto fail = [&](const QString& where) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(where, m_db.lastError());
        return false;
    };

    for (ManagedObject* o : changedInOrder()) {
        const EntityDescription& e = o->entity();
        if (o->m_deleted) {
            sql::Statement* st =
                m_db.cached(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(e.name)));
            if (!st)
                return fail(e.name);
            st->bindInt(1, o->m_rowId);
            if (st->step() != SQLITE_DONE)
                return fail(e.name);
            continue;
        }
        // The statement depends only on the entity and which attributes are written: built once each.
        quint64 mask = 0;
        for (int i = 0; i < e.attributes.size(); ++i)
            if (o->m_inserted || o->isDirty(i))
                mask |= quint64(1) << i;
        // kind: 0 update, 1 plain insert, 2 insert that merges into a row another context stored meanwhile
        auto statementFor = [&](int kind) -> sql::Statement* {
            sql::Statement*& st = m_statements[{&e, kind == 0 ? mask : ~quint64(0) - quint64(kind)}];
            if (st)
                return st;
            QStringList names;
            for (int i = 0; i < e.attributes.size(); ++i) {
                if (!(mask & (quint64(1) << i)))
                    continue;
                const auto& a = e.attribute(i);
                names << a.column();
                if (a.flags & Folded)
                    names << a.foldedColumn();
                if (a.flags & Sorted)
                    names << a.sortKeyColumn();
            }
            QString sqlText;
            if (kind == 0) {
                QStringList sets;
                for (const QString& n : names)
                    sets << quoted(n) + QStringLiteral(" = ?");
                sqlText =
                    QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(e.name), sets.join(u','));
            } else {
                QStringList cols, marks, updates;
                for (const QString& n : names) {
                    cols << quoted(n);
                    marks << QStringLiteral("?");
                    updates
                        << QStringLiteral("%1 = coalesce(excluded.%1, %2.%1)").arg(quoted(n), quoted(e.name));
                }
                sqlText = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(quoted(e.name), cols.join(u','), marks.join(u','));
                if (kind == 2)
                    sqlText +=
                        QStringLiteral(" ON CONFLICT(%1) DO UPDATE SET %2 RETURNING rowid")
                            .arg(quoted(e.attribute(e.primaryKeyIndex()).column()), updates.join(u','));
            }
            st = m_db.cached(sqlText);
            return st;
        };
        auto bindValues = [&](sql::Statement* st) {
            st->reset();
            int column = 0;
            for (int i = 0; i < e.attributes.size(); ++i) {
                if (!(mask & (quint64(1) << i)))
                    continue;
                const auto& a = e.attribute(i);
                const QVariant& v = o->m_values[size_t(i)];
                st->bind(++column, v);
                if (a.flags & Folded)
                    st->bind(++column, v.isValid() ? QVariant(TextKeys::fold(v.toString())) : QVariant());
                if (a.flags & Sorted)
                    st->bind(++column, v.isValid() ? QVariant(TextKeys::sortKey(v.toString())) : QVariant());
            }
            return column;
        };

        if (!o->m_inserted) {
            sql::Statement* st = statementFor(0);
            if (!st)
                return fail(e.name);
            st->bindInt(bindValues(st) + 1, o->m_rowId);
            const int rc = st->step();
            st->reset();
            if (rc != SQLITE_DONE)
                return fail(e.name);
            continue;
        }
        sql::Statement* st = statementFor(1);
        if (!st)
            return fail(e.name);
        bindValues(st);
        int rc = st->step();
        st->reset();
        if (rc == SQLITE_DONE) {
            inserted.push_back({o, m_db.lastInsertRowId()});
            continue;
        }
        if (rc != SQLITE_CONSTRAINT_UNIQUE)
            return fail(e.name);
        st = statementFor(2);
        if (!st)
            return fail(e.name);
        bindValues(st);
        rc = st->step();
        if (rc != SQLITE_ROW) {
            st->reset();
            return fail(e.name);
        }
        inserted.push_back({o, st->integer(0)});
        st->step();
        st->reset();
    }

    return true;
}

// After the commit: from now on the objects are plain stored records.
void Context::finishSave(const std::vector<Written>& inserted) {
    for (const Written& d : inserted) {
        d.object->m_rowId = d.rowId;
        m_byRow[&d.object->entity()].insert(d.rowId, d.object);
        auto& pending = m_insertedByKey[&d.object->entity()];
        const QString key = d.object->primaryKey();
        if (pending.value(key) == d.object)
            pending.remove(key);
    }
    for (ManagedObject* o : m_changed) {
        if (o->m_deleted) {
            if (o->m_rowId)
                m_byRow[&o->entity()].remove(o->m_rowId);
            o->m_rowId = 0;
        }
        o->clearChanges();
        o->m_listed = false;
    }
    m_changed.clear();
}

void Context::rollback() {
    std::vector<std::unique_ptr<ManagedObject>> kept;
    for (auto& holder : m_objects) {
        if (holder->m_inserted)
            continue; // never stored: dropped
        kept.push_back(std::move(holder));
    }
    m_objects = std::move(kept);
    m_insertedByKey.clear();
    m_changed.clear(); // it may name the dropped objects
    // Collected first: refreshing may add objects to the list being walked.
    QList<ManagedObject*> changed;
    for (const auto& holder : m_objects) {
        holder->m_listed = false;
        if (holder->m_dirtyCount > 0 || holder->m_deleted)
            changed.append(holder.get());
    }
    for (ManagedObject* o : changed)
        discardChanges(o);
}

QList<ManagedObject*> Context::changedObjects() const {
    const std::vector<ManagedObject*> changed = changedInOrder();
    return QList<ManagedObject*>(changed.cbegin(), changed.cend());
}

void Context::discardChanges(ManagedObject* object) {
    if (object->m_inserted) {
        deleteObject(object); // never stored: nothing to write
        return;
    }
    object->clearChanges();
    object->m_deleted = false;
    const EntityDescription& e = object->entity();
    sql::Statement* st = m_db.cached(
        QStringLiteral("SELECT %1 FROM %2 t WHERE t.rowid = ?").arg(selectList(e), quoted(e.name)));
    if (!st)
        return;
    st->bindInt(1, object->m_rowId);
    if (st->step() == SQLITE_ROW)
        materialise(e, *st);
    st->reset();
}

void Context::reset() {
    m_byRow.clear();
    m_insertedByKey.clear();
    m_changed.clear();
    m_objects.clear();
}
