#pragma once
// The root screen: the login screen while nobody is logged in, the menu column and the panel stack
// after login. Carries out logging in (refresh, staff clock-in, status) and logging out (staff
// clock-out, clean-up of the store) and shows the engine's alerts and progress overlay.
// Main thread; owned by the application delegate; owns the login screen, the menu and the stack.
#include "ClockingUndo.h"
#include "DialogRequests.h"
#include "MenuViewController.h"
#include "StackScrollViewController.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTime>
#include <functional>

class DataAccessObject;
class MainSynchroObject;
class ScreenController;
class UserRegistration;
class Users;

class RootViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* loginViewController READ loginViewController NOTIFY loginViewControllerChanged)
    Q_PROPERTY(MenuViewController* menuViewController READ menuViewController NOTIFY mainViewChanged)
    Q_PROPERTY(StackScrollViewController* stackScrollViewController READ stackScrollViewController NOTIFY
                   mainViewChanged)
    Q_PROPERTY(bool loggedIn READ isLoggedIn NOTIFY mainViewChanged)
    // The undo bar of the logged-in session, under the panels; null while nobody is logged in.
    Q_PROPERTY(ClockingUndo* clockingUndo READ clockingUndo NOTIFY mainViewChanged)
    Q_PROPERTY(bool canrotate READ canrotate NOTIFY canrotateChanged)
    Q_PROPERTY(DialogRequests* dialogs READ dialogs CONSTANT)
public:
    // Makes a login screen whose successful login ends in root->doLoginForUser.
    using LoginFactory = std::function<ScreenController*(RootViewController* root)>;

    // Shows a new login screen at once. loginFactory empty: the app's login screen.
    RootViewController(MainSynchroObject* engine, DataAccessObject* dao, QObject* parent = nullptr,
                       LoginFactory loginFactory = {});
    ~RootViewController() override;

    QObject* loginViewController() const;
    MenuViewController* menuViewController() const { return m_menuViewController; }
    StackScrollViewController* stackScrollViewController() const { return m_stackScrollViewController; }
    bool isLoggedIn() const { return m_menuViewController != nullptr; }
    ClockingUndo* clockingUndo() const { return m_clockingUndo; }
    bool canrotate() const { return m_canrotate; }
    DialogRequests* dialogs() const { return m_dialogs; }

    // The login steps for the staff member the login screen accepted (and set as Users::sharedUsers):
    // an administrator's registrations are fetched from the beginning again, a refresh starts, the staff
    // member is clocked in, their status recomputed, and the main view replaces the login screen.
    void doLoginForUser(Users* user);
    // Clocks the logged-in staff member in ("In") or out ("Out"); nothing when nobody is logged in.
    UserRegistration* postUserRegistrationWithType(const QString& type);
    // Creates one staff registration for userId (at the logged-in staff member's location) and hands it
    // to the engine's queue, which stores, locks and sends it.
    UserRegistration* postUserRegistrationWithType(const QString& type, const QString& userId);
    // The same at the given location (the logged-in staff member's record may be gone with a wiped store).
    UserRegistration* postUserRegistrationWithType(const QString& type, const QString& userId,
                                                   const QString& entityId);
    // On "logout": back to a new login screen, the staff member clocked out, the store cleaned. The
    // staff member who logged in is clocked out even when the store was wiped since. When the clock-out
    // cannot be stored the staff member stays logged in and an alert says so: logging out again retries.
    void doLogout();
    // What "logout" asks for: after 17:00 with children or staff still clocked in or changes not
    // answered, a reminder first (stay, log out anyway, or, for administrators, the close-out screen);
    // otherwise doLogout at once.
    void requestLogout();
    // The reminder's tag in dialogs(); its buttons are "Annuleer", "Afmelden" and, for
    // administrators, "Dag afsluiten".
    static constexpr int kLogoutReminderTag = 61;
    static QTime reminderFrom() { return QTime(17, 0); }
    // After a time without any touch: back to a new login screen with both selections emptied. Not a
    // logout: nobody is clocked out and nothing is cleaned; the screens keep what must survive first
    // (a message being written). Nothing when nobody is logged in. The login grid says it was locked
    // after `minutes` (when more than 0).
    void doIdleLock(int minutes = 0);
    // Whether a screen in the panel stack is in the middle of something that must finish first.
    bool holdsIdleLock() const;
    // Purges answered queue records past their keeping time and unlocked records of earlier days.
    void doCleanUp();
    // Builds the menu and the panel stack and opens the first menu entry.
    void addMainView();

signals:
    void loginViewControllerChanged();
    void mainViewChanged();
    void canrotateChanged();
    void idleLocked();

private:
    void showNewLoginScreen();
    void removeLoginScreen();
    void removeMainView();
    void setCanrotate(bool value);
    void logoutReminderAnswered(int index);
    void save(const char* where);
    // Runs work in one write of the store (or in the write already open); false, with the context's
    // changes rolled back, when it could not be stored.
    bool write(const char* where, const std::function<void()>& work);
    // Every screen of the panel stack and every screen inside one (popovers, pickers).
    QList<ScreenController*> screensInStack() const;

    QPointer<MainSynchroObject> m_engine;
    DataAccessObject* m_dao;
    LoginFactory m_loginFactory;
    QPointer<ScreenController> m_loginViewController;
    MenuViewController* m_menuViewController = nullptr;
    StackScrollViewController* m_stackScrollViewController = nullptr;
    ClockingUndo* m_clockingUndo = nullptr;
    bool m_canrotate = false;
    DialogRequests* m_dialogs;
    QString m_loggedInUserId; // who doLoginForUser logged in, for the clock-out
    QString m_loggedInEntityId;
};
