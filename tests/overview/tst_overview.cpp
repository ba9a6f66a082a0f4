// The children overview: presence filter and counts, name search, group filter, A–Z index, tap and
// long-press selection with the detail panel, the observed notifications, counts during fast typing,
// and the real view driven by clicks and keys.
#include "GroupSelectorViewController.h"
#include "ImageCache.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "Resources.h"
#include "SearchOverzichtViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "Tablet.h"
#include "TestStore.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QDir>
#include <QPainter>
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

using Rows = QList<int>;

QQuickItem* findItem(QQuickItem* root, const QString& name) {
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

// A visible item showing this text (a Text's text or a control's).
QQuickItem* findText(QQuickItem* root, const QString& text) {
    if (!root || !root->isVisible())
        return nullptr;
    if (root->property("text").toString() == text)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findText(child, text))
            return found;
    return nullptr;
}

// Ten children of location E1 in list order, two elsewhere that never show, and three groups.
struct Kindjes {
    TemporaryStore store;
    QList<Child*> children; // in list order

    Kindjes() {
        struct Case {
            const char *first, *last, *status, *time;
        };
        const Case cases[] = {
            {"Anna", "Aerts", nullptr, nullptr},      {"Bert", "Bosmans", "In", "08:15"},
            {"Chloé", "Claes", "Out", "16:00"},       {"Dirk", "Dubois", "Future", nullptr},
            {"Élise", "Élebaut", nullptr, nullptr},   {"Emma", "Evers", "Out", "Future"},
            {"Olivier", "O'Neill", nullptr, nullptr}, {"Jeanne", "Peeters", nullptr, nullptr},
            {"Ánja", "Smet", "In", "07:50"},          {"Zoë", "Van Damme", nullptr, nullptr},
        };
        int i = 0;
        for (const Case& s : cases) {
            Child* c = store.child(QString("c%1").arg(i++), s.first, s.last);
            if (s.status)
                c->setIngeschrevenStatus(s.status);
            if (s.time)
                c->setIngeschrevenTime(s.time);
            children << c;
        }
        store.child("gone", "Anneke", "Xhoffer", "E1", 0);
        store.child("elders", "Annie", "Andermans", "E2");
        store.membership("m1", "g1", "Vlinders", "Klas", children[0]);
        store.membership("m2", "g1", "Vlinders", "Klas", children[1]);
        store.membership("m3", "g3", "Zwemmen", "Activiteit", children[1]);
        store.membership("m4", "g2", "Rupsen", "Klas", children[2]);
        store.membership("m5", "g2", "Rupsen", "Klas", children[8]);
        store.membership("m6", "g2", "Rupsen", "Klas", children[8], 0); // an old membership of the same group
        store.membership("m7", "g1", "Vlinders", "Klas", children[9]);
        store.save();
    }
};

// Records the detail screens asked for.
struct DetailSpy {
    QList<QPair<ManagedObject*, bool>> made;
    SearchOverzichtViewController::DetailFactory factory() {
        return [this](ManagedObject* record, bool needsrefresh) {
            made.append({record, needsrefresh});
            return new ScreenController(QUrl(), QStringLiteral("detail"));
        };
    }
};

