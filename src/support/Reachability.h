#pragma once
// Whether the network is reachable. When the platform cannot tell (no backend, or "unknown"), the
// network counts as determined and reachable: the HTTP layer reports real failures. Main thread.
#include <QObject>

class Reachability : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isDetermined() const = 0;
    virtual bool isReachable() const = 0;

signals:
    void reachabilityChanged(bool reachable);
};

// The platform's view, through QNetworkInformation.
class SystemReachability : public Reachability {
    Q_OBJECT
public:
    explicit SystemReachability(QObject* parent = nullptr);
    bool isDetermined() const override { return true; }
    bool isReachable() const override;
};

// Set by hand (tests, a tablet forced offline).
class ManualReachability : public Reachability {
    Q_OBJECT
public:
    explicit ManualReachability(bool reachable = true, bool determined = true, QObject* parent = nullptr)
        : Reachability(parent)
        , m_reachable(reachable)
        , m_determined(determined) {}
    bool isDetermined() const override { return m_determined; }
    bool isReachable() const override { return m_reachable; }
    void setReachable(bool reachable) {
        if (reachable == m_reachable)
            return;
        m_reachable = reachable;
        emit reachabilityChanged(reachable);
    }
    void setDetermined(bool determined) { m_determined = determined; }

private:
    bool m_reachable;
    bool m_determined;
};
