// A store that cannot be opened at start: the app says why on a screen of its own instead of exiting,
// leaves the file as it is, and "Probeer opnieuw" goes on to the login screen once the cause is gone.
// Each cause is made for real: a folder the app cannot use, a disk that answers "full" (the failing
// SQLite VFS of the tests in front of the real one), a disk without shared memory for SQLite's
// write-ahead log (the same VFS), a file of a newer version of the app.
#include "DialogRequests.h"
#include "Entities.h"
#include "FailingVfs.h"
#include "Model.h"
#include "ReleaseStore.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Store.h"
#include "StoreFailureViewController.h"
#include "WindowDriver.h"

#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using Problem = Store::OpenProblem;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file and its write-ahead log, as they lie on the disk.
QByteArray storeBytes(const QString& path) {
    return bytesOf(path) + "|wal|" + bytesOf(path + "-wal");
}

// A store as this app leaves it, holding one child, marked as written by the next layout version.
bool writeNewerStore(const QString& path) {
    {
        auto store = Store::open(path);
        if (!store)
            return false;
        auto* child = store->context()->insertNew<Child>();
        child->setChildId(QStringLiteral("K1"));
        child->setFirstName(QStringLiteral("Mila"));
        if (!store->context()->save())
            return false;
    }
    sql::Database db;
    return db.open(path) &&
           db.exec(QStringLiteral("PRAGMA user_version = %1").arg(Model::schemaVersion() + 1));
}

bool setLayoutVersion(const QString& path, int version) {
    sql::Database db;
    return db.open(path) && db.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

} // namespace

