#include "UserDefaults.h"

namespace {
QMutex sharedMutex;
std::shared_ptr<UserDefaults> shared;
} // namespace

UserDefaults::UserDefaults(const QString& iniPath)
    : m_settings(iniPath.isEmpty() ? std::make_unique<QSettings>()
                                   : std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

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
    return m_settings->contains(key);
}

QString UserDefaults::stringForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    if (!m_settings->contains(key))
        return QString();
    const QString s = m_settings->value(key).toString();
    return s.isNull() ? QStringLiteral("") : s;
}

void UserDefaults::setString(const QString& key, const QString& value) {
    setObject(key, value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value));
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    bool ok = false;
    const qint64 v = m_settings->value(key).toLongLong(&ok);
    return ok ? v : 0;
}

void UserDefaults::setInteger(const QString& key, qint64 value) {
    setObject(key, value);
}

QByteArray UserDefaults::dataForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key).toByteArray();
}

void UserDefaults::setData(const QString& key, const QByteArray& value) {
    setObject(key, value);
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key);
}

void UserDefaults::setObject(const QString& key, const QVariant& value) {
    QMutexLocker lock(&m_mutex);
    // Unchanged values are not written: each write rewrites the whole file on the main thread.
    if (m_settings->contains(key) && m_settings->value(key) == value)
        return;
    m_settings->setValue(key, value);
}

void UserDefaults::removeObjectForKey(const QString& key) {
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
}

void UserDefaults::synchronize() {
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
}

QString UserDefaults::fileName() const {
    QMutexLocker lock(&m_mutex);
    return m_settings->fileName();
}
