// The panel stack: which panels stay when a screen is opened, removal, ownership, the geometry that
// keeps at most two panels in view, and the QML view over it.
#include "InfoViewController.h"
#include "Resources.h"
#include "ScreenController.h"
#include "StackScrollViewController.h"

#include <QAbstractItemModelTester>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

// A screen the tests own, named for readable failures.
QObject* screen(QObject* owner, const char* name) {
    auto* s = new QObject(owner);
    s->setObjectName(QString::fromLatin1(name));
    return s;
}

QStringList names(const StackScrollViewController& stack) {
    QStringList out;
    for (QObject* s : stack.viewControllersStack())
        out << s->objectName();
    return out;
}
} // namespace

class TestStackScroll : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void startViewEmptiesTheStack();
    void firstPanelsFollowWhateverInvokedThem();
    void newPanelFollowsItsInvoker();
    void embeddedInvokerCountsAsItsParentScreen();
    void invokerOutsideTheStackKeepsEveryPanel();
    void removeLastSubViewByController();
    void reopeningAScreenMovesItToTheEnd();
    void ownershipOfScreens();
    void destroyedScreenLeavesTheStack();
    void atMostTwoPanelsFullyVisible();
    void releasedDragSettlesOnAPanel();
    void resizingKeepsThePanelsInView();
    void onePanelInViewGoesBackAndForth();
    void qmlViewShowsEachScreensView();
};

void TestStackScroll::startViewEmptiesTheStack() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QObject* menu = screen(&owner, "menu");
    stack.addViewInSlider(screen(&owner, "a"), menu, true);
    stack.addViewInSlider(screen(&owner, "b"), stack.screenAt(0), false);
    stack.addViewInSlider(screen(&owner, "c"), stack.screenAt(1), false);
    QCOMPARE(names(stack), QStringList({"a", "b", "c"}));

    QSignalSpy counted(&stack, &StackScrollViewController::countChanged);
    stack.addViewInSlider(screen(&owner, "d"), menu, true);
    QCOMPARE(names(stack), QStringList({"d"}));
    QVERIFY(counted.count() >= 1);
    QCOMPARE(stack.rowCount(), 1);
    QCOMPARE(stack.data(stack.index(0), StackScrollViewController::ScreenRole).value<QObject*>(),
             stack.screenAt(0));
}

void TestStackScroll::firstPanelsFollowWhateverInvokedThem() {
    // With fewer than two panels nothing is removed, whoever the invoker is.
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    stack.addViewInSlider(screen(&owner, "a"), nullptr, false);
    QCOMPARE(names(stack), QStringList({"a"}));
    stack.addViewInSlider(screen(&owner, "b"), screen(&owner, "stranger"), false);
    QCOMPARE(names(stack), QStringList({"a", "b"}));
}

void TestStackScroll::newPanelFollowsItsInvoker() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QObject* a = screen(&owner, "a");
    stack.addViewInSlider(a, nullptr, true);
    stack.addViewInSlider(screen(&owner, "b"), a, false);
    stack.addViewInSlider(screen(&owner, "c"), stack.screenAt(1), false);
    stack.addViewInSlider(screen(&owner, "d"), stack.screenAt(2), false);
    QCOMPARE(names(stack), QStringList({"a", "b", "c", "d"}));

    // The invoker in the middle: the panels after it go.
    stack.addViewInSlider(screen(&owner, "e"), stack.screenAt(1), false);
    QCOMPARE(names(stack), QStringList({"a", "b", "e"}));
    // The first panel invokes: only it stays before the new one.
    stack.addViewInSlider(screen(&owner, "f"), a, false);
    QCOMPARE(names(stack), QStringList({"a", "f"}));
    // The last panel invokes: nothing goes.
    stack.addViewInSlider(screen(&owner, "g"), stack.screenAt(1), false);
    QCOMPARE(names(stack), QStringList({"a", "f", "g"}));
}

