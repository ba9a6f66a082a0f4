#pragma once
// The login screen: couples a fresh tablet (organisation login, device profile, initial download,
// location) and then lets the staff of the chosen location log in by their tile, administrators with
// their password. Main thread; owned by its QObject parent (the shell), created anew after each logout.
#include "DeviceSelectionViewController.h"
#include "Entities.h"
#include "SchoolChangerViewController.h"
#include "ScreenController.h"
#include "ServerAddress.h"

#include <QAbstractListModel>
#include <QPointer>

class DataAccessObject;
class MainSynchroObject;

// The staff tiles: all staff of the location, narrowed by a search text that ignores case and accents.
class LeerkrachtenModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Roles { NameRole = Qt::UserRole + 1, PhotoRole, IsAdminRole };

    explicit LeerkrachtenModel(QObject* parent = nullptr);

    // Replaces allLeerkrachten; photo addresses are resolved against base (the server's address).
    void setAllLeerkrachten(const QList<Users*>& users, const QUrl& base);
    // Empty: everyone; otherwise staff whose first or last name contains the text, case and accents ignored.
    void setSearchText(const QString& text);
    QString searchText() const { return m_searchText; }
    // The staff member behind a shown tile, or nullptr.
    Users* userAt(int row) const;
    int count() const { return int(m_shown.size()); }
    int allCount() const { return int(m_all.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    struct Tile {
        Users* user = nullptr;
        QString name;
        QString photo;
        bool isAdmin = false;
        QString foldedFirst;
        QString foldedLast;
    };
    void applyFilter();

    QList<Tile> m_all;
    QList<Tile> m_shown;
    QString m_searchText;
};

class LoginViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString stateName READ stateName NOTIFY stateChanged)
    // The grid with its location button and search bar is on screen (also behind sheets and popovers).
    Q_PROPERTY(bool gridVisible READ gridVisible NOTIFY stateChanged)
    Q_PROPERTY(bool panelVisible READ panelVisible NOTIFY stateChanged)
    // The grid waits for the server (coupling calls under way).
    Q_PROPERTY(bool busy READ busy NOTIFY stateChanged)
    Q_PROPERTY(LeerkrachtenModel* leerkrachten READ leerkrachten CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE searchBarTextDidChange NOTIFY searchTextChanged)
    Q_PROPERTY(QString locationButtonTitle READ locationButtonTitle NOTIFY locationChanged)
    Q_PROPERTY(QString geselecteerdeSchoolId READ geselecteerdeSchoolId NOTIFY locationChanged)
    Q_PROPERTY(QString lastOrganisationId READ lastOrganisationId NOTIFY lastOrganisationIdChanged)
    // The password panel: name field (tag 1) and password field (tag 2).
    Q_PROPERTY(QString userName READ userName WRITE setUserName NOTIFY userNameChanged)
    Q_PROPERTY(QString passwordText READ passwordText WRITE setPasswordText NOTIFY passwordTextChanged)
    Q_PROPERTY(bool userNameEditable READ userNameEditable NOTIFY panelChanged)
    Q_PROPERTY(QString userNamePlaceholder READ userNamePlaceholder NOTIFY panelChanged)
    // Headline and hint of the panel: the coupling explanation, or empty for a staff member.
    Q_PROPERTY(QString panelTitle READ panelTitle NOTIFY panelChanged)
    Q_PROPERTY(QString panelHint READ panelHint NOTIFY panelChanged)
    // Which field should hold the keyboard focus: 0 none, 1 name, 2 password.
    Q_PROPERTY(int focusField READ focusField NOTIFY focusFieldChanged)
    // The open sheet and popover, or null.
    Q_PROPERTY(
        DeviceSelectionViewController* deviceSelection READ deviceSelection NOTIFY deviceSelectionChanged)
    Q_PROPERTY(SchoolChangerViewController* schoolChanger READ schoolChanger NOTIFY schoolChangerChanged)
    // Why the grid is on screen when the idle lock brought it, or empty.
    Q_PROPERTY(QString lockReason READ lockReason NOTIFY lockReasonChanged)
    // The server address step of a first start without a known address, or null.
    Q_PROPERTY(ServerAddressStep* serverAddress READ serverAddress NOTIFY stateChanged)

