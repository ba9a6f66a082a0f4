#include "Api.h"

#include "Records.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <thread>

namespace server {

namespace {

QString param(const httplib::Request& req, const char* key) {
    return req.has_param(key) ? QString::fromStdString(req.get_param_value(key)) : QString();
}

// Fixed width keeps the tokens in numeric order also when compared as texts.
QString tokenText(qint64 token) {
    return QStringLiteral("%1").arg(token, 13, 10, QLatin1Char('0'));
}

QJsonObject envelope(bool success, const QString& message, qint64 token) {
    return QJsonObject{{QStringLiteral("success"), success},
                       {QStringLiteral("message"), message},
                       {QStringLiteral("time"), tokenText(token)},
                       {QStringLiteral("needsupdate"), 0}};
}

void send(httplib::Response& res, int status, const QJsonObject& o) {
    res.status = status;
    res.set_content(QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString(), "application/json");
}

bool sinceToken(const httplib::Request& req, qint64* token, QString* error) {
    const QString text = param(req, "lastSyncTime").trimmed();
    *token = 0;
    if (text.isEmpty())
        return true;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
        *error = QStringLiteral("\"lastSyncTime\" must be a change token, not \"%1\"").arg(text);
        return false;
    }
    *token = value;
    return true;
}

// Registrations from the start of today (local time), or of the day numberOfDays ago.
bool windowStart(const httplib::Request& req, qint64* fromMs, QString* error) {
    int days = 0;
    const QString text = param(req, "numberOfDays").trimmed();
    if (!text.isEmpty()) {
        bool ok = false;
        days = text.toInt(&ok);
        if (!ok || days < 0 || days > 36500) {
            *error = QStringLiteral("\"numberOfDays\" must be a number of days, not \"%1\"").arg(text);
            return false;
        }
    }
    *fromMs = QDateTime(QDate::currentDate().addDays(-days), QTime(0, 0)).toMSecsSinceEpoch();
    return true;
}

// Every refresh of a coupled tablet names its organisation; a list asked for by location may leave it out,
// as the location belongs to one organisation. Anything else would mix organisations in one answer.
bool organisationScope(const httplib::Request& req, bool byLocation, Query* q, QString* error) {
    q->org = param(req, "organisationId");
    if (byLocation)
        q->entity = param(req, "entityId");
    if (q->org.isEmpty() && q->entity.isEmpty()) {
        *error = byLocation ? QStringLiteral("\"organisationId\" is missing (or \"entityId\" of a location)")
                            : QStringLiteral("\"organisationId\" is missing");
        return false;
    }
    return true;
}

QString megabytes(std::size_t bytes) {
    return QString::number(double(bytes) / (1024 * 1024), 'g', 4);
}

// Pictures of this server are stored by path, so the address follows whatever host the tablet used.
QJsonObject withAddresses(QJsonObject o, const QString& base) {
    const auto fix = [&](QJsonObject& x) {
        const QString image = x.value(QLatin1String("image")).toString();
        if (image.startsWith(QLatin1String("/images/")))
            x.insert(QStringLiteral("image"), base + image);
    };
    fix(o);
    if (o.contains(QLatin1String("groups"))) {
        QJsonArray groups;
        for (const QJsonValue& g : o.value(QLatin1String("groups")).toArray()) {
            QJsonObject go = g.toObject();
            fix(go);
            groups.append(go);
        }
        o.insert(QStringLiteral("groups"), groups);
    }
    return o;
}

QString baseAddress(const httplib::Request& req) {
    const std::string host = req.get_header_value("Host");
    return (req.ssl ? QStringLiteral("https://") : QStringLiteral("http://")) +
           (host.empty() ? QStringLiteral("127.0.0.1") : QString::fromStdString(host));
}

bool loopback(const httplib::Request& req) {
    const std::string& a = req.remote_addr;
    return a.rfind("127.", 0) == 0 || a == "::1" || a.rfind("::ffff:127.", 0) == 0;
}

QString shortHash(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex().left(12));
}

