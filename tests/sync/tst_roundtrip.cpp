// Round trips through the reference server: every kind of record a tablet sends goes out through the
// engine's queue, comes back to a second tablet through its refresh and must arrive attribute for attribute;
// the refresh calls carry their standard parameters and the administrator's 30-day look-back.
#include "Clock.h"
#include "Mapping.h"
#include "OfflineWork.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "Tablet.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QImage>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

QByteArray download(const QString& url) {
    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(QNetworkRequest(QUrl(url)));
    QSignalSpy done(reply, &QNetworkReply::finished);
    done.wait(20000);
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

// The attributes a server answer fills, as the sending tablet holds them and as the reading one got them.
void compareMapped(const ManagedObject* sent, const ManagedObject* back, const QStringList& skip = {}) {
    QVERIFY(sent && back);
    for (const KeyMapping& key : Mapping::forEntity(sent->entity().name)->keys)
        for (const QString& name : key.attributes) {
            const int i = sent->entity().indexOf(name);
            if (skip.contains(name))
                continue;
            QVERIFY2(sent->isAbsent(i) == back->isAbsent(i) &&
                         sent->value(i).toString() == back->value(i).toString(),
                     qPrintable(QStringLiteral("%1.%2: sent \"%3\", read back \"%4\"")
                                    .arg(sent->entity().name, name, sent->value(i).toString(),
                                         back->value(i).toString())));
        }
}

} // namespace

