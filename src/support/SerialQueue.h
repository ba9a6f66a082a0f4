#pragma once
// A serial background queue: tasks run one after the other, in order, on one worker thread.
// Owned by whoever creates it; the destructor waits for the queued tasks.
#include <QString>
#include <QThreadPool>
#include <functional>

class SerialQueue {
public:
    // background: the worker yields to the main thread when both want the processor.
    explicit SerialQueue(const QString& label, bool background = false);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    QString label() const { return m_label; }
    void async(std::function<void()> task);
    // Blocks until every queued task has run (tests, shutdown).
    bool waitForDone(int msecs = -1);

private:
    QString m_label;
    bool m_background = false;
    QThreadPool m_pool;
};
