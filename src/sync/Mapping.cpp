#include "Mapping.h"

#include "Log.h"
#include "Store.h"

#include <QJsonArray>
#include <cmath>
#include <vector>

namespace {

KeyMapping same(const char* key) {
    return {QString::fromLatin1(key), {QString::fromLatin1(key)}, {}, QByteArray(key)};
}
KeyMapping to(const char* key, std::initializer_list<const char*> attributes) {
    KeyMapping m{QString::fromLatin1(key), {}, {}, QByteArray(key)};
    for (const char* a : attributes)
        m.attributes << QString::fromLatin1(a);
    return m;
}

struct Table {
    EntityMapping scholen, entities, users, child, group, sessions, relationships, device, organisation,
        registration, userRegistration, objectImageUpload;
    QList<QPair<QString, const EntityMapping*>> envelope;

    Table() {
        auto e = [](const char* name) { return Model::entity(QString::fromLatin1(name)); };
        scholen = {e("Scholen"),
                   {to("schoolID", {"schoolid"}), same("organisatie"), same("schoolgroep"),
                    same("schoolgroepid"), same("school")},
                   {}};
        entities = {
            e("Entities"), {same("idEntity"), same("name"), same("activeForiPad"), same("exists")}, {}};
        users = {e("Users"),
                 {same("userEntityId"), same("userId"), same("image"), same("entityId"), same("exists"),
                  same("resyncFreq"), same("isAdmin"), same("isGenericUser"), same("timeEntryNeeded"),
                  to("firstName", {"first_name"}), to("lastName", {"last_name"}),
                  to("hash", {"computedhash", "passwordHash"})},
                 {}};
        group = {e("Group"),
                 {same("groupChildId"), same("groupId"), same("childId"), same("groupName"),
                  same("groupType"), same("image"), same("entityId"), same("exists")},
                 {}};
        sessions = {e("Sessions"),
                    {same("sessionId"), same("childId"), same("entityId"), same("sessionDay"), same("timeIn"),
                     same("timeOut")},
                    {}};
        relationships = {
            e("Relationships"), {to("RelationShipUserId", {"relationShipId"}), same("relationId")}, {}};
        child = {e("Child"),
                 {same("childId"), same("firstName"), same("lastName"), same("image"), same("entityId"),
                  same("exists"), same("extraInfo"), same("imageData"), same("photoId"), same("ipadMacId"),
                  to("idOrganisation", {"organisationId"})},
                 {{QStringLiteral("groups"), QStringLiteral("groups"), &group},
                  {QStringLiteral("sessions"), QStringLiteral("sessions"), &sessions},
                  {QStringLiteral("relationships"), QStringLiteral("relationships"), &relationships}}};
        device = {e("Device"), {same("idDevice"), same("idOrganisation"), same("name"), same("exists")}, {}};
        organisation = {e("Organisation"),
                        {same("organisationId"), same("organisationName"), same("image"), same("exists"),
                         same("timeSwitch"), same("timeSwitchInterval")},
                        {}};
        registration = {e("Registration"),
                        {same("registrationId"), same("childId"), same("entityId"), same("userId"),
                         same("time"), same("type"), same("exists"), same("ipadMacId"),
                         to("orgId", {"organisationId"})},
                        {}};
        userRegistration = {e("UserRegistration"),
                            {to("registrationId", {"userRegistrationId"}), to("orgId", {"organisationId"}),
                             same("userId"), same("entityId"), same("time"), same("type"), same("exists"),
                             same("ipadMacId")},
                            {}};
        objectImageUpload = {e("ObjectImageUpload"),
                             {same("objectImageUploadId"), same("lastName"), same("firstName"),
                              same("typeId"), same("type"), same("photoId"), same("image")},
                             {}};
        for (EntityMapping* m :
             {&scholen, &entities, &users, &group, &sessions, &relationships, &child, &device, &organisation,
              &registration, &userRegistration, &objectImageUpload})
            for (KeyMapping& k : m->keys)
                for (const QString& a : k.attributes)
                    k.indices << m->entity->indexOf(a);
        envelope = {{QStringLiteral("scholen"), &scholen},
                    {QStringLiteral("entities"), &entities},
                    {QStringLiteral("users"), &users},
                    {QStringLiteral("children"), &child},
                    {QStringLiteral("sessions"), &sessions},
                    {QStringLiteral("devices"), &device},
                    {QStringLiteral("organisations"), &organisation},
                    {QStringLiteral("timeEntries"), &registration},
                    {QStringLiteral("userTimeEntries"), &userRegistration}};
    }
};

const Table& table() {
    static const Table t;
    return t;
}

// The attribute whose distinct values the engine follows up after an answer.
QString followUpAttribute(const QString& arrayKey) {
    if (arrayKey == QLatin1String("children") || arrayKey == QLatin1String("timeEntries"))
        return QStringLiteral("childId");
    if (arrayKey == QLatin1String("users") || arrayKey == QLatin1String("userTimeEntries"))
        return QStringLiteral("userId");
    return QString();
}

QString keyText(const QJsonValue& v) {
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return Mapping::numberText(v.toDouble());
    return QString();
}

class Mapper {
public:
    Mapper(Context* context, Response& response)
        : m_context(context)
        , m_response(response) {}

