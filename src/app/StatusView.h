#pragma once
// The synchronisation status panel under the menu: the engine's refresh and queue counters, the line
// that says how long ago the last reachable check was (or that updating failed), the staff member's
// refresh interval and a reachability mark. While it follows the clock, the last-update line is
// rewritten the moment its text changes (each second while it counts seconds, each minute while it
// counts minutes), and not in between: a line that does not change draws no frame and wakes nobody.
// Main thread; owned by the menu.
#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class MainSynchroObject;

class StatusView : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString getParamsLabel READ getParamsLabel NOTIFY countersChanged)
    Q_PROPERTY(QString postParamsLabel READ postParamsLabel NOTIFY countersChanged)
    Q_PROPERTY(QString lastSynchTimeLabel READ lastSynchTimeLabel NOTIFY lastSynchTimeLabelChanged)
    Q_PROPERTY(QString synchroIntervalLabel READ synchroIntervalLabel NOTIFY synchroIntervalLabelChanged)
    Q_PROPERTY(bool reachable READ isReachable NOTIFY reachabilityChanged)
    Q_PROPERTY(QColor internetColor READ internetColor NOTIFY reachabilityChanged)
public:
    // Follows engine's counters and reachability (when given) from the start.
    explicit StatusView(MainSynchroObject* engine, QObject* parent = nullptr);

    QString getParamsLabel() const { return m_gets; }
    QString postParamsLabel() const { return m_posts; }
    QString lastSynchTimeLabel() const { return m_lastSynchTime; }
    QString synchroIntervalLabel() const { return m_interval; }
    bool isReachable() const { return m_reachable; }
    QColor internetColor() const;

    // The last-update line for the error text stored in "cc_getError" (a null text counts as "other")
    // and the time from lastSynchro to now.
    static QString lastSynchTimeText(const QString& getError, const QDateTime& lastSynchro,
                                     const QDateTime& now);
    // Milliseconds from now until lastSynchTimeText gives another text by the passing of time alone
    // (at most a minute: calendar units and a changed system clock are looked at again by then), or
    // -1 when it never does (an error text).
    static qint64 msUntilTextChanges(const QString& getError, const QDateTime& lastSynchro,
                                     const QDateTime& now);
    // Keeps the last-update line in step with the clock (the menu, while it lives), or stops.
    void followClock(bool on);
    bool followsClock() const { return m_follow; }
    // When the line is looked at again by itself; inactive while it cannot change.
    const QTimer& clockTimer() const { return m_tick; }
    static QColor reachableColor() { return QColor::fromRgbF(0.2f, 0.4f, 0.0f, 1.0f); }
    static QColor unreachableColor() { return QColor::fromRgbF(0.8f, 0.4f, 0.0f, 1.0f); }

public slots:
    // Rewrites the last-update line from "cc_getError", the engine's lastSynchroDate and the Clock.
    void updateTimeSince();
    // Takes the logged-in staff member's resyncFreq.
    void updateSynchroInterval();
    // Takes the engine's current reachability.
    void applyReachability();

signals:
    void countersChanged();
    void lastSynchTimeLabelChanged();
    void synchroIntervalLabelChanged();
    void reachabilityChanged();

private:
    void readCounters();

    QPointer<MainSynchroObject> m_engine;
    QString m_gets = QStringLiteral("0");
    QString m_posts = QStringLiteral("0");
    QString m_lastSynchTime;
    QString m_interval;
    bool m_reachable;
    bool m_follow = false;
    QTimer m_tick;
};
