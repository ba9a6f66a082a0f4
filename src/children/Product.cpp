#include "Product.h"

#include <QJsonValue>

namespace ProductArchive {

QJsonValue momentValue(const QDateTime& moment) {
    return moment.isValid() ? QJsonValue(QString::number(moment.toMSecsSinceEpoch())) : QJsonValue();
}

QDateTime momentFrom(const QJsonValue& value) {
    bool ok = false;
    qint64 ms = 0;
    if (value.isString())
        ms = value.toString().toLongLong(&ok);
    else if (value.isDouble()) {
        ms = value.toInteger();
        ok = double(ms) == value.toDouble();
    }
    return ok ? QDateTime::fromMSecsSinceEpoch(ms) : QDateTime();
}

QString textFrom(const QJsonValue& value) {
    return value.isString() ? value.toString() : QString();
}

qint64 integerFrom(const QJsonValue& value) {
    return value.isDouble() ? value.toInteger() : 0;
}

} // namespace ProductArchive

bool Product::operator==(const Product& other) const {
    return productnaam == other.productnaam && door == other.door && tijdstip == other.tijdstip &&
           kind_id == other.kind_id && productid == other.productid;
}

QJsonObject Product::toArchive() const {
    return {{QStringLiteral("productid"), productid},
            {QStringLiteral("kind_id"), kind_id},
            {QStringLiteral("productnaam"), productnaam},
            {QStringLiteral("tijdstip"), ProductArchive::momentValue(tijdstip)},
            {QStringLiteral("door"), door}};
}

std::optional<Product> Product::fromArchive(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    Product p;
    p.productid = ProductArchive::integerFrom(o.value(QLatin1String("productid")));
    p.kind_id = ProductArchive::textFrom(o.value(QLatin1String("kind_id")));
    p.productnaam = ProductArchive::textFrom(o.value(QLatin1String("productnaam")));
    p.tijdstip = ProductArchive::momentFrom(o.value(QLatin1String("tijdstip")));
    p.door = ProductArchive::textFrom(o.value(QLatin1String("door")));
    return p;
}