// Named after subject and content: a resent picture lands on the same name, a new picture gets a new address
// (so image caches keyed by address fetch it).
QString pictureName(const QString& prefix, const QString& subjectId, const QByteArray& data,
                    const QString& mime) {
    return QStringLiteral("%1-%2-%3.%4")
        .arg(prefix, shortHash(subjectId.toUtf8()), shortHash(data), extensionFor(mime));
}

} // namespace

void Api::ok(httplib::Response& res, const QString& message, QJsonObject extra) {
    QJsonObject o = envelope(true, message, m_store.currentToken());
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    send(res, 200, o);
}

void Api::refuse(httplib::Response& res, int status, const QString& message) {
    send(res, status, envelope(false, message, m_store.currentToken()));
}

QString Api::orgOfEntity(const QString& entityId) {
    if (entityId.isEmpty())
        return QString();
    const auto e = m_store.get(kind::entity, entityId);
    return e ? e->org : QString();
}

Api::Handler Api::withFaults(bool write, Handler handler) {
    return [this, write, handler](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" && req.path.rfind("/images/", 0) != 0)
            rememberQuery(req);
        // Chunked bodies are only bounded roughly while they are read; the payload itself is checked here.
        if (req.body.size() > m_maxBodyBytes) {
            GuardedServer::closeAfterAnswer(res);
            return refuse(res, 413,
                          QStringLiteral("the body is larger than %1 MB").arg(megabytes(m_maxBodyBytes)));
        }
        const Faults::Decision d =
            m_faults.decide(QString::fromStdString(req.method), QString::fromStdString(req.path));
        if (d.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(d.delayMs));
        if (d.kind == Faults::Kind::None) {
            handler(req, res);
            return;
        }
        if (write && d.applyWriteFirst) {
            httplib::Response discarded;
            handler(req, discarded);
        }
        switch (d.kind) {
        case Faults::Kind::Http500:
            refuse(res, 500, QStringLiteral("injected server error"));
            break;
        case Faults::Kind::Malformed:
            res.status = 200;
            res.set_content(R"({"success": true, "message": "ok", "time": "12)", "application/json");
            break;
        case Faults::Kind::Failure:
            send(res, 200, envelope(false, QStringLiteral("injected failure"), m_store.currentToken()));
            break;
        case Faults::Kind::Drop: {
            // No Content-Length: the client only sees the connection close after half an envelope.
            auto part =
                std::make_shared<std::string>(R"({"success": true, "message": "this answer is cut o)");
            res.status = 200;
            res.set_content_provider("application/json", [part](size_t offset, httplib::DataSink& sink) {
                if (offset == 0)
                    sink.write(part->data(), part->size());
                return false;
            });
            break;
        }
        case Faults::Kind::None:
            break;
        }
    };
}

