#include "SyncState.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"

#include <QTimer>

namespace {
// The ids whose mark differs between before and after.
QSet<QString> changedIds(const QHash<QString, SyncState::Mark>& before,
                         const QHash<QString, SyncState::Mark>& after) {
    QSet<QString> ids;
    for (auto i = before.cbegin(); i != before.cend(); ++i)
        if (after.value(i.key(), SyncState::NoMark) != i.value())
            ids.insert(i.key());
    for (auto i = after.cbegin(); i != after.cend(); ++i)
        if (!before.contains(i.key()))
            ids.insert(i.key());
    return ids;
}

void raise(QHash<QString, SyncState::Mark>& marks, const QString& id, SyncState::Mark mark) {
    if (id.isEmpty())
        return;
    SyncState::Mark& current = marks[id];
    current = qMax(current, mark);
}
} // namespace

SyncState::SyncState(DataAccessObject* dao, MainSynchroObject* engine, QObject* parent)
    : QObject(parent)
    , m_dao(dao)
    , m_engine(engine) {
    if (m_engine)
        connect(m_engine, &MainSynchroObject::lastRefreshDateChanged, this, &SyncState::updateHeader);
    reloadAfterQueueChanges(this, m_engine, [this] { reload(); });
    reload();
}

SyncState::Mark SyncState::markFor(Kind kind, const QString& id) const {
    return (kind == Kind::Child ? m_children : m_staff).value(id, NoMark);
}

int SyncState::headerMark() const {
    return m_anyFailed ? Failed : m_waiting > 0 ? Waiting : NoMark;
}

QString SyncState::headerText(const QDateTime& lastRefresh, int waiting, const QDateTime& now) {
    if (!lastRefresh.isValid() || lastRefresh.toMSecsSinceEpoch() <= 0)
        return waiting > 0 ? tr("Nog niet bijgewerkt · %1 wachtend").arg(waiting)
                           : tr("Nog niet bijgewerkt · alles verstuurd");
    const QDateTime local = lastRefresh.toLocalTime();
    const QString when = local.date() == now.toLocalTime().date()
                             ? local.toString(QStringLiteral("HH:mm"))
                             : local.toString(QStringLiteral("dd/MM HH:mm"));
    return waiting > 0 ? tr("Bijgewerkt %1 · %2 wachtend").arg(when).arg(waiting)
                       : tr("Bijgewerkt %1 · alles verstuurd").arg(when);
}

void SyncState::reload() {
    QHash<QString, Mark> children;
    QHash<QString, Mark> staff;
    int waiting = 0;
    bool anyFailed = false;
    if (m_dao && m_engine) {
        for (const UnansweredQueueEntry& e : m_dao->loadUnansweredQueueEntries()) {
            ++waiting;
            const Mark mark = e.status == 2 ? Failed : Waiting;
            anyFailed = anyFailed || mark == Failed;
            raise(children, e.childId, mark);
            raise(staff, e.userId, mark);
        }
    }
    const QSet<QString> childIds = changedIds(m_children, children);
    const QSet<QString> staffIds = changedIds(m_staff, staff);
    m_children = std::move(children);
    m_staff = std::move(staff);
    m_waiting = waiting;
    m_anyFailed = anyFailed;
    if (!childIds.isEmpty())
        emit marksChanged(Kind::Child, childIds);
    if (!staffIds.isEmpty())
        emit marksChanged(Kind::Staff, staffIds);
    updateHeader();
}

void SyncState::updateHeader() {
    const QDateTime refreshed = m_engine ? m_engine->lastRefreshDate() : QDateTime();
    const QString text = headerText(refreshed, m_waiting, Clock::now());
    // The mark can change with the same text (a record failed).
    m_headerText = text;
    emit headerTextChanged();
}
