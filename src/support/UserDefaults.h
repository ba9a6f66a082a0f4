#pragma once
// Per-application key-value settings over QSettings. An absent key stays distinguishable from the
// empty text. One shared instance (standard()); tests point it at their own file. Thread-safe.
#include <QByteArray>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

class UserDefaults {
public:
    // Uses the given ini file; an empty path uses the platform's per-application settings.
    explicit UserDefaults(const QString& iniPath = QString());

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
    void synchronize();
    QString fileName() const;

private:
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};
