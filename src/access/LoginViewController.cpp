#include "LoginViewController.h"

#include "DataAccessObject.h"
#include "DeviceSelectionViewController.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "ObjectManager.h"
#include "Resources.h"
#include "SchoolChangerViewController.h"
#include "SecurityCentral.h"
#include "TextKeys.h"
#include "UserDefaults.h"

#include <QMetaMethod>
#include <algorithm>

namespace {
const QString kIpadNaam = QStringLiteral("cc_ipadNaam");
const QString kCoupleLogin = QStringLiteral("cc_coupleLogin");
const QString kCoupleHash = QStringLiteral("cc_coupleHash");
const QString kSchoolId = QStringLiteral("geselecteerdeschoolId");
const QString kSchoolNaam = QStringLiteral("geselecteerdeschoolNaam");

bool tabletHasName() {
    return !UserDefaults::standard().stringForKey(kIpadNaam).isEmpty();
}
} // namespace

// ------------------------------------------------------------------ staff tiles

LeerkrachtenModel::LeerkrachtenModel(QObject* parent)
    : QAbstractListModel(parent) {}

void LeerkrachtenModel::setAllLeerkrachten(const QList<Users*>& users, const QUrl& base) {
    QList<Tile> all;
    all.reserve(users.size());
    for (Users* u : users) {
        Tile t;
        t.user = u;
        t.name = QStringLiteral("%1 %2").arg(u->first_name(), u->last_name());
        const QString image = u->image().trimmed();
        if (!image.isEmpty())
            t.photo = (base.isValid() ? base.resolved(QUrl(image)) : QUrl(image)).toString();
        t.isAdmin = u->isAdmin() == 1;
        t.foldedFirst = TextKeys::fold(u->first_name());
        t.foldedLast = TextKeys::fold(u->last_name());
        all.append(t);
    }
    // Periodic refreshes mostly bring the same staff: keep the grid (and its scroll position) then.
    const auto same = [](const Tile& a, const Tile& b) {
        return a.user == b.user && a.name == b.name && a.photo == b.photo && a.isAdmin == b.isAdmin;
    };
    if (std::equal(all.cbegin(), all.cend(), m_all.cbegin(), m_all.cend(), same))
        return;
    m_all = all;
    applyFilter();
}

void LeerkrachtenModel::setSearchText(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    applyFilter();
}

void LeerkrachtenModel::applyFilter() {
    const int before = count();
    const QString needle = TextKeys::fold(m_searchText);
    beginResetModel();
    if (needle.isEmpty()) {
        m_shown = m_all;
    } else {
        m_shown.clear();
        for (const Tile& t : std::as_const(m_all))
            if (t.foldedFirst.contains(needle) || t.foldedLast.contains(needle))
                m_shown.append(t);
    }
    endResetModel();
    if (count() != before)
        emit countChanged();
}

Users* LeerkrachtenModel::userAt(int row) const {
    return row >= 0 && row < m_shown.size() ? m_shown.at(row).user : nullptr;
}

int LeerkrachtenModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant LeerkrachtenModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Tile& t = m_shown.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return t.name;
    case PhotoRole:
        return t.photo;
    case IsAdminRole:
        return t.isAdmin;
    default:
        return {};
    }
}

QHash<int, QByteArray> LeerkrachtenModel::roleNames() const {
    return {{NameRole, "name"}, {PhotoRole, "photo"}, {IsAdminRole, "isAdmin"}};
}

// ------------------------------------------------------------------ screen

