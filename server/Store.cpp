#include "Store.h"

#include <array>

#include <QDateTime>
#include <QJsonDocument>
#include <sqlite3.h>

namespace server {

namespace {

const char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS records (
  kind TEXT NOT NULL, id TEXT NOT NULL, org TEXT NOT NULL, entity TEXT NOT NULL, ref TEXT NOT NULL,
  time_ms INTEGER NOT NULL, token INTEGER NOT NULL, secret TEXT, body TEXT NOT NULL,
  PRIMARY KEY (kind, id));
CREATE INDEX IF NOT EXISTS records_by_entity ON records (kind, entity, token);
CREATE INDEX IF NOT EXISTS records_by_ref ON records (kind, ref);
CREATE INDEX IF NOT EXISTS records_by_org ON records (kind, org, token);
CREATE TABLE IF NOT EXISTS images (name TEXT PRIMARY KEY, mime TEXT NOT NULL, data BLOB NOT NULL);
PRAGMA user_version = 1;
)";

const char kSelect[] = "SELECT kind, id, org, entity, ref, time_ms, token, secret, body FROM records ";

void bindText(sqlite3_stmt* st, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* st, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, column)) : QString();
}

QByteArray compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

Record readRow(sqlite3_stmt* st) {
    Record r;
    r.kind = columnText(st, 0);
    r.id = columnText(st, 1);
    r.org = columnText(st, 2);
    r.entity = columnText(st, 3);
    r.ref = columnText(st, 4);
    r.timeMs = sqlite3_column_int64(st, 5);
    r.token = sqlite3_column_int64(st, 6);
    r.secret = columnText(st, 7);
    const auto* p = static_cast<const char*>(sqlite3_column_blob(st, 8));
    r.body = QJsonDocument::fromJson(QByteArray(p, sqlite3_column_bytes(st, 8))).object();
    return r;
}

// Resets a cached statement when the caller is done with it, whatever path it leaves by.
struct Reset {
    sqlite3_stmt* st;
    ~Reset() {
        if (st) {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    }
};

} // namespace

Store::~Store() {
    for (auto& [sql, st] : m_statements)
        sqlite3_finalize(st);
    if (m_db)
        sqlite3_close_v2(m_db);
}

bool Store::exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &err) == SQLITE_OK)
        return true;
    qWarning("sqlite: %s", err ? err : "?");
    sqlite3_free(err);
    return false;
}

sqlite3_stmt* Store::prepare(const char* sql) {
    for (auto& [text, st] : m_statements)
        if (text == sql)
            return st;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
        qWarning("sqlite prepare: %s", sqlite3_errmsg(m_db));
        return nullptr;
    }
    m_statements.emplace_back(sql, st);
    return st;
}

bool Store::open(const QString& path, QString* error) {
    std::lock_guard lock(m_mutex);
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "cannot open");
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    const int version = [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &st, nullptr);
        const int v = st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
        sqlite3_finalize(st);
        return v;
    }();
    if (version < 0 || version > 1) {
        *error = QStringLiteral("%1 is not a store of this server version").arg(path);
        return false;
    }
    if (!exec("PRAGMA journal_mode=WAL") || !exec(kSchema)) {
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    sqlite3_stmt* st = prepare("SELECT value FROM meta WHERE key = 'token'");
    Reset reset{st};
    if (st && sqlite3_step(st) == SQLITE_ROW)
        m_token = sqlite3_column_int64(st, 0);
    return true;
}

bool Store::transaction(const std::function<bool()>& f) {
    std::lock_guard lock(m_mutex);
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    const qint64 tokenBefore = m_token;
    if (f() && exec("COMMIT"))
        return true;
    exec("ROLLBACK");
    m_token = tokenBefore;
    return false;
}

qint64 Store::currentToken() {
    std::lock_guard lock(m_mutex);
    return m_token;
}

