#include "SearchOverzichtModel.h"

#include "DataAccessObject.h"
#include "ImageCache.h"
#include "ManagedObject.h"
#include "SelectieLijst.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// As Child::isIngeschreven reads the stored status.
int presenceCode(const QString& status) {
    if (status == QLatin1String("In"))
        return 1;
    if (status == QLatin1String("Out"))
        return 2;
    if (status == QLatin1String("Future"))
        return 3;
    return 0;
}

} // namespace

namespace ChildRows {

SearchOverzichtModel::Row row(const ChildListEntry& c) {
    SearchOverzichtModel::Row r;
    r.key = c.childId;
    r.name = QStringLiteral("%1 %2").arg(c.lastName, c.firstName);
    r.lastName = c.lastName;
    r.image = c.image;
    r.presence = presenceCode(c.ingeschrevenStatus);
    r.time = c.ingeschrevenTime;
    return r;
}

QString groupsLine(const DataAccessObject& dao, const QString& childId) {
    QList<QPair<QString, QString>> groups = dao.loadGroupNamesForChild(childId);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (const auto& g : std::as_const(groups))
        names << g.second;
    return names.join(QStringLiteral(" | "));
}

} // namespace ChildRows

SearchOverzichtModel::SearchOverzichtModel(QObject* parent)
    : QAbstractListModel(parent) {}

void SearchOverzichtModel::setRows(QList<Row> rows, bool keepPlace) {
    const int before = count();
    if (!keepPlace) {
        replace(std::move(rows), false);
        emit listReplaced();
    } else if (!update(rows)) {
        replace(std::move(rows), true);
    }
    if (count() != before)
        emit countChanged();
}

void SearchOverzichtModel::replace(QList<Row> rows, bool readAll) {
    // A reset would make the view build every visible row again; here a row only changes when it shows
    // someone or something else, and what it looked up when shown stays with it.
    const int before = count();
    const int after = int(rows.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_rows.resize(after);
        endRemoveRows();
    }
    const int common = std::min(before, after);
    int first = -1;
    for (int i = 0; i <= common; ++i) {
        if (i < common && (readAll || !m_rows.at(i).sameAs(rows.at(i)))) {
            m_rows[i] = std::move(rows[i]);
            if (first < 0)
                first = i;
        } else if (first >= 0) {
            emit dataChanged(index(first), index(i - 1));
            first = -1;
        }
    }
    if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_rows.reserve(after);
        for (int i = before; i < after; ++i)
            m_rows.append(std::move(rows[i]));
        endInsertRows();
    }
}

bool SearchOverzichtModel::update(const QList<Row>& rows) {
    // A refresh mostly brings the same people in the same order: only what came or went is inserted or
    // removed. Anything else is a new list.
    constexpr int kMaxRuns = 16;
    QHash<QString, int> newIndex;
    newIndex.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        if (newIndex.contains(rows.at(i).key))
            return false;
        else
            newIndex.insert(rows.at(i).key, i);
    QSet<QString> old;
    old.reserve(m_rows.size());
    int last = -1;
    int runs = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString& key = m_rows.at(i).key;
        old.insert(key);
        const auto it = newIndex.constFind(key);
        if (it == newIndex.cend()) {
            runs += i == 0 || newIndex.contains(m_rows.at(i - 1).key);
        } else if (*it <= last) {
            return false;
        } else {
            last = *it;
        }
    }
    if (old.size() != m_rows.size())
        return false;
    for (int i = 0; i < rows.size(); ++i)
        runs += !old.contains(rows.at(i).key) && (i == 0 || old.contains(rows.at(i - 1).key));
    if (runs > kMaxRuns || (last < 0 && !m_rows.isEmpty() && !rows.isEmpty()))
        return false;

    // Removals, from the end so that indexes stay valid.
    for (int i = int(m_rows.size()) - 1; i >= 0;) {
        if (newIndex.contains(m_rows.at(i).key)) {
            --i;
            continue;
        }
        int first = i;
        while (first > 0 && !newIndex.contains(m_rows.at(first - 1).key))
            --first;
        beginRemoveRows({}, first, i);
        m_rows.remove(first, i - first + 1);
        endRemoveRows();
        i = first - 1;
    }
    // Insertions: what remains is the new list's records that were there before, in its order.
    for (int i = 0; i < rows.size();) {
        if (old.contains(rows.at(i).key)) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < rows.size() && !old.contains(rows.at(end + 1).key))
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

