#include "ManagedObject.h"

#include "Store.h"

void ManagedObject::attach(const EntityDescription* entity, Context* context) {
    m_entity = entity;
    m_context = context;
    m_values.resize(size_t(entity->attributes.size()));
    m_dirty = 0;
}

namespace {
// Numbers are qint64, everything else text; null and invalid are both "absent".
QVariant normalised(const QVariant& value, AttributeType type) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (type == AttributeType::Number)
        return value.typeId() == QMetaType::LongLong ? value : QVariant(value.toLongLong());
    return value.typeId() == QMetaType::QString ? value : QVariant(value.toString());
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isValid() != b.isValid())
        return false;
    if (!a.isValid())
        return true;
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(a.constData()) == *static_cast<const QString*>(b.constData());
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
        return *static_cast<const qint64*>(a.constData()) == *static_cast<const qint64*>(b.constData());
    return a == b;
}
} // namespace

void ManagedObject::setValue(int index, const QVariant& value) {
    assign(index, normalised(value, m_entity->attributes.at(index).type));
}

void ManagedObject::setValue(int index, QVariant&& value) {
    const AttributeType type = m_entity->attributes.at(index).type;
    const bool ready =
        value.isValid() && !value.isNull() &&
        value.typeId() == (type == AttributeType::Number ? QMetaType::LongLong : QMetaType::QString);
    assign(index, ready ? std::move(value) : normalised(value, type));
}

void ManagedObject::assign(int index, QVariant&& value) {
    QVariant& slot = m_values[size_t(index)];
    if (sameValue(slot, value))
        return;
    const bool primary = index == m_entity->primaryKeyIndex() && m_context;
    const QString oldKey = primary ? slot.toString() : QString();
    slot = std::move(value);
    if (!isDirty(index)) {
        m_dirty |= quint64(1) << index;
        if (++m_dirtyCount == 1 && m_context)
            m_context->noteChanged(this);
    }
    if (primary)
        m_context->primaryKeyChanged(this, oldKey);
}

QVariant ManagedObject::valueForKey(const QString& key) const {
    const int i = m_entity->indexOf(key);
    return i < 0 ? QVariant() : m_values[size_t(i)];
}

void ManagedObject::setValueForKey(const QString& key, const QVariant& value) {
    const int i = m_entity->indexOf(key);
    if (i >= 0)
        setValue(i, value);
}

void ManagedObject::setText(int index, const QString& value) {
    setValue(index, value.isNull() ? QVariant() : QVariant(value));
}

QString ManagedObject::primaryKey() const {
    return text(m_entity->primaryKeyIndex());
}

void ManagedObject::clearChanges() {
    m_inserted = false;
    m_dirtyCount = 0;
    m_dirty = 0;
}
