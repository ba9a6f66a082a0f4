// Loads every bundled QML file offscreen and fails on any QML warning or error. Files are found in the
// resources (every src/**/*.qml is bundled), so new screens are covered without touching this test.
// Views get a null `controller` (they must tolerate one); the app's root context names appear as null.
#include "DialogRequests.h"
#include "Resources.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool isSingleton(const QString& path) {
    static const QRegularExpression pragma(QStringLiteral("^\\s*pragma\\s+Singleton\\b"),
                                           QRegularExpression::MultilineOption);
    return pragma.match(readAll(path)).hasMatch();
}
void collectItems(QQuickItem* item, QList<QQuickItem*>& out) {
    out << item;
    for (QQuickItem* child : item->childItems())
        collectItems(child, out);
}

// The buttons an AlertDialog shows, in index order.
QList<QObject*> alertButtons(QObject* popup) {
    QList<QQuickItem*> items;
    collectItems(popup->property("contentItem").value<QQuickItem*>(), items);
    QList<QObject*> buttons;
    for (QQuickItem* item : items)
        if (item->inherits("QQuickAbstractButton") && item->isVisible())
            buttons << item;
    std::sort(buttons.begin(), buttons.end(), [](QObject* a, QObject* b) {
        return a->property("index").toInt() < b->property("index").toInt();
    });
    return buttons;
}

// Creates a shared component with `requests` bound to dialogs, inside window.
std::unique_ptr<QObject> createWithRequests(QQmlEngine& engine, const QString& name, DialogRequests* dialogs,
                                            QQuickWindow& window) {
    QQmlComponent component(&engine, Resources::qmlUrl(QStringLiteral("support/qml/") + name));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("requests"), QVariant::fromValue<QObject*>(dialogs)}}));
    if (!object)
        qWarning() << component.errorString();
    else
        object->setProperty("parent", QVariant::fromValue(window.contentItem()));
    return object;
}
} // namespace

class TestQmlSmoke : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loadsWithoutWarnings_data();
    void loadsWithoutWarnings();
    void picturesUnderTheirNames();
    void alertAnswersWithTheButtonIndex();
    void overlayFollowsTheRequests();

private:
    QStringList m_files;
};

