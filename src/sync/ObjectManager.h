#pragma once
// HTTP to the organisation's server: requests relative to one base URL, answers read as the envelope
// and mapped into the store off the main thread (one transaction per answer), records sent as JSON
// bodies along their routes. Lives on the main thread; every delegate call comes on the main thread
// except the will-map hook, which runs on the mapping thread.
#include "Mapping.h"

#include <QHash>
#include <QJsonObject>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QTimer;
class SerialQueue;
class Store;

struct RequestInfo {
    quint64 id = 0;
    QUrl url;
    QString method;
    QVariant userData;
    bool timedOut = false; // ended by the client's deadline; the server may still carry it out
    QString tlsError;      // why the server's certificate was refused (nothing was sent); empty otherwise
};

// Every request ends with exactly one request-level call (loaded, failed, timed out or cancelled);
// loaded and failed requests then end with exactly one object-level call (loaded objects or failure).
class ObjectLoaderDelegate {
public:
    virtual ~ObjectLoaderDelegate() = default;
    virtual void objectLoaderDidLoadObjects(const RequestInfo& request, const Response& response) = 0;
    virtual void objectLoaderDidFailWithError(const RequestInfo& request, const QString& error) = 0;
    virtual void requestDidLoadResponse(const RequestInfo&, int /*status*/, const QByteArray& /*body*/) {}
    virtual void requestDidFailLoadWithError(const RequestInfo&, const QString& /*error*/) {}
    virtual void requestDidTimeout(const RequestInfo&) {}
    virtual void requestDidCancelLoad(const RequestInfo&) {}
};

// May change the parsed answer before it is mapped (mapping thread).
using WillMapData = std::function<void(const RequestInfo&, QJsonObject&)>;

class ObjectManager : public QObject {
    Q_OBJECT
public:
    ObjectManager(std::shared_ptr<Store> store, const QUrl& baseUrl, QObject* parent = nullptr);
    ~ObjectManager() override;

    static ObjectManager* sharedManager();
    static void setSharedManager(ObjectManager* manager);

    QUrl baseUrl() const { return m_baseUrl; }
    void setBaseUrl(const QUrl& url) { m_baseUrl = url; }
    // Overall deadline of every request (120 s unless a test shortens it).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    void setNetworkAccessManager(QNetworkAccessManager* manager);
    int requestsInFlight() const { return int(m_pending.size()); }

    // GET path?query (query items percent-encoded here), the answer mapped as the envelope.
    quint64 getObjectsAtPath(const QString& path, const QList<QPair<QString, QString>>& query,
                             ObjectLoaderDelegate* delegate, const QVariant& userData = {},
                             const WillMapData& willMap = {});
    // Send a record along its route; a record without route fails (asynchronously) without a request.
    quint64 postObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                       const QVariant& userData = {});
    quint64 putObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                      const QVariant& userData = {});
    quint64 deleteObject(const ManagedObject* record, ObjectLoaderDelegate* delegate,
                         const QVariant& userData = {});

    // The path of a record's route for a method, or a null QString when there is none.
    static QString routeFor(const ManagedObject* record, const QString& method);
    // Query text: keys and values percent-encoded, "&"-joined.
    static QString encodeQuery(const QList<QPair<QString, QString>>& query);

    // Cancels every request of a delegate. notify false: the delegate hears nothing more (it is going).
    void cancelRequestsForDelegate(ObjectLoaderDelegate* delegate, bool notify);
    void cancelAll();
    // The platform ends the app's background time: running requests end as timed out.
    void backgroundTimeExpired();

    // Waits until no request is pending (tests, benchmarks).
    bool waitForIdle(int timeoutMs);

private:
    struct Pending {
        RequestInfo info;
        ObjectLoaderDelegate* delegate = nullptr;
        QPointer<QNetworkReply> reply;
        QTimer* deadline = nullptr;
        WillMapData willMap;
        QByteArray body; // read as it arrives, so the end of a large answer costs no big copy
        QString tlsError;
        int storeGeneration = 0; // the store's when the request went out
        enum { Running, TimedOut, Expired, Cancelled, Silent, Mapping } state = Running;
    };

    quint64 send(const QString& method, const QString& pathAndQuery, const QByteArray& body,
                 ObjectLoaderDelegate* delegate, const QVariant& userData, const WillMapData& willMap);
    quint64 sendRecord(const QString& method, const ManagedObject* record, ObjectLoaderDelegate* delegate,
                       const QVariant& userData);
    void finished(quint64 id);
    void mapped(quint64 id, bool ok, QString error, const Response& response);
    void failLater(quint64 id, const QString& error);
    QUrl urlFor(const QString& pathAndQuery) const;

    std::shared_ptr<Store> m_store;
    QUrl m_baseUrl;
    int m_timeoutMs = 120000;
    QNetworkAccessManager* m_network = nullptr;
    bool m_ownsNetwork = false;
    std::unique_ptr<SerialQueue> m_mappingQueue;
    QHash<quint64, Pending> m_pending;
    quint64 m_nextId = 1;
    quint64 m_trustGeneration = 0;
};
