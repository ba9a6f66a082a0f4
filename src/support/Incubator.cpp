#include "Incubator.h"

Incubator::Incubator(QObject* parent)
    : QObject(parent) {
    // Every pass of the event loop, while anything waits to be created: whatever else is queued runs
    // between two slices.
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] { incubateFor(kSliceMs); });
}

void Incubator::incubatingObjectCountChanged(int count) {
    if (count > 0 && !m_timer.isActive())
        m_timer.start();
    else if (count == 0)
        m_timer.stop();
}