void TestQmlSmoke::initTestCase() {
    Resources::initCoreResources();
    QDirIterator it(QStringLiteral(":/cc"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        m_files << it.next();
    m_files.sort();
    // The shared components and the views of this module at least.
    QVERIFY(m_files.contains(QStringLiteral(":/cc/support/qml/AlertDialog.qml")));
    QVERIFY(m_files.contains(QStringLiteral(":/cc/app/qml/StackScrollView.qml")));
    QVERIFY(m_files.contains(QStringLiteral(":/cc/overview/qml/SearchOverzichtView.qml")));
    QVERIFY(m_files.contains(QStringLiteral(":/cc/children/qml/LeerlingenDetailView.qml")));
}

void TestQmlSmoke::loadsWithoutWarnings_data() {
    QTest::addColumn<QString>("path");
    for (const QString& path : std::as_const(m_files))
        QTest::newRow(qPrintable(path.mid(4))) << path;
}

void TestQmlSmoke::loadsWithoutWarnings() {
    QFETCH(QString, path);
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    QString failure;
    {
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("appDelegate"), nullptr);
        QQuickWindow window;
        window.resize(1024, 768);
        QQmlComponent component(&engine);
        const QFileInfo info(path);
        if (isSingleton(path)) {
            // A singleton is not created directly: use it the way the components do.
            const QString user =
                QStringLiteral("import QtQuick\nimport \"qrc%1\"\nItem { property var used: %2 }\n")
                    .arg(info.absolutePath(), info.baseName());
            component.setData(user.toUtf8(), QUrl(QStringLiteral("qrc") + info.absolutePath() + "/_use.qml"));
        } else {
            component.loadUrl(QUrl(QStringLiteral("qrc") + path));
        }
        std::unique_ptr<QObject> object;
        if (component.isError()) {
            failure = component.errorString();
        } else {
            object.reset(component.beginCreate(engine.rootContext()));
            if (object) {
                if (object->metaObject()->indexOfProperty("controller") >= 0)
                    component.setInitialProperties(object.get(), {{QStringLiteral("controller"),
                                                                   QVariant::fromValue<QObject*>(nullptr)}});
                component.completeCreate();
            }
            if (!object || component.isError())
                failure = component.errorString();
        }
        if (object) {
            if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
                item->setParentItem(window.contentItem());
                if (item->width() <= 0 || item->height() <= 0)
                    item->setSize(QSizeF(1024, 768));
            } else if (object->inherits("QQuickPopup")) {
                object->setProperty("parent", QVariant::fromValue(window.contentItem()));
                QMetaObject::invokeMethod(object.get(), "open");
            }
            if (auto* ownWindow = qobject_cast<QQuickWindow*>(object.get())) {
                ownWindow->show();
                QVERIFY(QTest::qWaitForWindowExposed(ownWindow));
            }
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTest::qWait(50); // a few frames: bindings, layout, first paint
        }
    }
    qInstallMessageHandler(previous);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

void TestQmlSmoke::picturesUnderTheirNames() {
    // The names the menu, the status panel, the queue screen and the placeholders ask for, with 2x twins.
    const QStringList icons = {"06-magnify.png", "11-clock.png", "76-baby.png",         "177-building.png",
                               "112-group.png",  "111-user.png", "104-index-cards.png", "57-download.png",
                               "56-cloud.png",   "02-redo.png"};
    for (const QString& name : icons) {
        const QImage image(Resources::assetPath(name));
        QVERIFY2(!image.isNull(), qPrintable(name));
        QCOMPARE(image.size(), QSize(60, 60));
        QCOMPARE(QImage(Resources::assetPath(QString(name).replace(".png", "@2x.png"))).size(),
                 QSize(120, 120));
        // Line icons on a transparent ground, with something drawn.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        QVERIFY2(inked > 100 && inked < 60 * 60 / 2, qPrintable(name));
    }
    for (const QString& name :
         {QStringLiteral("user.png"), QStringLiteral("Icon-100.png"), QStringLiteral("marlevo.png")})
        QVERIFY2(!QImage(Resources::assetPath(name)).isNull(), qPrintable(name));
    QCOMPARE(QImage(Resources::assetPath(QStringLiteral("Icon-100.png"))).size(), QSize(100, 100));
}

void TestQmlSmoke::alertAnswersWithTheButtonIndex() {
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    window.show();
    DialogRequests dialogs;
    QSignalSpy answers(&dialogs, &DialogRequests::answered);
    auto alert = createWithRequests(engine, QStringLiteral("AlertDialog.qml"), &dialogs, window);
    QVERIFY(alert);

    // Two requests at once: the second waits until the first is answered.
    dialogs.alert(QStringLiteral("Opgepast"), QStringLiteral("Er ging iets mis."),
                  {QStringLiteral("Annuleer"), QStringLiteral("Probeer opnieuw")}, 7);
    dialogs.alert(QStringLiteral("Sorry"), QStringLiteral("Tweede"), {QStringLiteral("OK")}, 8);
    QTRY_VERIFY(alert->property("opened").toBool());
    QCOMPARE(alert->property("title").toString(), QStringLiteral("Opgepast"));
    QList<QObject*> buttons = alertButtons(alert.get());
    QCOMPARE(buttons.size(), 2);
    QMetaObject::invokeMethod(buttons.at(1), "clicked");
    QCOMPARE(answers.count(), 1);
    QCOMPARE(answers.at(0), QVariantList({7, 1}));

    QTRY_COMPARE(alert->property("title").toString(), QStringLiteral("Sorry"));
    QTRY_VERIFY(alert->property("opened").toBool());
    buttons = alertButtons(alert.get());
    QCOMPARE(buttons.size(), 1);
    QMetaObject::invokeMethod(buttons.at(0), "clicked");
    QCOMPARE(answers.count(), 2);
    QCOMPARE(answers.at(1), QVariantList({8, 0}));
    QTRY_VERIFY(!alert->property("visible").toBool());
}

void TestQmlSmoke::overlayFollowsTheRequests() {
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    window.show();
    DialogRequests dialogs;
    auto overlay = createWithRequests(engine, QStringLiteral("ProgressOverlay.qml"), &dialogs, window);
    QVERIFY(overlay);
    QVERIFY(!overlay->property("visible").toBool());
    dialogs.showOverlay(QStringLiteral("Bezig"), QStringLiteral("met laden"));
    QTRY_VERIFY(overlay->property("visible").toBool());
    QCOMPARE(overlay->property("label").toString(), QStringLiteral("Bezig"));
    QCOMPARE(overlay->property("spinner").toBool(), true);
    dialogs.hideOverlay();
    QTRY_VERIFY(!overlay->property("visible").toBool());

    // A message hides itself after its time.
    dialogs.showMessage(QStringLiteral("Gelieve het correcte paswoord in te geven."), 100);
    QTRY_VERIFY(overlay->property("visible").toBool());
    QCOMPARE(overlay->property("spinner").toBool(), false);
    QTRY_VERIFY_WITH_TIMEOUT(!overlay->property("visible").toBool(), 2000);
    // A spinner overlay shown meanwhile is not hidden by an earlier message's timer.
    dialogs.showMessage(QStringLiteral("kort"), 50);
    dialogs.showOverlay(QStringLiteral("Bezig"));
    QTest::qWait(150);
    QVERIFY(dialogs.overlayVisible());
    QVERIFY(overlay->property("visible").toBool());
}

QTEST_MAIN(TestQmlSmoke)
#include "tst_qmlsmoke.moc"
