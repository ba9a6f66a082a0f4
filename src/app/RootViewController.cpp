#include "RootViewController.h"

#include "Clock.h"
#include "CreateBoodschapViewController.h"
#include "DataAccessObject.h"
#include "DialogRequests.h"
#include "Entities.h"
#include "Log.h"
#include "LoginViewController.h"
#include "MainSynchroObject.h"
#include "MenuViewController.h"
#include "NotificationCenter.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "UserDefaults.h"
#include "Util.h"
#include "closeout/CloseOutViewController.h"

#include <algorithm>

RootViewController::RootViewController(MainSynchroObject* engine, DataAccessObject* dao, QObject* parent,
                                       LoginFactory loginFactory)
    : QObject(parent)
    , m_engine(engine)
    , m_dao(dao)
    , m_loginFactory(std::move(loginFactory))
    , m_dialogs(new DialogRequests(this)) {
    if (!m_loginFactory) {
        m_loginFactory = [](RootViewController* root) -> ScreenController* {
            auto* login = new LoginViewController(root->m_engine, root->m_dao);
            connect(login, &LoginViewController::userLoggedIn, root, &RootViewController::doLoginForUser);
            return login;
        };
    }

    // The engine's alerts and overlay are shown over everything, and answered back to the engine.
    if (m_engine) {
        connect(m_engine, &MainSynchroObject::alertRequested, m_dialogs, &DialogRequests::alert);
        connect(
            m_engine, &MainSynchroObject::overlayRequested, m_dialogs,
            [this](const QString& label, const QString& detail) { m_dialogs->showOverlay(label, detail); });
        connect(m_engine, &MainSynchroObject::overlayHidden, m_dialogs, &DialogRequests::hideOverlay);
        connect(m_dialogs, &DialogRequests::answered, m_engine,
                &MainSynchroObject::alertViewClickedButtonAtIndex);
    }

    UserDefaults::standard().synchronize();
    showNewLoginScreen();
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("logout"),
                                                    [this](const Notification&) { requestLogout(); });
    connect(m_dialogs, &DialogRequests::answered, this, [this](int tag, int index) {
        if (tag == kLogoutReminderTag)
            logoutReminderAnswered(index);
    });
}

RootViewController::~RootViewController() {
    // Children go before the engine and the store they use.
    delete m_menuViewController;
    delete m_stackScrollViewController;
    delete m_loginViewController;
}

QObject* RootViewController::loginViewController() const {
    return m_loginViewController;
}

void RootViewController::showNewLoginScreen() {
    if (m_loginViewController)
        return;
    ScreenController* login = m_loginFactory(this);
    if (login)
        login->setParent(this);
    m_loginViewController = login;
    emit loginViewControllerChanged();
}

void RootViewController::removeLoginScreen() {
    if (!m_loginViewController)
        return;
    // Called from the login screen's own signal: it goes once that call has returned.
    m_loginViewController->deleteLater();
    m_loginViewController = nullptr;
    emit loginViewControllerChanged();
}

void RootViewController::setCanrotate(bool value) {
    if (value == m_canrotate)
        return;
    m_canrotate = value;
    emit canrotateChanged();
}

void RootViewController::save(const char* where) {
    QString error;
    if (m_dao && !m_dao->context()->save(&error))
        CC_LOG(QStringLiteral("error %1 (%2)").arg(error, QLatin1String(where)));
}

bool RootViewController::write(const char* where, const std::function<void()>& work) {
    if (!m_dao) {
        work();
        return true;
    }
    Context* context = m_dao->context();
    if (context->isWriting()) {
        work();
        return true;
    }
    QString error;
    if (context->performWrite(work, &error))
        return true;
    CC_LOG(QStringLiteral("error %1 (%2)").arg(error, QLatin1String(where)));
    context->rollback(); // nothing of it may ride along with a later save
    return false;
}

