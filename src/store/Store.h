#pragma once
// The local object store: one SQLite file, one working context (and connection) per thread.
// A context keeps one object per stored record (identity), collects changes and makes them durable
// in one transaction on save(). What one context saves, the others see at their next fetch.
#include "ManagedObject.h"
#include "Predicate.h"
#include "Sqlite.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QVariantMap>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class Context;
class QThread;

struct FetchRequest {
    const EntityDescription* entity = nullptr;
    Predicate predicate;
    QList<SortDescriptor> sortDescriptors;
    int fetchLimit = 0;
    QStringList propertiesToFetch; // set: plain key-value rows instead of records
    bool distinct = false;

    template <class T>
    static FetchRequest of(const Predicate& predicate = {}, const QList<SortDescriptor>& sort = {},
                           int limit = 0) {
        FetchRequest r;
        r.entity = &T::staticEntity();
        r.predicate = predicate;
        r.sortDescriptors = sort;
        r.fetchLimit = limit;
        return r;
    }
};

class Store : public std::enable_shared_from_this<Store> {
public:
    // Why a store could not be opened, for the screen that says so.
    // NoWriteAheadLog: the disk or file cannot keep SQLite's write-ahead log, without which commits are
    // not safe at a power cut. InUse: another app on this tablet has the store (said by the start-up,
    // not by open()).
    enum class OpenProblem {
        None,
        NoAccess,
        DiskFull,
        NewerVersion,
        Damaged,
        Other,
        InUse,
        NoWriteAheadLog,
        MigrationFailed
    };
    // Opens (creating, migrating, or moving a damaged file aside) the store at path. Returns nullptr
    // with the reason in error and problem when it cannot be used: no rights on the file or its folder,
    // a full disk, a file written by a newer version of the app, a disk without a write-ahead log, a file
    // of an older version that could not be brought up to date (all steps go in one transaction, so the
    // file keeps its old layout and everything in it). A file
    // that is there is never deleted or written over on the way; the file, its folder and its journal are the
    // app user's only.
    static std::shared_ptr<Store> open(const QString& path, QString* error = nullptr,
                                       OpenProblem* problem = nullptr);
    // "RKCoreDataExample.sqlite" in the application's data folder.
    static QString defaultPath();
    ~Store();

    QString path() const { return m_path; }
    // What opening did with a damaged file: where it was moved aside (empty when nothing was), how many
    // queued changes it held for the server, and how many of those could be read and were queued again.
    struct Salvage {
        QString movedAsideTo;
        int unsent = 0;
        int requeued = 0;
    };
    const Salvage& salvage() const { return m_salvage; }
    // The calling thread's working context (created on first use, gone when the thread ends).
    Context* context();
    // An extra context on the calling thread (a second tablet in tests, a private task).
    std::unique_ptr<Context> newContext();
    // Empties the store in one transaction, together with what refill writes in the calling thread's
    // context (records to keep), so that a wipe the disk refuses leaves everything as it was. A store
    // too damaged for that is deleted and made anew. Main thread; the calling context is reset after a
    // wipe (refill's records are read again), other threads' contexts start afresh at their next use.
    // A worker's context that still holds records keeps them until its task resets it, and its writes
    // are refused meanwhile: a task never has its records freed under it nor writes them into the
    // emptied store.
    bool deleteEverything(const std::function<void()>& refill = {});
    int generation() const { return m_generation.load(); }

private:
    friend class Context;
    friend class WriteTurn;
    class Flusher;
    Store();
    bool initialiseFile(QString* error, OpenProblem* problem = nullptr);
    // The wipe of a store whose file cannot be read any more: deleted and made anew.
    bool recreateFile();
    void forgetContext(QThread* thread);
    // WAL, the busy handler and our text functions on a new connection; synced: commits wait for the disk.
    static bool configureConnection(sql::Database& db, bool synced);
    // Hands the connection's commits to the flusher, which syncs and checkpoints beside them.
    void watchCommits(sql::Database& db);
    // In-process writers take turns here before SQLite's lock: a waiting main thread goes first and is
    // woken the moment the lock is free. False when it waited longer than SQLite would have.
    bool beginWriting();
    void endWriting();

    QString m_path;
    Salvage m_salvage;
    QMutex m_mutex;
    QHash<QThread*, Context*> m_contexts;
    std::atomic<int> m_generation{0};
    std::unique_ptr<Flusher> m_flusher;
    QMutex m_writeMutex;
    QWaitCondition m_writeFree;
    QThread* m_writer = nullptr;
    int m_urgentWaiting = 0;
};

class Context {
public:
    explicit Context(Store* store);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    Store* store() const { return m_store; }
    sql::Database& database();

    ManagedObject* insertNewObject(const EntityDescription& entity);
    template <class T> T* insertNew() { return static_cast<T*>(insertNewObject(T::staticEntity())); }
    void deleteObject(ManagedObject* object);

