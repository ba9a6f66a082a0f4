#include "IdleLock.h"

#include "Clock.h"
#include "RootViewController.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

IdleLock::IdleLock(RootViewController* root, QObject* parent)
    : QObject(parent)
    , m_root(root)
    , m_lastActivityMs(Clock::nowMs()) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &IdleLock::check);
    m_tick.start();
}

int IdleLock::idleMinutes() {
    const QString key = QStringLiteral("cc_idleLockMinutes");
    // Absent or unreadable: the default; a typing error must not switch the lock off.
    bool ok = false;
    const qint64 minutes = UserDefaults::standard().objectForKey(key).toString().trimmed().toLongLong(&ok);
    return ok ? int(std::clamp<qint64>(minutes, 0, 24 * 60)) : kDefaultMinutes;
}

void IdleLock::userActivity() {
    m_lastActivityMs = Clock::nowMs();
}

void IdleLock::check() {
    if (!m_root || !m_root->isLoggedIn())
        return;
    const int minutes = idleMinutes();
    if (minutes <= 0 || Clock::nowMs() - m_lastActivityMs < qint64(minutes) * 60 * 1000)
        return;
    if (m_root->holdsIdleLock())
        return;
    m_root->doIdleLock(minutes);
    emit locked();
}

bool IdleLock::eventFilter(QObject* watched, QEvent* event) {
    // Each input event reaches its window first: looking there alone sees every one once.
    if (watched->isWindowType()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::InputMethod:
            userActivity();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
