#include "Inklokken.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "Util.h"

namespace {

const QString kDayFormat = QStringLiteral("dd/MM/yyyy");
const QString kTimeFormat = QStringLiteral("HH:mm");

QString typeText(ClockingSubject::Type type) {
    return type == ClockingSubject::Type::In ? QStringLiteral("In") : QStringLiteral("Out");
}

} // namespace

// ------------------------------------------------------------------ the subject's texts

QString ClockingSubject::confirmation(Type type, int count, int warning) const {
    const bool future = warning != Inklokken::kGeenWaarschuwing;
    const bool many = count > Inklokken::kMaxZonderBevestiging;
    if (!many && !future)
        return {};
    const ClockingTexts t = texts();
    if (type == Type::Out)
        return many ? (future ? t.outManyFuture : t.outMany).arg(count) : t.outOneFuture;
    if (!many)
        return warning == Inklokken::kMeerDanEenDag ? t.inOneDays : t.inOneHours;
    const QString& text = warning == Inklokken::kMeerDanEenDag    ? t.inManyDays
                          : warning == Inklokken::kMeerDanTweeUur ? t.inManyHours
                                                                  : t.inMany;
    return text.arg(count);
}

QString ClockingSubject::guardMessage(Type type, const ManagedObject* person) const {
    const ClockingTexts t = texts();
    return (type == Type::In ? t.guardIn : t.guardOut).arg(firstName(person), lastName(person));
}

QString ClockingSubject::beforeMessage(Type type, const ManagedObject* person, qint64 momentMs,
                                       qint64 laterMs) const {
    const ClockingTexts t = texts();
    const auto hhmm = [](qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).toString(kTimeFormat); };
    return (type == Type::Out ? t.beforeIn : t.beforeOut)
        .arg(firstName(person), lastName(person), hhmm(momentMs), hhmm(laterMs));
}

// ------------------------------------------------------------------ children

