#pragma once
// The end of the day, for administrators: the children of the location still In, the staff members
// still clocked in there, those registered ahead, and the changes the server has not answered (waiting or
// failed). The children and staff still In are clocked out together at a chosen time of today, after one
// confirmation, through the usual clocking; each of those registrations is logged as made at close-out.
// "Still In" is read from the registrations up to now: one registered for later is listed apart and left
// alone. The administrator doing the close-out stays In: their logout clocks them out. The lists follow
// the queue and the registrations while the screen is shown.
// Main thread; owned by the panel stack.
#include "ScreenController.h"
#include "TimeChangerViewController.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTime>

class DataAccessObject;
class MainSynchroObject;
class ManagedObject;

// The three lists in one, each row under its section's title.
class CloseOutModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Section { ChildrenIn = 0, StaffIn = 1, Changes = 2, Ahead = 3 };
    Q_ENUM(Section)
    enum Roles { SectionRole = Qt::UserRole + 1, KeyRole, TitleRole, DetailRole, MarkRole };
    struct Row {
        int section = ChildrenIn;
        QString key; // childId, userId (Ahead: either) or the queue record's id
        QString title;
        QString detail;
        int mark = 0; // SyncState::Mark of a change
    };

    explicit CloseOutModel(QObject* parent = nullptr);
    void setRows(QList<Row> rows);
    const QList<Row>& rows() const { return m_rows; }
    int count(Section section) const;
    // "Kinderen nog binnen (3)" and the like.
    static QString sectionTitle(int section, int count);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<Row> m_rows;
};

class CloseOutViewController : public ScreenController, public TimeChangerDelegate {
    Q_OBJECT
    Q_PROPERTY(CloseOutModel* items READ items CONSTANT)
    Q_PROPERTY(TimeChangerViewController* timePicker READ timePicker CONSTANT)
    Q_PROPERTY(QString closingTime READ closingTime NOTIFY closingTimeChanged)
    Q_PROPERTY(QString clockOutTitle READ clockOutTitle NOTIFY closingTimeChanged)
    Q_PROPERTY(int childrenIn READ childrenIn NOTIFY itemsChanged)
    Q_PROPERTY(int staffIn READ staffIn NOTIFY itemsChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY itemsChanged)
public:
    // What is still open at the end of the day (the reminder at logout asks this too).
    struct OpenItems {
        int children = 0;
        int staff = 0;
        int changes = 0; // queue records not answered, failed ones included
        bool any() const { return children > 0 || staff > 0 || changes > 0; }
    };
    static constexpr int kConfirmTag = 71;
    static QTime closingHour() { return QTime(18, 30); }

    // The location is the logged-in staff member's. Reads the lists at once.
    CloseOutViewController(DataAccessObject* dao, MainSynchroObject* engine, QObject* parent = nullptr);

    // The time first offered: 18:30, or the present minute while 18:30 is still ahead (a clock-out
    // never lies ahead of the moment it is made).
    static QString defaultClosingTime(const QDateTime& now);
    // The counts for a location (its staff: those clocked in there); staff member exceptUserId (the one
    // logging out or closing out) is not counted, nor is anyone registered only for later than now.
    static OpenItems openItems(const DataAccessObject& dao, const QString& entityId,
                               const QString& exceptUserId = {});
    // The lines naming what is open ("3 kinderen nog ingeklokt", ...), one per kind that is.
    static QStringList openItemsLines(const OpenItems& open);

    CloseOutModel* items() const { return m_items; }
    TimeChangerViewController* timePicker() const { return m_timePicker; }
    QString closingTime() const { return m_closingTime; }
    QString clockOutTitle() const;
    int childrenIn() const { return m_items->count(CloseOutModel::ChildrenIn); }
    int staffIn() const { return m_items->count(CloseOutModel::StaffIn); }
    QString summary() const;
    // "HH:mm" of today; an unreadable text is ignored.
    void setClosingTime(const QString& hhmm);

    // Checks the chosen time (not ahead of now, not before anyone's clock-in) and asks to confirm; the
    // confirmation checks again on the people In at that moment and clocks them out.
    Q_INVOKABLE void clockEveryoneOut();
    Q_INVOKABLE void reload();
    void alertViewClickedButtonAtIndex(int tag, int index) override;
    void userDidEnterBeginTime(const QString& begin, const QString& end, int index) override;

signals:
    void closingTimeChanged();
    void itemsChanged();
    // The children and staff were clocked out (count registrations stored and queued).
    void clockedOut(int count);

private:
    // One person as the close-out sees them: the clock-in that keeps them In, or the one registered ahead.
    struct Person {
        ManagedObject* record = nullptr;
        QString key;
        QString firstName;
        QString lastName;
        QString since; // moment text of that clock-in; null when the status has no registration behind it
    };
    // Who is In at this moment, and who is registered for later, from the registrations themselves.
    struct Standing {
        QList<Person> children;
        QList<Person> staff;
        QList<Person> ahead;
    };
    static Standing standing(const DataAccessObject& dao, const QString& entityId,
                             const QString& exceptUserId);

    // The moment the chosen time names today; invalid when it cannot be read.
    QDateTime chosenMoment() const;
    // Whether the chosen time may close these people out; tells why not when it may not.
    bool mayCloseOut(const Standing& in);
    // The one question naming both counts; remembers whom it named.
    void ask(const Standing& in);
    void clockOut();

    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QString m_entityId;
    CloseOutModel* m_items;
    TimeChangerViewController* m_timePicker;
    QString m_closingTime;
    QSet<QString> m_asked; // the people the open question named
};
