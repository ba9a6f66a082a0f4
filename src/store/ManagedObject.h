#pragma once
// One stored record as seen by one working context. Owned by its Context and used only on that
// context's thread. Values: an invalid QVariant is "absent"; texts are QString, numbers qint64.
#include "Model.h"

#include <QVariant>
#include <vector>

class Context;

class ManagedObject {
public:
    virtual ~ManagedObject() = default;
    ManagedObject(const ManagedObject&) = delete;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const EntityDescription& entity() const { return *m_entity; }
    Context* context() const { return m_context; }
    qint64 rowId() const { return m_rowId; }

    QVariant value(int index) const { return m_values[size_t(index)]; }
    void setValue(int index, const QVariant& value);
    void setValue(int index, QVariant&& value);
    QVariant valueForKey(const QString& key) const;
    void setValueForKey(const QString& key, const QVariant& value);
    bool isAbsent(int index) const { return !m_values[size_t(index)].isValid(); }
    QString text(int index) const { return m_values[size_t(index)].toString(); }
    void setText(int index, const QString& value);
    qint64 number(int index) const { return m_values[size_t(index)].toLongLong(); }
    void setNumber(int index, qint64 value) { setValue(index, QVariant(value)); }
    void clear(int index) { setValue(index, QVariant()); }
    QString primaryKey() const;

    bool isInserted() const { return m_inserted; }
    bool isDeleted() const { return m_deleted; }
    bool isUpdated() const { return m_dirtyCount > 0 && !m_inserted; }
    // A deletion counts until it is saved (the row is gone then); a new record deleted again never counts.
    bool hasChanges() const {
        return (m_inserted && !m_deleted) || (m_deleted && !m_inserted && m_rowId != 0) || m_dirtyCount > 0;
    }
    bool isDirty(int index) const { return (m_dirty >> index) & 1; }

protected:
    ManagedObject() = default;

private:
    friend class Context;
    void attach(const EntityDescription* entity, Context* context);
    void clearChanges();
    void assign(int index, QVariant&& normalised);

    const EntityDescription* m_entity = nullptr;
    Context* m_context = nullptr;
    qint64 m_rowId = 0;
    bool m_inserted = false;
    bool m_deleted = false;
    int m_dirtyCount = 0;
    quint64 m_dirty = 0; // one bit per attribute (an entity has fewer than 64)
    std::vector<QVariant> m_values;
};

// Typed accessors for the entity classes: each resolves its attribute index once.
#define CC_TEXT(name, setter)                                                                                \
    QString name() const {                                                                                   \
        return text(index_##name());                                                                         \
    }                                                                                                        \
    void setter(const QString& value) {                                                                      \
        setText(index_##name(), value);                                                                      \
    }                                                                                                        \
    static int index_##name() {                                                                              \
        static const int i = staticEntity().indexOf(QStringLiteral(#name));                                  \
        return i;                                                                                            \
    }

#define CC_NUMBER(name, setter)                                                                              \
    qint64 name() const {                                                                                    \
        return number(index_##name());                                                                       \
    }                                                                                                        \
    void setter(qint64 value) {                                                                              \
        setNumber(index_##name(), value);                                                                    \
    }                                                                                                        \
    static int index_##name() {                                                                              \
        static const int i = staticEntity().indexOf(QStringLiteral(#name));                                  \
        return i;                                                                                            \
    }

#define CC_ENTITY(Name)                                                                                      \
public:                                                                                                      \
    static const EntityDescription& staticEntity() {                                                         \
        static const EntityDescription* e = Model::entity(QStringLiteral(#Name));                            \
        return *e;                                                                                           \
    }
