// The reference server, driven over HTTP as a tablet would: change tokens, windows, idempotent writes,
// refused bodies, coupling and staff hashes, the demo organisation, pictures and fault injection.
#include "Clock.h"
#include "ReferenceServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

namespace {

const QString kDevices = QStringLiteral("/device?organisationId=org-demo");

struct Answer {
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QJsonObject json;
    bool isJson = false;
    qint64 elapsedMs = 0;
    QJsonArray list(const char* key) const { return json.value(QLatin1String(key)).toArray(); }
    QString time() const { return json.value(QLatin1String("time")).toString(); }
};

QString nowMs(qint64 offsetMs = 0) {
    return QString::number(QDateTime::currentMSecsSinceEpoch() + offsetMs);
}

QJsonObject registration(const QString& id, const QString& entity, const QString& time,
                         const QString& type = "In") {
    return QJsonObject{{"registrationId", id},
                       {"childId", "kind-1-010"},
                       {"entityId", entity},
                       {"orgId", "org-demo"},
                       {"userId", "usr-els"},
                       {"time", time},
                       {"type", type},
                       {"exists", 1},
                       {"ipadMacId", "test"},
                       {"ipadVersion", "3.2.0"},
                       {"timeZone", "Europe/Brussels"},
                       {"posts", "0"}};
}

QStringList ids(const QJsonArray& list, const char* key) {
    QStringList out;
    for (const QJsonValue& v : list)
        out << v.toObject().value(QLatin1String(key)).toString();
    out.sort();
    return out;
}

// Base64 broken into 64-character lines with CR LF, as the tablet sends pictures.
QString wrappedBase64(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    for (int i = 0; i < b64.size(); i += 64) {
        out += b64.mid(i, 64);
        if (i + 64 <= b64.size())
            out += "\r\n";
    }
    return QString::fromLatin1(out);
}

QByteArray json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray pngOf(Qt::GlobalColor colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

class TestServer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_base;
    QNetworkAccessManager m_nam;

    bool start() {
        const QString binary = QCoreApplication::applicationDirPath() + "/../server/kinderopvang-server";
        m_process.setProgram(binary);
        m_process.setArguments({"--port", "0", "--data", m_dir.filePath("server.sqlite"), "--demo"});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        QByteArray line;
        QElapsedTimer t;
        t.start();
        while (!line.contains('\n') && t.elapsed() < 15000) {
            m_process.waitForReadyRead(500);
            line += m_process.readAllStandardOutput();
        }
        const int port = line.trimmed().toInt();
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(port);
        return port > 0;
    }

    void stop() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    Answer call(const QByteArray& method, const QString& path, const QByteArray& body = {}) {
        QNetworkRequest request(QUrl(m_base + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setTransferTimeout(20000);
        QElapsedTimer timer;
        timer.start();
        QNetworkReply* reply = m_nam.sendCustomRequest(request, method, body);
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        Answer a;
        a.elapsedMs = timer.elapsed();
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.error = reply->error();
        a.body = reply->readAll();
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(a.body, &pe);
        a.isJson = pe.error == QJsonParseError::NoError && doc.isObject();
        a.json = doc.object();
        reply->deleteLater();
        return a;
    }
    Answer get(const QString& path) { return call("GET", path); }
    Answer send(const QByteArray& method, const QString& path, const QJsonObject& o) {
        return call(method, path, QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    qint64 stat(const char* key) { return get("/_test/stats").json.value(QLatin1String(key)).toInteger(-1); }
    void faults(const QJsonObject& config) {
        const Answer a = send("POST", "/_test/faults", config);
        QCOMPARE(a.status, 200);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY2(start(), "the server did not start or print its port");
    }
    void cleanupTestCase() { stop(); }
    void cleanup() { call("DELETE", "/_test/faults"); }

    void couplingHashFindsTheOrganisation() {
        const QString vector = "1b762f2b599b44eaf0db431a3507731bf0c7cf618a4b903e6a882e8e42c8cc40";
        Answer a = get("/userOrganisation?username=Demo%20Opvang&iPadUID=x&ipadMacId=y&hash=" + vector);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.json.value("success").toBool(), true);
        QCOMPARE(a.list("organisations").size(), 1);
        const QJsonObject org = a.list("organisations").first().toObject();
        QCOMPARE(org.value("organisationName").toString(), QString("Demo Opvang"));
        QVERIFY(!org.value("organisationId").toString().isEmpty());
        QVERIFY(org.value("timeSwitchInterval").toString("0") == "0");

        // Wrong password, other name, or a missing hash: an empty list, not a failure.
        for (const QString& query :
             {"username=Demo%20Opvang&hash=" + QString(vector).replace(0, 1, "2"),
              "username=demo%20opvang&hash=" + vector, QString("username=Demo%20Opvang")}) {
            a = get("/userOrganisation?" + query);
            QCOMPARE(a.status, 200);
            QCOMPARE(a.json.value("success").toBool(), true);
            QVERIFY2(a.json.value("organisations").isArray() && a.list("organisations").isEmpty(),
                     qPrintable(query));
        }
    }

    void staffHashesFollowTheTabletRecipe() {
        QHash<QString, QJsonObject> byName;
        int admins = 0;
        for (const char* entity : {"ent-1", "ent-2", "ent-3"}) {
            const Answer a = get(QString("/user?entityId=") + entity);
            QVERIFY(!a.list("users").isEmpty());
            for (const QJsonValue& v : a.list("users")) {
                const QJsonObject u = v.toObject();
                QCOMPARE(u.value("entityId").toString(), QString(entity));
                QCOMPARE(u.value("isGenericUser").toInt(), 0);
                byName.insert(u.value("lastName").toString() + "," + u.value("firstName").toString(), u);
                admins += u.value("isAdmin").toInt();
            }
        }
        QCOMPARE(admins, 3); // the administrator at each active location
        QCOMPARE(byName.value("Janssens,Els").value("hash").toString(),
                 QString("6257831c6225062ad0144db07fe9f43acae8398a22b07bc562861ba5728644fd"));
        QCOMPARE(byName.value("Janssens,Els").value("isAdmin").toInt(), 1);
        QCOMPARE(byName.value("Peeters,An").value("hash").toString(),
                 QString("75253b5bbfdcaf5e135a8dc8fd0810d6476304fdba5dba065e6d0d732ae07e30"));
        QCOMPARE(byName.value(QString::fromUtf8("Dupré,Zoë")).value("hash").toString(),
                 QString("bae9dce31e5dd3e749fc9382cdb23e434aba93a7871231b623a2c143a16b5230"));
    }

    void demoOrganisationHasItsShape() {
        const QJsonArray entities = get("/entity?organisationId=org-demo").list("entities");
        QCOMPARE(entities.size(), 4);
        int inactive = 0;
        for (const QJsonValue& e : entities)
            inactive += e.toObject().value("activeForiPad").toInt() == 0 ? 1 : 0;
        QCOMPARE(inactive, 1);
        QCOMPARE(get("/device?organisationId=org-demo").list("devices").size(), 3);
        QCOMPARE(get("/device?organisationId=someone-else").list("devices").size(), 0);

        const QJsonArray generic =
            get("/genericUser?organisationId=org-demo&timeEntryNeeded=1").list("users");
        QVERIFY(!generic.isEmpty());
        for (const QJsonValue& g : generic)
            QCOMPARE(g.toObject().value("isGenericUser").toInt(), 1);

        const QJsonArray children = get("/child?entityId=ent-2&lastSyncTime=00000").list("children");
        QVERIFY2(children.size() >= 100 && children.size() <= 140,
                 qPrintable(QString::number(children.size())));
        QHash<QString, QJsonObject> byId;
        for (const QJsonValue& c : children)
            byId.insert(c.toObject().value("childId").toString(), c.toObject());
        int withPicture = 0, withSiblings = 0;
        QString pictureUrl;
        for (const QJsonObject& c : std::as_const(byId)) {
            QVERIFY(!c.value("groups").toArray().isEmpty());
            QVERIFY(c.value("sessions").isArray());
            for (const QJsonValue& g : c.value("groups").toArray())
                QVERIFY(!g.toObject().value("groupType").toString().isEmpty());
            // Siblings point at each other and share the family name.
            for (const QJsonValue& r : c.value("relationships").toArray()) {
                const QString other = r.toObject().value("relationId").toString();
                QVERIFY(!r.toObject().value("RelationShipUserId").toString().isEmpty());
                QVERIFY2(byId.contains(other), qPrintable(other));
                QCOMPARE(byId[other].value("lastName"), c.value("lastName"));
                QVERIFY(ids(byId[other].value("relationships").toArray(), "relationId")
                            .contains(c.value("childId").toString()));
                ++withSiblings;
            }
            if (c.contains("image")) {
                ++withPicture;
                pictureUrl = c.value("image").toString();
            }
        }
        QVERIFY(withSiblings > 0);
        QVERIFY(withPicture > 0 && withPicture < byId.size());
        QVERIFY(pictureUrl.startsWith(m_base + "/images/"));
        const Answer picture = get(pictureUrl.mid(m_base.size()));
        QCOMPARE(picture.status, 200);
        QVERIFY(!QImage::fromData(picture.body).isNull());
    }

    // The demo's day as it stands at --demo-time: nobody yet before the first arrivals, nothing later than
    // that moment; a moment that is no number stops the start.
    void demoStandsAsItsMomentHasIt() {
        const QDate today = QDate::currentDate();
        for (const QTime at : {QTime(6, 0), QTime(12, 0)}) {
            const qint64 moment = QDateTime(today, at).toMSecsSinceEpoch();
            Clock::advanceMs(moment - Clock::nowMs());
            ReferenceServer demo; // started at the clock's moment
            Clock::reset();
            QVERIFY(demo.isRunning());
            const QJsonArray entries =
                demo.get("/timeEntry?entityId=ent-1&lastSyncTime=00000").value("timeEntries").toArray();
            QCOMPARE(entries.isEmpty(), at == QTime(6, 0));
            for (const QJsonValue& e : entries)
                QVERIFY(e.toObject().value("time").toString().toLongLong() <= moment);
        }
        QCOMPARE(QProcess::execute(ReferenceServer::binary(),
                                   {"--port", "0", "--data", m_dir.filePath("never.sqlite"), "--demo",
                                    "--demo-time", "soon"}),
                 2);
    }

    void changeTokenGrowsAndSelectsChanges() {
        const Answer first = get("/timeEntry?entityId=ent-tok&lastSyncTime=00000");
        const QString t0 = first.time();
        QVERIFY(t0.size() >= 13);
        QVERIFY(first.list("timeEntries").isEmpty());

        const Answer posted = send("POST", "/timeEntry", registration("tok-1", "ent-tok", nowMs()));
        QCOMPARE(posted.status, 200);
        const QString t1 = posted.time();
        QVERIFY(t1.toLongLong() > t0.toLongLong());
        QCOMPARE(t1.size(), t0.size()); // texts of equal length compare like their numbers

        QCOMPARE(
            ids(get("/timeEntry?entityId=ent-tok&lastSyncTime=" + t0).list("timeEntries"), "registrationId"),
            QStringList{"tok-1"});
        QVERIFY(get("/timeEntry?entityId=ent-tok&lastSyncTime=" + t1).list("timeEntries").isEmpty());
        // As a tablet asks: organisation and location together, each one narrowing the answer.
        QCOMPARE(ids(get("/timeEntry?organisationId=org-demo&entityId=ent-tok&lastSyncTime=" + t0)
                         .list("timeEntries"),
                     "registrationId"),
                 QStringList{"tok-1"});
        QVERIFY(get("/timeEntry?organisationId=other&entityId=ent-tok&lastSyncTime=" + t0)
                    .list("timeEntries")
                    .isEmpty());
        QVERIFY(get("/timeEntry?organisationId=org-demo&entityId=ent-1&lastSyncTime=" + t0)
                    .list("timeEntries")
                    .isEmpty());
        send("POST", "/timeEntry", registration("tok-2", "ent-tok", nowMs()));
        QCOMPARE(
            ids(get("/timeEntry?entityId=ent-tok&lastSyncTime=" + t1).list("timeEntries"), "registrationId"),
            QStringList{"tok-2"});
        for (const QString& all : {QString("&lastSyncTime=00000"), QString("&lastSyncTime=0000"), QString()})
            QCOMPARE(get("/timeEntry?entityId=ent-tok" + all).list("timeEntries").size(), 2);
        QCOMPARE(get("/timeEntry?entityId=ent-tok&lastSyncTime=12ab").status, 400);

        // A child counts as changed when its picture changes; others stay out of the answer.
        const QString before = get("/child?entityId=ent-3").time();
        const Answer up = send("POST", "/image",
                               {{"objectImageUploadId", "up-tok"},
                                {"type", "Child"},
                                {"typeId", "kind-3-005"},
                                {"photoId", "p"},
                                {"firstName", "a"},
                                {"lastName", "b"},
                                {"image", wrappedBase64(pngOf(Qt::green))}});
        QCOMPARE(up.status, 200);
        QCOMPARE(ids(get("/child?entityId=ent-3&lastSyncTime=" + before).list("children"), "childId"),
                 QStringList{"kind-3-005"});

        // The token survives a restart and keeps growing.
        const QString last = get(kDevices).time();
        stop();
        QVERIFY(start());
        QVERIFY(get(kDevices).time().toLongLong() >= last.toLongLong());
        QVERIFY(send("POST", "/timeEntry", registration("tok-3", "ent-tok", nowMs())).time().toLongLong() >
                last.toLongLong());
        QCOMPARE(get("/timeEntry?entityId=ent-tok").list("timeEntries").size(), 3);
    }

    void registrationWindowFollowsNumberOfDays() {
        const QDateTime midnight(QDate::currentDate(), QTime(0, 0));
        const auto at = [](const QDateTime& d) { return QString::number(d.toMSecsSinceEpoch()); };
        send("POST", "/timeEntry", registration("win-today", "ent-win", at(midnight.addSecs(60))));
        send("POST", "/timeEntry",
             registration("win-future", "ent-win", at(midnight.addDays(1).addSecs(3600))));
        send("POST", "/timeEntry", registration("win-yesterday", "ent-win", at(midnight.addSecs(-3600))));
        send("POST", "/timeEntry", registration("win-old", "ent-win", at(midnight.addDays(-5))));
        QJsonObject staff = registration("win-staff-old", "ent-win", at(midnight.addDays(-3)));
        staff.remove("childId");
        send("POST", "/userTimeEntry", staff);

        const QString q = "/timeEntry?entityId=ent-win&lastSyncTime=0000";
        QCOMPARE(ids(get(q).list("timeEntries"), "registrationId"), (QStringList{"win-future", "win-today"}));
        QCOMPARE(ids(get(q + "&numberOfDays=1").list("timeEntries"), "registrationId"),
                 (QStringList{"win-future", "win-today", "win-yesterday"}));
        QCOMPARE(get(q + "&numberOfDays=30").list("timeEntries").size(), 4);
        QCOMPARE(get(q + "&numberOfDays=-2").status, 400);

        const QString s = "/userTimeEntry?organisationId=org-demo";
        QVERIFY(!ids(get(s).list("userTimeEntries"), "registrationId").contains("win-staff-old"));
        QVERIFY(ids(get(s + "&numberOfDays=30").list("userTimeEntries"), "registrationId")
                    .contains("win-staff-old"));
        QVERIFY(get("/userTimeEntry?organisationId=other&numberOfDays=30").list("userTimeEntries").isEmpty());
    }

    void writesAreIdempotentAndLastWins() {
        const qint64 count = stat("timeEntries");
        const QJsonObject r = registration("idem-1", "ent-idem", nowMs());
        const QString t1 = send("POST", "/timeEntry", r).time();
        QCOMPARE(send("POST", "/timeEntry", r).status, 200);
        QCOMPARE(send("PUT", "/timeEntry", r).status, 200);
        QCOMPARE(stat("timeEntries"), count + 1);
        // An identical resend is no change for other tablets.
        QVERIFY(get("/timeEntry?entityId=ent-idem&lastSyncTime=" + t1).list("timeEntries").isEmpty());

        QJsonObject changed = r;
        changed["type"] = "Out";
        const QString t2 = send("PUT", "/timeEntry", changed).time();
        QVERIFY(t2.toLongLong() > t1.toLongLong());
        const QJsonArray after = get("/timeEntry?entityId=ent-idem&lastSyncTime=" + t1).list("timeEntries");
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().toObject().value("type").toString(), QString("Out"));
        QCOMPARE(stat("timeEntries"), count + 1);

        for (int i = 0; i < 2; ++i) {
            const Answer del = call("DELETE", "/timeEntry?registrationId=idem-1");
            QCOMPARE(del.status, 200);
            QCOMPARE(del.json.value("success").toBool(), true);
        }
        const QJsonArray gone = get("/timeEntry?entityId=ent-idem").list("timeEntries");
        QCOMPARE(gone.size(), 1);
        QCOMPARE(gone.first().toObject().value("exists").toInt(), 0);
        QCOMPARE(stat("timeEntriesExisting"), stat("timeEntries") - 1);
        // A creation sent again (its answer lost) undoes neither the deletion nor a later change; a late
        // change of the time counts, the registration stays deleted.
        QCOMPARE(send("POST", "/timeEntry", r).status, 200);
        changed["time"] = nowMs(-60000);
        QCOMPARE(send("PUT", "/timeEntry", changed).status, 200);
        const QJsonObject stays = get("/timeEntry?entityId=ent-idem").list("timeEntries").first().toObject();
        QCOMPARE(stays.value("exists").toInt(), 0);
        QCOMPARE(stays.value("time").toString(), changed.value("time").toString());
        const Answer unknown = call("DELETE", "/timeEntry?registrationId=never-sent");
        QCOMPARE(unknown.status, 200);
        QCOMPARE(stat("timeEntries"), count + 1);
        QCOMPARE(call("DELETE", "/timeEntry").status, 400);

        // Staff registrations: the same, keyed by "registrationId".
        const qint64 staffCount = stat("userTimeEntries");
        QJsonObject s = registration("idem-staff", "ent-idem", nowMs());
        s.remove("childId");
        send("POST", "/userTimeEntry", s);
        s["type"] = "Out";
        send("PUT", "/userTimeEntry", s);
        send("POST", "/userTimeEntry", s);
        s["type"] = "In";
        send("POST", "/userTimeEntry", s); // a creation again: the change before it stays
        QCOMPARE(stat("userTimeEntries"), staffCount + 1);
        const QJsonArray staff = get("/userTimeEntry?organisationId=org-demo").list("userTimeEntries");
        for (const QJsonValue& v : staff)
            if (v.toObject().value("registrationId") == "idem-staff")
                QCOMPARE(v.toObject().value("type").toString(), QString("Out"));
    }

    void numbersAndTextsAreAcceptedForEachOther() {
        const qint64 t = QDateTime::currentMSecsSinceEpoch();
        QJsonObject r = registration("num-1", "ent-num", QString());
        r["time"] = double(t);
        r["exists"] = "1";
        QCOMPARE(send("POST", "/timeEntry", r).status, 200);
        r["registrationId"] = "num-2";
        r["exists"] = true;
        QCOMPARE(send("POST", "/timeEntry", r).status, 200);
        const QJsonArray list = get("/timeEntry?entityId=ent-num").list("timeEntries");
        QCOMPARE(list.size(), 2);
        for (const QJsonValue& v : list) {
            QCOMPARE(v.toObject().value("time").toString(), QString::number(t));
            QCOMPARE(v.toObject().value("exists").toInt(), 1);
        }
    }

    void invalidBodiesAreRefused_data() {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        const QByteArray ok = R"("childId":"c","entityId":"ent-bad","time":"1733526000000")";
        QTest::newRow("not json") << QByteArray("POST") << "/timeEntry"
                                  << QByteArray("{\"registrationId\": ");
        QTest::newRow("a list") << QByteArray("POST") << "/timeEntry" << QByteArray("[]");
        QTest::newRow("no identifier") << QByteArray("PUT") << "/timeEntry" << QByteArray("{" + ok + "}");
        QTest::newRow("empty identifier")
            << QByteArray("POST") << "/timeEntry" << QByteArray(R"({"registrationId":"",)" + ok + "}");
        QTest::newRow("object for a text")
            << QByteArray("POST") << "/timeEntry"
            << QByteArray(R"({"registrationId":"b1","childId":{"x":1},"time":"1"})");
        QTest::newRow("time not a moment")
            << QByteArray("POST") << "/timeEntry"
            << QByteArray(R"({"registrationId":"b2","childId":"c","time":"today"})");
        QTest::newRow("flag not a number")
            << QByteArray("POST") << "/timeEntry"
            << QByteArray(R"({"registrationId":"b3","exists":"yes",)" + ok + "}");
        QTest::newRow("staff without user")
            << QByteArray("POST") << "/userTimeEntry"
            << QByteArray(R"({"registrationId":"b4","time":"1733526000000"})");
        QTest::newRow("child without id")
            << QByteArray("POST") << "/child" << QByteArray(R"({"firstName":"A"})");
        QTest::newRow("groups not a list")
            << QByteArray("POST") << "/child" << QByteArray(R"({"childId":"b5","groups":{"groupId":"g"}})");
        QTest::newRow("group without id")
            << QByteArray("POST") << "/child" << QByteArray(R"({"childId":"b6","groups":[{"groupId":"g"}]})");
        QTest::newRow("picture not base64")
            << QByteArray("POST") << "/child" << QByteArray(R"({"childId":"b7","imageData":"***"})");
        QTest::newRow("upload of unknown type")
            << QByteArray("POST") << "/image"
            << QByteArray(R"({"objectImageUploadId":"u","type":"Dog","typeId":"x","image":"iVBORw0KGgo="})");
        QTest::newRow("upload that is no picture")
            << QByteArray("POST") << "/image"
            << QByteArray(R"({"objectImageUploadId":"u","type":"Child","typeId":"x","image":"aGVsbG8="})");

        // Registrations name a known child or staff member, a known kind and their own organisation.
        const QJsonObject reg = registration("b8", "ent-1", "1733526000000");
        const auto with = [](QJsonObject o, const char* key, const QJsonValue& v) {
            if (v.isNull())
                o.remove(QLatin1String(key));
            else
                o.insert(QLatin1String(key), v);
            return json(o);
        };
        QTest::newRow("unknown child")
            << QByteArray("POST") << "/timeEntry" << with(reg, "childId", "nobody");
        QTest::newRow("unknown child, PUT") << QByteArray("PUT") << "/timeEntry" << with(reg, "childId", "x");
        QJsonObject staff = reg;
        staff.remove("childId");
        QTest::newRow("unknown staff member")
            << QByteArray("POST") << "/userTimeEntry" << with(staff, "userId", "usr-nobody");
        QTest::newRow("type neither In nor Out")
            << QByteArray("POST") << "/timeEntry" << with(reg, "type", "Binnen");
        QTest::newRow("type in lower case") << QByteArray("PUT") << "/timeEntry" << with(reg, "type", "in");
        QTest::newRow("type missing")
            << QByteArray("POST") << "/timeEntry" << with(reg, "type", QJsonValue());
        QTest::newRow("staff type missing")
            << QByteArray("POST") << "/userTimeEntry" << with(staff, "type", QJsonValue());
        QTest::newRow("another organisation")
            << QByteArray("POST") << "/timeEntry" << with(reg, "orgId", "org-other");

        // Values longer than their field allows.
        QTest::newRow("ipadMacId of 257 characters")
            << QByteArray("POST") << "/timeEntry" << with(reg, "ipadMacId", QString(257, 'm'));
        QTest::newRow("staff ipadMacId of 10 KB")
            << QByteArray("POST") << "/userTimeEntry" << with(staff, "ipadMacId", QString(10240, 'm'));
        const QJsonObject child{{"childId", "b9"}, {"entityId", "ent-2"}, {"idOrganisation", "org-demo"}};
        QTest::newRow("name of 1025 characters")
            << QByteArray("POST") << "/child" << with(child, "firstName", QString(1025, 'n'));
        QTest::newRow("extraInfo of 16385 characters")
            << QByteArray("POST") << "/child" << with(child, "extraInfo", QString(16385, 'e'));
        QTest::newRow("group name of 1025 characters")
            << QByteArray("POST") << "/child"
            << with(child, "groups",
                    QJsonArray{QJsonObject{{"groupChildId", "g"}, {"groupName", QString(1025, 'g')}}});
        QJsonArray many;
        for (int i = 0; i < 1001; ++i)
            many.append(QJsonObject{{"sessionId", QString::number(i)}});
        QTest::newRow("1001 sessions") << QByteArray("POST") << "/child" << with(child, "sessions", many);

        // The right signature on bytes that are no picture.
        const QByteArray brokenJpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, 'j');
        QTest::newRow("upload of a broken JPEG") << QByteArray("POST") << "/image"
                                                 << json({{"objectImageUploadId", "u"},
                                                          {"type", "Child"},
                                                          {"typeId", "kind-1-010"},
                                                          {"image", wrappedBase64(brokenJpeg)}});
        QTest::newRow("new child with a truncated PNG")
            << QByteArray("POST") << "/child"
            << with(child, "imageData", wrappedBase64(pngOf(Qt::red).left(40)));
    }

    void invalidBodiesAreRefused() {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        const qint64 registrations = stat("timeEntries") + stat("userTimeEntries");
        const qint64 children = stat("children");
        const Answer a = call(method, path, body);
        QCOMPARE(a.status, 400);
        QVERIFY(a.isJson);
        QCOMPARE(a.json.value("success").toBool(true), false);
        QVERIFY(!a.json.value("message").toString().isEmpty());
        QCOMPARE(stat("timeEntries") + stat("userTimeEntries"), registrations);
        QCOMPARE(stat("children"), children);
    }

    void longestValuesAreAccepted() {
        QJsonObject r = registration("long-1", "ent-long", nowMs());
        r["ipadMacId"] = QString(256, 'm');
        QCOMPARE(send("POST", "/timeEntry", r).status, 200);
        const QJsonArray stored = get("/timeEntry?entityId=ent-long").list("timeEntries");
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().toObject().value("ipadMacId").toString(), QString(256, 'm'));

        const QJsonObject child{{"childId", "long-child"},
                                {"entityId", "ent-long"},
                                {"firstName", QString(1024, 'n')},
                                {"extraInfo", QString(16384, 'e')}};
        const Answer a = send("POST", "/child", child);
        QVERIFY2(a.status == 200, a.body.constData());
        const QJsonObject back = get("/child?entityId=ent-long").list("children").first().toObject();
        QCOMPARE(back.value("extraInfo").toString().size(), 16384);
    }

    // Asked for without organisation, a list would hold every organisation's records.
    void listsNeedTheirOrganisation_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("devices") << "/device" << 400;
        QTest::newRow("locations") << "/entity?iPadUID=x&ipadMacId=y" << 400;
        QTest::newRow("shared accounts") << "/genericUser?timeEntryNeeded=1" << 400;
        QTest::newRow("staff registrations") << "/userTimeEntry?lastSyncTime=0000&numberOfDays=30" << 400;
        QTest::newRow("staff of no location") << "/user" << 400;
        QTest::newRow("children of no location") << "/child?lastSyncTime=00000" << 400;
        QTest::newRow("registrations of no location") << "/timeEntry?lastSyncTime=00000" << 400;
        QTest::newRow("empty organisation") << "/device?organisationId=" << 400;
        QTest::newRow("organisation login") << "/userOrganisation?username=x&hash=y" << 200;
        QTest::newRow("children of a location") << "/child?entityId=ent-1" << 200;
        QTest::newRow("staff of an organisation") << "/user?organisationId=org-demo" << 200;
    }

