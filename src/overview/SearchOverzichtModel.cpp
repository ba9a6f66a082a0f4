#include "SearchOverzichtModel.h"

#include "ImageCache.h"
#include "SelectieLijst.h"

SearchOverzichtModel::SearchOverzichtModel(QObject* parent)
    : QAbstractListModel(parent) {}

void SearchOverzichtModel::setRows(QList<Row> rows) {
    const int before = count();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    if (count() != before)
        emit countChanged();
}

ManagedObject* SearchOverzichtModel::recordAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).record : nullptr;
}

void SearchOverzichtModel::selectionChanged() {
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(count() - 1), {SelectedRole});
}

void SearchOverzichtModel::setImageCache(ImageCache* cache) {
    if (m_cache)
        disconnect(m_cache, nullptr, this, nullptr);
    m_cache = cache;
    if (m_cache)
        connect(m_cache, &ImageCache::imageReady, this, &SearchOverzichtModel::imageReady);
}

QUrl SearchOverzichtModel::photoFor(const Row& row) const {
    if (row.image.isEmpty())
        return {};
    if (!m_cache) {
        const QUrl url(row.image);
        return url.scheme().isEmpty() ? QUrl() : url;
    }
    // The cache keeps each picture in a file of its own: the view loads that file directly.
    if (m_cache->contains(row.image))
        return QUrl::fromLocalFile(m_cache->fileFor(row.image));
    m_cache->imageData(row.image); // starts the download of an address; imageReady follows
    return {};
}

void SearchOverzichtModel::imageReady(const QString& key) {
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row& r = m_rows.at(i);
        if (r.image == key) {
            r.photo.reset();
            emit dataChanged(index(i), index(i), {PhotoRole});
        }
    }
}

int SearchOverzichtModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SearchOverzichtModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return r.name;
    case GroupsRole:
        if (!r.groups)
            r.groups = m_groupsLine && r.record ? m_groupsLine(r.record) : QString();
        return *r.groups;
    case TimeRole:
        return r.presence == 0 || r.time == QLatin1String("Future") ? QString() : r.time;
    case WarningRole:
        return r.presence != 0 && r.time == QLatin1String("Future");
    case PresenceRole:
        return r.presence;
    case SelectedRole:
        return m_selection && m_selection->containsObject(r.record);
    case PhotoRole:
        if (!r.photo)
            r.photo = photoFor(r);
        return *r.photo;
    default:
        return {};
    }
}

QHash<int, QByteArray> SearchOverzichtModel::roleNames() const {
    return {{NameRole, "name"},       {GroupsRole, "groups"},     {TimeRole, "time"},
            {WarningRole, "warning"}, {PresenceRole, "presence"}, {SelectedRole, "selected"},
            {PhotoRole, "photo"}};
}
