// Simulated tablets against one reference server. Each tablet couples as the app does (organisation
// login, device profiles, locations, their staff, a first full refresh), then refreshes on the app's
// interval with its change tokens and sends child registrations at the app's rate, spread at random.
// A time factor F runs the same requests F times faster: the 60 s refresh becomes 60/F s and the hourly
// registrations come F times as often, so 10 minutes of traffic take 10/F minutes with the same mix.
// Connections are closed after each burst, as the server's short keep-alive does between a real
// tablet's minutes. At most --threads client threads do the work. An answer's time runs from sending the
// request to its whole answer; how late the client started each burst against its schedule is reported
// beside it, so a run where the client could not keep up is seen as such. Prints BENCH lines; exits 1
// when any request failed.
#include "../server/Hashing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <queue>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

const QString kOrganisation = QStringLiteral("Demo Opvang");
const QString kPassword = QStringLiteral("s3cret%");
constexpr double kRefreshSeconds = 60;
constexpr double kRegistrationsPerHour = 20;

struct Options {
    std::string host = "127.0.0.1";
    int port = 0;
    int tablets = 500;
    double minutes = 10;
    double factor = 5;
    int threads = 2;
    unsigned seed = 1;
};

// Answer times and failures of one phase, filled by every client thread.
class Figures {
public:
    void add(double ms, bool ok, const std::string& request, const std::string& what) {
        std::lock_guard lock(m_mutex);
        m_ms.push_back(ms);
        m_byRequest[request].push_back(ms);
        if (!ok) {
            if (++m_errors <= 10)
                std::cerr << "error: " << what << '\n';
        }
    }
    void addLag(double ms) {
        std::lock_guard lock(m_mutex);
        m_lag.push_back(ms);
    }
    std::size_t count() const { return m_ms.size(); }
    std::size_t errors() const { return m_errors; }
    double lag(double p) { return percentile(m_lag, p); }
    double percentile(double p) { return percentile(m_ms, p); }
    void printByRequest() {
        for (auto& [request, ms] : m_byRequest)
            std::printf("  %-22s %7zu requests  p50 %8.1f ms  p99 %8.1f ms\n", request.c_str(), ms.size(),
                        percentile(ms, 50), percentile(ms, 99));
    }

private:
    static double percentile(std::vector<double>& ms, double p) {
        if (ms.empty())
            return 0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, std::size_t(p / 100.0 * double(ms.size())))];
    }

    std::mutex m_mutex;
    std::vector<double> m_ms;
    std::map<std::string, std::vector<double>> m_byRequest;
    std::size_t m_errors = 0;
    std::vector<double> m_lag;
};

struct Tablet {
    int index = 0;
    std::string mac, uid, name, organisationId, entityId, userId;
    std::vector<std::string> locations; // active ones, in the server's order
    std::vector<std::string> children;
    std::map<std::string, std::string> tokens; // per list, as the app's bookkeeping keeps them
    std::map<std::string, bool> inside;        // per child: the next registration is "Out"
    int iteration = 0;
    // The refresh and the outgoing queue go over connections of their own, as the app's requests do.
    std::unique_ptr<httplib::Client> refresh, queue;
    std::mt19937 random;
};

std::string encode(const std::string& s) {
    return QUrl::toPercentEncoding(QString::fromStdString(s)).toStdString();
}

class Load {
public:
    explicit Load(const Options& o)
        : m_o(o) {}

    int run();

private:
    struct Answer {
        bool ok = false;
        QJsonObject json;
    };
    struct Event {
        Clock::time_point due;
        int tablet;
        bool check; // otherwise a registration
        bool operator>(const Event& other) const { return due > other.due; }
    };

    std::unique_ptr<httplib::Client> client() const {
        auto c = std::make_unique<httplib::Client>(m_o.host, m_o.port);
        c->set_connection_timeout(10, 0);
        c->set_read_timeout(60, 0);
        c->set_write_timeout(60, 0);
        c->set_keep_alive(true);
        return c;
    }

    Answer get(Tablet& t, httplib::Client& c, const std::string& path,
               std::vector<std::pair<std::string, std::string>> query, Figures& f);
    Answer post(Tablet& t, const std::string& path, const QJsonObject& body, Figures& f);
    Answer finish(const httplib::Result& r, Clock::time_point sent, Figures& f, const std::string& what);

