#include "StatusView.h"

#include "Clock.h"
#include "Entities.h"
#include "MainSynchroObject.h"
#include "UserDefaults.h"
#include "Util.h"

#include <algorithm>

StatusView::StatusView(MainSynchroObject* engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_reachable(engine && engine->isReachable()) {
    if (engine) {
        connect(engine, &MainSynchroObject::aantalGetsChanged, this, &StatusView::readCounters);
        connect(engine, &MainSynchroObject::aantalPostsChanged, this, &StatusView::readCounters);
        connect(engine, &MainSynchroObject::reachabilityChanged, this, &StatusView::applyReachability);
        // A new check changes the elapsed time at once, an answer or a time-out the error text.
        connect(engine, &MainSynchroObject::lastSynchroDateChanged, this, &StatusView::updateTimeSince);
        connect(engine, &MainSynchroObject::getErrorChanged, this, &StatusView::updateTimeSince);
    }
    m_tick.setSingleShot(true);
    m_tick.setTimerType(Qt::PreciseTimer); // never early: an early tick would find the same text
    connect(&m_tick, &QTimer::timeout, this, &StatusView::updateTimeSince);
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

qint64 StatusView::msUntilTextChanges(const QString& getError, const QDateTime& lastSynchro,
                                      const QDateTime& now) {
    constexpr qint64 kMinute = 60000;
    if (getError.isNull() || !getError.isEmpty())
        return -1;
    const qint64 elapsed = lastSynchro.msecsTo(now);
    if (elapsed < 0)
        return 1000; // a check "in the future": the clock was set back
    const DateComponents d = Util::DateDiff(now, lastSynchro);
    if (d.years != 0 || d.months != 0 || d.days != 0)
        return kMinute;
    const qint64 step = d.hours != 0 ? 3600000 : d.minutes != 0 ? kMinute : 1000;
    return std::min(step - elapsed % step, kMinute);
}

void StatusView::followClock(bool on) {
    m_follow = on;
    if (on)
        updateTimeSince();
    else
        m_tick.stop();
}

void StatusView::updateTimeSince() {
    const QDateTime last =
        m_engine ? m_engine->lastSynchroDate() : QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    const QString error = UserDefaults::standard().stringForKey(QStringLiteral("cc_getError"));
    const QDateTime now = Clock::now();
    const QString text = lastSynchTimeText(error, last, now);
    if (m_follow) {
        const qint64 wait = msUntilTextChanges(error, last, now);
        if (wait < 0)
            m_tick.stop(); // the engine says when the error text changes
        else
            m_tick.start(int(wait) + 5); // just past the change
    }
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
