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
#include "Util.h"

#include <QTimer>
#include <algorithm>

namespace {
const QString kIn = QStringLiteral("In");

QString hourMinute(const QString& moment) {
    return QDateTime::fromMSecsSinceEpoch(moment.toLongLong()).toString(QStringLiteral("HH:mm"));
}

QString childName(const Child* child) {
    return QStringLiteral("%1 %2").arg(child->lastName(), child->firstName());
}

QString staffName(const Users* user) {
    return QStringLiteral("%1 %2").arg(user->last_name(), user->first_name());
}

QList<Child*> loadChildrenIn(const DataAccessObject& dao, const QString& entityId) {
    return dao.loadChildrenforEntity(entityId,
                                     Predicate::format(QStringLiteral("ingeschrevenStatus == %@"), {kIn}));
}

QList<Users*> loadStaffIn(const DataAccessObject& dao) {
    return dao.getUsersForPredicate(Predicate::format(QStringLiteral("ingeschrevenStatus == %@"), {kIn}),
                                    true);
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

CloseOutViewController::OpenItems CloseOutViewController::openItems(const DataAccessObject& dao,
                                                                    const QString& entityId,
                                                                    const QString& exceptUserId) {
    OpenItems open;
    open.children = int(loadChildrenIn(dao, entityId).size());
    for (const Users* user : loadStaffIn(dao))
        if (user->userId() != exceptUserId)
            ++open.staff;
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
        for (const Child* child : loadChildrenIn(*m_dao, m_entityId))
            rows.append({CloseOutModel::ChildrenIn, child->childId(), childName(child),
                         tr("In sinds %1").arg(child->ingeschrevenTime()), 0});
        for (const Users* user : loadStaffIn(*m_dao))
            rows.append({CloseOutModel::StaffIn, user->userId(), staffName(user),
                         tr("In sinds %1").arg(user->ingeschrevenTime()), 0});
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

void CloseOutViewController::clockEveryoneOut() {
    if (!m_dao)
        return;
    const QList<Child*> children = loadChildrenIn(*m_dao, m_entityId);
    if (children.isEmpty())
        return;
    // The chosen time only counts for administrators: anyone else would be clocked out at the present
    // moment, not at the time this screen names.
    if (!Inklokken::honoursChoice(Inklokken::Type::Out)) {
        dialogs()->alert(tr("Opgepast"), tr("Enkel een beheerder kan de dag afsluiten."), {tr("OK")});
        return;
    }
    const QDateTime moment = chosenMoment();
    if (!moment.isValid())
        return;
    if (moment.toMSecsSinceEpoch() > Clock::nowMs()) {
        dialogs()->alert(tr("Opgepast"),
                         tr("%1 ligt nog in de toekomst. Kies een uur dat al voorbij is.").arg(m_closingTime),
                         {tr("OK")});
        return;
    }
    // A clock-out before the clock-in would leave the child In.
    const QString begin = Util::getBeginRegistrationTime();
    for (const Child* child : children) {
        const Registration* in = child->latestRegistrationAfterDay(begin);
        if (in && in->time().toLongLong() > moment.toMSecsSinceEpoch()) {
            dialogs()->alert(tr("Opgepast"),
                             tr("%1 %2 is pas om %3 ingeklokt. Kies een later uur.")
                                 .arg(child->firstName(), child->lastName(), hourMinute(in->time())),
                             {tr("OK")});
            return;
        }
    }
    const QString question =
        children.size() == 1 ? tr("1 kind uitklokken om %1?").arg(m_closingTime)
                             : tr("%1 kinderen uitklokken om %2?").arg(children.size()).arg(m_closingTime);
    dialogs()->alert(tr("Dag afsluiten"), question, {tr("Annuleer"), tr("Klok uit")}, kConfirmTag);
}

void CloseOutViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    if (tag == kConfirmTag && index == 1)
        clockOut();
}

void CloseOutViewController::clockOut() {
    // Read again: a child may have been clocked out on another panel while the question was open.
    QList<ManagedObject*> selection;
    for (Child* child : loadChildrenIn(*m_dao, m_entityId))
        selection << child;
    if (selection.isEmpty())
        return;
    Inklokken clocking(ChildClockingSubject::instance(), m_dao, m_engine);
    const Inklokken::Run run =
        clocking.clock(Inklokken::Type::Out, selection, Inklokken::vandaag(), m_closingTime);
    if (!run.stored) {
        dialogs()->alert(tr("Opgepast"), Inklokken::notStoredMessage(), {tr("OK")});
        return;
    }
    for (const ManagedObject* registration : run.registrations) {
        const auto* r = static_cast<const Registration*>(registration);
        CC_LOG(QStringLiteral("dagafsluiting: registratie %1 (kind %2) uitgeklokt om %3")
                   .arg(r->registrationId(), r->childId(), r->time()));
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
    reload();
    emit clockedOut(int(run.registrations.size()));
}
