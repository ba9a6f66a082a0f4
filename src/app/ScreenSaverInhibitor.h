#pragma once
// Keeps the screen on while it lives: asks the desktop's screen saver (the freedesktop ScreenSaver
// interface on the session bus) to hold off, and lets it go again when destroyed. Without a session
// bus or such a service nothing is held and nothing fails. Main thread.
#include <QObject>
#include <QString>

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(const QString& reason, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // The screen saver agreed to hold off.
    bool isActive() const { return m_active; }
    // Why it is not, for the log; empty when it is.
    QString problem() const { return m_problem; }

private:
    quint32 m_cookie = 0;
    bool m_active = false;
    QString m_problem;
};