// An overview as the menu opens it: the only panel of its stack, with its own selection.
struct Overview {
    SelectieLijst selection;
    StackScrollViewController stack;
    DetailSpy details;
    QObject owner;
    SearchOverzichtViewController* screen;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit Overview(Kindjes& k, ImageCache* images = nullptr, bool withDetail = true) {
        screen = new SearchOverzichtViewController(SearchListDefinition::children("E1"), &k.store.dao(),
                                                   &selection, &stack, images, &owner);
        if (withDetail)
            screen->setDetailFactory(details.factory());
        tester = std::make_unique<QAbstractItemModelTester>(
            screen->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        stack.addViewInSlider(screen, nullptr, true);
    }
    ~Overview() { stack.removeAll(); }

    // The search's redraw and the counts have arrived.
    bool settled() const {
        return QTest::qWaitFor([this] { return !screen->searching() && !screen->counting(); });
    }
    QStringList lastNames() const {
        QStringList names;
        for (const auto& r : screen->model()->rows())
            names << r.lastName;
        return names;
    }
    QVariant role(int row, int role) const { return screen->model()->index(row).data(role); }
    Rows selectedRows() const {
        Rows rows;
        const auto shown = screen->searchArray();
        for (ManagedObject* o : selection.geselecteerden())
            rows << int(shown.indexOf(o));
        return rows;
    }
};

const QStringList kAll = {"Aerts", "Bosmans", "Claes",   "Dubois", "Élebaut",
                          "Evers", "O'Neill", "Peeters", "Smet",   "Van Damme"};
} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void presenceFilter_data();
    void presenceFilter();
    void rowsShowNameGroupsTimeAndPhoto();
    void photosArriveFromTheServer();
    void searchIgnoresCaseAndAccentsAndIsLiteral_data();
    void searchIgnoresCaseAndAccentsAndIsLiteral();
    void cancelButtonListsEveryoneAgain();
    void groupFilterThenWisSelectie();
    void indexLetterFallsBackToEarlierLetters_data();
    void indexLetterFallsBackToEarlierLetters();
    void tapSelectsAndOpensTapAgainCloses();
    void longPress_data();
    void longPress();
    void showDetailBringsTheChildIntoSight_data();
    void showDetailBringsTheChildIntoSight();
    void countsAfterFastTypingEndOnTheCurrentText();
    void notificationsRedoListAndCounts();
    void realViewByClicksAndKeys();
};

void TestOverview::presenceFilter_data() {
    QTest::addColumn<int>("segment");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Alle") << 0 << kAll;
    QTest::newRow("In") << 1 << QStringList{"Bosmans", "Smet"};
    QTest::newRow("Uit: only Out") << 2 << QStringList{"Claes", "Evers"};
    QTest::newRow("Afwezig: no status, Out and Future")
        << 3
        << QStringList{"Aerts", "Claes", "Dubois", "Élebaut", "Evers", "O'Neill", "Peeters", "Van Damme"};
}

void TestOverview::presenceFilter() {
    QFETCH(int, segment);
    QFETCH(QStringList, expected);
    Kindjes k;
    Overview o(k);
    // Before the first count the titles carry no numbers.
    QCOMPARE(o.screen->segmentTitles(), QStringList({"Alle ", "In", "Uit", "Afwezig"}));
    QVERIFY(o.settled());
    o.screen->didClickSegmentationFilterInOut(segment);
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), expected);
    // The counts follow the name and group, never the presence filter; "Uit" counts Future too.
    QCOMPARE(o.screen->segmentTitles(), QStringList({"Alle (10)", "In (2)", "Uit (3)", "Afw. (8)"}));
}

void TestOverview::rowsShowNameGroupsTimeAndPhoto() {
    Kindjes k;
    QTemporaryDir cacheDir;
    ImageCache cache(cacheDir.path());
    k.children[0]->setImage("image-aerts");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    cache.storeImage("image-aerts", png);
    k.children[2]->setImage("image-claes"); // not in the cache yet
    QVERIFY(k.store.save().isEmpty());
    Overview o(k, &cache);
    QVERIFY(o.settled());
    using M = SearchOverzichtModel;
    struct Expect {
        int row;
        const char *name, *groups, *time;
        bool warning;
        int presence;
    };
    for (const Expect& e :
         {Expect{0, "Aerts Anna", "Vlinders", "", false, 0},
          Expect{1, "Bosmans Bert", "Zwemmen | Vlinders", "08:15", false, 1},
          Expect{2, "Claes Chloé", "Rupsen", "16:00", false, 2}, Expect{3, "Dubois Dirk", "", "", false, 3},
          Expect{5, "Evers Emma", "", "", true, 2}}) {
        QCOMPARE(o.role(e.row, M::NameRole).toString(), QString(e.name));
        QCOMPARE(o.role(e.row, M::GroupsRole).toString(), QString(e.groups));
        QCOMPARE(o.role(e.row, M::TimeRole).toString(), QString(e.time));
        QCOMPARE(o.role(e.row, M::WarningRole).toBool(), e.warning);
        QCOMPARE(o.role(e.row, M::PresenceRole).toInt(), e.presence);
    }
    QCOMPARE(QImage(o.role(0, M::PhotoRole).toUrl().toLocalFile()).pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(o.role(1, M::PhotoRole).toUrl().isEmpty());
    // A picture that arrives later replaces the placeholder of its row.
    QVERIFY(o.role(2, M::PhotoRole).toUrl().isEmpty());
    QSignalSpy changed(o.screen->model(), &QAbstractItemModel::dataChanged);
    cache.storeImage("image-claes", png);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!o.role(2, M::PhotoRole).toUrl().isEmpty());
}

