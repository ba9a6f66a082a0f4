#include "Store.h"

#include "Log.h"
#include "SqlCompiler.h"
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

using SqlCompiler::quoted;

// ---------------------------------------------------------------- Context

struct Context::Compiled {
    QString sql;
    QVariantList params;
};

Context::Context(Store* store)
    : m_store(store) {
    ensureCurrent();
}

Context::~Context() = default;

namespace {
bool onMainThread() {
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}
} // namespace

void Context::ensureCurrent() {
    const int generation = m_store->generation();
    if (generation == m_generation && m_db.isOpen())
        return;
    if (generation != m_generation) {
        // A task may still hold what this context handed out: it stays on the records it has (its
        // writes are refused, see isStale) until the task ends or, on a worker, lets them go with reset().
        if (m_tasks > 0 || (!m_objects.empty() && !onMainThread())) {
            if (!m_db.isOpen())
                openDatabase();
            return;
        }
        reset();
    }
    m_generation = generation;
    openDatabase();
}

bool Context::isStale() const {
    return m_generation != m_store->generation();
}

Context::Task::Task(Context* context)
    : m_context(context) {
    m_context->ensureCurrent();
    ++m_context->m_tasks;
}

Context::Task::~Task() {
    if (--m_context->m_tasks == 0 && m_context->isStale())
        m_context->reset(); // nothing holds the records of before any more
}

bool Context::openDatabase() {
    m_statements.clear();
    m_db.close();
    // The main thread makes the clockings: its commits reach the disk before save() returns. Other
    // threads leave the sync to the flusher.
    const bool main = onMainThread();
    if (!m_db.open(m_store->path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) ||
        !Store::configureConnection(m_db, main)) {
        m_synced = false;
        CC_LOG(QStringLiteral("error %1").arg(m_db.lastError()));
        return false;
    }
    m_synced = main;
    // Commits neither sync nor copy the WAL themselves: the store's flusher does, beside them.
    m_store->watchCommits(m_db);
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

Context::Compiled Context::compile(const FetchRequest& request, const QString& select, bool rowsOnly,
                                   const QString& join) const {
    // The usual column list of records is known by identity: its text need not be part of the key.
    const bool recordColumns = !rowsOnly && select.constData() == selectList(*request.entity).constData();
    SqlCompiler::Compiled c = SqlCompiler::compile(request, select, recordColumns, rowsOnly, join);
    return {std::move(c.sql), std::move(c.params)};
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
        readFailed(c.sql);
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
        readFailed(c.sql);
    st->reset();
    return out;
}

int Context::count(const FetchRequest& request) {
    ensureCurrent();
    const Compiled c = compile(request, QStringLiteral("count(*)"), true);
    sql::Statement* st = m_db.cached(c.sql);
    if (!st) {
        readFailed(c.sql);
        return 0;
    }
    for (int i = 0; i < c.params.size(); ++i)
        st->bind(i + 1, c.params.at(i));
    int n = 0;
    if (st->step() == SQLITE_ROW)
        n = int(st->integer(0));
    else
        readFailed(c.sql);
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
        readFailed(c.sql);
        return out;
    }
    for (int i = 0; i < c.params.size(); ++i)
        st->bind(i + 1, c.params.at(i));
    int rc;
    while ((rc = st->step()) == SQLITE_ROW) {
        QVariantMap row;
        for (int i = 0; i < request.propertiesToFetch.size(); ++i)
            if (!st->isNull(i))
                row.insert(request.propertiesToFetch.at(i), st->value(i));
        out.append(row);
    }
    if (rc != SQLITE_DONE)
        readFailed(c.sql);
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
        readFailed(c.sql);
        return out;
    }
    const QVariantList params = joinParameters + c.params;
    for (int i = 0; i < params.size(); ++i)
        st->bind(i + 1, params.at(i));
    if (st->step() == SQLITE_ROW)
        for (int i = 0; i < st->columnCount(); ++i)
            out << st->value(i);
    else
        readFailed(c.sql);
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
                                                               const QStringList& keys, bool* ok) {
    ensureCurrent();
    if (ok)
        *ok = true;
    // A key missed for a failed read would make its record look new: all or nothing.
    auto failed = [&](const QString& what) {
        readFailed(what);
        if (ok)
            *ok = false;
        return QHash<QString, ManagedObject*>();
    };
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
    // Materialises the rows st reads; given only, just those whose key is in it.
    auto collect = [&](sql::Statement* st, const QSet<QString>* only) {
        if (!st)
            return false;
        int rc;
        while ((rc = st->step()) == SQLITE_ROW) {
            if (only) {
                sqlite3_stmt* h = st->handle();
                const auto* key = static_cast<const QChar*>(sqlite3_column_text16(h, pk + 1));
                if (!key || !only->contains(QString::fromRawData(key, sqlite3_column_bytes16(h, pk + 1) / 2)))
                    continue;
            }
            ManagedObject* o = materialise(entity, *st);
            if (!o->m_deleted)
                out.insert(o->text(pk), o);
        }
        st->reset();
        return rc == SQLITE_DONE;
    };
    // Keys for much of the table (a full download met again): one pass over the table costs less than
    // two index seeks per key.
    if (wanted.size() >= 2000) {
        sql::Statement* last =
            m_db.cached(QStringLiteral("SELECT max(rowid) FROM %1").arg(quoted(entity.name)));
        if (!last || last->step() != SQLITE_ROW)
            return failed(entity.name);
        const qint64 rows = last->integer(0);
        last->reset();
        if (rows <= 2 * wanted.size()) {
            const QSet<QString> only(wanted.cbegin(), wanted.cend());
            if (!collect(
                    m_db.cached(
                        QStringLiteral("SELECT %1 FROM %2 t").arg(selectList(entity), quoted(entity.name))),
                    &only))
                return failed(entity.name);
            return out;
        }
    }
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
        if (st)
            for (int i = 0; i < n; ++i)
                st->bindText(i + 1, wanted.at(from + i));
        if (!collect(st, nullptr))
            return failed(entity.name);
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
    if (!st) {
        readFailed(e.name);
        return;
    }
    st->bindInt(1, object->m_rowId);
    const int rc = st->step();
    if (rc == SQLITE_ROW)
        materialise(e, *st);
    else if (rc != SQLITE_DONE)
        readFailed(e.name);
    st->reset();
}

void Context::reset() {
    m_byRow.clear();
    m_insertedByKey.clear();
    m_changed.clear();
    m_objects.clear();
}
