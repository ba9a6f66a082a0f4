#pragma once
// What the benchmarks that draw a window share: spinning the event loop without sleeping, waiting for
// a drawn frame, and percentiles of the times measured.
#include <QCoreApplication>
#include <QElapsedTimer>
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

// Spins the event loop until the window has shown a new frame.
bool waitForFrame(QQuickWindow& window, int timeoutMs = 5000);

} // namespace Frames
