#include "KlassenModel.h"

#include "ImageCache.h"

namespace {
const QString kGroupName = QStringLiteral("groupName");
const QString kImage = QStringLiteral("image");
const QString kGroupId = QStringLiteral("groupId");
} // namespace

KlassenModel::KlassenModel(QObject* parent)
    : QAbstractListModel(parent) {}

void KlassenModel::setKlassen(const QList<QVariantMap>& klassen) {
    const int before = count();
    beginResetModel();
    m_klassen = klassen;
    endResetModel();
    if (count() != before)
        emit countChanged();
}

void KlassenModel::setImageCache(ImageCache* cache) {
    if (m_cache)
        disconnect(m_cache, nullptr, this, nullptr);
    m_cache = cache;
    if (m_cache)
        connect(m_cache, &ImageCache::imageReady, this, &KlassenModel::imageReady);
}

void KlassenModel::imageReady(const QString& key) {
    for (int i = 0; i < count(); ++i)
        if (m_klassen.at(i).value(kImage).toString() == key)
            emit dataChanged(index(i), index(i), {PhotoRole});
}

int KlassenModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant KlassenModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QVariantMap& klas = m_klassen.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return klas.value(kGroupName).toString();
    case GroupIdRole:
        return klas.value(kGroupId).toString();
    case PhotoRole:
        return ImageCache::viewUrl(m_cache, klas.value(kImage).toString());
    default:
        return {};
    }
}

QHash<int, QByteArray> KlassenModel::roleNames() const {
    return {{NameRole, "name"}, {GroupIdRole, "groupId"}, {PhotoRole, "photo"}};
}