class TestRoundtrip : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<Tablet> m_a; // sends
    std::unique_ptr<Tablet> m_b; // reads back

    // The newest queue record of an object and method on the sending tablet, once every answer is in.
    int answeredStatus(const QString& objectId, const QString& method) {
        if (!m_a->engine->waitForIdle(30000))
            return -1;
        for (SynchroObject* s : m_a->queue()) // newest first
            if (s->objectId() == objectId && s->httpType() == method)
                return s->status();
        return -1;
    }

    bool readBack(const std::function<void(MainSynchroObject*)>& call) {
        call(m_b->engine.get());
        return m_b->engine->waitForIdle(30000);
    }

    QJsonObject lastQuery(const QString& path) {
        return m_server->get("/_test/lastQuery?path=" + path).value("query").toObject();
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        Tablet::useFreshSettings(m_dir);
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
        m_a = std::make_unique<Tablet>(m_server->url(), m_dir.filePath("a.sqlite"));
        m_b = std::make_unique<Tablet>(m_server->url(), m_dir.filePath("b.sqlite"));
        QVERIFY(m_b->couple());
        QVERIFY(m_a->couple(true));
        QCOMPARE(m_a->entityId, m_b->entityId);
    }

    void cleanupTestCase() {
        m_a.reset();
        m_b.reset();
    }

    void registrationPostPutDelete() {
        Child* child = m_a->dao->loadChildrenforEntity(m_a->entityId).first();
        Registration* sent = m_a->clock(child, "In");
        const QString id = sent->registrationId();
        const struct {
            const char* method;
            std::function<void()> change;
        } steps[] = {
            {"POST", [] {}},
            {"PUT",
             [&] {
                 sent->setTime(Util::millisText(sent->time().toLongLong() - 15 * 60000));
                 sent->setType("Out");
                 m_a->engine->putObject(sent);
             }},
            {"DELETE",
             [&] {
                 sent->setExists(0);
                 m_a->engine->deleteObject(sent);
             }},
        };
        for (const auto& step : steps) {
            step.change();
            QCOMPARE(answeredStatus(id, step.method), 3);
            QVERIFY(readBack([&](MainSynchroObject* e) { e->getTimeRegistrationsForEntity(m_b->entityId); }));
            compareMapped(sent, m_b->dao->loadRegistration(id));
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after the %1").arg(QLatin1String(step.method))));
        }
        QCOMPARE(m_b->dao->loadRegistration(id)->exists(), 0);
    }

    void staffRegistrationPostAndPut() {
        Users* me = m_a->dao->getUsersForEntity(m_a->entityId).first();
        auto* sent = m_a->store->context()->insertNew<UserRegistration>();
        const QString now = Util::millisText(Clock::nowMs());
        sent->setUserRegistrationId(now + Util::getUUID());
        sent->setUserId(me->userId());
        sent->setEntityId(m_a->entityId);
        sent->setOrganisationId(m_a->dao->loadOrganisation()->organisationId());
        sent->setTime(now);
        sent->setType("In");
        sent->setExists(1);
        sent->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
        m_a->engine->postObject(sent);
        const QString id = sent->userRegistrationId();
        QCOMPARE(answeredStatus(id, "POST"), 3);
        QVERIFY(readBack([](MainSynchroObject* e) { e->getUserTimeRegistrations(); }));
        compareMapped(sent, m_b->dao->loadUserRegistration(id));

        // A changed time reaches the server through PUT "/userTimeEntry" and the other tablet.
        const QString earlier = Util::millisText(now.toLongLong() - 20 * 60000);
        sent->setTime(earlier);
        m_a->engine->putObject(sent);
        QCOMPARE(answeredStatus(id, "PUT"), 3);
        QVERIFY(readBack([](MainSynchroObject* e) { e->getUserTimeRegistrations(); }));
        compareMapped(sent, m_b->dao->loadUserRegistration(id));
        QCOMPARE(m_b->dao->loadUserRegistration(id)->time(), earlier);
    }

    void newChildWithGroupsAndPicture() {
        Context* c = m_a->store->context();
        const QString t = Util::millisText(Clock::nowMs());
        auto* sent = c->insertNew<Child>();
        sent->setChildId(t + Util::getUUID());
        sent->setFirstName(QString::fromUtf8("Zoë"));
        sent->setLastName("Van den Broeck");
        sent->setEntityId(m_a->entityId);
        sent->setOrganisationId(m_a->dao->loadOrganisation()->organisationId());
        sent->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
        sent->setExists(1);
        sent->setExtraInfo("Allergie: \"noten\"\nOphalen door oma");
        sent->setImage("image" + Util::getUUID() + t);
        sent->setPhotoId(Util::getUUID() + t);
        const QByteArray picture = OfflineWork::jpeg(Qt::darkCyan);
        sent->setImageData(MainSynchroObject::base64Lines(picture));
        QList<Group*> groups;
        for (const char* name : {"Kleuters", "Knutselen"}) {
            auto* g = c->insertNew<Group>();
            g->setGroupChildId(QStringLiteral("%1:%2").arg(QLatin1String(name), sent->childId()));
            g->setGroupId(QStringLiteral("grp-%1").arg(QLatin1String(name)));
            g->setGroupName(name);
            g->setGroupType(QString::fromLatin1(name) == "Kleuters" ? "Leeftijd" : "Activiteit");
            g->setChildId(sent->childId());
            g->setEntityId(m_a->entityId);
            g->setExists(1);
            groups << g;
        }
        sent->setGroups(groups);
        QVERIFY(c->save());
        m_a->engine->postObject(sent);
        QCOMPARE(answeredStatus(sent->childId(), "POST"), 3);

        QVERIFY(readBack([&](MainSynchroObject* e) { e->getChildrenForEntity(m_b->entityId); }));
        Child* back = m_b->dao->loadChild(sent->childId());
        // The picture travels as data and comes back as the server's address of it.
        compareMapped(sent, back, {"image", "imageData"});
        QVERIFY(back->isAbsent(Child::index_imageData()));
        QVERIFY2(back->image().startsWith(m_server->url().toString() + "/images/"),
                 qPrintable(back->image()));
        QCOMPARE(download(back->image()), picture);
        QCOMPARE(back->groups().size(), groups.size());
        for (Group* g : groups) {
            Group* other = nullptr;
            for (Group* candidate : back->groups())
                if (candidate->groupChildId() == g->groupChildId())
                    other = candidate;
            compareMapped(g, other);
        }
    }

    void photoUploadReachesTheServer() {
        Child* child = m_a->dao->loadChildrenforEntity(m_a->entityId).at(1);
        const QByteArray picture = OfflineWork::jpeg(Qt::magenta);
        QVERIFY(!QImage::fromData(picture, "JPEG").isNull());
        m_a->engine->uploadNewPhoto(picture, child);
        const auto uploads = m_a->store->context()->fetch<ObjectImageUpload>();
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(answeredStatus(uploads.first()->objectImageUploadId(), "POST"), 3);

        QVERIFY(readBack([&](MainSynchroObject* e) { e->getChildrenForEntity(m_b->entityId); }));
        const QString address = m_b->dao->loadChild(child->childId())->image();
        QVERIFY2(address.startsWith(m_server->url().toString() + "/images/"), qPrintable(address));
        QCOMPARE(download(address), picture);
    }

    void refreshCallsCarryTheirParameters() {
        const QStringList paths{"/timeEntry", "/userTimeEntry", "/child", "/user", "/genericUser", "/device"};
        for (const bool admin : {true, false}) {
            QVERIFY(m_a->resume(admin));
            MainSynchroObject* e = m_a->engine.get();
            e->getTimeRegistrationsForEntity(m_a->entityId);
            e->getUserTimeRegistrations();
            e->getChildrenForEntity(m_a->entityId);
            e->getUsersForEntity(m_a->entityId);
            e->getGenericUsers();
            e->getDevices();
            QVERIFY(e->waitForIdle(30000));
            QSet<QString> uids;
            for (const QString& path : paths) {
                const QJsonObject q = lastQuery(path);
                const QString where = path + (admin ? " (administrator)" : "");
                QVERIFY2(!q.isEmpty(), qPrintable(where));
                QCOMPARE(q.value("ipadMacId").toString(), Util::uniqueGlobalDeviceIdentifier());
                QCOMPARE(q.value("organisationId").toString(), QString("org-demo"));
                QCOMPARE(q.value("ipadVersion").toString(), QString("3.2.0"));
                QCOMPARE(q.value("iPadName").toString(), QString("Tablet Onthaal"));
                QVERIFY2(q.value("iPadUID").toString().size() >= 32, qPrintable(where));
                uids << q.value("iPadUID").toString();
                const bool lookBack = admin && (path == "/timeEntry" || path == "/userTimeEntry");
                QVERIFY2(q.contains("numberOfDays") == lookBack, qPrintable(where));
                if (lookBack)
                    QCOMPARE(q.value("numberOfDays").toString(), QString("30"));
                if (path == "/timeEntry" || path == "/child")
                    QCOMPARE(q.value("entityId").toString(), m_a->entityId);
            }
            QCOMPARE(uids.size(), paths.size()); // a new one for every request
        }
    }
};

QTEST_GUILESS_MAIN(TestRoundtrip)
#include "tst_roundtrip.moc"
