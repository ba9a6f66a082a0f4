#pragma once
// The searchable overview of the location's children with their presence: a name search (case and
// accents ignored, the text taken literally), the presence filter "Alle" / "In" / "Uit" / "Afwezig"
// with counts in its titles, a group filter, an A–Z index, and the gestures that build the shared
// selection and open the detail panel next to this one. The staff search list is the same screen with
// another SearchListDefinition.
// Main thread. The people of the location are read once into memory (again on "forceSearch",
// "reloadKindjesData" and a group choice); a keystroke filters them there. The counts run one at a time on a
// serial background queue with that thread's own store context; their result comes back on the main thread.
// Owned by the panel stack.
#include "Predicate.h"
#include "ScreenController.h"
#include "SearchOverzichtModel.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class DataAccessObject;
class GroupSelectorViewController;
class ImageCache;
class ManagedObject;
class SelectieLijst;
class SerialQueue;
class StackScrollViewController;

// One person the list can show: the row, and the names the search compares with.
struct SearchListEntry {
    SearchOverzichtModel::Row row;
    QString foldedFirstName; // case- and accent-free (TextKeys::fold); null: no name
    QString foldedLastName;
};

// What differs between the children's overview and the staff list.
struct SearchListDefinition {
    QString title;
    QString entityId;     // the current location
    QString keyName;      // the records' primary key attribute
    QString firstNameKey; // the attributes the name search and the A–Z index use
    QString lastNameKey;
    bool groupFilter = false;
    // Whose queue marks the rows show.
    SyncState::Kind markKind = SyncState::Kind::Child;
    // Everyone the list can show, in list order, as plain values (main thread).
    std::function<QList<SearchListEntry>(const DataAccessObject&)> load;
    // The record behind a row's key, or null (main thread).
    std::function<ManagedObject*(const DataAccessObject&, const QString&)> record;
    // The four counts (all, In, all minus In, other) for a condition; runs on the counting thread.
    std::function<QStringList(const DataAccessObject&, const Predicate&)> count;
    // The groups line of a record's key (shown rows only); none: no groups line.
    std::function<QString(const DataAccessObject&, const QString&)> groupsLine;
    // The keys of the members of a group row {groupId, groupName, ...}; any thread.
    std::function<QStringList(const DataAccessObject&, const QVariantMap&)> groupMembers;

    // The children of a location.
    static SearchListDefinition children(const QString& entityId);
    // The staff members who clock their time, of every location, one row per member (first names Z–A);
    // no group filter. entityId: the current location.
    static SearchListDefinition staff(const QString& entityId);
};

class SearchOverzichtViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(SearchOverzichtModel* model READ model CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE searchBarTextDidChange NOTIFY searchTextChanged)
    Q_PROPERTY(bool cancelButtonShown READ cancelButtonShown NOTIFY cancelButtonShownChanged)
    Q_PROPERTY(int presenceSegment READ presenceSegment WRITE didClickSegmentationFilterInOut NOTIFY
                   presenceSegmentChanged)
    Q_PROPERTY(QStringList segmentTitles READ segmentTitles NOTIFY segmentTitlesChanged)
    Q_PROPERTY(bool groupFilterShown READ groupFilterShown CONSTANT)
    Q_PROPERTY(QString groupFilterTitle READ groupFilterTitle NOTIFY selectedGroupChanged)
    Q_PROPERTY(bool groupFilterSelected READ groupFilterSelected NOTIFY selectedGroupChanged)
    Q_PROPERTY(GroupSelectorViewController* groupSelector READ groupSelector NOTIFY groupSelectorChanged)
    // Between the start of a search and its redraw: the filters wait and a small indicator turns.
    Q_PROPERTY(bool searching READ searching NOTIFY searchingChanged)
    Q_PROPERTY(bool counting READ counting NOTIFY countingChanged)
    Q_PROPERTY(QStringList sectionIndexTitles READ sectionIndexTitles CONSTANT)
    // The queue's state for the header line and the rows' marks; null: neither is shown.
    Q_PROPERTY(SyncState* syncState READ syncState NOTIFY syncStateChanged)
    // A row the view must bring into sight (the record showDetail opened), -1 for none.
    Q_PROPERTY(int revealRow READ revealRow NOTIFY revealRowChanged)
