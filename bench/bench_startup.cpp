// Cold start of the app on a coupled tablet whose store holds the 5,000-child location of the store
// benchmark: from spawning the process to the first frame drawn after the staff grid is filled, median
// over several process starts. Each started process then logs an ordinary staff member in and reports
// its peak resident memory (VmHWM) once the main view is drawn, and the longest stall of the main
// thread's event loop while the main view stands and the work the login started runs in the background.
//
//   bench_startup [runs]                        the benchmark (spawns itself once per run)
//   bench_startup --child <store> <settings>    one app start (what each run spawns)
#include "Entities.h"
#include "LoginViewController.h"
#include "MainSynchroObject.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Store.h"
#include "StoreGenerator.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
// Nothing listens here: the background refresh of a coupled tablet fails at once and changes nothing.
const char* kNoServer = "http://127.0.0.1:1";

qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^VmHWM:\\s+(\\d+) kB"),
                                  QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

double median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// One start of the app: "FIRST_FRAME" once the staff grid is drawn, then "PEAK_KB <n>" and "STALL_MS <ms>"
// once the logged-in main view has replaced the login screen.
int runChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Kinderopvang"));
    QGuiApplication::setApplicationName(QStringLiteral("Kinderopvang"));
    const QStringList args = app.arguments();

    StackScrollViewAppDelegate delegate;
    StackScrollViewAppDelegate::Options options;
    options.storePath = args.value(2);
    options.settingsPath = args.value(3);
    options.serverUrl = QString::fromLatin1(kNoServer);
    if (!delegate.applicationDidFinishLaunching(options) || delegate.qmlEngine()->rootObjects().isEmpty())
        return 2;
    auto* window = qobject_cast<QQuickWindow*>(delegate.qmlEngine()->rootObjects().first());
    RootViewController* root = delegate.rootViewController();
    if (!window || !root)
        return 3;

    enum { WaitingForGrid, WaitingForMainView, Done } phase = WaitingForGrid;
    qint64 longestNs = 0;
    QElapsedTimer gap;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, &app, [&] {
        longestNs = std::max(longestNs, gap.nsecsElapsed());
        gap.restart();
    });
    QObject::connect(window, &QQuickWindow::frameSwapped, &app, [&] {
        if (phase == WaitingForGrid) {
            auto* login = qobject_cast<LoginViewController*>(root->loginViewController());
            if (!login || login->state() != LoginViewController::StaffGrid ||
                login->leerkrachten()->count() == 0)
                return;
            say("FIRST_FRAME");
            phase = WaitingForMainView;
            int row = 0;
            while (row < login->leerkrachten()->count() &&
                   login->leerkrachten()->index(row).data(LeerkrachtenModel::IsAdminRole).toBool())
                ++row;
            // After this frame: the tile's tap as the user makes it.
            QTimer::singleShot(0, login, [login, row] { login->gridViewDidSelectItemAtIndex(row); });
        } else if (phase == WaitingForMainView && root->isLoggedIn()) {
            phase = Done;
            gap.start();
            ticker.start(1);
            // Once the login screen has slid away and the main view stands alone.
            QTimer::singleShot(800, &app, [&] {
                ticker.stop();
                std::printf("PEAK_KB %lld\n", peakResidentKb());
                std::printf("STALL_MS %.1f\n", longestNs / 1e6);
                std::fflush(stdout);
                app.quit();
            });
        }
    });
    // Frames are only drawn when something changes: keep the window drawing until the end.
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, window, &QQuickWindow::update);
    repaint.start(16);
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(4); });
    return app.exec();
}
} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 7;
    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    const QString settingsPath = dir.filePath(QStringLiteral("settings.ini"));

    // A coupled tablet bound to the generated location.
    auto defaults = std::make_shared<UserDefaults>(settingsPath);
    UserDefaults::setStandard(defaults);
    GeneratedStore generated;
    {
        auto store = Store::open(storePath);
        if (!store) {
            std::fprintf(stderr, "cannot create the store\n");
            return 1;
        }
        generated = generateStore(store);
    }
    defaults->setString(QStringLiteral("eersteKeer"), QStringLiteral("neen"));
    defaults->setString(QStringLiteral("cc_ipadNaam"), QStringLiteral("Tablet Onthaal"));
    defaults->setString(QStringLiteral("cc_coupleLogin"), QStringLiteral("Kinderopvang De Regenboog"));
    defaults->setString(QStringLiteral("cc_coupleHash"), QStringLiteral("0"));
    defaults->setString(QStringLiteral("geselecteerdeschoolId"), generated.entityId);
    defaults->setString(QStringLiteral("geselecteerdeschoolNaam"),
                        QStringLiteral("Locatie ") + generated.entityId);
    defaults->synchronize();
    std::printf("# store: %d children, %d staff records, %d registrations; %d runs\n", generated.children,
                generated.staffRecords, generated.registrations, runs);

    QList<double> firstFrameMs;
    QList<double> peakMb;
    QList<double> stallMs;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), storePath, settingsPath});
        double frameMs = -1;
        qint64 peakKb = -1;
        double stall = -1;
        QByteArray pending;
        while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
            if (!child.waitForReadyRead(70000) && child.bytesAvailable() == 0)
                break;
            pending += child.readAllStandardOutput();
            int newline;
            while ((newline = int(pending.indexOf('\n'))) >= 0) {
                const QByteArray line = pending.left(newline).trimmed();
                pending.remove(0, newline + 1);
                if (line == "FIRST_FRAME")
                    frameMs = double(clock.nsecsElapsed()) / 1e6;
                else if (line.startsWith("PEAK_KB "))
                    peakKb = line.mid(8).toLongLong();
                else if (line.startsWith("STALL_MS "))
                    stall = line.mid(9).toDouble();
            }
        }
        child.waitForFinished(10000);
        if (frameMs < 0 || peakKb < 0 || stall < 0 || child.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed (exit %d): %s\n", run, child.exitCode(),
                         child.readAllStandardError().right(2000).constData());
            return 1;
        }
        std::printf("# run %d: first frame %.1f ms, peak memory %.1f MB, longest stall after login %.1f ms\n",
                    run, frameMs, peakKb / 1024.0, stall);
        firstFrameMs << frameMs;
        peakMb << peakKb / 1024.0;
        stallMs << stall;
    }
    std::printf("BENCH startup.first_frame %.1f ms\n", median(firstFrameMs));
    std::printf("BENCH startup.peak_memory %.1f MB\n", median(peakMb));
    std::printf("BENCH startup.main_thread_longest_stall %.1f ms\n", median(stallMs));
    std::printf("BENCH startup.main_thread_longest_stall_worst %.1f ms\n",
                *std::max_element(stallMs.cbegin(), stallMs.cend()));
    return 0;
}
