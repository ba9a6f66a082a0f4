#pragma once
// The rows of a search overview: one person per row with name, groups line, presence time and icons,
// selection mark and photo. Rows are plain values named by their record's primary key; the groups line
// and the photo address are looked up only when a row is first shown.
// Main thread.
#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <functional>

#include "SyncState.h"
#include <optional>

class DataAccessObject;
class ImageCache;
class SelectieLijst;
struct ChildListEntry;

class SearchOverzichtModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Roles {
        NameRole = Qt::UserRole + 1,
        GroupsRole,
        TimeRole,     // empty without status and for "Future"
        WarningRole,  // the time is "Future"
        PresenceRole, // isIngeschreven: 0 none, 1 In, 2 Out, 3 Future
        SelectedRole,
        PhotoRole,    // a picture the view can load now, or empty for the placeholder
        SyncMarkRole, // SyncState::Mark of the person's registrations: 0 none, 1 waiting, 2 failed
    };

    struct Row {
        QString key;     // the record's primary key
        QString subject; // the person's id the queue marks use (userId of a staff row); empty: key
        QString name;
        QString lastName; // for the A–Z index
        QString image;    // the picture's key in the image cache (usually its address)
        int presence = 0;
        QString time;
        mutable std::optional<QString> groups;
        mutable std::optional<QUrl> photo;

        // Same record, same texts (what was looked up when shown aside).
        bool sameAs(const Row& other) const {
            return key == other.key && subject == other.subject && presence == other.presence &&
                   name == other.name && time == other.time && image == other.image &&
                   lastName == other.lastName;
        }
    };

    explicit SearchOverzichtModel(QObject* parent = nullptr);

    // Replaces the rows. A new list (keepPlace false) takes the place of the old one row by row: only
    // rows that now show something else change, the count changes at the end, and listReplaced() asks
    // the view to show the top. With keepPlace, when the rows that stay keep their order and little
    // changed, rows are inserted and removed instead and every row is read again (a refresh of the same
    // list), so the view keeps its place.
    void setRows(QList<Row> rows, bool keepPlace = false);
    const QList<Row>& rows() const { return m_rows; }
    // The record key of a row, or a null text.
    QString keyAt(int row) const;
    int count() const { return int(m_rows.size()); }

    // Check marks follow this list (and redraw when it changes).
    void setSelection(SelectieLijst* selection);
    // Redraws every check mark.
    void selectionChanged();
    // Queue marks follow this state for people of this kind (and redraw when they change).
    void setSyncState(SyncState* state, SyncState::Kind kind);
    // Computes a record's groups line (by key) when its row is first shown; none: no groups line.
    void setGroupsLine(std::function<QString(const QString&)> groupsLine) {
        m_groupsLine = std::move(groupsLine);
    }
    // Photos come from this cache (downloaded into it when missing); none: addresses are shown as they are.
    void setImageCache(ImageCache* cache);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();
    // A new list took the place of the old one: the view goes back to its top.
    void listReplaced();

private:
    bool update(const QList<Row>& rows);
    void replace(QList<Row> rows, bool readAll);
    QUrl photoFor(const Row& row) const;
    void imageReady(const QString& key);
    void syncMarksChanged(SyncState::Kind kind, const QSet<QString>& keys);

    QList<Row> m_rows;
    QPointer<SelectieLijst> m_selection;
    QSet<QString> m_selectedKeys;
    QPointer<SyncState> m_syncState;
    SyncState::Kind m_syncKind = SyncState::Kind::Child;
    QPointer<ImageCache> m_cache;
    std::function<QString(const QString&)> m_groupsLine;
};

// How a child shows in a list of people (the overview, the children of a group).
namespace ChildRows {
// Name "last first", presence code and time as the stored status gives them, the picture's key.
SearchOverzichtModel::Row row(const ChildListEntry& child);
// The names of the child's groups, by group type A–Z, joined with " | "; empty without named groups.
QString groupsLine(const DataAccessObject& dao, const QString& childId);
} // namespace ChildRows
