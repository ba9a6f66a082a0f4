#pragma once
// Reading request bodies into records: kinds are checked, numbers and texts are accepted for each other
// where the tablet may send either, and a body that is no valid record is refused with a reason.
#include "Store.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <optional>

namespace server {

// Longest value a field may hold, in characters; picture data is bounded only by the body limit.
namespace maxLength {
constexpr int shortText = 256;  // identifiers, types, moments, device identifiers
constexpr int name = 1024;      // first and last names, group names
constexpr int address = 2048;   // picture addresses and the tablet's cache keys
constexpr int longText = 16384; // extraInfo
constexpr int unlimited = -1;
constexpr int listItems = 1000; // groups, sessions or relationships of one child
} // namespace maxLength

// Reads the fields of one JSON object; the first wrong field is remembered and later reads are ignored.
class BodyReader {
public:
    BodyReader(const QJsonObject& object, const QString& what)
        : m_object(object)
        , m_what(what) {}
    // A text, a number given as its decimal text; null QString when absent or null. Longer than max
    // characters (unless maxLength::unlimited) is refused.
    QString text(const char* key, bool required = false, int max = maxLength::shortText);
    // A flag or small integer given as number, digit text or boolean; fallback when absent.
    int integer(const char* key, int fallback);
    // A list of at most maxLength::listItems objects; nullopt when absent.
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

// Base64 (line breaks allowed) of a JPEG, PNG or GIF picture that decodes.
bool decodePicture(const QString& base64, QByteArray* data, QString* mime, QString* error);
QString extensionFor(const QString& mime);

} // namespace server
