#pragma once
// Clocking a selection in or out at the chosen moment, and changing or deleting a registration.
// What differs between children and staff (texts, entity, status) is a ClockingSubject; the screens
// only ask, confirm and animate. Main thread; works in the query object's context.
#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class Context;
class DataAccessObject;
class MainSynchroObject;
class ManagedObject;

// The words one kind of detail screen speaks: %1 is the count in the confirmations, %1 %2 the first and
// last name in the guard messages.
struct ClockingTexts {
    QString inMany;        // more than ten, at the present moment
    QString inManyHours;   // more than ten, two hours ahead or more
    QString inManyDays;    // more than ten, a day ahead or more
    QString inOneHours;    // ten or fewer, two hours ahead or more
    QString inOneDays;     // ten or fewer, a day ahead or more
    QString outMany;       // more than ten, at the present moment
    QString outManyFuture; // more than ten, ahead
    QString outOneFuture;  // ten or fewer, ahead
    QString guardIn;       // a second clock-in refused
    QString guardOut;      // a second clock-out refused
    // A clocking at a chosen moment refused because the person's later registration of the other kind
    // would keep the status as it is: %3 the chosen time, %4 that registration's time.
    QString beforeIn;      // a clock-out before the clock-in
    QString beforeOut;     // a clock-in before the clock-out
    QString pluralWord;    // after the count when several are selected ("kinderen")
    QString doneInMany;    // %1 people were just clocked in (the undo bar)
    QString doneOutMany;   // %1 people were just clocked out
};

// The people one kind of detail screen clocks: children, or staff members.
class ClockingSubject {
public:
    enum class Type { In, Out };
    virtual ~ClockingSubject() = default;

    // The texts in the current language.
    virtual ClockingTexts texts() const = 0;
    // The question asked before a clocking of count people; empty when none is needed.
    QString confirmation(Type type, int count, int warning) const;
    // The message naming the person a second clocking of the same kind was refused for.
    QString guardMessage(Type type, const ManagedObject* person) const;
    // The message naming the person a clocking at momentMs was refused for, as it would lie before
    // their registration of the other kind at laterMs.
    QString beforeMessage(Type type, const ManagedObject* person, qint64 momentMs, qint64 laterMs) const;
    // The word after the count when several are selected.
    QString pluralWord() const { return texts().pluralWord; }

    virtual int isIngeschreven(const ManagedObject* person) const = 0;
    virtual void updateIngeschrevenStatus(ManagedObject* person) const = 0;
    // A new registration for person with every attribute filled; not queued yet.
    virtual ManagedObject* insertRegistration(Context* context, const ManagedObject* person, Type type,
                                              const QString& time, const QString& organisationId) const = 0;
    // The person of that personId, or nullptr when it is not in the store.
    virtual ManagedObject* person(DataAccessObject* dao, const QString& personId) const = 0;
    // The person a registration belongs to, or nullptr when it is not in the store.
    virtual ManagedObject* ownerOf(DataAccessObject* dao, const ManagedObject* registration) const = 0;
    // The person's registrations, newest first.
    virtual QList<ManagedObject*> registrations(const ManagedObject* person) const = 0;

    // The id products and messages are kept under (childId, userId).
    virtual QString personId(const ManagedObject* person) const = 0;
    virtual QString firstName(const ManagedObject* person) const = 0;
    virtual QString lastName(const ManagedObject* person) const = 0;
    virtual QString image(const ManagedObject* person) const = 0;
    // The groups the person belongs to, as one line ("" when the kind of person has none).
    virtual QString groupsLine(DataAccessObject* /*dao*/, const ManagedObject* /*person*/) const { return {}; }
    // Whether rows of "Actieve Selectie" offer "Deselecteer", and registrations "Verwijder".
    virtual bool offersDeselect() const = 0;
    virtual bool offersDeletion() const = 0;
};

class ChildClockingSubject : public ClockingSubject {
    Q_DECLARE_TR_FUNCTIONS(ChildClockingSubject)
public:
    ClockingTexts texts() const override;
    int isIngeschreven(const ManagedObject* person) const override;
    void updateIngeschrevenStatus(ManagedObject* person) const override;
    ManagedObject* insertRegistration(Context* context, const ManagedObject* person, Type type,
                                      const QString& time, const QString& organisationId) const override;
    ManagedObject* person(DataAccessObject* dao, const QString& personId) const override;
    ManagedObject* ownerOf(DataAccessObject* dao, const ManagedObject* registration) const override;
    QList<ManagedObject*> registrations(const ManagedObject* person) const override;
    QString personId(const ManagedObject* person) const override;
    QString firstName(const ManagedObject* person) const override;
    QString lastName(const ManagedObject* person) const override;
    QString image(const ManagedObject* person) const override;
    QString groupsLine(DataAccessObject* dao, const ManagedObject* person) const override;
    bool offersDeselect() const override { return true; }
    bool offersDeletion() const override { return true; }

