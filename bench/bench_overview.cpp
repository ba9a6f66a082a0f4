// The children overview on a realistic location (5,000 children in two groups each, statuses of the
// current period, a picture per child in the image cache), drawn offscreen in a 450 x 768 panel:
// - a keystroke in the search field until the list is drawn again (search, presence filter, model
//   reset, next frame), and until the counts arrive from their thread;
// - scrolling the whole list two rows per frame, with photos: frame time median and 99th percentile.
#include "Clock.h"
#include "DataAccessObject.h"
#include "Frames.h"
#include "ImageCache.h"
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
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
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

QByteArray picture(int i) {
    QImage image(96, 96, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
    QPainter p(&image);
    p.setPen(Qt::white);
    p.drawEllipse(QPoint(48, 40), 18, 18);
    p.drawRoundedRect(QRect(20, 62, 56, 40), 20, 20);
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Resources::initCoreResources();
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    // Midday: about a third of the children are present, some have left.
    Clock::set(QDateTime(QDate::currentDate(), QTime(12, 0), Qt::LocalTime));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.filePath(QStringLiteral("defaults.ini"))));
    StoreShape shape;
    shape.registrations = 60000;
    GeneratedStore generated;
    {
        auto store = Store::open(path);
        if (!store) {
            std::fprintf(stderr, "cannot create the store\n");
            return 1;
        }
        generated = generateStore(store, shape);
    }
    auto store = Store::open(path);
    DataAccessObject dao(store);
    DataAccessObject::setSharedDataAccessObject(&dao);

    // Statuses of the current period, and a picture for every child in the cache.
    ImageCache cache(dir.filePath(QStringLiteral("images")));
    {
        const QString begin = Util::getBeginRegistrationTime();
        int i = 0;
        for (Child* c : dao.loadChildrenforEntity(generated.entityId)) {
            c->updateIngeschrevenStatus(begin);
            cache.storeImage(c->image(), picture(i++));
        }
        store->context()->save();
    }
    std::printf("# %d children, %d memberships, %d registrations\n", generated.children,
                generated.memberships, generated.registrations);

    SelectieLijst selection;
    StackScrollViewController stack;
    auto* overview = new SearchOverzichtViewController(SearchListDefinition::children(generated.entityId),
                                                       &dao, &selection, &stack, &cache);
    stack.addViewInSlider(overview, nullptr, true);

    QQmlEngine engine;
    QQuickWindow window;
    window.resize(450, 768);
    QQmlComponent component(&engine, overview->viewUrl());
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(overview)}}));
    auto* view = qobject_cast<QQuickItem*>(object.get());
    if (!view) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    view->setParentItem(window.contentItem());
    view->setSize(QSizeF(450, 768));
    window.show();
    window.requestActivate();
    if (!QTest::qWaitForWindowExposed(&window) || !waitForFrame(window)) {
        std::fprintf(stderr, "the window shows no frames\n");
        return 1;
    }
    if (!QTest::qWaitFor([&] { return !overview->counting() && !overview->searching(); }, 30000)) {
        std::fprintf(stderr, "the first search and count did not end\n");
        return 1;
    }

    // ---- keystrokes: "mar" typed and erased again, a few times
    QQuickItem* field = WindowDriver::findItem(window.contentItem(), QStringLiteral("searchField"), false);
    QQuickItem* list = WindowDriver::findItem(window.contentItem(), QStringLiteral("overviewList"), false);
    field->forceActiveFocus();
    std::vector<double> keystroke;
    std::vector<double> counted;
    std::vector<double> search;
    const QList<Qt::Key> keys = {Qt::Key_M,         Qt::Key_A,         Qt::Key_R,
                                 Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
    for (int round = 0; round < 6; ++round) {
        for (Qt::Key key : keys) {
            double countMs = -1;
            QElapsedTimer t;
            const auto c = QObject::connect(overview, &SearchOverzichtViewController::countsUpdated,
                                            [&] { countMs = t.nsecsElapsed() / 1e6; });
            t.start();
            QTest::keyClick(&window, key);
            const double searched = t.nsecsElapsed() / 1e6; // the search ran inside the key's handling
            // The list is drawn again once the search's redraw step has run and a frame followed.
            const bool redrawn =
                spinUntil([&] { return !overview->searching(); }, 5000) && waitForFrame(window);
            const double drawn = t.nsecsElapsed() / 1e6;
            const bool counts = spinUntil([&] { return countMs >= 0; }, 10000);
            if (!redrawn || !counts) {
                std::fprintf(stderr, "a keystroke was not drawn or not counted\n");
                return 1;
            }
            QObject::disconnect(c);
            if (round > 0) { // the first round warms caches
                keystroke.push_back(drawn);
                search.push_back(searched);
                counted.push_back(countMs);
            }
        }
    }
    std::printf("# keystrokes: %zu, list of %d rows when empty\n", keystroke.size(),
                overview->model()->count());
    std::printf("BENCH overview.keystroke %.2f ms\n", percentile(keystroke, 0.5));
    std::printf("BENCH overview.keystroke.p99 %.2f ms\n", percentile(keystroke, 0.99));
    std::printf("BENCH overview.keystroke.search %.2f ms\n", percentile(search, 0.5));
    std::printf("BENCH overview.keystroke.counts %.2f ms\n", percentile(counted, 0.5));
    std::fflush(stdout);

    // ---- scrolling the whole list, two rows per frame
    const qreal rowHeight = 72;
    const qreal end = list->property("contentHeight").toReal() - list->height();
    std::vector<double> frames;
    for (qreal y = 0; y <= end; y += 2 * rowHeight) {
        QElapsedTimer t;
        t.start();
        list->setProperty("contentY", y);
        if (!waitForFrame(window))
            break;
        frames.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("# frames: %zu over %.0f px\n", frames.size(), end);
    std::printf("BENCH overview.scroll.frame.median %.2f ms\n", percentile(frames, 0.5));
    std::printf("BENCH overview.scroll.frame.p99 %.2f ms\n", percentile(frames, 0.99));
    std::fflush(stdout);

    object.reset();
    stack.removeAll();
    return 0;
}
