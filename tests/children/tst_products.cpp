// Products and messages: equality, one stored copy per id, removal of equal records together,
// unreadable stored values, what survives a restart, the message editor and the views.
#include "Clock.h"
#include "CreateBoodschapViewController.h"
#include "ProductRemoverViewController.h"
#include "ProductStore.h"
#include "ProductadderViewController.h"
#include "Resources.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "WindowDriver.h"

#include <QAbstractItemModelTester>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
struct RecordingDelegate : ProductadderDelegate, ProductremoverDelegate, CreateBoodschapDelegate {
    QList<Product> saved;
    QList<Product> deleted;
    QList<Boodschap> messages;
    void saveProduct(const Product& product) override { saved << product; }
    void deleteProduct(const Product& product) override { deleted << product; }
    void saveBoodschap(const Boodschap& boodschap) override { messages << boodschap; }
};

Product koek(const QString& id, const QDateTime& when) {
    Product p;
    p.kind_id = id;
    p.productnaam = QStringLiteral("Koek");
    p.tijdstip = when;
    p.door = QStringLiteral("Peeters");
    return p;
}

// A fresh read of the settings file, as after a restart.
std::unique_ptr<UserDefaults> reread() {
    UserDefaults::standard().synchronize();
    return std::make_unique<UserDefaults>(UserDefaults::standard().fileName());
}

QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

QQuickItem* findItem(QQuickItem* root, const QString& name) {
    return WindowDriver::findItem(root, name, false); // hidden items too
}
} // namespace

class TestProducts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void init();
    void cleanup();

    void equality();
    void productChoiceGivesEveryIdItsCopy();
    void nothingStoredWithoutIdOrRow();
    void equalProductsAreRemovedTogether();
    void corruptStoredValue_data();
    void corruptStoredValue();
    void roundTripThroughAFreshRead();
    void everyChangeIsOnTheDiskWhenItReturns();
    void messageEditor();
    void viewsWithTheirControllers();

private:
    std::unique_ptr<TemporaryStore> m_store;
    QDateTime m_now;
};

void TestProducts::init() {
    m_store = std::make_unique<TemporaryStore>();
    QVERIFY(m_store->isValid());
    m_now = QDateTime::fromMSecsSinceEpoch(testing::local(2024, 5, 14, 15, 30).toMSecsSinceEpoch() + 123);
    Clock::set(m_now);
}

void TestProducts::cleanup() {
    Clock::reset();
    m_store.reset();
}

void TestProducts::equality() {
    const Product p = koek(QStringLiteral("K1"), m_now);
    Product same = p;
    same.tijdstip = m_now.toUTC(); // the same instant
    QVERIFY(p == same);
    const QList<std::function<void(Product&)>> productChanges = {
        [](Product& x) { x.productid = 1; }, [](Product& x) { x.kind_id = "K2"; },
        [](Product& x) { x.productnaam = "Frisdrank"; }, [](Product& x) { x.door = "Maes"; },
        [](Product& x) { x.tijdstip = x.tijdstip.addMSecs(1); }};
    for (const auto& change : productChanges) {
        Product other = p;
        change(other);
        QVERIFY(p != other && other != p);
    }
    Boodschap m;
    m.about_id = QStringLiteral("K1");
    m.onderwerp = QStringLiteral("Jas");
    m.boodschap = QStringLiteral("Blauwe jas vergeten");
    m.tijdstip = m_now;
    QVERIFY(m == Boodschap(m));
    const QList<std::function<void(Boodschap&)>> messageChanges = {[](Boodschap& x) { x.boodschapid = 2; },
                                                                   [](Boodschap& x) { x.about_id = "K2"; },
                                                                   [](Boodschap& x) { x.onderwerp.clear(); },
                                                                   [](Boodschap& x) { x.boodschap += "."; },
                                                                   [](Boodschap& x) { x.door = "Maes"; },
                                                                   [](Boodschap& x) { x.tijdstip = x.tijdstip.addMSecs(-1); }};
    for (const auto& change : messageChanges) {
        Boodschap other = m;
        change(other);
        QVERIFY(m != other);
    }
}