void TestStackScroll::embeddedInvokerCountsAsItsParentScreen() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ScreenController a(QUrl(), QStringLiteral("a"));
    a.setObjectName(QStringLiteral("a"));
    ScreenController b(QUrl(), QStringLiteral("b"));
    b.setObjectName(QStringLiteral("b"));
    stack.addViewInSlider(&a, nullptr, true);
    stack.addViewInSlider(&b, &a, false);
    stack.addViewInSlider(screen(&owner, "c"), &b, false);

    // A part drawn inside a: it is not a panel, a is.
    ScreenController part{QUrl()};
    part.setParentScreen(&a);
    stack.addViewInSlider(screen(&owner, "d"), &part, false);
    QCOMPARE(names(stack), QStringList({"a", "d"}));

    // Plain objects name their parent screen through a "parentScreen" property too, at any depth.
    stack.addViewInSlider(screen(&owner, "e"), stack.screenAt(1), false);
    QObject* outer = screen(&owner, "outer");
    outer->setProperty("parentScreen", QVariant::fromValue<QObject*>(stack.screenAt(1)));
    QObject* inner = screen(&owner, "inner");
    inner->setProperty("parentScreen", QVariant::fromValue(outer));
    stack.addViewInSlider(screen(&owner, "f"), inner, false);
    QCOMPARE(names(stack), QStringList({"a", "d", "f"}));
}

void TestStackScroll::invokerOutsideTheStackKeepsEveryPanel() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    stack.addViewInSlider(screen(&owner, "a"), nullptr, true);
    stack.addViewInSlider(screen(&owner, "b"), stack.screenAt(0), false);
    stack.addViewInSlider(screen(&owner, "c"), screen(&owner, "menu"), false);
    stack.addViewInSlider(screen(&owner, "d"), nullptr, false);
    QCOMPARE(names(stack), QStringList({"a", "b", "c", "d"}));
}

void TestStackScroll::removeLastSubViewByController() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    stack.addViewInSlider(screen(&owner, "a"), nullptr, true);
    stack.addViewInSlider(screen(&owner, "b"), stack.screenAt(0), false);
    stack.addViewInSlider(screen(&owner, "c"), stack.screenAt(1), false);

    stack.removeLastSubViewByController(stack.screenAt(2)); // the last: nothing after it
    QCOMPARE(names(stack), QStringList({"a", "b", "c"}));
    stack.removeLastSubViewByController(screen(&owner, "absent"));
    QCOMPARE(names(stack), QStringList({"a", "b", "c"}));
    stack.removeLastSubViewByController(nullptr);
    QCOMPARE(names(stack), QStringList({"a", "b", "c"}));
    stack.removeLastSubViewByController(stack.screenAt(0));
    QCOMPARE(names(stack), QStringList({"a"}));
    stack.removeAll();
    QCOMPARE(stack.count(), 0);
}

void TestStackScroll::reopeningAScreenMovesItToTheEnd() {
    QObject owner;
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QObject* a = screen(&owner, "a");
    QObject* b = screen(&owner, "b");
    stack.addViewInSlider(a, nullptr, true);
    stack.addViewInSlider(b, a, false);
    stack.addViewInSlider(screen(&owner, "c"), b, false);
    stack.addViewInSlider(b, a, false);
    QCOMPARE(names(stack), QStringList({"a", "b"}));
    QCOMPARE(stack.viewControllersStack().count(b), 1);
    stack.addViewInSlider(nullptr, a, true); // nothing to show: nothing changes
    QCOMPARE(names(stack), QStringList({"a", "b"}));
}

void TestStackScroll::ownershipOfScreens() {
    QObject owner;
    QPointer<QObject> adopted = new QObject;
    QPointer<QObject> kept = screen(&owner, "kept");
    {
        StackScrollViewController stack;
        stack.addViewInSlider(adopted, nullptr, true);
        QCOMPARE(adopted->parent(), &stack);
        stack.addViewInSlider(kept, adopted, false);
        stack.addViewInSlider(screen(&owner, "next"), nullptr, true); // both leave the stack
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(adopted.isNull());
        QVERIFY(!kept.isNull());
        QCOMPARE(kept->parent(), &owner);

        QPointer<QObject> lastAdopted = new QObject;
        stack.addViewInSlider(lastAdopted, nullptr, false);
        QCOMPARE(stack.count(), 2);
        // Screens still open when the stack goes, go with it; others stay with their owner.
        adopted = lastAdopted;
    }
    QVERIFY(adopted.isNull());
    QVERIFY(!kept.isNull());
}

