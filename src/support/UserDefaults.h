#pragma once
// Per-application key-value settings kept in an ini file. An absent key stays distinguishable from the
// empty text. Reads and writes go to memory; the file is written on a background thread soon after a
// change (synchronize() and the destructor write at once), so the main thread never waits for the disk.
// One shared instance (standard()); tests point it at their own file. Thread-safe.
#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QVariant>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class UserDefaults {
public:
    // Uses the given ini file; an empty path uses the platform's per-application settings file.
    explicit UserDefaults(const QString& iniPath = QString());
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    static UserDefaults& standard();
    // Replaces the shared instance (start-up and tests).
    static void setStandard(std::shared_ptr<UserDefaults> defaults);

    bool contains(const QString& key) const;
    // The text under the key; a null QString when absent.
    QString stringForKey(const QString& key) const;
    void setString(const QString& key, const QString& value);
    // 0 when absent or not a number.
    qint64 integerForKey(const QString& key) const;
    void setInteger(const QString& key, qint64 value);
    QByteArray dataForKey(const QString& key) const;
    void setData(const QString& key, const QByteArray& value);
    QVariant objectForKey(const QString& key) const;
    void setObject(const QString& key, const QVariant& value);
    void removeObjectForKey(const QString& key);
    // Writes every change to the file before it returns.
    void synchronize();
    QString fileName() const { return m_path; }

private:
    void writeSoon();
    void write();
    void runWriter();

    QString m_path;
    mutable QMutex m_mutex; // the values and the changes not yet written
    QHash<QString, QVariant> m_values;
    QHash<QString, QVariant> m_unwritten;
    QSet<QString> m_unwrittenRemovals;
    QMutex m_fileMutex; // one writer of the file at a time
    // The writer thread, started at the first change; a plain thread, so the shared instance can still
    // write its last changes when it goes at the end of the process.
    std::mutex m_writerMutex;
    std::condition_variable m_writerWake;
    bool m_writeWanted = false;
    bool m_stopping = false;
    std::thread m_writer;
};
