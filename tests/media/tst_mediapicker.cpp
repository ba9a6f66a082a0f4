// The photo picker: its sources and their order, an unavailable source, the JPEG quality steps, and a
// picture picked from a file reaching the delegate upright and scaled.
#include "media/MediaPickerViewController.h"

#include <QAbstractItemModelTester>
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
        QImageWriter writer(path, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(noise(2400, 1200)));
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
