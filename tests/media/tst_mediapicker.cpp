// The photo picker: its sources and their order, an unavailable source, the JPEG quality steps, a
// picture picked from a file reaching the delegate upright and scaled, and the photo grid's folder
// listing and upright thumbnails.
#include "ExifJpeg.h"
#include "media/MediaPickerViewController.h"

#include <QAbstractItemModelTester>
#include <QQuickTextureFactory>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList logLines;
void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
    logLines << message;
}

// Receives what the picker hands on, in order.
class Receiver : public QObject {
    Q_OBJECT
public:
    QStringList calls;
    QByteArray data;
    Q_INVOKABLE void closeMediaPopOver() { calls << "close"; }
    Q_INVOKABLE void userDidEnterInfo(const QByteArray& d) {
        calls << "info";
        data = d;
    }
};

QImage noise(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    auto* rng = QRandomGenerator::global();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rng->generate() | 0xff000000);
    return image;
}

// A picture that is red above and blue below when upright, stored turned against its Exif orientation
// tag (1, 3, 6 or 8), so that a reader applying the tag sees it upright again.
void writeTurned(const QString& path, QSize upright, int orientation) {
    QImage picture(upright, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = upright.height() / 2; y < upright.height(); ++y)
        for (int x = 0; x < upright.width(); ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    const int undo = orientation == 6 ? -90 : orientation == 8 ? 90 : orientation == 3 ? 180 : 0;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(ExifJpeg::encode(picture.transformed(QTransform().rotate(undo)), orientation)) > 0);
}

void touch(const QString& path, int minutesAgo) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo),
                             QFileDevice::FileModificationTime));
}

} // namespace

