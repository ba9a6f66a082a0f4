#pragma once
// Where the outgoing queue stands, as the lists show it: which children and staff members have a
// registration the server has not answered yet (waiting or on its way) or whose send failed, and the
// header line "Bijgewerkt 14:02 · 2 wachtend". Follows the engine's queue with one query per change,
// the changes of one turn of the event loop read once.
// Main thread; one per logged-in view, shared by its lists (owned by the menu).
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class DataAccessObject;
class MainSynchroObject;

class SyncState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString headerText READ headerText NOTIFY headerTextChanged)
    Q_PROPERTY(int waiting READ waiting NOTIFY headerTextChanged)
    // The mark the header shows: Failed when any record failed, Waiting when any waits.
    Q_PROPERTY(int headerMark READ headerMark NOTIFY headerTextChanged)
public:
    enum Mark { NoMark = 0, Waiting = 1, Failed = 2 };
    Q_ENUM(Mark)
    enum class Kind { Child, Staff };

    // Reads the queue at once and follows engine (may be null: nothing to follow, nothing waits).
    SyncState(DataAccessObject* dao, MainSynchroObject* engine, QObject* parent = nullptr);

    // Failed wins over Waiting when one person has both.
    Mark markFor(Kind kind, const QString& id) const;
    // Queue records not answered yet, of any kind.
    int waiting() const { return m_waiting; }
    int headerMark() const;
    QString headerText() const { return m_headerText; }
    // "Bijgewerkt HH:mm · N wachtend" / "· alles verstuurd"; the date is added when the refresh was on
    // another day than now, "Nog niet bijgewerkt" when there was none.
    static QString headerText(const QDateTime& lastRefresh, int waiting, const QDateTime& now);

    // Reads the queue now (one query) and announces what changed.
    void reload();

signals:
    // The marks of these people changed.
    void marksChanged(SyncState::Kind kind, const QSet<QString>& ids);
    void headerTextChanged();

private:
    void updateHeader();

    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QHash<QString, Mark> m_children;
    QHash<QString, Mark> m_staff;
    int m_waiting = 0;
    bool m_anyFailed = false;
    QString m_headerText;
};
