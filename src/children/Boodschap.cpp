#include "Boodschap.h"

#include "Product.h"

#include <QJsonValue>

bool Boodschap::operator==(const Boodschap& other) const {
    return boodschap == other.boodschap && onderwerp == other.onderwerp && door == other.door &&
           tijdstip == other.tijdstip && about_id == other.about_id && boodschapid == other.boodschapid;
}

QJsonObject Boodschap::toArchive() const {
    return {{QStringLiteral("boodschapid"), boodschapid},
            {QStringLiteral("about_id"), about_id},
            {QStringLiteral("onderwerp"), onderwerp},
            {QStringLiteral("boodschap"), boodschap},
            {QStringLiteral("tijdstip"), ProductArchive::momentValue(tijdstip)},
            {QStringLiteral("door"), door}};
}

std::optional<Boodschap> Boodschap::fromArchive(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    Boodschap b;
    b.boodschapid = ProductArchive::integerFrom(o.value(QLatin1String("boodschapid")));
    b.about_id = ProductArchive::textFrom(o.value(QLatin1String("about_id")));
    b.onderwerp = ProductArchive::textFrom(o.value(QLatin1String("onderwerp")));
    b.boodschap = ProductArchive::textFrom(o.value(QLatin1String("boodschap")));
    b.tijdstip = ProductArchive::momentFrom(o.value(QLatin1String("tijdstip")));
    b.door = ProductArchive::textFrom(o.value(QLatin1String("door")));
    return b;
}