QString SearchOverzichtModel::keyAt(int row) const {
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).key : QString();
}

void SearchOverzichtModel::setSelection(SelectieLijst* selection) {
    if (m_selection)
        disconnect(m_selection, nullptr, this, nullptr);
    m_selection = selection;
    if (m_selection)
        connect(m_selection, &SelectieLijst::changed, this, &SearchOverzichtModel::selectionChanged);
    selectionChanged();
}

void SearchOverzichtModel::selectionChanged() {
    QSet<QString> keys;
    if (m_selection)
        for (const ManagedObject* record : m_selection->geselecteerden())
            keys.insert(record->primaryKey());
    if (keys == m_selectedKeys)
        return;
    // Only the rows whose mark changes are redrawn.
    const QSet<QString> flipped = (keys - m_selectedKeys) | (m_selectedKeys - keys);
    m_selectedKeys = std::move(keys);
    for (int i = 0; i < m_rows.size(); ++i)
        if (flipped.contains(m_rows.at(i).key))
            emit dataChanged(index(i), index(i), {SelectedRole});
}

void SearchOverzichtModel::setSyncState(SyncState* state, SyncState::Kind kind) {
    if (m_syncState)
        disconnect(m_syncState, nullptr, this, nullptr);
    m_syncState = state;
    m_syncKind = kind;
    if (m_syncState)
        connect(m_syncState, &SyncState::marksChanged, this, &SearchOverzichtModel::syncMarksChanged);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1), {SyncMarkRole});
}

void SearchOverzichtModel::syncMarksChanged(SyncState::Kind kind, const QSet<QString>& keys) {
    if (kind != m_syncKind)
        return;
    // Only the rows whose mark changes are redrawn.
    for (int i = 0; i < m_rows.size(); ++i)
        if (const Row& r = m_rows.at(i); keys.contains(r.subject.isEmpty() ? r.key : r.subject))
            emit dataChanged(index(i), index(i), {SyncMarkRole});
}

void SearchOverzichtModel::setImageCache(ImageCache* cache) {
    if (m_cache)
        disconnect(m_cache, nullptr, this, nullptr);
    m_cache = cache;
    if (m_cache)
        connect(m_cache, &ImageCache::imageReady, this, &SearchOverzichtModel::imageReady);
}

QUrl SearchOverzichtModel::photoFor(const Row& row) const {
    return ImageCache::viewUrl(m_cache, row.image);
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
            r.groups = m_groupsLine && !r.key.isNull() ? m_groupsLine(r.key) : QString();
        return *r.groups;
    case TimeRole:
        return r.presence == 0 || r.time == QLatin1String("Future") ? QString() : r.time;
    case WarningRole:
        return r.presence != 0 && r.time == QLatin1String("Future");
    case PresenceRole:
        return r.presence;
    case SelectedRole:
        return m_selectedKeys.contains(r.key);
    case PhotoRole:
        if (!r.photo)
            r.photo = photoFor(r);
        return *r.photo;
    case SyncMarkRole:
        return m_syncState ? int(m_syncState->markFor(m_syncKind, r.subject.isEmpty() ? r.key : r.subject))
                           : 0;
    default:
        return {};
    }
}

QHash<int, QByteArray> SearchOverzichtModel::roleNames() const {
    return {{NameRole, "name"},       {GroupsRole, "groups"},     {TimeRole, "time"},
            {WarningRole, "warning"}, {PresenceRole, "presence"}, {SelectedRole, "selected"},
            {PhotoRole, "photo"},     {SyncMarkRole, "syncMark"}};
}
