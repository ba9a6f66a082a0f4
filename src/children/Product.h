#pragma once
// One consumption noted for a child (or a staff member): a value, stored per id by ProductStore and
// never sent to the server. Equal when every field is equal; tijdstip compares by the instant.
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QString>
#include <optional>

class Product {
    Q_GADGET
    Q_PROPERTY(qint64 productid MEMBER productid)
    Q_PROPERTY(QString kind_id MEMBER kind_id)
    Q_PROPERTY(QString productnaam MEMBER productnaam)
    Q_PROPERTY(QDateTime tijdstip MEMBER tijdstip)
    Q_PROPERTY(QString door MEMBER door)
public:
    qint64 productid = 0; // never assigned
    QString kind_id;      // the childId (or userId) whose list holds it
    QString productnaam;  // "Maaltijd", "Koek" or "Frisdrank"
    QDateTime tijdstip;   // when it was chosen
    QString door;         // last_name of the staff member who noted it

    bool operator==(const Product& other) const;
    bool operator!=(const Product& other) const { return !(*this == other); }

    // The archive: every field under its own name, tijdstip as a millisecond text.
    QJsonObject toArchive() const;
    // Absent or mistyped fields read as their defaults; nullopt when the value is no object.
    static std::optional<Product> fromArchive(const QJsonValue& value);
};
Q_DECLARE_METATYPE(Product)

namespace ProductArchive {
// A moment as the archives keep it: a millisecond text; an invalid moment is left out (null).
QJsonValue momentValue(const QDateTime& moment);
// A millisecond text or number; anything else is the invalid moment.
QDateTime momentFrom(const QJsonValue& value);
QString textFrom(const QJsonValue& value);
qint64 integerFrom(const QJsonValue& value);
} // namespace ProductArchive