void RootViewController::doLoginForUser(Users* user) {
    if (!user || !m_dao)
        return;
    if (!Users::sharedUsers())
        Users::setSharedUsers(user);
    Users* current = Users::sharedUsers();
    m_loggedInUserId = current->userId();
    m_loggedInEntityId = current->entityId();

    // An administrator sees the registrations from the beginning again at the next refresh.
    if (current->isAdmin() == 1) {
        const Organisation* organisation = m_dao->loadOrganisation();
        for (const QString& id : {QStringLiteral("timeregistrationFor") + user->entityId(),
                                  QStringLiteral("timeregistrationForOrg") +
                                      (organisation ? organisation->organisationId() : QString())})
            if (GetSynchroObject* g = m_dao->loadGetSynchroObjectById(id))
                g->setLastSyncTime(QStringLiteral("0000"));
        save("doLoginForUser");
    }
    // Fresh data, the staff member clocked in, and their status brought up to date.
    if (m_engine)
        m_engine->checkForUpdates();
    postUserRegistrationWithType(QStringLiteral("In"));
    current->updateIngeschrevenStatus();
    save("doLoginForUser");

    // The menu and panels take over from the login screen.
    setCanrotate(true);
    removeLoginScreen();
    addMainView();
}

UserRegistration* RootViewController::postUserRegistrationWithType(const QString& type) {
    const Users* user = Users::sharedUsers();
    if (!user)
        return nullptr;
    return postUserRegistrationWithType(type, user->userId());
}

UserRegistration* RootViewController::postUserRegistrationWithType(const QString& type,
                                                                   const QString& userId) {
    const Users* user = Users::sharedUsers();
    return postUserRegistrationWithType(type, userId, user ? user->entityId() : QString());
}

UserRegistration* RootViewController::postUserRegistrationWithType(const QString& type, const QString& userId,
                                                                   const QString& entityId) {
    if (!m_dao)
        return nullptr;
    const Organisation* organisation = m_dao->loadOrganisation();
    UserRegistration* registration = nullptr;
    // The registration and its queue record are stored together or not at all.
    const bool stored = write("postUserRegistrationWithType", [&] {
        registration = m_dao->context()->insertNew<UserRegistration>();
        const QString time = Util::millisText(Clock::nowMs());
        registration->setTime(time);
        registration->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
        registration->setUserId(userId);
        registration->setEntityId(entityId);
        registration->setType(type);
        registration->setExists(1);
        registration->setUserRegistrationId(time + Util::getUUID());
        registration->setOrganisationId(organisation ? organisation->organisationId() : QString());
        if (m_engine)
            m_engine->postObject(registration);
    });
    return stored ? registration : nullptr;
}

void RootViewController::addMainView() {
    if (m_menuViewController)
        return;
    m_stackScrollViewController = new StackScrollViewController(this);
    m_clockingUndo = new ClockingUndo(m_dao, m_engine, m_dialogs, this);
    ClockingUndo::setShared(m_clockingUndo);
    m_menuViewController = new MenuViewController(m_engine, m_dao, m_stackScrollViewController, this);
    emit mainViewChanged();
    NotificationCenter::defaultCenter().post(QStringLiteral("fakeMenuChoice"), this,
                                             {{QStringLiteral("key"), 0}});
}

void RootViewController::removeMainView() {
    if (!m_menuViewController)
        return;
    MenuViewController* menu = m_menuViewController;
    StackScrollViewController* stack = m_stackScrollViewController;
    // Nobody may take back a clocking of the session that ended.
    ClockingUndo* undo = m_clockingUndo;
    m_menuViewController = nullptr;
    m_stackScrollViewController = nullptr;
    m_clockingUndo = nullptr;
    undo->dismiss();
    emit mainViewChanged();
    // "logout" comes from a button inside a panel: the panels go once that call has returned.
    menu->close();
    menu->deleteLater();
    stack->deleteLater();
    undo->deleteLater();
}