void Api::install(GuardedServer& http) {
    m_maxBodyBytes = http.limits().maxBodyBytes;
    http.Get("/userOrganisation", withFaults(false, [this](auto& q, auto& s) { getOrganisation(q, s); }));
    http.Get("/device",
             withFaults(false, [this](auto& q, auto& s) { getList(q, s, kind::device, "devices"); }));
    http.Get("/entity",
             withFaults(false, [this](auto& q, auto& s) { getList(q, s, kind::entity, "entities"); }));
    http.Get("/user", withFaults(false, [this](auto& q, auto& s) { getList(q, s, kind::user, "users"); }));
    http.Get("/genericUser",
             withFaults(false, [this](auto& q, auto& s) { getList(q, s, kind::genericUser, "users"); }));
    http.Get("/child",
             withFaults(false, [this](auto& q, auto& s) { getList(q, s, kind::child, "children"); }));
    http.Post("/child", withFaults(true, [this](auto& q, auto& s) { postChild(q, s); }));
    for (const bool staff : {false, true}) {
        const std::string path = staff ? "/userTimeEntry" : "/timeEntry";
        http.Get(path, withFaults(false, [this, staff](auto& q, auto& s) { getRegistrations(q, s, staff); }));
        http.Post(path, withFaults(true, [this, staff](auto& q, auto& s) { putRegistration(q, s, staff); }));
        http.Put(path, withFaults(true, [this, staff](auto& q, auto& s) { putRegistration(q, s, staff); }));
        http.Delete(path,
                    withFaults(true, [this, staff](auto& q, auto& s) { deleteRegistration(q, s, staff); }));
    }
    http.Post("/image", withFaults(true, [this](auto& q, auto& s) { postImage(q, s); }));
    http.Get(R"(/images/([A-Za-z0-9._-]+))", withFaults(false, [this](auto& q, auto& s) { getImage(q, s); }));

    http.Get("/_test/faults", [this](auto& q, auto& s) { testControl(q, s); });
    http.Post("/_test/faults", [this](auto& q, auto& s) { testControl(q, s); });
    http.Delete("/_test/faults", [this](auto& q, auto& s) { testControl(q, s); });
    http.Get("/_test/stats", [this](auto& q, auto& s) { testStats(q, s); });
    http.Get("/_test/records", [this](auto& q, auto& s) { testRecords(q, s); });
    http.Get("/_test/lastQuery", [this](auto& q, auto& s) { testLastQuery(q, s); });

    // Answers the library gives on its own (unread requests, unknown routes) carry the envelope too.
    const QString tooLarge =
        QStringLiteral("the body is larger than %1 MB").arg(megabytes(http.limits().maxBodyBytes));
    http.set_error_handler([this, tooLarge](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty() || res.content_provider_)
            return;
        if (GuardedServer::currentFault() != GuardedServer::Fault::None)
            GuardedServer::closeAfterAnswer(res);
        switch (GuardedServer::currentFault()) {
        case GuardedServer::Fault::TimedOut:
            return refuse(res, 408, QStringLiteral("the request did not arrive in time"));
        case GuardedServer::Fault::HeadersTooLarge:
            return refuse(res, 431, QStringLiteral("the request headers are too large"));
        case GuardedServer::Fault::BodyTooLarge:
            return refuse(res, 413, tooLarge);
        case GuardedServer::Fault::None:
            break;
        }
        switch (res.status) {
        case 413:
            return refuse(res, 413, tooLarge);
        case 414:
            return refuse(res, 414, QStringLiteral("the address is too long"));
        case 404:
        case 405:
            return refuse(res, res.status,
                          QStringLiteral("no such resource: %1 %2")
                              .arg(QString::fromStdString(req.method), QString::fromStdString(req.path)));
        case 400:
            return refuse(res, 400, QStringLiteral("the request could not be read"));
        default:
            return refuse(res, res.status, QStringLiteral("the request was refused"));
        }
    });
    http.set_exception_handler([this](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        refuse(res, 500, QStringLiteral("internal error"));
    });
}

void Api::getOrganisation(const httplib::Request& req, httplib::Response& res) {
    const QString name = param(req, "username");
    const QString hash = param(req, "hash");
    QJsonArray found;
    const qint64 token = m_store.locked([&] {
        if (!name.isEmpty() && !hash.isEmpty()) {
            for (const Record& r : m_store.find(Query{kind::organisation, {}, {}, {}, 0, {}})) {
                if (r.body.value(QLatin1String("organisationName")).toString() == name &&
                    r.secret.compare(hash, Qt::CaseInsensitive) == 0)
                    found.append(withAddresses(r.body, baseAddress(req)));
            }
        }
        return m_store.currentToken();
    });
    QJsonObject o = envelope(true,
                             found.isEmpty() ? QStringLiteral("no organisation with this name and password")
                                             : QStringLiteral("ok"),
                             token);
    o.insert(QStringLiteral("organisations"), found);
    send(res, 200, o);
}

void Api::getList(const httplib::Request& req, httplib::Response& res, const QString& kind,
                  const char* arrayKey) {
    Query q;
    q.kind = kind;
    QString error;
    if (!organisationScope(req, kind == kind::user || kind == kind::child, &q, &error) ||
        !sinceToken(req, &q.afterToken, &error))
        return refuse(res, 400, error);
    const QString base = baseAddress(req);
    QJsonArray list;
    const qint64 token = m_store.locked([&] {
        for (const Record& r : m_store.find(q)) {
            QJsonObject o = withAddresses(r.body, base);
            if (kind == kind::child) {
                for (const char* key : {"groups", "sessions", "relationships"})
                    if (!o.contains(QLatin1String(key)))
                        o.insert(QLatin1String(key), QJsonArray());
            }
            list.append(o);
        }
        return m_store.currentToken();
    });
    QJsonObject o = envelope(true, QStringLiteral("ok"), token);
    o.insert(QLatin1String(arrayKey), list);
    send(res, 200, o);
}

