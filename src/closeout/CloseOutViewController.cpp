#include "CloseOutViewController.h"

#include "AdminPageViewController.h"
#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "Inklokken.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "StaffClockingSubject.h"
#include "Util.h"

#include <QTimer>
#include <algorithm>

namespace {
const QString kIn = QStringLiteral("In");

QString hourMinute(const QString& moment) {
    return QDateTime::fromMSecsSinceEpoch(moment.toLongLong()).toString(QStringLiteral("HH:mm"));
}

QString fullName(const QString& first, const QString& last) {
    return QStringLiteral("%1 %2").arg(last, first);
}

QString childName(const Child* child) {
    return fullName(child->firstName(), child->lastName());
}

QString staffName(const Users* user) {
    return fullName(user->first_name(), user->last_name());
}

QList<Child*> loadChildrenIn(const DataAccessObject& dao, const QString& entityId) {
    return dao.loadChildrenforEntity(entityId,
                                     Predicate::format(QStringLiteral("ingeschrevenStatus == %@"), {kIn}));
}

QList<Users*> loadStaffIn(const DataAccessObject& dao) {
    return dao.getUsersForPredicate(Predicate::format(QStringLiteral("ingeschrevenStatus == %@"), {kIn}),
                                    true);
}

// The latest of registrations (newest first) after the begin time and not later than now.
template <class Reg> Reg* latestUpTo(const QList<Reg*>& newestFirst, qint64 begin, qint64 now) {
    for (Reg* r : newestFirst) {
        const qint64 t = r->time().toLongLong();
        if (t <= begin)
            break;
        if (t <= now)
            return r;
    }
    return nullptr;
}

// "vandaag 20:00", "morgen 07:00" or the date and time of a moment registered ahead.
QString aheadMoment(const QString& moment) {
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(moment.toLongLong());
    const QString time = at.toString(QStringLiteral("HH:mm"));
    const qint64 days = Clock::now().toLocalTime().date().daysTo(at.date());
    if (days == 0)
        return CloseOutViewController::tr("vandaag %1").arg(time);
    if (days == 1)
        return CloseOutViewController::tr("morgen %1").arg(time);
    return at.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

QString currentUserId() {
    const SharedUserInfo user = Users::sharedUserInfo();
    return user.present ? user.userId : QString();
}

QString currentLocation() {
    const SharedUserInfo user = Users::sharedUserInfo();
    return user.present ? user.entityId : QString();
}
} // namespace

// ------------------------------------------------------------------ model

CloseOutModel::CloseOutModel(QObject* parent)
    : QAbstractListModel(parent) {}

void CloseOutModel::setRows(QList<Row> rows) {
    // Rows that stay keep their delegates: only the changed stretch between the unchanged start and end
    // is removed and inserted (a reset while the view creates delegates costs it its place).
    const auto same = [](const Row& a, const Row& b) { return a.section == b.section && a.key == b.key; };
    const auto equal = [&same](const Row& a, const Row& b) {
        return same(a, b) && a.title == b.title && a.detail == b.detail && a.mark == b.mark;
    };
    if (std::equal(m_rows.cbegin(), m_rows.cend(), rows.cbegin(), rows.cend(), equal))
        return;
    const qsizetype oldCount = m_rows.size();
    const qsizetype newCount = rows.size();
    qsizetype head = 0;
    while (head < oldCount && head < newCount && same(m_rows.at(head), rows.at(head)))
        ++head;
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           same(m_rows.at(oldCount - 1 - tail), rows.at(newCount - 1 - tail)))
        ++tail;
    if (oldCount - tail > head) {
        beginRemoveRows({}, int(head), int(oldCount - tail - 1));
        m_rows.remove(head, oldCount - tail - head);
        endRemoveRows();
    }
    if (newCount - tail > head) {
        beginInsertRows({}, int(head), int(newCount - tail - 1));
        m_rows.insert(head, newCount - tail - head, Row());
        for (qsizetype i = head; i < newCount - tail; ++i)
            m_rows[i] = rows.at(i);
        endInsertRows();
    }
    // The rows kept may show other texts, and every section title carries its count.
    m_rows = std::move(rows);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1));
}

int CloseOutModel::count(Section section) const {
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(),
                             [section](const Row& r) { return r.section == section; }));
}

QString CloseOutModel::sectionTitle(int section, int count) {
    switch (section) {
    case ChildrenIn:
        return tr("Kinderen nog binnen (%1)").arg(count);
    case StaffIn:
        return tr("Medewerkers nog ingeklokt (%1)").arg(count);
    case Ahead:
        return tr("Vooruit ingeklokt (%1)").arg(count);
    default:
        return tr("Niet verstuurde wijzigingen (%1)").arg(count);
    }
}

int CloseOutModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CloseOutModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case SectionRole:
        return sectionTitle(r.section, count(Section(r.section)));
    case KeyRole:
        return r.key;
    case TitleRole:
    case Qt::DisplayRole:
        return r.title;
    case DetailRole:
        return r.detail;
    case MarkRole:
        return r.mark;
    default:
        return {};
    }
}

QHash<int, QByteArray> CloseOutModel::roleNames() const {
    return {{SectionRole, "section"},
            {KeyRole, "key"},
            {TitleRole, "title"},
            {DetailRole, "detail"},
            {MarkRole, "mark"}};
}

// ------------------------------------------------------------------ screen

CloseOutViewController::CloseOutViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                               QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("closeout/qml/CloseOutView.qml")),
                       tr("Dag afsluiten"), parent)
    , m_dao(dao)
    , m_engine(engine)
    , m_entityId(currentLocation())
    , m_items(new CloseOutModel(this))
    , m_timePicker(new TimeChangerViewController(this, -1, this))
    , m_closingTime(defaultClosingTime(Clock::now())) {
    m_timePicker->setBeginTime(m_closingTime);
    reloadAfterQueueChanges(this, m_engine, [this] { reload(); });
    reload();
}

QString CloseOutViewController::defaultClosingTime(const QDateTime& now) {
    const QTime local = now.toLocalTime().time();
    const QTime present(local.hour(), local.minute());
    return (present < closingHour() ? present : closingHour()).toString(QStringLiteral("HH:mm"));
}

CloseOutViewController::Standing CloseOutViewController::standing(const DataAccessObject& dao,
                                                                  const QString& entityId,
                                                                  const QString& exceptUserId) {
    // The stored status counts a registration ahead as In: the registrations decide. Only someone whose
    // latest lies ahead needs a second look, for a clock-in up to now that is still open.
    Standing s;
    const QString begin = Util::getBeginRegistrationTime();
    const qint64 from = begin.toLongLong();
    const qint64 now = Clock::nowMs();

    const QList<Child*> children = loadChildrenIn(dao, entityId);
    QStringList childIds;
    for (const Child* c : children)
        childIds << c->childId();
    const auto latestOfChildren = dao.loadLatestRegistrationsForChildren(childIds, begin);
    for (Child* c : children) {
        Person p{c, c->childId(), c->firstName(), c->lastName(), {}};
        const Registration* r = latestOfChildren.value(c->childId());
        if (r && r->time().toLongLong() > now) {
            if (r->type() == kIn)
                s.ahead.append({c, c->childId(), c->firstName(), c->lastName(), r->time()});
            r = latestUpTo(dao.loadRegistrationsForChild(c->childId()), from, now);
            if (!r)
                continue;
        }
        if (r && r->type() != kIn)
            continue;
        p.since = r ? r->time() : QString();
        s.children << p;
    }

    // Staff of this location: clocked in here, or, when the clock-in names no location, on its staff.
    QSet<QString> ownStaff;
    for (const Users* u : dao.getUsersForEntity(entityId))
        ownStaff << u->userId();
    QList<Users*> staff;
    QStringList userIds;
    for (Users* u : loadStaffIn(dao))
        if (u->userId() != exceptUserId) {
            staff << u;
            userIds << u->userId();
        }
    const auto here = [&](const UserRegistration* r, const Users* u) {
        return r && !r->entityId().isEmpty() ? r->entityId() == entityId : ownStaff.contains(u->userId());
    };
    const auto latestOfStaff = dao.loadLatestRegistrationsForUsers(userIds, begin);
    for (Users* u : staff) {
        Person p{u, u->userId(), u->first_name(), u->last_name(), {}};
        const UserRegistration* r = latestOfStaff.value(u->userId());
        if (r && r->time().toLongLong() > now) {
            if (r->type() == kIn && here(r, u))
                s.ahead.append({u, u->userId(), u->first_name(), u->last_name(), r->time()});
            r = latestUpTo(dao.loadRegistrationsForUser(u->userId()), from, now);
            if (!r)
                continue;
        }
        if ((r && r->type() != kIn) || !here(r, u))
            continue;
        p.since = r ? r->time() : QString();
        s.staff << p;
    }
    return s;
}

CloseOutViewController::OpenItems CloseOutViewController::openItems(const DataAccessObject& dao,
                                                                    const QString& entityId,
                                                                    const QString& exceptUserId) {
    const Standing in = standing(dao, entityId, exceptUserId);
    OpenItems open;
    open.children = int(in.children.size());
    open.staff = int(in.staff.size());
    open.changes = int(dao.loadUnansweredQueueEntries().size());
    return open;
}

