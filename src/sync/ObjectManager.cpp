#include "ObjectManager.h"

#include "Log.h"
#include "Recomputations.h"
#include "SerialQueue.h"
#include "Store.h"
#include "TlsTrust.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

namespace {
ObjectManager* shared = nullptr;

constexpr qint64 kReadStep = 256 * 1024;

// Appends what the reply has straight into the body: one copy, and the announced length reserved once.
void readInto(QByteArray& body, QNetworkReply* reply) {
    if (body.isEmpty()) {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > 0 && announced < (qint64(1) << 30))
            body.reserve(qsizetype(announced));
    }
    for (qint64 available; (available = reply->bytesAvailable()) > 0;) {
        const qsizetype old = body.size();
        body.resize(old + qsizetype(available));
        const qint64 got = reply->read(body.data() + old, available);
        body.resize(old + qsizetype(qMax<qint64>(got, 0)));
        if (got <= 0)
            break;
    }
}

// Status-derived errors: the server did answer, only not with 2xx.
bool isHttpStatusError(QNetworkReply::NetworkError e) {
    const int code = int(e);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}
} // namespace

ObjectManager::ObjectManager(std::shared_ptr<Store> store, const QUrl& baseUrl, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_baseUrl(baseUrl)
    , m_mappingQueue(std::make_unique<SerialQueue>(QStringLiteral("kinderopvang.mapping"), true)) {
    m_network = new QNetworkAccessManager(this);
    m_ownsNetwork = true;
    if (!shared)
        shared = this;
}

ObjectManager::~ObjectManager() {
    QList<QPointer<QNetworkReply>> replies;
    for (auto& p : m_pending) {
        p.state = Pending::Silent;
        replies << p.reply;
    }
    for (const auto& r : replies)
        if (r)
            r->abort();
    m_mappingQueue.reset(); // waits for the mapping in progress
    if (shared == this)
        shared = nullptr;
}

ObjectManager* ObjectManager::sharedManager() {
    return shared;
}
void ObjectManager::setSharedManager(ObjectManager* manager) {
    shared = manager;
}

void ObjectManager::setNetworkAccessManager(QNetworkAccessManager* manager) {
    if (m_ownsNetwork)
        m_network->deleteLater();
    m_network = manager;
    m_ownsNetwork = false;
}

QString ObjectManager::encodeQuery(const QList<QPair<QString, QString>>& query) {
    QStringList parts;
    for (const auto& [key, value] : query)
        parts << QString::fromLatin1(QUrl::toPercentEncoding(key)) + QLatin1Char('=') +
                     QString::fromLatin1(QUrl::toPercentEncoding(value));
    return parts.join(QLatin1Char('&'));
}

QUrl ObjectManager::urlFor(const QString& pathAndQuery) const {
    QString base = m_baseUrl.toString(QUrl::FullyEncoded);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return QUrl(base + pathAndQuery, QUrl::StrictMode);
}

QString ObjectManager::routeFor(const ManagedObject* record, const QString& method) {
    const QString entity = record->entity().name;
    if (entity == QLatin1String("Registration")) {
        if (method == QLatin1String("POST") || method == QLatin1String("PUT"))
            return QStringLiteral("/timeEntry");
        if (method == QLatin1String("DELETE"))
            return QStringLiteral("/timeEntry?registrationId=") +
                   QString::fromLatin1(QUrl::toPercentEncoding(record->primaryKey()));
    } else if (entity == QLatin1String("UserRegistration")) {
        if (method == QLatin1String("POST") || method == QLatin1String("PUT"))
            return QStringLiteral("/userTimeEntry");
    } else if (entity == QLatin1String("Child")) {
        if (method == QLatin1String("POST"))
            return QStringLiteral("/child");
    } else if (entity == QLatin1String("ObjectImageUpload")) {
        if (method == QLatin1String("POST"))
            return QStringLiteral("/image");
    }
    return QString();
}

quint64 ObjectManager::getObjectsAtPath(const QString& path, const QList<QPair<QString, QString>>& query,
                                        ObjectLoaderDelegate* delegate, const QVariant& userData,
                                        const WillMapData& willMap) {
    const QString pathAndQuery = query.isEmpty() ? path : path + QLatin1Char('?') + encodeQuery(query);
    return send(QStringLiteral("GET"), pathAndQuery, {}, delegate, userData, willMap);
}

quint64 ObjectManager::postObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                                  const QVariant& userData) {
    return sendRecord(QStringLiteral("POST"), record, delegate, userData);
}