class TestStoreFailure : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    StackScrollViewAppDelegate::Options options(const QString& name, bool window) const {
        StackScrollViewAppDelegate::Options o;
        o.storePath = m_dir.filePath(name + "/store/RKCoreDataExample.sqlite");
        o.settingsPath = m_dir.filePath(name + ".ini");
        o.serverUrl = QStringLiteral("http://127.0.0.1:1");
        o.showWindow = window;
        o.startTimer = false;
        return o;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    }

    void eachCauseIsSaidAndRetriedWithoutTouchingTheFile_data() {
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("causeText");
        QTest::newRow("folder without rights") << int(Problem::NoAccess)
                                               << "De app heeft geen rechten op de map waarin de gegevens "
                                                  "bewaard worden.";
        QTest::newRow("folder is a file") << int(Problem::NoAccess)
                                          << "De app heeft geen rechten op de map waarin de gegevens "
                                             "bewaard worden.";
        QTest::newRow("disk full") << int(Problem::DiskFull) << "De opslagruimte van deze tablet is vol.";
        QTest::newRow("disk without shared memory")
            << int(Problem::NoWriteAheadLog)
            << "De gegevens kunnen op deze opslag niet veilig bewaard worden: een stroomonderbreking zou "
               "wijzigingen kunnen doen verloren gaan.";
        QTest::newRow("newer version") << int(Problem::NewerVersion)
                                       << "De gegevens werden gemaakt door een nieuwere versie van de app.";
        // The release before the update left its store; bringing it to this layout fails.
        const QString notConverted = "De gegevens van de vorige versie van de app konden niet omgezet worden "
                                     "naar deze versie. Ze staan nog onveranderd op de tablet, ook de "
                                     "wijzigingen die nog naar de server moeten.";
        QTest::newRow("update on a read-only file") << int(Problem::MigrationFailed) << notConverted;
        QTest::newRow("update fails half-way") << int(Problem::MigrationFailed) << notConverted;
        QTest::newRow("update of a newer file")
            << int(Problem::NewerVersion)
            << "De gegevens werden gemaakt door een nieuwere versie van de app.";
    }
    void eachCauseIsSaidAndRetriedWithoutTouchingTheFile() {
        QFETCH(int, cause);
        QFETCH(QString, causeText);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        const StackScrollViewAppDelegate::Options o = options(tag, false);
        const QString folder = QFileInfo(o.storePath).absolutePath();
        QByteArray before;
        std::function<void()> removeCause;

        if (tag == "folder-without-rights") {
            if (::geteuid() == 0)
                QSKIP("folder rights do not bind root; the folder-is-a-file row covers this cause as root");
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0500) == 0);
            removeCause = [folder] { ::chmod(QFile::encodeName(folder).constData(), 0700); };
        } else if (tag == "folder-is-a-file") {
            QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0);
            blocker.close();
            removeCause = [folder] { QFile::remove(folder); };
        } else if (tag == "disk-full") {
            // Every write answered as a device with no space left answers it.
            FailingVfs::install();
            FailingVfs::arm(FailingVfs::Kind::Write, 1, SQLITE_FULL);
            removeCause = [] { FailingVfs::disarm(); };
        } else if (tag == "disk-without-shared-memory") {
            // SQLite keeps no write-ahead log there; a rollback journal with the flusher's late syncs
            // could lose commits at a power cut.
            FailingVfs::install();
            FailingVfs::setSharedMemory(false);
            removeCause = [] { FailingVfs::setSharedMemory(true); };
        } else if (tag.startsWith("update")) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(ReleaseStore::write(o.storePath, 1));
            // The file itself, byte for byte: a failed commit may leave frames in the log that no commit
            // made valid, which every later opening ignores.
            before = bytesOf(o.storePath);
            if (tag == "update-of-a-newer-file") {
                QVERIFY(setLayoutVersion(o.storePath, Model::schemaVersion() + 1));
                before = bytesOf(o.storePath);
                removeCause = [path = o.storePath] { setLayoutVersion(path, 1); };
            } else {
                FailingVfs::install();
                if (tag == "update-on-a-read-only-file")
                    FailingVfs::arm(FailingVfs::Kind::Write, 1, SQLITE_READONLY);
                else // the log's header and first page written, then the disk fails
                    FailingVfs::arm(FailingVfs::Kind::Write, 3, SQLITE_IOERR_WRITE);
                removeCause = [] { FailingVfs::disarm(); };
            }
        } else {
            QVERIFY(writeNewerStore(o.storePath));
            before = storeBytes(o.storePath);
            QVERIFY(!before.isEmpty());
            removeCause = [path = o.storePath] { setLayoutVersion(path, Model::schemaVersion()); };
        }
        const auto bytesNow = [&] {
            return tag.startsWith("update") ? bytesOf(o.storePath) : storeBytes(o.storePath);
        };
        const auto vfsBack = qScopeGuard([] {
            FailingVfs::disarm();
            FailingVfs::setSharedMemory(true);
        });

        // Without a window there is nothing to say it on: start-up fails, the screen's controller waits.
        StackScrollViewAppDelegate app;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("cannot be used"));
        QVERIFY(!app.applicationDidFinishLaunching(o));
        QVERIFY(!app.store() && !app.rootViewController());
        StoreFailureViewController* screen = app.storeFailure();
        QVERIFY(screen);
        QCOMPARE(int(screen->problem()), cause);
        QCOMPARE(screen->cause(), causeText);
        QVERIFY(screen->advice().contains(
            "Contacteer de technische hulp van je organisatie (zie de informatiepagina)."));
        QCOMPARE(screen->helpName(), QString("Technische hulp tablet")); // from the information page
        QVERIFY(!screen->helpPhone().isEmpty() && screen->helpEmail().contains('@'));
        if (!before.isEmpty())
            QCOMPARE(bytesNow(), before);

        // Tried again with the cause still there: said again, still nothing written.
        QSignalSpy opened(&app, &StackScrollViewAppDelegate::storeOpened);
        screen->probeerOpnieuw();
        QTRY_COMPARE(screen->attempts(), 1);
        QCOMPARE(int(screen->problem()), cause);
        QVERIFY(!app.store());
        if (!before.isEmpty())
            QCOMPARE(bytesNow(), before);

        // The cause gone: the app goes on to its login screen, with the data that was there.
        removeCause();
        screen->probeerOpnieuw();
        QTRY_COMPARE(opened.count(), 1);
        QVERIFY(app.store());
        QVERIFY(app.rootViewController() && app.rootViewController()->loginViewController());
        QVERIFY(!app.storeFailure());
        if (tag == "newer-version")
            QVERIFY(app.store()->context()->find<Child>(QStringLiteral("K1")));
        if (tag.startsWith("update")) {
            QCOMPARE(ReleaseStore::layoutOf(o.storePath), Model::schemaVersion());
            QCOMPARE(app.store()->context()->fetch<SynchroObject>(Predicate::format("status != 3")).size(),
                     7);
        }
    }

    // A page of the children's table broken on the disk, found by the check that runs beside the app:
    // the next start keeps the file aside, says so on screen and queues again what can still be read.
    void damagedStoreSendsWhatCanStillBeRead() {
        WindowDriver::WarningCollector warnings;
        const StackScrollViewAppDelegate::Options o = options("salvage", true);
        {
            auto store = Store::open(o.storePath);
            QVERIFY(store);
            Context* c = store->context();
            auto* child = c->insertNew<Child>();
            child->setChildId("K1");
            child->setFirstName("Mila");
            for (const QString id : {"R1", "R2"}) {
                auto* r = c->insertNew<Registration>();
                r->setRegistrationId(id);
                r->setChildId("K1");
            }
            // Unanswered: R1 (readable) and K1 (its page breaks); R2 was answered.
            const QList<std::tuple<QString, QString, QString, int>> queue = {
                {"Q1", "Registration", "R1", 1}, {"Q2", "Registration", "R2", 3}, {"Q3", "Child", "K1", 2}};
            for (const auto& [id, type, object, status] : queue) {
                auto* q = c->insertNew<SynchroObject>();
                q->setIdSynchroObject(id);
                q->setHttpType("POST");
                q->setObjectType(type);
                q->setObjectId(object);
                q->setStatus(status);
                q->setNrOfTries(1);
            }
            QVERIFY(c->save());
        }
        qint64 offset = 0, pageSize = 0;
        {
            sql::Database db;
            QVERIFY(db.open(o.storePath));
            QVERIFY(db.scalar("PRAGMA wal_checkpoint(TRUNCATE)").isValid());
            pageSize = db.scalar("PRAGMA page_size").toLongLong();
            offset = (db.scalar("SELECT rootpage FROM sqlite_master WHERE name = 'Child'").toLongLong() - 1) *
                     pageSize;
            QVERIFY(offset > 0);
        }
        {
            QFile file(o.storePath);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(offset));
            QCOMPARE(file.write(QByteArray(pageSize, '\xff')), pageSize);
        }
        {
            auto store = Store::open(o.storePath); // its check finds the broken page
            QVERIFY(store);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(o.storePath + ".damaged"), 20000);
        }
        const QByteArray damaged = bytesOf(o.storePath);

        StackScrollViewAppDelegate app;
        QVERIFY(app.applicationDidFinishLaunching(o));
        QSignalSpy alerts(app.rootViewController()->dialogs(), &DialogRequests::showAlert);
        const Store::Salvage& salvage = app.store()->salvage();
        QCOMPARE(salvage.unsent, 2);
        QCOMPARE(salvage.requeued, 1);
        QCOMPARE(bytesOf(salvage.movedAsideTo), damaged); // kept as it was

        Context* c = app.store()->context();
        SynchroObject* again = c->find<SynchroObject>("Q1");
        QVERIFY(again && c->find<Registration>("R1"));
        QCOMPARE(again->status(), 0);
        QCOMPARE(again->objectId(), QString("R1"));
        QVERIFY(!c->find<SynchroObject>("Q2") && !c->find<SynchroObject>("Q3"));

        QTRY_COMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(0).toString(), QString("Beschadigde gegevens"));
        const QString message = alerts.at(0).at(1).toString();
        QVERIFY2(message.contains("opzijgezet als " + salvage.movedAsideTo) &&
                     message.contains("2 wijzigingen waren nog niet naar de server verzonden; 1 daarvan") &&
                     message.contains("De andere konden niet meer gelezen worden"),
                 qPrintable(message));
        // On the screen, not only in the log.
        auto* window = qobject_cast<QQuickWindow*>(app.qmlEngine()->rootObjects().first());
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY(WindowDriver::findText(window->contentItem(), message));
        QVERIFY2(warnings.warnings().isEmpty(), qPrintable(warnings.warnings().join("\n")));
    }

    void damagedFileThatCannotBeKeptAsideIsNeverDeleted() {
        if (::geteuid() == 0)
            QSKIP("a folder without write rights does not stop root from moving the file aside");
        const QString folder = m_dir.filePath("damaged");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/RKCoreDataExample.sqlite";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
        file.close();
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0500) == 0);
        const auto back = qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0700); });
        QString error;
        Problem problem = Problem::None;
        QVERIFY(!Store::open(path, &error, &problem));
        QVERIFY(problem != Problem::None);
        QCOMPARE(bytesOf(path), QByteArray(8192, 'x'));
    }

    // Through the real window: the screen, its "Probeer opnieuw", then the coupling screen.
    void screenInTheWindowLeadsToTheLoginScreen_data() {
        QTest::addColumn<bool>("update");
        QTest::newRow("newer version") << false;
        QTest::newRow("update fails") << true;
    }
    void screenInTheWindowLeadsToTheLoginScreen() {
        QFETCH(bool, update);
        WindowDriver::WarningCollector warnings;
        const StackScrollViewAppDelegate::Options o = options(update ? "window-update" : "window", true);
        if (update) {
            QVERIFY(QDir().mkpath(QFileInfo(o.storePath).absolutePath()));
            QVERIFY(ReleaseStore::write(o.storePath, 1));
            FailingVfs::install();
            FailingVfs::arm(FailingVfs::Kind::Write, 1, SQLITE_READONLY);
        } else {
            QVERIFY(writeNewerStore(o.storePath));
        }
        const auto vfsBack = qScopeGuard([] { FailingVfs::disarm(); });
        const auto bytesNow = [&] { return update ? bytesOf(o.storePath) : storeBytes(o.storePath); };
        const QByteArray before = bytesNow();
        const QString cause = update
                                  ? "De gegevens van de vorige versie van de app konden niet omgezet worden "
                                    "naar deze versie. Ze staan nog onveranderd op de tablet, ook de "
                                    "wijzigingen die nog naar de server moeten."
                                  : "De gegevens werden gemaakt door een nieuwere versie van de app.";
        const QString shot = update ? "storefailure-update" : "storefailure";

        auto app = std::make_unique<StackScrollViewAppDelegate>();
        QVERIFY(app->applicationDidFinishLaunching(o)); // the app stays, saying why
        QVERIFY(!app->qmlEngine()->rootObjects().isEmpty());
        auto* window = qobject_cast<QQuickWindow*>(app->qmlEngine()->rootObjects().first());
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QQuickItem* root = window->contentItem();
        const auto shown = [root](const QString& text) { return WindowDriver::findText(root, text); };
        QTRY_VERIFY(shown("De gegevens op deze tablet kunnen niet geopend worden"));
        QVERIFY(shown(cause));
        QVERIFY(shown("Technische hulp tablet")); // the information page's contact
        QVERIFY(!WindowDriver::findItem(root, "nameField"));
        QTest::qWait(500);
        QVERIFY(window->grabWindow().save(WindowDriver::screenshotPath(shot + "-1-cause")));

        // Tapped while the cause is still there: said so on the screen.
        QVERIFY(WindowDriver::tap(window, WindowDriver::findItem(root, "probeerOpnieuwButton")));
        QTRY_VERIFY(WindowDriver::findItem(root, "storeFailureAttempts"));
        QCOMPARE(bytesNow(), before);

        if (update)
            FailingVfs::disarm();
        else
            QVERIFY(setLayoutVersion(o.storePath, Model::schemaVersion()));
        QVERIFY(WindowDriver::tap(window, WindowDriver::findItem(root, "probeerOpnieuwButton")));
        if (update) // the app goes on with the migrated store (no server here: its coupling alert)
            QTRY_VERIFY(app->store() && !shown("De gegevens op deze tablet kunnen niet geopend worden"));
        else
            QTRY_VERIFY(WindowDriver::findItem(root, "nameField")); // the coupling's organisation login
        QVERIFY(!shown("De gegevens op deze tablet kunnen niet geopend worden"));
        QTest::qWait(500);
        QVERIFY(window->grabWindow().save(WindowDriver::screenshotPath(shot + "-2-after-retry")));
        app.reset();
        const QStringList left = warnings.warnings();
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TestStoreFailure)
#include "tst_storefailure.moc"
