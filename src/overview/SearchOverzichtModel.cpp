#include "SearchOverzichtModel.h"

#include "ImageCache.h"
#include "SelectieLijst.h"

#include <QHash>
#include <QSet>

SearchOverzichtModel::SearchOverzichtModel(QObject* parent)
    : QAbstractListModel(parent) {}

void SearchOverzichtModel::setRows(QList<Row> rows, bool keepPlace) {
    const int before = count();
    if (!keepPlace || !update(rows)) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    if (count() != before)
        emit countChanged();
}

bool SearchOverzichtModel::update(const QList<Row>& rows) {
    // A refresh mostly brings the same people in the same order: only what came or went is inserted or
    // removed. Anything else is a new list.
    constexpr int kMaxRuns = 16;
    QHash<const ManagedObject*, int> newIndex;
    newIndex.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        if (newIndex.contains(rows.at(i).record))
            return false;
        else
            newIndex.insert(rows.at(i).record, i);
    QSet<const ManagedObject*> old;
    old.reserve(m_rows.size());
    int last = -1;
    int runs = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const ManagedObject* record = m_rows.at(i).record;
        old.insert(record);
        const auto it = newIndex.constFind(record);
        if (it == newIndex.cend()) {
            runs += i == 0 || newIndex.contains(m_rows.at(i - 1).record);
        } else if (*it <= last) {
            return false;
        } else {
            last = *it;
        }
    }
    for (int i = 0; i < rows.size(); ++i)
        runs += !old.contains(rows.at(i).record) && (i == 0 || old.contains(rows.at(i - 1).record));
    if (runs > kMaxRuns || (last < 0 && !m_rows.isEmpty() && !rows.isEmpty()))
        return false;

    // Removals, from the end so that indexes stay valid.
    for (int i = int(m_rows.size()) - 1; i >= 0;) {
        if (newIndex.contains(m_rows.at(i).record)) {
            --i;
            continue;
        }
        int first = i;
        while (first > 0 && !newIndex.contains(m_rows.at(first - 1).record))
            --first;
        beginRemoveRows({}, first, i);
        m_rows.remove(first, i - first + 1);
        endRemoveRows();
        i = first - 1;
    }
    // Insertions: what remains is the new list's records that were there before, in its order.
    for (int i = 0; i < rows.size();) {
        if (old.contains(rows.at(i).record)) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < rows.size() && !old.contains(rows.at(end + 1).record))
            ++end;
        beginInsertRows({}, i, end);
        for (int j = i; j <= end; ++j)
            m_rows.insert(j, rows.at(j));
        endInsertRows();
        i = end + 1;
    }
    // The rows that stayed get their new texts; groups and photos are looked up again when shown.
    for (int i = 0; i < rows.size(); ++i)
        m_rows[i] = rows.at(i);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(count() - 1));
    return true;
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