void TestProducts::productChoiceGivesEveryIdItsCopy() {
    RecordingDelegate delegate;
    // The same child twice in the list must not get two copies.
    ProductadderViewController adder({"K1", "K2", "K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QAbstractItemModelTester tester(adder.choices(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList rows;
    for (int r = 0; r < adder.choices()->rowCount(); ++r)
        rows << adder.choices()->index(r).data(ProductChoiceModel::ProductnaamRole).toString();
    QCOMPARE(rows, QStringList({"Maaltijd", "Koek", "Frisdrank"}));

    QVERIFY(adder.chooseRow(1));
    Clock::advance(60);
    QVERIFY(adder.chooseRow(1)); // "Koek" twice: two products, told apart by their time
    ProductStore store;
    for (const QString id : {"K1", "K2"})
        QCOMPARE(store.products(id), QList<Product>({koek(id, m_now), koek(id, m_now.addSecs(60))}));
    QCOMPARE(delegate.saved, QList<Product>({koek("K1", m_now), koek("K1", m_now.addSecs(60))}));

    // Deleting one of them leaves the other, and the other child's.
    ProductRemoverViewController remover(delegate.saved.at(0), &delegate);
    QCOMPARE(remover.verwijder(), 1);
    QCOMPARE(ProductStore(*reread()).products("K1"), QList<Product>({koek("K1", m_now.addSecs(60))}));
    QCOMPARE(store.products(QStringLiteral("K2")).size(), 2);
    QCOMPARE(delegate.deleted, QList<Product>({koek("K1", m_now)}));

    // Without a given author: the logged-in staff member, here for their own list.
    Users::setSharedUsers(m_store->staff("UE9", "U9", "Els", "Maes"));
    QVERIFY(ProductadderViewController({QStringLiteral("U9")}).chooseRow(2));
    QCOMPARE(store.products(QStringLiteral("U9")).value(0).door, QStringLiteral("Maes"));
}

void TestProducts::nothingStoredWithoutIdOrRow() {
    RecordingDelegate delegate;
    ProductadderViewController adder({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QVERIFY(!adder.chooseRow(3));
    QVERIFY(!adder.chooseRow(-1));
    QVERIFY(!ProductadderViewController({}, &delegate).chooseRow(0));
    CreateBoodschapViewController editor({""}, &delegate);
    editor.setText(QStringLiteral("Hallo"));
    QVERIFY(!editor.save());
    QVERIFY(editor.hasUnsavedText()); // not stored, so still worth guarding
    QVERIFY(delegate.saved.isEmpty() && delegate.messages.isEmpty());
    QVERIFY(ProductStore().products(QStringLiteral("K1")).isEmpty());
    QVERIFY(!UserDefaults::standard().contains(QStringLiteral("boodschappen")));
}

void TestProducts::equalProductsAreRemovedTogether() {
    ProductStore store;
    const Product p = koek(QStringLiteral("K1"), m_now);
    const Product q = koek(QStringLiteral("K1"), m_now.addMSecs(1));
    for (const Product& x : {p, q, p})
        QVERIFY(store.saveProduct(x));
    // The same fields for another child are not this child's product.
    QCOMPARE(store.removeProduct(koek(QStringLiteral("K2"), m_now)), 0);

    RecordingDelegate delegate;
    QCOMPARE(ProductRemoverViewController(p, &delegate).verwijder(), 2);
    QCOMPARE(ProductStore(*reread()).products(QStringLiteral("K1")), QList<Product>({q}));
    QCOMPARE(ProductRemoverViewController(p, &delegate).verwijder(), 0);
    QCOMPARE(delegate.deleted.size(), 2); // the screen drops it all the same

    Boodschap m;
    m.about_id = QStringLiteral("K1");
    m.boodschap = QStringLiteral("Tweemaal");
    store.saveBoodschap(m);
    store.saveBoodschap(m);
    QCOMPARE(store.removeBoodschap(m), 2);
    QVERIFY(store.boodschappen(QStringLiteral("K1")).isEmpty());
}

void TestProducts::corruptStoredValue_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("readable");
    QTest::newRow("no JSON") << QVariant(QStringLiteral("producten van gisteren")) << 0;
    QTest::newRow("cut off") << QVariant(QStringLiteral("[{\"productnaam\": \"Koe")) << 0;
    QTest::newRow("an object") << QVariant(QStringLiteral("{\"productnaam\": \"Koek\"}")) << 0;
    QTest::newRow("a number") << QVariant(7) << 0;
    QTest::newRow("bytes") << QVariant(QByteArray("\xff\xfe\x00\x01", 4)) << 0;
    QTest::newRow("some entries readable")
        << QVariant(QStringLiteral(R"([1, "x", {"productnaam": "Koek", "tijdstip": "x"}, {"tijdstip": 17}])"))
        << 2;
}

void TestProducts::corruptStoredValue() {
    QFETCH(QVariant, stored);
    QFETCH(int, readable);
    const QString key = ProductStore::productenKey(QStringLiteral("K1"));
    UserDefaults::standard().setObject(key, stored);
    ProductStore store;
    const QList<Product> products = store.products(QStringLiteral("K1"));
    QCOMPARE(products.size(), readable);
    if (readable) { // unreadable fields read as empty
        QVERIFY(!products.at(0).tijdstip.isValid());
        QCOMPARE(products.at(1).tijdstip.toMSecsSinceEpoch(), 17);
    }
    // Removing what is not there leaves the stored value alone; saving adds to what is readable.
    QCOMPARE(store.removeProduct(koek(QStringLiteral("K1"), m_now)), 0);
    QCOMPARE(UserDefaults::standard().objectForKey(key), stored);
    QVERIFY(store.saveProduct(koek(QStringLiteral("K1"), m_now)));
    QCOMPARE(store.products(QStringLiteral("K1")).size(), readable + 1);
}

void TestProducts::roundTripThroughAFreshRead() {
    ProductStore store;
    Boodschap m;
    m.about_id = QStringLiteral("U1");
    m.onderwerp = QStringLiteral("Ouders, \"dringend\" = ; @ByteArray(x)");
    m.boodschap = QStringLiteral("Regel één,\nregel twee\t\\ en [haakjes]");
    m.tijdstip = m_now;
    m.door = QStringLiteral("D'Hondt");
    Product p = koek(QStringLiteral("K/1"), m_now);
    p.productnaam = QStringLiteral("Maaltijd, warm");
    QVERIFY(store.saveBoodschap(m));
    QVERIFY(store.saveProduct(p));
    QVERIFY(UserDefaults::standard().contains(QStringLiteral("boodschappenU1")));

    const auto defaults = reread();
    ProductStore after(*defaults);
    QCOMPARE(after.boodschappen(QStringLiteral("U1")), QList<Boodschap>({m}));
    QCOMPARE(after.products(QStringLiteral("K/1")), QList<Product>({p}));
    QVERIFY(after.products(QStringLiteral("K")).isEmpty());
}

void TestProducts::everyChangeIsOnTheDiskWhenItReturns() {
    ProductStore store;
    Boodschap m;
    m.about_id = QStringLiteral("U1");
    m.onderwerp = QStringLiteral("Jas");
    m.tijdstip = m_now;
    const Product p = koek(QStringLiteral("K1"), m_now);
    const QList<QPair<const char*, std::function<void()>>> changes = {
        {"product", [&] { QVERIFY(store.saveProduct(p)); }},
        {"message", [&] { QVERIFY(store.saveBoodschap(m)); }},
        {"product for a group",
         [&] {
             QCOMPARE(store.saveProductForIds(p, {"K2", "K3"}).size(), 2);
         }},
        {"message for a group", [&] { QCOMPARE(store.saveBoodschapForIds(m, {"U2"}).size(), 1); }},
        {"product removed", [&] { QCOMPARE(store.removeProduct(p), 1); }},
        {"message removed", [&] { QCOMPARE(store.removeBoodschap(m), 1); }},
    };
    UserDefaults& defaults = UserDefaults::standard();
    for (const auto& [what, change] : changes) {
        change();
        // Not left to the background writer: a power cut right now must not take it.
        QVERIFY2(!defaults.hasUnwrittenChanges(), what);
        const QSettings file(defaults.fileName(), QSettings::IniFormat);
        for (const QString id : {"K1", "K2", "K3"})
            QVERIFY2(file.value(ProductStore::productenKey(id)) ==
                         defaults.objectForKey(ProductStore::productenKey(id)),
                     what);
        for (const QString id : {"U1", "U2"})
            QVERIFY2(file.value(ProductStore::boodschappenKey(id)) ==
                         defaults.objectForKey(ProductStore::boodschappenKey(id)),
                     what);
    }
}

void TestProducts::messageEditor() {
    RecordingDelegate delegate;
    CreateBoodschapViewController editor({"K1", "K2"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QVERIFY(!editor.hasUnsavedText());
    QVERIFY(!editor.save()); // nothing typed
    editor.setOnderwerp(QStringLiteral("  "));
    QVERIFY(editor.hasUnsavedText() && !editor.canSave());
    editor.discard(); // the guard's "Verwijder"
    QVERIFY(!editor.hasUnsavedText());

    editor.setText(QStringLiteral("Heeft goed gegeten."));
    QVERIFY(editor.save());            // an empty subject is allowed
    QVERIFY(!editor.hasUnsavedText()); // leaving now asks nothing
    QVERIFY(!editor.save());           // a second tap stores nothing more
    editor.setText(QStringLiteral("later"));
    QCOMPARE(editor.text(), QStringLiteral("Heeft goed gegeten."));
    for (const QString id : {"K1", "K2"}) {
        const QList<Boodschap> list = ProductStore().boodschappen(id);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).about_id, id);
        QCOMPARE(list.at(0).onderwerp, QString(""));
        QCOMPARE(list.at(0).tijdstip, m_now);
        QCOMPARE(list.at(0).door, QStringLiteral("Peeters"));
    }
    QCOMPARE(delegate.messages.size(), 1);

    // A stored message is shown read-only: nothing to guard, nothing to change or save.
    CreateBoodschapViewController reader({"K1"}, &delegate);
    reader.setIngeladenBoodschap(delegate.messages.at(0));
    QVERIFY(reader.readOnly() && !reader.hasUnsavedText());
    reader.setText(QStringLiteral("anders"));
    reader.discard();
    QCOMPARE(reader.text(), QStringLiteral("Heeft goed gegeten."));
    QVERIFY(!reader.save());
}

void TestProducts::viewsWithTheirControllers() {
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    QQmlComponent component(&engine, Resources::qmlUrl("children/qml/Popover.qml"));
    std::unique_ptr<QObject> popover(component.create());
    QVERIFY2(popover, qPrintable(component.errorString()));
    popover->setProperty("parent", QVariant::fromValue(window.contentItem()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto show = [&](ScreenController* screen, int w, int h) {
        QMetaObject::invokeMethod(
            popover.get(), "openFor", Q_ARG(QVariant, QVariant::fromValue(window.contentItem())),
            Q_ARG(QVariant, QVariant::fromValue<QObject*>(screen)), Q_ARG(QVariant, w), Q_ARG(QVariant, h));
        return popover->property("view").value<QQuickItem*>();
    };
    const auto tap = [&](QQuickItem* item, QPointF at) {
        QTest::mouseClick(&window, Qt::LeftButton, {}, item->mapToScene(at).toPoint());
    };
    RecordingDelegate delegate;

    ProductadderViewController adder({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    tap(show(&adder, 150, 140), QPointF(75, 70)); // the middle row
    QTRY_COMPARE(delegate.saved.size(), 1);
    QCOMPARE(delegate.saved.at(0).productnaam, QStringLiteral("Koek"));

    ProductRemoverViewController remover(delegate.saved.at(0), &delegate);
    tap(show(&remover, 200, 40), QPointF(100, 20));
    QTRY_COMPARE(delegate.deleted.size(), 1);

    // The editor: typed text reaches the controller; saving fades the fields out.
    CreateBoodschapViewController editor({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QQuickItem* view = show(&editor, 480, 420);
    QQuickItem* saveButton = findItem(view, QStringLiteral("saveButton"));
    QVERIFY(!saveButton->isEnabled());
    findItem(view, QStringLiteral("onderwerpField"))->forceActiveFocus();
    for (const char key : {'J', 'a', 's'})
        QTest::keyClick(&window, key);
    QCOMPARE(editor.onderwerp(), QStringLiteral("Jas"));

    // Unsaved text: a tap outside only reports it, when the owner guards (as the detail panel does).
    popover->setProperty("guarded", true);
    QSignalSpy outside(popover.get(), SIGNAL(outsidePressed()));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(1000, 740));
    QTRY_COMPARE(outside.count(), 1);
    QVERIFY(popover->property("visible").toBool());
    popover->setProperty("guarded", false);

    tap(saveButton, QPointF(saveButton->width() / 2, saveButton->height() / 2));
    QTRY_COMPARE(delegate.messages.size(), 1);
    QTRY_COMPARE(findItem(view, QStringLiteral("fields"))->opacity(), 0.0);

    // A stored message: read-only, no toolbar.
    CreateBoodschapViewController reader({"K1"});
    reader.setIngeladenBoodschap(delegate.messages.at(0));
    view = show(&reader, 480, 420);
    QVERIFY(!findItem(view, QStringLiteral("toolbar"))->isVisible());
    QCOMPARE(findItem(view, QStringLiteral("onderwerpField"))->property("text").toString(),
             QStringLiteral("Jas"));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(1000, 740));
    QTRY_VERIFY(!popover->property("visible").toBool());
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestProducts)
#include "tst_products.moc"
