#include "Faults.h"

#include <QJsonArray>

namespace server {

namespace {

bool probability(const QJsonObject& o, const char* key, double* out, QString* error) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 1) {
        *error = QStringLiteral("\"%1\" must be a number from 0 to 1").arg(QLatin1String(key));
        return false;
    }
    *out = v.toDouble();
    return true;
}

bool textList(const QJsonObject& o, const char* key, QStringList* out, QString* error) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return true;
    if (!v.isArray()) {
        *error = QStringLiteral("\"%1\" must be a list of texts").arg(QLatin1String(key));
        return false;
    }
    for (const QJsonValue& e : v.toArray()) {
        if (!e.isString()) {
            *error = QStringLiteral("\"%1\" must be a list of texts").arg(QLatin1String(key));
            return false;
        }
        out->append(e.toString());
    }
    return true;
}

} // namespace

bool Faults::configure(const QJsonObject& o, QString* error) {
    Config c;
    if (!probability(o, "http500", &c.http500, error) || !probability(o, "drop", &c.drop, error) ||
        !probability(o, "malformed", &c.malformed, error) || !probability(o, "failure", &c.failure, error) ||
        !probability(o, "delay", &c.delay, error) || !textList(o, "paths", &c.paths, error) ||
        !textList(o, "methods", &c.methods, error))
        return false;
    if (c.http500 + c.drop + c.malformed + c.failure > 1.0 + 1e-9) {
        *error =
            QStringLiteral("the probabilities of http500, drop, malformed and failure add up to more than 1");
        return false;
    }
    const QJsonValue delayMs = o.value(QLatin1String("delayMs"));
    if (!delayMs.isUndefined() &&
        (!delayMs.isDouble() || delayMs.toDouble() < 0 || delayMs.toDouble() > 600000)) {
        *error = QStringLiteral("\"delayMs\" must be a number of milliseconds up to 600000");
        return false;
    }
    c.delayMs = delayMs.toInt();
    const QString writes = o.value(QLatin1String("writes")).toString(QStringLiteral("random"));
    if (writes == QLatin1String("before"))
        c.writes = Writes::Before;
    else if (writes == QLatin1String("after"))
        c.writes = Writes::After;
    else if (writes != QLatin1String("random")) {
        *error = QStringLiteral("\"writes\" must be \"before\", \"after\" or \"random\"");
        return false;
    }
    const QJsonValue seed = o.value(QLatin1String("seed"));
    if (!seed.isUndefined() && !seed.isDouble()) {
        *error = QStringLiteral("\"seed\" must be a number");
        return false;
    }
    c.seed = quint64(seed.toDouble(1));

    std::lock_guard lock(m_mutex);
    m_config = c;
    m_raw = o;
    m_rng.seed(c.seed);
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_delays = 0;
    return true;
}

void Faults::clear() {
    QString ignored;
    configure(QJsonObject(), &ignored);
}

Faults::Decision Faults::decide(const QString& method, const QString& path) {
    Decision d;
    std::lock_guard lock(m_mutex);
    const Config& c = m_config;
    if (!c.methods.isEmpty() && !c.methods.contains(method, Qt::CaseInsensitive))
        return d;
    if (!c.paths.isEmpty() &&
        std::none_of(c.paths.begin(), c.paths.end(), [&](const QString& p) { return path.startsWith(p); }))
        return d;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double delayDraw = unit(m_rng);
    const double kindDraw = unit(m_rng);
    const double writeDraw = unit(m_rng);
    if (c.delay > 0 && delayDraw < c.delay) {
        d.delayMs = c.delayMs;
        ++m_delays;
    }
    double edge = 0;
    const std::pair<double, Kind> table[] = {{c.http500, Kind::Http500},
                                             {c.drop, Kind::Drop},
                                             {c.malformed, Kind::Malformed},
                                             {c.failure, Kind::Failure}};
    for (const auto& [p, kind] : table) {
        edge += p;
        if (kindDraw < edge) {
            d.kind = kind;
            break;
        }
    }
    ++m_counts[int(d.kind)];
    d.applyWriteFirst = c.writes == Writes::After || (c.writes == Writes::Random && writeDraw < 0.5);
    return d;
}

QJsonObject Faults::describe() const {
    std::lock_guard lock(m_mutex);
    QJsonObject injected{{QStringLiteral("http500"), m_counts[int(Kind::Http500)]},
                         {QStringLiteral("drop"), m_counts[int(Kind::Drop)]},
                         {QStringLiteral("malformed"), m_counts[int(Kind::Malformed)]},
                         {QStringLiteral("failure"), m_counts[int(Kind::Failure)]},
                         {QStringLiteral("delay"), m_delays},
                         {QStringLiteral("clean"), m_counts[int(Kind::None)]}};
    return QJsonObject{{QStringLiteral("config"), m_raw}, {QStringLiteral("injected"), injected}};
}

} // namespace server
