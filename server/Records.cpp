#include "Records.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace server {

namespace {

bool allDigits(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString kindName(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a text");
    default:
        return QStringLiteral("null");
    }
}

void putText(QJsonObject& o, const char* key, const QString& value) {
    if (!value.isNull())
        o.insert(QLatin1String(key), value);
}

} // namespace

QString BodyReader::text(const char* key, bool required, int max) {
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!ok())
        return QString();
    if (v.isString()) {
        const QString s = v.toString();
        if (required && s.isEmpty())
            fail(QStringLiteral("%1: \"%2\" must not be empty").arg(m_what, QLatin1String(key)));
        if (max != maxLength::unlimited && s.size() > max) {
            fail(QStringLiteral("%1: \"%2\" is longer than %3 characters")
                     .arg(m_what, QLatin1String(key))
                     .arg(max));
            return QString();
        }
        return s;
    }
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::abs(d) < 9.007199254740992e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    if (v.isUndefined() || v.isNull()) {
        if (required)
            fail(QStringLiteral("%1: \"%2\" is missing").arg(m_what, QLatin1String(key)));
        return QString();
    }
    fail(QStringLiteral("%1: \"%2\" must be a text, not %3").arg(m_what, QLatin1String(key), kindName(v)));
    return QString();
}

int BodyReader::integer(const char* key, int fallback) {
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!ok() || v.isUndefined() || v.isNull())
        return fallback;
    if (v.isBool())
        return v.toBool() ? 1 : 0;
    if (v.isDouble() && v.toDouble() == std::floor(v.toDouble()) && std::abs(v.toDouble()) < 1e9)
        return int(v.toDouble());
    if (v.isString()) {
        const QString s = v.toString().trimmed();
        if (allDigits(s) && s.size() < 10)
            return s.toInt();
        if (s.startsWith(u'-') && allDigits(s.mid(1)) && s.size() < 10)
            return s.toInt();
    }
    fail(QStringLiteral("%1: \"%2\" must be a whole number, not %3")
             .arg(m_what, QLatin1String(key), kindName(v)));
    return fallback;
}

std::optional<QJsonArray> BodyReader::objects(const char* key) {
    const QJsonValue v = m_object.value(QLatin1String(key));
    if (!ok() || v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isArray()) {
        fail(
            QStringLiteral("%1: \"%2\" must be a list, not %3").arg(m_what, QLatin1String(key), kindName(v)));
        return std::nullopt;
    }
    const QJsonArray a = v.toArray();
    if (a.size() > maxLength::listItems) {
        fail(QStringLiteral("%1: \"%2\" holds more than %3 items")
                 .arg(m_what, QLatin1String(key))
                 .arg(maxLength::listItems));
        return std::nullopt;
    }
    for (const QJsonValue& e : a) {
        if (!e.isObject()) {
            fail(QStringLiteral("%1: \"%2\" must hold objects, not %3")
                     .arg(m_what, QLatin1String(key), kindName(e)));
            return std::nullopt;
        }
    }
    return a;
}

bool parseObject(const std::string& body, QJsonObject* out, QString* error) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(body), &pe);
    if (pe.error != QJsonParseError::NoError) {
        *error = QStringLiteral("the body is not JSON: %1 at offset %2").arg(pe.errorString()).arg(pe.offset);
        return false;
    }
    if (!doc.isObject()) {
        *error = QStringLiteral("the body must be one JSON object");
        return false;
    }
    *out = doc.object();
    return true;
}

