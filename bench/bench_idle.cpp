// A logged-in tablet left alone: the real app in its window against the reference server with its demo
// data, a staff member logged in by taps, the children overview open, nobody touching it. Over the
// window (two minutes; one refresh a minute, the status line's "geleden" text ticking): the process's CPU
// time (getrusage: every thread, the renderer's included) as a share of one core, the frames drawn, and
// the resident memory (VmRSS) with the overview open.
//
//   bench_idle [seconds]     default 120; a short run (e.g. 20) for a quick look
//
// The scene graph is chosen as the app chooses it at its start (RenderBackend): offscreen, and under Xvfb
// where Mesa's llvmpipe is the only OpenGL, the software one; QSG_RHI_BACKEND=opengl forces OpenGL. The
// BENCH lines name which drew.
#include "AppSession.h"
#include "MainSynchroObject.h"
#include "RenderBackend.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSGRendererInterface>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <sys/resource.h>

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    RenderBackend::apply();
    const int seconds = argc > 1 ? std::max(5, QString::fromLatin1(argv[1]).toInt()) : 120;

    AppSession session; // the real clock: the status line counts real seconds
    if (!session.coupleAndLogIn(QStringLiteral("An Peeters"))) {
        std::fprintf(stderr, "login failed: %s\n", qPrintable(session.error()));
        return 1;
    }
    QQuickWindow* window = session.window();
    if (!QTest::qWaitFor([&] { return session.item(QStringLiteral("overviewList")) != nullptr; }, 30000)) {
        std::fprintf(stderr, "the overview is not open\n");
        return 1;
    }
    MainSynchroObject* engine = session.app()->engine();
    std::printf("# refresh every %d s\n", engine->timerIntervalSeconds());

    std::atomic<bool> haveGl{false};
    QString glRenderer;
    std::atomic<int> frames{0};
    QObject::connect(
        window, &QQuickWindow::beforeRendering, window,
        [&] {
            if (haveGl)
                return;
            glRenderer = QStringLiteral("opengl");
            if (QOpenGLContext* gl = QOpenGLContext::currentContext())
                if (const auto* t = reinterpret_cast<const char*>(gl->functions()->glGetString(GL_RENDERER)))
                    glRenderer = QString::fromLatin1(t).section(QLatin1Char(' '), 0, 0).toLower();
            haveGl = true;
        },
        Qt::DirectConnection);
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window, [&] { ++frames; }, Qt::DirectConnection);

    // Settle: the login's checks, pictures and fades.
    engine->waitForIdle(60000);
    QTest::qWait(3000);
    window->update(); // one frame, so that the renderer is known
    QTest::qWait(500);

    const int framesBefore = frames;
    int refreshes = 0;
    const auto c = QObject::connect(engine, &MainSynchroObject::aantalGetsChanged, [&] {
        if (engine->aantalGets() != QLatin1String("0"))
            ++refreshes;
    });
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // The app's own event loop, as in use: QTest::qWait would wake the process every 10 ms and count
    // its own polling as the app's work.
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &idle, &QEventLoop::quit);
    idle.exec();
    const double cpu = processCpuSeconds() - cpuBefore;
    const double elapsed = wall.nsecsElapsed() / 1e9;
    QObject::disconnect(c);
    const int drawn = frames - framesBefore;
    const qint64 rssKb = statusKb("VmRSS");

    const auto api = window->rendererInterface()->graphicsApi();
    const QString renderer = api == QSGRendererInterface::Software ? QStringLiteral("software")
                             : haveGl                              ? glRenderer
                                                                   : QStringLiteral("rhi");
    const QString name = QStringLiteral("idle.overview.%1").arg(renderer);
    std::printf("# %.1f s alone: %.3f s CPU, %d frames, %d refresh calls started\n", elapsed, cpu, drawn,
                refreshes);
    std::printf("BENCH %s.cpu_%ds %.2f %%core\n", qPrintable(name), seconds, 100.0 * cpu / elapsed);
    std::printf("BENCH %s.frames_per_minute %.1f frames\n", qPrintable(name), drawn * 60.0 / elapsed);
    std::printf("BENCH %s.rss %.1f MB\n", qPrintable(name), rssKb / 1024.0);
    std::fflush(stdout);
    const QStringList warnings = session.finish();
    for (const QString& w : warnings)
        std::fprintf(stderr, "warning: %s\n", qPrintable(w));
    return 0;
}
