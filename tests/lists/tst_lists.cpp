// The group lists: group types as segments and the remembered choice, the sorry text, the index strip,
// opening a group's children, the selection gestures with the detail panel, "Selecteer Alle" on a large
// group followed by a clock-in, and both views drawn offscreen.
#include "Clock.h"
#include "KlassenDataViewController.h"
#include "LeerlingenDataViewController.h"
#include "LeerlingenDetailViewController.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "WindowDriver.h"

#include <QAbstractItemModelTester>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using Rows = QList<int>;

namespace {

// Location E1: two group types; "Vlinders" holds twelve children, one of them also through an ended
// membership, besides a child that is gone and one that left the group. Location E2 has children but no live
// group.
struct Groepen {
    TemporaryStore store;
    ObjectManager manager{store.store(), QUrl(QStringLiteral("http://127.0.0.1:9"))};
    ManualReachability reachability{false};
    MainSynchroObject engine{&store.dao(), &manager, &reachability};
    QList<Child*> vlinders; // in list order

    Groepen() {
        store.organisation("O1");
        Users::setSharedUsers(store.staff("UE1", "U1", "Els", "Janssens"));
        for (int i = 0; i < 12; ++i) {
            Child* c = store.child(QString("v%1").arg(i), QString("Kind%1").arg(i),
                                   QString("Naam%1").arg(i, 2, 10, QChar('0')));
            store.membership(QString("mv%1").arg(i), "g-vl", "Vlinders", "Klas", c);
            vlinders << c;
        }
        store.membership("mv-old", "g-vl", "Vlinders", "Klas", vlinders[3], 0);
        store.membership("m-left", "g-vl", "Vlinders", "Klas", store.child("left", "Lien", "Aab"), 0);
        Child* gone = store.child("gone", "Weg", "Aaa", "E1", 0);
        store.membership("m-gone", "g-vl", "Vlinders", "Klas", gone);
        Child* other = store.child("r1", "Rita", "Rups");
        store.membership("m1", "g-bij", "Bijen", "Klas", other);
        store.membership("m2", "g-rup", "Rupsen", "Klas", other);
        store.membership("m3", "g-elf", "Élfjes", "Klas", other);
        store.membership("m4", "g-zw", "Zwemmen", "Activiteit", other);
        store.membership("m5", "g-3d", "3D-printen", "Activiteit", other);
        // A group whose only child is gone is no group of E2.
        store.membership("m6", "g-x", "Oud", "Klas", store.child("e2", "Ex", "Elders", "E2", 0), 1, "E2");
        store.child("e2b", "Eva", "Elders", "E2");
        store.save();
    }
    ~Groepen() { Users::setSharedUsers(nullptr); }
};

// The group list as the menu opens it, with the real detail panel.
struct Lijsten {
    SelectieLijst selection;
    StackScrollViewController stack;
    KlassenDataViewController* screen;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit Lijsten(Groepen& g, const QString& entityId = "E1") {
        screen = new KlassenDataViewController(entityId, &g.store.dao(), &selection, &stack);
        screen->setDetailFactory([&g, this](ManagedObject* child, bool) -> ScreenController* {
            return new LeerlingenDetailViewController(child, &selection, &g.store.dao(), &g.engine);
        });
        tester = std::make_unique<QAbstractItemModelTester>(
            screen->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        stack.addViewInSlider(screen, nullptr, true);
    }
    ~Lijsten() { stack.removeAll(); }

    QStringList groupNames() const {
        QStringList names;
        for (const QVariantMap& k : screen->klassen())
            names << k.value("groupName").toString();
        return names;
    }
    // Opens the group of that name (of type "Klas" when the shown type has none); its children list.
    LeerlingenDataViewController* open(const QString& name) {
        if (!groupNames().contains(name))
            screen->didClickSegmentation(int(screen->segmentTitles().indexOf("Klas")));
        screen->tableViewDidSelectRowAtIndexPath(int(groupNames().indexOf(name)));
        auto* list = qobject_cast<LeerlingenDataViewController*>(stack.screenAt(1));
        if (list)
            childTester = std::make_unique<QAbstractItemModelTester>(
                list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return list;
    }
    ScreenController* detail() const { return qobject_cast<ScreenController*>(stack.screenAt(2)); }
    std::unique_ptr<QAbstractItemModelTester> childTester;
};

} // namespace

class TestLists : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Resources::initCoreResources();
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
    }
    // Each store brings its own settings file.
    void init() { Clock::set(testing::local(2024, 3, 12, 10, 0)); }
    void cleanup() { Clock::reset(); }

