// Start-up: the first-run flag, the shared instances, the two selection lists and one app per store.
#include "DataAccessObject.h"
#include "Entities.h"
#include "NotificationCenter.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "StoreFailureViewController.h"
#include "UserDefaults.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {
// Every file of the folder with its bytes, the lock file of the app that holds the store left out.
QMap<QString, QByteArray> folderBytes(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".lock")))
            continue;
        QFile f(path);
        out.insert(it.fileName(), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable"));
    }
    return out;
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<StackScrollViewAppDelegate> m_delegate;

    StackScrollViewAppDelegate::Options options(const QString& name) const {
        StackScrollViewAppDelegate::Options o;
        o.storePath = m_dir.filePath(name + ".sqlite");
        o.settingsPath = m_dir.filePath(name + ".ini");
        o.showWindow = false;
        return o;
    }
    bool start(const QString& name) {
        m_delegate.reset(); // the store is let go before the next start takes it
        m_delegate = std::make_unique<StackScrollViewAppDelegate>();
        return m_delegate->applicationDidFinishLaunching(options(name));
    }
    QStringList appArguments(const QString& name) const {
        const auto o = options(name);
        return {"--no-window",  "--store",  o.storePath,         "--settings",
                o.settingsPath, "--server", "http://127.0.0.1:1"};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { m_delegate.reset(); }

    void eersteKeerIsSetOnceAndNeverOverwritten() {
        QVERIFY(start("first"));
        QCOMPARE(UserDefaults::standard().stringForKey("eersteKeer"), QString("neen"));
        QVERIFY(start("first"));
        QCOMPARE(UserDefaults::standard().stringForKey("eersteKeer"), QString("neen"));

        UserDefaults::standard().setString("eersteKeer", "");
        StackScrollViewAppDelegate::applyEersteKeer();
        QCOMPARE(UserDefaults::standard().stringForKey("eersteKeer"), QString("neen"));

        UserDefaults::standard().setString("eersteKeer", "ja");
        QVERIFY(start("first"));
        QCOMPARE(UserDefaults::standard().stringForKey("eersteKeer"), QString("ja"));
    }

    void selectionListsAreCreatedOnceAndDistinct() {
        QVERIFY(start("lists"));
        QVERIFY(!m_delegate->geselecteerden());
        static QStringList lines;
        lines.clear();
        QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& m) { lines << m; });
        SelectieLijst* children = StackScrollViewAppDelegate::geselecteerdenLijst();
        QCOMPARE(StackScrollViewAppDelegate::geselecteerdenLijst(), children);
        qInstallMessageHandler(previous);
        QVERIFY(children);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(QRegularExpression("^<StackScrollViewAppDelegate::geselecteerdenLijst : \\(\\d+\\)> "
                                    "geselecteerden worden geinitialiseerd $")
                     .match(lines.first())
                     .hasMatch(),
                 qPrintable(lines.first()));
        SelectieLijst* staff = StackScrollViewAppDelegate::userGeselecteerdenLijst();
        QVERIFY(staff && staff != children);
        QCOMPARE(StackScrollViewAppDelegate::instance(), m_delegate.get());
    }

    void sharedQueryObjectIsTheFirstOne() {
        QVERIFY(start("shared"));
        DataAccessObject* first = DataAccessObject::sharedDataAccessObject();
        QCOMPARE(first, m_delegate->dataAccessObject());
        {
            DataAccessObject later(m_delegate->store());
            QCOMPARE(DataAccessObject::sharedDataAccessObject(), first);
            DataAccessObject::setSharedDataAccessObject(&later);
            QCOMPARE(DataAccessObject::sharedDataAccessObject(), &later);
            DataAccessObject::setSharedDataAccessObject(first);
        }
        QCOMPARE(DataAccessObject::sharedDataAccessObject(), first);
    }

    void selectionPostsOnlyRealChanges() {
        QVERIFY(start("selection"));
        Context* c = m_delegate->store()->context();
        auto* a = c->insertNew<Child>();
        a->setChildId("A");
        auto* b = c->insertNew<Child>();
        b->setChildId("B");
        QStringList posted;
        QObject owner;
        for (const char* name : {"addSelectieNotification", "removeSelectieNotification"})
            NotificationCenter::defaultCenter().addObserver(&owner, name, [&](const Notification& n) {
                posted << n.name;
                QVERIFY(qobject_cast<SelectieLijst*>(n.object));
            });
        SelectieLijst list;
        list.addObject(a);
        list.addObject(a);
        list.addObject(nullptr);
        list.addObject(b);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.objectAtIndex(0), a);
        list.removeObject(c->insertNew<Child>()); // not in the list
        list.removeObject(a);
        QVERIFY(!list.containsObject(a));
        list.removeAllObjects();
        QCOMPARE(list.count(), 0);
        QCOMPARE(posted, (QStringList{"addSelectieNotification", "addSelectieNotification",
                                      "removeSelectieNotification"}));
    }

    void secondAppOnTheStoreIsRefusedAndWritesNothing() {
        QVERIFY(QDir().mkpath(m_dir.filePath("twice")));
        const auto o = options("twice/app");
        QVERIFY(start("twice/app"));
        UserDefaults::standard().setString("cc_ipadNaam", "Tablet Onthaal");
        QVERIFY(UserDefaults::standard().synchronize());
        const auto before = folderBytes(m_dir.filePath("twice"));
        QVERIFY(before.contains("app.sqlite") && before.contains("app.ini"));

        // Another process: it says so and ends.
        QProcess other;
        other.start(CC_APP_BINARY, appArguments("twice/app"));
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitStatus(), QProcess::NormalExit);
        QVERIFY(other.exitCode() != 0);
        QVERIFY2(other.readAllStandardError().contains("in use by process"), "not refused for the lock");

        // Another instance in this process: the screen says why, the settings in memory stay the first's.
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("in use by process"));
        StackScrollViewAppDelegate second;
        QVERIFY(!second.applicationDidFinishLaunching(o));
        QVERIFY(!second.store() && !second.rootViewController());
        QVERIFY(second.storeFailure());
        QCOMPARE(second.storeFailure()->cause(), QStringLiteral("De app draait al op deze tablet."));
        QCOMPARE(folderBytes(m_dir.filePath("twice")), before);

        // The first app gone, "Probeer opnieuw" goes on with the store and the settings on the disk.
        m_delegate.reset();
        QSignalSpy opened(&second, &StackScrollViewAppDelegate::storeOpened);
        second.storeFailure()->probeerOpnieuw();
        QTRY_COMPARE(opened.count(), 1);
        QVERIFY(second.store());
        QCOMPARE(UserDefaults::standard().stringForKey("cc_ipadNaam"), QStringLiteral("Tablet Onthaal"));
    }

    void lockOfAnAppThatDiedIsTakenOver() {
        QProcess app;
        app.start(CC_APP_BINARY, appArguments("died"));
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_dir.filePath("died.sqlite.lock")), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_dir.filePath("died.sqlite")).size() > 0, 30000);
        ::kill(pid_t(app.processId()), SIGKILL); // as a power cut or a crash leaves it
        QVERIFY(app.waitForFinished());
        QVERIFY(QFileInfo::exists(m_dir.filePath("died.sqlite.lock")));
        QVERIFY(start("died"));
        QVERIFY(m_delegate->store());
    }

    void unopenableStoreStopsStartUp() {
        const QString file = m_dir.filePath("newer.sqlite");
        {
            sql::Database db;
            QVERIFY(db.open(file));
            QVERIFY(db.exec("PRAGMA user_version = 42; CREATE TABLE x(y)"));
        }
        m_delegate = std::make_unique<StackScrollViewAppDelegate>();
        StackScrollViewAppDelegate::Options o;
        o.storePath = file;
        o.settingsPath = m_dir.filePath("newer.ini");
        o.showWindow = false;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("newer version"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("cannot be used"));
        QVERIFY(!m_delegate->applicationDidFinishLaunching(o));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
