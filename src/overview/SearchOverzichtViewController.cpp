#include "SearchOverzichtViewController.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "GroupSelectorViewController.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "SerialQueue.h"
#include "StackScrollViewController.h"
#include "TextKeys.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

namespace {

// contains[cd] of the store: a name that is absent matches nothing.
bool nameContains(const QString& folded, const QString& text) {
    return !folded.isNull() && folded.contains(text);
}

} // namespace

SearchListDefinition SearchListDefinition::children(const QString& entityId) {
    SearchListDefinition d;
    d.title = QCoreApplication::translate("SearchOverzichtViewController", "Zoeken op naam");
    d.entityId = entityId;
    d.keyName = QStringLiteral("childId");
    d.firstNameKey = QStringLiteral("firstName");
    d.lastNameKey = QStringLiteral("lastName");
    d.groupFilter = true;
    d.load = [entityId](const DataAccessObject& dao) {
        const QList<ChildListEntry> children = dao.loadChildListEntries(entityId);
        QList<SearchListEntry> entries;
        entries.reserve(children.size());
        for (const ChildListEntry& c : children) {
            SearchListEntry e;
            e.row = ChildRows::row(c);
            e.foldedFirstName = c.foldedFirstName;
            e.foldedLastName = c.foldedLastName;
            entries.append(std::move(e));
        }
        return entries;
    };
    d.record = [](const DataAccessObject& dao, const QString& key) -> ManagedObject* {
        return dao.loadChild(key);
    };
    // The group is part of the condition, so a child with two memberships of the group counts once.
    d.count = [entityId](const DataAccessObject& dao, const Predicate& p) {
        return dao.countOfChildren(entityId, p);
    };
    d.groupsLine = &ChildRows::groupsLine;
    // Any membership of the group, live or not: the members' keys are read from the memberships.
    d.groupMembers = [entityId](const DataAccessObject& dao, const QVariantMap& group) {
        QStringList keys;
        for (const Group* g :
             dao.loadChildrenForGroup(group.value(QStringLiteral("groupId")).toString(), entityId))
            keys << g->valueForKey(QStringLiteral("child")).toString();
        return keys;
    };
    return d;
}

SearchListDefinition SearchListDefinition::staff(const QString& entityId) {
    SearchListDefinition d;
    d.title = QCoreApplication::translate("SearchUserViewController", "Zoek medewerker");
    d.entityId = entityId;
    d.keyName = QStringLiteral("userEntityId");
    d.markKind = SyncState::Kind::Staff;
    d.firstNameKey = QStringLiteral("first_name");
    d.lastNameKey = QStringLiteral("last_name");
    d.load = [](const DataAccessObject& dao) {
        const QList<Users*> staff = dao.getUsersForPredicate(Predicate(), true);
        QList<SearchListEntry> entries;
        entries.reserve(staff.size());
        for (const Users* u : staff) {
            SearchListEntry e;
            e.row.key = u->userEntityId();
            e.row.subject = u->userId();
            e.row.name = QStringLiteral("%1 %2").arg(u->last_name(), u->first_name());
            e.row.lastName = u->last_name();
            e.row.image = u->image();
            e.row.presence = u->isIngeschreven();
            e.row.time = u->ingeschrevenTime();
            if (!u->first_name().isNull())
                e.foldedFirstName = TextKeys::fold(u->first_name());
            if (!u->last_name().isNull())
                e.foldedLastName = TextKeys::fold(u->last_name());
            entries.append(std::move(e));
        }
        return entries;
    };
    // The row's own record (one location's), the one the selection holds.
    d.record = [](const DataAccessObject& dao, const QString& key) -> ManagedObject* {
        return dao.getUsersForPredicate(Predicate::format(QStringLiteral("userEntityId == %@"), {key}), false)
            .value(0);
    };
    d.count = [entityId](const DataAccessObject& dao, const Predicate& p) {
        return dao.countOfUsers(entityId, p);
    };
    return d;
}