quint64 ObjectManager::putObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                                 const QVariant& userData) {
    return sendRecord(QStringLiteral("PUT"), record, delegate, userData);
}

quint64 ObjectManager::deleteObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                                    const QVariant& userData) {
    return sendRecord(QStringLiteral("DELETE"), record, delegate, userData);
}

quint64 ObjectManager::sendRecord(const QString& method, const ManagedObject* record,
                                  ObjectLoaderDelegate* delegate, const QVariant& userData) {
    const QString route = record ? routeFor(record, method) : QString();
    if (route.isNull()) {
        const quint64 id = m_nextId++;
        Pending p;
        p.info.id = id;
        p.info.method = method;
        p.info.userData = userData;
        p.delegate = delegate;
        m_pending.insert(id, p);
        failLater(id, QStringLiteral("no route for %1 %2")
                          .arg(method, record ? record->entity().name : QStringLiteral("nothing")));
        return id;
    }
    const QByteArray body = method == QLatin1String("DELETE")
                                ? QByteArray()
                                : QJsonDocument(Mapping::bodyFor(record)).toJson(QJsonDocument::Compact);
    return send(method, route, body, delegate, userData, {});
}

void ObjectManager::failLater(quint64 id, const QString& error) {
    QMetaObject::invokeMethod(
        this,
        [this, id, error] {
            auto it = m_pending.find(id);
            if (it == m_pending.end())
                return;
            const Pending p = *it;
            m_pending.erase(it);
            if (p.state == Pending::Silent || !p.delegate)
                return;
            CC_LOG(error);
            p.delegate->requestDidFailLoadWithError(p.info, error);
            p.delegate->objectLoaderDidFailWithError(p.info, error);
        },
        Qt::QueuedConnection);
}

