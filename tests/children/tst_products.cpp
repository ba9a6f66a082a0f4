// Products and messages: equality, one stored copy per id, removal of equal records together,
// unreadable stored values, and what survives a restart (a fresh read of the settings file).
#include "Clock.h"
#include "CreateBoodschapViewController.h"
#include "ProductRemoverViewController.h"
#include "ProductStore.h"
#include "ProductadderViewController.h"
#include "TestStore.h"
#include "UserDefaults.h"

#include "Resources.h"

#include <QAbstractItemModelTester>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using testing::local;

namespace {
QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

QQuickItem* findItem(QQuickItem* root, const QString& objectName) {
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, objectName))
            return found;
    return nullptr;
}

// Shows a controller's view in the window at the given size.
std::unique_ptr<QQuickItem> showView(QQmlEngine& engine, QQuickWindow& window, ScreenController* screen,
                                     QSizeF size) {
    QQmlComponent component(&engine, screen->viewUrl());
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{"controller", QVariant::fromValue<QObject*>(screen)}}));
    if (!object)
        qWarning() << component.errorString();
    auto* item = qobject_cast<QQuickItem*>(object.release());
    if (item) {
        item->setParentItem(window.contentItem());
        item->setSize(size);
    }
    return std::unique_ptr<QQuickItem>(item);
}

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
} // namespace

class TestProducts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void productEquality_data();
    void productEquality();
    void boodschapEquality();
    void productChoiceGivesEveryIdItsCopy();
    void nothingStoredWithoutIdOrRow();
    void equalProductsAreRemovedTogether();
    void corruptStoredValue_data();
    void corruptStoredValue();
    void roundTripThroughAFreshRead();
    void messageEditor();
    void storedMessageIsReadOnly();
    void viewsWithTheirControllers();
    void popoverKeepsUnsavedText();

private:
    std::unique_ptr<TemporaryStore> m_store;
    QDateTime m_now;
};

void TestProducts::init() {
    m_store = std::make_unique<TemporaryStore>();
    QVERIFY(m_store->isValid());
    m_now = QDateTime::fromMSecsSinceEpoch(local(2024, 5, 14, 15, 30).toMSecsSinceEpoch() + 123);
    Clock::set(m_now);
}

void TestProducts::cleanup() {
    Clock::reset();
    m_store.reset();
}

void TestProducts::productEquality_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("equal");
    QTest::newRow("same") << "" << true;
    QTest::newRow("same instant, other time spec") << "utc" << true;
    QTest::newRow("productid") << "productid" << false;
    QTest::newRow("kind_id") << "kind_id" << false;
    QTest::newRow("productnaam") << "productnaam" << false;
    QTest::newRow("tijdstip one ms later") << "tijdstip" << false;
    QTest::newRow("door") << "door" << false;
}

void TestProducts::productEquality() {
    QFETCH(QString, field);
    QFETCH(bool, equal);
    const Product a = koek(QStringLiteral("K1"), m_now);
    Product b = a;
    if (field == QLatin1String("utc"))
        b.tijdstip = m_now.toUTC();
    else if (field == QLatin1String("productid"))
        b.productid = 1;
    else if (field == QLatin1String("kind_id"))
        b.kind_id = QStringLiteral("K2");
    else if (field == QLatin1String("productnaam"))
        b.productnaam = QStringLiteral("Frisdrank");
    else if (field == QLatin1String("tijdstip"))
        b.tijdstip = m_now.addMSecs(1);
    else if (field == QLatin1String("door"))
        b.door = QStringLiteral("Janssens");
    QCOMPARE(a == b, equal);
    QCOMPARE(b == a, equal);
}

