#pragma once
// Reading request bodies into records: kinds are checked, numbers and texts are accepted for each other
// where the tablet may send either, and a body that is no valid record is refused with a reason.
#include "Store.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <optional>

namespace server {

// Reads the fields of one JSON object; the first wrong field is remembered and later reads are ignored.
class BodyReader {
public:
    BodyReader(const QJsonObject& object, const QString& what)
        : m_object(object)
        , m_what(what) {}
    // A text, a number given as its decimal text; null QString when absent or null.
    QString text(const char* key, bool required = false);
    // A flag or small integer given as number, digit text or boolean; fallback when absent.
    int integer(const char* key, int fallback);
    // A list of objects; nullopt when absent.
    std::optional<QJsonArray> objects(const char* key);
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    void fail(const QString& error) {
        if (m_error.isEmpty())
            m_error = error;
    }

private:
    QJsonObject m_object;
    QString m_what;
    QString m_error;
};

// Parses a request body that must be one JSON object.
bool parseObject(const std::string& body, QJsonObject* out, QString* error);

// A child or staff registration; staff: the staff member's registration. Org and entity may still be empty.
std::optional<Record> registrationFromBody(const QJsonObject& body, bool staff, QString* error);

struct ChildInput {
    Record record; // body without groups, sessions, relationships unless given
    bool hasGroups = false, hasSessions = false, hasRelationships = false;
    QByteArray picture; // decoded imageData, empty when none
    QString pictureMime;
};
std::optional<ChildInput> childFromBody(const QJsonObject& body, QString* error);

struct UploadInput {
    QString uploadId, type, typeId, photoId;
    QByteArray picture;
    QString pictureMime;
};
std::optional<UploadInput> uploadFromBody(const QJsonObject& body, QString* error);

// Base64 (line breaks allowed) of a JPEG, PNG or GIF picture.
bool decodePicture(const QString& base64, QByteArray* data, QString* mime, QString* error);
QString extensionFor(const QString& mime);

} // namespace server
