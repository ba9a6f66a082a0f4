#include "StatusMarks.h"

#include "Log.h"
#include "Store.h"

namespace StatusMarks {

namespace {
bool run(Context* context, const QString& sql, const QString& entity, const QStringList& ids) {
    sql::Database& db = context->database();
    sql::Statement* st = db.cached(sql);
    if (!st)
        return false;
    for (const QString& id : ids) {
        st->bindText(1, entity);
        st->bindText(2, id);
        const int rc = st->step();
        st->reset();
        if (rc != SQLITE_DONE) {
            CC_LOG(QStringLiteral("error %1").arg(db.lastError()));
            return false;
        }
    }
    return true;
}
} // namespace

bool mark(Context* context, const Batches& batches) {
    for (const auto& [entity, ids] : batches)
        if (!run(context, QStringLiteral("INSERT OR IGNORE INTO cc_status_marks (entity, id) VALUES (?, ?)"),
                 entity, ids))
            return false;
    return true;
}

bool clear(Context* context, const QString& entity, const QStringList& ids) {
    // Mostly nothing is marked (a full recomputation): one look instead of a deletion per record.
    sql::Database& db = context->database();
    sql::Statement* any = db.cached(QStringLiteral("SELECT 1 FROM cc_status_marks WHERE entity = ? LIMIT 1"));
    if (!any)
        return false;
    any->bindText(1, entity);
    const int rc = any->step();
    any->reset();
    if (rc == SQLITE_DONE)
        return true;
    if (rc != SQLITE_ROW)
        return false;
    return run(context, QStringLiteral("DELETE FROM cc_status_marks WHERE entity = ? AND id = ?"), entity, ids);
}

Batches pending(Context* context) {
    Batches out;
    sql::Database& db = context->database();
    sql::Statement* st = db.cached(QStringLiteral("SELECT entity, id FROM cc_status_marks ORDER BY entity"));
    if (!st)
        return out;
    while (st->step() == SQLITE_ROW) {
        const QString entity = st->text(0);
        if (out.isEmpty() || out.last().first != entity)
            out.append({entity, {}});
        out.last().second << st->text(1);
    }
    st->reset();
    return out;
}

} // namespace StatusMarks
