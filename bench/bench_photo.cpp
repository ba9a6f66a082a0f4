// A 12-megapixel camera picture through the photo picker, from its file to the JPEG the picker hands on
// (upright, scaled, quality halved down to the upload size): the time, median over several runs, and
// the longest stall of the main thread's event loop meanwhile (a 1 ms timer measures the gaps).
//
//   bench_photo [runs]
#include "media/MediaPickerViewController.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

class Receiver : public QObject {
    Q_OBJECT
public:
    QByteArray data;
    Q_INVOKABLE void userDidEnterInfo(const QByteArray& d) { data = d; }
};

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// Something like a photo: soft gradients, shapes and sensor noise, so the JPEG is of a realistic size.
QImage photoLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(120, 170, 230));
    sky.setColorAt(1, QColor(60, 120, 60));
    p.fillRect(image.rect(), sky);
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < 200; ++i) {
        p.setBrush(QColor::fromRgb(rng->generate() | 0xff000000));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(rng->bounded(w), rng->bounded(h)), rng->bounded(20, 400), rng->bounded(20, 400));
    }
    p.end();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng->bounded(16)) - 8;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath("camera.jpg");
    {
        QImageWriter writer(path, "jpeg");
        writer.setQuality(92);
        writer.setTransformation(
            QImageIOHandler::TransformationRotate90); // as a tablet held upright writes it
        if (!writer.write(photoLike(4000, 3000))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("picture: 4000x3000, %lld bytes on disk\n", QFileInfo(path).size());

    QList<double> times, stalls;
    qsizetype delivered = 0;
    for (int run = 0; run < runs; ++run) {
        Receiver receiver;
        MediaPickerViewController picker(&receiver);
        QSignalSpy finished(&picker, &MediaPickerViewController::finished);
        QElapsedTimer gap;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, gap.nsecsElapsed());
            gap.restart();
        });
        // The ticker runs a little first so its own start is not counted as a stall.
        ticker.start();
        QTest::qWait(50);
        longest = 0;
        gap.restart();
        QElapsedTimer clock;
        clock.start();
        picker.imagePickerDidPickFile(path);
        longest = std::max(longest, gap.nsecsElapsed()); // the call itself, on the main thread
        gap.restart();
        if (!finished.wait(60000)) {
            std::fprintf(stderr, "no picture delivered\n");
            return 1;
        }
        times << clock.nsecsElapsed() / 1e6;
        stalls << longest / 1e6;
        delivered = receiver.data.size();
        std::printf("run %d: %.1f ms, longest main-thread stall %.2f ms, %lld bytes\n", run + 1, times.last(),
                    stalls.last(), qlonglong(delivered));
    }
    std::printf("BENCH photo.encode12mp %.1f ms\n", median(times));
    std::printf("BENCH photo.mainThreadStall %.2f ms\n", median(stalls));
    std::printf("BENCH photo.maxMainThreadStall %.2f ms\n", *std::max_element(stalls.begin(), stalls.end()));
    std::printf("BENCH photo.uploadBytes %lld bytes\n", qlonglong(delivered));
    return 0;
}

#include "bench_photo.moc"
