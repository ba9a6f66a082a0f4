#pragma once
// The rows of the group list: one group per row, {groupName, image, groupId} as the store lists them,
// with the group's picture once the image cache holds it.
// Main thread.
#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

class ImageCache;

class KlassenModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Roles {
        NameRole = Qt::UserRole + 1,
        GroupIdRole,
        PhotoRole, // a picture the view can load now, or empty for the placeholder
    };

    explicit KlassenModel(QObject* parent = nullptr);

    // Replaces the rows (a reset: a group type shows other groups).
    void setKlassen(const QList<QVariantMap>& klassen);
    const QList<QVariantMap>& klassen() const { return m_klassen; }
    int count() const { return int(m_klassen.size()); }
    // Pictures come from this cache (downloaded into it when missing); none: addresses as they are.
    void setImageCache(ImageCache* cache);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    void imageReady(const QString& key);

    QList<QVariantMap> m_klassen;
    QPointer<ImageCache> m_cache;
};