SearchOverzichtViewController::SearchOverzichtViewController(SearchListDefinition definition,
                                                             DataAccessObject* dao, SelectieLijst* selection,
                                                             StackScrollViewController* stack,
                                                             ImageCache* images, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("overview/qml/SearchOverzichtView.qml")),
                       definition.title, parent)
    , m_definition(std::move(definition))
    , m_dao(dao)
    , m_selection(selection)
    , m_stack(stack)
    , m_model(new SearchOverzichtModel(this)) {
    m_model->setSelection(selection);
    if (m_definition.groupsLine)
        m_model->setGroupsLine([this](const QString& key) { return m_definition.groupsLine(*m_dao, key); });
    m_model->setImageCache(images);
    m_segmentTitles = {tr("Alle "), tr("In"), tr("Uit"), tr("Afwezig")};

    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("reloadKindjesData"),
                       [this](const Notification&) { reloadData(); });
    center.addObserver(this, QStringLiteral("addSelectieNotification"),
                       [this](const Notification&) { reloadTableData(); });
    center.addObserver(this, QStringLiteral("removeSelectieNotification"),
                       [this](const Notification&) { reloadTableData(); });
    center.addObserver(this, QStringLiteral("showDetailNotification"), [this](const Notification& n) {
        showDetail(n.userInfo.value(QStringLiteral("key")).toString());
    });
    // New people arrived: the counts in the titles must cover them too, not wait for the next clocking.
    center.addObserver(this, QStringLiteral("forceSearch"), [this](const Notification&) {
        refresh();
        doCount();
    });

    doCount();
    doSearch();
}

void SearchOverzichtViewController::setSyncState(SyncState* state, std::function<void()> openQueueScreen) {
    m_syncState = state;
    m_openQueueScreen = std::move(openQueueScreen);
    m_model->setSyncState(state, m_definition.markKind);
    emit syncStateChanged();
}

void SearchOverzichtViewController::syncStateTapped() {
    if (!m_syncState)
        return;
    if (Users::sharedUserInfo().isAdmin && m_openQueueScreen) {
        // The queue screen takes this one's place: not while its tap is still being handled.
        QTimer::singleShot(0, this, [open = m_openQueueScreen] { open(); });
        return;
    }
    const int waiting = m_syncState->waiting();
    const QString state =
        waiting == 0   ? tr("Alle wijzigingen zijn bij de centrale server aangekomen.")
        : waiting == 1 ? tr("1 wijziging wacht nog op de centrale server. Ze wordt vanzelf verstuurd zodra "
                            "er verbinding is; de tablet bewaart ze tot dan.")
                       : tr("%1 wijzigingen wachten nog op de centrale server. Ze worden vanzelf verstuurd "
                            "zodra er verbinding is; de tablet bewaart ze tot dan.")
                             .arg(waiting);
    dialogs()->alert(tr("Synchronisatie"),
                     tr("Elke registratie wordt eerst op deze tablet bewaard en dan naar de centrale server "
                        "verstuurd. Een klokje naast een naam: nog niet verstuurd. Een uitroepteken: het "
                        "versturen mislukte, het wordt opnieuw geprobeerd.") +
                         QStringLiteral("\n\n") + state,
                     {tr("OK")});
}

SearchOverzichtViewController::~SearchOverzichtViewController() {
    // A running count finishes first; its answer is then dropped with this object.
    m_backgroundQueue.reset();
}

QString SearchOverzichtViewController::groupFilterTitle() const {
    return m_selectedGroup.isEmpty() ? tr("Filter op groep")
                                     : m_selectedGroup.value(QStringLiteral("groupName")).toString();
}

GroupSelectorViewController* SearchOverzichtViewController::groupSelector() const {
    return m_groupSelector;
}

QStringList SearchOverzichtViewController::sectionIndexTitles() const {
    QStringList letters;
    for (char c = 'A'; c <= 'Z'; ++c)
        letters << QString(QLatin1Char(c));
    return letters;
}

