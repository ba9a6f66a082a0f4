// Scrolling the children overview of a 5,000-child location, a picture per child, on an upright tablet
// (768 x 1024) at scale 1 and at scale 2, two rows per frame from top to bottom. Per frame: the time
// until it is shown, and the CPU time the main thread and the render thread spent on it (each thread's
// own CPU clock read at every frameSwapped). Each configuration runs in a process of its own, since the
// scale factor is fixed when the application starts.
//
// What the figures mean depends on the renderer, named in every BENCH line: "software" (offscreen, and
// under Xvfb where the app chooses it over Mesa's llvmpipe: RenderBackend) rasterises on the render
// loop's thread, the main thread itself unless QSG_RENDER_LOOP=threaded; "llvmpipe" (Xvfb with
// QSG_RHI_BACKEND=opengl) rasterises on the CPU as well, in threads of its own; a tablet's GPU does that
// part. With a GPU the main thread's figure (bindings, delegates, text layout, scene-graph sync) is the
// one that carries over to a tablet.
//
//   bench_scroll                                   the benchmark (spawns itself per configuration)
//   bench_scroll --child <dir> <w> <h> <label>     one configuration on the store in <dir>
#include "Clock.h"
#include "DataAccessObject.h"
#include "Frames.h"
#include "ImageCache.h"
#include "RenderBackend.h"
#include "Resources.h"
#include "SearchOverzichtViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "Store.h"
#include "StoreGenerator.h"
#include "UserDefaults.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <pthread.h>
#include <vector>

using namespace Frames;

namespace {

const char* kDataDate = "2026-12-08T12:00:00"; // midday: about a third present, some gone

QByteArray picture(int i) {
    QImage image(256, 256, QImage::Format_RGB32); // as a camera's picture arrives, larger than the row
    image.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
    QPainter p(&image);
    p.setPen(Qt::white);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(128, 100), 48, 48);
    p.drawRoundedRect(QRect(52, 164, 152, 110), 50, 50);
    p.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return jpeg;
}

// Per frame, what each thread spent on it: the main thread from the scroll step to the start of the
// scene-graph sync (bindings, delegates, text layout, polish; during the sync it waits), the render
// thread from the start of the sync to the swap. The harness waits for each frame asleep, so its own
// waiting counts for neither.
struct ThreadClocks {
    clockid_t main{};
    std::atomic<bool> haveRender{false};
    clockid_t render{};
    bool sameThread = false;
    std::atomic<int> swaps{0};
    std::atomic<long long> mainAtSyncNs{0}; // the main thread's clock at the last sync's start
    std::atomic<long long> renderAtSyncNs{0};
    std::atomic<long long> renderWorkNs{0}; // summed over frames
    std::atomic<bool> haveGl{false};
    QString glRenderer; // written once on the render thread before haveGl
};

long long cpuNs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

QString rendererName(QQuickWindow& window, const ThreadClocks& clocks) {
    const auto api = window.rendererInterface()->graphicsApi();
    if (api == QSGRendererInterface::Software)
        return QStringLiteral("software");
    if (api == QSGRendererInterface::OpenGL)
        return clocks.haveGl ? clocks.glRenderer : QStringLiteral("opengl");
    return QStringLiteral("rhi%1").arg(int(api));
}

int runChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    RenderBackend::apply(); // as the app starts
    Resources::initCoreResources();
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    Clock::set(QDateTime::fromString(QString::fromLatin1(kDataDate), Qt::ISODate));
    const QStringList args = app.arguments();
    const QString dir = args.value(2);
    const int width = args.value(3).toInt();
    const int height = args.value(4).toInt();
    const QString label = args.value(5);

    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir + QStringLiteral("/defaults.ini")));
    auto store = Store::open(dir + QStringLiteral("/RKCoreDataExample.sqlite"));
    if (!store)
        return 2;
    DataAccessObject dao(store);
    DataAccessObject::setSharedDataAccessObject(&dao);
    ImageCache cache(dir + QStringLiteral("/images"));
    const QString entityId = UserDefaults::standard().stringForKey(QStringLiteral("bench_entityId"));

    SelectieLijst selection;
    StackScrollViewController stack;
    auto* overview = new SearchOverzichtViewController(SearchListDefinition::children(entityId), &dao,
                                                       &selection, &stack, &cache);
    stack.addViewInSlider(overview, nullptr, true);

    QQmlEngine engine;
    QQuickWindow window;
    window.resize(width, height);
    QQmlComponent component(&engine, overview->viewUrl());
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(overview)}}));
    auto* view = qobject_cast<QQuickItem*>(object.get());
    if (!view) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 3;
    }
    view->setParentItem(window.contentItem());
    view->setSize(QSizeF(width, height));

    ThreadClocks clocks;
    pthread_getcpuclockid(pthread_self(), &clocks.main);
    const pthread_t mainThread = pthread_self();
    QObject::connect(
        &window, &QQuickWindow::beforeSynchronizing, &window,
        [&] {
            if (!clocks.haveRender) {
                pthread_getcpuclockid(pthread_self(), &clocks.render);
                clocks.sameThread = pthread_equal(pthread_self(), mainThread);
                clocks.haveRender = true;
            }
            clocks.mainAtSyncNs = cpuNs(clocks.main);
            clocks.renderAtSyncNs = cpuNs(clocks.render);
        },
        Qt::DirectConnection);
    QObject::connect(
        &window, &QQuickWindow::beforeRendering, &window,
        [&] {
            if (clocks.haveGl)
                return;
            // GL_RENDERER's first word, e.g. "llvmpipe".
            QString name = QStringLiteral("opengl");
            if (QOpenGLContext* gl = QOpenGLContext::currentContext()) {
                const auto* text = reinterpret_cast<const char*>(gl->functions()->glGetString(GL_RENDERER));
                if (text)
                    name = QString::fromLatin1(text).section(QLatin1Char(' '), 0, 0).toLower();
            }
            clocks.glRenderer = name;
            clocks.haveGl = true;
        },
        Qt::DirectConnection);
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &window,
        [&] {
            if (!clocks.haveRender)
                return;
            clocks.renderWorkNs += cpuNs(clocks.render) - clocks.renderAtSyncNs;
            ++clocks.swaps;
            wakeMainThread();
        },
        Qt::DirectConnection);

    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !waitForFrame(window)) {
        std::fprintf(stderr, "the window shows no frames\n");
        return 4;
    }
    if (!QTest::qWaitFor([&] { return !overview->counting() && !overview->searching(); }, 30000))
        return 5;
    QQuickItem* list = WindowDriver::findItem(window.contentItem(), QStringLiteral("overviewList"), false);
    if (!list || list->property("count").toInt() < 1000) {
        std::fprintf(stderr, "no list of children\n");
        return 6;
    }
    // Warm up: one pass over the first screens, so the first frames do not count the start.
    for (int i = 0; i < 30; ++i) {
        list->setProperty("contentY", i * 144.0);
        waitForFrame(window);
    }
    list->setProperty("contentY", 0.0);
    waitForFrame(window);

    const qreal rowHeight = WindowDriver::findItem(list, QStringLiteral("row0"), false)
                                ? WindowDriver::findItem(list, QStringLiteral("row0"), false)->height()
                                : 72;
    const qreal end = list->property("contentHeight").toReal() - list->height();
    std::vector<double> frames, mainCpu, renderCpu, mainTotal;
    const size_t maxFrames = 800; // llvmpipe at scale 2 draws a few frames a second
    for (qreal y = 2 * rowHeight; y <= end && frames.size() < maxFrames; y += 2 * rowHeight) {
        const int before = clocks.swaps;
        const long long renderBefore = clocks.renderWorkNs;
        QElapsedTimer t;
        t.start();
        const long long mainBefore = cpuNs(clocks.main);
        list->setProperty("contentY", y);
        if (!sleepUntil([&] { return clocks.swaps > before; }, 5000))
            break;
        frames.push_back(t.nsecsElapsed() / 1e6);
        mainCpu.push_back((clocks.mainAtSyncNs - mainBefore) / 1e6);
        renderCpu.push_back((clocks.renderWorkNs - renderBefore) / 1e6);
        mainTotal.push_back(mainCpu.back() + (clocks.sameThread ? renderCpu.back() : 0.0));
    }
    const QString renderer = rendererName(window, clocks);
    const QString name = QStringLiteral("scroll.%1.%2").arg(label, renderer);
    std::printf("# %s: %dx%d logical, device pixel ratio %.1f, %zu frames over %.0f px, render loop %s\n",
                qPrintable(label), width, height, window.effectiveDevicePixelRatio(), frames.size(), end,
                clocks.sameThread ? "on the main thread" : "on a render thread");
    const auto line = [&](const char* what, const std::vector<double>& v) {
        std::printf("BENCH %s.%s.median %.2f ms\n", qPrintable(name), what, percentile(v, 0.5));
        std::printf("BENCH %s.%s.p99 %.2f ms\n", qPrintable(name), what, percentile(v, 0.99));
    };
    line("frame", frames);
    line("main_cpu", mainCpu);
    line(clocks.sameThread ? "sync_and_render_cpu_on_main" : "render_cpu", renderCpu);
    if (clocks.sameThread)
        line("main_cpu_with_render", mainTotal); // all the main thread did for the frame
    std::fflush(stdout);
    object.reset();
    stack.removeAll();
    return frames.size() > 100 ? 0 : 7;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);

    QGuiApplication app(argc, argv);
    Resources::initCoreResources();
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    Clock::set(QDateTime::fromString(QString::fromLatin1(kDataDate), Qt::ISODate));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    auto defaults = std::make_shared<UserDefaults>(dir.filePath(QStringLiteral("defaults.ini")));
    UserDefaults::setStandard(defaults);
    StoreShape shape;
    shape.registrations = 60000;
    GeneratedStore generated;
    {
        auto store = Store::open(path);
        if (!store)
            return 1;
        generated = generateStore(store, shape);
    }
    {
        auto store = Store::open(path);
        DataAccessObject dao(store);
        ImageCache cache(dir.filePath(QStringLiteral("images")));
        const QString begin = Util::getBeginRegistrationTime();
        int i = 0;
        for (Child* c : dao.loadChildrenforEntity(generated.entityId)) {
            c->updateIngeschrevenStatus(begin);
            cache.storeImage(c->image(), picture(i++));
        }
        store->context()->save();
    }
    defaults->setString(QStringLiteral("bench_entityId"), generated.entityId);
    defaults->synchronize();
    std::printf("# %d children with a 256 px JPEG each, %d registrations\n", generated.children,
                generated.registrations);
    std::fflush(stdout);

    struct Config {
        const char* label;
        const char* scale;
    };
    int status = 0;
    for (const Config& c : {Config{"upright", "1"}, Config{"upright_scale2", "2"}}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(c.scale));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), dir.path(), QStringLiteral("768"), QStringLiteral("1024"),
                     QString::fromLatin1(c.label)});
        if (!child.waitForFinished(15 * 60 * 1000) || child.exitCode() != 0) {
            std::fprintf(stderr, "%s failed (exit %d)\n", c.label, child.exitCode());
            status = 1;
        }
    }
    return status;
}