    // Maps the elements of one array; returns the records in order (skipped elements left out).
    // nested: the elements of one parent, whose records the parent's array already looked up.
    QList<ManagedObject*> mapArray(const EntityMapping& mapping, const QJsonArray& array,
                                   const QString& where, bool nested = false) {
        const QString pkKey = mapping.primaryJsonKey();
        // The key's own mapping is read once, here: the record gets the key below.
        const int pkIndex = mapping.entity->primaryKeyIndex();
        const KeyMapping* pkMapping = nullptr;
        for (const KeyMapping& km : mapping.keys)
            if (km.indices == QList<int>{pkIndex})
                pkMapping = &km;
        QStringList keys;
        keys.reserve(array.size());
        for (const QJsonValue& v : array)
            keys << (!v.isObject() ? QString()
                     : pkMapping   ? keyText(v.toObject().value(QLatin1StringView(pkMapping->latin1Key)))
                                   : keyText(v.toObject().value(pkKey)));
        if (!nested) {
            prefetch(*mapping.entity, keys);
            // Nested records of the whole array in one go, not one query per parent.
            for (const NestedMapping& n : mapping.nested) {
                const QString nestedKey = n.mapping->primaryJsonKey();
                QStringList nestedKeys;
                for (const QJsonValue& v : array)
                    for (const QJsonValue& m : v.toObject().value(n.jsonKey).toArray())
                        nestedKeys << keyText(m.toObject().value(nestedKey));
                prefetch(*n.mapping->entity, nestedKeys);
            }
        }
        auto& known = m_known[mapping.entity];

        QList<ManagedObject*> out;
        for (int i = 0; i < array.size(); ++i) {
            const QJsonValue element = array.at(i);
            const QString& key = keys.at(i);
            if (!element.isObject() || key.isEmpty()) {
                CC_LOG(QStringLiteral("%1: element %2 of %3 skipped: no %4")
                           .arg(mapping.entity->name)
                           .arg(i)
                           .arg(where, pkKey));
                ++m_response.skippedCount;
                continue;
            }
            const QJsonObject object = element.toObject();
            // A value of the wrong kind loses only that attribute: dropping the record would lose it for
            // good, since the change token moves on past it.
            std::vector<std::pair<int, QVariant>>& values = m_values; // reused: no allocation per element
            values.clear();
            auto skipBad = [&](const QString& jsonKey) {
                CC_LOG(QStringLiteral("%1 %2: wrong kind of value for \"%3\" ignored")
                           .arg(mapping.entity->name, key, jsonKey));
                ++m_response.skippedValues;
            };
            for (const KeyMapping& km : mapping.keys) {
                if (&km == pkMapping)
                    continue;
                const auto it = object.constFind(QLatin1StringView(km.latin1Key));
                if (it == object.constEnd())
                    continue;
                const QJsonValue value = it.value();
                const size_t before = values.size();
                bool ok = true;
                for (const int index : km.indices) {
                    QVariant v = Mapping::attributeValue(value, mapping.entity->attribute(index).type, &ok);
                    if (!ok)
                        break;
                    values.emplace_back(index, std::move(v));
                }
                if (!ok) {
                    values.resize(before); // none of this key's attributes
                    skipBad(km.jsonKey);
                }
            }
            QList<QPair<const NestedMapping*, QJsonArray>> nested;
            for (const NestedMapping& n : mapping.nested) {
                const auto it = object.constFind(n.jsonKey);
                if (it == object.constEnd() || it->isNull())
                    continue;
                if (it->isArray())
                    nested.append({&n, it->toArray()});
                else
                    skipBad(n.jsonKey);
            }
            ManagedObject* record = known.value(key);
            if (record && hasUnsentLocalChange(mapping.entity->name, key)) {
                // The tablet's own change is still on its way: the server's older copy must not undo it.
                out.append(record);
                ++m_keptLocal;
                continue;
            }
            if (!record) {
                record = m_context->insertNewObject(*mapping.entity);
                known.insert(key, record);
            }
            record->setValue(pkIndex, QVariant(key));
            for (auto& [index, v] : values)
                record->setValue(index, std::move(v));
            for (const auto& [n, elements] : nested) {
                const QList<ManagedObject*> members = mapArray(
                    *n->mapping, elements, mapping.entity->name + QLatin1Char('.') + n->jsonKey, true);
                m_pendingToMany.append({record, n, members});
            }
            out.append(record);
            ++m_response.mappedCount;
        }
        return out;
    }

