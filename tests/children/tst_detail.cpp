// The child detail panel: what it shows for none, one and several selected children, its tabs, the
// registration rows, the options of a row, suggested relatives, and the real view tapped in a window.
#include "Clock.h"
#include "ImageCache.h"
#include "LeerlingenDetailViewController.h"
#include "NotificationCenter.h"
#include "ProductStore.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using testing::local;

namespace {

QStringList collectedWarnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

QString ms(const QDateTime& d) {
    return QString::number(d.toMSecsSinceEpoch());
}

struct Fixture {
    TemporaryStore store;
    ObjectManager manager{store.store(), QUrl(QStringLiteral("http://127.0.0.1:9"))};
    ManualReachability reachability{false};
    MainSynchroObject engine{&store.dao(), &manager, &reachability};
    SelectieLijst selectie;
    QList<Child*> children;

    Fixture(int n, bool admin = true) {
        store.organisation("O1");
        Users* staff = store.staff("UE1", "U1", "Els", "Janssens", "E1", 1, 1, admin ? 1 : 0);
        const QStringList first{"Zoë", "Finn", "Lotte", "Senne", "Hanne"};
        for (int i = 0; i < n; ++i)
            children << store.child(QStringLiteral("C%1").arg(i),
                                    first.value(i, QStringLiteral("Kind%1").arg(i)),
                                    QStringLiteral("Peeters%1").arg(i));
        store.save();
        Users::setSharedUsers(staff);
    }
    ~Fixture() { Users::setSharedUsers(nullptr); }

    std::unique_ptr<LeerlingenDetailViewController> open(Child* child) {
        return std::make_unique<LeerlingenDetailViewController>(child, &selectie, &store.dao(), &engine);
    }
    // Relation records (id -> named child) for a child, replacing its earlier ones.
    void relate(Child* child, const QList<QPair<QString, QString>>& relations) {
        QList<Relationships*> records;
        for (const auto& [id, named] : relations) {
            auto* r = store.context()->find<Relationships>(id);
            if (!r) {
                r = store.context()->insertNew<Relationships>();
                r->setRelationShipId(id);
            }
            r->setRelationId(named);
            records << r;
        }
        child->setRelationships(records);
    }
};

QStringList names(const PersonenModel* model) {
    QStringList out;
    for (const auto& p : model->people())
        out << p.name;
    return out;
}

QQuickItem* findItem(QQuickItem* root, const QString& objectName) {
    if (!root)
        return nullptr;
    if (root->objectName() == objectName && root->isVisible())
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, objectName))
            return found;
    return nullptr;
}

void collectItems(QQuickItem* root, const QString& objectName, QList<QQuickItem*>& out) {
    if (!root || !root->isVisible())
        return;
    if (root->objectName() == objectName)
        out << root;
    for (QQuickItem* child : root->childItems())
        collectItems(child, objectName, out);
}

QQuickItem* findText(QQuickItem* root, const QString& text) {
    if (!root || !root->isVisible())
        return nullptr;
    if (root->inherits("QQuickText") && root->property("text").toString() == text)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findText(child, text))
            return found;
    return nullptr;
}

