#include "MenuViewController.h"

#include "AdminPageViewController.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "ImageCache.h"
#include "InfoViewController.h"
#include "KlassenDataViewController.h"
#include "LeerlingenDetailViewController.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "ProfilePageViewController.h"
#include "Resources.h"
#include "SearchOverzichtViewController.h"
#include "SearchUserViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "StackScrollViewController.h"
#include "StatusView.h"
#include "SyncState.h"
#include "closeout/CloseOutViewController.h"
#include "newchild/CreateChildViewController.h"
#include "roll/EmergencyRollViewController.h"

namespace {
const QString kCellText = QStringLiteral("CellText");
const QString kCellImage = QStringLiteral("CellImage");

struct EntryDefinition {
    const char* text;
    const char* icon;
};

// In menu order; the last two are for administrators only.
const EntryDefinition kEntries[] = {
    {QT_TRANSLATE_NOOP("MenuViewController", "Zoeken op naam"), "06-magnify.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Lijsten"), "11-clock.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Nieuw kind"), "76-baby.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Info"), "177-building.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Zoek medewerker"), "112-group.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Medewerker"), "111-user.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Admin"), "104-index-cards.png"},
    {QT_TRANSLATE_NOOP("MenuViewController", "Dag afsluiten"), "dag-afsluiten.png"},
};

// A tap on a list's queue line opens the queue screen as a menu choice would.
void openQueueScreen() {
    NotificationCenter::defaultCenter().post(QStringLiteral("fakeMenuChoice"), nullptr,
                                             {{QStringLiteral("key"), int(MenuViewController::Admin)}});
}

// The group list of the current location; its children lists open the detail panel on the shared selection.
QObject* groupLists(DataAccessObject* dao, MainSynchroObject* engine, StackScrollViewController* stack,
                    SyncState* syncState) {
    const Users* user = Users::sharedUsers();
    auto* lists = new KlassenDataViewController(user ? user->entityId() : QString(), dao,
                                                StackScrollViewAppDelegate::geselecteerdenLijst(), stack,
                                                ImageCache::shared());
    lists->setSyncState(syncState);
    QPointer<MainSynchroObject> sync = engine;
    lists->setDetailFactory([dao, sync](ManagedObject* child, bool) -> ScreenController* {
        return new LeerlingenDetailViewController(child, StackScrollViewAppDelegate::geselecteerdenLijst(),
                                                  dao, sync);
    });
    return lists;
}
} // namespace

MenuViewController::MenuViewController(MainSynchroObject* engine, DataAccessObject* dao,
                                       StackScrollViewController* stack, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_dao(dao)
    , m_stack(stack)
    , m_statusView(new StatusView(engine, this))
    , m_syncState(new SyncState(dao, engine, this)) {
    // The status line follows the clock; counters and reachability follow the engine.
    m_statusView->followClock(true);

    // Header.
    if (const Organisation* organisation = m_dao ? m_dao->loadOrganisation() : nullptr) {
        m_organisationName = organisation->organisationName();
        m_organisationImage = QUrl(organisation->image());
    }

    // Entries.
    const Users* user = Users::sharedUsers();
    const int entries = user && user->isAdmin() == 1 ? Afsluiten + 1 : Admin;
    for (int i = 0; i < entries; ++i)
        m_cellContents << QVariantMap{
            {kCellText, tr(kEntries[i].text)},
            {kCellImage, Resources::assetUrl(QString::fromLatin1(kEntries[i].icon))}};

    // Footer.
    m_welkomText = tr("Welkom: %1").arg(user ? user->first_name() : QString());

    // 5.
    m_fakeMenuChoiceObserver = NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("fakeMenuChoice"), [this](const Notification& n) { fakeMenuChoice(n); });
    if (m_engine)
        m_engine->updateNrOfPostField();
}

MenuViewController::~MenuViewController() = default;