LoginViewController::LoginViewController(MainSynchroObject* engine, DataAccessObject* dao, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("access/qml/LoginView.qml")), QString(), parent)
    , m_engine(engine)
    , m_dao(dao)
    , m_leerkrachten(new LeerkrachtenModel(this)) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("showDevices"), [this](const Notification& n) {
        if (fromOwnEngine(n.object))
            deviceChoiceDialog();
    });
    center.addObserver(this, QStringLiteral("organisationLoaded"), [this](const Notification& n) {
        if (fromOwnEngine(n.object))
            organisationLoaded();
    });
    center.addObserver(this, QStringLiteral("entitiesLoaded"), [this](const Notification& n) {
        if (fromOwnEngine(n.object))
            entitiesLoaded();
    });
    center.addObserver(this, QStringLiteral("usersLoaded"), [this](const Notification& n) {
        if (fromOwnEngine(n.object))
            engineGetsChanged();
    });
    center.addObserver(this, QStringLiteral("showUserLoginForCoupling"), [this](const Notification& n) {
        if (fromOwnEngine(n.object))
            showUserLoginForCoupling();
    });
    if (m_engine) {
        // A failed coupling call ends the wait: the engine's alert takes over.
        connect(m_engine, &MainSynchroObject::alertRequested, this, [this] { dialogs()->hideOverlay(); });
        connect(m_engine, &MainSynchroObject::aantalGetsChanged, this,
                &LoginViewController::engineGetsChanged);
    }

    Organisation* organisation = m_dao ? m_dao->loadOrganisation() : nullptr;
    setLastOrganisationId(organisation ? organisation->organisationId() : QString());
    readChosenLocation();
    if (organisation)
        showOrganisationFound();
    else if (!serverKnown())
        askServerAddress();
    else
        showUserLoginForCoupling();
}

LoginViewController::~LoginViewController() = default;

bool LoginViewController::serverKnown() const {
    return !m_engine || !m_engine->objectManager() || !m_engine->objectManager()->baseUrl().isEmpty();
}

void LoginViewController::askServerAddress() {
    if (!m_serverAddress) {
        m_serverAddress = new ServerAddressStep(this);
        connect(m_serverAddress, &ServerAddressStep::accepted, this, [this](const QUrl& url) {
            if (m_engine && m_engine->objectManager())
                m_engine->objectManager()->setBaseUrl(url);
            m_serverAddress->deleteLater(); // its button's call is still on the stack
            m_serverAddress = nullptr;
            showUserLoginForCoupling();
        });
    }
    setFocusField(0);
    setState(ServerAddressEntry);
}

bool LoginViewController::fromOwnEngine(QObject* sender) const {
    return !sender || sender == m_engine.data();
}

QString LoginViewController::stateName() const {
    switch (m_state) {
    case OrganisationLogin:
        return QStringLiteral("organisationLogin");
    case Connecting:
        return QStringLiteral("connecting");
    case DeviceSelection:
        return QStringLiteral("deviceSelection");
    case Downloading:
        return QStringLiteral("downloading");
    case LocationSelection:
        return QStringLiteral("locationSelection");
    case StaffGrid:
        return QStringLiteral("staffGrid");
    case StaffPassword:
        return QStringLiteral("staffPassword");
    case LoggedIn:
        return QStringLiteral("loggedIn");
    case ServerAddressEntry:
        return QStringLiteral("serverAddress");
    }
    return QString();
}

bool LoginViewController::gridVisible() const {
    return !panelVisible() && m_state != LoggedIn && m_state != ServerAddressEntry;
}

QString LoginViewController::locationButtonTitle() const {
    return m_geselecteerdeSchoolNaam.isEmpty() ? tr("Kies een school") : m_geselecteerdeSchoolNaam;
}

void LoginViewController::setUserName(const QString& text) {
    if (text == m_userName)
        return;
    m_userName = text;
    emit userNameChanged();
}

void LoginViewController::setPasswordText(const QString& text) {
    if (text == m_passwordText)
        return;
    m_passwordText = text;
    emit passwordTextChanged();
}

QString LoginViewController::userNamePlaceholder() const {
    return m_state == StaffPassword ? QString() : tr("Gebruikersnaam");
}

QString LoginViewController::panelTitle() const {
    return m_state == OrganisationLogin ? tr("Connecteer") : QString();
}

QString LoginViewController::panelHint() const {
    return m_state == OrganisationLogin
               ? tr("Gebruik je organisatienaam en paswoord om je iPad te koppelen met je organisatie.")
               : QString();
}

DeviceSelectionViewController* LoginViewController::deviceSelection() const {
    return m_deviceSelection;
}

