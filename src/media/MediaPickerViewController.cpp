#include "MediaPickerViewController.h"

#include "CameraCapture.h"
#include "Log.h"
#include "Resources.h"

#include <QBuffer>
#include <QDir>
#include <QFutureWatcher>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>
#include <QtConcurrent>

MediaSourcesModel::MediaSourcesModel(MediaPickerViewController* picker)
    : QAbstractListModel(picker)
    , m_picker(picker) {}

int MediaSourcesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_picker->mediaSources().size());
}

QVariant MediaSourcesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto& source = m_picker->mediaSources().at(index.row());
    if (role == TitleRole || role == Qt::DisplayRole)
        return source.title;
    return {};
}

QHash<int, QByteArray> MediaSourcesModel::roleNames() const {
    return {{TitleRole, "title"}};
}

void MediaSourcesModel::reset() {
    beginResetModel();
    endResetModel();
}

MediaPickerViewController::MediaPickerViewController(QObject* delegate, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("media/qml/MediaPickerView.qml")),
                       tr("Kies een foto"), parent)
    , m_sources(new MediaSourcesModel(this))
    , m_photos(new PhotoFolderModel(this))
    , m_delegate(delegate) {}

MediaPickerViewController::~MediaPickerViewController() {
    closeCamera();
}

void MediaPickerViewController::setSources(bool camera, bool savedAlbums, bool photoLibrary) {
    m_isSelectFromCamera = camera;
    m_isSelectFromSavedAlbums = savedAlbums;
    m_isSelectFromPhotoLibrary = photoLibrary;
}

void MediaPickerViewController::viewDidLoad() {
    const MediaSource camera{Camera, tr("Neem een foto")};
    const MediaSource saved{SavedPhotosAlbum, tr("Foto rol")};
    const MediaSource library{PhotoLibrary, tr("Foto gallerij")};
    m_mediaSources.clear();
    if (!m_isSelectFromCamera && !m_isSelectFromSavedAlbums && !m_isSelectFromPhotoLibrary) {
        m_mediaSources = {library, saved, camera};
    } else {
        if (m_isSelectFromCamera)
            m_mediaSources << camera;
        if (m_isSelectFromSavedAlbums)
            m_mediaSources << saved;
        if (m_isSelectFromPhotoLibrary)
            m_mediaSources << library;
    }
    m_sources->reset();
}

void MediaPickerViewController::setSourceAvailability(std::function<bool(SourceType)> available) {
    m_available = std::move(available);
}

bool MediaPickerViewController::isSourceTypeAvailable(SourceType type) const {
    if (m_available)
        return m_available(type);
    switch (type) {
    case Camera:
        return CameraCapture::available();
    case SavedPhotosAlbum:
    case PhotoLibrary:
        return true; // the photo grid, on the pictures folder or the home folder
    default:
        return false;
    }
}

void MediaPickerViewController::didSelectRow(int row) {
    if (row < 0 || row >= m_mediaSources.size())
        return;
    const SourceType type = m_mediaSources.at(row).type;
    if (!isSourceTypeAvailable(type)) {
        dialogs()->alert(tr("Error"), tr("Source of this type isn't available on your device"), {tr("Ok")});
        return;
    }
    if (type == Camera)
        openCamera();
    else
        setOpenSource(type);
}

namespace {
QString& chosenPicturesFolder() {
    static QString folder;
    return folder;
}
} // namespace

void MediaPickerViewController::setPicturesFolder(const QString& folder) {
    chosenPicturesFolder() = folder;
}

QUrl MediaPickerViewController::picturesFolder() const {
    if (!chosenPicturesFolder().isEmpty())
        return QUrl::fromLocalFile(chosenPicturesFolder());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QUrl::fromLocalFile(QDir(pictures).exists() ? pictures : QDir::homePath());
}