void TestOverview::photosArriveFromTheServer() {
    ReferenceServer server;
    QVERIFY(server.isRunning());
    Tablet t(server.url());
    QVERIFY(t.couple());
    QTemporaryDir cacheDir;
    ImageCache cache(cacheDir.path());
    SelectieLijst selection;
    StackScrollViewController stack;
    SearchOverzichtViewController overview(SearchListDefinition::children(t.entityId), t.dao.get(),
                                           &selection, &stack, &cache);
    const auto& rows = overview.model()->rows();
    const auto withPicture =
        std::find_if(rows.cbegin(), rows.cend(), [](const auto& r) { return r.image.startsWith("http"); });
    QVERIFY(withPicture != rows.cend());
    const int row = int(withPicture - rows.cbegin());
    const QModelIndex index = overview.model()->index(row);
    QVERIFY(index.data(SearchOverzichtModel::PhotoRole).toUrl().isEmpty()); // placeholder while it downloads
    QTRY_VERIFY(!index.data(SearchOverzichtModel::PhotoRole).toUrl().isEmpty());
    QVERIFY(!QImage(index.data(SearchOverzichtModel::PhotoRole).toUrl().toLocalFile()).isNull());
    QVERIFY(cache.contains(withPicture->image));
}

void TestOverview::searchIgnoresCaseAndAccentsAndIsLiteral_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("an: first or last name, accents ignored")
        << "an" << QStringList{"Aerts", "Bosmans", "Peeters", "Smet", "Van Damme"};
    QTest::newRow("AN: case ignored")
        << "AN" << QStringList{"Aerts", "Bosmans", "Peeters", "Smet", "Van Damme"};
    QTest::newRow("accented text finds plain and accented") << "ÉLE" << QStringList{"Élebaut"};
    QTest::newRow("zoe finds Zoë") << "zoe" << QStringList{"Van Damme"};
    QTest::newRow("quote is a character") << "o'n" << QStringList{"O'Neill"};
    QTest::newRow("double quote matches nothing") << "\"" << QStringList{};
    QTest::newRow("percent is no wildcard") << "%" << QStringList{};
    QTest::newRow("letters in another order") << "na" << QStringList{"Aerts"};
}

void TestOverview::searchIgnoresCaseAndAccentsAndIsLiteral() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    o.screen->searchBarTextDidChange(text);
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), expected);
    QCOMPARE(o.screen->segmentTitles().first(), QString("Alle (%1)").arg(expected.size()));
}

// "showDetailNotification" (a child just added): the child selected alone, its panel open and its row
// in sight, whatever search or filter would have hidden it.
void TestOverview::showDetailBringsTheChildIntoSight_data() {
    QTest::addColumn<QString>("hiddenBy");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("row"); // -1: nothing happens
    QTest::newRow("listed") << "" << "c9" << 9;
    QTest::newRow("a search") << "search" << "c2" << 2;
    QTest::newRow("the presence filter") << "presence" << "c0" << 0;
    QTest::newRow("the group filter") << "group" << "c0" << 0;
    QTest::newRow("added after the list was read") << "new" << "n1" << 6; // Maes, between Evers and O'Neill
    QTest::newRow("unknown child") << "" << "nobody" << -1;
    QTest::newRow("another location's child") << "" << "elders" << -1;
}

