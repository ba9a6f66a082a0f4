// An update keeps everything: the store the release before it left on a tablet (tests/store/data) is
// opened by this version, brought to its layout in one step where it is older, every change it still held
// for the server stays queued and goes out, and the statuses are those of its registrations.
#include "Clock.h"
#include "Model.h"
#include "OfflineWork.h"
#include "ReferenceServer.h"
#include "ReleaseStore.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

class TestStoreUpgrade : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;

    QHash<QString, QJsonObject> onServer(const QString& kind, const QString& key) const {
        QHash<QString, QJsonObject> out;
        for (const QJsonValue& v : m_server->get("/_test/records?kind=" + kind).value("records").toArray())
            out.insert(v.toObject().value(key).toString(), v.toObject());
        return out;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }
    void cleanup() { Clock::reset(); }

    void unansweredChangesSurviveTheUpdateAndGoOut_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("this release's layout") << 0;
        QTest::newRow("the layout before status marks") << 1;
    }
    void unansweredChangesSurviveTheUpdateAndGoOut() {
        QFETCH(int, layout);
        Tablet::useFreshSettings(m_dir);
        const QString path = m_dir.filePath(QStringLiteral("update-%1.sqlite").arg(layout));
        QVERIFY(ReleaseStore::write(path, layout));
        const ReleaseStore::Unanswered before = ReleaseStore::read(path);
        QCOMPARE(before.queueIds.size(), 7);
        QVERIFY(!before.deletedId.isEmpty() && before.createdIds.size() == 3);
        Clock::setMs(before.lastEntryMs + 60000); // the day the tablet was updated

        {
            QString error;
            QVERIFY2(Store::open(path, &error), qPrintable(error));
        }
        QCOMPARE(ReleaseStore::layoutOf(path), Model::schemaVersion());
        Tablet t(m_server->url(), path);
        QVERIFY(t.resume());
        QSet<QString> queued;
        for (SynchroObject* s : t.dao->loadSynchroInProgressSynchroObjects())
            queued.insert(s->idSynchroObject());
        QCOMPARE(queued, before.queueIds);
        QCOMPARE(t.engine->aantalPosts(), QString("7"));
        for (Child* child : t.dao->loadChildrenforEntity(t.entityId)) {
            const Registration* latest = child->latestRegistrationAfterDay(QString());
            if (latest)
                QCOMPARE(child->ingeschrevenStatus(), latest->type());
            else
                QVERIFY(child->isAbsent(Child::index_ingeschrevenStatus()));
        }

        // The server held the clocking that was deleted; then everything goes out.
        int status = 0;
        m_server->send("POST", "/timeEntry", before.deletedAsSent, &status);
        QCOMPARE(status, 200);
        for (int round = 0; round < 5 && t.engine->aantalPosts() != QLatin1String("0"); ++round) {
            QVERIFY(t.check());
            Clock::advance(181);
        }
        QCOMPARE(t.engine->aantalPosts(), QString("0"));
        const QHash<QString, QJsonObject> registrations = onServer("timeEntry", "registrationId");
        for (const QString& id : before.createdIds)
            QCOMPARE(registrations.value(id).value("exists").toInt(), 1);
        QCOMPARE(registrations.value(before.deletedId).value("exists").toInt(), 0);
        const QHash<QString, QJsonObject> children = onServer("child", "childId");
        QCOMPARE(children.value(before.newChildId).value("firstName").toString(), QString("Noor"));
        const auto colourOnServer = [this](const QString& childId) {
            return QImage::fromData(OfflineWork::pictureOnServer(*m_server, childId)).pixelColor(20, 15);
        };
        QVERIFY(colourOnServer(before.photographedChildId).red() > 150); // the new photo: red
        QVERIFY(colourOnServer(before.newChildId).blue() > 150);         // the new child's: blue
        bool staffIn = false;
        for (const QJsonObject& s : onServer("userTimeEntry", "registrationId"))
            staffIn = staffIn ||
                      s.value("ipadMacId").toString() == before.deletedAsSent.value("ipadMacId").toString();
        QVERIFY(staffIn);
    }
};

QTEST_GUILESS_MAIN(TestStoreUpgrade)
#include "tst_storeupgrade.moc"