// Millisecond based so tokens stay meaningful to a person reading them, yet strictly increasing even when
// the clock steps back or two changes fall in one millisecond.
qint64 Store::nextToken() {
    const qint64 next = std::max(m_token + 1, QDateTime::currentMSecsSinceEpoch());
    sqlite3_stmt* st = prepare("INSERT INTO meta (key, value) VALUES ('token', ?1) "
                               "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    Reset reset{st};
    sqlite3_bind_int64(st, 1, next);
    if (!st || sqlite3_step(st) != SQLITE_DONE)
        return -1;
    m_token = next;
    return next;
}

qint64 Store::put(const Record& record) {
    std::lock_guard lock(m_mutex);
    if (sqlite3_get_autocommit(m_db)) {
        qint64 token = -1;
        transaction([&] {
            token = putLocked(record);
            return token >= 0;
        });
        return token;
    }
    return putLocked(record);
}

qint64 Store::putLocked(const Record& record) {
    const QByteArray body = compact(record.body);
    if (const auto old = get(record.kind, record.id)) {
        if (old->org == record.org && old->entity == record.entity && old->ref == record.ref &&
            old->timeMs == record.timeMs && old->secret == record.secret && compact(old->body) == body)
            return old->token;
    }
    const qint64 token = nextToken();
    if (token < 0)
        return -1;
    sqlite3_stmt* st = prepare("INSERT OR REPLACE INTO records (kind, id, org, entity, ref, time_ms, token, "
                               "secret, body) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    Reset reset{st};
    if (!st)
        return -1;
    bindText(st, 1, record.kind);
    bindText(st, 2, record.id);
    bindText(st, 3, record.org);
    bindText(st, 4, record.entity);
    bindText(st, 5, record.ref);
    sqlite3_bind_int64(st, 6, record.timeMs);
    sqlite3_bind_int64(st, 7, token);
    if (record.secret.isEmpty())
        sqlite3_bind_null(st, 8);
    else
        bindText(st, 8, record.secret);
    sqlite3_bind_text(st, 9, body.constData(), int(body.size()), SQLITE_TRANSIENT);
    return sqlite3_step(st) == SQLITE_DONE ? token : -1;
}

std::optional<Record> Store::get(const QString& kind, const QString& id) {
    std::lock_guard lock(m_mutex);
    static const std::string sql = std::string(kSelect) + "WHERE kind = ?1 AND id = ?2";
    sqlite3_stmt* st = prepare(sql.c_str());
    Reset reset{st};
    if (!st)
        return std::nullopt;
    bindText(st, 1, kind);
    bindText(st, 2, id);
    if (sqlite3_step(st) != SQLITE_ROW)
        return std::nullopt;
    return readRow(st);
}

std::vector<Record> Store::find(const Query& q) {
    std::lock_guard lock(m_mutex);
    // One statement per shape of query, naming only the filters given: a catch-all "(?2 = '' OR org = ?2)"
    // keeps SQLite from the (kind, entity, token) and (kind, org, token) indexes, and every refresh then
    // read every record of its kind ever stored.
    static const std::array<std::string, 16> statements = [] {
        std::array<std::string, 16> all;
        for (int shape = 0; shape < 16; ++shape) {
            std::string sql = std::string(kSelect) + "WHERE kind = ?1 AND token > ?5";
            if (shape & 1)
                sql += " AND org = ?2";
            if (shape & 2)
                sql += " AND entity = ?3";
            if (shape & 4)
                sql += " AND ref = ?4";
            if (shape & 8)
                sql += " AND time_ms >= ?6";
            all[std::size_t(shape)] = sql + " ORDER BY id";
        }
        return all;
    }();
    const int shape = (q.org.isEmpty() ? 0 : 1) | (q.entity.isEmpty() ? 0 : 2) | (q.ref.isEmpty() ? 0 : 4) |
                      (q.fromTimeMs ? 8 : 0);
    std::vector<Record> out;
    sqlite3_stmt* st = prepare(statements[std::size_t(shape)].c_str());
    Reset reset{st};
    if (!st)
        return out;
    bindText(st, 1, q.kind);
    if (shape & 1)
        bindText(st, 2, q.org);
    if (shape & 2)
        bindText(st, 3, q.entity);
    if (shape & 4)
        bindText(st, 4, q.ref);
    sqlite3_bind_int64(st, 5, q.afterToken);
    if (q.fromTimeMs)
        sqlite3_bind_int64(st, 6, *q.fromTimeMs);
    while (sqlite3_step(st) == SQLITE_ROW)
        out.push_back(readRow(st));
    return out;
}

qint64 Store::count(const QString& kind, bool existingOnly) {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* st = prepare(existingOnly ? "SELECT count(*) FROM records WHERE kind = ?1 AND "
                                              "json_extract(body, '$.exists') = 1"
                                            : "SELECT count(*) FROM records WHERE kind = ?1");
    Reset reset{st};
    if (!st)
        return -1;
    bindText(st, 1, kind);
    return sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
}

bool Store::isEmpty() {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* st = prepare("SELECT 1 FROM records LIMIT 1");
    Reset reset{st};
    return st && sqlite3_step(st) != SQLITE_ROW;
}

bool Store::putImage(const QString& name, const QString& mime, const QByteArray& data) {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* st = prepare("INSERT OR REPLACE INTO images (name, mime, data) VALUES (?1, ?2, ?3)");
    Reset reset{st};
    if (!st)
        return false;
    bindText(st, 1, name);
    bindText(st, 2, mime);
    sqlite3_bind_blob(st, 3, data.constData(), int(data.size()), SQLITE_TRANSIENT);
    return sqlite3_step(st) == SQLITE_DONE;
}

std::optional<std::pair<QString, QByteArray>> Store::image(const QString& name) {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* st = prepare("SELECT mime, data FROM images WHERE name = ?1");
    Reset reset{st};
    if (!st)
        return std::nullopt;
    bindText(st, 1, name);
    if (sqlite3_step(st) != SQLITE_ROW)
        return std::nullopt;
    const auto* p = static_cast<const char*>(sqlite3_column_blob(st, 1));
    return std::make_pair(columnText(st, 0), QByteArray(p, sqlite3_column_bytes(st, 1)));
}

qint64 Store::imageCount() {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* st = prepare("SELECT count(*) FROM images");
    Reset reset{st};
    return st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
}

} // namespace server
