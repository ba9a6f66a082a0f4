#pragma once
// A folder the test can take away from the app and give back: while blocked, a plain file stands in
// its place, so nothing can be written there (not even by root) and the folder's files are kept aside.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariantMap>
#include <cstdio> // renameat2
#include <fcntl.h>

class BlockableFolder {
public:
    BlockableFolder(const QTemporaryDir& dir, const QString& name)
        : m_path(dir.filePath(name))
        , m_away(dir.filePath(name + QStringLiteral(".away"))) {
        QDir().mkpath(m_path);
    }
    QString path() const { return m_path; }
    QString filePath(const QString& name) const { return m_path + QLatin1Char('/') + name; }
    // Folder and blocker trade places in one step where the disk allows it: the app's writer, trying
    // again on its own meanwhile, must never find the place empty (it would make the folder anew).
    bool block() {
        const QString blockerPath = m_path + QStringLiteral(".blocker");
        QFile blocker(blockerPath);
        if (!blocker.open(QIODevice::WriteOnly))
            return false;
        blocker.close();
        if (swap(blockerPath, m_path))
            return QDir().rename(blockerPath, m_away);
        QFile::remove(blockerPath);
        QFile stand(m_path);
        return QDir().rename(m_path, m_away) && stand.open(QIODevice::WriteOnly);
    }
    bool unblock() {
        if (swap(m_away, m_path))
            return QFile::remove(m_away);
        return QFile::remove(m_path) && QDir().rename(m_away, m_path);
    }
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
    static bool swap(const QString& a, const QString& b) {
        return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD,
                           QFile::encodeName(b).constData(), RENAME_EXCHANGE) == 0;
    }

    QString m_path;
    QString m_away;
};
