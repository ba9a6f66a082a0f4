// The queue screen with 10,000 queue records (every status, most of them sent and answered):
// - loading the screen's snapshot (the rows as plain values), against fetching the same rows as records;
// - showing it: the view made in a 412 x 768 panel until its first frame;
// - scrolling the whole list ten rows per frame: frame time median and 99th percentile.
#include "AdminPageViewController.h"
#include "Clock.h"
#include "DataAccessObject.h"
#include "Frames.h"
#include "Resources.h"
#include "Store.h"
#include "UserDefaults.h"
#include "Util.h"
#include "WindowDriver.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Frames;

namespace {

constexpr int kRecords = 10000;

// A month of changes, one every few minutes, newest now.
void generateQueue(Store& store) {
    Context* context = store.context();
    const qint64 now = Clock::nowMs();
    const char* types[] = {"Registration", "UserRegistration", "ObjectImageUpload", "Child"};
    const char* methods[] = {"POST", "PUT", "DELETE"};
    for (int i = 0; i < kRecords; ++i) {
        auto* r = context->insertNew<SynchroObject>();
        const QString entry = Util::millisText(now - qint64(i) * 260000);
        r->setEntryDate(entry);
        r->setIdSynchroObject(entry + Util::getUUID());
        r->setObjectType(QString::fromLatin1(types[i % 4]));
        r->setHttpType(QString::fromLatin1(methods[i % 3]));
        r->setObjectId(entry + Util::getUUID());
        const int status = i < 20 ? i % 3 : 3;
        r->setStatus(status);
        r->setNrOfTries(status == 0 ? 0 : 1 + i % 4);
        if (status != 0)
            r->setLastTryDate(Util::millisText(now - qint64(i) * 260000 + 1000));
    }
    context->save();
    context->reset();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Resources::initCoreResources();
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));

    QTemporaryDir dir;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath(QStringLiteral("defaults.ini"))));
    auto store = Store::open(dir.filePath(QStringLiteral("RKCoreDataExample.sqlite")));
    if (!store) {
        std::fprintf(stderr, "cannot create the store\n");
        return 1;
    }
    generateQueue(*store);
    DataAccessObject dao(store);

    // ---- loading: the screen's snapshot, and the same rows fetched as records
    std::vector<double> load, loadRecords;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        AdminPageViewController screen(&dao, nullptr);
        load.push_back(double(t.nsecsElapsed()) / 1e6);
        if (screen.syncObjects()->rowCount() != kRecords) {
            std::fprintf(stderr, "%d rows instead of %d\n", screen.syncObjects()->rowCount(), kRecords);
            return 1;
        }
        t.restart();
        const auto records = dao.loadAllSynchroObjects();
        loadRecords.push_back(double(t.nsecsElapsed()) / 1e6);
        store->context()->reset();
    }

    // ---- showing: the view made and drawn
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(412, 768);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !waitForFrame(window)) {
        std::fprintf(stderr, "the window shows no frames\n");
        return 1;
    }
    std::vector<double> show;
    std::unique_ptr<AdminPageViewController> screen;
    std::unique_ptr<QObject> object;
    for (int run = 0; run < 10; ++run) {
        object.reset();
        screen.reset();
        waitForFrame(window);
        QElapsedTimer t;
        t.start();
        screen = std::make_unique<AdminPageViewController>(&dao, nullptr);
        QQmlComponent component(&engine, screen->viewUrl());
        object.reset(component.createWithInitialProperties(
            {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(screen.get())}}));
        auto* view = qobject_cast<QQuickItem*>(object.get());
        if (!view) {
            std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
            return 1;
        }
        view->setParentItem(window.contentItem());
        view->setSize(QSizeF(412, 768));
        if (!waitForFrame(window)) {
            std::fprintf(stderr, "no frame after the view was made\n");
            return 1;
        }
        show.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    // ---- scrolling: ten rows a frame from top to bottom
    QQuickItem* list = WindowDriver::findItem(window.contentItem(), QStringLiteral("adminList"), false);
    if (!list) {
        std::fprintf(stderr, "no list\n");
        return 1;
    }
    std::vector<double> frames;
    const qreal end = list->property("contentHeight").toReal() - list->height();
    for (qreal y = 0; y < end; y += 500) {
        QElapsedTimer t;
        t.start();
        list->setProperty("contentY", y);
        if (!waitForFrame(window))
            break;
        frames.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    std::printf("# %d queue records, %zu frames scrolled\n", kRecords, frames.size());
    std::printf("BENCH admin.load %.2f ms\n", percentile(load, 0.5));
    std::printf("BENCH admin.load.records %.2f ms\n", percentile(loadRecords, 0.5));
    std::printf("BENCH admin.load.ratio %.2f x\n", percentile(loadRecords, 0.5) / percentile(load, 0.5));
    std::printf("BENCH admin.show %.2f ms\n", percentile(show, 0.5));
    std::printf("BENCH admin.scroll.frame %.2f ms\n", percentile(frames, 0.5));
    std::printf("BENCH admin.scroll.frame.p99 %.2f ms\n", percentile(frames, 0.99));
    return 0;
}