    bool couple(Tablet& t, Figures& f);
    void check(Tablet& t, Figures& f);
    void list(Tablet& t, const std::string& path, const std::string& bookkeeping,
              std::vector<std::pair<std::string, std::string>> query, Figures& f,
              const char* arrayKey = nullptr, const char* idKey = nullptr);
    void registration(Tablet& t, Figures& f);

    const Options m_o;
    std::vector<std::unique_ptr<Tablet>> m_tablets;
    std::atomic<long> m_sequence{0};
};

Load::Answer Load::finish(const httplib::Result& r, Clock::time_point sent, Figures& f,
                          const std::string& what) {
    Answer a;
    const double ms = Ms(Clock::now() - sent).count();
    if (!r) {
        f.add(ms, false, what, what + ": " + httplib::to_string(r.error()));
        return a;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r->body));
    a.json = doc.object();
    a.ok = r->status == 200 && doc.isObject() && a.json.value(QLatin1String("success")).toBool();
    f.add(ms, a.ok, what,
          what + ": HTTP " + std::to_string(r->status) + " " +
              a.json.value(QLatin1String("message")).toString().toStdString());
    return a;
}

Load::Answer Load::get(Tablet& t, httplib::Client& c, const std::string& path,
                       std::vector<std::pair<std::string, std::string>> query, Figures& f) {
    // The standard parameters every call of the app carries.
    query.emplace_back("ipadMacId", t.mac);
    query.emplace_back("iPadUID", t.uid);
    if (!t.organisationId.empty())
        query.emplace_back("organisationId", t.organisationId);
    query.emplace_back("ipadVersion", "3.2.0");
    if (!t.name.empty())
        query.emplace_back("iPadName", t.name);
    std::string target = path;
    for (std::size_t i = 0; i < query.size(); ++i)
        target += (i ? "&" : "?") + encode(query[i].first) + "=" + encode(query[i].second);
    const httplib::Headers headers{{"Accept", "application/json"}, {"Accept-Encoding", "gzip, deflate"}};
    const auto sent = Clock::now();
    return finish(c.Get(target, headers), sent, f, "GET " + path);
}

Load::Answer Load::post(Tablet& t, const std::string& path, const QJsonObject& body, Figures& f) {
    const httplib::Headers headers{{"Accept", "application/json"}, {"Accept-Encoding", "gzip, deflate"}};
    const std::string data = QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString();
    const auto sent = Clock::now();
    Answer a = finish(t.queue->Post(path, headers, data, "application/json"), sent, f, "POST " + path);
    t.queue->stop();
    return a;
}

void Load::list(Tablet& t, const std::string& path, const std::string& bookkeeping,
                std::vector<std::pair<std::string, std::string>> query, Figures& f, const char* arrayKey,
                const char* idKey) {
    const auto token = t.tokens.find(bookkeeping);
    query.emplace_back("lastSyncTime", token == t.tokens.end() ? "00000" : token->second);
    const Answer a = get(t, *t.refresh, path, std::move(query), f);
    if (!a.ok)
        return;
    const QString time = a.json.value(QLatin1String("time")).toString();
    if (!time.isEmpty())
        t.tokens[bookkeeping] = time.toStdString();
    if (arrayKey)
        for (const QJsonValue& v : a.json.value(QLatin1String(arrayKey)).toArray()) {
            const std::string id = v.toObject().value(QLatin1String(idKey)).toString().toStdString();
            if (!id.empty() && std::find(t.children.begin(), t.children.end(), id) == t.children.end())
                t.children.push_back(id);
        }
}

bool Load::couple(Tablet& t, Figures& f) {
    const std::string hash = server::couplingHash(kOrganisation, kPassword).toStdString();
    Answer a = get(t, *t.refresh, "/userOrganisation",
                   {{"hash", hash}, {"username", kOrganisation.toStdString()}}, f);
    const QJsonArray organisations = a.json.value(QLatin1String("organisations")).toArray();
    if (!a.ok || organisations.isEmpty())
        return false;
    t.organisationId =
        organisations.first().toObject().value(QLatin1String("organisationId")).toString().toStdString();
    if (!get(t, *t.refresh, "/device", {}, f).ok)
        return false;
    t.name = "Laadtablet " + std::to_string(t.index + 1);
    a = get(t, *t.refresh, "/entity", {}, f);
    for (const QJsonValue& v : a.json.value(QLatin1String("entities")).toArray())
        if (v.toObject().value(QLatin1String("activeForiPad")).toInt() == 1)
            t.locations.push_back(v.toObject().value(QLatin1String("idEntity")).toString().toStdString());
    if (t.locations.empty())
        return false;
    t.entityId = t.locations[std::size_t(t.index) % t.locations.size()];
    for (const std::string& location : t.locations) {
        a = get(t, *t.refresh, "/user", {{"entityId", location}}, f);
        for (const QJsonValue& v : a.json.value(QLatin1String("users")).toArray())
            if (location == t.entityId && t.userId.empty())
                t.userId = v.toObject().value(QLatin1String("userId")).toString().toStdString();
    }
    t.refresh->stop();
    check(t, f); // the first refresh downloads everything
    return !t.userId.empty() && !t.children.empty();
}