SchoolChangerViewController* LoginViewController::schoolChanger() const {
    return m_schoolChanger;
}

void LoginViewController::setState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
    emit panelChanged();
}

void LoginViewController::setFocusField(int field) {
    if (field == m_focusField)
        return;
    m_focusField = field;
    emit focusFieldChanged();
}

void LoginViewController::setLastOrganisationId(const QString& id) {
    if (id == m_lastOrganisationId)
        return;
    m_lastOrganisationId = id;
    emit lastOrganisationIdChanged();
}

void LoginViewController::readChosenLocation() {
    const QString id = UserDefaults::standard().stringForKey(kSchoolId);
    const QString name = UserDefaults::standard().stringForKey(kSchoolNaam);
    if (id == m_geselecteerdeSchoolId && name == m_geselecteerdeSchoolNaam)
        return;
    m_geselecteerdeSchoolId = id;
    m_geselecteerdeSchoolNaam = name;
    emit locationChanged();
}

// ------------------------------------------------------------------ staff side

void LoginViewController::gridViewDidSelectItemAtIndex(int index) {
    if (m_state != StaffGrid)
        return;
    Users* user = m_leerkrachten->userAt(index);
    if (!user)
        return;
    if (user->isAdmin() == 1) {
        showUserNameAndPasswordField(user);
        return;
    }
    Users::setSharedUsers(user);
    doLogin();
}

void LoginViewController::showUserNameAndPasswordField(Users* user) {
    if (!user) {
        showUserLoginForCoupling();
        return;
    }
    Users::setSharedUsers(user);
    setUserName(QStringLiteral("%1 %2").arg(user->first_name(), user->last_name()));
    setPasswordText(QString());
    setState(StaffPassword);
    setFocusField(2);
}

void LoginViewController::doLogin() {
    if (m_state == ServerAddressEntry) {
        if (m_serverAddress)
            m_serverAddress->confirm();
        return;
    }
    if (!isCoupled()) {
        doCoupling();
        return;
    }
    doStaffLogin();
}

void LoginViewController::doStaffLogin() {
    Users* user = Users::sharedUsers();
    // The shell listens to userLoggedIn; without it there is nobody to hand the login to.
    if (!user || !isSignalConnected(QMetaMethod::fromSignal(&LoginViewController::userLoggedIn)))
        return;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setInteger(QStringLiteral("cc_kResyncInterval"), user->resyncFreq());
    defaults.synchronize();

    // An absent isAdmin counts as an administrator here: only a 0 lets a wrong password pass.
    const bool mayPassWithoutPassword = !user->isAbsent(Users::index_isAdmin()) && user->isAdmin() == 0;
    if (!SecurityCentral::checkUser(*user, m_passwordText) && !mayPassWithoutPassword) {
        dialogs()->showMessage(tr("Gelieve het correcte paswoord in te geven."), kPasswordMessageMs);
        // The next try is typed into an empty field that still has the focus, not appended to this one.
        setPasswordText(QString());
        if (m_state == StaffPassword)
            emit focusFieldChanged();
        return;
    }
    defaults.removeObjectForKey(QStringLiteral("cc_lastChoiceTime"));
    defaults.removeObjectForKey(QStringLiteral("cc_lastChoiceDay"));
    defaults.synchronize();
    setFocusField(0);
    setState(LoggedIn);
    emit userLoggedIn(user);
}

void LoginViewController::cancelLogin() {
    if (m_state == ServerAddressEntry)
        return;
    if (!isCoupled()) {
        showConnecteerExplanation();
        return;
    }
    if (m_state != StaffPassword)
        return;
    setFocusField(0);
    setPasswordText(QString());
    setState(StaffGrid);
}

void LoginViewController::textFieldDidBeginEditing(int tag) {
    if (!panelVisible())
        return;
    if (tag == 1 && userNameEditable())
        setUserName(QString());
    else if (tag == 2)
        setPasswordText(QString());
}