public:
    enum Segment { Alle = 0, In = 1, Uit = 2, Afwezig = 3 };
    Q_ENUM(Segment)
    // Makes the detail screen for a record (needsrefresh as asked); the stack adopts it.
    using DetailFactory = std::function<ScreenController*(ManagedObject* record, bool needsrefresh)>;

    // selection: the shared selection this list builds; stack: where the detail panel opens (may be null);
    // images: the picture cache (null: addresses are shown as they are). Starts the first count and search.
    SearchOverzichtViewController(SearchListDefinition definition, DataAccessObject* dao,
                                  SelectieLijst* selection, StackScrollViewController* stack,
                                  ImageCache* images = nullptr, QObject* parent = nullptr);
    ~SearchOverzichtViewController() override;

    // The rows show the queue marks of state and the header its line; a tap on the line calls
    // openQueueScreen for administrators (on the next pass of the event loop) and explains to others.
    void setSyncState(SyncState* state, std::function<void()> openQueueScreen = {});
    SyncState* syncState() const { return m_syncState; }
    // A tap on the header's queue line.
    Q_INVOKABLE void syncStateTapped();

    // Used when a selection gesture must open the detail panel; unset: no panel opens.
    void setDetailFactory(DetailFactory factory) { m_detailFactory = std::move(factory); }

    SearchOverzichtModel* model() const { return m_model; }
    QString searchText() const { return m_searchText; }
    bool cancelButtonShown() const { return m_cancelButtonShown; }
    int presenceSegment() const { return m_presenceSegment; }
    QStringList segmentTitles() const { return m_segmentTitles; }
    bool groupFilterShown() const { return m_definition.groupFilter; }
    QVariantMap selectedGroup() const { return m_selectedGroup; }
    QString groupFilterTitle() const;
    bool groupFilterSelected() const { return !m_selectedGroup.isEmpty(); }
    GroupSelectorViewController* groupSelector() const;
    bool searching() const { return m_searching; }
    bool counting() const { return m_counting; }
    QStringList sectionIndexTitles() const;
    // The records shown, in list order.
    QList<ManagedObject*> searchArray() const;
    // The detail panel opened from here, while it exists.
    ScreenController* dataViewController() const { return m_dataViewController; }
    bool detailViewEnabled() const { return m_detailViewEnabled; }
    int revealRow() const { return m_revealRow; }
    // The row of the record with that key in the list, or -1.
    int rowOfKey(const QString& key) const;

    // The condition for a search text and a group (either may be empty); the same for list and count.
    static Predicate searchCondition(const SearchListDefinition& definition, const DataAccessObject& dao,
                                     const QString& text, const QVariantMap& group);

    // Rebuilds the list for the current text, group and presence segment.
    Q_INVOKABLE void doSearch();
    // Reads the location's people again, then rebuilds the list keeping its place ("forceSearch").
    void refresh();
    // Recounts in the background; asked while a count runs, it runs once more when that one ends.
    Q_INVOKABLE void doCount();
    // Writes the counts (all, In, all minus In, other) into the segment titles.
    void updateCounters(const QStringList& counts);
    // refresh, then doCount ("reloadKindjesData").
    void reloadData();
    // Closes the detail panel opened from here once the selection is empty, and redraws the marks.
    void reloadTableData();

    Q_INVOKABLE void searchBarTextDidBeginEditing();
    Q_INVOKABLE void searchBarTextDidChange(const QString& text);
    Q_INVOKABLE void searchBarSearchButtonClicked();
    Q_INVOKABLE void searchBarCancelButtonClicked();
    Q_INVOKABLE void didClickSegmentationFilterInOut(int segment);
    // Opens the group picker (groupSelector becomes non-null until a choice or closeGroupSelector).
    Q_INVOKABLE void didClickSegmentationFilterGroups();
    Q_INVOKABLE void closeGroupSelector();
    // The picker's choice: a group row, or an empty map for "Wis Selectie".
    Q_INVOKABLE void groupSelected(const QVariantMap& group);

    // A tap on a row: toggles its record in the selection; adding opens the detail panel when none is open.
    Q_INVOKABLE void doMultiSelect(int row);
    // A long press that is (now) over row; -1 when not over a row.
    Q_INVOKABLE void handleLongPress(int row);
    // Selects the row's record (alone when needsrefresh) and opens its detail panel.
    Q_INVOKABLE void gaNaarPersoonlijkDetailVeld(int row, bool needsrefresh);
    // Shows the record with that key selected, with its detail panel, and its row in sight: a search or
    // filter that hides it is dropped first ("showDetailNotification" {"key": key}). Unknown keys do
    // nothing.
    void showDetail(const QString& key);
    // A tap on index letter `index`: answers -1 and, on the next pass of the event loop, asks the view
    // to scroll to the first row for that letter or the nearest earlier letter that has one.
    Q_INVOKABLE int sectionForSectionIndexTitle(const QString& title, int index);
    // The first row whose last name starts with letter `index` or the nearest earlier one; -1: none.
    int rowForSectionIndex(int index) const;

signals:
    void searchTextChanged();
    void cancelButtonShownChanged();
    void presenceSegmentChanged();
    void segmentTitlesChanged();
    void selectedGroupChanged();
    void groupSelectorChanged();
    void searchingChanged();
    void countingChanged();
    // The view scrolls so that row is at the top.
    void scrollToRow(int row);
    // The search field gives up the keyboard.
    void keyboardDismissed();
    // A count finished and its titles were written (tests wait on it).
    void countsUpdated();
    void syncStateChanged();
    void revealRowChanged();

private:
    // keepPlace: a refresh of the same list (notifications), which leaves the view where it was.
    void search(bool keepPlace);
    // Reads the people of the location (and the chosen group's members) into memory.
    void load();
    ManagedObject* recordAt(int row) const;
    void setCancelButtonShown(bool shown);
    void setSearching(bool searching);
    void countFinished(const QStringList& counts);
    void openDetail(ManagedObject* record, bool needsrefresh);
    void setRevealRow(int row);

    SearchListDefinition m_definition;
    DataAccessObject* m_dao;
    QPointer<SelectieLijst> m_selection;
    QPointer<StackScrollViewController> m_stack;
    SearchOverzichtModel* m_model;
    DetailFactory m_detailFactory;
    QPointer<SyncState> m_syncState;
    std::function<void()> m_openQueueScreen;

    QString m_searchText;
    bool m_cancelButtonShown = false;
    int m_presenceSegment = Alle;
    QStringList m_segmentTitles;
    QVariantMap m_selectedGroup;
    QPointer<GroupSelectorViewController> m_groupSelector;
    bool m_searching = false;

    QList<SearchListEntry> m_entries;
    QSet<QString> m_groupMembers; // of the chosen group
    int m_loadedGeneration = -1;  // the store's generation the entries were read from

    bool m_counting = false;
    bool m_countWaiting = false;
    std::unique_ptr<SerialQueue> m_backgroundQueue;

    QPointer<ScreenController> m_dataViewController;
    bool m_detailViewEnabled = false;
    int m_vorigeIndex = -1; // no row before the first long press
    int m_revealRow = -1;
};