quint64 ObjectManager::send(const QString& method, const QString& pathAndQuery, const QByteArray& body,
                            ObjectLoaderDelegate* delegate, const QVariant& userData,
                            const WillMapData& willMap) {
    const quint64 id = m_nextId++;
    Pending p;
    p.info.id = id;
    p.info.url = urlFor(pathAndQuery);
    p.info.method = method;
    p.info.userData = userData;
    p.delegate = delegate;
    p.willMap = willMap;
    p.storeGeneration = m_store->generation();

    QNetworkRequest request(p.info.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    TlsTrust::apply(request);
    // A connection made before the trusted certificates changed would go on with the old ones.
    if (m_trustGeneration != TlsTrust::generation() && m_pending.isEmpty()) {
        m_trustGeneration = TlsTrust::generation();
        m_network->clearConnectionCache();
    }
    QNetworkReply* reply = nullptr;
    if (method == QLatin1String("GET"))
        reply = m_network->get(request);
    else if (method == QLatin1String("POST"))
        reply = m_network->post(request, body);
    else if (method == QLatin1String("PUT"))
        reply = m_network->put(request, body);
    else
        reply = m_network->deleteResource(request);
    p.reply = reply;
    // Small steps keep each read on the main thread short, however large the answer.
    reply->setReadBufferSize(kReadStep);
    connect(reply, &QNetworkReply::readyRead, this, [this, id] {
        auto it = m_pending.find(id);
        if (it != m_pending.end() && it->reply)
            readInto(it->body, it->reply);
    });
    // Noted only: the handshake fails and the request ends through the failure path, nothing sent.
    connect(reply, &QNetworkReply::sslErrors, this, [this, id](const QList<QSslError>& errors) {
        auto it = m_pending.find(id);
        if (it != m_pending.end())
            it->tlsError = TlsTrust::describe(errors);
    });
    connect(reply, &QNetworkReply::finished, this, [this, id] { finished(id); });

    // One overall deadline: a server that trickles bytes is cut off too.
    p.deadline = new QTimer(this);
    p.deadline->setSingleShot(true);
    connect(p.deadline, &QTimer::timeout, this, [this, id] {
        auto it = m_pending.find(id);
        if (it == m_pending.end() || it->state != Pending::Running)
            return;
        it->state = Pending::TimedOut;
        if (it->reply)
            it->reply->abort();
    });
    p.deadline->start(m_timeoutMs);
    m_pending.insert(id, p);
    return id;
}

void ObjectManager::finished(quint64 id) {
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    QNetworkReply* reply = it->reply;
    if (it->deadline) {
        it->deadline->deleteLater();
        it->deadline = nullptr;
    }
    if (!reply)
        return;
    reply->deleteLater();
    const auto state = it->state;
    RequestInfo info = it->info;
    info.timedOut = state == Pending::TimedOut || state == Pending::Expired;
    ObjectLoaderDelegate* delegate = it->delegate;

    if (state == Pending::Silent || state == Pending::Cancelled || state == Pending::Expired) {
        m_pending.erase(it);
        if (delegate && state == Pending::Cancelled)
            delegate->requestDidCancelLoad(info);
        if (delegate && state == Pending::Expired) {
            delegate->requestDidTimeout(info);
            delegate->objectLoaderDidFailWithError(info, QStringLiteral("The request timed out."));
        }
        return;
    }
    if (state == Pending::TimedOut) {
        m_pending.erase(it);
        const QString error = QStringLiteral("The request timed out after %1 ms.").arg(m_timeoutMs);
        CC_LOG(QStringLiteral("%1 %2: %3").arg(info.method, Log::maskedUrl(info.url), error));
        if (delegate) {
            delegate->requestDidFailLoadWithError(info, error);
            delegate->objectLoaderDidFailWithError(info, error);
        }
        return;
    }

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    readInto(it->body, reply);
    const QByteArray body = std::move(it->body);
    it->body = QByteArray();
    const QNetworkReply::NetworkError error = reply->error();
    if (status == 0 || (error != QNetworkReply::NoError && !isHttpStatusError(error))) {
        if (error == QNetworkReply::SslHandshakeFailedError || !it->tlsError.isEmpty()) {
            info.tlsError = it->tlsError.isEmpty() ? QStringLiteral("handshake failed") : it->tlsError;
            CC_LOG(QStringLiteral("TLS refused for %1 %2: %3")
                       .arg(info.method, Log::maskedUrl(info.url), info.tlsError));
        }
        m_pending.erase(it);
        const QString why = reply->errorString();
        if (delegate) {
            delegate->requestDidFailLoadWithError(info, why);
            delegate->objectLoaderDidFailWithError(info, why);
        }
        return;
    }
    if (delegate)
        delegate->requestDidLoadResponse(info, status, body);
    it = m_pending.find(id); // the delegate may have cancelled, or be going
    if (it == m_pending.end())
        return;
    delegate = it->delegate;
    if (it->state != Pending::Running) {
        const bool cancelled = it->state == Pending::Cancelled;
        m_pending.erase(it);
        if (delegate && cancelled)
            delegate->requestDidCancelLoad(info);
        return;
    }
    if (status >= 400) {
        m_pending.erase(it);
        if (delegate)
            delegate->objectLoaderDidFailWithError(info, QStringLiteral("HTTP status %1").arg(status));
        return;
    }

    it->state = Pending::Mapping;
    const WillMapData willMap = it->willMap;
    const int generation = it->storeGeneration;
    std::shared_ptr<Store> store = m_store;
    QPointer<ObjectManager> self(this);
    m_mappingQueue->async([self, store, id, info, body, willMap, generation] {
        // An answer to a request made before the store was emptied belongs to what was wiped.
        const QString emptied = QStringLiteral("the store was emptied while the answer was on its way");
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
        QString failure;
        Response response;
        if (parseError.error != QJsonParseError::NoError)
            failure = QStringLiteral("answer is not JSON: %1").arg(parseError.errorString());
        else if (!doc.isObject())
            failure = QStringLiteral("answer is not a JSON object");
        Context* context = store->context();
        const Context::Task task(context); // a wipe from here on makes the write below fail
        if (failure.isEmpty() && store->generation() != generation)
            failure = emptied;
        if (failure.isEmpty()) {
            QJsonObject answer = doc.object();
            if (willMap)
                willMap(info, answer);
            response = Mapping::mapAnswer(context, answer);
            QString saveError;
            // The check against local changes and the write happen under one lock: a clocking queued
            // on the main thread meanwhile is never overwritten.
            // The statuses the answer changes are marked in its own transaction: a crash before their
            // recomputation leaves the marks for the next start.
            if (!response.failure.isEmpty()) {
                context->rollback();
                failure = response.failure;
            } else if (!context->performWrite(
                           [context, &response] {
                               response.keptLocal += Mapping::keepUnsentLocalChanges(context);
                               if (!StatusMarks::mark(context, statusesAfter(response)))
                                   context->abandonWrite(
                                       QStringLiteral("the statuses to recompute could not be stored"));
                           },
                           &saveError)) {
                context->rollback();
                CC_LOG(QStringLiteral("error %1").arg(saveError));
                failure = saveError;
            }
            context->reset(); // the answer's records are not kept in memory
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, id, failure, response] {
                if (self)
                    self->mapped(id, failure.isEmpty(), failure, response);
            },
            Qt::QueuedConnection);
    });
}