void TestOverview::showDetailBringsTheChildIntoSight() {
    QFETCH(QString, hiddenBy);
    QFETCH(QString, key);
    QFETCH(int, row);
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    if (hiddenBy == "search")
        o.screen->searchBarTextDidChange("an");
    else if (hiddenBy == "presence")
        o.screen->didClickSegmentationFilterInOut(SearchOverzichtViewController::In);
    else if (hiddenBy == "group")
        o.screen->groupSelected({{"groupId", "g2"}, {"groupName", "Rupsen"}});
    else if (hiddenBy == "new") {
        k.store.child("n1", "Noor", "Maes");
        k.store.save();
    }
    QVERIFY(o.settled());
    QSignalSpy reveals(o.screen, &SearchOverzichtViewController::revealRowChanged);

    NotificationCenter::defaultCenter().post("showDetailNotification", nullptr, {{"key", key}});
    QVERIFY(o.settled());
    if (row < 0) {
        QCOMPARE(o.selection.count(), 0);
        QVERIFY(o.details.made.isEmpty());
        QCOMPARE(o.screen->revealRow(), -1);
        return;
    }
    QCOMPARE(o.screen->rowOfKey(key), row);
    QCOMPARE(o.screen->revealRow(), row);
    QVERIFY(!reveals.isEmpty());
    QCOMPARE(o.selectedRows(), Rows({row}));
    QCOMPARE(o.details.made.size(), 1);
    QCOMPARE(o.details.made.first().first, o.selection.objectAtIndex(0));
    QCOMPARE(o.stack.count(), 2);
    QVERIFY(o.screen->searchText().isEmpty());
    QCOMPARE(o.screen->presenceSegment(), int(SearchOverzichtViewController::Alle));
    QVERIFY(!o.screen->groupFilterSelected());
}

void TestOverview::cancelButtonListsEveryoneAgain() {
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    o.screen->searchBarTextDidBeginEditing();
    QVERIFY(o.screen->cancelButtonShown());
    o.screen->searchBarTextDidChange("an");
    QVERIFY(o.settled());
    QCOMPARE(o.screen->model()->count(), 5);
    QSignalSpy dismissed(o.screen, &SearchOverzichtViewController::keyboardDismissed);
    o.screen->searchBarCancelButtonClicked();
    QVERIFY(o.settled());
    QCOMPARE(o.screen->searchText(), QString());
    QCOMPARE(o.lastNames(), kAll);
    QCOMPARE(o.screen->segmentTitles().first(), QString("Alle (10)"));
    QVERIFY(!o.screen->cancelButtonShown());
    QCOMPARE(dismissed.count(), 1);
}

void TestOverview::groupFilterThenWisSelectie() {
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    QCOMPARE(o.screen->groupFilterTitle(), QString("Filter op groep"));
    QVERIFY(!o.screen->groupFilterSelected());

    o.screen->didClickSegmentationFilterGroups();
    GroupSelectorViewController* picker = o.screen->groupSelector();
    QVERIFY(picker);
    QAbstractItemModelTester tester(picker->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(picker->groupTypes(), QStringList({"Activiteit", "Klas", "Geen Selectie"}));
    QStringList shown;
    for (const auto& row : picker->model()->rows())
        shown << row.section + ": " + row.groupName;
    QCOMPARE(shown, QStringList({"Activiteit: Zwemmen", "Klas: Rupsen", "Klas: Vlinders",
                                 "Geen Selectie: Wis Selectie"}));

    // A child with an old and a live membership of the chosen group is listed and counted once.
    picker->didSelectRow(1);
    QVERIFY(!o.screen->groupSelector());
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), QStringList({"Claes", "Smet"}));
    QCOMPARE(o.screen->groupFilterTitle(), QString("Rupsen"));
    QVERIFY(o.screen->groupFilterSelected());
    QCOMPARE(o.screen->segmentTitles(), QStringList({"Alle (2)", "In (1)", "Uit (1)", "Afw. (1)"}));
    // Group and name together.
    o.screen->searchBarTextDidChange("an");
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), QStringList({"Smet"}));
    o.screen->searchBarTextDidChange("");

    o.screen->didClickSegmentationFilterGroups();
    picker = o.screen->groupSelector();
    picker->didSelectRow(picker->model()->rowCount() - 1);
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), kAll);
    QCOMPARE(o.screen->groupFilterTitle(), QString("Filter op groep"));
    QVERIFY(!o.screen->groupFilterSelected());
    QCOMPARE(o.screen->segmentTitles().first(), QString("Alle (10)"));

    // A location without groups offers only the way back.
    GroupSelectorViewController empty(k.store.dao(), "E2", o.screen);
    QCOMPARE(empty.groupTypes(), QStringList({"Geen Selectie"}));
    QCOMPARE(empty.model()->rowCount(), 1);
    QCOMPARE(empty.model()->rows().first().groupName, QString("Wis Selectie"));
}