    void storedGroupType_data() {
        QTest::addColumn<QString>("stored"); // null: absent
        QTest::addColumn<int>("segment");
        QTest::addColumn<QStringList>("groups");
        const QStringList all{"3D-printen", "Bijen", "Élfjes", "Rupsen", "Vlinders", "Zwemmen"};
        QTest::newRow("absent: the first type") << QString() << 0 << QStringList{"3D-printen", "Zwemmen"};
        QTest::newRow("second type") << "1" << 1 << QStringList{"Bijen", "Élfjes", "Rupsen", "Vlinders"};
        QTest::newRow("past the last type: every group") << "2" << -1 << all;
        QTest::newRow("negative: every group") << "-1" << -1 << all;
        QTest::newRow("not a number: the first type") << "klas" << 0 << QStringList{"3D-printen", "Zwemmen"};
    }
    void storedGroupType() {
        QFETCH(QString, stored);
        QFETCH(int, segment);
        QFETCH(QStringList, groups);
        Groepen g;
        if (!stored.isNull())
            UserDefaults::standard().setString("cc_lastselectedCategoryType", stored);
        Lijsten l(g);
        QCOMPARE(l.screen->segmentTitles(), QStringList({"Activiteit", "Klas"}));
        QCOMPARE(l.screen->headerText(), QString());
        QCOMPARE(l.screen->selectedSegment(), segment);
        QCOMPARE(l.screen->category(), segment < 0 ? QString("") : l.screen->segmentTitles().at(segment));
        QCOMPARE(l.groupNames(), groups);
    }

    void noGroupTypesShowsTheSorryText() {
        Groepen g;
        UserDefaults::standard().setString("cc_lastselectedCategoryType", "1");
        Lijsten l(g, "E2");
        QCOMPARE(l.screen->segmentTitles(), QStringList());
        QCOMPARE(l.screen->headerText(), QString("Sorry, er werden (nog) geen groepen gevonden"));
        QCOMPARE(l.screen->model()->rowCount(), 0);
        l.screen->didClickSegmentation(0);
        QCOMPARE(l.screen->model()->rowCount(), 0);
        QCOMPARE(UserDefaults::standard().stringForKey("cc_lastselectedCategoryType"), QString("1"));
    }

    void choosingATypeIsRemembered() {
        Groepen g;
        Lijsten l(g);
        QSignalSpy changed(l.screen, &KlassenDataViewController::categoryChanged);
        l.screen->didClickSegmentation(1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(l.groupNames(), QStringList({"Bijen", "Élfjes", "Rupsen", "Vlinders"}));
        QCOMPARE(UserDefaults::standard().stringForKey("cc_lastselectedCategoryType"), QString("1"));
        l.screen->didClickSegmentation(2); // no such segment
        QCOMPARE(l.screen->selectedSegment(), 1);
        Lijsten again(g);
        QCOMPARE(again.screen->category(), QString("Klas"));
    }

    void indexEntryFallsBackToEarlierEntries_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("row");
        QTest::newRow("C: no C, the B group") << "1"
                                              << "C" << 0;
        QTest::newRow("E finds É") << "1"
                                   << "E" << 1;
        QTest::newRow("S falls back to a lower-case r") << "1"
                                                        << "S" << 2;
        QTest::newRow("nothing before A") << "1"
                                          << "A" << -1;
        QTest::newRow("a digit") << "9"
                                 << "3" << 0;
        QTest::newRow("9 falls back to 3") << "9"
                                           << "9" << 0;
        QTest::newRow("0 falls back past the digits to Z") << "9"
                                                           << "0" << 5;
    }
    void indexEntryFallsBackToEarlierEntries() {
        QFETCH(QString, stored);
        QFETCH(QString, entry);
        QFETCH(int, row);
        Groepen g;
        UserDefaults::standard().setString("cc_lastselectedCategoryType", stored);
        g.store.context()
            ->fetch<Group>(Predicate::format("groupChildId == %@", {"m2"}))
            .first()
            ->setGroupName("rupsen");
        QVERIFY(g.store.save().isEmpty());
        Lijsten l(g);
        const QStringList titles = l.screen->sectionIndexTitles();
        QCOMPARE(titles.size(), 36);
        QCOMPARE(titles.mid(24, 4), QStringList({"Y", "Z", "0", "1"}));
        QSignalSpy scrolled(l.screen, &KlassenDataViewController::scrollToRow);
        QCOMPARE(l.screen->sectionForSectionIndexTitle(entry, int(titles.indexOf(entry))), -1);
        QCOMPARE(scrolled.count(), 0); // on the next pass
        QTRY_COMPARE(scrolled.count(), row < 0 ? 0 : 1);
        QTest::qWait(1);
        if (row >= 0)
            QCOMPARE(scrolled.first().first().toInt(), row);
        else
            QCOMPARE(scrolled.count(), 0);
    }

