// User defaults on a disk that refuses writes: what was refused stays pending, goes again and lands
// once the disk takes it, a newer change made meanwhile wins, and synchronize() says when it failed.
#include "BlockableFolder.h"
#include "UserDefaults.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
using Change = std::function<void(UserDefaults&)>;
Change set(const char* key, const char* value) {
    return [=](UserDefaults& d) { d.setString(QString::fromLatin1(key), QString::fromLatin1(value)); };
}
Change drop(const char* key) {
    return [=](UserDefaults& d) { d.removeObjectForKey(QString::fromLatin1(key)); };
}
} // namespace
Q_DECLARE_METATYPE(Change)

class TestUserDefaults : public QObject {
    Q_OBJECT
private slots:
    void refusedChangesLandOnceTheDiskIsBack_data();
    void refusedChangesLandOnceTheDiskIsBack();
    void writerTriesAgainOnItsOwn();
};

void TestUserDefaults::refusedChangesLandOnceTheDiskIsBack_data() {
    QTest::addColumn<Change>("refused");
    QTest::addColumn<Change>("meanwhile");
    QTest::addColumn<QVariantMap>("landed");
    const Change nothing = [](UserDefaults&) {};
    // On the disk before: cc_ipadNaam = "Tablet Onthaal", eersteKeer = "neen".
    QTest::newRow("new name") << set("cc_ipadNaam", "Tablet Refter") << nothing
                              << QVariantMap{{"cc_ipadNaam", "Tablet Refter"}, {"eersteKeer", "neen"}};
    QTest::newRow("removal") << drop("eersteKeer") << nothing
                             << QVariantMap{{"cc_ipadNaam", "Tablet Onthaal"}};
    QTest::newRow("newer value wins")
        << set("cc_ipadNaam", "Tablet Refter") << set("cc_ipadNaam", "Tablet Bus")
        << QVariantMap{{"cc_ipadNaam", "Tablet Bus"}, {"eersteKeer", "neen"}};
    QTest::newRow("removed after the refused value")
        << set("cc_ipadNaam", "Tablet Refter") << drop("cc_ipadNaam") << QVariantMap{{"eersteKeer", "neen"}};
    QTest::newRow("set again after the refused removal")
        << drop("eersteKeer") << set("eersteKeer", "ja")
        << QVariantMap{{"cc_ipadNaam", "Tablet Onthaal"}, {"eersteKeer", "ja"}};
    QTest::newRow("another key meanwhile")
        << set("cc_ipadNaam", "Tablet Refter") << set("cc_schoolId", "E7")
        << QVariantMap{{"cc_ipadNaam", "Tablet Refter"}, {"cc_schoolId", "E7"}, {"eersteKeer", "neen"}};
}

void TestUserDefaults::refusedChangesLandOnceTheDiskIsBack() {
    QFETCH(Change, refused);
    QFETCH(Change, meanwhile);
    QFETCH(QVariantMap, landed);
    QTemporaryDir dir;
    BlockableFolder folder(dir, QStringLiteral("settings"));
    const QString ini = folder.filePath(QStringLiteral("app.ini"));
    UserDefaults defaults(ini);
    defaults.setString("cc_ipadNaam", "Tablet Onthaal");
    defaults.setString("eersteKeer", "neen");
    QVERIFY(defaults.synchronize());
    const QVariantMap before = folder.iniOnDisk(QStringLiteral("app.ini"));
    QCOMPARE(before.size(), 2);

    QVERIFY(folder.block());
    refused(defaults);
    QVERIFY(!defaults.synchronize());
    QVERIFY(defaults.hasUnwrittenChanges());
    meanwhile(defaults);
    QVERIFY(!defaults.synchronize()); // still refused, and nothing half-written
    QCOMPARE(folder.iniOnDisk(QStringLiteral("app.ini")), before);

    QVERIFY(folder.unblock());
    QVERIFY(defaults.synchronize());
    QVERIFY(!defaults.hasUnwrittenChanges());
    QCOMPARE(folder.iniOnDisk(QStringLiteral("app.ini")), landed);
    UserDefaults restarted(ini);
    for (auto it = landed.cbegin(); it != landed.cend(); ++it)
        QCOMPARE(restarted.stringForKey(it.key()), it.value().toString());
}

void TestUserDefaults::writerTriesAgainOnItsOwn() {
    QTemporaryDir dir;
    BlockableFolder folder(dir, QStringLiteral("settings"));
    const QString ini = folder.filePath(QStringLiteral("app.ini"));
    UserDefaults defaults(ini);
    QVERIFY(folder.block());
    defaults.setString("cc_ipadNaam", "Tablet Refter"); // the background writer meets the refusal
    QTest::qWait(300);
    QVERIFY(defaults.hasUnwrittenChanges());
    QVERIFY(folder.unblock());
    // Nobody writes or synchronises again: the writer's own retry brings it to the disk.
    QTRY_VERIFY_WITH_TIMEOUT(!defaults.hasUnwrittenChanges(), 10000);
    QCOMPARE(folder.iniOnDisk(QStringLiteral("app.ini")).value("cc_ipadNaam").toString(),
             QStringLiteral("Tablet Refter"));
}

QTEST_GUILESS_MAIN(TestUserDefaults)
#include "tst_userdefaults.moc"