void RootViewController::doLogout() {
    // The clock-out is stored first (registration, queue record and status together): when the disk
    // refuses it, the staff member stays logged in and is told, so nothing is silently left undone.
    const bool stored = write("doLogout", [&] {
        if (Users* user = Users::sharedUsers()) {
            // Clocked out even when not clocked in.
            user->setIngeschrevenStatus(QString());
            postUserRegistrationWithType(QStringLiteral("Out"));
            user->updateIngeschrevenStatus();
        } else if (!m_loggedInUserId.isEmpty()) {
            // A wiped store took the record along: the server must still learn that they left.
            postUserRegistrationWithType(QStringLiteral("Out"), m_loggedInUserId, m_loggedInEntityId);
        }
    });
    if (!stored) {
        m_dialogs->alert(tr("Opgepast"),
                         tr("De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw."),
                         {tr("OK")});
        return;
    }
    m_loggedInUserId.clear();
    m_loggedInEntityId.clear();

    // 1.
    setCanrotate(false);
    removeMainView();
    showNewLoginScreen();

    CreateBoodschapViewController::forgetKeptDrafts(); // the next person starts with empty editors

    // The view fades the new login screen in.
    doCleanUp();
}

void RootViewController::requestLogout() {
    const SharedUserInfo user = Users::sharedUserInfo();
    if (!m_dao || !isLoggedIn() || Clock::now().toLocalTime().time() < reminderFrom()) {
        doLogout();
        return;
    }
    // The one logging out is clocked out by the logout itself.
    const CloseOutViewController::OpenItems open =
        CloseOutViewController::openItems(*m_dao, user.entityId, user.present ? user.userId : QString());
    if (!open.any()) {
        doLogout();
        return;
    }
    QStringList buttons{tr("Annuleer"), tr("Afmelden")};
    if (user.isAdmin)
        buttons << tr("Dag afsluiten");
    m_dialogs->alert(tr("Dag afsluiten?"),
                     tr("Er is nog iets open voor vandaag:") + QLatin1Char('\n') +
                         CloseOutViewController::openItemsLines(open).join(QLatin1Char('\n')),
                     buttons, kLogoutReminderTag);
}

void RootViewController::logoutReminderAnswered(int index) {
    if (index == 1)
        doLogout();
    else if (index == 2 && m_menuViewController)
        m_menuViewController->tableViewDidSelectRowAtIndexPath(MenuViewController::Afsluiten);
}

QList<ScreenController*> RootViewController::screensInStack() const {
    QList<ScreenController*> screens;
    if (!m_stackScrollViewController)
        return screens;
    for (QObject* panel : m_stackScrollViewController->viewControllersStack()) {
        if (auto* screen = qobject_cast<ScreenController*>(panel))
            screens << screen;
        if (panel)
            screens << panel->findChildren<ScreenController*>();
    }
    return screens;
}

bool RootViewController::holdsIdleLock() const {
    // The roll is read at the gathering point, often untouched for minutes.
    if (m_menuViewController && m_menuViewController->emergencyRoll())
        return true;
    const QList<ScreenController*> screens = screensInStack();
    return std::any_of(screens.cbegin(), screens.cend(),
                       [](const ScreenController* s) { return s->holdsIdleLock(); });
}

void RootViewController::doIdleLock(int minutes) {
    if (!isLoggedIn())
        return;
    for (ScreenController* screen : screensInStack())
        screen->prepareForIdleLock();
    setCanrotate(false);
    removeMainView();
    if (StackScrollViewAppDelegate* app = StackScrollViewAppDelegate::instance()) {
        if (SelectieLijst* children = app->geselecteerden())
            children->removeAllObjects();
        if (SelectieLijst* staff = app->userGeselecteerden())
            staff->removeAllObjects();
    }
    showNewLoginScreen();
    if (auto* login = qobject_cast<LoginViewController*>(m_loginViewController.data()); login && minutes > 0)
        login->setLockedAfterMinutes(minutes);
    emit idleLocked();
}

void RootViewController::doCleanUp() {
    if (m_engine)
        m_engine->doCleanUp();
}