ClockingTexts ChildClockingSubject::texts() const {
    ClockingTexts t;
    t.inMany = tr("Je gaat %1 kinderen in klokken. Ben je zeker dat je hiermee wil doorgaan?");
    t.inManyHours =
        tr("Je gaat %1 kinderen in klokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.inManyDays =
        tr("Je gaat %1 kinderen inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.inOneHours = tr("Je gaat een kind inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.inOneDays = t.inOneHours;
    t.outMany = tr("Je gaat %1 kinderen uitklokken. Ben je zeker dat je hiermee wil doorgaan?");
    t.outManyFuture =
        tr("Je gaat %1 kinderen uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.outOneFuture =
        tr("Je gaat een kind uitklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
    t.guardIn = tr("Je wilt %1 %2 een tweede keer inklokken. Klok het kind eerst uit voor dat je opnieuw "
                   "inklokt.");
    t.guardOut = tr("Je wilt %1 %2 een tweede keer uitklokken. Klok het kind eerst in voor dat je opnieuw "
                    "uitklokt.");
    t.beforeIn = tr("Je wilt %1 %2 om %3 uitklokken, maar het kind is pas om %4 ingeklokt. Kies een later "
                    "tijdstip.");
    t.beforeOut = tr("Je wilt %1 %2 om %3 inklokken, maar het kind is om %4 al uitgeklokt. Kies een later "
                     "tijdstip.");
    t.pluralWord = tr("kinderen");
    t.doneInMany = tr("%1 kinderen ingeklokt");
    t.doneOutMany = tr("%1 kinderen uitgeklokt");
    return t;
}

int ChildClockingSubject::isIngeschreven(const ManagedObject* person) const {
    return static_cast<const Child*>(person)->isIngeschreven();
}

void ChildClockingSubject::updateIngeschrevenStatus(ManagedObject* person) const {
    static_cast<Child*>(person)->updateIngeschrevenStatus();
}

ManagedObject* ChildClockingSubject::insertRegistration(Context* context, const ManagedObject* person,
                                                        Type type, const QString& time,
                                                        const QString& organisationId) const {
    const auto* child = static_cast<const Child*>(person);
    const SharedUserInfo user = Users::sharedUserInfo();
    auto* r = context->insertNew<Registration>();
    r->setTime(time);
    r->setRegistrationId(time + Util::getUUID());
    r->setChildId(child->childId());
    r->setEntityId(user.entityId);
    r->setUserId(user.userId);
    r->setOrganisationId(organisationId);
    r->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    r->setType(typeText(type));
    r->setExists(1);
    r->setLocked(1);
    return r;
}

ManagedObject* ChildClockingSubject::person(DataAccessObject* dao, const QString& personId) const {
    return dao->loadChild(personId);
}

ManagedObject* ChildClockingSubject::ownerOf(DataAccessObject* dao, const ManagedObject* registration) const {
    return dao->loadChild(static_cast<const Registration*>(registration)->childId());
}

QList<ManagedObject*> ChildClockingSubject::registrations(const ManagedObject* person) const {
    QList<ManagedObject*> out;
    for (Registration* r : static_cast<const Child*>(person)->registrations())
        out << r;
    return out;
}

QString ChildClockingSubject::personId(const ManagedObject* person) const {
    return static_cast<const Child*>(person)->childId();
}

QString ChildClockingSubject::firstName(const ManagedObject* person) const {
    return static_cast<const Child*>(person)->firstName();
}

QString ChildClockingSubject::groupsLine(DataAccessObject* dao, const ManagedObject* person) const {
    if (!dao)
        return {};
    QList<QPair<QString, QString>> groups = dao->loadGroupNamesForChild(personId(person));
    std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (const auto& group : std::as_const(groups))
        names << group.second;
    return names.join(QStringLiteral(" | "));
}

QString ChildClockingSubject::lastName(const ManagedObject* person) const {
    return static_cast<const Child*>(person)->lastName();
}

QString ChildClockingSubject::image(const ManagedObject* person) const {
    return static_cast<const Child*>(person)->image();
}

const ChildClockingSubject& ChildClockingSubject::instance() {
    static const ChildClockingSubject subject;
    return subject;
}

// ------------------------------------------------------------------ the chosen moment

// The titles hold the words themselves (ClockChoice keeps them so); the views translate what they show.
QString Inklokken::vandaag() {
    return QStringLiteral("Vandaag");
}

QString Inklokken::nu() {
    return QStringLiteral("Nu");
}

QDateTime Inklokken::computeNonStandardDateFromDayPart(const QString& day, const QString& time) {
    const QDateTime now = Clock::now().toLocalTime();
    const QDate date = day == vandaag() ? now.date() : QDate::fromString(day, kDayFormat);
    const QTime clock =
        time == nu() ? QTime(now.time().hour(), now.time().minute()) : QTime::fromString(time, kTimeFormat);
    if (!date.isValid() || !clock.isValid())
        return {};
    // A time skipped by the spring clock change comes out as the moment the clock jumps to.
    return QDateTime(date, clock, Qt::LocalTime);
}

QString Inklokken::computeNonStandardTimeStampFromDayPart(const QString& day, const QString& time) {
    const QDateTime date = computeNonStandardDateFromDayPart(day, time);
    if (!date.isValid()) {
        CC_LOG(QStringLiteral("unreadable choice %1 %2: the present moment instead").arg(day, time));
        return Util::millisText(Clock::nowMs());
    }
    return Util::millisText(date.toMSecsSinceEpoch());
}

int Inklokken::determineWarningMessageFromDayPart(const QString& day, const QString& time) {
    if (day == vandaag() && time == nu())
        return kGeenWaarschuwing;
    const QDateTime chosen = computeNonStandardDateFromDayPart(day, time);
    if (!chosen.isValid())
        return kGeenWaarschuwing;
    if (Util::dayDiff(chosen) > 0)
        return kMeerDanEenDag;
    return Util::DateDiff(chosen).hours < 2 ? kGeenWaarschuwing : kMeerDanTweeUur;
}

// ------------------------------------------------------------------ clocking

Inklokken::Inklokken(const ClockingSubject& subject, DataAccessObject* dao, MainSynchroObject* engine)
    : m_subject(subject)
    , m_dao(dao)
    , m_engine(engine) {}

bool Inklokken::honoursChoice(Type type) {
    return type == Type::In || Users::sharedUserInfo().isAdmin;
}

int Inklokken::warningFor(Type type, const QString& day, const QString& time) {
    return honoursChoice(type) ? determineWarningMessageFromDayPart(day, time) : kGeenWaarschuwing;
}

QString Inklokken::confirmation(Type type, int count, const QString& day, const QString& time) const {
    return m_subject.confirmation(type, count, warningFor(type, day, time));
}

QString Inklokken::momentFor(Type type, const QString& day, const QString& time, qint64 nowMs) {
    if (!honoursChoice(type) || (day == vandaag() && time == nu()))
        return Util::millisText(nowMs);
    return computeNonStandardTimeStampFromDayPart(day, time);
}

QString Inklokken::refusal(Type type, const ManagedObject* person, const QString& time, qint64 momentMs) const {
    if (time == nu() && m_subject.isIngeschreven(person) == (type == Type::In ? 1 : 2))
        return m_subject.guardMessage(type, person);
    // Newest first: the first of the other kind that day is the latest. One registered ahead has not
    // happened yet: the person may well leave before a planned arrival.
    const QDate day = QDateTime::fromMSecsSinceEpoch(momentMs).date();
    const QString other = typeText(type == Type::In ? Type::Out : Type::In);
    const qint64 now = Clock::nowMs();
    for (const ManagedObject* r : m_subject.registrations(person)) {
        if (r->valueForKey(QStringLiteral("exists")).toLongLong() == 0 ||
            r->valueForKey(QStringLiteral("type")).toString() != other)
            continue;
        const qint64 ms = r->valueForKey(QStringLiteral("time")).toString().toLongLong();
        if (ms > now || QDateTime::fromMSecsSinceEpoch(ms).date() != day)
            continue;
        if (ms > momentMs)
            return m_subject.beforeMessage(type, person, momentMs, ms);
        break;
    }
    return {};
}

Inklokken::Run Inklokken::clock(Type type, const QList<ManagedObject*>& selection, const QString& day,
                                const QString& time, bool skipRefused) {
    const qint64 now = Clock::nowMs();
    const QString moment = momentFor(type, day, time, now);
    Run run;
    QList<ManagedObject*> toClock;
    for (ManagedObject* person : selection) {
        const QString why = refusal(type, person, time, moment.toLongLong());
        if (why.isEmpty()) {
            toClock << person;
            continue;
        }
        if (!run.refusedFor) {
            run.refusedFor = person;
            run.refusal = why;
        }
        run.skipped << person;
    }
    run.othersClockable = !toClock.isEmpty();
    if (run.refusedFor && !skipRefused) {
        run.skipped.clear();
        return run;
    }
    run.refusedFor = nullptr;
    if (toClock.isEmpty())
        return run;
    const Organisation* organisation = m_dao->loadOrganisation();
    const QString organisationId = organisation ? organisation->organisationId() : QString();
    Context* context = m_dao->context();
    // One transaction for the whole run: the queue's own saves join it, so the registrations, their
    // queue records and the statuses become durable together, once. Nothing is sent before the commit:
    // the requests leave on the next pass of the event loop.
    run.stored = write("clock", [&] {
        for (ManagedObject* person : std::as_const(toClock)) {
            ManagedObject* registration =
                m_subject.insertRegistration(context, person, type, moment, organisationId);
            if (m_engine)
                m_engine->postObject(registration);
            m_subject.updateIngeschrevenStatus(person);
            run.registrations << registration;
        }
    });
    if (run.stored)
        run.clocked = toClock;
    else
        run.registrations.clear(); // rolled back: these objects are gone
    return run;
}

bool Inklokken::changeTime(ManagedObject* registration, const QString& hourMinute) {
    const QTime clock = QTime::fromString(hourMinute, kTimeFormat);
    if (!registration || !clock.isValid())
        return false;
    // Only the hour and minute change: the day stays the registration's own.
    const QDateTime old = QDateTime::fromMSecsSinceEpoch(
                              registration->valueForKey(QStringLiteral("time")).toString().toLongLong())
                              .toLocalTime();
    const QDateTime moved(old.date(), clock, Qt::LocalTime);
    return write("changeTime", [&] {
        registration->setValueForKey(QStringLiteral("time"), Util::millisText(moved.toMSecsSinceEpoch()));
        if (m_engine)
            m_engine->putObject(registration);
        if (ManagedObject* owner = m_subject.ownerOf(m_dao, registration))
            m_subject.updateIngeschrevenStatus(owner);
    });
}

bool Inklokken::remove(ManagedObject* registration) {
    if (!registration)
        return false;
    return write("remove", [&] {
        registration->setValueForKey(QStringLiteral("exists"), qint64(0));
        registration->setValueForKey(QStringLiteral("locked"), qint64(1));
        if (m_engine)
            m_engine->deleteObject(registration);
        if (ManagedObject* owner = m_subject.ownerOf(m_dao, registration))
            m_subject.updateIngeschrevenStatus(owner);
    });
}

bool Inklokken::undo(const QList<ManagedObject*>& registrations) {
    QList<ManagedObject*> owners;
    for (ManagedObject* registration : registrations)
        if (ManagedObject* owner = m_subject.ownerOf(m_dao, registration); owner && !owners.contains(owner))
            owners << owner;
    const bool stored = write("undo", [&] {
        for (ManagedObject* registration : registrations) {
            if (m_engine)
                m_engine->withdrawObject(registration);
            else
                m_dao->context()->deleteObject(registration);
        }
        for (ManagedObject* owner : std::as_const(owners))
            m_subject.updateIngeschrevenStatus(owner);
    });
    if (m_engine)
        m_engine->updateNrOfPostField();
    return stored;
}

QString Inklokken::notStoredMessage() {
    return tr("De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw.");
}

bool Inklokken::write(const char* where, const std::function<void()>& work) {
    Context* context = m_dao->context();
    QString error;
    if (context->performWrite(work, &error))
        return true;
    CC_LOG(QStringLiteral("error %1 (%2)").arg(error, QLatin1String(where)));
    // Kept pending, the change would show (a status, a registration) and ride along with some later
    // save the user never made; the screen tells to try again instead. A store that stayed busy past
    // the time-out ends here too: half a clocking saved piece by piece would be worse than a retry.
    context->rollback();
    return false;
}