std::optional<Record> registrationFromBody(const QJsonObject& body, bool staff, QString* error) {
    BodyReader r(body, staff ? QStringLiteral("staff registration") : QStringLiteral("registration"));
    const QString id = r.text("registrationId", true);
    const QString childId = r.text("childId", !staff);
    const QString userId = r.text("userId", staff);
    const QString entityId = r.text("entityId");
    const QString orgId = r.text("orgId");
    const QString time = r.text("time", true);
    const QString type = r.text("type", true);
    const int exists = r.integer("exists", 1);
    const QString ipadMacId = r.text("ipadMacId");
    // Given back with the registration, so other tablets can say which tablet made it.
    const QString ipadName = r.text("ipadName");
    if (r.ok() && (!allDigits(time) || time.size() > 15))
        r.fail(QStringLiteral("\"time\" must be milliseconds since 1970, not \"%1\"").arg(time));
    if (r.ok() && type != QLatin1String("In") && type != QLatin1String("Out"))
        r.fail(QStringLiteral("\"type\" must be \"In\" or \"Out\", not \"%1\"").arg(type));
    if (!r.ok()) {
        *error = r.error();
        return std::nullopt;
    }
    Record rec;
    rec.kind = staff ? kind::userTimeEntry : kind::timeEntry;
    rec.id = id;
    rec.org = orgId.isNull() ? QString() : orgId;
    rec.entity = entityId.isNull() ? QString() : entityId;
    rec.ref = staff ? userId : childId;
    rec.timeMs = time.toLongLong();
    QJsonObject& o = rec.body;
    o.insert(QStringLiteral("registrationId"), id);
    if (!staff)
        putText(o, "childId", childId);
    putText(o, "userId", userId);
    putText(o, "entityId", entityId);
    putText(o, "orgId", orgId);
    o.insert(QStringLiteral("time"), time);
    putText(o, "type", type);
    o.insert(QStringLiteral("exists"), exists);
    putText(o, "ipadMacId", ipadMacId);
    putText(o, "ipadName", ipadName);
    return rec;
}

std::optional<ChildInput> childFromBody(const QJsonObject& body, QString* error) {
    ChildInput in;
    BodyReader r(body, QStringLiteral("child"));
    QJsonObject& o = in.record.body;
    const QString id = r.text("childId", true);
    o.insert(QStringLiteral("childId"), id);
    const std::pair<const char*, int> fields[] = {
        {"firstName", maxLength::name},      {"lastName", maxLength::name},
        {"entityId", maxLength::shortText},  {"extraInfo", maxLength::longText},
        {"photoId", maxLength::shortText},   {"idOrganisation", maxLength::shortText},
        {"ipadMacId", maxLength::shortText}, {"image", maxLength::address}};
    for (const auto& [key, max] : fields)
        putText(o, key, r.text(key, false, max));
    o.insert(QStringLiteral("exists"), r.integer("exists", 1));
    const QString imageData = r.text("imageData", false, maxLength::unlimited);
    const QString entityId = o.value(QLatin1String("entityId")).toString();

    const auto readList = [&](const char* key, const char* idKey, const QStringList& texts, bool* present) {
        const auto list = r.objects(key);
        QJsonArray out;
        if (!list)
            return out;
        *present = true;
        for (const QJsonValue& e : *list) {
            BodyReader er(e.toObject(), QStringLiteral("child %1").arg(QLatin1String(key)));
            QJsonObject item;
            item.insert(QLatin1String(idKey), er.text(idKey, true));
            for (const QString& k : texts) {
                const QByteArray key = k.toLatin1();
                const int max = k == QLatin1String("groupName") ? maxLength::name
                                : k == QLatin1String("image")   ? maxLength::address
                                                                : maxLength::shortText;
                putText(item, key.constData(), er.text(key.constData(), false, max));
            }
            if (qstrcmp(key, "relationships") != 0) {
                if (!item.contains(QLatin1String("childId")))
                    item.insert(QStringLiteral("childId"), id);
                if (!item.contains(QLatin1String("entityId")) && !entityId.isEmpty())
                    item.insert(QStringLiteral("entityId"), entityId);
            }
            if (qstrcmp(key, "groups") == 0)
                item.insert(QStringLiteral("exists"), er.integer("exists", 1));
            if (!er.ok()) {
                r.fail(er.error());
                return QJsonArray();
            }
            out.append(item);
        }
        return out;
    };
    const QJsonArray groups =
        readList("groups", "groupChildId",
                 {QStringLiteral("groupId"), QStringLiteral("childId"), QStringLiteral("groupName"),
                  QStringLiteral("groupType"), QStringLiteral("image"), QStringLiteral("entityId")},
                 &in.hasGroups);
    const QJsonArray sessions =
        readList("sessions", "sessionId",
                 {QStringLiteral("childId"), QStringLiteral("entityId"), QStringLiteral("sessionDay"),
                  QStringLiteral("timeIn"), QStringLiteral("timeOut")},
                 &in.hasSessions);
    const QJsonArray relationships =
        readList("relationships", "RelationShipUserId", {QStringLiteral("relationId")}, &in.hasRelationships);
    if (r.ok() && !imageData.isEmpty()) {
        QString why;
        if (!decodePicture(imageData, &in.picture, &in.pictureMime, &why))
            r.fail(QStringLiteral("child: \"imageData\" %1").arg(why));
    }
    if (!r.ok()) {
        *error = r.error();
        return std::nullopt;
    }
    if (in.hasGroups)
        o.insert(QStringLiteral("groups"), groups);
    if (in.hasSessions)
        o.insert(QStringLiteral("sessions"), sessions);
    if (in.hasRelationships)
        o.insert(QStringLiteral("relationships"), relationships);
    in.record.kind = kind::child;
    in.record.id = id;
    in.record.entity = entityId;
    in.record.org = o.value(QLatin1String("idOrganisation")).toString();
    return in;
}

