// The photo picker's grid on a folder of camera pictures (6 megapixels, a third of them turned by their
// orientation tag): how long until the folder is listed and the first screen of thumbnails is drawn,
// then the grid scrolled from top to bottom half a row per frame: frame time (median, 99th percentile)
// and the longest stall of the main thread meanwhile (a 1 ms timer measures the gaps). 1024 x 768.
//
//   bench_photogrid [pictures]
#include "ExifJpeg.h"
#include "Frames.h"
#include "media/PhotoFolder.h"
#include "Resources.h"
#include "WindowDriver.h"
#include "media/MediaPickerViewController.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace Frames;

namespace {

// Soft shapes and a little noise: a JPEG of about a camera picture's size.
QByteArray cameraJpeg(int w, int h, int orientation) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(90, 140, 200));
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < 120; ++i) {
        p.setBrush(QColor::fromRgb(rng->generate() | 0xff000000));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(rng->bounded(w), rng->bounded(h)), rng->bounded(20, 600), rng->bounded(20, 600));
    }
    p.end();
    for (int y = 0; y < h; y += 2) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] ^= rng->bounded(8);
    }
    return ExifJpeg::encode(image, orientation);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    Resources::initCoreResources();

    QTemporaryDir dir;
    const QByteArray pictures[2] = {cameraJpeg(3000, 2000, 1), cameraJpeg(3000, 2000, 6)};
    for (int i = 0; i < count; ++i) {
        QFile file(dir.filePath(QString("IMG_%1.JPG").arg(i, 4, 10, QChar('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(pictures[i % 3 == 0]) < 0)
            return 1;
    }
    std::printf("# %d pictures of %lld kB\n", count, pictures[0].size() / 1024);
    MediaPickerViewController::setPicturesFolder(dir.path());

    QQmlEngine engine;
    engine.addImageProvider(QLatin1String(ThumbnailProvider::kProviderId), new ThumbnailProvider);
    QQuickWindow window;
    window.resize(1024, 768);
    MediaPickerViewController picker;
    picker.setSources(true, false, true);
    QQmlComponent component(&engine, picker.viewUrl());
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(&picker)}}));
    auto* view = qobject_cast<QQuickItem*>(object.get());
    if (!view) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    view->setParentItem(window.contentItem());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !waitForFrame(window))
        return 1;

    // The longest gap between the ticks of a 1 ms timer: how long the main thread was busy at once.
    QElapsedTimer gap;
    double longestStall = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });

    QElapsedTimer opened;
    opened.start();
    gap.start();
    ticker.start();
    picker.didSelectRow(1); // "Foto gallerij"
    if (!spinUntil([&] { return !picker.photos()->loading(); }, 20000))
        return 1;
    const double listed = opened.nsecsElapsed() / 1e6;
    QQuickItem* grid = WindowDriver::findItem(window.contentItem(), QStringLiteral("photoGridView"));
    if (!grid)
        return 1;
    // Every thumbnail of a screen is ready when every cell's image is.
    auto screenReady = [&] {
        const QList<QQuickItem*> thumbs = WindowDriver::findAll(window.contentItem(), QStringLiteral("thumbnail"));
        return !thumbs.isEmpty() && std::all_of(thumbs.begin(), thumbs.end(), [](QQuickItem* t) {
            return t->property("status").toInt() != 2; // not Image.Loading
        });
    };
    if (!spinUntil(screenReady, 30000) || !waitForFrame(window))
        return 1;
    const double firstScreen = opened.nsecsElapsed() / 1e6;
    std::printf("BENCH photogrid.listed %.1f ms\n", listed);
    std::printf("BENCH photogrid.first_screen %.1f ms\n", firstScreen);

    const qreal step = grid->property("cellHeight").toReal() / 2;
    const qreal end = grid->property("contentHeight").toReal() - grid->height();
    std::vector<double> frames;
    longestStall = 0;
    gap.restart();
    for (qreal y = 0; y <= end; y += step) {
        QElapsedTimer t;
        t.start();
        grid->setProperty("contentY", y);
        if (!waitForFrame(window))
            break;
        frames.push_back(t.nsecsElapsed() / 1e6);
    }
    const double scrollStall = longestStall;
    QElapsedTimer settle;
    settle.start();
    spinUntil(screenReady, 30000);
    std::printf("# frames: %zu over %.0f px; last screen of thumbnails %.0f ms after the scroll\n",
                frames.size(), end, settle.nsecsElapsed() / 1e6);
    std::printf("BENCH photogrid.scroll.frame.median %.2f ms\n", percentile(frames, 0.5));
    std::printf("BENCH photogrid.scroll.frame.p99 %.2f ms\n", percentile(frames, 0.99));
    std::printf("BENCH photogrid.scroll.main_thread_longest_stall %.2f ms\n", scrollStall);
    std::printf("BENCH photogrid.thumbnails_decoded %d thumbnails\n", ThumbnailProvider::decodedCount());
    std::fflush(stdout);
    ticker.stop();
    object.reset();
    return 0;
}
