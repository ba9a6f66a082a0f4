#include "Model.h"

#include "Entities.h"

int EntityDescription::indexOf(const QString& attribute) const {
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes.at(i).name == attribute)
            return i;
    return -1;
}

const AttributeDescription* EntityDescription::find(const QString& attribute) const {
    const int i = indexOf(attribute);
    return i < 0 ? nullptr : &attributes.at(i);
}

const ToManyDescription* EntityDescription::findToMany(const QString& relation) const {
    for (const auto& r : toMany)
        if (r.name == relation)
            return &r;
    return nullptr;
}

void EntityDescription::finish() {
    for (int i = 0; i < attributes.size(); ++i)
        if (attributes.at(i).flags & PrimaryKey)
            m_primaryKey = i;
}

namespace {

AttributeDescription text(const char* name, int flags = NoFlags) {
    return {QString::fromLatin1(name), AttributeType::Text, flags, {}};
}
AttributeDescription number(const char* name) {
    return {QString::fromLatin1(name), AttributeType::Number, NoFlags, {}};
}
AttributeDescription reference(const char* name, const char* target) {
    return {QString::fromLatin1(name), AttributeType::Reference, NoFlags, QString::fromLatin1(target)};
}

template <class T>
EntityDescription* make(const char* name, QList<AttributeDescription> attributes,
                        QList<QStringList> indexes = {}, QList<ToManyDescription> toMany = {}) {
    auto* e = new EntityDescription;
    e->name = QString::fromLatin1(name);
    e->attributes = std::move(attributes);
    e->indexes = std::move(indexes);
    e->toMany = std::move(toMany);
    e->create = [] { return new T; };
    e->finish();
    return e;
}

QList<const EntityDescription*> build() {
    using SL = QStringList;
    QList<const EntityDescription*> all;
    all << make<Organisation>("Organisation",
                              {text("organisationId", PrimaryKey), text("organisationName"), text("image"),
                               number("exists"), text("timeSwitch"), text("timeSwitchInterval")},
                              {SL{"exists"}});
    all << make<Entities>(
        "Entities",
        {text("idEntity", PrimaryKey), text("name", Sorted), number("activeForiPad"), number("exists")},
        {SL{"activeForiPad", "exists"}});
    all << make<Scholen>("Scholen", {text("schoolid", PrimaryKey), text("school"), text("schoolgroep"),
                                     text("schoolgroepid"), text("organisatie")});
    all << make<Device>(
        "Device",
        {text("idDevice", PrimaryKey), text("idOrganisation"), text("name", Sorted), number("exists")},
        {SL{"idOrganisation", "exists"}});
    all << make<Users>("Users",
                       {text("userEntityId", PrimaryKey), text("userId"), text("first_name", Folded | Sorted),
                        text("last_name", Folded | Sorted), text("passwordHash"), text("computedhash"),
                        text("image"), text("entityId"), number("exists"), number("resyncFreq"),
                        number("isAdmin"), number("isGenericUser"), number("timeEntryNeeded"),
                        text("ingeschrevenStatus"), text("ingeschrevenTime")},
                       {SL{"entityId", "exists"}, SL{"userId"}, SL{"timeEntryNeeded", "exists"}});
    all << make<Child>(
        "Child",
        {text("childId", PrimaryKey), text("firstName", Folded | Sorted), text("lastName", Folded | Sorted),
         text("image"), text("imageData"), text("photoId"), text("extraInfo"), text("entityId"),
         text("organisationId"), text("ipadMacId"), number("exists"), text("ingeschrevenStatus"),
         text("ingeschrevenTime")},
        {SL{"entityId", "exists"}},
        {{QStringLiteral("groups"), QStringLiteral("Group"), QStringLiteral("child")},
         {QStringLiteral("sessions"), QStringLiteral("Sessions"), QStringLiteral("child")},
         {QStringLiteral("relationships"), QStringLiteral("Relationships"), QStringLiteral("child")}});
    all << make<Group>("Group",
                       {text("groupChildId", PrimaryKey), text("groupId"), text("groupName", Sorted),
                        text("groupType", Sorted), text("image"), text("childId"), text("entityId"),
                        number("exists"), reference("child", "Child")},
                       {SL{"entityId", "exists"}, SL{"groupId", "entityId"}, SL{"child"}});
    all << make<Sessions>("Sessions",
                          {text("sessionId", PrimaryKey), text("childId"), text("entityId"),
                           text("sessionDay"), text("timeIn"), text("timeOut"), reference("child", "Child")},
                          {SL{"child"}});
    all << make<Relationships>(
        "Relationships",
        {text("relationShipId", PrimaryKey), text("relationId"), reference("child", "Child")}, {SL{"child"}});
    all << make<Registration>("Registration",
                              {text("registrationId", PrimaryKey), text("childId"), text("entityId"),
                               text("organisationId"), text("userId"), text("time"), text("type"),
                               number("exists"), number("locked"), text("ipadMacId")},
                              {SL{"childId", "time"}, SL{"time"}});
    all << make<UserRegistration>("UserRegistration",
                                  {text("userRegistrationId", PrimaryKey), text("userId"), text("entityId"),
                                   text("organisationId"), text("time"), text("type"), number("exists"),
                                   number("locked"), text("ipadMacId")},
                                  {SL{"userId", "time"}, SL{"time"}});
    all << make<SynchroObject>("SynchroObject",
                               {text("idSynchroObject", PrimaryKey), text("entryDate"), number("status"),
                                text("httpType"), text("objectType"), text("objectId"), text("lastTryDate"),
                                number("nrOfTries")},
                               {SL{"status", "entryDate"}, SL{"entryDate"}});
    all << make<ObjectImageUpload>("ObjectImageUpload",
                                   {text("objectImageUploadId", PrimaryKey), text("firstName"),
                                    text("lastName"), text("type"), text("typeId"), text("photoId"),
                                    text("image"), number("locked")});
    all << make<GetSynchroObject>("GetSynchroObject",
                                  {text("idGetSynchroObject", PrimaryKey), text("lastSyncTime"),
                                   text("inProgressSyncTime"), number("status")});
    return all;
}

} // namespace

namespace Model {

const QList<const EntityDescription*>& entities() {
    // Never destroyed: records and threads may still read their descriptions while the process ends, and
    // a list freed at exit would leave the descriptions it held unreachable (reported as leaked).
    static const auto* all = new QList<const EntityDescription*>(build());
    return *all;
}

const EntityDescription* entity(const QString& name) {
    for (const auto* e : entities())
        if (e->name == name)
            return e;
    return nullptr;
}

int schemaVersion() {
    return 2;
}

} // namespace Model