    void listsNeedTheirOrganisation() {
        QFETCH(QString, path);
        QFETCH(int, status);
        const Answer a = get(path);
        QCOMPARE(a.status, status);
        QVERIFY(a.isJson);
        QCOMPARE(a.json.value("success").toBool(), status == 200);
        if (status != 200)
            QVERIFY(a.json.value("message").toString().contains("organisationId"));
        // Another organisation's tablet sees nothing of this one.
        QCOMPARE(get("/child?organisationId=org-other").list("children").size(), 0);
    }

    // Refused from the headers alone: the client is still sending when the answer comes.
    void oversizedBodiesAreRefusedUnread_data() {
        QTest::addColumn<bool>("chunked");
        QTest::newRow("Content-Length of 50 MB") << false;
        QTest::newRow("chunked") << true;
    }

    void oversizedBodiesAreRefusedUnread() {
        QFETCH(bool, chunked);
        const qint64 registrations = stat("timeEntries");
        QTcpSocket socket;
        socket.connectToHost("127.0.0.1", QUrl(m_base).port());
        QVERIFY(socket.waitForConnected(10000));
        socket.write("POST /timeEntry HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n");
        socket.write(chunked ? "Transfer-Encoding: chunked\r\n\r\n" : "Content-Length: 52428800\r\n\r\n");
        const QByteArray piece = "{\"registrationId\":\"" + QByteArray(1 << 20, 'x');
        // Never the whole body: 40 MB at most, and no end.
        for (int sent = 0;
             sent < 40 && socket.state() == QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0;
             ++sent) {
            socket.write(chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n" : piece);
            socket.waitForBytesWritten(10000);
        }
        QByteArray answer = socket.readAll();
        while (socket.waitForReadyRead(10000))
            answer += socket.readAll();
        answer += socket.readAll();
        QVERIFY2(answer.startsWith("HTTP/1.1 413"), answer.left(200).constData());
        QVERIFY(answer.contains("Connection: close"));
        const QJsonObject envelope =
            QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4)).object();
        QCOMPARE(envelope.value("success").toBool(true), false);
        QVERIFY(envelope.value("message").toString().contains("20 MB"));
        QCOMPARE(stat("timeEntries"), registrations);
    }

    // Clients that send their headers a byte at a time hold a connection each, not the server.
    void slowClientsLeaveRoomAndAreCutOff() {
        std::vector<std::unique_ptr<QTcpSocket>> slow;
        int disconnected = 0;
        for (int i = 0; i < 40; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            connect(s.get(), &QTcpSocket::disconnected, this, [&disconnected] { ++disconnected; });
            s->connectToHost("127.0.0.1", QUrl(m_base).port());
            QVERIFY(s->waitForConnected(10000));
            s->write("GET " + kDevices.toLatin1() + " HTTP/1.1\r\nHost: x\r\nX-Slow: ");
            s->flush(); // its request has begun; a connection that sends nothing is closed sooner
            slow.push_back(std::move(s));
        }
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&slow] {
            for (auto& s : slow)
                if (s->state() == QAbstractSocket::ConnectedState)
                    s->write("a");
        });
        trickle.start(500);
        QTest::qWait(1500);

        const Answer a = get(kDevices); // 20 s transfer time-out
        QCOMPARE(a.status, 200);
        QVERIFY(!a.list("devices").isEmpty());
        QCOMPARE(disconnected, 0); // answered while all of them still held on
        QTRY_COMPARE_WITH_TIMEOUT(disconnected, 40, 90000);
        QCOMPARE(get(kDevices).status, 200);
    }

    void picturesAreStoredServedAndPointedAt() {
        const QString before = get("/child?entityId=ent-1").time();
        const QByteArray png = pngOf(Qt::red);
        const QJsonObject upload{
            {"objectImageUploadId", "up-1"}, {"type", "Child"},        {"typeId", "kind-1-007"},
            {"photoId", "image-1"},          {"firstName", "x"},       {"lastName", "y"},
            {"image", wrappedBase64(png)},   {"ipadVersion", "3.2.0"}, {"posts", "1"}};
        QVERIFY(upload.value("image").toString().contains("\r\n"));
        const Answer a = send("POST", "/image", upload);
        QCOMPARE(a.status, 200);
        QVERIFY(a.time().toLongLong() > before.toLongLong());

        const QJsonArray changed = get("/child?entityId=ent-1&lastSyncTime=" + before).list("children");
        QCOMPARE(changed.size(), 1);
        const QString url = changed.first().toObject().value("image").toString();
        QVERIFY(url.startsWith(m_base + "/images/"));
        const Answer served = get(url.mid(m_base.size()));
        QCOMPARE(served.status, 200);
        QCOMPARE(served.body, png);

        // A resent upload changes nothing; a new picture gets a new address.
        const QString t1 = get("/child?entityId=ent-1").time();
        send("POST", "/image", upload);
        QVERIFY(get("/child?entityId=ent-1&lastSyncTime=" + t1).list("children").isEmpty());
        QJsonObject other = upload;
        other["objectImageUploadId"] = "up-2";
        other["image"] = wrappedBase64(pngOf(Qt::blue));
        send("POST", "/image", other);
        const QJsonArray again = get("/child?entityId=ent-1&lastSyncTime=" + t1).list("children");
        QCOMPARE(again.size(), 1);
        QVERIFY(again.first().toObject().value("image").toString() != url);

        // A staff member's picture shows at every location where they work.
        const QString staffBefore = get("/user?entityId=ent-1").time();
        QCOMPARE(send("POST", "/image",
                      {{"objectImageUploadId", "up-3"},
                       {"type", "User"},
                       {"typeId", "usr-els"},
                       {"image", wrappedBase64(pngOf(Qt::yellow))}})
                     .status,
                 200);
        for (const char* entity : {"ent-1", "ent-2", "ent-3"}) {
            const QJsonArray users =
                get(QString("/user?entityId=%1&lastSyncTime=%2").arg(entity, staffBefore)).list("users");
            QCOMPARE(users.size(), 1);
            QCOMPARE(users.first().toObject().value("userId").toString(), QString("usr-els"));
            QCOMPARE(get(users.first().toObject().value("image").toString().mid(m_base.size())).body,
                     pngOf(Qt::yellow));
        }
        QCOMPARE(get("/images/nothing-here.png").status, 404);
    }

    void newChildIsStoredWithItsPicture() {
        const QString before = get("/child?entityId=ent-2").time();
        const qint64 children = stat("children");
        const QByteArray jpeg = [] {
            QImage image(24, 24, QImage::Format_RGB32);
            image.fill(Qt::magenta);
            QByteArray out;
            QBuffer buffer(&out);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "JPEG", 100);
            return out;
        }();
        const QJsonObject child{{"childId", "1733526000000abc"},
                                {"firstName", "Nieuw"},
                                {"lastName", "Kind"},
                                {"entityId", "ent-2"},
                                {"exists", 1},
                                {"extraInfo", "Allergie \"noten\"; DROP TABLE"},
                                {"image", "imageABC1733526000000"},
                                {"photoId", "p1733526000000"},
                                {"imageData", wrappedBase64(jpeg)},
                                {"idOrganisation", "org-demo"},
                                {"ipadMacId", "test"},
                                {"groups", QJsonArray{QJsonObject{{"groupChildId", "gc-new"},
                                                                  {"groupId", "grp-2-age-0"},
                                                                  {"groupName", "Kleuters"}}}},
                                {"ipadVersion", "3.2.0"},
                                {"ipadName", "Tablet Onthaal"},
                                {"posts", "2"}};
        for (int i = 0; i < 2; ++i) {
            const Answer a = send("POST", "/child", child);
            QVERIFY2(a.status == 200, a.body.constData());
        }
        QCOMPARE(stat("children"), children + 1);

        const QJsonArray changed = get("/child?entityId=ent-2&lastSyncTime=" + before).list("children");
        QCOMPARE(changed.size(), 1);
        const QJsonObject c = changed.first().toObject();
        QCOMPARE(c.value("extraInfo").toString(), child.value("extraInfo").toString());
        QVERIFY(!c.contains("imageData"));
        QCOMPARE(ids(c.value("groups").toArray(), "groupChildId"), QStringList{"gc-new"});
        QCOMPARE(c.value("groups").toArray().first().toObject().value("childId").toString(),
                 QString("1733526000000abc"));
        const QString url = c.value("image").toString();
        QVERIFY2(url.startsWith(m_base + "/images/"), qPrintable(url));
        QCOMPARE(get(url.mid(m_base.size())).body, jpeg);

        // A child without picture gets no address: the tablet's own cache key means nothing elsewhere.
        QJsonObject plain = child;
        plain["childId"] = "1733526000000def";
        plain.remove("imageData");
        QCOMPARE(send("POST", "/child", plain).status, 200);
        for (const QJsonValue& v : get("/child?entityId=ent-2&lastSyncTime=" + before).list("children"))
            if (v.toObject().value("childId") == "1733526000000def")
                QVERIFY(!v.toObject().contains("image"));
    }

    void faultsSwitchOnAndOff() {
        faults({{"http500", 1.0}});
        Answer a = get(kDevices);
        QCOMPARE(a.status, 500);
        QCOMPARE(a.json.value("success").toBool(true), false);

        faults({{"failure", 1.0}});
        a = get(kDevices);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.json.value("success").toBool(true), false);

        faults({{"malformed", 1.0}});
        a = get(kDevices);
        QCOMPARE(a.status, 200);
        QVERIFY(!a.isJson);

        faults({{"drop", 1.0}});
        a = get(kDevices);
        QVERIFY2(!a.isJson, a.body.constData());

        faults({{"delay", 1.0}, {"delayMs", 400}});
        a = get(kDevices);
        QCOMPARE(a.status, 200);
        QVERIFY(a.elapsedMs >= 400);

        // Only the listed paths and methods fail.
        faults({{"http500", 1.0},
                {"paths", QJsonArray{"/timeEntry"}},
                {"methods", QJsonArray{"POST"}},
                {"writes", "before"}});
        QCOMPARE(get(kDevices).status, 200);
        QCOMPARE(get("/timeEntry?entityId=x").status, 200);
        QCOMPARE(send("POST", "/timeEntry", registration("f-0", "ent-f", nowMs())).status, 500);

        // A write may fail before it is applied, or be applied and then lose its answer.
        faults({{"http500", 1.0}, {"writes", "before"}});
        QCOMPARE(send("POST", "/timeEntry", registration("f-before", "ent-f", nowMs())).status, 500);
        faults({{"drop", 1.0}, {"writes", "after"}});
        QVERIFY(!send("POST", "/timeEntry", registration("f-after", "ent-f", nowMs())).isJson);
        const Answer counted = get("/_test/faults");
        QCOMPARE(counted.json.value("injected").toObject().value("drop").toInt(), 1);

        call("DELETE", "/_test/faults");
        a = get("/timeEntry?entityId=ent-f");
        QCOMPARE(a.status, 200);
        QCOMPARE(ids(a.list("timeEntries"), "registrationId"), QStringList{"f-after"});

        // Seeded draws repeat, and about the configured share fails.
        const auto run = [&] {
            faults({{"http500", 0.5}, {"seed", 7}});
            QString pattern;
            for (int i = 0; i < 40; ++i)
                pattern += get("/entity?organisationId=org-demo").status == 500 ? 'x' : '.';
            return pattern;
        };
        const QString p1 = run();
        QCOMPARE(run(), p1);
        QVERIFY2(p1.count('x') > 8 && p1.count('x') < 32, qPrintable(p1));

        QCOMPARE(send("POST", "/_test/faults", {{"drop", 2.0}}).status, 400);
        QCOMPARE(send("POST", "/_test/faults", {{"http500", 0.7}, {"drop", 0.7}}).status, 400);
    }
};

QTEST_MAIN(TestServer)
#include "tst_server.moc"