// One minute's refresh as the app makes it: the tablet's own location every time, and in three of ten
// checks (those whose number points at another active location) that location's lists as well.
void Load::check(Tablet& t, Figures& f) {
    const int iteration = t.iteration++;
    for (std::size_t i = 0; i < t.locations.size(); ++i) {
        const std::string& id = t.locations[i];
        const bool own = id == t.entityId;
        if (!own && int(i) != iteration % 10)
            continue;
        list(t, "/timeEntry", "timeregistrationFor" + id, {{"entityId", id}}, f);
        list(t, "/child", "childrenFor" + id, {{"entityId", id}}, f, own ? "children" : nullptr, "childId");
        get(t, *t.refresh, "/genericUser", {{"timeEntryNeeded", "1"}}, f);
        // The staff registrations are the organisation's: asked once, the second call waits its turn.
        if (own)
            list(t, "/userTimeEntry", "timeregistrationForOrg" + t.organisationId, {}, f);
    }
    t.refresh->stop();
}

void Load::registration(Tablet& t, Figures& f) {
    const std::string& child =
        t.children[std::uniform_int_distribution<std::size_t>(0, t.children.size() - 1)(t.random)];
    const bool out = t.inside[child];
    t.inside[child] = !out;
    const QString now = QString::number(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count());
    const QString id = now + QStringLiteral("-load-%1-%2").arg(t.index).arg(m_sequence++);
    const QJsonObject body{{"registrationId", id},
                           {"childId", QString::fromStdString(child)},
                           {"entityId", QString::fromStdString(t.entityId)},
                           {"orgId", QString::fromStdString(t.organisationId)},
                           {"userId", QString::fromStdString(t.userId)},
                           {"time", now},
                           {"type", out ? "Out" : "In"},
                           {"exists", 1},
                           {"ipadMacId", QString::fromStdString(t.mac)},
                           {"ipadVersion", "3.2.0"},
                           {"timeZone", "Europe/Brussels"},
                           {"posts", "0"}};
    post(t, "/timeEntry", body, f);
}

