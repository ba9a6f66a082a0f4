// The store, the settings and the picture cache hold children's names, photos and password hashes:
// they are made readable and writable by the app's own user only (files 0600, folders 0700) under a
// permissive umask, and files left readable by older versions are tightened at start.
#include "Entities.h"
#include "ImageCache.h"
#include "StackScrollViewAppDelegate.h"
#include "Store.h"
#include "UserDefaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {
int modeOf(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QString octal(int mode) {
    return QString::number(mode, 8);
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
} // namespace

class TestPrivateFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    mode_t m_umask = 0;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_umask = ::umask(0); // as permissive as it gets: every right the app does not take away stays
    }
    void cleanupTestCase() { ::umask(m_umask); }

    void newFilesAndFoldersAreTheAppUsersOnly() {
        const QString data = m_dir.filePath("new/data");
        const QString conf = m_dir.filePath("new/conf");
        {
            StackScrollViewAppDelegate app;
            StackScrollViewAppDelegate::Options o;
            o.storePath = data + "/RKCoreDataExample.sqlite";
            o.settingsPath = conf + "/settings.ini";
            o.showWindow = false;
            o.startTimer = false;
            QVERIFY(app.applicationDidFinishLaunching(o));
            // A change in each: the store's journal, the settings file and a cached picture are made.
            auto* child = app.store()->context()->insertNew<Child>();
            child->setChildId("K1");
            QVERIFY(app.store()->context()->save());
            UserDefaults::standard().setString("cc_ipadNaam", "Tablet Onthaal");
            UserDefaults::standard().synchronize();
            app.imageCache()->storeImage("image-K1", QByteArray(100, 'j'));

            const QList<QPair<QString, int>> expected{
                {m_dir.filePath("new"), 0700},
                {data, 0700},
                {data + "/RKCoreDataExample.sqlite", 0600},
                {data + "/RKCoreDataExample.sqlite-wal", 0600},
                {data + "/RKCoreDataExample.sqlite-shm", 0600},
                {conf, 0700},
                {conf + "/settings.ini", 0600},
                {data + "/images", 0700},
                {app.imageCache()->fileFor("image-K1"), 0600},
            };
            for (const auto& [path, mode] : expected)
                QVERIFY2(modeOf(path) == mode, qPrintable(path + ": " + octal(modeOf(path))));
        }
    }

    void filesOfOlderVersionsAreTightenedAtStart() {
        const QString data = m_dir.filePath("old");
        QVERIFY(QDir().mkpath(data + "/images"));
        const QString store = data + "/RKCoreDataExample.sqlite";
        const QString settings = data + "/settings.ini";
        const QString picture = data + "/images/0123abcd";
        {
            auto s = Store::open(store);
            QVERIFY(s);
        }
        QVERIFY(writeFile(settings, "[General]\ncc_ipadNaam=Tablet Onthaal\n"));
        QVERIFY(writeFile(picture, "jpeg"));
        for (const QString& path : {store, settings, picture, data + "/images"})
            QVERIFY(::chmod(QFile::encodeName(path).constData(), path.endsWith("images") ? 0755 : 0644) == 0);

        StackScrollViewAppDelegate app;
        StackScrollViewAppDelegate::Options o;
        o.storePath = store;
        o.settingsPath = settings;
        o.showWindow = false;
        o.startTimer = false;
        QVERIFY(app.applicationDidFinishLaunching(o));
        for (const QString& path : {store, settings, picture})
            QVERIFY2(modeOf(path) == 0600, qPrintable(path + ": " + octal(modeOf(path))));
        QCOMPARE(octal(modeOf(data + "/images")), QString("700"));
        // Nothing lost on the way.
        QCOMPARE(UserDefaults::standard().stringForKey("cc_ipadNaam"), QString("Tablet Onthaal"));
        QVERIFY(QFile::exists(picture));
        // Rights are only taken away, never given: a read-only file stays read-only.
        QVERIFY(::chmod(QFile::encodeName(picture).constData(), 0444) == 0);
        ImageCache again(data + "/images");
        QCOMPARE(octal(modeOf(picture)), QString("400"));
    }
};

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_privatefiles.moc"