std::optional<UploadInput> uploadFromBody(const QJsonObject& body, QString* error) {
    BodyReader r(body, QStringLiteral("photo upload"));
    UploadInput in;
    in.uploadId = r.text("objectImageUploadId", true);
    in.type = r.text("type", true);
    in.typeId = r.text("typeId", true);
    in.photoId = r.text("photoId");
    r.text("firstName", false, maxLength::name);
    r.text("lastName", false, maxLength::name);
    const QString image = r.text("image", true, maxLength::unlimited);
    if (r.ok() && in.type != QLatin1String("Child") && in.type != QLatin1String("User"))
        r.fail(
            QStringLiteral("photo upload: \"type\" must be \"Child\" or \"User\", not \"%1\"").arg(in.type));
    if (r.ok()) {
        QString why;
        if (!decodePicture(image, &in.picture, &in.pictureMime, &why))
            r.fail(QStringLiteral("photo upload: \"image\" %1").arg(why));
    }
    if (!r.ok()) {
        *error = r.error();
        return std::nullopt;
    }
    return in;
}

bool decodePicture(const QString& base64, QByteArray* data, QString* mime, QString* error) {
    QByteArray text = base64.toLatin1();
    text.removeIf([](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; });
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty()) {
        *error = QStringLiteral("is not Base64");
        return false;
    }
    const QByteArray& d = decoded.decoded;
    if (d.startsWith("\xFF\xD8\xFF"))
        *mime = QStringLiteral("image/jpeg");
    else if (d.startsWith("\x89PNG\r\n\x1A\n"))
        *mime = QStringLiteral("image/png");
    else if (d.startsWith("GIF87a") || d.startsWith("GIF89a"))
        *mime = QStringLiteral("image/gif");
    else {
        *error = QStringLiteral("is not a JPEG, PNG or GIF picture");
        return false;
    }
    // A right signature on a broken or truncated file is still no picture a tablet can show.
    QImage picture;
    if (!picture.loadFromData(d)) {
        *error = QStringLiteral("does not decode as a picture");
        return false;
    }
    *data = d;
    return true;
}

QString extensionFor(const QString& mime) {
    if (mime == QLatin1String("image/png"))
        return QStringLiteral("png");
    if (mime == QLatin1String("image/gif"))
        return QStringLiteral("gif");
    return QStringLiteral("jpg");
}

} // namespace server
