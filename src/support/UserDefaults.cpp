#include "UserDefaults.h"

#include "Log.h"
#include "PrivateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
// Every instance alive, so that a new one on the same file starts from what the others changed.
// Declared before the shared instance: still there when that one goes at the end of the process.
QMutex liveMutex;
QList<UserDefaults*> live;
QMutex sharedMutex;
std::shared_ptr<UserDefaults> shared;

// How long a refused write waits before the writer tries it again on its own.
constexpr std::chrono::seconds kRetryAfter(2);

// A file or folder to the disk (any descriptor flushes all of its written pages).
bool syncToDisk(const QString& path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(path)
    return true;
#endif
}
} // namespace

UserDefaults::UserDefaults(const QString& iniPath)
    : m_path(iniPath.isEmpty() ? QSettings().fileName() : iniPath) {
    QMutexLocker lock(&liveMutex);
    for (UserDefaults* other : std::as_const(live))
        if (other->m_path == m_path)
            other->synchronize();
    live.append(this);
    // The platform's settings folder for this app is the app's own; a file given by the caller is.
    if (iniPath.isEmpty())
        PrivateFiles::tighten(QFileInfo(m_path).absolutePath());
    PrivateFiles::tighten(m_path);
    const QSettings file(m_path, QSettings::IniFormat);
    for (const QString& key : file.allKeys())
        m_values.insert(key, file.value(key));
}

UserDefaults::~UserDefaults() {
    {
        QMutexLocker lock(&liveMutex);
        live.removeOne(this);
    }
    {
        std::lock_guard<std::mutex> lock(m_writerMutex);
        m_stopping = true;
    }
    m_writerWake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
    if (!write())
        CC_LOG(QStringLiteral("settings %1 could not be written; the last changes are lost").arg(m_path));
}

namespace {
// The shared instance's last changes are written while Qt is still there: QSettings cannot be used once
// its own globals have gone at the end of the process, where the shared instance itself goes.
void flushSharedBeforeQtGoes() {
    std::shared_ptr<UserDefaults> defaults;
    {
        QMutexLocker lock(&sharedMutex);
        defaults = shared;
    }
    if (defaults && !defaults->synchronize())
        CC_LOG(QStringLiteral("settings %1 could not be written at the end; the last changes are lost")
                   .arg(defaults->fileName()));
}

void flushAtTheEnd() {
    static std::once_flag once;
    std::call_once(once, [] { qAddPostRoutine(flushSharedBeforeQtGoes); });
}
} // namespace

UserDefaults& UserDefaults::standard() {
    flushAtTheEnd();
    QMutexLocker lock(&sharedMutex);
    if (!shared)
        shared = std::make_shared<UserDefaults>();
    return *shared;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) {
    flushAtTheEnd();
    QMutexLocker lock(&sharedMutex);
    shared = std::move(defaults);
}

bool UserDefaults::contains(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_values.contains(key);
}

QString UserDefaults::stringForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    const auto it = m_values.constFind(key);
    if (it == m_values.cend())
        return QString();
    const QString s = it->toString();
    return s.isNull() ? QStringLiteral("") : s;
}

void UserDefaults::setString(const QString& key, const QString& value) {
    setObject(key, value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value));
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    bool ok = false;
    const qint64 v = m_values.value(key).toLongLong(&ok);
    return ok ? v : 0;
}

void UserDefaults::setInteger(const QString& key, qint64 value) {
    setObject(key, value);
}

QByteArray UserDefaults::dataForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_values.value(key).toByteArray();
}

void UserDefaults::setData(const QString& key, const QByteArray& value) {
    setObject(key, value);
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_values.value(key);
}

void UserDefaults::setObject(const QString& key, const QVariant& value) {
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_values.constFind(key);
        if (it != m_values.cend() && *it == value)
            return;
        m_values.insert(key, value);
        m_unwritten.insert(key, value);
        m_unwrittenRemovals.remove(key);
    }
    writeSoon();
}

