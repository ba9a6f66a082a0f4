// The server contract on the tablet's side: mappings, values, bodies, routes and failures.
#include "Entities.h"
#include "Mapping.h"
#include "ObjectManager.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Recorder : ObjectLoaderDelegate {
    QStringList events;
    Response response;
    RequestInfo last;
    QString error;
    int status = 0;
    bool done = false;

    void objectLoaderDidLoadObjects(const RequestInfo& r, const Response& resp) override {
        events << "loaded";
        last = r;
        response = resp;
        done = true;
    }
    void objectLoaderDidFailWithError(const RequestInfo& r, const QString& e) override {
        events << "failed";
        last = r;
        error = e;
        done = true;
    }
    void requestDidLoadResponse(const RequestInfo&, int s, const QByteArray&) override {
        events << "response";
        status = s;
    }
    void requestDidFailLoadWithError(const RequestInfo&, const QString&) override { events << "loadFailed"; }
    void requestDidTimeout(const RequestInfo&) override { events << "timeout"; }
    void requestDidCancelLoad(const RequestInfo&) override {
        events << "cancelled";
        done = true;
    }
};

QJsonObject parse(const char* json) {
    return QJsonDocument::fromJson(json).object();
}

// A loopback peer that answers every connection with raw bytes, optionally a piece at a time.
class RawPeer : public QTcpServer {
public:
    QByteArray answer;
    int trickleMs = 0; // > 0: one byte per interval, never finishing
    explicit RawPeer(QByteArray a, int trickle = 0)
        : answer(std::move(a))
        , trickleMs(trickle) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                s->readAll();
                if (trickleMs > 0) {
                    auto* t = new QTimer(s);
                    connect(t, &QTimer::timeout, s, [s] { s->write(" "); });
                    s->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
                    t->start(trickleMs);
                } else {
                    s->write(answer);
                    s->disconnectFromHost();
                }
            });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort())); }
};

} // namespace

