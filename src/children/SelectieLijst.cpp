#include "SelectieLijst.h"

#include "NotificationCenter.h"

SelectieLijst::SelectieLijst(QObject* parent)
    : QObject(parent) {}

void SelectieLijst::addObject(ManagedObject* record) {
    if (!record || m_geselecteerden.contains(record))
        return;
    m_geselecteerden.append(record);
    emit changed();
    NotificationCenter::defaultCenter().post(QStringLiteral("addSelectieNotification"), this);
}

void SelectieLijst::addObjectsSilently(const QList<ManagedObject*>& records) {
    const qsizetype before = m_geselecteerden.size();
    for (ManagedObject* record : records)
        if (record && !m_geselecteerden.contains(record))
            m_geselecteerden.append(record);
    if (m_geselecteerden.size() != before)
        emit changed();
}

void SelectieLijst::removeObject(ManagedObject* record) {
    if (!m_geselecteerden.removeOne(record))
        return;
    emit changed();
    NotificationCenter::defaultCenter().post(QStringLiteral("removeSelectieNotification"), this);
}

void SelectieLijst::removeAllObjects() {
    if (m_geselecteerden.isEmpty())
        return;
    m_geselecteerden.clear();
    emit changed();
}

bool SelectieLijst::containsObject(const ManagedObject* record) const {
    return m_geselecteerden.contains(const_cast<ManagedObject*>(record));
}