QStringList CloseOutViewController::openItemsLines(const OpenItems& open) {
    QStringList lines;
    if (open.children > 0)
        lines << (open.children == 1 ? tr("1 kind nog ingeklokt")
                                     : tr("%1 kinderen nog ingeklokt").arg(open.children));
    if (open.staff > 0)
        lines << (open.staff == 1 ? tr("1 medewerker nog ingeklokt")
                                  : tr("%1 medewerkers nog ingeklokt").arg(open.staff));
    if (open.changes > 0)
        lines << (open.changes == 1 ? tr("1 wijziging nog niet verstuurd")
                                    : tr("%1 wijzigingen nog niet verstuurd").arg(open.changes));
    return lines;
}

QString CloseOutViewController::clockOutTitle() const {
    return tr("Klok iedereen uit om %1").arg(m_closingTime);
}

QString CloseOutViewController::summary() const {
    OpenItems open;
    open.children = m_items->count(CloseOutModel::ChildrenIn);
    open.staff = m_items->count(CloseOutModel::StaffIn);
    open.changes = m_items->count(CloseOutModel::Changes);
    return open.any() ? openItemsLines(open).join(QStringLiteral(", "))
                      : tr("Alles is afgesloten voor vandaag.");
}

void CloseOutViewController::setClosingTime(const QString& hhmm) {
    const QTime time = QTime::fromString(hhmm, QStringLiteral("HH:mm"));
    if (!time.isValid() || hhmm == m_closingTime)
        return;
    m_closingTime = hhmm;
    m_timePicker->setBeginTime(hhmm);
    emit closingTimeChanged();
}

void CloseOutViewController::userDidEnterBeginTime(const QString& begin, const QString&, int) {
    setClosingTime(begin);
}

void CloseOutViewController::reload() {
    QList<CloseOutModel::Row> rows;
    if (m_dao) {
        const Standing in = standing(*m_dao, m_entityId, currentUserId());
        const auto since = [](const Person& p) {
            return tr("In sinds %1")
                .arg(p.since.isNull() ? p.record->valueForKey(QStringLiteral("ingeschrevenTime")).toString()
                                      : hourMinute(p.since));
        };
        for (const Person& p : in.children)
            rows.append({CloseOutModel::ChildrenIn, p.key, fullName(p.firstName, p.lastName), since(p), 0});
        for (const Person& p : in.staff)
            rows.append({CloseOutModel::StaffIn, p.key, fullName(p.firstName, p.lastName), since(p), 0});
        for (const Person& p : in.ahead)
            rows.append({CloseOutModel::Ahead, p.key, fullName(p.firstName, p.lastName),
                         tr("Ingeklokt voor %1").arg(aheadMoment(p.since)), 0});
        for (const UnansweredQueueEntry& e : m_dao->loadUnansweredQueueEntries()) {
            QString who;
            QString what;
            if (!e.childId.isEmpty() || !e.userId.isEmpty()) {
                if (const Child* child = e.childId.isEmpty() ? nullptr : m_dao->loadChild(e.childId))
                    who = childName(child);
                else if (const Users* user = e.userId.isEmpty() ? nullptr : m_dao->loadUser(e.userId))
                    who = staffName(user);
                if (e.httpType == QLatin1String("DELETE"))
                    what = tr("Registratie verwijderd");
                else if (e.httpType == QLatin1String("PUT"))
                    what = tr("Tijd gewijzigd naar %1").arg(hourMinute(e.registrationTime));
                else if (e.registrationType == kIn)
                    what = tr("Ingeklokt om %1").arg(hourMinute(e.registrationTime));
                else
                    what = tr("Uitgeklokt om %1").arg(hourMinute(e.registrationTime));
            } else if (e.objectType == QLatin1String("Child")) {
                if (const Child* child = m_dao->loadChild(e.objectId))
                    who = childName(child);
                what = tr("Nieuw kind");
            } else if (e.objectType == QLatin1String("ObjectImageUpload")) {
                if (const ObjectImageUpload* upload = m_dao->loadObjectImageUpload(e.objectId))
                    who = QStringLiteral("%1 %2").arg(upload->lastName(), upload->firstName());
                what = tr("Nieuwe foto");
            } else {
                what = e.objectType;
            }
            rows.append({CloseOutModel::Changes, e.idSynchroObject, who.isEmpty() ? what : who,
                         who.isEmpty() ? AdminPageModel::statusText(e.status)
                                       : what + QStringLiteral(" · ") + AdminPageModel::statusText(e.status),
                         e.status == 2 ? 2 : 1});
        }
    }
    m_items->setRows(std::move(rows));
    emit itemsChanged();
}

QDateTime CloseOutViewController::chosenMoment() const {
    return Inklokken::computeNonStandardDateFromDayPart(Inklokken::vandaag(), m_closingTime);
}