int Load::run() {
    for (int i = 0; i < m_o.tablets; ++i) {
        auto t = std::make_unique<Tablet>();
        t->index = i;
        char mac[32];
        std::snprintf(mac, sizeof mac, "02:00:00:%02x:%02x:%02x", (i >> 16) & 0xff, (i >> 8) & 0xff,
                      i & 0xff);
        t->mac = mac;
        t->uid = "load-" + std::to_string(i);
        t->refresh = client();
        t->queue = client();
        t->random.seed(m_o.seed * 7919u + unsigned(i));
        m_tablets.push_back(std::move(t));
    }

    // Coupling: every tablet in turn, spread over the client threads.
    Figures coupling;
    std::atomic<int> next{0}, coupled{0};
    const auto coupleStart = Clock::now();
    {
        std::vector<std::thread> threads;
        for (int w = 0; w < m_o.threads; ++w)
            threads.emplace_back([&] {
                for (int i; (i = next++) < m_o.tablets;)
                    coupled += couple(*m_tablets[std::size_t(i)], coupling) ? 1 : 0;
            });
        for (auto& th : threads)
            th.join();
    }
    const double coupleSeconds = std::chrono::duration<double>(Clock::now() - coupleStart).count();
    std::cout << "coupled " << coupled << " of " << m_o.tablets << " tablets in " << coupleSeconds << " s ("
              << coupling.count() << " requests)\n";
    std::printf("BENCH load.couple.requests_per_second %.1f req/s\n",
                double(coupling.count()) / coupleSeconds);
    std::printf("BENCH load.couple.p99 %.1f ms\n", coupling.percentile(99));
    if (coupled != m_o.tablets) {
        std::printf("BENCH load.errors %zu count\n", coupling.errors() + std::size_t(m_o.tablets - coupled));
        return 1;
    }

    // The run: every tablet's checks from a random moment of its first interval on, registrations as a
    // Poisson process, all on one schedule worked off by the client threads.
    const double interval = kRefreshSeconds / m_o.factor;
    const double perSecond = kRegistrationsPerHour / 3600.0 * m_o.factor;
    const double seconds = m_o.minutes * 60.0 / m_o.factor;
    const auto start = Clock::now() + std::chrono::milliseconds(200);
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const auto at = [start](double s) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    std::priority_queue<Event, std::vector<Event>, std::greater<>> schedule;
    std::size_t checks = 0, registrations = 0;
    for (auto& t : m_tablets) {
        std::uniform_real_distribution<double> offset(0, interval);
        std::exponential_distribution<double> gap(perSecond);
        for (double s = offset(t->random); s < seconds; s += interval, ++checks)
            schedule.push({at(s), t->index, true});
        for (double s = gap(t->random); s < seconds; s += gap(t->random), ++registrations)
            schedule.push({at(s), t->index, false});
    }
    std::cout << "schedule: " << checks << " checks and " << registrations << " registrations in " << seconds
              << " s (time factor " << m_o.factor << ", " << m_o.minutes << " minutes of traffic)\n";

    Figures steady;
    std::mutex mutex;
    // A tablet's refresh runs on one thread at a time (its tokens); its queue may run beside it.
    std::vector<char> refreshing(m_tablets.size(), 0), sending(m_tablets.size(), 0);
    std::condition_variable wake;
    std::vector<std::thread> threads;
    for (int w = 0; w < m_o.threads; ++w)
        threads.emplace_back([&] {
            std::unique_lock lock(mutex);
            for (;;) {
                if (schedule.empty())
                    return;
                const Event e = schedule.top();
                if (e.due > Clock::now()) {
                    wake.wait_until(lock, e.due);
                    continue;
                }
                std::vector<char>& busy = e.check ? refreshing : sending;
                if (busy[std::size_t(e.tablet)]) {
                    wake.wait_for(lock, std::chrono::milliseconds(1));
                    continue;
                }
                schedule.pop();
                busy[std::size_t(e.tablet)] = 1;
                lock.unlock();
                steady.addLag(Ms(Clock::now() - e.due).count());
                Tablet& t = *m_tablets[std::size_t(e.tablet)];
                if (e.check)
                    check(t, steady);
                else
                    registration(t, steady);
                lock.lock();
                busy[std::size_t(e.tablet)] = 0;
                wake.notify_all();
            }
        });
    for (auto& th : threads)
        th.join();
    const double elapsed = std::chrono::duration<double>(std::max(Clock::now(), end) - start).count();

    const double rate = double(steady.count()) / elapsed;
    std::cout << steady.count() << " requests in " << elapsed << " s, " << rate / m_o.factor
              << " req/s at real-time pace\n";
    std::printf(
        "client start of each burst against its schedule: p50 %.1f ms, p99 %.1f ms, max %.1f ms late\n",
        steady.lag(50), steady.lag(99), steady.lag(100));
    steady.printByRequest();
    std::printf("BENCH load.requests_per_second %.1f req/s\n", rate);
    std::printf("BENCH load.p50 %.1f ms\n", steady.percentile(50));
    std::printf("BENCH load.p99 %.1f ms\n", steady.percentile(99));
    std::printf("BENCH load.lag.p99 %.1f ms\n", steady.lag(99));
    std::printf("BENCH load.errors %zu count\n", steady.errors() + coupling.errors());
    return steady.errors() + coupling.errors() == 0 ? 0 : 1;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--host")
            o.host = value;
        else if (key == "--port")
            o.port = std::atoi(value);
        else if (key == "--tablets")
            o.tablets = std::atoi(value);
        else if (key == "--minutes")
            o.minutes = std::atof(value);
        else if (key == "--factor")
            o.factor = std::atof(value);
        else if (key == "--threads")
            o.threads = std::atoi(value);
        else if (key == "--seed")
            o.seed = unsigned(std::atoi(value));
        else
            return false;
    }
    return argc % 2 == 1 && o.port > 0 && o.tablets > 0 && o.minutes > 0 && o.factor >= 1 && o.threads > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::cerr << "usage: loadtablets --port N [--host A] [--tablets 500] [--minutes 10] [--factor 5] "
                     "[--threads 2] [--seed 1]\n";
        return 2;
    }
    return Load(o).run();
}
