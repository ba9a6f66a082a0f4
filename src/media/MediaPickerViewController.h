#pragma once
// The photo picker: offers the allowed sources (camera, saved photos, photo library), takes or picks a
// picture, turns it upright and small enough, encodes it as JPEG of at most about 20,000 bytes and hands
// the data to its delegate's userDidEnterInfo(QByteArray), after closeMediaPopOver() when the delegate
// has one. The photo folders are a touch grid of the pictures folder's images (PhotoFolderModel).
// The delegate is a QObject with those invokable operations; it is not owned.
// Main thread; decoding and encoding run on the thread pool. Lives as long as the popover showing it.
#include "PhotoFolder.h"
#include "ScreenController.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPointer>
#include <functional>

class CameraCapture;

class MediaPickerViewController;

// The offered sources, one title per row.
class MediaSourcesModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { TitleRole = Qt::UserRole + 1 };
    explicit MediaSourcesModel(MediaPickerViewController* picker);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    void reset();

private:
    MediaPickerViewController* m_picker;
};

class MediaPickerViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(bool isSelectFromCamera MEMBER m_isSelectFromCamera)
    Q_PROPERTY(bool isSelectFromSavedAlbums MEMBER m_isSelectFromSavedAlbums)
    Q_PROPERTY(bool isSelectFromPhotoLibrary MEMBER m_isSelectFromPhotoLibrary)
    Q_PROPERTY(MediaSourcesModel* sources READ sources CONSTANT)
    // The picker that is open: none, the photo grid (saved photos, photo library), or the camera.
    Q_PROPERTY(int openSource READ openSource NOTIFY openSourceChanged)
    Q_PROPERTY(QUrl picturesFolder READ picturesFolder CONSTANT)
    // The pictures of picturesFolder, read when the grid opens.
    Q_PROPERTY(PhotoFolderModel* photos READ photos CONSTANT)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
public:
    enum SourceType { NoSource = -1, Camera = 0, SavedPhotosAlbum = 1, PhotoLibrary = 2 };
    Q_ENUM(SourceType)
    struct MediaSource {
        SourceType type;
        QString title;
    };

    // The largest data the picker hands on without lowering the JPEG quality further.
    static constexpr int kMaxLength = 20000;
    // Pictures are scaled down to this longest side: more than the tablet ever shows.
    static constexpr int kMaxEdge = 1024;

    explicit MediaPickerViewController(QObject* delegate = nullptr, QObject* parent = nullptr);
    ~MediaPickerViewController() override;

    void setDelegate(QObject* delegate) { m_delegate = delegate; }
    QObject* delegate() const { return m_delegate; }
    void setSources(bool camera, bool savedAlbums, bool photoLibrary);

    // Builds mediaSources from the allowed sources; the view calls it when it is loaded.
    Q_INVOKABLE void viewDidLoad();
    const QList<MediaSource>& mediaSources() const { return m_mediaSources; }
    MediaSourcesModel* sources() const { return m_sources; }

    // A tap on a source row: opens that source, or the "Error" alert when the device lacks it.
    Q_INVOKABLE void didSelectRow(int row);
    // Whether this device has the source; tests replace the answer.
    bool isSourceTypeAvailable(SourceType type) const;
    void setSourceAvailability(std::function<bool(SourceType)> available);

    int openSource() const { return m_openSource; }
    // The platform's pictures folder, or the home folder where there is none; or the folder set below.
    QUrl picturesFolder() const;
    // The folder every picker shows from now on (the app's option; empty: the platform's).
    static void setPicturesFolder(const QString& folder);
    PhotoFolderModel* photos() const { return m_photos; }
    bool busy() const { return m_busy; }
    // Its popover has closed: it goes now, or once the picture it is still encoding is delivered.
    void dismiss();
    // A photo being taken or picked is never lost to the idle lock: it waits while the picker lives.
    bool holdsIdleLock() const override { return true; }

    // A picture of the grid was tapped (a path or a file URL).
    Q_INVOKABLE void imagePickerDidPickFile(const QString& pathOrUrl);
    // The camera screen's shutter.
    Q_INVOKABLE void capturePhoto();
    // The grid or the camera was closed without a picture: back to the sources.
    Q_INVOKABLE void imagePickerControllerDidCancel();

    // Upright (EXIF orientation applied) and at most kMaxEdge on its longest side; null when unreadable.
    static QImage readPicture(const QString& path);
    static QImage fitPicture(const QImage& picture);
    // JPEG at quality 1.0, halved while longer than kMaxLength and above 0.01; qualities gets each
    // quality used, in order. Any thread.
    static QByteArray encodeForUpload(const QImage& picture, QList<double>* qualities = nullptr);
    static QByteArray encodeJpeg(const QImage& picture, double quality);

signals:
    void openSourceChanged();
    void busyChanged();
    // The data went to the delegate: whoever shows the picker closes it now.
    void finished();

private:
    void didFinishPickingImage(std::function<QImage()> load);
    void deliver(const QByteArray& data);
    void openCamera();
    void closeCamera();
    void setOpenSource(int source);

    bool m_isSelectFromCamera = false;
    bool m_isSelectFromSavedAlbums = false;
    bool m_isSelectFromPhotoLibrary = false;
    QList<MediaSource> m_mediaSources;
    MediaSourcesModel* m_sources;
    PhotoFolderModel* m_photos;
    QPointer<QObject> m_delegate;
    std::function<bool(SourceType)> m_available;
    int m_openSource = NoSource;
    bool m_busy = false;
    CameraCapture* m_camera = nullptr;
};
