#include "StatusView.h"

#include "Clock.h"
#include "Entities.h"
#include "MainSynchroObject.h"
#include "UserDefaults.h"
#include "Util.h"

StatusView::StatusView(MainSynchroObject* engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_reachable(engine && engine->isReachable()) {
    if (engine) {
        connect(engine, &MainSynchroObject::aantalGetsChanged, this, &StatusView::readCounters);
        connect(engine, &MainSynchroObject::aantalPostsChanged, this, &StatusView::readCounters);
        connect(engine, &MainSynchroObject::reachabilityChanged, this, &StatusView::applyReachability);
        // A new check changes the elapsed time at once, not only at the next tick.
        connect(engine, &MainSynchroObject::lastSynchroDateChanged, this, &StatusView::updateTimeSince);
    }
    readCounters();
    updateSynchroInterval();
    updateTimeSince();
}

QColor StatusView::internetColor() const {
    return m_reachable ? reachableColor() : unreachableColor();
}

QString StatusView::lastSynchTimeText(const QString& getError, const QDateTime& lastSynchro,
                                      const QDateTime& now) {
    if (getError.isNull() || !getError.isEmpty()) {
        if (getError == QLatin1String("TIMEOUT"))
            return tr("Er deed zich een timeout voor bij het updaten van de data");
        return tr("Er ging iets fout met het updaten van data");
    }
    const QPair<QString, QString> part = Util::minNonZeroDateComponent(Util::DateDiff(now, lastSynchro));
    // Value first, then the unit word.
    return tr("Geupdate: %1 %2 geleden").arg(part.second, part.first);
}

void StatusView::updateTimeSince() {
    const QDateTime last =
        m_engine ? m_engine->lastSynchroDate() : QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    const QString text = lastSynchTimeText(
        UserDefaults::standard().stringForKey(QStringLiteral("cc_getError")), last, Clock::now());
    if (text == m_lastSynchTime)
        return;
    m_lastSynchTime = text;
    emit lastSynchTimeLabelChanged();
}

void StatusView::updateSynchroInterval() {
    const Users* user = Users::sharedUsers();
    const QString text =
        tr("Synchro Interval: %1").arg(user ? QString::number(user->resyncFreq()) : QString());
    if (text == m_interval)
        return;
    m_interval = text;
    emit synchroIntervalLabelChanged();
}

void StatusView::applyReachability() {
    const bool reachable = m_engine ? m_engine->isReachable() : false;
    if (reachable == m_reachable)
        return;
    m_reachable = reachable;
    emit reachabilityChanged();
}

void StatusView::readCounters() {
    if (!m_engine)
        return;
    const QString gets = m_engine->aantalGets();
    const QString posts = m_engine->aantalPosts();
    if (gets == m_gets && posts == m_posts)
        return;
    m_gets = gets;
    m_posts = posts;
    emit countersChanged();
}
