#include "ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
constexpr int kTimeoutMs = 2000; // a start never waits long on a desktop that does not answer
} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString& reason, QObject* parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_problem = QStringLiteral("no session bus");
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Inhibit"));
    call << QStringLiteral("kinderopvang") << reason;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_problem = reply.errorMessage();
        return;
    }
    m_cookie = reply.arguments().constFirst().toUInt();
    m_active = true;
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    if (!m_active)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("UnInhibit"));
    call << m_cookie;
    QDBusConnection::sessionBus().send(call);
}
