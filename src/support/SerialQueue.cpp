#include "SerialQueue.h"

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {
// A lower share of the processor for this thread only (Linux threads have their own nice value).
void lowerThisThreadsPriority() {
#ifdef Q_OS_LINUX
    thread_local bool done = false;
    if (!done) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
        done = true;
    }
#endif
}
} // namespace

SerialQueue::SerialQueue(const QString& label, bool background)
    : m_label(label)
    , m_background(background) {
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1); // one long-lived thread keeps its store context
    m_pool.setObjectName(label);
}

SerialQueue::~SerialQueue() {
    m_pool.waitForDone();
}

void SerialQueue::async(std::function<void()> task) {
    if (!m_background) {
        m_pool.start(std::move(task));
        return;
    }
    m_pool.start([task = std::move(task)] {
        lowerThisThreadsPriority();
        task();
    });
}

bool SerialQueue::waitForDone(int msecs) {
    return m_pool.waitForDone(msecs);
}