QList<ManagedObject*> SearchOverzichtViewController::searchArray() const {
    QList<ManagedObject*> records;
    records.reserve(m_model->count());
    for (int row = 0; row < m_model->count(); ++row)
        records << recordAt(row);
    return records;
}

ManagedObject* SearchOverzichtViewController::recordAt(int row) const {
    const QString key = m_model->keyAt(row);
    return key.isNull() || !m_definition.record ? nullptr : m_definition.record(*m_dao, key);
}

Predicate SearchOverzichtViewController::searchCondition(const SearchListDefinition& definition,
                                                         const DataAccessObject& dao, const QString& text,
                                                         const QVariantMap& group) {
    Predicate condition;
    if (!group.isEmpty() && definition.groupMembers) {
        QVariantList keys;
        for (const QString& key : definition.groupMembers(dao, group))
            keys << key;
        condition = Predicate::format(QStringLiteral("%1 IN %@").arg(definition.keyName), {QVariant(keys)});
    }
    if (!text.isEmpty())
        condition = condition && Predicate::format(QStringLiteral("%1 contains[cd] %@ OR %2 contains[cd] %@")
                                                       .arg(definition.firstNameKey, definition.lastNameKey),
                                                   {text, text});
    return condition;
}

void SearchOverzichtViewController::doSearch() {
    search(false);
}

void SearchOverzichtViewController::load() {
    m_entries = m_definition.load ? m_definition.load(*m_dao) : QList<SearchListEntry>();
    m_groupMembers.clear();
    if (!m_selectedGroup.isEmpty() && m_definition.groupMembers) {
        const QStringList keys = m_definition.groupMembers(*m_dao, m_selectedGroup);
        m_groupMembers = QSet<QString>(keys.cbegin(), keys.cend());
    }
    m_loadedGeneration = m_dao->store()->generation();
}

void SearchOverzichtViewController::refresh() {
    load();
    search(true);
}

void SearchOverzichtViewController::search(bool keepPlace) {
    setSearching(true);
    // A store emptied and started afresh holds none of the people read before.
    if (m_loadedGeneration != m_dao->store()->generation())
        load();
    // The same condition the count gives the store, applied to the people in memory.
    const bool byText = !m_searchText.isEmpty();
    const QString text = byText ? TextKeys::fold(m_searchText) : QString();
    const bool byGroup = !m_selectedGroup.isEmpty() && m_definition.groupMembers;
    QList<SearchOverzichtModel::Row> rows;
    rows.reserve(byText || byGroup || m_presenceSegment != Alle ? 64 : m_entries.size());
    for (const SearchListEntry& e : std::as_const(m_entries)) {
        const int presence = e.row.presence;
        const bool shown = m_presenceSegment == In        ? presence == 1
                           : m_presenceSegment == Uit     ? presence == 2
                           : m_presenceSegment == Afwezig ? presence != 1
                                                          : true;
        if (!shown || (byGroup && !m_groupMembers.contains(e.row.key)) ||
            (byText && !nameContains(e.foldedFirstName, text) && !nameContains(e.foldedLastName, text)))
            continue;
        rows.append(e.row);
    }
    m_model->setRows(std::move(rows), keepPlace);
    // Row numbers may now name other records.
    m_vorigeIndex = -1;
    if (!keepPlace)
        setRevealRow(-1);
    QMetaObject::invokeMethod(
        this,
        [this] {
            setSearching(false);
            reloadTableData();
        },
        Qt::QueuedConnection);
}

void SearchOverzichtViewController::doCount() {
    if (m_counting) {
        m_countWaiting = true;
        CC_LOG(QStringLiteral("counting blocked: counts again when the running count ends"));
        return;
    }
    m_counting = true;
    emit countingChanged();
    if (!m_backgroundQueue)
        m_backgroundQueue =
            std::make_unique<SerialQueue>(QStringLiteral("kinderopvang.overzicht.telling"), true);
    m_backgroundQueue->async([this, store = m_dao->store(), definition = m_definition, text = m_searchText,
                              group = m_selectedGroup] {
        // This thread's own context: nothing of the main thread's is touched here.
        const DataAccessObject dao = DataAccessObject::forStore(store);
        const QStringList counts = definition.count(dao, searchCondition(definition, dao, text, group));
        dao.context()->reset();
        QMetaObject::invokeMethod(
            this, [this, counts] { countFinished(counts); }, Qt::QueuedConnection);
    });
}

