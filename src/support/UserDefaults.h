#pragma once
// Per-application key-value settings kept in an ini file. An absent key stays distinguishable from the
// empty text. Reads and writes go to memory; the file is written on a background thread soon after a
// change (synchronize() and the destructor write at once), so the main thread never waits for the disk.
// A write the disk refuses keeps its changes pending: they go again at the next write, synchronize(),
// and every few seconds meanwhile. One shared instance (standard()); tests point it at their own file.
// Thread-safe.
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
    // Writes every change to the file (and the file's folder entry) to the disk before it returns.
    // False when the disk refused: the changes stay pending and are tried again.
    bool synchronize();
    // Changes made in memory and not yet known to be on the disk.
    bool hasUnwrittenChanges() const;
    QString fileName() const { return m_path; }

private:
    void writeSoon();
    bool write();
    bool writeFile(const QHash<QString, QVariant>& values, const QSet<QString>& removals);
    void runWriter();

    QString m_path;
    mutable QMutex m_mutex; // the values and the changes not yet written
    QHash<QString, QVariant> m_values;
    QHash<QString, QVariant> m_unwritten;
    QSet<QString> m_unwrittenRemovals;
    bool m_writing = false; // changes taken by a write that has not finished
    QMutex m_fileMutex;     // one writer of the file at a time
    // The writer thread, started at the first change; a plain thread, so the shared instance can still
    // write its last changes when it goes at the end of the process.
    std::mutex m_writerMutex;
    std::condition_variable m_writerWake;
    bool m_writeWanted = false;
    bool m_stopping = false;
    std::thread m_writer;
};
