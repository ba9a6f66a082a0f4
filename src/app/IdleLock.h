#pragma once
// Returns a logged-in tablet to the login grid after a time without any touch, key or mouse event, so
// that no child's data stays on a screen nobody watches. Not a logout: nobody is clocked out and nothing
// is cleaned (RootViewController::doIdleLock). The limit is "cc_idleLockMinutes" (5 when absent, 0: never).
// Idle time is measured on the app's Clock, looked at on a coarse tick, so tests move the clock instead
// of waiting. Main thread; watches every window of the application.
#include <QObject>
#include <QTimer>

class RootViewController;

class IdleLock : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultMinutes = 5;
    static constexpr int kTickMs = 1000;

    explicit IdleLock(RootViewController* root, QObject* parent = nullptr);

    // The limit in minutes; 0 when the lock is off. Absent or not a number: the default.
    static int idleMinutes();
    // A person did something: the idle time starts again.
    void userActivity();
    // Locks when the limit is past and no screen holds the lock (then it asks again at the next tick).
    void check();
    qint64 lastActivityMs() const { return m_lastActivityMs; }

signals:
    void locked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RootViewController* m_root;
    QTimer m_tick;
    qint64 m_lastActivityMs;
};