void Api::getRegistrations(const httplib::Request& req, httplib::Response& res, bool staff) {
    Query q;
    q.kind = staff ? kind::userTimeEntry : kind::timeEntry;
    QString error;
    qint64 from = 0;
    // Staff registrations are the organisation's; child registrations are chosen by location.
    if (!organisationScope(req, !staff, &q, &error) || !sinceToken(req, &q.afterToken, &error) ||
        !windowStart(req, &from, &error))
        return refuse(res, 400, error);
    q.fromTimeMs = from;
    QJsonArray list;
    const qint64 token = m_store.locked([&] {
        for (const Record& r : m_store.find(q))
            list.append(r.body);
        return m_store.currentToken();
    });
    QJsonObject o = envelope(true, QStringLiteral("ok"), token);
    o.insert(staff ? QStringLiteral("userTimeEntries") : QStringLiteral("timeEntries"), list);
    send(res, 200, o);
}

void Api::putRegistration(const httplib::Request& req, httplib::Response& res, bool staff) {
    QJsonObject body;
    QString error;
    if (!parseObject(req.body, &body, &error))
        return refuse(res, 400, error);
    std::optional<Record> rec = registrationFromBody(body, staff, &error);
    if (!rec)
        return refuse(res, 400, error);
    const bool creation = req.method == "POST";
    bool kept = false;
    const qint64 token = m_store.locked([&]() -> qint64 {
        // The child or staff member must be known; their record says which organisation it is.
        std::optional<Record> subject;
        if (staff) {
            for (const QString& k : {kind::user, kind::genericUser}) {
                std::vector<Record> found = m_store.find(Query{k, {}, {}, rec->ref, 0, {}});
                if (!found.empty()) {
                    subject = found.front();
                    break;
                }
            }
        } else {
            subject = m_store.get(kind::child, rec->ref);
        }
        const QString who =
            (staff ? QStringLiteral("staff member \"%1\"") : QStringLiteral("child \"%1\"")).arg(rec->ref);
        if (!subject) {
            error = QStringLiteral("no %1 is known").arg(who);
            return 0;
        }
        if (rec->entity.isEmpty() && !staff)
            rec->entity = subject->entity;
        const QString org = subject->org.isEmpty() ? orgOfEntity(subject->entity) : subject->org;
        if (!rec->org.isEmpty() && !org.isEmpty() && rec->org != org) {
            error = QStringLiteral("\"orgId\" \"%1\" is not the organisation of %2").arg(rec->org, who);
            return 0;
        }
        if (rec->org.isEmpty())
            rec->org = org.isEmpty() ? orgOfEntity(rec->entity) : org;
        // A tablet that lost the answer to its creation sends it again, maybe after other tablets changed
        // or deleted the registration: a creation never undoes a later change, and nothing brings a
        // deleted registration back (a change of its time that arrives late still counts).
        if (const std::optional<Record> old = m_store.get(rec->kind, rec->id)) {
            if (creation) {
                kept = true;
                return old->token;
            }
            if (old->body.value(QLatin1String("exists")).toInt() == 0)
                rec->body.insert(QStringLiteral("exists"), 0);
        }
        return m_store.put(*rec);
    });
    if (!error.isEmpty())
        return refuse(res, 400, error);
    if (token < 0)
        return refuse(res, 500, QStringLiteral("the registration could not be stored"));
    ok(res, kept ? QStringLiteral("registration %1 already stored; kept as it is").arg(rec->id)
                 : QStringLiteral("registration %1 stored").arg(rec->id));
}

