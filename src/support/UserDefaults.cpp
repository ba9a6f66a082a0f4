#include "UserDefaults.h"

#include "PrivateFiles.h"

#include <QFileInfo>

#include <QSettings>

namespace {
// Every instance alive, so that a new one on the same file starts from what the others changed.
// Declared before the shared instance: still there when that one goes at the end of the process.
QMutex liveMutex;
QList<UserDefaults*> live;
QMutex sharedMutex;
std::shared_ptr<UserDefaults> shared;
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
    write();
}

UserDefaults& UserDefaults::standard() {
    QMutexLocker lock(&sharedMutex);
    if (!shared)
        shared = std::make_shared<UserDefaults>();
    return *shared;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) {
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

void UserDefaults::synchronize() {
    write();
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
    for (;;) {
        m_writerWake.wait(lock, [this] { return m_writeWanted || m_stopping; });
        if (!m_writeWanted)
            return;
        m_writeWanted = false;
        lock.unlock();
        write();
        lock.lock();
    }
}

void UserDefaults::write() {
    QMutexLocker file(&m_fileMutex);
    QHash<QString, QVariant> values;
    QSet<QString> removals;
    {
        QMutexLocker lock(&m_mutex);
        values.swap(m_unwritten);
        removals.swap(m_unwrittenRemovals);
    }
    if (values.isEmpty() && removals.isEmpty())
        return;
    // Made for the app's user only before the first value goes in; QSettings keeps the file's rights.
    PrivateFiles::makeFolder(QFileInfo(m_path).absolutePath());
    PrivateFiles::prepareFile(m_path);
    QSettings settings(m_path, QSettings::IniFormat);
    for (const QString& key : std::as_const(removals))
        settings.remove(key);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}
