#pragma once
// The HTTP routes of the server: the tablet's resources, the pictures, and the loopback-only test controls.
// Handlers run on the HTTP library's worker threads; the store serialises them.
#include "Faults.h"
#include "Http.h"
#include "Store.h"

#include <QHash>
#include <httplib.h>
#include <mutex>

namespace server {

class Api {
public:
    Api(Store& store, Faults& faults)
        : m_store(store)
        , m_faults(faults) {}
    void install(GuardedServer& http);

private:
    friend struct ApiProbe; // the fuzz target calls the handlers without a socket

    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
    Handler withFaults(bool write, Handler handler);

    void getOrganisation(const httplib::Request& req, httplib::Response& res);
    void getList(const httplib::Request& req, httplib::Response& res, const QString& kind,
                 const char* arrayKey);
    void getRegistrations(const httplib::Request& req, httplib::Response& res, bool staff);
    void putRegistration(const httplib::Request& req, httplib::Response& res, bool staff);
    void deleteRegistration(const httplib::Request& req, httplib::Response& res, bool staff);
    void postChild(const httplib::Request& req, httplib::Response& res);
    void postImage(const httplib::Request& req, httplib::Response& res);
    void getImage(const httplib::Request& req, httplib::Response& res);
    void testControl(const httplib::Request& req, httplib::Response& res);
    void testStats(const httplib::Request& req, httplib::Response& res);
    void testRecords(const httplib::Request& req, httplib::Response& res);
    void testLastQuery(const httplib::Request& req, httplib::Response& res);
    void rememberQuery(const httplib::Request& req);

    void ok(httplib::Response& res, const QString& message, QJsonObject extra = {});
    void refuse(httplib::Response& res, int status, const QString& message);
    QString orgOfEntity(const QString& entityId);

    Store& m_store;
    Faults& m_faults;
    std::size_t m_maxBodyBytes = 0;
    std::mutex m_queriesMutex;
    QHash<QString, QJsonObject> m_lastQueries; // by path: the parameters of the latest GET
};

} // namespace server
