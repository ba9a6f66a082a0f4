#pragma once
// The rows of a search overview: one person (child or staff member) per row with name, groups line,
// presence time and icons, selection mark and photo. Texts are read from the record when the list is
// set; the groups line and the photo address only when a row is first shown.
// Main thread; the records belong to the main thread's store context.
#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <optional>

class ImageCache;
class ManagedObject;
class SelectieLijst;

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
        PhotoRole, // a picture the view can load now, or empty for the placeholder
    };

    struct Row {
        ManagedObject* record = nullptr;
        QString name;
        QString lastName; // for the A–Z index
        QString image;    // the picture's key in the image cache (usually its address)
        int presence = 0;
        QString time;
        mutable std::optional<QString> groups;
        mutable std::optional<QUrl> photo;
    };

    explicit SearchOverzichtModel(QObject* parent = nullptr);

    // Replaces the rows by a model reset (the view starts at the top). With keepPlace, when the records
    // that stay keep their order and little changed, rows are inserted and removed instead, so the view
    // keeps its place (a refresh of the same list).
    void setRows(QList<Row> rows, bool keepPlace = false);
    const QList<Row>& rows() const { return m_rows; }
    ManagedObject* recordAt(int row) const;
    int count() const { return int(m_rows.size()); }

    // Check marks follow this list.
    void setSelection(SelectieLijst* selection) { m_selection = selection; }
    // Redraws every check mark.
    void selectionChanged();
    // Computes a record's groups line when its row is first shown; none: no groups line.
    void setGroupsLine(std::function<QString(ManagedObject*)> groupsLine) {
        m_groupsLine = std::move(groupsLine);
    }
    // Photos come from this cache (downloaded into it when missing); none: addresses are shown as they are.
    void setImageCache(ImageCache* cache);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    bool update(const QList<Row>& rows);
    QUrl photoFor(const Row& row) const;
    void imageReady(const QString& key);

    QList<Row> m_rows;
    QPointer<SelectieLijst> m_selection;
    QPointer<ImageCache> m_cache;
    std::function<QString(ManagedObject*)> m_groupsLine;
};