void TestOverview::indexLetterFallsBackToEarlierLetters_data() {
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("row");
    QTest::newRow("A") << ""
                       << "A" << 0;
    QTest::newRow("E matches É") << ""
                                 << "E" << 4;
    QTest::newRow("F falls back to E") << ""
                                       << "F" << 4;
    QTest::newRow("Q falls back to P") << ""
                                       << "Q" << 7;
    QTest::newRow("R falls back past Q to P") << ""
                                              << "R" << 7;
    QTest::newRow("Z falls back to V") << ""
                                       << "Z" << 9;
    QTest::newRow("in a narrowed list") << "an"
                                        << "Q" << 2;
    QTest::newRow("nothing before A") << "eve"
                                      << "B" << -1;
    QTest::newRow("empty list") << "%"
                                << "Z" << -1;
}

void TestOverview::indexLetterFallsBackToEarlierLetters() {
    QFETCH(QString, search);
    QFETCH(QString, letter);
    QFETCH(int, row);
    Kindjes k;
    Overview o(k);
    o.screen->searchBarTextDidChange(search);
    QVERIFY(o.settled());
    const int index = int(o.screen->sectionIndexTitles().indexOf(letter));
    QSignalSpy scrolled(o.screen, &SearchOverzichtViewController::scrollToRow);
    QCOMPARE(o.screen->sectionForSectionIndexTitle(letter, index), -1);
    QCOMPARE(scrolled.count(), 0); // the scroll follows on the next pass
    QTest::qWait(1);
    QCOMPARE(scrolled.count(), row < 0 ? 0 : 1);
    if (row >= 0)
        QCOMPARE(scrolled.first().first().toInt(), row);
}

void TestOverview::tapSelectsAndOpensTapAgainCloses() {
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    o.screen->doMultiSelect(0);
    QCOMPARE(o.selectedRows(), Rows({0}));
    QCOMPARE(o.stack.count(), 2);
    QCOMPARE(o.details.made.size(), 1);
    QCOMPARE(o.details.made.first().first, k.children[0]);
    QVERIFY(!o.details.made.first().second);
    QCOMPARE(o.stack.screenAt(1), o.screen->dataViewController());
    QVERIFY(o.role(0, SearchOverzichtModel::SelectedRole).toBool());

    // While the panel is open, taps only change the selection.
    o.screen->doMultiSelect(3);
    QCOMPARE(o.selectedRows(), Rows({0, 3}));
    QCOMPARE(o.details.made.size(), 1);
    o.screen->doMultiSelect(3);
    QCOMPARE(o.stack.count(), 2);
    o.screen->doMultiSelect(0);
    QCOMPARE(o.selectedRows(), Rows());
    QCOMPARE(o.stack.count(), 1);
    QVERIFY(!o.role(0, SearchOverzichtModel::SelectedRole).toBool());

    // A clocking elsewhere empties the selection: the panel closes with it.
    o.screen->doMultiSelect(2);
    QCOMPARE(o.stack.count(), 2);
    QCOMPARE(o.details.made.size(), 2);
    o.selection.removeAllObjects();
    NotificationCenter::defaultCenter().post("removeSelectieNotification", &o.selection);
    QCOMPARE(o.stack.count(), 1);

    // Without a detail screen to make, a tap only selects.
    Overview plain(k, nullptr, false);
    QVERIFY(plain.settled());
    plain.screen->doMultiSelect(1);
    QCOMPARE(plain.selectedRows(), Rows({1}));
    QCOMPARE(plain.stack.count(), 1);
}

void TestOverview::longPress_data() {
    QTest::addColumn<Rows>("selected");
    QTest::addColumn<Rows>("pressed");
    QTest::addColumn<bool>("searchBetween");
    QTest::addColumn<Rows>("expected");
    QTest::addColumn<bool>("opens");
    QTest::newRow("two selected: row 0 added, first press acts")
        << Rows{1, 2} << Rows{0} << false << Rows{1, 2, 0} << false;
    QTest::newRow("three selected: replaced, detail opens")
        << Rows{1, 2, 3} << Rows{0} << false << Rows{0} << true;
    QTest::newRow("same row again does nothing")
        << Rows{1, 2} << Rows{4, 4} << false << Rows{1, 2, 4} << false;
    QTest::newRow("same row after a new search acts") << Rows{1, 2} << Rows{4, 4} << true << Rows{4} << true;
    QTest::newRow("moving over rows") << Rows{} << Rows{5, 6, 7, 8} << false << Rows{8} << true;
    QTest::newRow("not on a row") << Rows{1, 2, 3} << Rows{-1} << false << Rows{1, 2, 3} << false;
}