void Api::deleteRegistration(const httplib::Request& req, httplib::Response& res, bool staff) {
    const QString id = param(req, "registrationId");
    if (id.isEmpty())
        return refuse(res, 400, QStringLiteral("\"registrationId\" is missing"));
    const QString k = staff ? kind::userTimeEntry : kind::timeEntry;
    bool known = true;
    const qint64 token = m_store.locked([&]() -> qint64 {
        std::optional<Record> rec = m_store.get(k, id);
        if (!rec) {
            known = false;
            return 0;
        }
        rec->body.insert(QStringLiteral("exists"), 0);
        return m_store.put(*rec);
    });
    if (token < 0)
        return refuse(res, 500, QStringLiteral("the registration could not be deleted"));
    // Deleting what is not there leaves the store as the caller wants it.
    ok(res, known ? QStringLiteral("registration %1 deleted").arg(id)
                  : QStringLiteral("no registration %1; nothing to delete").arg(id));
}

void Api::postChild(const httplib::Request& req, httplib::Response& res) {
    QJsonObject body;
    QString error;
    if (!parseObject(req.body, &body, &error))
        return refuse(res, 400, error);
    std::optional<ChildInput> in = childFromBody(body, &error);
    if (!in)
        return refuse(res, 400, error);
    Record& rec = in->record;
    const bool stored = m_store.transaction([&] {
        const std::optional<Record> old = m_store.get(kind::child, rec.id);
        if (rec.org.isEmpty())
            rec.org = orgOfEntity(rec.entity);
        if (rec.org.isEmpty() && old)
            rec.org = old->org;
        if (!in->picture.isEmpty()) {
            const QString name = pictureName(QStringLiteral("child"), rec.id, in->picture, in->pictureMime);
            if (!m_store.putImage(name, in->pictureMime, in->picture))
                return false;
            rec.body.insert(QStringLiteral("image"), QStringLiteral("/images/") + name);
        } else {
            // The tablet's own cache key is no address other tablets could load.
            const QString image = rec.body.value(QLatin1String("image")).toString();
            if (!image.startsWith(QLatin1String("http://")) && !image.startsWith(QLatin1String("https://")))
                rec.body.remove(QStringLiteral("image"));
            if (old && old->body.contains(QLatin1String("image")) &&
                !rec.body.contains(QLatin1String("image")))
                rec.body.insert(QStringLiteral("image"), old->body.value(QLatin1String("image")));
        }
        if (old) {
            for (const char* key : {"groups", "sessions", "relationships"})
                if (!rec.body.contains(QLatin1String(key)) && old->body.contains(QLatin1String(key)))
                    rec.body.insert(QLatin1String(key), old->body.value(QLatin1String(key)));
        }
        return m_store.put(rec) >= 0;
    });
    if (!stored)
        return refuse(res, 500, QStringLiteral("the child could not be stored"));
    const QString image = rec.body.value(QLatin1String("image")).toString();
    QJsonObject extra;
    if (!image.isEmpty())
        extra.insert(QStringLiteral("image"), image.startsWith(u'/') ? baseAddress(req) + image : image);
    ok(res, QStringLiteral("child %1 stored").arg(rec.id), extra);
}

void Api::postImage(const httplib::Request& req, httplib::Response& res) {
    QJsonObject body;
    QString error;
    if (!parseObject(req.body, &body, &error))
        return refuse(res, 400, error);
    const std::optional<UploadInput> in = uploadFromBody(body, &error);
    if (!in)
        return refuse(res, 400, error);
    const bool child = in->type == QLatin1String("Child");
    const QString name = pictureName(child ? QStringLiteral("child") : QStringLiteral("user"), in->typeId,
                                     in->picture, in->pictureMime);
    const QString path = QStringLiteral("/images/") + name;
    int subjects = 0;
    const bool stored = m_store.transaction([&] {
        if (!m_store.putImage(name, in->pictureMime, in->picture))
            return false;
        std::vector<Record> records;
        if (child) {
            if (auto r = m_store.get(kind::child, in->typeId))
                records.push_back(*r);
        } else {
            for (const QString& k : {kind::user, kind::genericUser})
                for (Record& r : m_store.find(Query{k, {}, {}, in->typeId, 0, {}}))
                    records.push_back(std::move(r));
        }
        for (Record& r : records) {
            r.body.insert(QStringLiteral("image"), path);
            if (m_store.put(r) < 0)
                return false;
            ++subjects;
        }
        return true;
    });
    if (!stored)
        return refuse(res, 500, QStringLiteral("the picture could not be stored"));
    // An unknown subject is no reason to make the tablet resend the picture forever.
    const QString message =
        subjects > 0 ? QStringLiteral("picture stored")
                     : QStringLiteral("picture stored; no %1 %2 is known to point at it")
                           .arg(child ? QStringLiteral("child") : QStringLiteral("staff member"), in->typeId);
    ok(res, message, QJsonObject{{QStringLiteral("image"), baseAddress(req) + path}});
}

