#include "ManagedObject.h"

#include "Store.h"

void ManagedObject::attach(const EntityDescription* entity, Context* context) {
    m_entity = entity;
    m_context = context;
    m_values.assign(size_t(entity->attributes.size()), QVariant());
    m_dirty.assign(size_t(entity->attributes.size()), false);
}

void ManagedObject::setValue(int index, const QVariant& value) {
    const size_t i = size_t(index);
    QVariant normalised = value;
    if (value.isValid() && !value.isNull()) {
        if (m_entity->attributes.at(index).type == AttributeType::Number)
            normalised = QVariant(value.toLongLong());
        else if (value.typeId() != QMetaType::QString)
            normalised = QVariant(value.toString());
    } else {
        normalised = QVariant();
    }
    const QVariant old = m_values[i];
    if (old.isValid() == normalised.isValid()) {
        if (!old.isValid())
            return;
        const bool same = old.typeId() == QMetaType::QString && normalised.typeId() == QMetaType::QString
                              ? *static_cast<const QString*>(old.constData()) ==
                                    *static_cast<const QString*>(normalised.constData())
                              : old == normalised;
        if (same)
            return;
    }
    m_values[i] = normalised;
    if (!m_dirty[i]) {
        m_dirty[i] = true;
        if (++m_dirtyCount == 1 && m_context)
            m_context->noteChanged(this);
    }
    if (index == m_entity->primaryKeyIndex() && m_context)
        m_context->primaryKeyChanged(this, old.toString());
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

void ManagedObject::loadValue(int index, QVariant value) {
    m_values[size_t(index)] = std::move(value);
}

void ManagedObject::clearChanges() {
    m_inserted = false;
    m_dirtyCount = 0;
    std::fill(m_dirty.begin(), m_dirty.end(), false);
}
