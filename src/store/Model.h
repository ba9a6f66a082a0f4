#pragma once
// Descriptions of the stored entities: attributes, primary keys, relations, indexes.
// Immutable after start-up; shared by every thread.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class ManagedObject;

enum class AttributeType { Text, Number, Reference };

enum AttributeFlag {
    NoFlags = 0,
    PrimaryKey = 1,
    Folded = 2, // keeps a case- and accent-free copy for contains[cd] searches
    Sorted = 4, // keeps a collation key for A–Z sorts in the current language
};

struct AttributeDescription {
    QString name;
    AttributeType type = AttributeType::Text;
    int flags = NoFlags;
    QString target; // Reference: the entity referred to (by its primary key)

    QString column() const { return name; }
    QString foldedColumn() const { return name + QLatin1String("__f"); }
    QString sortKeyColumn() const { return name + QLatin1String("__k"); }
};

// A to-many relation is the inverse of a Reference attribute on the target entity.
struct ToManyDescription {
    QString name;
    QString target;
    QString inverse; // the Reference attribute on target
};

class EntityDescription {
public:
    QString name;
    QList<AttributeDescription> attributes;
    QList<ToManyDescription> toMany;
    QList<QStringList> indexes;
    std::function<ManagedObject*()> create;

    int indexOf(const QString& attribute) const;
    const AttributeDescription& attribute(int index) const { return attributes.at(index); }
    int primaryKeyIndex() const { return m_primaryKey; }
    const AttributeDescription* find(const QString& attribute) const;
    const ToManyDescription* findToMany(const QString& relation) const;
    void finish();

private:
    int m_primaryKey = -1;
};

namespace Model {
const QList<const EntityDescription*>& entities();
const EntityDescription* entity(const QString& name);
// Version of the stored layout; raised by every migration step.
int schemaVersion();
} // namespace Model