    // Makes the nested records each parent's members; former members of the parents lose their link.
    void linkNested() {
        QHash<const NestedMapping*, QList<int>> byRelation;
        for (int i = 0; i < m_pendingToMany.size(); ++i)
            byRelation[m_pendingToMany.at(i).nested].append(i);
        for (auto it = byRelation.cbegin(); it != byRelation.cend(); ++it) {
            const NestedMapping* n = it.key();
            const ToManyDescription* rel =
                m_pendingToMany.at(it.value().first()).parent->entity().findToMany(n->relation);
            const EntityDescription* target = Model::entity(rel->target);
            const int inverse = target->indexOf(rel->inverse);
            const QString pkName = target->attribute(target->primaryKeyIndex()).name;
            QSet<QString> memberKeys;
            QVariantList parentKeys;
            for (int i : it.value()) {
                const Pending& p = m_pendingToMany.at(i);
                for (ManagedObject* m : p.members) {
                    m->setValue(inverse, QVariant(p.parent->primaryKey()));
                    memberKeys.insert(m->primaryKey());
                }
                if (!p.parent->isInserted())
                    parentKeys << p.parent->primaryKey();
            }
            // Keys first: the stored members mostly stay, and only the ones that left need an object.
            QStringList former;
            for (int from = 0; from < parentKeys.size(); from += 500) {
                FetchRequest r;
                r.entity = target;
                r.predicate = Predicate::format(rel->inverse + QStringLiteral(" IN %@"),
                                                {QVariant(parentKeys.mid(from, 500))});
                r.propertiesToFetch = QStringList{pkName};
                for (const QVariantMap& row : m_context->fetchRows(r)) {
                    const QString key = row.value(pkName).toString();
                    if (!memberKeys.contains(key))
                        former << key;
                }
            }
            for (ManagedObject* old : m_context->objectsWithPrimaryKeys(*target, former))
                old->clear(inverse);
        }
    }

    int keptLocal() const { return m_keptLocal; }

private:
    bool hasUnsentLocalChange(const QString& entity, const QString& key) {
        if (!m_pendingLoaded) {
            m_pendingLoaded = true;
            FetchRequest r = FetchRequest::of<SynchroObject>(
                Predicate::format(QStringLiteral("status == 0 || status == 1 || status == 2")));
            r.propertiesToFetch = QStringList{QStringLiteral("objectType"), QStringLiteral("objectId")};
            for (const QVariantMap& row : m_context->fetchRows(r))
                m_pending.insert(row.value(QStringLiteral("objectType")).toString() + QLatin1Char('/') +
                                 row.value(QStringLiteral("objectId")).toString());
        }
        return !m_pending.isEmpty() && m_pending.contains(entity + QLatin1Char('/') + key);
    }

    std::vector<std::pair<int, QVariant>> m_values;
    bool m_pendingLoaded = false;
    QSet<QString> m_pending;
    int m_keptLocal = 0;

    void prefetch(const EntityDescription& entity, const QStringList& keys) {
        QStringList wanted;
        wanted.reserve(keys.size());
        for (const QString& k : keys)
            if (!k.isEmpty())
                wanted << k;
        if (wanted.isEmpty())
            return;
        auto found = m_context->objectsWithPrimaryKeys(entity, wanted);
        auto& known = m_known[&entity];
        if (known.isEmpty()) {
            known = std::move(found);
            known.reserve(keys.size());
            return;
        }
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            known.insert(it.key(), it.value());
    }

    QHash<const EntityDescription*, QHash<QString, ManagedObject*>> m_known;
    struct Pending {
        ManagedObject* parent;
        const NestedMapping* nested;
        QList<ManagedObject*> members;
    };
    Context* m_context;
    Response& m_response;
    QList<Pending> m_pendingToMany;
};

} // namespace

QString EntityMapping::primaryJsonKey() const {
    const QString pk = entity->attribute(entity->primaryKeyIndex()).name;
    for (const KeyMapping& k : keys)
        if (k.attributes.contains(pk))
            return k.jsonKey;
    return pk;
}

