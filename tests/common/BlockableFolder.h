#pragma once
// A folder the test can take away from the app and give back: while blocked, a plain file stands in
// its place, so nothing can be written there (not even by root) and the folder's files are kept aside.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariantMap>

class BlockableFolder {
public:
    BlockableFolder(const QTemporaryDir& dir, const QString& name)
        : m_path(dir.filePath(name))
        , m_away(dir.filePath(name + QStringLiteral(".away"))) {
        QDir().mkpath(m_path);
    }
    QString path() const { return m_path; }
    QString filePath(const QString& name) const { return m_path + QLatin1Char('/') + name; }
    bool block() {
        QFile blocker(m_path);
        return QDir().rename(m_path, m_away) && blocker.open(QIODevice::WriteOnly);
    }
    bool unblock() { return QFile::remove(m_path) && QDir().rename(m_away, m_path); }
    // The keys and values of an ini file in the folder, read straight from the disk (blocked or not).
    QVariantMap iniOnDisk(const QString& name) const {
        const QString folder = QFileInfo(m_path).isDir() ? m_path : m_away;
        QSettings settings(folder + QLatin1Char('/') + name, QSettings::IniFormat);
        QVariantMap out;
        for (const QString& key : settings.allKeys())
            out.insert(key, settings.value(key));
        return out;
    }

private:
    QString m_path;
    QString m_away;
};