void TestOverview::longPress() {
    QFETCH(Rows, selected);
    QFETCH(Rows, pressed);
    QFETCH(bool, searchBetween);
    QFETCH(Rows, expected);
    QFETCH(bool, opens);
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    for (int row : selected)
        o.selection.addObject(k.children[row]);
    for (int i = 0; i < pressed.size(); ++i) {
        if (searchBetween && i > 0)
            o.screen->doSearch();
        o.screen->handleLongPress(pressed[i]);
    }
    QCOMPARE(o.selectedRows(), expected);
    QCOMPARE(o.details.made.size(), opens ? 1 : 0);
    QCOMPARE(o.stack.count(), opens ? 2 : 1);
    if (opens) {
        QCOMPARE(o.details.made.first().first, k.children[expected.first()]);
        QVERIFY(o.details.made.first().second); // needsrefresh
        // However it was opened, the panel closes when the selection empties.
        o.selection.removeAllObjects();
        NotificationCenter::defaultCenter().post("removeSelectieNotification", &o.selection);
        QCOMPARE(o.stack.count(), 1);
    }
}

void TestOverview::countsAfterFastTypingEndOnTheCurrentText() {
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    QSignalSpy updated(o.screen, &SearchOverzichtViewController::countsUpdated);
    // Typed faster than a count: the first count is still running while the others are asked for.
    for (const char* text : {"e", "ee", "eer", "ee", "e", "ev"})
        o.screen->searchBarTextDidChange(text);
    QVERIFY(o.screen->counting());
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames(), QStringList({"Evers"}));
    QCOMPARE(o.screen->segmentTitles(), QStringList({"Alle (1)", "In (0)", "Uit (1)", "Afw. (1)"}));
    // Only the count of the current text reached the titles.
    QCOMPARE(updated.count(), 1);
}