void ObjectManager::mapped(quint64 id, bool ok, QString error, const Response& response) {
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    const Pending p = *it;
    m_pending.erase(it);
    if (!p.delegate || p.state == Pending::Silent)
        return;
    if (ok && m_store->generation() != p.storeGeneration) {
        ok = false; // stored, then wiped before this: the delegate must not build on it
        error = QStringLiteral("the store was emptied while the answer was on its way");
    }
    if (ok) {
        p.delegate->objectLoaderDidLoadObjects(p.info, response);
    } else {
        CC_LOG(QStringLiteral("%1 %2: %3").arg(p.info.method, Log::maskedUrl(p.info.url), error));
        p.delegate->objectLoaderDidFailWithError(p.info, error);
    }
}

void ObjectManager::cancelRequestsForDelegate(ObjectLoaderDelegate* delegate, bool notify) {
    QList<QNetworkReply*> abort;
    for (auto& p : m_pending) {
        if (p.delegate != delegate)
            continue;
        if (!notify)
            p.delegate = nullptr;
        if (p.state == Pending::Running) {
            p.state = notify ? Pending::Cancelled : Pending::Silent;
            if (p.reply)
                abort << p.reply;
        } else if (p.state == Pending::Mapping) {
            p.state = Pending::Silent;
        }
    }
    for (QNetworkReply* r : abort)
        r->abort();
}

void ObjectManager::cancelAll() {
    QList<QNetworkReply*> abort;
    for (auto& p : m_pending)
        if (p.state == Pending::Running) {
            p.state = Pending::Cancelled;
            if (p.reply)
                abort << p.reply;
        }
    for (QNetworkReply* r : abort)
        r->abort();
}

void ObjectManager::backgroundTimeExpired() {
    QList<QNetworkReply*> abort;
    for (auto& p : m_pending)
        if (p.state == Pending::Running) {
            p.state = Pending::Expired;
            if (p.reply)
                abort << p.reply;
        }
    for (QNetworkReply* r : abort)
        r->abort();
}

bool ObjectManager::waitForIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!m_pending.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return m_pending.isEmpty();
}