void TestProducts::boodschapEquality() {
    Boodschap a;
    a.about_id = QStringLiteral("K1");
    a.onderwerp = QStringLiteral("Jas");
    a.boodschap = QStringLiteral("Blauwe jas vergeten");
    a.tijdstip = m_now;
    a.door = QStringLiteral("Peeters");
    QVERIFY(a == Boodschap(a));
    const QList<std::function<void(Boodschap&)>> changes = {
        [](Boodschap& b) { b.boodschapid = 2; },
        [](Boodschap& b) { b.about_id = "K2"; },
        [](Boodschap& b) { b.onderwerp = ""; },
        [](Boodschap& b) { b.boodschap += "."; },
        [&](Boodschap& b) { b.tijdstip = m_now.addMSecs(-1); },
        [](Boodschap& b) { b.door = "Maes"; }};
    for (int i = 0; i < changes.size(); ++i) {
        Boodschap b = a;
        changes.at(i)(b);
        QVERIFY2(a != b, qPrintable(QString::number(i)));
    }
}

void TestProducts::productChoiceGivesEveryIdItsCopy() {
    RecordingDelegate delegate;
    // The same child twice in the list must not get two copies.
    ProductadderViewController adder({"K1", "K2", "K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QAbstractItemModelTester tester(adder.choices(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(adder.choices()->rowCount(), 3);
    QStringList rows;
    for (int r = 0; r < 3; ++r)
        rows << adder.choices()->index(r).data(ProductChoiceModel::ProductnaamRole).toString();
    QCOMPARE(rows, QStringList({"Maaltijd", "Koek", "Frisdrank"}));

    QSignalSpy saved(&adder, &ProductadderViewController::productsSaved);
    QVERIFY(adder.chooseRow(1));
    Clock::advance(60);
    QVERIFY(adder.chooseRow(1)); // "Koek" twice: two products, told apart by their time

    ProductStore store;
    for (const QString id : {"K1", "K2"}) {
        const QList<Product> products = store.products(id);
        QCOMPARE(products.size(), 2);
        QCOMPARE(products.at(0), koek(id, m_now)); // oldest first, each with its own id
        QCOMPARE(products.at(1), koek(id, m_now.addSecs(60)));
    }
    QCOMPARE(delegate.saved.size(), 2);
    QCOMPARE(delegate.saved.at(0), koek(QStringLiteral("K1"), m_now));
    QCOMPARE(saved.count(), 2);
    QCOMPARE(saved.at(0).at(0).value<QList<Product>>().size(), 2);

    // Deleting one of the two leaves the other.
    ProductRemoverViewController remover(delegate.saved.at(0), &delegate);
    QCOMPARE(remover.verwijder(), 1);
    QCOMPARE(store.products(QStringLiteral("K1")), QList<Product>({koek("K1", m_now.addSecs(60))}));
    QCOMPARE(store.products(QStringLiteral("K2")).size(), 2);
    QCOMPARE(delegate.deleted, QList<Product>({koek("K1", m_now)}));

    // Without a given author, the logged-in staff member's last name.
    Users::setSharedUsers(m_store->staff("UE9", "U9", "Els", "Maes"));
    ProductadderViewController byLogin({QStringLiteral("U9")});
    QVERIFY(byLogin.chooseRow(2));
    QCOMPARE(store.products(QStringLiteral("U9")).value(0).door, QStringLiteral("Maes"));
    QCOMPARE(store.products(QStringLiteral("U9")).value(0).productnaam, QStringLiteral("Frisdrank"));
}

void TestProducts::nothingStoredWithoutIdOrRow() {
    RecordingDelegate delegate;
    ProductadderViewController adder({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QVERIFY(!adder.chooseRow(3));
    QVERIFY(!adder.chooseRow(-1));
    ProductadderViewController nobody({}, &delegate, nullptr, QStringLiteral("Peeters"));
    QVERIFY(!nobody.chooseRow(0));
    CreateBoodschapViewController editor({""}, &delegate, nullptr, QStringLiteral("Peeters"));
    editor.setText(QStringLiteral("Hallo"));
    QVERIFY(!editor.save());
    QVERIFY(editor.hasUnsavedText()); // not stored, so still worth guarding
    QVERIFY(delegate.saved.isEmpty());
    QVERIFY(delegate.messages.isEmpty());
    QVERIFY(ProductStore().products(QStringLiteral("K1")).isEmpty());
    QVERIFY(!UserDefaults::standard().contains(QStringLiteral("producten")));
    QVERIFY(!UserDefaults::standard().contains(QStringLiteral("boodschappen")));
}

void TestProducts::equalProductsAreRemovedTogether() {
    ProductStore store;
    const Product p = koek(QStringLiteral("K1"), m_now);
    Product q = p;
    q.tijdstip = m_now.addMSecs(1);
    QVERIFY(store.saveProduct(p));
    QVERIFY(store.saveProduct(q));
    QVERIFY(store.saveProduct(p));
    QCOMPARE(store.products(QStringLiteral("K1")).size(), 3);

    // A product of another child with the same fields is not this child's.
    QCOMPARE(store.removeProduct(koek(QStringLiteral("K2"), m_now)), 0);
    QCOMPARE(store.products(QStringLiteral("K1")).size(), 3);

    RecordingDelegate delegate;
    ProductRemoverViewController remover(p, &delegate);
    QCOMPARE(remover.verwijder(), 2);
    QCOMPARE(delegate.deleted.size(), 1);
    // The removal is stored: a fresh read of the file (a restart) shows the same.
    UserDefaults::standard().synchronize();
    UserDefaults reread(UserDefaults::standard().fileName());
    QCOMPARE(ProductStore(reread).products(QStringLiteral("K1")), QList<Product>({q}));
    QCOMPARE(ProductRemoverViewController(p, &delegate).verwijder(), 0);
    QCOMPARE(delegate.deleted.size(), 2); // the screen still drops it

    Boodschap m;
    m.about_id = QStringLiteral("K1");
    m.boodschap = QStringLiteral("Tweemaal");
    m.tijdstip = m_now;
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
    QTest::newRow("empty text") << QVariant(QString("")) << 0;
    QTest::newRow("some entries readable")
        << QVariant(QStringLiteral(R"([1, "x", {"productnaam": "Koek", "kind_id": "K1", "tijdstip": "x"},)"
                                   R"( {"productnaam": 5, "tijdstip": 1715693400000}])"))
        << 2;
}

void TestProducts::corruptStoredValue() {
    QFETCH(QVariant, stored);
    QFETCH(int, readable);
    UserDefaults& defaults = UserDefaults::standard();
    const QString key = ProductStore::productenKey(QStringLiteral("K1"));
    defaults.setObject(key, stored);
    ProductStore store;
    const QList<Product> products = store.products(QStringLiteral("K1"));
    QCOMPARE(products.size(), readable);
    if (readable == 2) {
        QCOMPARE(products.at(0).productnaam, QStringLiteral("Koek"));
        QVERIFY(!products.at(0).tijdstip.isValid());
        QVERIFY(products.at(1).productnaam.isEmpty());
        QCOMPARE(products.at(1).tijdstip.toMSecsSinceEpoch(), Q_INT64_C(1715693400000));
    }
    // Removing what is not there leaves the stored value alone.
    QCOMPARE(store.removeProduct(koek(QStringLiteral("K1"), m_now)), 0);
    QCOMPARE(defaults.objectForKey(key), stored);
    // Saving works on top of whatever could be read.
    QVERIFY(store.saveProduct(koek(QStringLiteral("K1"), m_now)));
    QCOMPARE(store.products(QStringLiteral("K1")).size(), readable + 1);
    QCOMPARE(store.products(QStringLiteral("K1")).last(), koek(QStringLiteral("K1"), m_now));
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
    UserDefaults::standard().synchronize();

    UserDefaults reread(UserDefaults::standard().fileName());
    ProductStore after(reread);
    QCOMPARE(after.boodschappen(QStringLiteral("U1")), QList<Boodschap>({m}));
    QCOMPARE(after.products(QStringLiteral("K/1")), QList<Product>({p}));
    QCOMPARE(after.products(QStringLiteral("K/1")).at(0).tijdstip.toMSecsSinceEpoch(),
             m_now.toMSecsSinceEpoch());
    QVERIFY(after.products(QStringLiteral("K")).isEmpty());
}

void TestProducts::messageEditor() {
    RecordingDelegate delegate;
    CreateBoodschapViewController editor({"K1", "K2"}, &delegate, nullptr, QStringLiteral("Peeters"));
    QVERIFY(!editor.hasUnsavedText());
    QVERIFY(!editor.save()); // nothing typed

    editor.setOnderwerp(QStringLiteral("  "));
    QVERIFY(editor.hasUnsavedText());
    QVERIFY(!editor.canSave());
    editor.discard(); // the guard's "Verwijder"
    QVERIFY(editor.onderwerp().isEmpty());
    QVERIFY(!editor.hasUnsavedText());

    editor.setText(QStringLiteral("Heeft goed gegeten."));
    QVERIFY(editor.hasUnsavedText());
    QVERIFY(editor.save());            // an empty subject is allowed
    QVERIFY(!editor.hasUnsavedText()); // leaving now asks nothing
    QVERIFY(editor.saved());
    QVERIFY(!editor.save()); // a second tap stores nothing more
    editor.setText(QStringLiteral("later"));
    QCOMPARE(editor.text(), QStringLiteral("Heeft goed gegeten."));

    ProductStore store;
    for (const QString id : {"K1", "K2"}) {
        const QList<Boodschap> list = store.boodschappen(id);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).about_id, id);
        QCOMPARE(list.at(0).onderwerp, QString(""));
        QCOMPARE(list.at(0).boodschap, QStringLiteral("Heeft goed gegeten."));
        QCOMPARE(list.at(0).tijdstip, m_now);
        QCOMPARE(list.at(0).door, QStringLiteral("Peeters"));
    }
    QCOMPARE(delegate.messages.size(), 1);
    QCOMPARE(delegate.messages.at(0).about_id, QStringLiteral("K1"));
}

void TestProducts::storedMessageIsReadOnly() {
    Boodschap stored;
    stored.about_id = QStringLiteral("K1");
    stored.onderwerp = QStringLiteral("Jas");
    stored.boodschap = QStringLiteral("Blauwe jas vergeten");
    RecordingDelegate delegate;
    CreateBoodschapViewController editor({"K1"}, &delegate);
    editor.setIngeladenBoodschap(stored);
    QVERIFY(editor.readOnly());
    QCOMPARE(editor.onderwerp(), QStringLiteral("Jas"));
    QVERIFY(!editor.hasUnsavedText()); // shown, not typed: nothing to guard
    editor.setText(QStringLiteral("anders"));
    editor.discard();
    QCOMPARE(editor.text(), QStringLiteral("Blauwe jas vergeten"));
    QVERIFY(!editor.save());
    QVERIFY(ProductStore().boodschappen(QStringLiteral("K1")).isEmpty());
}

void TestProducts::viewsWithTheirControllers() {
    Resources::initCoreResources();
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    RecordingDelegate delegate;

    // The product choice at its popover size: the second row is "Koek".
    ProductadderViewController adder({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    auto adderView = showView(engine, window, &adder, QSizeF(150, 140));
    QVERIFY(adderView);
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(75, 70));
    QTRY_COMPARE(delegate.saved.size(), 1);
    QCOMPARE(delegate.saved.at(0).productnaam, QStringLiteral("Koek"));
    adderView.reset();

    ProductRemoverViewController remover(delegate.saved.at(0), &delegate);
    auto removerView = showView(engine, window, &remover, QSizeF(200, 40));
    QVERIFY(removerView);
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 20));
    QTRY_COMPARE(delegate.deleted.size(), 1);
    QVERIFY(ProductStore().products(QStringLiteral("K1")).isEmpty());
    removerView.reset();

    // The editor: typed text reaches the controller; saving fades the fields out.
    CreateBoodschapViewController editor({"K1"}, &delegate, nullptr, QStringLiteral("Peeters"));
    auto editorView = showView(engine, window, &editor, QSizeF(480, 420));
    QVERIFY(editorView);
    QQuickItem* saveButton = findItem(editorView.get(), QStringLiteral("saveButton"));
    QVERIFY(saveButton && !saveButton->isEnabled());
    QQuickItem* field = findItem(editorView.get(), QStringLiteral("onderwerpField"));
    QVERIFY(field);
    field->forceActiveFocus();
    for (const char key : {'J', 'a', 's'})
        QTest::keyClick(&window, key);
    QCOMPARE(editor.onderwerp(), QStringLiteral("Jas"));
    QVERIFY(saveButton->isEnabled());
    QTest::mouseClick(
        &window, Qt::LeftButton, {},
        saveButton->mapToScene(QPointF(saveButton->width() / 2, saveButton->height() / 2)).toPoint());
    QTRY_COMPARE(delegate.messages.size(), 1);
    QTRY_COMPARE(findItem(editorView.get(), QStringLiteral("fields"))->opacity(), 0.0);
    editorView.reset();

    // A stored message: read-only, no toolbar.
    CreateBoodschapViewController reader({"K1"});
    reader.setIngeladenBoodschap(delegate.messages.at(0));
    auto readerView = showView(engine, window, &reader, QSizeF(480, 420));
    QVERIFY(readerView);
    QVERIFY(!findItem(readerView.get(), QStringLiteral("toolbar"))->isVisible());
    QCOMPARE(findItem(readerView.get(), QStringLiteral("onderwerpField"))->property("text").toString(),
             QStringLiteral("Jas"));
    QVERIFY(findItem(readerView.get(), QStringLiteral("textView"))->property("readOnly").toBool());
    readerView.reset();
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

void TestProducts::popoverKeepsUnsavedText() {
    Resources::initCoreResources();
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    QQmlComponent component(&engine);
    // The editor's owner lets an outside tap close it only when nothing unsaved is typed.
    component.setData("import QtQuick\nimport \"qrc:/cc/children/qml\"\n"
                      "Item { property alias popover: pop\n"
                      "  Item { id: anchor; objectName: \"anchor\"; x: 100; y: 100; width: 80; height: 40 }\n"
                      "  Popover { id: pop; guarded: controller !== null && controller.hasUnsavedText }\n"
                      "  function show(editor) { pop.openFor(anchor, editor, 480, 420) } }",
                      QUrl(QStringLiteral("qrc:/cc/children/qml/_owner.qml")));
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    auto* root = qobject_cast<QQuickItem*>(object.get());
    root->setParentItem(window.contentItem());
    root->setSize(QSizeF(1024, 768));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QObject* popover = object->property("popover").value<QObject*>();
    QSignalSpy outside(popover, SIGNAL(outsidePressed()));

    CreateBoodschapViewController editor({"K1"}, nullptr, nullptr, QStringLiteral("Peeters"));
    QMetaObject::invokeMethod(root, "show", Q_ARG(QVariant, QVariant::fromValue<QObject*>(&editor)));
    QTRY_VERIFY(popover->property("opened").toBool());
    editor.setText(QStringLiteral("Half geschreven"));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(900, 700));
    QTRY_COMPARE(outside.count(), 1);
    QVERIFY(popover->property("visible").toBool());
    QCOMPARE(editor.text(), QStringLiteral("Half geschreven"));

    editor.discard();
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(900, 700));
    QTRY_VERIFY(!popover->property("visible").toBool());
    QCOMPARE(outside.count(), 1);
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestProducts)
#include "tst_products.moc"
