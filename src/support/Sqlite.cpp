#include "Sqlite.h"

#include <QStringEncoder>
#include <memory>

namespace sql {

Statement::Statement(Database& db, const QString& sql)
    : m_db(&db) {
    if (!db.handle()) {
        db.setError(SQLITE_MISUSE); // a connection that could not be opened
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        db.setError(rc);
        m_stmt = nullptr;
    }
}

Statement::~Statement() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db)
    , m_stmt(other.m_stmt)
    , m_texts(std::move(other.m_texts)) {
    other.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_texts = std::move(other.m_texts);
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::bind(int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        bindInt(index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case QMetaType::QString:
        bindText(index, *static_cast<const QString*>(value.constData()));
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        sqlite3_bind_blob(m_stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        bindText(index, value.toString());
    }
}

void Statement::bindText(int index, const QString& value) {
    if (value.isNull()) {
        bindNull(index);
        return;
    }
    if (value.isEmpty() || index < 1) {
        sqlite3_bind_text(m_stmt, index, "", 0, SQLITE_STATIC);
        return;
    }
    if (m_texts.size() < size_t(index))
        m_texts.resize(size_t(index));
    QByteArray& utf8 = m_texts[size_t(index - 1)];
    thread_local QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    utf8.resize(encoder.requiredSpace(value.size()));
    const char* end = encoder.appendToBuffer(utf8.data(), value);
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(end - utf8.constData()), SQLITE_STATIC);
}

void Statement::bindInt(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

int Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE && m_db)
        m_db->setError(rc);
    return rc;
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString Statement::text(int column) const {
    if (isNull(column))
        return QString();
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int n = sqlite3_column_bytes(m_stmt, column);
    if (n == 0)
        return QStringLiteral("");
    return QString::fromUtf8(p, n);
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray Statement::blob(int column) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(p, sqlite3_column_bytes(m_stmt, column));
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(integer(column));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_BLOB:
        return QVariant(blob(column));
    default:
        return QVariant(text(column));
    }
}

Database::~Database() {
    close();
}

bool Database::open(const QString& path, int flags) {
    close();
    m_path = path;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        setError(rc);
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return true;
}

void Database::close() {
    clearCache();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::exec(const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        m_lastCode = rc;
        m_lastError = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        return false;
    }
    return true;
}

QVariant Database::scalar(const QString& sql) {
    Statement st(*this, sql);
    if (!st.isValid())
        return QVariant();
    if (st.step() != SQLITE_ROW)
        return QVariant();
    return st.value(0);
}

Statement Database::prepare(const QString& sql) {
    return Statement(*this, sql);
}

Statement* Database::cached(const QString& sql) {
    if (Statement* st = m_cache.value(sql)) {
        st->reset();
        return st;
    }
    auto* st = new Statement(*this, sql);
    if (!st->isValid()) {
        delete st;
        return nullptr;
    }
    m_cache.insert(sql, st);
    return st;
}

void Database::clearCache() {
    qDeleteAll(m_cache);
    m_cache.clear();
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const {
    return sqlite3_changes(m_db);
}

void Database::setError(int code) {
    m_lastCode = code;
    m_lastError =
        QStringLiteral("%1 (%2)")
            .arg(m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code)))
            .arg(code);
}

WriteTransaction::WriteTransaction(Database& db)
    : m_db(db) {
    m_active = m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

WriteTransaction::~WriteTransaction() {
    if (m_active)
        rollback();
}

bool WriteTransaction::commit() {
    if (!m_active)
        return false;
    if (!m_db.exec(QStringLiteral("COMMIT"))) {
        rollback();
        return false;
    }
    m_active = false;
    return true;
}

void WriteTransaction::rollback() {
    if (m_active) {
        m_db.exec(QStringLiteral("ROLLBACK"));
        m_active = false;
    }
}

} // namespace sql