void Api::getImage(const httplib::Request& req, httplib::Response& res) {
    const auto picture = m_store.image(QString::fromStdString(req.matches[1]));
    if (!picture)
        return refuse(res, 404, QStringLiteral("no such picture"));
    res.status = 200;
    res.set_content(picture->second.toStdString(), picture->first.toStdString());
}

void Api::testControl(const httplib::Request& req, httplib::Response& res) {
    if (!loopback(req))
        return refuse(res, 403, QStringLiteral("test controls answer on loopback only"));
    if (req.method == "DELETE") {
        m_faults.clear();
    } else if (req.method == "POST") {
        QJsonObject config;
        QString error;
        if (!req.body.empty() && !parseObject(req.body, &config, &error))
            return refuse(res, 400, error);
        if (!m_faults.configure(config, &error))
            return refuse(res, 400, error);
    }
    ok(res, QStringLiteral("faults"), m_faults.describe());
}

void Api::testStats(const httplib::Request& req, httplib::Response& res) {
    if (!loopback(req))
        return refuse(res, 403, QStringLiteral("test controls answer on loopback only"));
    QJsonObject stats;
    m_store.locked([&] {
        stats.insert(QStringLiteral("timeEntries"), m_store.count(kind::timeEntry, false));
        stats.insert(QStringLiteral("timeEntriesExisting"), m_store.count(kind::timeEntry, true));
        stats.insert(QStringLiteral("userTimeEntries"), m_store.count(kind::userTimeEntry, false));
        stats.insert(QStringLiteral("userTimeEntriesExisting"), m_store.count(kind::userTimeEntry, true));
        stats.insert(QStringLiteral("children"), m_store.count(kind::child, false));
        stats.insert(QStringLiteral("users"), m_store.count(kind::user, false));
        stats.insert(QStringLiteral("images"), m_store.imageCount());
        return 0;
    });
    ok(res, QStringLiteral("stats"), stats);
}

void Api::testRecords(const httplib::Request& req, httplib::Response& res) {
    if (!loopback(req))
        return refuse(res, 403, QStringLiteral("test controls answer on loopback only"));
    const QString k = param(req, "kind");
    if (k.isEmpty())
        return refuse(res, 400, QStringLiteral("\"kind\" is missing"));
    QJsonArray list;
    for (const Record& r : m_store.find(Query{k, {}, {}, {}, 0, {}})) {
        QJsonObject o = r.body;
        o.insert(QStringLiteral("_token"), tokenText(r.token));
        list.append(o);
    }
    ok(res, QStringLiteral("records"), QJsonObject{{QStringLiteral("records"), list}});
}

void Api::rememberQuery(const httplib::Request& req) {
    QJsonObject params;
    for (const auto& [key, value] : req.params)
        params.insert(QString::fromStdString(key), QString::fromStdString(value));
    std::lock_guard lock(m_queriesMutex);
    m_lastQueries.insert(QString::fromStdString(req.path), params);
}

void Api::testLastQuery(const httplib::Request& req, httplib::Response& res) {
    if (!loopback(req))
        return refuse(res, 403, QStringLiteral("test controls answer on loopback only"));
    const QString path = param(req, "path");
    std::lock_guard lock(m_queriesMutex);
    if (!m_lastQueries.contains(path))
        return refuse(res, 404, QStringLiteral("no GET %1 arrived yet").arg(path));
    ok(res, QStringLiteral("last query"), QJsonObject{{QStringLiteral("query"), m_lastQueries.value(path)}});
}

} // namespace server
