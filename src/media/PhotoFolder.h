#pragma once
// The pictures of one folder for the photo grid, newest first, and the thumbnails the grid shows.
// PhotoFolderModel: main thread; the folder is read on the thread pool, so a slow or crowded folder
// never holds up a frame. ThumbnailProvider: made by the QML engine's image threads, decodes on a
// pool of its own and keeps the last thumbnails in a small cache shared by all its instances.
#include <QAbstractListModel>
#include <QDateTime>
#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QQuickAsyncImageProvider>
#include <QString>
#include <QUrl>

class PhotoFolderModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(QString folder READ folder NOTIFY folderChanged)
    // True while the folder is being read; the grid shows neither pictures nor the empty text then.
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(bool folderExists READ folderExists NOTIFY loadingChanged)
    Q_PROPERTY(int count READ rowCount NOTIFY loadingChanged)
public:
    enum Roles { PathRole = Qt::UserRole + 1, NameRole, ThumbnailRole };
    struct Picture {
        QString path;
        QDateTime modified;
    };

    explicit PhotoFolderModel(QObject* parent = nullptr);
    ~PhotoFolderModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString folder() const { return m_folder; }
    bool loading() const { return m_loading; }
    bool folderExists() const { return m_exists; }
    // Reads the folder anew (in the background); loading until it is read.
    void setFolder(const QString& folder);

    // The readable pictures directly in folder (not its subfolders), newest first, then by name. Any thread.
    static QList<Picture> listPictures(const QString& folder);

signals:
    void folderChanged();
    void loadingChanged();

private:
    QString m_folder;
    QList<Picture> m_pictures;
    bool m_loading = false;
    bool m_exists = false;
    QFutureWatcher<QList<Picture>>* m_watcher = nullptr;
};

class ThumbnailProvider : public QQuickAsyncImageProvider {
public:
    // image://<kProviderId>/<file URL, percent-encoded>
    static constexpr const char* kProviderId = "photothumbs";
    // Longest side of a thumbnail when the view asks for no size.
    static constexpr int kDefaultEdge = 256;

    static QUrl thumbnailUrl(const QString& path, const QDateTime& modified);
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

    // Upright (orientation tag applied) and just large enough to cover size, decoded at that size
    // where the format allows it (a JPEG decodes at a fraction much faster). Null when unreadable.
    static QImage makeThumbnail(const QString& path, const QSize& size);
    // How many thumbnails were decoded rather than taken from the cache (for tests and benchmarks).
    static int decodedCount();
};
