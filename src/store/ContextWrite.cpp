// A context's writes: saving its pending changes in one transaction, the write turn shared with the
// other threads' contexts, wiping, and giving pending changes up.
#include "Store.h"

#include "Log.h"
#include "SqlCompiler.h"
#include "TextKeys.h"

#include <QDateTime>
#include <algorithm>

using SqlCompiler::quoted;

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

bool Context::save(QString* error) {
    ensureCurrent();
    if (!hasChanges())
        return true;
    if (m_inWrite)
        return true; // written with the enclosing write, when it commits
    std::vector<Written> written;
    const WriteTurn turn(m_store);
    sql::WriteTransaction tx(m_db);
    if (tx.isActive() && refuseStale(error))
        return false;
    if (!tx.isActive() || !saveInTransaction(error, written) || !tx.commit()) {
        if (error && error->isEmpty())
            *error = m_db.lastError();
        return false; // nothing is marked saved: the changes stay pending
    }
    finishSave(written);
    return true;
}

bool Context::saveUnsynced(const QList<const EntityDescription*>& entities, QString* error) {
    ensureCurrent();
    const bool others = std::any_of(m_changed.begin(), m_changed.end(), [&](const ManagedObject* o) {
        return (o->hasChanges() || o->m_inserted || o->m_deleted) && !entities.contains(&o->entity());
    });
    if (!m_synced || others || m_inWrite)
        return save(error);
    m_db.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const bool saved = save(error);
    m_db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    return saved;
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
    if (refuseStale(error))
        return false;
    const int readErrorsBefore = m_readErrors;
    m_inWrite = true;
    m_abandoned.clear();
    work();
    m_inWrite = false;
    if (m_readErrors != readErrorsBefore) {
        // work decided on what it read: with a read missing, its changes may undo what is stored.
        if (error)
            *error = QStringLiteral("the store could not be read: %1").arg(m_db.lastError());
        m_abandoned.clear();
        return false;
    }
    if (!m_abandoned.isEmpty()) {
        if (error)
            *error = std::exchange(m_abandoned, {});
        return false; // the transaction rolls back as it goes
    }
    std::vector<Written> written;
    if (!saveInTransaction(error, written) || !tx.commit()) {
        if (error && error->isEmpty())
            *error = m_db.lastError();
        return false;
    }
    finishSave(written);
    return true;
}

void Context::readFailed(const QString& what) {
    ++m_readErrors;
    CC_LOG(QStringLiteral("error %1 reading %2").arg(m_db.lastError(), what));
}

bool Context::refuseStale(QString* error) const {
    // Checked holding the write lock: a wipe moves the generation on inside its own transaction.
    if (!isStale())
        return false;
    if (error)
        *error = QStringLiteral("the store was emptied while these changes were made");
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

bool Context::wipe(const std::function<void()>& refill, QString* error) {
    ensureCurrent();
    if (m_inWrite)
        return false;
    // Changes not saved yet would otherwise be written into the emptied store.
    rollback();
    std::vector<Written> written;
    bool ok = false;
    {
        const WriteTurn turn(m_store);
        sql::WriteTransaction tx(m_db);
        // Freed pages are zeroed: what was wiped is not left readable in the file.
        m_db.exec(QStringLiteral("PRAGMA secure_delete = ON"));
        ok = tx.isActive();
        for (const EntityDescription* e : Model::entities())
            ok = ok && m_db.exec(QStringLiteral("DELETE FROM %1").arg(quoted(e->name)));
        if (ok && refill) {
            m_inWrite = true;
            refill();
            m_inWrite = false;
        }
        ok = ok && saveInTransaction(error, written);
        if (ok) {
            // Moved on before the commit, under the write lock: a writer that takes the lock after the
            // wipe sees that its records are from before it.
            m_generation = ++m_store->m_generation;
            ok = tx.commit();
        }
        if (!ok && error && error->isEmpty())
            *error = m_db.lastError();
    }
    m_db.exec(QStringLiteral("PRAGMA secure_delete = OFF"));
    if (!ok) {
        rollback(); // refill's records were never stored; every other object is as it was
        return false;
    }
    finishSave(written);
    reset(); // the records this context held are gone
    return true;
}

void Context::abandonWrite(const QString& why) {
    if (m_inWrite)
        m_abandoned = why.isEmpty() ? QStringLiteral("abandoned") : why;
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