    static const ChildClockingSubject& instance();
};

class Inklokken {
    Q_DECLARE_TR_FUNCTIONS(Inklokken)
public:
    using Type = ClockingSubject::Type;
    static constexpr int kGeenWaarschuwing = -10000;
    static constexpr int kMeerDanTweeUur = -9998;
    static constexpr int kMeerDanEenDag = -9999;
    // Above this many people a clocking is confirmed even at the present moment.
    static constexpr int kMaxZonderBevestiging = 10;

    // The titles of the day and time buttons when nothing else was chosen: "Vandaag" and "Nu".
    static QString vandaag();
    static QString nu();

    // The moment the titles name, to the minute: "Vandaag" is today, "Nu" the current hour and minute.
    // An unreadable title gives an invalid date.
    static QDateTime computeNonStandardDateFromDayPart(const QString& day, const QString& time);
    // That moment as a millisecond text; the exact present moment when it cannot be read.
    static QString computeNonStandardTimeStampFromDayPart(const QString& day, const QString& time);
    // kGeenWaarschuwing, kMeerDanTweeUur (two hours ahead or more) or kMeerDanEenDag (a whole day ahead).
    static int determineWarningMessageFromDayPart(const QString& day, const QString& time);

    Inklokken(const ClockingSubject& subject, DataAccessObject* dao, MainSynchroObject* engine);

    const ClockingSubject& subject() const { return m_subject; }
    // Whether the chosen moment counts: a clock-out takes it from administrators only.
    static bool honoursChoice(Type type);
    // The warning for this clocking (no warning when the choice does not count).
    static int warningFor(Type type, const QString& day, const QString& time);
    // The question before clocking count people; empty when the clocking may go at once.
    QString confirmation(Type type, int count, const QString& day, const QString& time) const;
    // The moment every registration of one run gets; nowMs is the run's present moment.
    static QString momentFor(Type type, const QString& day, const QString& time, qint64 nowMs);

    struct Run {
        ManagedObject* refusedFor = nullptr; // the guard stopped the run at this person (the first refused)
        QString refusal;                     // and says why
        bool othersClockable = false;        // the run would go for the others when they are skipped
        QList<ManagedObject*> skipped;       // skipping: the people left out, in selection order
        QList<ManagedObject*> clocked;       // the people registrations were made for
        QList<ManagedObject*> registrations;
        bool stored = true; // false: the disk refused it, nothing of the run is kept (retry it)
    };
    // Why a clocking of person at momentMs is refused; empty when it may go. At time "Nu" a second
    // clocking of the same kind is; at any time a moment before the person's later registration of the
    // other kind that day, up to now (it would store a clocking and leave the status as it is).
    QString refusal(Type type, const ManagedObject* person, const QString& time, qint64 momentMs) const;
    // The whole clocking in one pass: the guards above, one registration per person at one moment, each
    // queued, the statuses recomputed, one save. A refusal stops the whole run, unless skipRefused: then
    // the others are clocked and the refused ones listed in skipped.
    Run clock(Type type, const QList<ManagedObject*>& selection, const QString& day, const QString& time,
              bool skipRefused = false);

    // Moves a registration to the given "HH:mm" of its own day ("00:00" is midnight), queues the change,
    // recomputes its owner's status and saves. False when the text is no time or it could not be stored.
    bool changeTime(ManagedObject* registration, const QString& hourMinute);
    // Marks a registration deleted, queues the deletion, recomputes its owner's status and saves. False
    // when it could not be stored.
    bool remove(ManagedObject* registration);

    // Takes the registrations of one run back (MainSynchroObject::withdrawObject) and recomputes their
    // owners' statuses, in one write. False when it could not be stored: nothing of it is kept.
    bool undo(const QList<ManagedObject*>& registrations);

    // What the screens tell when a change could not be stored on the tablet.
    static QString notStoredMessage();

private:
    // Runs work in one write transaction of the query object's context and commits it once. False
    // when it could not be stored: the context's pending changes are rolled back, so no status or
    // registration of it stays in memory, and no request of it leaves.
    bool write(const char* where, const std::function<void()>& work);

    const ClockingSubject& m_subject;
    DataAccessObject* m_dao;
    MainSynchroObject* m_engine;
};
