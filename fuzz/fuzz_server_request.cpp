// Requests as the reference server reads them: query parameters and bodies through the route handlers,
// called without a socket, against a store holding the demo organisation.
// Input: a first byte choosing the route, then the query text ("a=1&b=2") up to the first line break, then
// the body. Every answer must be the envelope, whatever came in.
#include "Api.h"
#include "Demo.h"
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace server {

struct ApiProbe {
    enum Route {
        Organisation,
        Devices,
        Entities,
        Users,
        GenericUsers,
        Children,
        ChildTimes,
        StaffTimes,
        PostChildTime,
        PutChildTime,
        PostStaffTime,
        PutStaffTime,
        DeleteChildTime,
        DeleteStaffTime,
        PostChild,
        PostImage,
        RouteCount
    };

    static void handle(Api& api, int route, httplib::Request& req, httplib::Response& res) {
        switch (route) {
        case Organisation:
            req.method = "GET";
            return api.getOrganisation(req, res);
        case Devices:
            req.method = "GET";
            return api.getList(req, res, kind::device, "devices");
        case Entities:
            req.method = "GET";
            return api.getList(req, res, kind::entity, "entities");
        case Users:
            req.method = "GET";
            return api.getList(req, res, kind::user, "users");
        case GenericUsers:
            req.method = "GET";
            return api.getList(req, res, kind::genericUser, "users");
        case Children:
            req.method = "GET";
            return api.getList(req, res, kind::child, "children");
        case ChildTimes:
            req.method = "GET";
            return api.getRegistrations(req, res, false);
        case StaffTimes:
            req.method = "GET";
            return api.getRegistrations(req, res, true);
        case PostChildTime:
            req.method = "POST";
            return api.putRegistration(req, res, false);
        case PutChildTime:
            req.method = "PUT";
            return api.putRegistration(req, res, false);
        case PostStaffTime:
            req.method = "POST";
            return api.putRegistration(req, res, true);
        case PutStaffTime:
            req.method = "PUT";
            return api.putRegistration(req, res, true);
        case DeleteChildTime:
            req.method = "DELETE";
            return api.deleteRegistration(req, res, false);
        case DeleteStaffTime:
            req.method = "DELETE";
            return api.deleteRegistration(req, res, true);
        case PostChild:
            req.method = "POST";
            return api.postChild(req, res);
        case PostImage:
            req.method = "POST";
            return api.postImage(req, res);
        }
    }
};

} // namespace server

namespace {

server::Store* store;
server::Faults* faults;
server::Api* api;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::prepareEnvironment();
    new QGuiApplication(*argc, *argv); // the demo draws its pictures
    store = new server::Store;
    QString error;
    fuzz::check(store->open(fuzz::scratch().filePath(QStringLiteral("server.sqlite")), &error),
                "the server store opens", error);
    fuzz::check(server::loadDemo(*store, &error), "the demo loads", error);
    faults = new server::Faults;
    api = new server::Api(*store, *faults);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int route = data[0] % server::ApiProbe::RouteCount;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lineEnd = rest.find('\n');
    httplib::Request req;
    req.remote_addr = "192.0.2.1"; // not loopback: the test controls stay closed
    req.set_header("Host", "127.0.0.1:8080");
    httplib::detail::parse_query_text(rest.substr(0, lineEnd), req.params);
    if (lineEnd != std::string::npos)
        req.body = rest.substr(lineEnd + 1);
    httplib::Response res;
    server::ApiProbe::handle(*api, route, req, res);

    const QJsonDocument answer = QJsonDocument::fromJson(QByteArray::fromStdString(res.body));
    fuzz::check(answer.isObject(), "every answer is a JSON object",
                QString::fromStdString(res.body.substr(0, 200)));
    const QJsonObject o = answer.object();
    fuzz::check(o.value(QLatin1String("success")).isBool() && o.value(QLatin1String("time")).isString(),
                "every answer carries the envelope", QString::fromStdString(res.body.substr(0, 200)));
    fuzz::check((res.status == 200) == o.value(QLatin1String("success")).toBool(),
                "success exactly when the status is 200", QString::number(res.status));
    return 0;
}