void TestStackScroll::destroyedScreenLeavesTheStack() {
    StackScrollViewController stack;
    QAbstractItemModelTester tester(&stack, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QObject owner;
    stack.addViewInSlider(screen(&owner, "a"), nullptr, true);
    auto* b = new QObject(&owner);
    b->setObjectName(QStringLiteral("b"));
    stack.addViewInSlider(b, nullptr, false);
    stack.addViewInSlider(screen(&owner, "c"), b, false);
    delete b;
    QCOMPARE(names(stack), QStringList({"a", "c"}));
}

void TestStackScroll::atMostTwoPanelsFullyVisible() {
    QObject owner;
    StackScrollViewController stack;
    stack.setViewWidth(824);
    QCOMPARE(stack.panelWidth(), 412.0);
    for (int n = 1; n <= 5; ++n) {
        stack.addViewInSlider(screen(&owner, "p"), stack.screenAt(stack.count() - 1), n == 1);
        QCOMPARE(stack.count(), n);
        // A panel is fully visible when it lies inside the area and no newer panel covers any of it.
        QList<int> visible;
        for (int i = 0; i < n; ++i) {
            const qreal x = stack.panelX(i);
            const bool inside = x >= 0 && x + stack.panelWidth() <= stack.viewWidth() + 0.01;
            bool covered = false;
            for (int j = i + 1; j < n; ++j)
                covered = covered || stack.panelX(j) < x + stack.panelWidth() - 0.01;
            if (inside && !covered)
                visible << i;
        }
        const QList<int> newest = n == 1 ? QList<int>{0} : QList<int>{n - 2, n - 1};
        QCOMPARE(visible, newest);
        // Older panels lie at the left edge, under the newer ones.
        for (int i = 0; i + 2 < n; ++i)
            QCOMPARE(stack.panelX(i), 0.0);
        QCOMPARE(stack.data(stack.index(n - 1), StackScrollViewController::PanelXRole).toReal(),
                 stack.panelX(n - 1));
    }
}

void TestStackScroll::releasedDragSettlesOnAPanel() {
    QObject owner;
    StackScrollViewController stack;
    stack.setViewWidth(800); // panels of 400
    for (int n = 0; n < 4; ++n)
        stack.addViewInSlider(screen(&owner, "p"), stack.screenAt(stack.count() - 1), n == 0);
    QCOMPARE(stack.maxViewXPosition(), 800.0);
    QCOMPARE(stack.viewXPosition(), 800.0);

    QCOMPARE(stack.settledPosition(590, 0), 400.0);     // short of halfway: back
    QCOMPARE(stack.settledPosition(610, 0), 800.0);     // past halfway: on
    QCOMPARE(stack.settledPosition(420, 2000), 800.0);  // a fast flick leftwards moves on
    QCOMPARE(stack.settledPosition(780, -2000), 400.0); // and rightwards back
    QCOMPARE(stack.settledPosition(-150, 0), 0.0);      // stretched past either end: bounce back
    QCOMPARE(stack.settledPosition(1300, 5000), 800.0);

    // Dragged to the start, the oldest panels show and the newest slide off to the right.
    stack.setViewXPosition(0);
    QCOMPARE(stack.panelX(0), 0.0);
    QCOMPARE(stack.panelX(1), 400.0);
    QVERIFY(stack.panelX(2) >= stack.viewWidth());

    // Closing panels never leaves the view scrolled past the newest ones.
    stack.setViewXPosition(800);
    stack.removeLastSubViewByController(stack.screenAt(1));
    QCOMPARE(stack.viewXPosition(), 0.0);
}

void TestStackScroll::resizingKeepsThePanelsInView() {
    QObject owner;
    StackScrollViewController stack;
    stack.setViewWidth(800);
    for (int n = 0; n < 3; ++n)
        stack.addViewInSlider(screen(&owner, "p"), stack.screenAt(stack.count() - 1), n == 0);
    QCOMPARE(stack.viewXPosition(), 400.0);
    stack.setViewWidth(1000);
    QCOMPARE(stack.viewXPosition(), 500.0);
    QCOMPARE(stack.panelX(1), 0.0);
    QCOMPARE(stack.panelX(2), 500.0);
    stack.setViewWidth(0); // a collapsed item: ignored
    QCOMPARE(stack.viewWidth(), 1000.0);
}

// Upright: one panel over the whole width, the newest; back and forward step one panel and keep
// every panel open; turning back to two panels shows the newest two.
void TestStackScroll::onePanelInViewGoesBackAndForth() {
    QObject owner;
    StackScrollViewController stack;
    stack.setViewWidth(824);
    for (const char* name : {"list", "detail", "more"})
        stack.addViewInSlider(screen(&owner, name), stack.screenAt(stack.count() - 1), stack.count() == 0);
    QCOMPARE(stack.viewXPosition(), 412.0);
    QVERIFY(stack.canGoBack() && !stack.canGoForward());
    stack.setPanelsInView(1);
    stack.setViewWidth(768);
    QCOMPARE(stack.panelWidth(), 768.0);
    QCOMPARE(stack.maxViewXPosition(), 2 * 768.0);
    QCOMPARE(stack.viewXPosition(), 2 * 768.0);
    QCOMPARE(stack.panelX(2), 0.0);
    const QList<std::pair<bool, qreal>> steps{{true, 768}, {true, 0}, {true, 0}, {false, 768}, {false, 1536},
                                              {false, 1536}};
    for (const auto& [back, position] : steps) {
        back ? stack.goBack() : stack.goForward();
        QCOMPARE(stack.viewXPosition(), position);
        QCOMPARE(stack.canGoBack(), position > 0);
        QCOMPARE(stack.canGoForward(), position < 1536);
        QCOMPARE(stack.count(), 3);
    }
    stack.goBack();
    stack.setPanelsInView(2);
    QCOMPARE(stack.panelWidth(), 384.0);
    QCOMPARE(stack.viewXPosition(), stack.maxViewXPosition());
    QCOMPARE(stack.panelX(1), 0.0);
    QCOMPARE(stack.panelX(2), 384.0);
}

void TestStackScroll::qmlViewShowsEachScreensView() {
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    {
        QQmlEngine engine;
        QQuickWindow window;
        window.resize(824, 768);
        StackScrollViewController stack;
        auto* first = new InfoViewController(nullptr, InfoViewController::defaultDataFile(),
                                             [](const QUrl&) { return true; });
        stack.addViewInSlider(first, nullptr, true);

        QQmlComponent component(&engine, Resources::qmlUrl(QStringLiteral("app/qml/StackScrollView.qml")));
        std::unique_ptr<QObject> object(
            component.createWithInitialProperties({{"controller", QVariant::fromValue<QObject*>(&stack)}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        auto* root = qobject_cast<QQuickItem*>(object.get());
        QVERIFY(root);
        root->setParentItem(window.contentItem());
        root->setSize(QSizeF(824, 768));
        window.show();
        QCOMPARE(stack.viewWidth(), 824.0);

        auto* second = new InfoViewController(nullptr, InfoViewController::defaultDataFile(),
                                              [](const QUrl&) { return true; });
        stack.addViewInSlider(second, first, false);
        auto* third = new InfoViewController(nullptr, InfoViewController::defaultDataFile(),
                                             [](const QUrl&) { return true; });
        stack.addViewInSlider(third, second, false);

        // Every panel loaded its screen's view with that screen as its controller, placed where the
        // stack says.
        QList<QObject*> shownControllers;
        for (QQuickItem* panel : root->childItems()) {
            for (QQuickItem* child : panel->childItems()) // the Loader holds the screen's view
                if (auto* view = child->property("item").value<QObject*>())
                    shownControllers << view->property("controller").value<QObject*>();
            const QVariant screenValue = panel->property("screen");
            if (auto* s = screenValue.value<QObject*>())
                QTRY_COMPARE(panel->x(), stack.panelX(stack.indexOfScreen(s)));
        }
        QCOMPARE(shownControllers.size(), 3);
        QVERIFY(shownControllers.contains(first) && shownControllers.contains(second) &&
                shownControllers.contains(third));

        stack.addViewInSlider(new InfoViewController, nullptr, true);
        QTRY_COMPARE(stack.count(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestStackScroll)
#include "tst_stackscroll.moc"
