#pragma once
// What the benchmarks that draw a window share: spinning the event loop without sleeping, or sleeping
// in it, waiting for a drawn frame, and percentiles of the times measured.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <QQuickWindow>
#include <vector>

namespace Frames {

// The value below which the share p of values lies (0.5: the median).
double percentile(std::vector<double> values, double p);

// Spins the event loop until done() holds; no sleeping between passes, so times stay exact.
template <class Done> bool spinUntil(Done done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

// Waits asleep in the event loop until done() holds, so that a thread's CPU clock counts only the work
// done on it (spinning would count the wait for Qt's update timer). What makes done() hold from another
// thread wakes the loop with wakeMainThread().
template <class Done> bool sleepUntil(Done done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer alarm; // wakes the loop at the deadline
    alarm.setSingleShot(true);
    alarm.start(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}
void wakeMainThread();

// Spins the event loop until the window has shown a new frame.
bool waitForFrame(QQuickWindow& window, int timeoutMs = 5000);

} // namespace Frames