namespace Mapping {

const EntityMapping* forEntity(const QString& entityName) {
    const Table& t = table();
    for (const EntityMapping* m :
         {&t.scholen, &t.entities, &t.users, &t.child, &t.group, &t.sessions, &t.relationships, &t.device,
          &t.organisation, &t.registration, &t.userRegistration, &t.objectImageUpload})
        if (m->entity->name == entityName)
            return m;
    return nullptr;
}

const QList<QPair<QString, const EntityMapping*>>& envelopeArrays() {
    return table().envelope;
}

QString numberText(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9.2e18)
        return QString::number(qint64(value));
    QString s = QString::number(value, 'f', 10);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

QVariant attributeValue(const QJsonValue& value, AttributeType type, bool* ok) {
    *ok = true;
    switch (value.type()) {
    case QJsonValue::Null:
        return QVariant();
    case QJsonValue::Bool:
        return type == AttributeType::Number
                   ? QVariant(qint64(value.toBool() ? 1 : 0))
                   : QVariant(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    case QJsonValue::Double:
        if (type == AttributeType::Number)
            return QVariant(qint64(std::llround(value.toDouble())));
        return QVariant(numberText(value.toDouble()));
    case QJsonValue::String: {
        if (type != AttributeType::Number)
            return QVariant(value.toString());
        const QString s = value.toString().trimmed();
        bool isInt = false;
        const qint64 i = s.toLongLong(&isInt);
        if (isInt)
            return QVariant(i);
        bool isDouble = false;
        const double d = s.toDouble(&isDouble);
        if (isDouble && std::isfinite(d))
            return QVariant(qint64(std::llround(d)));
        *ok = false;
        return QVariant();
    }
    default:
        *ok = false;
        return QVariant();
    }
}

Response mapAnswer(Context* context, const QJsonObject& answer) {
    Response r;
    if (answer.contains(QLatin1String("success"))) {
        const QJsonValue s = answer.value(QLatin1String("success"));
        r.hasSuccess = true;
        r.success = s.isBool() ? s.toBool()
                               : (s.isDouble() ? s.toDouble() != 0
                                               : s.toString() == QLatin1String("true") ||
                                                     s.toString() == QLatin1String("1"));
    }
    r.message = answer.value(QLatin1String("message")).toVariant().toString();
    const QJsonValue time = answer.value(QLatin1String("time"));
    r.time = time.isDouble() ? numberText(time.toDouble()) : time.toString();
    const QJsonValue nu = answer.value(QLatin1String("needsupdate"));
    r.needsupdate = nu.isBool() ? nu.toBool() : nu.toDouble() != 0;

    Mapper mapper(context, r);
    const int readErrors = context->readErrors();
    for (const auto& [key, mapping] : envelopeArrays()) {
        if (context->readErrors() != readErrors)
            break; // failed anyway: the rest need not be mapped
        const auto it = answer.constFind(key);
        if (it == answer.constEnd())
            continue;
        if (!it->isArray()) {
            if (!it->isNull())
                CC_LOG(QStringLiteral("answer key \"%1\" is not a list; ignored").arg(key));
            continue;
        }
        const QList<ManagedObject*> records = mapper.mapArray(*mapping, it->toArray(), key);
        r.counts.insert(key, int(records.size()));
        const QString follow = followUpAttribute(key);
        const int followIndex = follow.isEmpty() ? -1 : mapping->entity->indexOf(follow);
        QSet<QString> seen;
        for (ManagedObject* o : records) {
            if (followIndex >= 0) {
                const QString id = o->text(followIndex);
                if (!id.isEmpty() && !seen.contains(id)) {
                    seen.insert(id);
                    r.followUpIds[key] << id;
                }
            }
        }
    }
    if (context->readErrors() == readErrors)
        mapper.linkNested();
    if (context->readErrors() != readErrors) {
        // A record missed by a failed lookup would be inserted as new over the stored one.
        r.failure = QStringLiteral("the store could not be read while the answer was mapped");
        return r;
    }
    r.keptLocal = mapper.keptLocal();
    if (mapper.keptLocal() > 0)
        CC_LOG(QStringLiteral("%1 records with changes not yet sent kept their local values")
                   .arg(mapper.keptLocal()));
    return r;
}

namespace {
// A new photo changes its person's image before the upload is answered; the server still names the old
// picture until then (staff lists come in full), so the stored image stays while an upload is unanswered.
int keepNewPhotos(Context* context, const QList<ManagedObject*>& changed, const QStringList& uploads) {
    FetchRequest u = FetchRequest::of<ObjectImageUpload>(
        Predicate::format(QStringLiteral("objectImageUploadId IN %@"), {QVariant(uploads)}));
    u.propertiesToFetch = QStringList{QStringLiteral("type"), QStringLiteral("typeId")};
    QSet<QString> photographed; // "Child/<childId>", "User/<userId>"
    for (const QVariantMap& row : context->fetchRows(u))
        photographed.insert(row.value(QStringLiteral("type")).toString() + QLatin1Char('/') +
                            row.value(QStringLiteral("typeId")).toString());
    if (photographed.isEmpty())
        return 0;
    int kept = 0;
    for (ManagedObject* o : changed) {
        int image = -1;
        QString person;
        if (auto* child = dynamic_cast<Child*>(o)) {
            image = Child::index_image();
            person = QStringLiteral("Child/") + child->childId();
        } else if (auto* user = dynamic_cast<Users*>(o)) {
            image = Users::index_image();
            person = QStringLiteral("User/") + user->userId();
        }
        if (image < 0 || o->isInserted() || o->isDeleted() || !o->isDirty(image) ||
            !photographed.contains(person))
            continue;
        FetchRequest stored;
        stored.entity = &o->entity();
        stored.predicate = Predicate::format(o->entity().attribute(o->entity().primaryKeyIndex()).name +
                                                 QStringLiteral(" == %@"),
                                             {o->primaryKey()});
        stored.propertiesToFetch = QStringList{QStringLiteral("image")};
        const QList<QVariantMap> rows = context->fetchRows(stored);
        o->setValue(image, rows.isEmpty() ? QVariant() : rows.first().value(QStringLiteral("image")));
        ++kept;
    }
    return kept;
}
} // namespace

int keepUnsentLocalChanges(Context* context) {
    const QList<ManagedObject*> changed = context->changedObjects();
    if (changed.isEmpty())
        return 0;
    FetchRequest r = FetchRequest::of<SynchroObject>(
        Predicate::format(QStringLiteral("status == 0 || status == 1 || status == 2")));
    r.propertiesToFetch = QStringList{QStringLiteral("objectType"), QStringLiteral("objectId")};
    QSet<QString> pending;
    QStringList uploads;
    for (const QVariantMap& row : context->fetchRows(r)) {
        const QString type = row.value(QStringLiteral("objectType")).toString();
        const QString id = row.value(QStringLiteral("objectId")).toString();
        pending.insert(type + QLatin1Char('/') + id);
        if (type == QLatin1String("ObjectImageUpload"))
            uploads << id;
    }
    int kept = 0;
    for (ManagedObject* o : changed)
        if (!o->isInserted() && pending.contains(o->entity().name + QLatin1Char('/') + o->primaryKey())) {
            context->discardChanges(o);
            ++kept;
        }
    if (!uploads.isEmpty())
        kept += keepNewPhotos(context, changed, uploads);
    return kept;
}

QJsonObject bodyFor(const ManagedObject* record) {
    QJsonObject body;
    const EntityMapping* mapping = forEntity(record->entity().name);
    if (!mapping)
        return body;
    auto write = [](QJsonObject& out, const EntityMapping& m, const ManagedObject* o) {
        for (const KeyMapping& k : m.keys) {
            const int index = m.entity->indexOf(k.attributes.first());
            if (o->isAbsent(index))
                continue;
            const QVariant v = o->value(index);
            out.insert(k.jsonKey, m.entity->attribute(index).type == AttributeType::Number
                                      ? QJsonValue(double(v.toLongLong()))
                                      : QJsonValue(v.toString()));
        }
    };
    write(body, *mapping, record);
    auto* child = dynamic_cast<const Child*>(record);
    if (child) {
        for (const NestedMapping& n : mapping->nested) {
            QJsonArray elements;
            for (ManagedObject* member : record->context()->toMany(record, n.relation)) {
                QJsonObject element;
                write(element, *n.mapping, member);
                elements.append(element);
            }
            body.insert(n.jsonKey, elements);
        }
    }
    if (auto* m = dynamic_cast<const MarlevoManagedObject*>(record)) {
        body.insert(QStringLiteral("ipadVersion"), m->ipadVersion());
        const QString name = m->ipadName();
        if (!name.isNull())
            body.insert(QStringLiteral("ipadName"), name);
        if (dynamic_cast<const Registration*>(record) || dynamic_cast<const UserRegistration*>(record))
            body.insert(QStringLiteral("timeZone"), m->timeZone());
        body.insert(QStringLiteral("posts"), m->posts());
    }
    return body;
}

} // namespace Mapping
