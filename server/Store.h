#pragma once
// The server's SQLite store: every record kind in one table, keyed by kind and identifier, each row carrying
// the change token of its last change. One connection; every call is serialised by a recursive mutex, so a
// caller may group several calls atomically with locked().
#include <QJsonObject>
#include <QString>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

namespace kind {
inline const QString organisation = QStringLiteral("organisation");
inline const QString device = QStringLiteral("device");
inline const QString entity = QStringLiteral("entity");
inline const QString user = QStringLiteral("user");
inline const QString genericUser = QStringLiteral("genericUser");
inline const QString child = QStringLiteral("child");
inline const QString timeEntry = QStringLiteral("timeEntry");
inline const QString userTimeEntry = QStringLiteral("userTimeEntry");
} // namespace kind

struct Record {
    QString kind;
    QString id;
    QString org;       // organisation the record belongs to
    QString entity;    // location, where there is one
    QString ref;       // childId of a registration; userId of a staff record or staff registration
    qint64 timeMs = 0; // moment of a registration
    qint64 token = 0;  // change token of the last change (set by the store)
    QString secret;    // coupling hash of an organisation; never sent out
    QJsonObject body;  // the record as answered to tablets
};

struct Query {
    QString kind;
    QString org;    // empty: any
    QString entity; // empty: any
    QString ref;    // empty: any
    qint64 afterToken = 0;
    std::optional<qint64> fromTimeMs;
};

class Store {
public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens or creates the file; false with a message on failure.
    bool open(const QString& path, QString* error);

    // Runs f while holding the store's lock inside one write transaction; commits when f returns true.
    bool transaction(const std::function<bool()>& f);
    // Holds the lock while f runs, so reads and writes inside it see one consistent state.
    template <class F> auto locked(F&& f) {
        std::lock_guard lock(m_mutex);
        return f();
    }

    // The newest token handed out; every later change gets a larger one.
    qint64 currentToken();
    // Inserts or replaces by kind and id. An unchanged record keeps its token. Returns the record's token or
    // -1.
    qint64 put(const Record& record);
    std::optional<Record> get(const QString& kind, const QString& id);
    std::vector<Record> find(const Query& query);
    // Number of records of a kind; existingOnly counts those whose body says "exists" 1.
    qint64 count(const QString& kind, bool existingOnly);
    bool isEmpty();

    bool putImage(const QString& name, const QString& mime, const QByteArray& data);
    std::optional<std::pair<QString, QByteArray>> image(const QString& name);
    qint64 imageCount();

private:
    qint64 nextToken();
    qint64 putLocked(const Record& record);
    bool exec(const char* sql);
    sqlite3_stmt* prepare(const char* sql); // cached for the life of the store

    std::recursive_mutex m_mutex;
    sqlite3* m_db = nullptr;
    std::vector<std::pair<const char*, sqlite3_stmt*>> m_statements;
    qint64 m_token = 0;
};

} // namespace server