void MediaPickerViewController::setOpenSource(int source) {
    if (m_openSource == source)
        return;
    m_openSource = source;
    // Read anew each time the grid opens: pictures may have come meanwhile.
    if (source == SavedPhotosAlbum || source == PhotoLibrary)
        m_photos->setFolder(picturesFolder().toLocalFile());
    emit openSourceChanged();
}

void MediaPickerViewController::imagePickerDidPickFile(const QString& pathOrUrl) {
    const QUrl url(pathOrUrl);
    const QString path = url.isLocalFile() ? url.toLocalFile() : pathOrUrl;
    didFinishPickingImage([path] { return readPicture(path); });
}

void MediaPickerViewController::imagePickerControllerDidCancel() {
    closeCamera();
    setOpenSource(NoSource);
}

void MediaPickerViewController::didFinishPickingImage(std::function<QImage()> load) {
    m_busy = true;
    emit busyChanged();
    if (m_delegate && m_delegate->metaObject()->indexOfMethod("closeMediaPopOver()") >= 0)
        QMetaObject::invokeMethod(m_delegate, "closeMediaPopOver");
    closeCamera();
    setOpenSource(NoSource);
    // Decoding and encoding a camera picture takes long: off the main thread.
    auto* watcher = new QFutureWatcher<QByteArray>(this);
    connect(watcher, &QFutureWatcher<QByteArray>::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_busy = false;
        emit busyChanged();
        deliver(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([load = std::move(load)] {
        const QImage picture = fitPicture(load());
        return picture.isNull() ? QByteArray() : encodeForUpload(picture);
    }));
}

void MediaPickerViewController::deliver(const QByteArray& data) {
    if (data.isEmpty()) {
        CC_LOG(QStringLiteral("picture not readable"));
    } else if (m_delegate) {
        QMetaObject::invokeMethod(m_delegate, "userDidEnterInfo", Q_ARG(QByteArray, data));
    }
    emit finished();
}

QImage MediaPickerViewController::readPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // Let the decoder scale (JPEG decodes at a fraction of the size much faster).
    if (size.isValid() && qMax(size.width(), size.height()) > kMaxEdge)
        reader.setScaledSize(size.scaled(kMaxEdge, kMaxEdge, Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (picture.isNull())
        CC_LOG(QStringLiteral("picture not readable: %1")
                   .arg(reader.errorString())); // a file name may be a name
    return picture;
}

QImage MediaPickerViewController::fitPicture(const QImage& picture) {
    if (picture.isNull() || qMax(picture.width(), picture.height()) <= kMaxEdge)
        return picture;
    return picture.scaled(kMaxEdge, kMaxEdge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QByteArray MediaPickerViewController::encodeJpeg(const QImage& picture, double quality) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(qBound(0, qRound(quality * 100), 100));
    writer.write(picture);
    return data;
}

QByteArray MediaPickerViewController::encodeForUpload(const QImage& picture, QList<double>* qualities) {
    double quality = 1.0;
    QByteArray data = encodeJpeg(picture, quality);
    if (qualities)
        *qualities << quality;
    while (data.size() > kMaxLength && quality > 0.01) {
        quality /= 2;
        CC_LOG(QString::asprintf("mediaLength %i  compression ratio %f", int(data.size()), quality));
        data = encodeJpeg(picture, quality);
        if (qualities)
            *qualities << quality;
    }
    return data;
}

void MediaPickerViewController::openCamera() {
    if (!m_camera) {
        m_camera = new CameraCapture(this);
        connect(m_camera, &CameraCapture::captured, this,
                [this](const QImage& picture) { didFinishPickingImage([picture] { return picture; }); });
    }
    m_camera->start();
    setOpenSource(Camera);
}

void MediaPickerViewController::capturePhoto() {
    if (m_camera && m_openSource == Camera)
        m_camera->capture();
}

void MediaPickerViewController::closeCamera() {
    if (m_camera)
        m_camera->stop();
}

void MediaPickerViewController::dismiss() {
    if (m_busy)
        connect(this, &MediaPickerViewController::finished, this, &QObject::deleteLater);
    else
        deleteLater();
}