bool CloseOutViewController::mayCloseOut(const Standing& in) {
    // The chosen time only counts for administrators: anyone else would be clocked out at the present
    // moment, not at the time this screen names.
    if (!Inklokken::honoursChoice(Inklokken::Type::Out)) {
        dialogs()->alert(tr("Opgepast"), tr("Enkel een beheerder kan de dag afsluiten."), {tr("OK")});
        return false;
    }
    const QDateTime moment = chosenMoment();
    if (!moment.isValid())
        return false;
    if (moment.toMSecsSinceEpoch() > Clock::nowMs()) {
        dialogs()->alert(tr("Opgepast"),
                         tr("%1 ligt nog in de toekomst. Kies een uur dat al voorbij is.").arg(m_closingTime),
                         {tr("OK")});
        return false;
    }
    // A clock-out before the clock-in would leave them In.
    for (const QList<Person>* people : {&in.children, &in.staff})
        for (const Person& p : *people)
            if (!p.since.isNull() && p.since.toLongLong() > moment.toMSecsSinceEpoch()) {
                dialogs()->alert(tr("Opgepast"),
                                 tr("%1 %2 is pas om %3 ingeklokt. Kies een later uur.")
                                     .arg(p.firstName, p.lastName, hourMinute(p.since)),
                                 {tr("OK")});
                return false;
            }
    return true;
}

void CloseOutViewController::ask(const Standing& in) {
    m_asked.clear();
    for (const QList<Person>* people : {&in.children, &in.staff})
        for (const Person& p : *people)
            m_asked << p.key;
    const qsizetype children = in.children.size();
    const qsizetype staff = in.staff.size();
    const QString childrenText = children == 1 ? tr("1 kind") : tr("%1 kinderen").arg(children);
    const QString staffText = staff == 1 ? tr("1 medewerker") : tr("%1 medewerkers").arg(staff);
    const QString question =
        children > 0 && staff > 0
            ? tr("%1 en %2 uitklokken om %3?").arg(childrenText, staffText, m_closingTime)
            : tr("%1 uitklokken om %2?").arg(children > 0 ? childrenText : staffText, m_closingTime);
    dialogs()->alert(tr("Dag afsluiten"), question, {tr("Annuleer"), tr("Klok uit")}, kConfirmTag);
}

void CloseOutViewController::clockEveryoneOut() {
    if (!m_dao)
        return;
    const Standing in = standing(*m_dao, m_entityId, currentUserId());
    if ((in.children.isEmpty() && in.staff.isEmpty()) || !mayCloseOut(in))
        return;
    ask(in);
}

void CloseOutViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    if (tag == kConfirmTag && index == 1)
        clockOut();
}

void CloseOutViewController::clockOut() {
    if (!m_dao)
        return;
    // Read and check again: while the question was open a refresh may have brought a clock-in later than
    // the chosen time, or someone the question did not name (asked again), or clocked someone out.
    const Standing in = standing(*m_dao, m_entityId, currentUserId());
    if ((in.children.isEmpty() && in.staff.isEmpty()) || !mayCloseOut(in))
        return;
    for (const QList<Person>* people : {&in.children, &in.staff})
        for (const Person& p : *people)
            if (!m_asked.contains(p.key)) {
                ask(in);
                return;
            }
    m_asked.clear();

    int count = 0;
    QString problem;
    const auto clockOutAll = [&](const ClockingSubject& subject, const QList<Person>& people, bool children) {
        QList<ManagedObject*> selection;
        for (const Person& p : people)
            selection << p.record;
        if (selection.isEmpty())
            return true;
        Inklokken clocking(subject, m_dao, m_engine);
        const Inklokken::Run run =
            clocking.clock(Inklokken::Type::Out, selection, Inklokken::vandaag(), m_closingTime);
        // The checks above make a refusal unlikely; should the clocking's own guard still refuse, say so.
        if (run.refusedFor || !run.stored) {
            problem = run.refusedFor ? run.refusal : Inklokken::notStoredMessage();
            return false;
        }
        for (const ManagedObject* registration : run.registrations) {
            if (children) {
                const auto* r = static_cast<const Registration*>(registration);
                CC_LOG(QStringLiteral("dagafsluiting: registratie %1 (kind %2) uitgeklokt om %3")
                           .arg(r->registrationId(), r->childId(), r->time()));
            } else {
                const auto* r = static_cast<const UserRegistration*>(registration);
                CC_LOG(QStringLiteral("dagafsluiting: registratie %1 (medewerker %2) uitgeklokt om %3")
                           .arg(r->userRegistrationId(), r->userId(), r->time()));
            }
        }
        count += int(run.registrations.size());
        return true;
    };
    const bool stored = clockOutAll(ChildClockingSubject::instance(), in.children, true) &&
                        clockOutAll(StaffClockingSubject::instance(), in.staff, false);
    if (!stored)
        dialogs()->alert(tr("Opgepast"), problem, {tr("OK")});
    if (count > 0)
        NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
    reload();
    if (stored)
        emit clockedOut(count);
}