    // Makes every pending insert, change and deletion durable in one transaction. On failure nothing
    // is written, the changes stay pending and error says why.
    bool save(QString* error = nullptr);
    // As save(), for changes a power cut may take without harm because they would only be made again
    // (answers that cause one more send): the commit does not wait for the disk, the flusher syncs it
    // moments later. A save of any other entity's changes among them waits as save() does.
    bool saveUnsynced(const QList<const EntityDescription*>& entities, QString* error = nullptr);
    // Runs work inside one write transaction and saves its changes in it: what work reads is the
    // committed state, and no other writer can slip in between the read and the write. When one of
    // work's reads fails nothing is written (work decided on less than is stored).
    bool performWrite(const std::function<void()>& work, QString* error = nullptr);
    // Inside performWrite's work: nothing of the write is committed, performWrite fails with why.
    void abandonWrite(const QString& why);
    // Forgets pending changes (objects get their stored values back; new objects are dropped).
    void rollback();
    // Deletes every record and writes refill's changes in the same transaction (see Store).
    bool wipe(const std::function<void()>& refill, QString* error = nullptr);
    // Forgets every object; pointers handed out before are invalid afterwards.
    void reset();
    bool hasChanges() const;
    // The store was emptied after this context's records were read (a worker's task still under way).
    bool isStale() const;
    // One piece of work on this context (a mapping): while it runs the context stays on the store as it
    // was when the work began, even if the store is emptied meanwhile (then its writes are refused);
    // afterwards a stale context starts afresh.
    class Task {
    public:
        explicit Task(Context* context);
        ~Task();
        Task(const Task&) = delete;
        Task& operator=(const Task&) = delete;

    private:
        Context* m_context;
    };
    // Inside performWrite's work: what is saved now only becomes durable when the write commits.
    bool isWriting() const { return m_inWrite; }
    QList<ManagedObject*> changedObjects() const;
    // Forgets this object's pending change: a stored record gets its committed values back.
    void discardChanges(ManagedObject* object);

    QList<ManagedObject*> executeFetch(const FetchRequest& request);
    template <class T>
    QList<T*> fetch(const Predicate& predicate = {}, const QList<SortDescriptor>& sort = {}, int limit = 0) {
        QList<T*> out;
        const auto objects = executeFetch(FetchRequest::of<T>(predicate, sort, limit));
        out.reserve(objects.size());
        for (ManagedObject* o : objects)
            out.append(static_cast<T*>(o));
        return out;
    }
    template <class T>
    T* fetchFirst(const Predicate& predicate = {}, const QList<SortDescriptor>& sort = {}) {
        const auto objects = fetch<T>(predicate, sort, 1);
        return objects.isEmpty() ? nullptr : objects.first();
    }
    int count(const FetchRequest& request);
    QList<QVariantMap> fetchRows(const FetchRequest& request);
    // One row of aggregate expressions over the request's records ("count(*)", "sum(t.\"x\" = 'In')"),
    // optionally joining more tables; joinParameters are bound before the predicate's.
    QVariantList aggregate(const FetchRequest& request, const QString& expressions, const QString& join = {},
                           const QVariantList& joinParameters = {});

    // The record with this primary key (pending inserts included), or nullptr.
    ManagedObject* objectWithPrimaryKey(const EntityDescription& entity, const QString& key);
    template <class T> T* find(const QString& key) {
        return static_cast<T*>(objectWithPrimaryKey(T::staticEntity(), key));
    }
    // Bulk form for mapping: one query per chunk of keys. When a read fails, nothing (ok false).
    QHash<QString, ManagedObject*> objectsWithPrimaryKeys(const EntityDescription& entity,
                                                          const QStringList& keys, bool* ok = nullptr);
    // Reads of this context that failed so far (fetches, counts and lookups then return less than is
    // stored); a caller compares it before and after its work.
    int readErrors() const { return m_readErrors; }

    ManagedObject* referenced(const ManagedObject* from, const QString& reference);
    void setReferenced(ManagedObject* from, const QString& reference, const ManagedObject* to);
    QList<ManagedObject*> toMany(const ManagedObject* owner, const QString& relation);
    void setToMany(ManagedObject* owner, const QString& relation, const QList<ManagedObject*>& members);

    int registeredObjectCount() const { return int(m_objects.size()); }
    // This context's unsaved inserts, changes and deletions of one entity (fetches read saved rows only).
    QList<ManagedObject*> pendingObjects(const EntityDescription& entity) const;

private:
    friend class ManagedObject;
    friend class Store;
    struct Compiled;
    void primaryKeyChanged(ManagedObject* object, const QString& oldKey);
    void ensureCurrent();
    bool openDatabase();
    bool refuseStale(QString* error) const;
    void readFailed(const QString& what);
    struct Written {
        ManagedObject* object;
        qint64 rowId;
    };
    bool saveInTransaction(QString* error, std::vector<Written>& inserted);
    void finishSave(const std::vector<Written>& inserted);
    ManagedObject* materialise(const EntityDescription& entity, sql::Statement& st);
    QString selectList(const EntityDescription& entity) const;
    Compiled compile(const FetchRequest& request, const QString& select, bool rowsOnly,
                     const QString& join = {}) const;
    ManagedObject* adopt(ManagedObject* object);
    void listChanged(ManagedObject* object);
    std::vector<ManagedObject*> changedInOrder() const;

    Store* m_store;
    int m_generation = -1;
    sql::Database m_db;
    std::vector<std::unique_ptr<ManagedObject>> m_objects;
    std::vector<ManagedObject*> m_changed; // objects that may have changes: saves look at these only
    QHash<const EntityDescription*, QHash<qint64, ManagedObject*>> m_byRow;
    QHash<const EntityDescription*, QHash<QString, ManagedObject*>> m_insertedByKey;
    bool m_inWrite = false;
    int m_tasks = 0;
    int m_readErrors = 0;
    QString m_abandoned;   // why the write in progress must not commit
    bool m_synced = false; // commits wait for the disk (the main thread's)
    QHash<QPair<const EntityDescription*, quint64>, sql::Statement*> m_statements; // owned by m_db's cache
};
