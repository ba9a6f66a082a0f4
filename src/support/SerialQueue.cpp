#include "SerialQueue.h"

SerialQueue::SerialQueue(const QString& label)
    : m_label(label)
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1); // one long-lived thread keeps its store context
    m_pool.setObjectName(label);
}

SerialQueue::~SerialQueue() { m_pool.waitForDone(); }

void SerialQueue::async(std::function<void()> task) { m_pool.start(std::move(task)); }

bool SerialQueue::waitForDone(int msecs) { return m_pool.waitForDone(msecs); }
