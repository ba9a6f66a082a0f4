#include "Kiosk.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "Log.h"
#include "ScreenSaverInhibitor.h"
#include "SecurityCentral.h"
#include "UserDefaults.h"

#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>

bool Kiosk::isSetIn(const UserDefaults& settings) {
    const QString value = settings.stringForKey(QLatin1String(kSettingKey)).trimmed().toLower();
    return value == QLatin1String("true") || value == QLatin1String("1");
}

Kiosk::Kiosk(std::function<DataAccessObject*()> store, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_screenOn(new ScreenSaverInhibitor(QStringLiteral("Attendance kiosk"), this)) {
    if (!m_screenOn->isActive())
        CC_LOG(QStringLiteral("the screen saver is not held off: %1").arg(m_screenOn->problem()));
}

Kiosk::~Kiosk() = default;

bool Kiosk::screenKeptOn() const {
    return m_screenOn->isActive();
}

void Kiosk::setPasswordText(const QString& text) {
    if (text == m_passwordText)
        return;
    m_passwordText = text;
    emit passwordTextChanged();
}

void Kiosk::setExitAsked(bool asked) {
    if (asked == m_exitAsked)
        return;
    m_exitAsked = asked;
    emit exitAskedChanged();
}

void Kiosk::setProblem(const QString& text) {
    if (text == m_problem)
        return;
    m_problem = text;
    emit problemChanged();
}

bool Kiosk::knowsAdministrators() const {
    DataAccessObject* dao = m_store ? m_store() : nullptr;
    if (!dao)
        return false;
    const QList<Users*> users = dao->loadUsers();
    return std::any_of(users.cbegin(), users.cend(),
                       [](const Users* u) { return u->isAdmin() == 1 && !u->passwordHash().isEmpty(); });
}

bool Kiosk::isAdministratorPassword(const QString& password) const {
    DataAccessObject* dao = m_store ? m_store() : nullptr;
    if (!dao || password.isEmpty())
        return false;
    const QList<Users*> users = dao->loadUsers();
    return std::any_of(users.cbegin(), users.cend(), [&password](const Users* u) {
        return u->isAdmin() == 1 && SecurityCentral::checkUser(*u, password);
    });
}

void Kiosk::coverScreen(QWindow* window) {
    if (!window || !window->screen())
        return;
    const auto cover = [w = QPointer<QWindow>(window)] {
        if (w && w->screen())
            w->setGeometry(w->screen()->geometry());
    };
    cover();
    connect(window->screen(), &QScreen::geometryChanged, window, cover);
}

bool Kiosk::mayClose() {
    // Before coupling the tablet holds nothing to protect, and nobody could give a password.
    if (m_allowed || !knowsAdministrators())
        return true;
    setPasswordText(QString());
    setProblem(QString());
    setExitAsked(true);
    return false;
}

void Kiosk::cancelExit() {
    setPasswordText(QString());
    setProblem(QString());
    setExitAsked(false);
}

void Kiosk::confirmExit() {
    if (!isAdministratorPassword(m_passwordText)) {
        setPasswordText(QString());
        setProblem(tr("Gelieve het correcte paswoord in te geven."));
        return;
    }
    CC_LOG(QStringLiteral("the kiosk was left with an administrator's password"));
    m_allowed = true;
    setPasswordText(QString());
    setExitAsked(false);
    emit leave();
}
