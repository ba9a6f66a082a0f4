#pragma once
// The group list of the menu entry "Lijsten": the location's group types as segments (the choice is
// remembered under "cc_lastselectedCategoryType"), the groups of the chosen type with their pictures,
// and an index strip "A"–"Z", "0"–"9". A tapped group opens its children next to this list.
// Main thread. Owned by the panel stack.
#include "KlassenModel.h"
#include "LeerlingenDataViewController.h"
#include "ScreenController.h"

#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class DataAccessObject;
class ImageCache;
class SelectieLijst;
class StackScrollViewController;

class KlassenDataViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(KlassenModel* model READ model CONSTANT)
    // One segment per group type, in the store's order; none when the location has no groups.
    Q_PROPERTY(QStringList segmentTitles READ segmentTitles CONSTANT)
    // The chosen segment, or -1 when every type is listed.
    Q_PROPERTY(int selectedSegment READ selectedSegment NOTIFY categoryChanged)
    Q_PROPERTY(QString category READ category NOTIFY categoryChanged)
    // Shown in the header instead of the segments; empty when there are group types.
    Q_PROPERTY(QString headerText READ headerText CONSTANT)
    Q_PROPERTY(QStringList sectionIndexTitles READ sectionIndexTitles CONSTANT)
public:
    static const QString kCategoryKey; // "cc_lastselectedCategoryType"

    // entityId: the current location; selection, stack, images: handed to the children lists it opens.
    KlassenDataViewController(const QString& entityId, DataAccessObject* dao, SelectieLijst* selection,
                              StackScrollViewController* stack, ImageCache* images = nullptr,
                              QObject* parent = nullptr);
    ~KlassenDataViewController() override;

    // How the children lists opened from here make their detail panels.
    void setDetailFactory(LeerlingenDataViewController::DetailFactory factory) {
        m_detailFactory = std::move(factory);
    }
    // The children lists opened from here show the queue marks of state.
    void setSyncState(SyncState* state) { m_syncState = state; }

    KlassenModel* model() const { return m_model; }
    QStringList segmentTitles() const { return m_groupTypes; }
    int selectedSegment() const { return m_selectedSegment; }
    QString category() const { return m_category; }
    QString headerText() const;
    QStringList sectionIndexTitles() const;
    // The groups shown: rows {groupName, image, groupId}.
    const QList<QVariantMap>& klassen() const;
    // The children list opened last, while it exists.
    LeerlingenDataViewController* leerlingenViewController() const { return m_leerlingen; }

    // Chooses group type `segment`, remembers it and lists its groups.
    Q_INVOKABLE void didClickSegmentation(int segment);
    // Opens the children of the group of that row as the panel after this list.
    Q_INVOKABLE void tableViewDidSelectRowAtIndexPath(int row);
    // A tap on index entry `index`: answers -1 and, on the next pass of the event loop, asks the view to
    // scroll to the first group for that entry or the nearest earlier entry that has one.
    Q_INVOKABLE int sectionForSectionIndexTitle(const QString& title, int index);
    // The first row whose group name starts with entry `index` or the nearest earlier one; -1: none.
    int rowForSectionIndex(int index) const;

signals:
    void categoryChanged();
    // The view scrolls so that row is at the top.
    void scrollToRow(int row);

private:
    void loadKlassen();

    QString m_entityId;
    DataAccessObject* m_dao;
    QPointer<SelectieLijst> m_selection;
    QPointer<StackScrollViewController> m_stack;
    QPointer<ImageCache> m_images;
    KlassenModel* m_model;
    LeerlingenDataViewController::DetailFactory m_detailFactory;
    QPointer<SyncState> m_syncState;
    QStringList m_groupTypes;
    int m_selectedSegment = -1;
    QString m_category;
    QPointer<LeerlingenDataViewController> m_leerlingen;
};