class TestMediaPicker : public QObject {
    Q_OBJECT

private slots:
    void sourcesInOrder_data() {
        QTest::addColumn<bool>("camera");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("library");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("camera and library")
            << true << false << true << QStringList{"Neem een foto", "Foto gallerij"};
        QTest::newRow("all") << true << true << true
                             << QStringList{"Neem een foto", "Foto rol", "Foto gallerij"};
        QTest::newRow("saved only") << false << true << false << QStringList{"Foto rol"};
        QTest::newRow("none allowed")
            << false << false << false << QStringList{"Foto gallerij", "Foto rol", "Neem een foto"};
    }
    void sourcesInOrder() {
        QFETCH(bool, camera);
        QFETCH(bool, saved);
        QFETCH(bool, library);
        QFETCH(QStringList, titles);
        MediaPickerViewController picker;
        QAbstractItemModelTester tester(picker.sources(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        picker.setSources(camera, saved, library);
        picker.viewDidLoad();
        QStringList shown;
        for (int i = 0; i < picker.sources()->rowCount(); ++i)
            shown << picker.sources()->index(i).data(MediaSourcesModel::TitleRole).toString();
        QCOMPARE(shown, titles);
        QCOMPARE(picker.title(), QString("Kies een foto"));
    }

    // A source the device lacks: the "Error" alert, nothing opens; an available one opens.
    void unavailableSource() {
        MediaPickerViewController picker;
        picker.setSources(true, false, true);
        picker.setSourceAvailability([](auto type) { return type != MediaPickerViewController::Camera; });
        picker.viewDidLoad();
        QSignalSpy alerts(picker.dialogs(), &DialogRequests::showAlert);
        picker.didSelectRow(0);
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts.first().at(0).toString(), QString("Error"));
        QCOMPARE(alerts.first().at(1).toString(),
                 QString("Source of this type isn't available on your device"));
        QCOMPARE(alerts.first().at(2).toStringList(), QStringList{"Ok"});
        QCOMPARE(picker.openSource(), int(MediaPickerViewController::NoSource));
        picker.didSelectRow(1);
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(picker.openSource(), int(MediaPickerViewController::PhotoLibrary));
    }

    void qualitySteps_data() {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("steps");
        QImage flat(200, 150, QImage::Format_RGB32);
        flat.fill(Qt::darkCyan);
        QTest::newRow("small: quality 1.0") << flat << 0;
        QTest::newRow("large noise: down to the last quality") << noise(1024, 1024) << 7;
    }
    void qualitySteps() {
        QFETCH(QImage, picture);
        QFETCH(int, steps);
        logLines.clear();
        const auto previous = qInstallMessageHandler(collect);
        QList<double> qualities;
        const QByteArray data = MediaPickerViewController::encodeForUpload(picture, &qualities);
        qInstallMessageHandler(previous);
        QList<double> expected{1.0};
        for (int i = 0; i < steps; ++i)
            expected << expected.last() / 2;
        QCOMPARE(qualities, expected);
        QCOMPARE(data, MediaPickerViewController::encodeJpeg(picture, expected.last()));
        QCOMPARE(steps == 0, data.size() <= MediaPickerViewController::kMaxLength);
        const QStringList steplines = logLines.filter("mediaLength ");
        QCOMPARE(steplines.size(), steps);
        if (steps > 0)
            QVERIFY2(steplines.last().endsWith(QString::asprintf("compression ratio %f", expected.last())),
                     qPrintable(steplines.last()));
    }

    // Halving stops as soon as the data is small enough.
    void qualityStopsWhenSmallEnough() {
        QImage picture = noise(160, 120).scaled(640, 480);
        QList<double> qualities;
        const QByteArray data = MediaPickerViewController::encodeForUpload(picture, &qualities);
        QVERIFY(qualities.size() > 1);
        QVERIFY(data.size() <= MediaPickerViewController::kMaxLength);
        QVERIFY(MediaPickerViewController::encodeJpeg(picture, qualities.at(qualities.size() - 2)).size() >
                MediaPickerViewController::kMaxLength);
    }

    // A file from the photo folder: turned upright per its orientation tag, scaled, then delivered after
    // the picker asked to be closed.
    void pickedFileReachesDelegate() {
        QTemporaryDir dir;
        const QString path = dir.filePath("photo.jpg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(ExifJpeg::encode(noise(2400, 1200), 6)) > 0);
        file.close();
        Receiver receiver;
        MediaPickerViewController picker(&receiver);
        QSignalSpy finished(&picker, &MediaPickerViewController::finished);
        picker.imagePickerDidPickFile(QUrl::fromLocalFile(path).toString());
        QVERIFY(picker.busy());
        QVERIFY(finished.wait(20000));
        QCOMPARE(receiver.calls, (QStringList{"close", "info"}));
        QImage delivered;
        QVERIFY(delivered.loadFromData(receiver.data, "JPG"));
        QCOMPARE(delivered.size(), QSize(512, 1024));
        QVERIFY(!picker.busy());
    }

    // The grid's folder: pictures only (any case of suffix, no empty files, not those of subfolders),
    // newest first; a folder that is not there is said to be missing.
    void folderListing() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Pictures");
        Receiver receiver;
        MediaPickerViewController::setPicturesFolder(folder);
        const auto restore = qScopeGuard([] { MediaPickerViewController::setPicturesFolder(QString()); });
        MediaPickerViewController picker(&receiver);
        QAbstractItemModelTester tester(picker.photos(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        picker.setSources(true, false, true);
        picker.viewDidLoad(); // camera, photo library
        picker.didSelectRow(1);
        QCOMPARE(picker.openSource(), int(MediaPickerViewController::PhotoLibrary));
        QVERIFY(picker.photos()->loading());
        QTRY_VERIFY(!picker.photos()->loading());
        QCOMPARE(picker.photos()->folder(), folder);
        QVERIFY(!picker.photos()->folderExists());
        QCOMPARE(picker.photos()->rowCount(), 0);

        QVERIFY(QDir().mkpath(folder + "/oud"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        const QStringList names{"IMG_0001.JPG", "zee.png", "bos.jpeg", "oud/kamp.jpg"};
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(picture.save(folder + "/" + names[i]));
            touch(folder + "/" + names[i], 10 * i);
        }
        QFile(folder + "/leeg.jpg").open(QIODevice::WriteOnly);
        QFile notes(folder + "/notities.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("geen foto") > 0);
        notes.close();

        picker.imagePickerControllerDidCancel();
        picker.didSelectRow(1); // opened again: read anew
        QTRY_VERIFY(!picker.photos()->loading());
        QVERIFY(picker.photos()->folderExists());
        QStringList shown;
        for (int i = 0; i < picker.photos()->rowCount(); ++i)
            shown << picker.photos()->index(i).data(PhotoFolderModel::NameRole).toString();
        QCOMPARE(shown, (QStringList{"IMG_0001.JPG", "zee.png", "bos.jpeg"}));
        const QUrl thumb = picker.photos()->index(1).data(PhotoFolderModel::ThumbnailRole).toUrl();
        QCOMPARE(thumb.scheme(), QString("image"));
        QCOMPARE(thumb.host(), QString(ThumbnailProvider::kProviderId));

        // A tap on a picture delivers it.
        QSignalSpy finished(&picker, &MediaPickerViewController::finished);
        picker.imagePickerDidPickFile(picker.photos()->index(1).data(PhotoFolderModel::PathRole).toString());
        QVERIFY(finished.wait(5000));
        QCOMPARE(receiver.calls, (QStringList{"close", "info"}));
        QCOMPARE(picker.openSource(), int(MediaPickerViewController::NoSource));
    }

    // Thumbnails stand upright whatever the orientation tag, cover the asked size without growing the
    // picture, and come from the cache the second time.
    void thumbnails_data() {
        QTest::addColumn<int>("orientation");
        QTest::newRow("as stored") << 1;
        QTest::newRow("quarter turn right") << 6;
        QTest::newRow("half turn") << 3;
        QTest::newRow("quarter turn left") << 8;
    }
    void thumbnails() {
        QFETCH(int, orientation);
        QTemporaryDir dir;
        const QString path = dir.filePath("foto.jpg");
        writeTurned(path, QSize(1200, 1800), orientation);

        const QImage thumb = ThumbnailProvider::makeThumbnail(path, QSize(200, 200));
        QVERIFY(thumb.width() >= 200 && thumb.height() >= 200);
        QVERIFY2(thumb.width() < 1200 && thumb.height() > thumb.width(), qPrintable(QString("%1x%2")
                     .arg(thumb.width()).arg(thumb.height())));
        QVERIFY(qRed(thumb.pixel(thumb.width() / 2, thumb.height() / 4)) > 180);
        QVERIFY(qBlue(thumb.pixel(thumb.width() / 2, thumb.height() * 3 / 4)) > 180);

        ThumbnailProvider provider;
        const QString id = ThumbnailProvider::thumbnailUrl(path, QFileInfo(path).lastModified()).path().mid(1);
        QImage shown[2];
        const int decodedBefore = ThumbnailProvider::decodedCount();
        for (QImage& image : shown) {
            std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, QSize(160, 160)));
            QSignalSpy done(response.get(), &QQuickImageResponse::finished);
            QVERIFY(done.wait(5000));
            std::unique_ptr<QQuickTextureFactory> factory(response->textureFactory());
            image = factory->image();
        }
        QCOMPARE(ThumbnailProvider::decodedCount(), decodedBefore + 1);
        QVERIFY(!shown[0].isNull());
        QCOMPARE(shown[1], shown[0]);
        QVERIFY(shown[0].height() > shown[0].width() && shown[0].width() >= 160);
    }

    void unreadableFileDeliversNothing() {
        Receiver receiver;
        MediaPickerViewController picker(&receiver);
        QSignalSpy finished(&picker, &MediaPickerViewController::finished);
        picker.imagePickerDidPickFile("/nonexistent/photo.jpg");
        QVERIFY(finished.wait(5000));
        QCOMPARE(receiver.calls, QStringList{"close"});
    }
};

QTEST_MAIN(TestMediaPicker)
#include "tst_mediapicker.moc"