void tap(QQuickWindow* window, QQuickItem* item) {
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

// A portrait with an initial, so the screenshots show who is who.
QString portrait(const QTemporaryDir& dir, const QString& name, const QColor& colour) {
    QImage image(120, 120, QImage::Format_ARGB32);
    image.fill(colour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(64);
    font.setBold(true);
    p.setFont(font);
    p.drawText(image.rect(), Qt::AlignCenter, name.left(1));
    p.end();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    image.save(path);
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class TestDetail : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        Resources::initCoreResources();
    }
    void init() {
        Tablet::useFreshSettings(m_dir);
        Clock::set(local(2024, 3, 12, 10, 0, 30));
    }
    void cleanup() { Clock::reset(); }

    // None, one and several: the panel follows the selection; an empty one leaves it as it was.
    void followsTheSelection() {
        Fixture f(3);
        f.children.at(0)->setImage("photos/zoe.jpg");
        f.store.registration("R1", "C0", ms(local(2024, 3, 12, 8, 5)), "In");
        f.store.membership("GC2", "G2", "Kleuters", "Leeftijdsgroep", f.children.at(0));
        f.store.membership("GC1", "G1", "Knutselen", "Activiteit", f.children.at(0));
        f.store.save();
        auto panel = f.open(f.children.at(0));
        QAbstractItemModelTester t1(panel->table(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester t2(panel->selectie(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester t3(panel->suggesties(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(f.selectie.count(), 1);
        QVERIFY(panel->single() && !panel->several());
        QCOMPARE(panel->naam(), "Zoë");
        // The name line: whole name and the groups (sorted as in the overview), nothing for several.
        QCOMPARE(panel->volledigeNaam(), "Zoë Peeters0");
        QCOMPARE(panel->groepen(), "Knutselen | Kleuters");
        QCOMPARE(panel->photo(), QUrl("http://127.0.0.1:9/photos/zoe.jpg"));
        QCOMPARE(panel->table()->rowCount(), 1);

        f.selectie.addObject(f.children.at(1));
        QVERIFY(panel->several() && !panel->single());
        QCOMPARE(panel->naam(), "2 kinderen");
        QCOMPARE(panel->volledigeNaam(), "2 kinderen");
        QCOMPARE(panel->groepen(), QString());
        QCOMPARE(names(panel->selectie()), QStringList({"Peeters0 Zoë", "Peeters1 Finn"}));
        QCOMPARE(panel->table()->rowCount(), 0);

        // "Deselecteer" on the first row leaves the single view of the other child.
        panel->showOptions(LeerlingenDetailViewController::kTableSelection, 0);
        QCOMPARE(panel->options()->options(), QStringList({"Deselecteer"}));
        panel->options()->select(0);
        QCOMPARE(f.selectie.count(), 1);
        QVERIFY(panel->single());
        QCOMPARE(panel->naam(), "Finn");
        QCOMPARE(panel->table()->rowCount(), 0);

        f.selectie.removeAllObjects();
        NotificationCenter::defaultCenter().post("removeSelectieNotification");
        QVERIFY(panel->single());
        QCOMPARE(panel->naam(), "Finn");

        // Opened while two are selected: the selection stays, the count shows.
        f.selectie.addObject(f.children.at(0));
        f.selectie.addObject(f.children.at(1));
        auto other = f.open(f.children.at(2));
        QCOMPARE(f.selectie.count(), 2);
        QVERIFY(other->several());
        QCOMPARE(other->naam(), "2 kinderen");
    }

    // A photo is the child's the picker was opened for: not whoever is selected when the picture is
    // ready, and not lost when a clocking emptied the selection while the panel shows the child.
    void photoStaysWithItsChild() {
        Fixture f(2);
        QTemporaryDir dir;
        ImageCache cache(dir.path());
        f.engine.setImageCache(&cache);
        const QByteArray picture = QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(64, 'x');
        Child* zoe = f.children.at(0);
        Child* finn = f.children.at(1);
        auto panel = f.open(zoe);
        panel->changeAvatar();
        QVERIFY(panel->mediaPicker());
        f.selectie.removeObject(zoe); // the selection moves on while the picture is being made
        f.selectie.addObject(finn);
        QCOMPARE(panel->naam(), "Finn");
        panel->userDidEnterInfo(picture);
        panel->closeMediaPopOver();
        QVERIFY(zoe->image().startsWith("image"));
        QVERIFY(finn->image().isEmpty());
        QCOMPARE(panel->photo(), QUrl()); // Finn's own, still none

        panel->schrijfKindIn();
        QCOMPARE(f.selectie.count(), 0);
        QCOMPARE(panel->naam(), "Finn");
        panel->changeAvatar();
        QVERIFY(panel->mediaPicker());
        panel->userDidEnterInfo(picture);
        QVERIFY(finn->image().startsWith("image"));
        QCOMPARE(panel->photo(), QUrl::fromLocalFile(cache.fileFor(finn->image())));
        QCOMPARE(f.store.context()->fetch<ObjectImageUpload>().size(), 2);
    }

    void tabIsRemembered_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("opensOn");
        QTest::newRow("absent") << QVariant() << -1000;
        QTest::newRow("0") << QVariant(0) << -1000;
        QTest::newRow("Extra") << QVariant(-999) << -999;
        QTest::newRow("Boodschappen") << QVariant(-998) << -998;
        QTest::newRow("nonsense") << QVariant(17) << -1000;
    }
    void tabIsRemembered() {
        QFETCH(QVariant, stored);
        QFETCH(int, opensOn);
        Fixture f(1);
        if (stored.isValid())
            UserDefaults::standard().setInteger("opgeslagenState", stored.toInt());
        auto panel = f.open(f.children.at(0));
        QCOMPARE(panel->state(), opensOn);
        panel->tabTapped(-998);
        panel->tabTapped(5); // no such tab
        QCOMPARE(panel->state(), -998);
        QCOMPARE(f.open(f.children.at(0))->state(), -998);
    }

    // Day, time ("00:00" without one), type and the warning for a moment after the coming midnight.
    void registrationRows() {
        Fixture f(1);
        f.store.registration("tomorrow", "C0", ms(local(2024, 3, 13, 9, 0)), "In");
        f.store.registration("midnight", "C0", ms(local(2024, 3, 13, 0, 0)), "Out");
        f.store.registration("today", "C0", ms(local(2024, 3, 12, 8, 5)), "In");
        f.store.registration("empty", "C0", "", "Out");
        f.store.registration("zero", "C0", "0", "Out");
        f.store.save();
        auto panel = f.open(f.children.at(0));
        const auto& rows = panel->table()->rows();
        QCOMPARE(rows.size(), 5);
        struct Expected {
            QString day, time, type;
            bool isIn, warning;
        };
        const QList<Expected> expected{{"wo 13/03/2024", "09:00", "In", true, true},
                                       {"wo 13/03/2024", "00:00", "Out", false, false},
                                       {"di 12/03/2024", "08:05", "In", true, false}};
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(rows.at(i).day, expected.at(i).day);
            QCOMPARE(rows.at(i).time, expected.at(i).time);
            QCOMPARE(rows.at(i).type, expected.at(i).type);
            QCOMPARE(rows.at(i).isIn, expected.at(i).isIn);
            QCOMPARE(rows.at(i).warning, expected.at(i).warning);
        }
        for (int i = 3; i < 5; ++i) {
            QCOMPARE(rows.at(i).time, "00:00");
            QVERIFY(!rows.at(i).warning);
        }
        // Other tabs show no registrations; the wrench only offers on the registrations tab.
        panel->tabTapped(-999);
        QVERIFY(panel->table()->rows().isEmpty() ||
                panel->table()->rows().first().kind != DetailTableModel::Registratie);
        panel->showOptions(LeerlingenDetailViewController::kMainTable, 0);
        QVERIFY(!panel->options());
        panel->tabTapped(-1000);
        panel->showOptions(LeerlingenDetailViewController::kMainTable, 5);
        QVERIFY(!panel->options());

        // A tap on a row opens the time picker at its time; a turn of a wheel moves that registration.
        panel->showPickedTableView(2);
        QVERIFY(panel->timeChanger());
        QCOMPARE(panel->timeChanger()->index(), 2);
        QCOMPARE(panel->timeChanger()->beginTime(), "08:05");
        panel->timeChanger()->wheelCameToRest(TimeChangerViewController::MinuteWheel, 30);
        QCOMPARE(f.store.dao().loadRegistration("today")->time(), ms(local(2024, 3, 12, 8, 30)));
    }

    // "Extra" and "Boodschappen": the button row first, then the records newest first; adding, removing,
    // reading, delete mode, and the question before typed text is thrown away.
    void productsAndMessages() {
        Fixture f(2);
        auto panel = f.open(f.children.at(0));
        panel->tabTapped(-999);
        QCOMPARE(panel->table()->rowCount(), 1);
        QCOMPARE(panel->table()->rows().first().kind, DetailTableModel::ProductKnop);
        panel->showPickedTableView(0); // the button row opens nothing
        QVERIFY(!panel->productRemover());

        for (int row : {1, 2}) { // "Koek", then "Frisdrank" a minute later
            panel->showProducts();
            QCOMPARE(panel->productAdder()->ids(), QStringList({"C0"}));
            QVERIFY(panel->productAdder()->chooseRow(row));
            QVERIFY(!panel->productAdder());
            Clock::advance(60);
        }
        QCOMPARE(UserDefaults::standard().integerForKey("opgeslagenState"), -999);
        auto titles = [&] {
            QStringList t;
            for (const auto& r : panel->table()->rows())
                t << r.title;
            return t;
        };
        QCOMPARE(titles(), QStringList({"", "Frisdrank", "Koek"}));
        QCOMPARE(panel->table()->rows().at(1).door, "Janssens");
        QCOMPARE(panel->table()->rows().at(1).day, "di 12/03/2024");
        panel->showPickedTableView(2);
        QCOMPARE(panel->productRemover()->product().productnaam, "Koek");
        panel->productRemover()->verwijder();
        QVERIFY(!panel->productRemover());
        QCOMPARE(titles(), QStringList({"", "Frisdrank"}));
        QCOMPARE(f.open(f.children.at(0))->mijnProducten().size(), 1); // gone from storage too

        // Messages: the tab stays; a read-only editor for a tapped row.
        panel->tabTapped(-998);
        QCOMPARE(panel->table()->rows().first().kind, DetailTableModel::BoodschapKnoppen);
        QCOMPARE(panel->editButtonTitle(), "Verwijder boodschap");
        panel->createBoodschap();
        QVERIFY(panel->popoverControllerShouldDismissPopover()); // nothing typed: closes at once
        QVERIFY(!panel->creator());
        panel->createBoodschap();
        panel->creator()->setOnderwerp("Jas");
        panel->creator()->setText("Blauwe jas vergeten");
        QVERIFY(panel->creator()->save());
        QVERIFY(!panel->creator());
        QCOMPARE(panel->state(), -998);
        QCOMPARE(titles(), QStringList({"", "Jas"}));
        panel->showPickedTableView(1);
        QVERIFY(panel->creator()->readOnly());
        QCOMPARE(panel->creator()->text(), "Blauwe jas vergeten");
        QVERIFY(panel->popoverControllerShouldDismissPopover());

        // Typed text: a tap outside asks; "Bewaar" keeps editing, "Verwijder" empties and closes.
        QSignalSpy alerts(panel->dialogs(), &DialogRequests::showAlert);
        panel->createBoodschap();
        panel->creator()->setText("half");
        QVERIFY(!panel->popoverControllerShouldDismissPopover());
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.at(0).at(1).toString(), "Wil je de reedsgeschreven text bewaren?");
        QCOMPARE(alerts.at(0).at(2).toStringList(), QStringList({"Bewaar", "Verwijder"}));
        QCOMPARE(alerts.at(0).at(3).toInt(), -1);
        panel->dialogs()->answer(-1, 0);
        QCOMPARE(panel->creator()->text(), "half");
        panel->dialogs()->answer(-1, 1);
        QVERIFY(!panel->creator());
        QCOMPARE(f.open(f.children.at(0))->mijnBoodschappen().size(), 1);

        // Delete mode: the button's title turns, a row goes; another tab ends delete mode.
        panel->setTableEditable();
        QCOMPARE(panel->editButtonTitle(), "Lees boodschap");
        panel->deleteBoodschapRow(1);
        QCOMPARE(panel->table()->rowCount(), 1);
        QVERIFY(f.open(f.children.at(0))->mijnBoodschappen().isEmpty());
        panel->tabTapped(-999);
        QVERIFY(!panel->messageIsEditable());

        // Several selected: no rows; nothing selected any more: what is noted is the shown child's.
        f.selectie.addObject(f.children.at(1));
        QCOMPARE(panel->table()->rowCount(), 0);
        panel->showProducts();
        QCOMPARE(panel->productAdder()->ids(), QStringList({"C0", "C1"}));
        f.selectie.removeObject(f.children.at(1));
        f.selectie.removeAllObjects();
        panel->showProducts();
        QCOMPARE(panel->productAdder()->ids(), QStringList({"C0"}));
    }

    void suggestions_data() {
        using Relations = QList<QPair<QString, QString>>;
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<Relations>("ofFirst");
        QTest::addColumn<Relations>("ofSecond");
        QTest::addColumn<QStringList>("suggested");
        QTest::newRow("naming each other")
            << QStringList{"C0", "C1"} << Relations{{"r1", "C1"}} << Relations{{"r2", "C0"}} << QStringList{};
        QTest::newRow("one relative")
            << QStringList{"C0"} << Relations{{"r1", "C2"}} << Relations{} << QStringList{"Lotte"};
        QTest::newRow("two records, one child") << QStringList{"C0"} << Relations{{"r1", "C2"}, {"r2", "C2"}}
                                                << Relations{} << QStringList{"Lotte", "Lotte"};
        QTest::newRow("from both selected")
            << QStringList{"C0", "C1"} << Relations{{"r1", "C2"}} << Relations{{"r2", "C2"}, {"r3", "C3"}}
            << QStringList{"Lotte", "Lotte", "Senne"};
        QTest::newRow("one record given to both") << QStringList{"C0", "C1"} << Relations{{"r1", "C2"}}
                                                  << Relations{{"r1", "C2"}} << QStringList{"Lotte"};
        QTest::newRow("unknown child")
            << QStringList{"C0"} << Relations{{"r1", "C9"}} << Relations{} << QStringList{};
    }
    void suggestions() {
        using Relations = QList<QPair<QString, QString>>;
        QFETCH(QStringList, selected);
        QFETCH(Relations, ofFirst);
        QFETCH(Relations, ofSecond);
        QFETCH(QStringList, suggested);
        Fixture f(4);
        f.relate(f.children.at(0), ofFirst);
        f.relate(f.children.at(1), ofSecond);
        f.store.save();
        for (const QString& id : selected)
            f.selectie.addObject(f.store.dao().loadChild(id));
        auto panel = f.open(f.children.at(0));
        QAbstractItemModelTester tester(panel->suggesties(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(names(panel->suggesties()), suggested);
        if (suggested.isEmpty())
            return;
        // A tap selects the relative; it is no longer suggested.
        const int before = f.selectie.count();
        panel->suggestieTapped(0);
        QCOMPARE(f.selectie.count(), before + 1);
        QVERIFY(!names(panel->suggesties()).contains(suggested.first()));
    }

    // The real view: tapping the clock-in button, answering the question in the alert, the new row.
    void viewClocksInByTaps() {
        collectedWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        {
            Fixture f(5);
            const QList<QColor> colours{"#d9825b", "#5b8fd9", "#6bb37e", "#b36bb3", "#d9b45b"};
            for (int i = 0; i < f.children.size(); ++i)
                f.children.at(i)->setImage(portrait(m_dir, f.children.at(i)->firstName(), colours.at(i)));
            f.store.registration("R1", "C0", ms(local(2024, 3, 13, 9, 0)), "In");
            f.store.registration("R2", "C0", ms(local(2024, 3, 11, 16, 40)), "Out");
            f.store.registration("R3", "C0", ms(local(2024, 3, 11, 8, 15)), "In");
            f.relate(f.children.at(0), {{"r1", "C3"}, {"r2", "C4"}});
            f.store.save();
            ProductStore().saveProduct(Product{0, "C0", "Maaltijd", Clock::now(), "Janssens"});
            auto panel = f.open(f.children.at(0));
            panel->userDidEnterBeginTime("13:30", ":", -1);

            QQmlEngine engine;
            QQuickWindow window;
            window.resize(412, 768);
            QQmlComponent component(&engine, panel->viewUrl());
            std::unique_ptr<QObject> object(component.createWithInitialProperties(
                {{"controller", QVariant::fromValue<QObject*>(panel.get())}}));
            QVERIFY2(object, qPrintable(component.errorString()));
            auto* root = qobject_cast<QQuickItem*>(object.get());
            root->setParentItem(window.contentItem());
            root->setSize(QSizeF(412, 768));
            QQmlComponent alertComponent(&engine, Resources::qmlUrl("support/qml/AlertDialog.qml"));
            std::unique_ptr<QObject> alert(alertComponent.createWithInitialProperties(
                {{"requests", QVariant::fromValue<QObject*>(panel->dialogs())}}));
            QVERIFY2(alert, qPrintable(alertComponent.errorString()));
            alert->setProperty("parent", QVariant::fromValue(window.contentItem()));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));

            QList<QQuickItem*> warnings;
            QTRY_VERIFY(findText(root, "09:00"));
            collectItems(root, "warningIcon", warnings);
            QCOMPARE(warnings.size(), 1); // only tomorrow's row
            QDir shots(QCoreApplication::applicationDirPath());
            shots.cdUp();
            shots.mkpath("screenshots");
            QTest::qWait(300);
            QVERIFY(window.grabWindow().save(shots.filePath("screenshots/detail-one.png")));

            tap(&window, findItem(root, "enterButton"));
            QTRY_VERIFY(alert->property("opened").toBool());
            QCOMPARE(alert->property("message").toString(),
                     "Je gaat een kind inklokken in de toekomst. Ben je zeker dat je hiermee wil doorgaan?");
            QQuickItem* confirm = findText(alert->property("contentItem").value<QQuickItem*>(), "Bevestig");
            QVERIFY(confirm);
            tap(&window, confirm->parentItem());
            QQuickItem* table = findItem(root, "mainTable");
            QTRY_VERIFY(findText(table, "13:30"));
            QTRY_COMPARE(panel->activityButton(), 0);
            QCOMPARE(f.selectie.count(), 0);
            // The new row: today, type In with its icon, no warning.
            QQuickItem* time = findText(table, "13:30");
            QQuickItem* icon = findItem(time->parentItem(), "typeIcon");
            QVERIFY(icon);
            QCOMPARE(icon->property("kind").toString(), "in");
            QVERIFY(findText(time->parentItem(), "di 12/03/2024"));
            warnings.clear();
            collectItems(root, "warningIcon", warnings);
            QCOMPARE(warnings.size(), 1);

            // A registration row opens the time picker beside it; a tap outside closes it.
            auto popover = [&](const char* name) { return root->findChild<QObject*>(name); };
            tap(&window, findText(table, "09:00"));
            QTRY_VERIFY(popover("timeChangerPopover")->property("opened").toBool());
            QCOMPARE(panel->timeChangerRow(), 0);
            QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(400, 760));
            QTRY_VERIFY(!panel->timeChanger());
            QTRY_VERIFY(!popover("timeChangerPopover")->property("visible").toBool());

            // The message editor: with typed text a tap outside asks first; "Verwijder" closes it.
            tap(&window, findItem(root, "tab-998"));
            tap(&window, findItem(root, "voegBoodschapToe"));
            QTRY_VERIFY(popover("creatorPopover")->property("opened").toBool());
            panel->creator()->setText("half");
            QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(400, 760));
            QTRY_VERIFY(alert->property("opened").toBool());
            QCOMPARE(alert->property("message").toString(), "Wil je de reedsgeschreven text bewaren?");
            QVERIFY(popover("creatorPopover")->property("opened").toBool());
            tap(&window,
                findText(alert->property("contentItem").value<QQuickItem*>(), "Verwijder")->parentItem());
            QTRY_VERIFY(!popover("creatorPopover")->property("visible").toBool());
            QVERIFY(!panel->creator());

            // The "Extra" tab by a tap: its button row and the products, newest first.
            tap(&window, findItem(root, "tab-999"));
            QTRY_VERIFY(findText(root, "Voeg product toe"));
            QVERIFY(findText(findItem(root, "mainTable"), "Maaltijd"));
            QTest::qWait(300);
            QVERIFY(window.grabWindow().save(shots.filePath("screenshots/detail-extra.png")));

            // Several children with two suggested relatives.
            f.selectie.addObject(f.children.at(0));
            f.selectie.addObject(f.children.at(1));
            f.selectie.addObject(f.children.at(2));
            QTRY_VERIFY(findText(root, "3 kinderen"));
            QVERIFY(findText(root, "Actieve Selectie"));
            QVERIFY(findText(root, "Peeters1 Finn"));
            QVERIFY(!findItem(root, "mainTable"));
            QTest::qWait(300);
            QVERIFY(window.grabWindow().save(shots.filePath("screenshots/detail-several.png")));

            // The wrench of the second row, then "Deselecteer", by taps.
            QList<QQuickItem*> wrenches;
            collectItems(findItem(root, "tableViewSelection"), "wrenchButton", wrenches);
            QCOMPARE(wrenches.size(), 3);
            tap(&window, wrenches.at(1));
            QTRY_VERIFY(findItem(window.contentItem(), "option0"));
            tap(&window, findItem(window.contentItem(), "option0"));
            QTRY_VERIFY(findText(root, "2 kinderen"));
            QVERIFY(!findText(root, "Peeters1 Finn"));
        }
        qInstallMessageHandler(previous);
        QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));
    }
};

QTEST_MAIN(TestDetail)
#include "tst_detail.moc"