void TestOverview::notificationsRedoListAndCounts() {
    Kindjes k;
    Overview o(k);
    QVERIFY(o.settled());
    k.store.child("new", "Nieuw", "Aa");
    QVERIFY(k.store.save().isEmpty());
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QSignalSpy reset(o.screen->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(o.screen->model(), &QAbstractItemModel::rowsInserted);
    center.post("forceSearch");
    QVERIFY(o.settled());
    QCOMPARE(o.lastNames().first(), QString("Aa"));
    // The rows that stay keep their place: the new child is inserted, the list is not rebuilt.
    QCOMPARE(reset.count(), 0);
    QCOMPARE(inserted.count(), 1);
    // The titles count the new child as well.
    QCOMPARE(o.screen->segmentTitles().first(), QString("Alle (11)"));
    k.store.child("later", "Later", "Zz");
    QVERIFY(k.store.save().isEmpty());
    center.post("reloadKindjesData");
    QVERIFY(o.settled());
    QCOMPARE(o.screen->segmentTitles().first(), QString("Alle (12)"));
    // A selection change anywhere redraws the marks.
    QSignalSpy changed(o.screen->model(), &QAbstractItemModel::dataChanged);
    o.selection.addObject(k.children[0]);
    QVERIFY(changed.count() >= 1);
    QVERIFY(o.role(1, SearchOverzichtModel::SelectedRole).toBool());
}

void TestOverview::realViewByClicksAndKeys() {
    Kindjes k;
    QTemporaryDir cacheDir;
    ImageCache cache(cacheDir.path());
    // Demo-like pictures: initials on a coloured ground.
    const QList<QColor> colours = {"#e07a5f", "#3d405b", "#81b29a", "#f2cc8f", "#6d597a"};
    for (int i = 0; i < k.children.size(); ++i) {
        Child* c = k.children[i];
        QImage picture(96, 96, QImage::Format_RGB32);
        picture.fill(colours[i % colours.size()]);
        QPainter p(&picture);
        p.setPen(Qt::white);
        p.setFont(QFont(QString(), 36, QFont::Bold));
        p.drawText(picture.rect(), Qt::AlignCenter, c->firstName().left(1) + c->lastName().left(1));
        p.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        c->setImage("picture-" + c->childId());
        if (i % 4 != 3) // some children have no picture yet
            cache.storeImage(c->image(), png);
    }
    QVERIFY(k.store.save().isEmpty());
    Overview o(k, &cache);

    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(450, 768);
    QQmlComponent component(&engine, o.screen->viewUrl());
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{"controller", QVariant::fromValue<QObject*>(o.screen)}}));
    QVERIFY2(object, qPrintable(component.errorString()));
    auto* view = qobject_cast<QQuickItem*>(object.get());
    view->setParentItem(window.contentItem());
    view->setSize(QSizeF(450, 768));
    window.show();
    window.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(o.settled());
    const auto item = [&](const QString& name) { return findItem(window.contentItem(), name); };
    const auto tap = [&](QQuickItem* target) {
        QVERIFY(target);
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                          target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint());
    };
    QQuickItem* list = item("overviewList");
    QVERIFY(list);
    QTRY_COMPARE(list->property("count").toInt(), 10);

    // Two letters typed into the field.
    tap(item("searchField"));
    QTRY_VERIFY(item("searchField")->hasActiveFocus());
    QVERIFY(o.screen->cancelButtonShown());
    QTest::keyClick(&window, Qt::Key_A);
    QTest::keyClick(&window, Qt::Key_N);
    QTRY_COMPARE(o.screen->searchText(), QString("an"));
    QTRY_COMPARE(list->property("count").toInt(), 5);
    QTRY_VERIFY(findText(item("presenceFilter"), "Alle (5)"));
    QTRY_VERIFY(item("row1"));
    QCOMPARE(item("row1")->property("name").toString(), QString("Bosmans Bert"));
    QCOMPARE(item("row1")->property("groups").toString(), QString("Zwemmen | Vlinders"));

    // A tap on the second row selects it and opens the detail panel.
    tap(item("row1"));
    QCOMPARE(o.selectedRows(), Rows({1}));
    QCOMPARE(o.stack.count(), 2);
    QTRY_VERIFY(item("row1")->property("selected").toBool());

    // A press held for a second on the fourth row adds it.
    QQuickItem* row3 = item("row3");
    QVERIFY(row3);
    const QPoint centre = row3->mapToScene(QPointF(row3->width() / 2, row3->height() / 2)).toPoint();
    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, centre);
    QTRY_COMPARE_WITH_TIMEOUT(o.selection.count(), 2, 3000);
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(o.selectedRows(), Rows({1, 3}));

    // The group filter opens the picker; a group narrows the list.
    QTest::keyClick(&window, Qt::Key_Backspace);
    QTest::keyClick(&window, Qt::Key_Backspace);
    QTRY_COMPARE(list->property("count").toInt(), 10);
    tap(item("groupFilter"));
    QVERIFY(o.screen->groupSelector());
    QQuickItem* groups = nullptr;
    QTRY_VERIFY((groups = item("groupList")) && groups->isVisible() &&
                groups->property("count").toInt() == 4);
    QTRY_VERIFY(findText(groups, "Rupsen"));
    tap(findText(groups, "Rupsen"));
    QTRY_COMPARE(list->property("count").toInt(), 2);
    QVERIFY(!o.screen->groupSelector());
    o.screen->groupSelected({});
    QTRY_COMPARE(list->property("count").toInt(), 10);

    // A refresh after a clocking keeps the list where it was scrolled to.
    list->setProperty("contentY", 100);
    k.children[0]->setIngeschrevenStatus("In");
    k.children[0]->setIngeschrevenTime("13:05");
    NotificationCenter::defaultCenter().post("reloadKindjesData");
    QVERIFY(o.settled());
    QTRY_COMPARE(item("row0")->property("time").toString(), QString("13:05"));
    QCOMPARE(list->property("contentY").toReal(), 100.0);
    list->setProperty("contentY", 0);

    // A look at it with demo-like data.
    o.screen->searchBarTextDidChange("");
    QVERIFY(o.settled());
    QTest::qWait(300);
    const QImage shot = window.grabWindow();
    QDir dir(QCoreApplication::applicationDirPath());
    dir.cdUp();
    dir.mkpath("screenshots");
    QVERIFY(shot.save(dir.filePath("screenshots/overview.png")));
    qInfo() << "screenshot:" << dir.filePath("screenshots/overview.png");

    object.reset();
    qInstallMessageHandler(previous);
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join('\n')));
}

QTEST_MAIN(TestOverview)
#include "tst_overview.moc"