    void aGroupOpensItsLiveChildrenOnce() {
        Groepen g;
        g.vlinders[5]->setIngeschrevenStatus("In");
        g.vlinders[5]->setIngeschrevenTime("08:15");
        g.vlinders[6]->setIngeschrevenStatus("Out");
        g.vlinders[6]->setIngeschrevenTime("Future");
        QVERIFY(g.store.save().isEmpty());
        Lijsten l(g);
        LeerlingenDataViewController* list = l.open("Vlinders");
        QVERIFY(list);
        QCOMPARE(list->title(), QString("Vlinders"));
        QCOMPARE(l.stack.count(), 2);
        QCOMPARE(list->leerlingen(), g.vlinders);
        const auto role = [&](int row, int r) { return list->model()->index(row).data(r); };
        using M = SearchOverzichtModel;
        QCOMPARE(role(0, M::NameRole).toString(), QString("Naam00 Kind0"));
        QCOMPARE(role(0, M::GroupsRole).toString(), QString("Vlinders"));
        QCOMPARE(role(5, M::TimeRole).toString(), QString("08:15"));
        QCOMPARE(role(5, M::PresenceRole).toInt(), 1);
        QCOMPARE(role(6, M::TimeRole).toString(), QString());
        QVERIFY(role(6, M::WarningRole).toBool());
        // Another group takes the place of the first one's list.
        QCOMPARE(l.open("Rupsen")->leerlingen().size(), 1);
        QCOMPARE(l.stack.count(), 2);
    }

    void selectionButtonOpensThePanelThatClosesWhenEmpty() {
        Groepen g;
        Lijsten l(g);
        LeerlingenDataViewController* list = l.open("Vlinders");
        list->doMultiSelect(2);
        QCOMPARE(l.selection.geselecteerden(), QList<ManagedObject*>{g.vlinders[2]});
        QVERIFY(qobject_cast<LeerlingenDetailViewController*>(l.detail()));
        QCOMPARE(list->dataViewController(), l.detail());
        QVERIFY(list->model()->index(2).data(SearchOverzichtModel::SelectedRole).toBool());
        ScreenController* first = l.detail();
        list->doMultiSelect(4);
        QCOMPARE(l.selection.count(), 2);
        QCOMPARE(l.detail(), first); // the same panel follows the selection
        list->doMultiSelect(2);
        QCOMPARE(l.stack.count(), 3);
        list->doMultiSelect(4);
        QCOMPARE(l.selection.count(), 0);
        QCOMPARE(l.stack.count(), 2);
        QVERIFY(!list->dataViewController());
        // Selecting again opens a new panel.
        list->doMultiSelect(7);
        QCOMPARE(l.stack.count(), 3);
        QVERIFY(l.detail() != first);
        // "Deselecteer Alle" closes it too.
        list->deselectAll();
        QCOMPARE(l.selection.count(), 0);
        QCOMPARE(l.stack.count(), 2);
    }

    void selectAllOfTwelveThenClockInAsks() {
        Groepen g;
        Lijsten l(g);
        LeerlingenDataViewController* list = l.open("Vlinders");
        l.selection.addObject(g.store.dao().loadChild("r1")); // from before: replaced
        int adds = 0;
        QObject observer;
        NotificationCenter::defaultCenter().addObserver(
            &observer, "addSelectieNotification", [&](const Notification& n) { adds += n.object == list; });
        list->selectAllWithAnimation();
        QVERIFY(list->selecting());
        QCOMPARE(l.selection.count(), 1); // on the next pass
        QTRY_VERIFY(!list->selecting());
        QCOMPARE(l.selection.geselecteerden(), QList<ManagedObject*>(g.vlinders.cbegin(), g.vlinders.cend()));
        QCOMPARE(adds, 1);
        auto* detail = qobject_cast<LeerlingenDetailViewController*>(l.detail());
        QVERIFY(detail);
        QCOMPARE(detail->selectionCount(), 12);

        QSignalSpy asked(detail->dialogs(), &DialogRequests::showAlert);
        detail->schrijfKindInMetCheck();
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.first().at(1).toString(),
                 QString("Je gaat 12 kinderen in klokken. Ben je zeker dat je hiermee wil doorgaan?"));
        QCOMPARE(asked.first().at(3).toInt(), LeerlingenDetailViewController::kInklokTag);
        QVERIFY(g.store.context()->fetch<Registration>().isEmpty());