void LoginViewController::searchBarTextDidChange(const QString& text) {
    if (text == m_leerkrachten->searchText())
        return;
    m_leerkrachten->setSearchText(text);
    emit searchTextChanged();
}

void LoginViewController::refreshLeraars() {
    const QUrl base = m_engine && m_engine->objectManager() ? m_engine->objectManager()->baseUrl() : QUrl();
    m_leerkrachten->setAllLeerkrachten(m_dao && !m_geselecteerdeSchoolId.isEmpty()
                                           ? m_dao->getUsersForEntity(m_geselecteerdeSchoolId)
                                           : QList<Users*>(),
                                       base);
    if (m_state == StaffPassword) {
        setFocusField(0);
        setState(StaffGrid);
    }
}

void LoginViewController::engineGetsChanged() {
    // Staff lists arrive after the locations and on every refresh: show them once the engine is idle.
    if (m_engine && m_engine->aantalGets() == QLatin1String("0") && (m_state == StaffGrid || busy()))
        refreshLeraars();
}

// ------------------------------------------------------------------ coupling

void LoginViewController::showUserLoginForCoupling() {
    if (!serverKnown()) // nothing was sent yet: the address comes first
        return;
    closeDeviceSelection();
    if (m_schoolChanger) {
        m_schoolChanger->deleteLater();
        m_schoolChanger = nullptr;
        emit schoolChangerChanged();
    }
    dialogs()->hideOverlay();
    setUserName(QString());
    setPasswordText(QString());
    setState(OrganisationLogin);
    setFocusField(1);
}

void LoginViewController::showConnecteerExplanation() {
    dialogs()->alert(tr("Connecteer"),
                     tr("Gebruik je organisatienaam en paswoord om je iPad te koppelen met je organisatie."),
                     {tr("Ok")}, kConnecteerTag);
}

void LoginViewController::doCoupling() {
    if (m_state != OrganisationLogin)
        return;
    // Nothing could be sent for an empty name or password: say so and keep the panel.
    if (m_userName.isEmpty() || m_passwordText.isEmpty()) {
        showConnecteerExplanation();
        return;
    }
    dialogs()->showOverlay(tr("Loading"), tr("Checking username and password"));
    const QString name = m_userName;
    const QString hash = SecurityCentral::getHashForAdminWithNick(name, m_passwordText);
    setFocusField(0);
    setState(Connecting);
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setString(kCoupleLogin, name);
    defaults.setString(kCoupleHash, hash);
    defaults.synchronize();
    if (m_engine)
        m_engine->getOrganisationForUser(name, hash);
}

void LoginViewController::organisationLoaded() {
    if (m_state == Connecting)
        dialogs()->hideOverlay();
    // The organisation's password is done with; an administrator's being typed meanwhile is not.
    if (m_state == OrganisationLogin || m_state == Connecting)
        setPasswordText(QString());
    if (tabletHasName())
        return;
    Organisation* organisation = m_dao ? m_dao->loadOrganisation() : nullptr;
    setLastOrganisationId(organisation ? organisation->organisationId() : QString());
    if (organisation) {
        showOrganisationFound();
        return;
    }
    dialogs()->alert(tr("Connecteer"),
                     tr("We vonden je organisatie niet terug. Waarschijnlijk waren je gegevens incorrect. "
                        "Probeer opnieuw of contacteer je support verantwoordelijke."),
                     {tr("Ok")}, kNotFoundTag);
}

void LoginViewController::showOrganisationFound() {
    readChosenLocation();
    if (!tabletHasName()) {
        setState(Connecting);
        if (m_engine)
            m_engine->getDevices();
    } else {
        setState(m_geselecteerdeSchoolId.isEmpty() ? Downloading : StaffGrid);
        startInitieleSynchro();
    }
    refreshLeraars();
}

void LoginViewController::deviceChoiceDialog() {
    closeDeviceSelection();
    m_deviceSelection = new DeviceSelectionViewController(m_dao, this);
    connect(m_deviceSelection, &DeviceSelectionViewController::deviceSelected, this,
            &LoginViewController::deviceSelected);
    emit deviceSelectionChanged();
    dialogs()->hideOverlay();
    setFocusField(0);
    setState(DeviceSelection);
}

