#pragma once
// The one source of "now" for the whole app. Tests freeze or move it; production reads the system clock.
// Thread-safe.
#include <QDateTime>

namespace Clock {
QDateTime now();
qint64 nowMs();
// Freezes the clock at the given moment (tests).
void set(const QDateTime& moment);
void setMs(qint64 msSinceEpoch);
// Moves a frozen clock forward (or the real one, by an offset).
void advance(qint64 seconds);
void advanceMs(qint64 ms);
// Back to the system clock.
void reset();
} // namespace Clock
