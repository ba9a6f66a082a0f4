#include "LeerlingenDataViewController.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "ImageCache.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"

#include <QSet>

LeerlingenDataViewController::LeerlingenDataViewController(const QVariantMap& klas, const QString& entityId,
                                                           DataAccessObject* dao, SelectieLijst* selection,
                                                           StackScrollViewController* stack,
                                                           ImageCache* images, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("lists/qml/LeerlingenDataView.qml")),
                       klas.value(QStringLiteral("groupName")).toString(), parent)
    , m_klas(klas)
    , m_entityId(entityId)
    , m_dao(dao)
    , m_selection(selection)
    , m_stack(stack)
    , m_model(new SearchOverzichtModel(this)) {
    m_model->setSelection(selection);
    m_model->setGroupsLine([this](const QString& key) { return ChildRows::groupsLine(*m_dao, key); });
    m_model->setImageCache(images);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("reloadKindjesData"),
                       [this](const Notification&) { reloadData(); });
    center.addObserver(this, QStringLiteral("addSelectieNotification"),
                       [this](const Notification&) { m_model->selectionChanged(); });
    center.addObserver(this, QStringLiteral("removeSelectieNotification"),
                       [this](const Notification&) { selectionRemoved(); });
    load(false);
}

LeerlingenDataViewController::~LeerlingenDataViewController() = default;

void LeerlingenDataViewController::load(bool keepPlace) {
    QList<SearchOverzichtModel::Row> rows;
    QSet<QString> shown;
    for (const Group* membership :
         m_dao->loadChildrenForGroup(m_klas.value(QStringLiteral("groupId")).toString(), m_entityId)) {
        // A membership that has ended names no member; a child with two memberships shows once.
        const QVariant exists = membership->valueForKey(QStringLiteral("exists"));
        if (!exists.isNull() && exists.toLongLong() == 0)
            continue;
        const Child* c = membership->child();
        if (!c || shown.contains(c->childId()))
            continue;
        shown.insert(c->childId());
        rows << ChildRows::row(ChildListEntry{.childId = c->childId(),
                                              .firstName = c->firstName(),
                                              .lastName = c->lastName(),
                                              .foldedFirstName = {},
                                              .foldedLastName = {},
                                              .image = c->image(),
                                              .ingeschrevenStatus = c->ingeschrevenStatus(),
                                              .ingeschrevenTime = c->ingeschrevenTime()});
    }
    m_model->setRows(std::move(rows), keepPlace);
    m_loadedGeneration = m_dao->store()->generation();
    // Row numbers may now name other children.
    m_vorigeIndex = -1;
}

void LeerlingenDataViewController::reloadData() {
    load(true);
}

QList<Child*> LeerlingenDataViewController::leerlingen() const {
    QList<Child*> children;
    for (int row = 0; row < m_model->count(); ++row)
        if (Child* c = childAt(row))
            children << c;
    return children;
}

Child* LeerlingenDataViewController::childAt(int row) const {
    // A store emptied and started afresh holds none of the children read before.
    if (m_loadedGeneration != m_dao->store()->generation())
        return nullptr;
    const QString key = m_model->keyAt(row);
    return key.isNull() ? nullptr : m_dao->loadChild(key);
}

void LeerlingenDataViewController::doMultiSelect(int row) {
    Child* child = childAt(row);
    if (!child || !m_selection)
        return;
    if (m_selection->containsObject(child)) {
        m_selection->removeObject(child);
    } else {
        m_selection->addObject(child);
        if (!m_dataViewController)
            openDetail(child, false);
    }
    m_model->selectionChanged();
}

void LeerlingenDataViewController::selectAllWithAnimation() {
    setSelecting(true);
    QMetaObject::invokeMethod(this, &LeerlingenDataViewController::selectAll, Qt::QueuedConnection);
}

void LeerlingenDataViewController::selectAll() {
    if (!m_selection) {
        setSelecting(false);
        return;
    }
    setSelecting(true);
    const QList<Child*> kids = leerlingen();
    const QList<ManagedObject*> children(kids.cbegin(), kids.cend());
    m_selection->removeAllObjects();
    // A new detail panel puts its child into the emptied selection; the others follow it, unannounced.
    if (!kids.isEmpty() && !m_dataViewController)
        openDetail(kids.first(), false);
    m_selection->addObjectsSilently(children);
    // An empty group leaves nothing selected: that is announced as an emptying, so the panel closes.
    NotificationCenter::defaultCenter().post(m_selection->count() > 0
                                                 ? QStringLiteral("addSelectieNotification")
                                                 : QStringLiteral("removeSelectieNotification"),
                                             this);
    m_model->selectionChanged();
    setSelecting(false);
}

void LeerlingenDataViewController::deselectAll() {
    if (m_selection)
        m_selection->removeAllObjects();
    m_model->selectionChanged();
    NotificationCenter::defaultCenter().post(QStringLiteral("removeSelectieNotification"), this);
}

void LeerlingenDataViewController::handleLongPress(int row) {
    // Followed while the finger moves: the row already acted on does nothing more.
    if (row == m_vorigeIndex || !m_selection)
        return;
    Child* child = childAt(row);
    if (!child)
        return;
    m_vorigeIndex = row;
    if (m_selection->count() < 3)
        m_selection->addObject(child);
    else
        gaNaarPersoonlijkDetailVeld(row, true);
}

void LeerlingenDataViewController::gaNaarPersoonlijkDetailVeld(int row, bool needsrefresh) {
    Child* child = childAt(row);
    if (!child || !m_selection)
        return;
    if (needsrefresh)
        m_selection->removeAllObjects();
    m_selection->addObject(child);
    openDetail(child, needsrefresh);
    m_model->selectionChanged();
}

void LeerlingenDataViewController::openDetail(Child* child, bool needsrefresh) {
    if (!m_detailFactory || !m_stack)
        return;
    ScreenController* detail = m_detailFactory(child, needsrefresh);
    if (!detail)
        return;
    m_dataViewController = detail;
    // The panels after this list go: a detail panel opened before is replaced.
    m_stack->addViewInSlider(detail, this, false);
}

void LeerlingenDataViewController::selectionRemoved() {
    if (m_selection && m_selection->count() == 0) {
        if (m_stack)
            m_stack->removeLastSubViewByController(this);
        m_dataViewController = nullptr;
    }
    m_model->selectionChanged();
}

void LeerlingenDataViewController::setSelecting(bool selecting) {
    if (selecting == m_selecting)
        return;
    m_selecting = selecting;
    emit selectingChanged();
}