void MenuViewController::setStatusShown(bool shown) {
    if (!m_closed)
        m_statusView->followClock(shown);
}

void MenuViewController::close() {
    m_closed = true;
    m_statusView->followClock(false);
    NotificationCenter::defaultCenter().removeObserver(m_fakeMenuChoiceObserver);
    m_stack = nullptr;
}

void MenuViewController::tableViewDidSelectRowAtIndexPath(int index) {
    if (index < 0 || index >= count())
        return;
    if (index != m_selectedOption) {
        if (SelectieLijst* children = StackScrollViewAppDelegate::geselecteerdenLijst())
            children->removeAllObjects();
        if (SelectieLijst* staff = StackScrollViewAppDelegate::userGeselecteerdenLijst())
            staff->removeAllObjects();
        m_selectedOption = index;
        emit selectedOptionChanged();
    }
    if (m_stack)
        m_stack->addViewInSlider(createScreenForEntry(index), this, true);
}

void MenuViewController::gaNaarMedewerker() {
    tableViewDidSelectRowAtIndexPath(ZoekMedewerker);
}

void MenuViewController::headerTapped() {
    NotificationCenter::defaultCenter().post(QStringLiteral("fakeMenuChoice"), this,
                                             {{QStringLiteral("key"), 0}});
}

void MenuViewController::fakeMenuChoice(const Notification& notification) {
    tableViewDidSelectRowAtIndexPath(notification.userInfo.value(QStringLiteral("key")).toInt());
}

void MenuViewController::openEmergencyRoll() {
    if (m_emergencyRoll)
        return;
    const Users* user = Users::sharedUsers();
    m_emergencyRoll = new EmergencyRollViewController(user ? user->entityId() : QString(), m_dao, m_engine,
                                                      ImageCache::shared(),
                                                      EmergencyRollViewController::defaultPdfFolder(), this);
    connect(m_emergencyRoll, &EmergencyRollViewController::closed, this, [this] {
        EmergencyRollViewController* roll = m_emergencyRoll;
        m_emergencyRoll = nullptr;
        emit emergencyRollChanged();
        roll->deleteLater();
    });
    emit emergencyRollChanged();
}

QObject* MenuViewController::createScreenForEntry(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    switch (index) {
    case Info:
        return new InfoViewController();
    case ZoekenOpNaam: {
        const Users* user = Users::sharedUsers();
        auto* overview = new SearchOverzichtViewController(
            SearchListDefinition::children(user ? user->entityId() : QString()), m_dao,
            StackScrollViewAppDelegate::geselecteerdenLijst(), m_stack, ImageCache::shared());
        DataAccessObject* dao = m_dao;
        QPointer<MainSynchroObject> engine = m_engine;
        overview->setDetailFactory([dao, engine](ManagedObject* record, bool) -> ScreenController* {
            return new LeerlingenDetailViewController(
                record, StackScrollViewAppDelegate::geselecteerdenLijst(), dao, engine);
        });
        overview->setSyncState(m_syncState, &openQueueScreen);
        return overview;
    }
    case Lijsten:
        return groupLists(m_dao, m_engine, m_stack, m_syncState);
    case NieuwKind:
        return new CreateChildViewController(
            m_dao, m_engine, StackScrollViewAppDelegate::geselecteerdenLijst(), ImageCache::shared());
    case ZoekMedewerker: {
        auto* staff = new SearchUserViewController(m_dao, m_engine,
                                                   StackScrollViewAppDelegate::userGeselecteerdenLijst(),
                                                   m_stack, ImageCache::shared());
        staff->setSyncState(m_syncState, &openQueueScreen);
        return staff;
    }
    case Medewerker:
        return new ProfilePageViewController(m_dao, m_engine, ImageCache::shared());
    case Admin:
        return new AdminPageViewController(m_dao, m_engine);
    case Afsluiten:
        return new CloseOutViewController(m_dao, m_engine);
    default:
        return nullptr;
    }
}
