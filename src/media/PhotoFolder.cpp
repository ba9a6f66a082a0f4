#include "PhotoFolder.h"

#include <QCache>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent>
#include <atomic>

// ------------------------------------------------------------------ the folder

PhotoFolderModel::PhotoFolderModel(QObject* parent)
    : QAbstractListModel(parent) {}

PhotoFolderModel::~PhotoFolderModel() {
    if (m_watcher)
        m_watcher->disconnect(this);
}

int PhotoFolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_pictures.size());
}

QVariant PhotoFolderModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Picture& picture = m_pictures.at(index.row());
    switch (role) {
    case PathRole:
        return picture.path;
    case NameRole:
    case Qt::DisplayRole:
        return QFileInfo(picture.path).fileName();
    case ThumbnailRole:
        return ThumbnailProvider::thumbnailUrl(picture.path, picture.modified);
    default:
        return {};
    }
}

QHash<int, QByteArray> PhotoFolderModel::roleNames() const {
    return {{PathRole, "path"}, {NameRole, "name"}, {ThumbnailRole, "thumbnail"}};
}

QList<PhotoFolderModel::Picture> PhotoFolderModel::listPictures(const QString& folder) {
    static const QStringList suffixes = [] {
        QStringList list;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            if (format != "svg" && format != "svgz" && format != "pdf")
                list << QStringLiteral("*.") + QString::fromLatin1(format);
        return list;
    }();
    QList<Picture> pictures;
    const QFileInfoList files = QDir(folder).entryInfoList(
        suffixes, QDir::Files | QDir::Readable, QDir::NoSort);
    pictures.reserve(files.size());
    for (const QFileInfo& file : files)
        if (file.size() > 0)
            pictures.append({file.absoluteFilePath(), file.lastModified()});
    std::sort(pictures.begin(), pictures.end(), [](const Picture& a, const Picture& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.path < b.path;
    });
    return pictures;
}

void PhotoFolderModel::setFolder(const QString& folder) {
    if (m_folder != folder) {
        m_folder = folder;
        emit folderChanged();
    }
    if (m_watcher)
        m_watcher->disconnect(this); // an earlier reading is no longer wanted
    beginResetModel();
    m_pictures.clear();
    m_loading = true;
    endResetModel();
    emit loadingChanged();
    m_watcher = new QFutureWatcher<QList<Picture>>(this);
    QFutureWatcher<QList<Picture>>* watcher = m_watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        m_watcher = nullptr;
        beginResetModel();
        m_pictures = watcher->result();
        m_exists = QFileInfo(m_folder).isDir();
        m_loading = false;
        endResetModel();
        emit loadingChanged();
    });
    connect(watcher, &QFutureWatcherBase::finished, watcher, &QObject::deleteLater);
    watcher->setFuture(QtConcurrent::run([folder] { return listPictures(folder); }));
}

// ------------------------------------------------------------------ thumbnails

namespace {

// About a hundred grid thumbnails: enough to scroll back without decoding them again.
constexpr qsizetype kCacheBytes = 24 * 1024 * 1024;

QMutex cacheMutex;
QCache<QString, QImage>& cache() {
    static QCache<QString, QImage> images(kCacheBytes / 1024);
    return images;
}
std::atomic<int> decoded{0};

// Half the cores: the main and render threads keep the others, so scrolling stays smooth while
// thumbnails are made (two decoders on two cores doubled the frame times, bench_photogrid).
QThreadPool& decoders() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qMax(1, QThread::idealThreadCount() / 2));
        p->setExpiryTimeout(5000);
        return p;
    }();
    return *pool;
}

class ThumbnailResponse : public QQuickImageResponse, public QRunnable {
public:
    ThumbnailResponse(QString path, QString key, QSize size)
        : m_path(std::move(path))
        , m_key(std::move(key))
        , m_size(size) {
        setAutoDelete(false);
    }
    QQuickTextureFactory* textureFactory() const override {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }
    QString errorString() const override { return m_image.isNull() ? QStringLiteral("unreadable") : QString(); }
    // A delegate scrolled out of sight before its turn: nothing to decode.
    void cancel() override { m_cancelled = true; }

    void run() override {
        if (!m_cancelled) {
            m_image = ThumbnailProvider::makeThumbnail(m_path, m_size);
            if (!m_image.isNull()) {
                QMutexLocker lock(&cacheMutex);
                cache().insert(m_key, new QImage(m_image), qMax<qsizetype>(1, m_image.sizeInBytes() / 1024));
            }
        }
        emit finished();
    }

    QImage m_image;

private:
    QString m_path;
    QString m_key;
    QSize m_size;
    std::atomic<bool> m_cancelled{false};
};

} // namespace

QUrl ThumbnailProvider::thumbnailUrl(const QString& path, const QDateTime& modified) {
    // The path as base64url: a file name may hold anything an address would mangle. The time makes a
    // changed file a new address, so no cache shows the old picture.
    return QUrl(QStringLiteral("image://%1/%2/%3")
                    .arg(QLatin1String(kProviderId),
                         QString::fromLatin1(path.toUtf8().toBase64(QByteArray::Base64UrlEncoding |
                                                                    QByteArray::OmitTrailingEquals)),
                         QString::number(modified.toMSecsSinceEpoch())));
}

QQuickImageResponse* ThumbnailProvider::requestImageResponse(const QString& id, const QSize& requestedSize) {
    const QString encoded = id.section(QLatin1Char('/'), 0, 0);
    const QString path = QString::fromUtf8(QByteArray::fromBase64(
        encoded.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
    const QSize size = requestedSize.isValid() && !requestedSize.isEmpty()
                           ? requestedSize
                           : QSize(kDefaultEdge, kDefaultEdge);
    const QString key = id + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x') +
                        QString::number(size.height());
    auto* response = new ThumbnailResponse(path, key, size);
    {
        QMutexLocker lock(&cacheMutex);
        if (const QImage* cached = cache().object(key)) {
            response->m_image = *cached;
            // Answered from the cache, but still after the caller has connected to finished().
            QMetaObject::invokeMethod(response, &QQuickImageResponse::finished, Qt::QueuedConnection);
            return response;
        }
    }
    decoders().start(response);
    return response;
}

QImage ThumbnailProvider::makeThumbnail(const QString& path, const QSize& size) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize full = reader.size();
    // The reader's size is as stored; a picture turned by its tag is decoded at the stored orientation.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    if (full.isValid() && size.isValid()) {
        const QSize want = turned ? size.transposed() : size;
        const QSize scaled = full.scaled(want, Qt::KeepAspectRatioByExpanding);
        if (scaled.width() < full.width())
            reader.setScaledSize(scaled);
    }
    QImage image = reader.read();
    if (!image.isNull())
        ++decoded;
    return image;
}

int ThumbnailProvider::decodedCount() {
    return decoded.load();
}
