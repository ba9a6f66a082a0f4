#pragma once
// The active selection: an ordered list of records without duplicates, by record identity.
// Main thread only; the records belong to the main thread's store context.
#include <QList>
#include <QObject>

class ManagedObject;

class SelectieLijst : public QObject {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)
public:
    explicit SelectieLijst(QObject* parent = nullptr);

    const QList<ManagedObject*>& geselecteerden() const { return m_geselecteerden; }
    // Appends a record not yet listed and posts "addSelectieNotification"; otherwise nothing.
    void addObject(ManagedObject* record);
    // Removes a listed record and posts "removeSelectieNotification"; otherwise nothing.
    void removeObject(ManagedObject* record);
    // Appends the records not yet listed, in order, without posting: the screen that adds many at once
    // tells the others itself, once.
    void addObjectsSilently(const QList<ManagedObject*>& records);
    // Empties the list without posting: the screen that empties it tells the others itself.
    void removeAllObjects();
    bool containsObject(const ManagedObject* record) const;
    int count() const { return int(m_geselecteerden.size()); }
    ManagedObject* objectAtIndex(int index) const { return m_geselecteerden.value(index); }

signals:
    void changed();

private:
    QList<ManagedObject*> m_geselecteerden;
};
