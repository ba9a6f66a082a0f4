#pragma once
// The bar that offers to take back the clocking just made from a child or staff panel, for ten seconds:
// "3 kinderen ingeklokt" / "Emma Peeters uitgeklokt" with "Ongedaan maken". One per logged-in session,
// shared by every detail panel, so the offer outlives the panel that made it. The ten seconds are
// measured on the app's Clock, looked at on a coarse tick, so tests move the clock instead of waiting.
// Main thread; owned by the root screen.
#include "Inklokken.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class DataAccessObject;
class DialogRequests;
class MainSynchroObject;

class ClockingUndo : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool shown READ shown NOTIFY changed)
    Q_PROPERTY(QString text READ text NOTIFY changed)
    Q_PROPERTY(QString buttonTitle READ buttonTitle CONSTANT)
public:
    static constexpr qint64 kShownMs = 10000;
    static constexpr int kTickMs = 250;

    // dialogs (may be null) tells when an undo could not be stored.
    ClockingUndo(DataAccessObject* dao, MainSynchroObject* engine, DialogRequests* dialogs,
                 QObject* parent = nullptr);
    ~ClockingUndo() override;

    // The bar of the logged-in session, or nullptr (no one logged in, or a test without a root screen).
    static ClockingUndo* shared();
    static void setShared(ClockingUndo* undo);

    bool shown() const { return !m_registrations.isEmpty(); }
    QString text() const { return m_text; }
    QString buttonTitle() const;
    qint64 shownUntilMs() const { return m_untilMs; }

    // A run of subject just stored people's registrations: the bar offers to take it back (replacing an
    // earlier offer). Nothing without registrations.
    void offer(const ClockingSubject& subject, ClockingSubject::Type type,
               const QList<ManagedObject*>& people, const QList<ManagedObject*>& registrations);
    // "Ongedaan maken": exactly the offered registrations go (see Inklokken::undo) and the bar goes. False
    // when nothing was offered or it could not be stored (an alert then says so; nothing changed).
    Q_INVOKABLE bool undo();
    // The bar goes without undoing anything (time up, logout).
    void dismiss();
    // Hides the bar once its ten seconds are over.
    void check();

signals:
    void changed();
    // Registrations were taken back: screens showing them reload.
    void undone();

private:
    struct Key {
        QString entity;
        QString id;
    };
    ManagedObject* load(const Key& key) const;

    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QPointer<DialogRequests> m_dialogs;
    const ClockingSubject* m_subject = nullptr;
    QList<Key> m_registrations;
    QString m_text;
    qint64 m_untilMs = 0;
    QTimer m_tick;
};
