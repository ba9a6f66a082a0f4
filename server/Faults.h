#pragma once
// Fault injection for tests. Configured at run time through POST /_test/faults with a JSON object:
//   "http500", "drop", "malformed", "failure": probabilities (0..1) per request of answering with HTTP 500,
//       dropping the connection mid-answer (headers without Content-Length, half a body, close), a body
//       that is not JSON, or an envelope with "success" false; drawn once per request, at most one of them;
//   "delay" with "delayMs": probability of holding the answer back that many milliseconds (independent);
//   "paths": optional list of path prefixes the faults apply to (default: every path but /_test/);
//   "methods": optional list of methods (default: all);
//   "writes": "before" (the change is not applied), "after" (applied, then the answer fails) or "random";
//   "seed": seed of the random draws, so a run can be repeated.
// An empty object or DELETE /_test/faults switches everything off. Thread-safe.
#include <QJsonObject>
#include <QStringList>
#include <mutex>
#include <random>

namespace server {

class Faults {
public:
    enum class Kind { None, Http500, Drop, Malformed, Failure };
    struct Decision {
        Kind kind = Kind::None;
        int delayMs = 0;
        bool applyWriteFirst = false; // a write is applied before the faulty answer
    };

    // Replaces the configuration; false with a reason when the object is not a valid configuration.
    bool configure(const QJsonObject& config, QString* error);
    void clear();
    // Draws the faults for one request.
    Decision decide(const QString& method, const QString& path);
    // The configuration and how many of each fault were injected since it was set.
    QJsonObject describe() const;

private:
    enum class Writes { Before, After, Random };
    struct Config {
        double http500 = 0, drop = 0, malformed = 0, failure = 0, delay = 0;
        int delayMs = 0;
        QStringList paths, methods;
        Writes writes = Writes::Random;
        quint64 seed = 1;
    };

    mutable std::mutex m_mutex;
    Config m_config;
    QJsonObject m_raw;
    std::mt19937_64 m_rng{1};
    qint64 m_counts[5] = {};
    qint64 m_delays = 0;
};

} // namespace server