void LoginViewController::closeDeviceSelection() {
    if (!m_deviceSelection)
        return;
    m_deviceSelection->deleteLater();
    m_deviceSelection = nullptr;
    emit deviceSelectionChanged();
}

void LoginViewController::deviceSelected(const QString& name) {
    UserDefaults& defaults = UserDefaults::standard();
    const QVariant before = defaults.objectForKey(kIpadNaam);
    defaults.setString(kIpadNaam, name);
    if (!defaults.synchronize()) {
        // Named only once the name is on the disk: otherwise a restart finds the tablet unnamed while
        // the server already knows it by the new name. The sheet stays for another "Bewaar".
        if (before.isValid())
            defaults.setObject(kIpadNaam, before);
        else
            defaults.removeObjectForKey(kIpadNaam);
        DialogRequests* shown = m_deviceSelection ? m_deviceSelection->dialogs() : dialogs();
        shown->alert(tr("Connecteer"),
                     tr("De naam van deze tablet kon niet bewaard worden. Tik opnieuw op Bewaar om het "
                        "nog eens te proberen."),
                     {tr("Ok")}, kNameNotSavedTag);
        return;
    }
    closeDeviceSelection();
    readChosenLocation();
    setState(m_geselecteerdeSchoolId.isEmpty() ? Downloading : StaffGrid);
    startInitieleSynchro();
}

void LoginViewController::startInitieleSynchro() {
    if (!m_engine)
        return;
    const UserDefaults& defaults = UserDefaults::standard();
    m_engine->getOrganisationForUser(defaults.stringForKey(kCoupleLogin), defaults.stringForKey(kCoupleHash));
    m_engine->getEntities();
}

void LoginViewController::entitiesLoaded() {
    readChosenLocation();
    if (m_geselecteerdeSchoolId.isEmpty())
        showSchools();
    else if (m_state == Downloading)
        setState(StaffGrid);
}

void LoginViewController::showSchools() {
    if (!gridVisible() || m_state == LocationSelection || m_state == DeviceSelection)
        return;
    m_schoolChanger = new SchoolChangerViewController(m_dao, m_engine, this);
    connect(m_schoolChanger, &SchoolChangerViewController::schoolSelected, this,
            &LoginViewController::schoolSelected);
    emit schoolChangerChanged();
    m_stateBeforeSchools = m_state;
    setState(LocationSelection);
}

void LoginViewController::closeSchools() {
    if (m_state != LocationSelection)
        return;
    if (m_schoolChanger) {
        m_schoolChanger->deleteLater();
        m_schoolChanger = nullptr;
        emit schoolChangerChanged();
    }
    // Still waiting while no location has arrived yet; otherwise the (possibly empty) grid.
    const bool waiting =
        m_stateBeforeSchools == Downloading && m_dao && m_dao->loadSchoolsFromDataStore().isEmpty();
    setState(waiting ? Downloading : StaffGrid);
}

void LoginViewController::schoolSelected(const QString& name, const QString& entityId) {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setString(kSchoolId, entityId);
    defaults.setString(kSchoolNaam, name);
    defaults.synchronize();
    readChosenLocation();
    if (m_schoolChanger) {
        m_schoolChanger->deleteLater();
        m_schoolChanger = nullptr;
        emit schoolChangerChanged();
    }
    setFocusField(0);
    setState(StaffGrid);
    refreshLeraars();
    emit locationChosen();
}

void LoginViewController::alertViewClickedButtonAtIndex(int tag, int) {
    if (tag == kNotFoundTag)
        showUserLoginForCoupling();
}

void LoginViewController::setLockedAfterMinutes(int minutes) {
    const QString reason = minutes == 1 ? tr("Vergrendeld na 1 minuut zonder gebruik")
                                        : tr("Vergrendeld na %1 minuten zonder gebruik").arg(minutes);
    if (reason == m_lockReason)
        return;
    m_lockReason = reason;
    emit lockReasonChanged();
}
