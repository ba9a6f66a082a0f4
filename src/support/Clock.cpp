#include "Clock.h"

#include <atomic>

namespace {
std::atomic<bool> frozen{false};
std::atomic<qint64> frozenMs{0};
std::atomic<qint64> offsetMs{0};
} // namespace

namespace Clock {

qint64 nowMs() {
    if (frozen.load())
        return frozenMs.load();
    return QDateTime::currentMSecsSinceEpoch() + offsetMs.load();
}

QDateTime now() {
    return QDateTime::fromMSecsSinceEpoch(nowMs());
}

void set(const QDateTime& moment) {
    setMs(moment.toMSecsSinceEpoch());
}

void setMs(qint64 msSinceEpoch) {
    frozenMs.store(msSinceEpoch);
    frozen.store(true);
}

void advance(qint64 seconds) {
    advanceMs(seconds * 1000);
}

void advanceMs(qint64 ms) {
    if (frozen.load())
        frozenMs.fetch_add(ms);
    else
        offsetMs.fetch_add(ms);
}

void reset() {
    frozen.store(false);
    offsetMs.store(0);
}

} // namespace Clock