public:
    enum State {
        OrganisationLogin, // panel without staff member: organisation name and password
        Connecting,        // waiting for the organisation or the device profiles
        DeviceSelection,   // the profile sheet is open
        Downloading,       // named; waiting for the locations
        LocationSelection, // the location popover is open
        StaffGrid,
        StaffPassword, // panel for an administrator
        LoggedIn,
        ServerAddressEntry, // no server known yet: its address is asked for before the organisation login
    };
    Q_ENUM(State)

    static constexpr int kConnecteerTag = 1;
    static constexpr int kNotFoundTag = 2;
    static constexpr int kNameNotSavedTag = 3;
    static constexpr int kPasswordMessageMs = 3000;

    // Reads the stored organisation and location and starts in the matching state; a coupled tablet
    // fetches the organisation and the locations again in the background.
    LoginViewController(MainSynchroObject* engine, DataAccessObject* dao, QObject* parent = nullptr);
    ~LoginViewController() override;

    State state() const { return m_state; }
    QString stateName() const;
    bool gridVisible() const;
    bool panelVisible() const { return m_state == OrganisationLogin || m_state == StaffPassword; }
    bool busy() const { return m_state == Connecting || m_state == Downloading; }
    LeerkrachtenModel* leerkrachten() const { return m_leerkrachten; }
    QString searchText() const { return m_leerkrachten->searchText(); }
    QString locationButtonTitle() const;
    QString geselecteerdeSchoolId() const { return m_geselecteerdeSchoolId; }
    QString geselecteerdeSchoolNaam() const { return m_geselecteerdeSchoolNaam; }
    QString lastOrganisationId() const { return m_lastOrganisationId; }
    QString userName() const { return m_userName; }
    void setUserName(const QString& text);
    QString passwordText() const { return m_passwordText; }
    void setPasswordText(const QString& text);
    bool userNameEditable() const { return m_state != StaffPassword; }
    QString userNamePlaceholder() const;
    QString panelTitle() const;
    QString panelHint() const;
    int focusField() const { return m_focusField; }
    DeviceSelectionViewController* deviceSelection() const;
    SchoolChangerViewController* schoolChanger() const;
    ServerAddressStep* serverAddress() const { return m_serverAddress; }

    bool isCoupled() const { return !m_lastOrganisationId.isEmpty(); }

    // A tile was tapped: an administrator gets the password panel, anyone else is logged in at once.
    Q_INVOKABLE void gridViewDidSelectItemAtIndex(int index);
    // The panel's "OK": the organisation login while not coupled, else the staff login.
    Q_INVOKABLE void doLogin();
    // The panel's "Annuleer".
    Q_INVOKABLE void cancelLogin();
    // A field of the panel got the focus: its text is cleared. tag 1 name, 2 password.
    Q_INVOKABLE void textFieldDidBeginEditing(int tag);
    Q_INVOKABLE void searchBarTextDidChange(const QString& text);
    // The location button: opens the location list (only while the button is on screen).
    Q_INVOKABLE void showSchools();
    // The location popover was dismissed without a choice.
    Q_INVOKABLE void closeSchools();
    // Reloads the grid for the chosen location and hides the panel.
    Q_INVOKABLE void refreshLeraars();

    void showUserLoginForCoupling();
    void showUserNameAndPasswordField(Users* user);
    void showOrganisationFound();
    void organisationLoaded();
    void deviceChoiceDialog();
    void deviceSelected(const QString& name);
    void startInitieleSynchro();
    void entitiesLoaded();
    void schoolSelected(const QString& name, const QString& entityId);

    void alertViewClickedButtonAtIndex(int tag, int index) override;

    QString lockReason() const { return m_lockReason; }
    // This screen came because nobody touched the tablet for that many minutes.
    void setLockedAfterMinutes(int minutes);

signals:
    // A staff member's login was accepted: they are sharedUsers and the login's defaults are written.
    void userLoggedIn(Users* user);
    void stateChanged();
    void searchTextChanged();
    void locationChanged();
    void lastOrganisationIdChanged();
    void userNameChanged();
    void passwordTextChanged();
    void panelChanged();
    // Also re-sent with an unchanged field when the view must put the focus back (after a refused password).
    void focusFieldChanged();
    // A location was picked from the list: its staff now fill the grid.
    void locationChosen();
    void deviceSelectionChanged();
    void schoolChangerChanged();
    void lockReasonChanged();

private:
    void setState(State state);
    void setFocusField(int field);
    void setLastOrganisationId(const QString& id);
    void doCoupling();
    void doStaffLogin();
    void showConnecteerExplanation();
    void readChosenLocation();
    void closeDeviceSelection();
    void engineGetsChanged();
    bool fromOwnEngine(QObject* sender) const;
    bool serverKnown() const;
    void askServerAddress();

    QPointer<MainSynchroObject> m_engine;
    DataAccessObject* m_dao;
    LeerkrachtenModel* m_leerkrachten;
    State m_state = OrganisationLogin;
    State m_stateBeforeSchools = StaffGrid;
    QString m_lastOrganisationId;
    QString m_geselecteerdeSchoolId;
    QString m_geselecteerdeSchoolNaam;
    QString m_userName;
    QString m_passwordText;
    int m_focusField = 0;
    QPointer<DeviceSelectionViewController> m_deviceSelection;
    QPointer<SchoolChangerViewController> m_schoolChanger;
    QString m_lockReason;
    QPointer<ServerAddressStep> m_serverAddress;
};
