#include "UserDefaults.h"

#include "SerialQueue.h"

#include <QSettings>

namespace {
QMutex sharedMutex;
std::shared_ptr<UserDefaults> shared;
// Every instance alive, so that a new one on the same file starts from what the others changed.
QMutex liveMutex;
QList<UserDefaults*> live;
} // namespace

UserDefaults::UserDefaults(const QString& iniPath)
    : m_path(iniPath.isEmpty() ? QSettings().fileName() : iniPath)
    , m_writer(std::make_unique<SerialQueue>(QStringLiteral("settings"))) {
    QMutexLocker lock(&liveMutex);
    for (UserDefaults* other : std::as_const(live))
        if (other->m_path == m_path)
            other->synchronize();
    live.append(this);
    const QSettings file(m_path, QSettings::IniFormat);
    for (const QString& key : file.allKeys())
        m_values.insert(key, file.value(key));
}

UserDefaults::~UserDefaults() {
    {
        QMutexLocker lock(&liveMutex);
        live.removeOne(this);
    }
    m_writer->waitForDone();
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
        QMutexLocker lock(&m_mutex);
        if (m_writeQueued)
            return;
        m_writeQueued = true;
    }
    m_writer->async([this] { write(); });
}

void UserDefaults::write() {
    QMutexLocker file(&m_fileMutex);
    QHash<QString, QVariant> values;
    QSet<QString> removals;
    {
        QMutexLocker lock(&m_mutex);
        values.swap(m_unwritten);
        removals.swap(m_unwrittenRemovals);
        m_writeQueued = false;
    }
    if (values.isEmpty() && removals.isEmpty())
        return;
    QSettings settings(m_path, QSettings::IniFormat);
    for (const QString& key : std::as_const(removals))
        settings.remove(key);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}