        // With the panel open, "Selecteer Alle" again keeps it; a group emptied meanwhile closes it.
        list->selectAll();
        QCOMPARE(l.detail(), detail);
        for (Child* c : g.vlinders)
            c->setExists(0);
        QVERIFY(g.store.save().isEmpty());
        NotificationCenter::defaultCenter().post("reloadKindjesData");
        QCOMPARE(list->model()->rowCount(), 0);
        list->selectAll();
        QCOMPARE(l.selection.count(), 0);
        QCOMPARE(l.stack.count(), 2);
    }

    void longPress_data() {
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<Rows>("pressed");
        QTest::addColumn<Rows>("expected");
        QTest::addColumn<bool>("opens");
        QTest::newRow("two selected: added") << Rows{1, 2} << Rows{0} << Rows{1, 2, 0} << false;
        QTest::newRow("three selected: alone, panel opens") << Rows{1, 2, 3} << Rows{0} << Rows{0} << true;
        QTest::newRow("same row twice acts once") << Rows{1, 2} << Rows{4, 4} << Rows{1, 2, 4} << false;
        QTest::newRow("moving over rows") << Rows{} << Rows{5, 6, 7, 8} << Rows{8} << true;
        QTest::newRow("not on a row") << Rows{1, 2, 3} << Rows{-1} << Rows{1, 2, 3} << false;
    }
    void longPress() {
        QFETCH(Rows, selected);
        QFETCH(Rows, pressed);
        QFETCH(Rows, expected);
        QFETCH(bool, opens);
        Groepen g;
        Lijsten l(g);
        LeerlingenDataViewController* list = l.open("Vlinders");
        for (int row : selected)
            l.selection.addObject(g.vlinders[row]);
        for (int row : pressed)
            list->handleLongPress(row);
        QList<ManagedObject*> want;
        for (int row : expected)
            want << g.vlinders[row];
        QCOMPARE(l.selection.geselecteerden(), want);
        QCOMPARE(l.stack.count(), opens ? 3 : 2);
        if (opens) {
            QCOMPARE(list->dataViewController(), l.detail());
            l.selection.removeObject(g.vlinders[expected.first()]);
            QCOMPARE(l.stack.count(), 2);
        }
    }

    // Both views offscreen: the sorry text, the segments, a tap beside a child's mark does nothing.
    void viewsDrawAndForwardTaps() {
        Groepen g;
        for (Child* c : g.vlinders) // no unreachable picture addresses: no image cache here
            c->setImage(QString());
        for (Group* m : g.store.context()->fetch<Group>())
            m->setImage(QString());
        QVERIFY(g.store.save().isEmpty());
        WindowDriver::WarningCollector warnings;
        QQmlEngine engine;
        QQuickWindow window;
        window.resize(450, 700);
        std::vector<std::unique_ptr<QObject>> views;
        const auto show = [&](ScreenController* screen) {
            QQmlComponent component(&engine, screen->viewUrl());
            views.emplace_back(component.createWithInitialProperties(
                {{"controller", QVariant::fromValue<QObject*>(screen)}}));
            auto* view = qobject_cast<QQuickItem*>(views.back().get());
            QVERIFY2(view, qPrintable(component.errorString()));
            for (QQuickItem* other : window.contentItem()->childItems())
                other->setVisible(false);
            view->setParentItem(window.contentItem());
            view->setSize(QSizeF(450, 700));
        };
        Lijsten none(g, "E2");
        show(none.screen);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(
            WindowDriver::findText(window.contentItem(), "Sorry, er werden (nog) geen groepen gevonden"));
        QVERIFY(!WindowDriver::findItem(window.contentItem(), "groupTypes"));

        Lijsten l(g);
        show(l.screen);
        QTRY_VERIFY(WindowDriver::findText(window.contentItem(), "3D-printen"));
        QVERIFY(WindowDriver::tap(&window, WindowDriver::findText(window.contentItem(), "Klas")));
        QCOMPARE(l.screen->selectedSegment(), 1);
        QTRY_VERIFY(WindowDriver::findText(window.contentItem(), "Vlinders"));
        QVERIFY(WindowDriver::tap(&window, WindowDriver::findText(window.contentItem(), "Vlinders")));
        auto* list = qobject_cast<LeerlingenDataViewController*>(l.stack.screenAt(1));
        QVERIFY(list);
        show(list);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = WindowDriver::findItem(window.contentItem(), "row1")));
        QVERIFY(WindowDriver::tap(&window, WindowDriver::findText(row, "Naam01 Kind1")));
        QCOMPARE(l.selection.count(), 0);
        QVERIFY(WindowDriver::tap(&window, WindowDriver::findItem(row, "selectionButton")));
        QCOMPARE(l.selection.count(), 1);
        QTRY_VERIFY(row->property("selected").toBool());
        QVERIFY(WindowDriver::tap(&window, WindowDriver::findText(window.contentItem(), "Selecteer Alle")));
        QTRY_COMPARE(l.selection.count(), 12);
        views.clear();
        QVERIFY2(warnings.warnings().isEmpty(), qPrintable(warnings.warnings().join('\n')));
    }
};

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