void UserDefaults::removeObjectForKey(const QString& key) {
    {
        QMutexLocker lock(&m_mutex);
        if (!m_values.remove(key))
            return;
        m_unwritten.remove(key);
        m_unwrittenRemovals.insert(key);
    }
    writeSoon();
}

bool UserDefaults::synchronize() {
    return write();
}

bool UserDefaults::hasUnwrittenChanges() const {
    QMutexLocker lock(&m_mutex);
    return m_writing || !m_unwritten.isEmpty() || !m_unwrittenRemovals.isEmpty();
}

void UserDefaults::writeSoon() {
    {
        std::lock_guard<std::mutex> lock(m_writerMutex);
        m_writeWanted = true;
        if (!m_writer.joinable())
            m_writer = std::thread([this] { runWriter(); });
    }
    m_writerWake.notify_one();
}

void UserDefaults::runWriter() {
    std::unique_lock<std::mutex> lock(m_writerMutex);
    bool refused = false;
    for (;;) {
        const auto wanted = [this] { return m_writeWanted || m_stopping; };
        if (refused)
            m_writerWake.wait_for(lock, kRetryAfter, wanted); // then again, asked or not
        else
            m_writerWake.wait(lock, wanted);
        if (m_stopping)
            return; // the destructor writes what is left
        m_writeWanted = false;
        lock.unlock();
        refused = !write();
        lock.lock();
    }
}

bool UserDefaults::writeFile(const QHash<QString, QVariant>& values, const QSet<QString>& removals) {
    // The changes go into a copy of the file, which then replaces it. QSettings keeps what it read of a
    // file in a cache of its own that a refused write can leave stale; a copy under a new name is always
    // read afresh, so whatever is on the disk now is what the changes are merged into.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!PrivateFiles::makeFolder(folder))
        return false;
    PrivateFiles::prepareFile(m_path); // made for the app's user only before the first value goes in
    static std::atomic<quint64> copies{0};
    QString copy;
    do // never a name used before in this process: QSettings would take what it cached of it
        copy = QStringLiteral("%1.w%2-%3").arg(m_path).arg(QCoreApplication::applicationPid()).arg(++copies);
    while (QFileInfo::exists(copy));
    const auto dropCopy = qScopeGuard([&copy] {
        if (!copy.isEmpty())
            QFile::remove(copy);
    });
    if (QFileInfo::exists(m_path) && !QFile::copy(m_path, copy))
        return false;
    PrivateFiles::prepareFile(copy);
    QSettings::Status status;
    {
        QSettings settings(copy, QSettings::IniFormat);
        for (const QString& key : removals)
            settings.remove(key);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync(); // written to a new file, synced, renamed onto the copy
        status = settings.status();
    }
    // QSettings renames its new file into place without syncing it first.
    if (status != QSettings::NoError || !syncToDisk(copy))
        return false;
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(m_path).constData()) != 0)
        return false;
    copy.clear();
    // The rename is only durable once the folder is synced.
    return syncToDisk(folder);
}

bool UserDefaults::write() {
    QMutexLocker file(&m_fileMutex);
    QHash<QString, QVariant> values;
    QSet<QString> removals;
    {
        QMutexLocker lock(&m_mutex);
        values.swap(m_unwritten);
        removals.swap(m_unwrittenRemovals);
        if (values.isEmpty() && removals.isEmpty())
            return true;
        m_writing = true;
    }
    const bool written = writeFile(values, removals);

    QMutexLocker lock(&m_mutex);
    m_writing = false;
    if (written)
        return true;
    // Pending again, unless changed meanwhile: the newer change is the one to write.
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (!m_unwritten.contains(it.key()) && !m_unwrittenRemovals.contains(it.key()))
            m_unwritten.insert(it.key(), it.value());
    for (const QString& key : std::as_const(removals))
        if (!m_unwritten.contains(key))
            m_unwrittenRemovals.insert(key);
    CC_LOG(QStringLiteral("settings %1 could not be written; tried again later").arg(m_path));
    return false;
}
