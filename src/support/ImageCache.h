#pragma once
// Pictures by key (a server address or a key made on the tablet): memory first, then a disk folder
// whose file names are hashes of the keys (never the raw key). Addresses not cached yet are downloaded
// once. Main thread.
#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

class ImageCache : public QObject {
    Q_OBJECT
public:
    explicit ImageCache(const QString& folder, QObject* parent = nullptr);
    ~ImageCache() override;

    static ImageCache* shared();
    static void setShared(ImageCache* cache);

    void storeImage(const QString& key, const QByteArray& data);
    // The picture's bytes, or empty when not cached (an http(s) key is then downloaded; imageReady follows).
    QByteArray imageData(const QString& key);
    bool contains(const QString& key) const;
    void removeAll();
    QString folder() const { return m_folder; }
    QString fileFor(const QString& key) const;
    // What a view can load now for a picture key: the cached file, or empty for the placeholder (a
    // download is started and imageReady follows). Without a cache, an address is shown as it is.
    static QUrl viewUrl(ImageCache* cache, const QString& key);

signals:
    void imageReady(const QString& key);

private:
    void download(const QString& key);

    QString m_folder;
    QCache<QString, QByteArray> m_memory;
    QHash<QString, bool> m_downloading;
    QNetworkAccessManager* m_network = nullptr;
    quint64 m_trustGeneration = 0;
};
