#pragma once
// The server's JSON contract: how answer elements become stored records (by primary key) and how
// records are written as request bodies. Pure functions over a store context; any thread.
#include "Entities.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QStringList>

class Context;

struct KeyMapping {
    QString jsonKey;
    QStringList attributes; // one JSON key may fill several attributes ("hash")
    QList<int> indices;     // of the attributes, resolved once
    QByteArray latin1Key;   // jsonKey for the faster Latin-1 lookup
};

struct NestedMapping;

struct EntityMapping {
    const EntityDescription* entity = nullptr;
    QList<KeyMapping> keys;
    QList<NestedMapping> nested;
    // The JSON key that carries the primary key.
    QString primaryJsonKey() const;
};

struct NestedMapping {
    QString jsonKey;  // "groups"
    QString relation; // the child's to-many relation
    const EntityMapping* mapping = nullptr;
};

// The answer envelope.
struct Response {
    bool success = false;
    QString message;
    QString time;
    bool needsupdate = false;
    bool hasSuccess = false;
    // Per array key that was present ("children", "timeEntries", ...): how many records were mapped.
    QHash<QString, int> counts;
    // Per array key: distinct values of the attributes the engine follows up (childId, userId).
    QHash<QString, QStringList> followUpIds;
    int mappedCount = 0;
    int skippedCount = 0;  // elements without a primary key
    int skippedValues = 0; // attributes left out for a value of the wrong kind
    // Records whose server copy was left out because the tablet's own change of them is unanswered
    // (perhaps only not yet saved as answered): a refresh must ask for them again.
    int keptLocal = 0;
    // Not empty: the store could not be read while mapping; nothing of the answer may be stored.
    QString failure;

    bool contains(const QString& arrayKey) const { return counts.contains(arrayKey); }
};

namespace Mapping {
const EntityMapping* forEntity(const QString& entityName);
// The envelope's array keys and the entity each maps to, in envelope order.
const QList<QPair<QString, const EntityMapping*>>& envelopeArrays();

// Converts a JSON value for an attribute. ok is false for a value of the wrong kind (object, array,
// a text that is not a number for a number attribute). A null value gives an invalid QVariant.
QVariant attributeValue(const QJsonValue& value, AttributeType type, bool* ok);
// Full decimal text of a JSON number (never exponent form).
QString numberText(double value);

// Maps a parsed answer into the context (nothing saved); fills the envelope. A failed read of the store
// fails the whole answer (see Response::failure).
Response mapAnswer(Context* context, const QJsonObject& answer);

// Inside the write transaction that saves an answer: drops the answer's changes to records that have a
// local change still on its way to the server (one may have been queued while the answer was mapped).
// A failed read here shows in the context's readErrors, and the write is refused.
int keepUnsentLocalChanges(Context* context);

// The request body of a record: the inverse of its mapping plus the extras.
QJsonObject bodyFor(const ManagedObject* record);
} // namespace Mapping
