#pragma once
// A small RAII layer over the SQLite C API. A Database is used by one thread at a time.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <vector>

namespace sql {

class Database;

// A prepared statement; finalised when it goes. Values: QVariant() binds NULL, QString text,
// integer types INTEGER, double REAL, QByteArray BLOB.
class Statement {
public:
    Statement() = default;
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    void bind(int index, const QVariant& value); // 1-based
    void bindText(int index, const QString& value);
    void bindInt(int index, qint64 value);
    void bindNull(int index);
    // Returns SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    void reset();
    int columnCount() const;
    bool isNull(int column) const;
    QString text(int column) const; // empty, non-null text for ''; null QString for NULL
    qint64 integer(int column) const;
    QByteArray blob(int column) const;
    QVariant value(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    Database* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    std::vector<QByteArray> m_texts; // UTF-8 of bound texts, kept until rebound so SQLite need not copy
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (creating) the file; false with lastError() on failure.
    bool open(const QString& path,
              int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Runs one or more statements without results. False (and lastError) on failure.
    bool exec(const QString& sql);
    // The single value of a one-row query, or an invalid QVariant.
    QVariant scalar(const QString& sql);
    Statement prepare(const QString& sql);
    // A cached prepared statement, reset and ready for binding.
    Statement* cached(const QString& sql);
    void clearCache();
    qint64 lastInsertRowId() const;
    int changes() const;
    int lastErrorCode() const { return m_lastCode; }
    QString lastError() const { return m_lastError; }
    void setError(int code);
    sqlite3* handle() const { return m_db; }
    QString path() const { return m_path; }

private:
    sqlite3* m_db = nullptr;
    QString m_path;
    int m_lastCode = SQLITE_OK;
    QString m_lastError;
    QHash<QString, Statement*> m_cache; // owned
};

// BEGIN IMMEDIATE on construction; rolled back on destruction unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    bool isActive() const { return m_active; }
    bool commit();
    void rollback();

private:
    Database& m_db;
    bool m_active = false;
};

} // namespace sql
