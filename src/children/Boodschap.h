#pragma once
// One message about a child (or a staff member): a value, stored per id by ProductStore and never
// sent to the server. Equal when every field is equal; tijdstip compares by the instant.
#include <QDateTime>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <optional>

class Boodschap {
    Q_GADGET
    Q_PROPERTY(qint64 boodschapid MEMBER boodschapid)
    Q_PROPERTY(QString about_id MEMBER about_id)
    Q_PROPERTY(QString onderwerp MEMBER onderwerp)
    Q_PROPERTY(QString boodschap MEMBER boodschap)
    Q_PROPERTY(QDateTime tijdstip MEMBER tijdstip)
    Q_PROPERTY(QString door MEMBER door)
public:
    qint64 boodschapid = 0; // never assigned
    QString about_id;       // the childId (or userId) whose list holds it
    QString onderwerp;      // the subject, may be empty
    QString boodschap;      // the message text
    QDateTime tijdstip;     // when it was saved
    QString door;           // last_name of the staff member who wrote it

    bool operator==(const Boodschap& other) const;
    bool operator!=(const Boodschap& other) const { return !(*this == other); }

    // The archive: every field under its own name, tijdstip as a millisecond text.
    QJsonObject toArchive() const;
    // Absent or mistyped fields read as their defaults; nullopt when the value is no object.
    static std::optional<Boodschap> fromArchive(const QJsonValue& value);
};
Q_DECLARE_METATYPE(Boodschap)