void SearchOverzichtViewController::countFinished(const QStringList& counts) {
    m_counting = false;
    if (m_countWaiting) {
        // These counts belong to an earlier text or group: the titles wait for the current ones.
        m_countWaiting = false;
        doCount();
        return;
    }
    updateCounters(counts);
    emit countingChanged();
    emit countsUpdated();
}

void SearchOverzichtViewController::updateCounters(const QStringList& counts) {
    if (counts.size() < 4)
        return;
    m_segmentTitles = {tr("Alle (%1)").arg(counts.at(0)), tr("In (%1)").arg(counts.at(1)),
                       tr("Uit (%1)").arg(counts.at(3)), tr("Afw. (%1)").arg(counts.at(2))};
    emit segmentTitlesChanged();
}

void SearchOverzichtViewController::reloadData() {
    refresh();
    doCount();
}

void SearchOverzichtViewController::reloadTableData() {
    if (m_selection && m_selection->count() == 0 && m_detailViewEnabled) {
        m_detailViewEnabled = false;
        if (m_stack)
            m_stack->removeLastSubViewByController(this);
    }
    m_model->selectionChanged();
}

void SearchOverzichtViewController::searchBarTextDidBeginEditing() {
    setCancelButtonShown(true);
}

void SearchOverzichtViewController::searchBarTextDidChange(const QString& text) {
    if (text == m_searchText)
        return;
    m_searchText = text;
    emit searchTextChanged();
    doSearch();
    doCount();
}

void SearchOverzichtViewController::searchBarSearchButtonClicked() {
    doSearch();
    setCancelButtonShown(false);
    emit keyboardDismissed();
}

void SearchOverzichtViewController::searchBarCancelButtonClicked() {
    // The emptied field lists everyone again, not only the counts.
    if (!m_searchText.isEmpty()) {
        m_searchText.clear();
        emit searchTextChanged();
        doSearch();
    }
    doCount();
    setCancelButtonShown(false);
    emit keyboardDismissed();
}

void SearchOverzichtViewController::didClickSegmentationFilterInOut(int segment) {
    if (segment < Alle || segment > Afwezig || segment == m_presenceSegment)
        return;
    m_presenceSegment = segment;
    emit presenceSegmentChanged();
    doSearch();
}

void SearchOverzichtViewController::didClickSegmentationFilterGroups() {
    if (!m_definition.groupFilter)
        return;
    closeGroupSelector();
    m_groupSelector = new GroupSelectorViewController(*m_dao, m_definition.entityId, this, this);
    emit groupSelectorChanged();
}

void SearchOverzichtViewController::closeGroupSelector() {
    if (!m_groupSelector)
        return;
    m_groupSelector->deleteLater();
    m_groupSelector = nullptr;
    emit groupSelectorChanged();
}

void SearchOverzichtViewController::groupSelected(const QVariantMap& group) {
    m_selectedGroup = group;
    emit selectedGroupChanged();
    closeGroupSelector();
    load();
    doSearch();
    doCount();
}

void SearchOverzichtViewController::doMultiSelect(int row) {
    ManagedObject* record = recordAt(row);
    if (!record || !m_selection)
        return;
    if (m_selection->containsObject(record)) {
        m_selection->removeObject(record);
    } else {
        m_selection->addObject(record);
        if (!m_dataViewController || !m_detailViewEnabled)
            openDetail(record, false);
    }
    reloadTableData();
}

