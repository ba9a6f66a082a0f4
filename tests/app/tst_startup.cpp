// Start-up: the first-run flag, the shared instances and the two selection lists.
#include "DataAccessObject.h"
#include "Entities.h"
#include "NotificationCenter.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"

#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<StackScrollViewAppDelegate> m_delegate;

    bool start(const QString& name) {
        m_delegate = std::make_unique<StackScrollViewAppDelegate>();
        StackScrollViewAppDelegate::Options o;
        o.storePath = m_dir.filePath(name + ".sqlite");
        o.settingsPath = m_dir.filePath(name + ".ini");
        o.showWindow = false;
        return m_delegate->applicationDidFinishLaunching(o);
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