class TestObjectManager : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<Store> m_store;
    std::unique_ptr<ReferenceServer> m_server;
    int m_n = 0;

    std::shared_ptr<Store> freshStore() {
        return Store::open(m_dir.filePath(QString("s%1.sqlite").arg(++m_n)));
    }

    bool wait(Recorder& r, int ms = 20000) {
        return QTest::qWaitFor([&] { return r.done; }, ms);
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        UserDefaults::setStandard(std::make_shared<UserDefaults>(m_dir.filePath("settings.ini")));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(ReferenceServer::binary()));
    }

    void init() { m_store = freshStore(); }

    void entityMappingsByPrimaryKey() {
        Context* c = m_store->context();
        const QJsonObject answer = parse(R"({"success": true, "time": "42",
            "children": [
              {"childId": "K1", "firstName": "Lotte", "lastName": "Peeters", "idOrganisation": "O1", "exists": 1,
               "groups": [{"groupChildId": "G1K1", "groupId": "G1", "groupName": "Vlinders", "childId": "K1", "exists": 1}],
               "relationships": [{"RelationShipUserId": "R1", "relationId": "K2"}],
               "sessions": [{"sessionId": "S1", "childId": "K1", "sessionDay": "1733526000000"}]},
              {"childId": "K1", "lastName": "Peeters-Maes",
               "groups": [{"groupChildId": "G1K1", "groupId": "G1", "groupName": "Rupsen"}]}],
            "users": [{"userEntityId": "U1E1", "userId": "U1", "firstName": "Els", "lastName": "Janssens", "hash": "abc"}],
            "timeEntries": [{"registrationId": "R9", "childId": "K1", "orgId": "O1", "time": 1733526000000, "type": "In"}],
            "userTimeEntries": [{"registrationId": "UR9", "userId": "U1", "orgId": "O1", "type": "Out"}]})");
        const Response r = Mapping::mapAnswer(c, answer);
        QVERIFY(c->save());
        QVERIFY(r.success);
        QCOMPARE(r.time, QString("42"));
        QCOMPARE(c->count(FetchRequest::of<Child>()), 1);
        QCOMPARE(c->count(FetchRequest::of<Group>()), 1);
        Child* k = c->find<Child>("K1");
        QCOMPARE(k->firstName(), QString("Lotte"));       // kept: absent in the second element
        QCOMPARE(k->lastName(), QString("Peeters-Maes")); // changed by the second element
        QCOMPARE(k->organisationId(), QString("O1"));
        QCOMPARE(k->groups().size(), 1);
        QCOMPARE(k->groups().first()->groupName(), QString("Rupsen"));
        QCOMPARE(k->relationships().first()->relationShipId(), QString("R1"));
        QCOMPARE(k->sessions().size(), 1);
        Users* u = c->find<Users>("U1E1");
        QCOMPARE(u->first_name(), QString("Els"));
        QCOMPARE(u->passwordHash(), QString("abc"));
        QCOMPARE(u->computedhash(), QString("abc"));
        QCOMPARE(c->find<Registration>("R9")->organisationId(), QString("O1"));
        QCOMPARE(c->find<Registration>("R9")->time(), QString("1733526000000"));
        QCOMPARE(c->find<UserRegistration>("UR9")->type(), QString("Out"));
        QCOMPARE(r.followUpIds.value("timeEntries"), QStringList{"K1"});
        QCOMPARE(r.followUpIds.value("userTimeEntries"), QStringList{"U1"});
    }

    void aLaterAnswerReplacesStoredMemberships() {
        auto groups = [](const char* child, QStringList ids) {
            QJsonArray out;
            for (const QString& id : ids)
                out.append(QJsonObject{{"groupChildId", id}, {"groupId", id.left(2)}, {"childId", child}});
            return out;
        };
        auto answer = [&](const QStringList& k1Groups) {
            return QJsonObject{
                {"children", QJsonArray{QJsonObject{{"childId", "K1"}, {"groups", groups("K1", k1Groups)}},
                                        QJsonObject{{"childId", "K2"}, {"groups", groups("K2", {"G1K2"})}}}}};
        };
        Context* c = m_store->context();
        Mapping::mapAnswer(c, answer({"G1K1", "G2K1"}));
        QVERIFY(c->save());
        c->reset(); // the second answer finds everything in the file, as a fresh mapping thread does
        Mapping::mapAnswer(c, answer({"G2K1", "G3K1"}));
        QVERIFY(c->save());
        c->reset();
        QStringList ids;
        for (Group* g : c->find<Child>("K1")->groups())
            ids << g->groupChildId();
        ids.sort();
        QCOMPARE(ids, (QStringList{"G2K1", "G3K1"}));
        QCOMPARE(c->find<Group>("G1K1")->child(), nullptr);
        QCOMPARE(c->find<Child>("K2")->groups().size(), 1);
    }

    void valuesFromTheServer() {
        Context* c = m_store->context();
        const QString longName(10000, QChar(u'é'));
        QJsonObject k1{{"childId", 1733526000000.0},
                       {"firstName", "O'Brien\"; DROP TABLE \"Child\"; --"},
                       {"lastName", QString::fromUtf8("שלום 🙂")},
                       {"extraInfo", longName},
                       {"exists", "1"}};
        QJsonObject k2{{"childId", "K2"}, {"exists", true}, {"image", QJsonValue::Null}, {"firstName", 12.5}};
        QJsonObject bad1{{"childId", "K3"}, {"firstName", QJsonObject{{"x", 1}}}};
        QJsonObject bad2{{"firstName", "no key"}};
        QJsonObject bad3{{"childId", "K4"}, {"exists", "ja"}};
        QJsonObject answer{{"success", true}, {"children", QJsonArray{k1, k2, bad1, bad2, bad3}}};
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression("Child K3: wrong kind of value for \"firstName\" ignored"));
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression("Child: element 3 of children skipped: no childId"));
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression("Child K4: wrong kind of value for \"exists\" ignored"));
        const Response r = Mapping::mapAnswer(c, answer);
        QVERIFY(c->save());
        // A bad value loses that attribute only; the record itself is kept.
        QCOMPARE(r.mappedCount, 4);
        QCOMPARE(r.skippedCount, 1);
        QCOMPARE(r.skippedValues, 2);
        Child* a = c->find<Child>("1733526000000");
        QVERIFY(a);
        QCOMPARE(a->firstName(), QString("O'Brien\"; DROP TABLE \"Child\"; --"));
        QCOMPARE(a->lastName(), QString::fromUtf8("שלום 🙂"));
        QCOMPARE(a->extraInfo(), longName);
        QCOMPARE(a->exists(), 1);
        Child* b = c->find<Child>("K2");
        QCOMPARE(b->exists(), 1);
        QVERIFY(b->isAbsent(Child::index_image()));
        QCOMPARE(b->firstName(), QString("12.5"));
        QVERIFY(c->find<Child>("K3"));
        QVERIFY(c->find<Child>("K3")->isAbsent(Child::index_firstName()));
        QVERIFY(c->find<Child>("K4"));
        QVERIFY(c->find<Child>("K4")->isAbsent(Child::index_exists()));
        // null makes an attribute absent; a missing key leaves it alone
        Mapping::mapAnswer(c, parse(R"({"children": [{"childId": "K2", "firstName": null}]})"));
        QVERIFY(b->isAbsent(Child::index_firstName()));
        QCOMPARE(b->exists(), 1);
        QCOMPARE(Mapping::numberText(1.733526e12), QString("1733526000000"));
    }

    void bodiesAndRoutes() {
        Context* c = m_store->context();
        UserDefaults::standard().removeObjectForKey("cc_ipadNaam");
        auto* reg = c->insertNew<Registration>();
        reg->setRegistrationId("R 1/ä&x");
        reg->setOrganisationId("O1");
        reg->setExists(1);
        reg->setLocked(1);
        reg->setType("In");
        QJsonObject body = Mapping::bodyFor(reg);
        QCOMPARE(body.value("orgId").toString(), QString("O1"));
        QCOMPARE(body.value("exists"), QJsonValue(1));
        QVERIFY(!body.contains("locked"));
        QVERIFY(!body.contains("childId"));  // absent attributes are left out
        QVERIFY(!body.contains("ipadName")); // no name yet
        QVERIFY(body.contains("timeZone"));
        QCOMPARE(body.value("ipadVersion").toString(), QString("3.2.0"));
        QCOMPARE(body.value("posts").toString(), QString("0"));
        QCOMPARE(ObjectManager::routeFor(reg, "DELETE"),
                 QString("/timeEntry?registrationId=R%201%2F%C3%A4%26x"));
        QCOMPARE(ObjectManager::routeFor(reg, "PUT"), QString("/timeEntry"));

        auto* ur = c->insertNew<UserRegistration>();
        ur->setUserRegistrationId("UR1");
        UserDefaults::standard().setString("cc_ipadNaam", "Tablet Onthaal");
        body = Mapping::bodyFor(ur);
        QCOMPARE(body.value("registrationId").toString(), QString("UR1"));
        QCOMPARE(body.value("ipadName").toString(), QString("Tablet Onthaal"));
        QCOMPARE(ObjectManager::routeFor(ur, "PUT"), QString("/userTimeEntry"));
        QVERIFY(ObjectManager::routeFor(ur, "DELETE").isNull());

        auto* child = c->insertNew<Child>();
        child->setChildId("K1");
        child->setOrganisationId("O1");
        auto* g = c->insertNew<Group>();
        g->setGroupChildId("GK");
        g->setGroupId("G");
        child->setGroups({g});
        body = Mapping::bodyFor(child);
        QVERIFY(!body.contains("timeZone"));
        QCOMPARE(body.value("idOrganisation").toString(), QString("O1"));
        QCOMPARE(body.value("groups").toArray().first().toObject().value("groupChildId").toString(),
                 QString("GK"));
        QCOMPARE(body.value("relationships").toArray().size(), 0);
        UserDefaults::standard().removeObjectForKey("cc_ipadNaam");
    }

    void answersFromTheReferenceServer() {
        ObjectManager manager(m_store, m_server->url());
        const QJsonArray entities = m_server->get("/entity").value("entities").toArray();
        QVERIFY(!entities.isEmpty());
        const QString entityId = entities.first().toObject().value("idEntity").toString();
        for (int round = 0; round < 2; ++round) {
            Recorder r;
            manager.getObjectsAtPath("/child", {{"entityId", entityId}, {"lastSyncTime", "00000"}}, &r);
            QVERIFY(wait(r));
            QCOMPARE(r.events, (QStringList{"response", "loaded"}));
            QVERIFY(r.response.success);
            QVERIFY(r.response.counts.value("children") > 0);
            QCOMPARE(r.response.followUpIds.value("children").size(), r.response.counts.value("children"));
            QCOMPARE(r.last.method, QString("GET"));
            QVERIFY(r.last.url.toString().contains("entityId="));
        }
        Context* c = m_store->context();
        const int children = c->count(FetchRequest::of<Child>());
        QVERIFY(children >= 50);
        QCOMPARE(m_server->get("/child?entityId=" + entityId).value("children").toArray().size(), children);
        QVERIFY(c->count(FetchRequest::of<Group>()) >= children);

        // A registration sent, then read back: one record on the server however often it is sent.
        auto* reg = c->insertNew<Registration>();
        reg->setRegistrationId("1733526000000ABC");
        reg->setChildId(c->fetchFirst<Child>()->childId());
        reg->setEntityId(entityId);
        reg->setTime(QString::number(QDateTime::currentMSecsSinceEpoch()));
        reg->setType("In");
        reg->setExists(1);
        QVERIFY(c->save());
        for (int i = 0; i < 2; ++i) {
            Recorder r;
            manager.postObject(reg, &r, QVariant("queue-id"));
            QVERIFY(wait(r));
            QCOMPARE(r.events.last(), QString("loaded"));
            QCOMPARE(r.last.userData.toString(), QString("queue-id"));
        }
        Recorder del;
        manager.deleteObject(reg, &del);
        QVERIFY(wait(del));
        QCOMPARE(del.events, (QStringList{"response", "loaded"}));
        QVERIFY(del.last.url.toString().endsWith("/timeEntry?registrationId=1733526000000ABC"));
        int found = 0;
        for (const QJsonValue& v :
             m_server->get("/timeEntry?entityId=" + entityId).value("timeEntries").toArray())
            if (v.toObject().value("registrationId").toString() == "1733526000000ABC") {
                ++found;
                QCOMPARE(v.toObject().value("exists").toInt(), 0);
            }
        QCOMPARE(found, 1);

        // An envelope without arrays still reaches the handler.
        Recorder none;
        manager.getObjectsAtPath("/device", {{"organisationId", "nobody"}}, &none);
        QVERIFY(wait(none));
        QCOMPARE(none.events.last(), QString("loaded"));
    }

    void failuresMapNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("http 500") << "http500";
        QTest::newRow("malformed") << "malformed";
        QTest::newRow("dropped") << "drop";
    }

    void failuresMapNothing() {
        QFETCH(QString, fault);
        ObjectManager manager(m_store, m_server->url());
        QVERIFY(m_server->setFaults({{fault, 1.0}, {"paths", QJsonArray{"/child"}}}));
        const QString entityId = m_server->get("/entity")
                                     .value("entities")
                                     .toArray()
                                     .first()
                                     .toObject()
                                     .value("idEntity")
                                     .toString();
        Recorder r;
        manager.getObjectsAtPath("/child", {{"entityId", entityId}}, &r);
        QVERIFY(wait(r));
        QVERIFY(m_server->clearFaults());
        QCOMPARE(r.events.last(), QString("failed"));
        QCOMPARE(r.events.size(), 2);
        QCOMPARE(m_store->context()->count(FetchRequest::of<Child>()), 0);
    }

    void aLargeAnswerArrivesWhole_data() {
        QTest::addColumn<bool>("announced");
        QTest::newRow("with length") << true;
        QTest::newRow("until close") << false;
    }

    void aLargeAnswerArrivesWhole() {
        QFETCH(bool, announced);
        // Many read steps: every byte has to end up in the body once and in order.
        QJsonArray children;
        for (int i = 0; i < 20000; ++i)
            children.append(QJsonObject{{"childId", QString("K%1").arg(i)},
                                        {"firstName", QString("Kind %1 met een langere voornaam").arg(i)}});
        const QByteArray body = QJsonDocument(QJsonObject{{"success", true}, {"children", children}})
                                    .toJson(QJsonDocument::Compact);
        QVERIFY(body.size() > 4 * 256 * 1024);
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n";
        if (announced)
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        RawPeer peer(head + "\r\n" + body);
        ObjectManager manager(m_store, peer.url());
        Recorder r;
        manager.getObjectsAtPath("/child", {}, &r);
        QVERIFY(wait(r));
        QCOMPARE(r.events.last(), QString("loaded"));
        QCOMPARE(r.response.mappedCount, 20000);
        QCOMPARE(m_store->context()->find<Child>("K19999")->firstName(),
                 QString("Kind 19999 met een langere voornaam"));
    }

    // The store emptied at a random moment while a large answer is mapped: the mapping never works on
    // freed records, the wipe goes through, nothing of the answer is left afterwards, and a delegate
    // that had not heard yet hears a failure (what it asked for is gone).
    void aWipeWhileMappingLeavesNothingOfTheAnswer() {
        QJsonArray children;
        for (int i = 0; i < 4000; ++i)
            children.append(
                QJsonObject{{"childId", QString("K%1").arg(i)},
                            {"firstName", QString("Kind %1").arg(i)},
                            {"lastName", "Peeters"},
                            {"exists", 1},
                            {"groups", QJsonArray{QJsonObject{{"groupChildId", QString("G1K%1").arg(i)},
                                                              {"groupId", "G1"},
                                                              {"groupName", "Vlinders"}}}},
                            {"sessions", QJsonArray{QJsonObject{{"sessionId", QString("S%1").arg(i)},
                                                                {"sessionDay", "1733526000000"}}}}});
        const QByteArray body =
            QJsonDocument(QJsonObject{{"success", true}, {"time", "9"}, {"children", children}})
                .toJson(QJsonDocument::Compact);
        RawPeer peer("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n"
                     "Content-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
        ObjectManager manager(m_store, peer.url());
        QRandomGenerator random(20261208);
        int wipedMidway = 0;
        for (int run = 0; run < 8; ++run) {
            Recorder r;
            std::atomic<bool> mapping{false};
            manager.getObjectsAtPath("/child", {}, &r, {},
                                     [&](const RequestInfo&, QJsonObject&) { mapping = true; });
            QVERIFY(QTest::qWaitFor([&] { return mapping.load() || r.done; }, 20000));
            QTest::qWait(int(random.bounded(61)));
            const bool answeredBefore = r.done;
            QVERIFY(m_store->deleteEverything());
            QVERIFY(wait(r));
            QVERIFY(manager.waitForIdle(20000));
            if (!answeredBefore) {
                ++wipedMidway;
                QCOMPARE(r.events.last(), QString("failed"));
                QVERIFY2(r.error.contains("emptied"), qPrintable(r.error));
            }
            Context* c = m_store->context();
            for (const FetchRequest& q :
                 {FetchRequest::of<Child>(), FetchRequest::of<Group>(), FetchRequest::of<Sessions>()})
                QCOMPARE(c->count(q), 0);
        }
        QVERIFY(wipedMidway > 0);
    }

    void closedMidBodyWithoutLengthIsAFailure() {
        RawPeer peer("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n"
                     "{\"success\": true, \"children\": [{\"childId\": \"K1\"}, {\"childId\": \"K");
        ObjectManager manager(m_store, peer.url());
        Recorder r;
        manager.getObjectsAtPath("/child", {}, &r);
        QVERIFY(wait(r));
        QCOMPARE(r.events, (QStringList{"response", "failed"}));
        QCOMPARE(r.status, 200);
        QVERIFY(r.error.contains("not JSON"));
        QCOMPARE(m_store->context()->count(FetchRequest::of<Child>()), 0);
    }

    void overallDeadlineCutsATricklingServer() {
        RawPeer peer({}, 50);
        ObjectManager manager(m_store, peer.url());
        manager.setTimeoutMs(700);
        Recorder r;
        QElapsedTimer t;
        t.start();
        manager.getObjectsAtPath("/child", {}, &r);
        QVERIFY(wait(r, 10000));
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(r.events, (QStringList{"loadFailed", "failed"}));
        QVERIFY(r.error.contains("timed out"));
    }

    void noRouteFailsWithoutARequest() {
        ObjectManager manager(m_store, m_server->url());
        auto* org = m_store->context()->insertNew<Organisation>();
        org->setOrganisationId("O");
        Recorder r;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("no route for PUT Organisation"));
        manager.putObject(org, &r);
        QVERIFY(!r.done); // not inside the call
        QVERIFY(wait(r));
        QCOMPARE(r.events, (QStringList{"loadFailed", "failed"}));
    }

    void cancelledAndSilencedRequests() {
        RawPeer peer({}, 1000);
        ObjectManager manager(m_store, peer.url());
        Recorder loud, quiet;
        manager.getObjectsAtPath("/child", {}, &loud);
        manager.getObjectsAtPath("/child", {}, &quiet);
        QTest::qWait(100);
        manager.cancelRequestsForDelegate(&quiet, false);
        manager.cancelRequestsForDelegate(&loud, true);
        QVERIFY(wait(loud));
        QCOMPARE(loud.events, QStringList{"cancelled"});
        QVERIFY(quiet.events.isEmpty());
        QCOMPARE(manager.requestsInFlight(), 0);
    }
};

QTEST_GUILESS_MAIN(TestObjectManager)
#include "tst_objectmanager.moc"