void SearchOverzichtViewController::handleLongPress(int row) {
    // Followed while the finger moves: the row already acted on costs no lookup.
    if (row == m_vorigeIndex || !m_selection)
        return;
    ManagedObject* record = recordAt(row);
    if (!record)
        return;
    m_vorigeIndex = row;
    if (m_selection->count() < 3)
        m_selection->addObject(record);
    else
        gaNaarPersoonlijkDetailVeld(row, true);
}

void SearchOverzichtViewController::gaNaarPersoonlijkDetailVeld(int row, bool needsrefresh) {
    ManagedObject* record = recordAt(row);
    if (!record || !m_selection)
        return;
    if (needsrefresh)
        m_selection->removeAllObjects();
    m_selection->addObject(record);
    openDetail(record, needsrefresh);
    reloadTableData();
}

void SearchOverzichtViewController::openDetail(ManagedObject* record, bool needsrefresh) {
    if (!m_detailFactory || !m_stack)
        return;
    ScreenController* detail = m_detailFactory(record, needsrefresh);
    if (!detail)
        return;
    m_dataViewController = detail;
    // However it was opened, the panel closes again when the selection empties.
    m_detailViewEnabled = true;
    m_stack->addViewInSlider(detail, this, false);
}

int SearchOverzichtViewController::rowOfKey(const QString& key) const {
    const QList<SearchOverzichtModel::Row>& rows = m_model->rows();
    for (int row = 0; row < rows.size(); ++row)
        if (rows.at(row).key == key)
            return row;
    return -1;
}

void SearchOverzichtViewController::showDetail(const QString& key) {
    ManagedObject* record = key.isEmpty() || !m_definition.record ? nullptr : m_definition.record(*m_dao, key);
    if (!record || !m_selection)
        return;
    // A selected child out of sight would be clocked along unseen: everyone is listed again, read anew
    // for a record that is newer than the list. Someone this list never shows is left alone.
    if (rowOfKey(key) < 0) {
        const auto known = [&] {
            return std::any_of(m_entries.cbegin(), m_entries.cend(),
                               [&](const SearchListEntry& e) { return e.row.key == key; });
        };
        if (!known())
            load();
        if (!known())
            return;
        if (!m_searchText.isEmpty()) {
            m_searchText.clear();
            emit searchTextChanged();
        }
        if (m_presenceSegment != Alle) {
            m_presenceSegment = Alle;
            emit presenceSegmentChanged();
        }
        if (!m_selectedGroup.isEmpty()) {
            m_selectedGroup.clear();
            emit selectedGroupChanged();
        }
        load();
        search(false);
        doCount();
    }
    if (!m_selection->containsObject(record))
        m_selection->addObject(record);
    if (!m_dataViewController || !m_detailViewEnabled)
        openDetail(record, false);
    // Said again even for the same row: the list may have been scrolled away since.
    m_revealRow = rowOfKey(key);
    emit revealRowChanged();
    reloadTableData();
}

void SearchOverzichtViewController::setRevealRow(int row) {
    if (row == m_revealRow)
        return;
    m_revealRow = row;
    emit revealRowChanged();
}

int SearchOverzichtViewController::sectionForSectionIndexTitle(const QString& /*title*/, int index) {
    QMetaObject::invokeMethod(
        this,
        [this, index] {
            if (const int row = rowForSectionIndex(index); row >= 0)
                emit scrollToRow(row);
        },
        Qt::QueuedConnection);
    return -1;
}

int SearchOverzichtViewController::rowForSectionIndex(int index) const {
    QStringList folded;
    folded.reserve(m_model->count());
    for (const SearchOverzichtModel::Row& r : m_model->rows())
        folded << TextKeys::fold(r.lastName);
    return TextKeys::firstStartingWithLetter(folded, sectionIndexTitles(), index);
}

void SearchOverzichtViewController::setCancelButtonShown(bool shown) {
    if (shown == m_cancelButtonShown)
        return;
    m_cancelButtonShown = shown;
    emit cancelButtonShownChanged();
}

void SearchOverzichtViewController::setSearching(bool searching) {
    if (searching == m_searching)
        return;
    m_searching = searching;
    emit searchingChanged();
}
