// The emergency roll on a store of its own, no network anywhere: exactly who is present (children and
// staff, this location only, registrations up to now only), in group then name order, ticks and the
// count, following the store when a refresh or clocking is announced, how fresh the data is (header and
// PDF), the PDF (one text line per person over as many pages as needed, read back with pdftotext), and
// closing without losing ticks. Then, on a coupled tablet, the roll the menu opens holding the idle lock.
#include "Clock.h"
#include "IdleLock.h"
#include "MenuViewController.h"
#include "NotificationCenter.h"
#include "ObjectManager.h"
#include "PdfText.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "roll/EmergencyRollViewController.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using testing::local;
using testing::moment;

namespace {
QDateTime today(int hour, int minute) {
    return local(2026, 3, 10, hour, minute);
}

QStringList names(const EmergencyRollModel* model) {
    QStringList out;
    for (const auto& p : model->people())
        out << p.name;
    return out;
}

} // namespace

class TestEmergencyRoll : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryStore> m_store;
    QTemporaryDir m_pdfDir;

    std::unique_ptr<EmergencyRollViewController> roll(MainSynchroObject* engine = nullptr) {
        return std::make_unique<EmergencyRollViewController>(
            QStringLiteral("E1"), &m_store->dao(), engine, nullptr, m_pdfDir.filePath(QStringLiteral("out")));
    }

private slots:
    void init() {
        Clock::set(today(10, 0));
        m_store = std::make_unique<TemporaryStore>();
        TemporaryStore& s = *m_store;
        s.organisation(QStringLiteral("O1"));
        s.location(QStringLiteral("E1"), QStringLiteral("De Speelvogel"));
        const QString yesterday = moment(local(2026, 3, 9, 9, 0));
        const auto at = [](int h, int m) { return moment(today(h, m)); };

        Child* anna = s.child("c1", "Anna", "Claes");
        s.membership("g1", "G1", "Vlinders", "Leefgroep", anna);
        s.registration("r1", "c1", at(8, 15), "In");
        Child* bram = s.child("c2", "Bram", "Aerts"); // gone: in, then out
        s.membership("g2", "G1", "Vlinders", "Leefgroep", bram);
        s.registration("r2", "c2", at(8, 0), "In");
        s.registration("r3", "c2", at(9, 30), "Out");
        s.child("c3", "Cis", "Dams"); // never registered
        s.child("c4", "Dirk", "Evers");
        s.registration("r4", "c4", yesterday, "In"); // in yesterday only
        s.child("c5", "Emma", "Goossens");
        s.registration("r5", "c5", at(8, 30), "In", 0); // deleted clock-in
        Child* fien = s.child("c6", "Fien", "Aerts");
        s.membership("g3", "G2", "Beertjes", "Leefgroep", fien);
        s.registration("r6", "c6", at(9, 5), "In");
        s.child("c7", "Gust", "Hendrickx", "E2"); // another location
        s.registration("r7", "c7", at(8, 5), "In");
        s.child("c8", "Hanne", "Bosmans"); // no group
        s.registration("r8", "c8", at(7, 50), "In");
        Child* ilse = s.child("c9", "Ilse", "Aerts");
        s.membership("g4", "G1", "Vlinders", "Leefgroep", ilse);
        s.registration("r9", "c9", at(8, 40), "In");

        s.staff("ue1", "u1", "Els", "Janssens", "E1", 1, 1, 1);
        s.staff("ue1b", "u1", "Els", "Janssens", "E2"); // known at two locations: listed once
        s.userRegistration("s1", "u1", at(7, 0), "In");
        s.staff("ue2", "u2", "Jan", "Peeters"); // gone
        s.userRegistration("s2", "u2", at(7, 10), "In");
        s.userRegistration("s3", "u2", at(9, 0), "Out");
        s.staff("ue3", "u3", "Kim", "Wouters", "E2"); // in at the other location
        s.userRegistration("s4", "u3", at(7, 20), "In")->setEntityId("E2");
        s.staff("ue4", "u4", "Lies", "Maes", "E1", 0); // does not clock her time, but is in
        s.userRegistration("s5", "u4", at(7, 30), "In");
        QVERIFY2(s.save().isEmpty(), qPrintable(s.save()));
    }
    void cleanup() {
        m_store.reset();
        Clock::reset();
    }

    void listsExactlyThePresentInGroupThenNameOrder() {
        auto c = roll();
        QAbstractItemModelTester tester(c->people(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(names(c->people()), QStringList({"Fien Aerts", "Ilse Aerts", "Anna Claes", "Hanne Bosmans",
                                                  "Els Janssens", "Lies Maes"}));
        const auto& people = c->people()->people();
        QCOMPARE(people[0].group, QString("Beertjes"));
        QCOMPARE(people[1].group, QString("Vlinders"));
        QCOMPARE(people[3].group, QString());
        QCOMPARE(people[2].since, QString("08:15"));
        QVERIFY(!people[3].staff && people[4].staff && people[5].staff);
        QCOMPARE(people[4].since, QString("07:00"));
        QCOMPARE(c->countText(), QString("Nog 6 van 6 niet afgevinkt"));
        QCOMPARE(c->subtitle(), QString("De Speelvogel · aanwezig om 10:00"));

        // A clocking since: the reload follows it.
        m_store->registration("r10", "c3", moment(today(9, 55)), "In");
        m_store->registration("r11", "c1", moment(today(9, 58)), "Out");
        QVERIFY(m_store->save().isEmpty());
        c->reload();
        QVERIFY(names(c->people()).contains("Cis Dams"));
        QVERIFY(!names(c->people()).contains("Anna Claes"));
        QCOMPARE(c->people()->count(), 6);
    }

    // Only what was registered at or before the moment the roll is drawn (10:00) counts: a clocking
    // entered ahead says nothing about who is in the room now. Same rule for children and staff, and for
    // clockings not saved yet.
    void onlyRegistrationsUpToNowCount_data() {
        QTest::addColumn<bool>("staff");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QStringList>("registrations"); // "type minutes-from-now", optionally " deleted"
        QTest::addColumn<QString>("since");             // empty: not listed
        const struct {
            const char* name;
            QStringList registrations;
            const char* since;
        } rows[] = {
            {"in an hour ago", {"In -60"}, "09:00"},
            {"in at now", {"In 0"}, "10:00"},
            {"in half an hour ahead", {"In 30"}, ""},
            {"in tomorrow 07:00", {"In 1260"}, ""},
            {"out ahead after in", {"In -120", "Out 60"}, "08:00"},
            {"out at now", {"In -120", "Out 0"}, ""},
            {"in again ahead after out", {"In -120", "Out -60", "In 30"}, ""},
            {"deleted out", {"In -120", "Out -30 deleted"}, "08:00"},
        };
        for (bool staff : {false, true})
            for (bool saved : {true, false})
                for (const auto& row : rows)
                    QTest::addRow("%s %s%s", staff ? "staff" : "child", row.name, saved ? "" : ", unsaved")
                        << staff << saved << row.registrations << QString::fromLatin1(row.since);
    }
    void onlyRegistrationsUpToNowCount() {
        QFETCH(bool, staff);
        QFETCH(bool, saved);
        QFETCH(QStringList, registrations);
        QFETCH(QString, since);
        TemporaryStore& s = *m_store;
        const QString name = staff ? QStringLiteral("Nele Vos") : QStringLiteral("Noor Vos");
        if (staff)
            s.staff("ue9", "u9", "Nele", "Vos");
        else
            s.child("c99", "Noor", "Vos");
        QVERIFY(s.save().isEmpty());
        for (int i = 0; i < registrations.size(); ++i) {
            const QStringList parts = registrations[i].split(' ');
            const QString at = moment(today(10, 0).addSecs(parts[1].toInt() * 60));
            const qint64 exists = parts.size() > 2 ? 0 : 1;
            const QString id = QStringLiteral("new%1").arg(i);
            if (staff)
                s.userRegistration(id, "u9", at, parts[0], exists);
            else
                s.registration(id, "c99", at, parts[0], exists);
        }
        if (saved)
            QVERIFY(s.save().isEmpty());
        auto c = roll();
        const auto& people = c->people()->people();
        const auto found = std::find_if(people.cbegin(), people.cend(),
                                        [&](const EmergencyRollModel::Person& p) { return p.name == name; });
        if (since.isEmpty()) {
            QVERIFY2(found == people.cend(), qPrintable(names(c->people()).join(", ")));
            QCOMPARE(c->people()->count(), 6);
        } else {
            QVERIFY2(found != people.cend(), qPrintable(names(c->people()).join(", ")));
            QCOMPARE(found->since, since);
            QCOMPARE(found->staff, staff);
            QCOMPARE(c->people()->count(), 7);
        }
    }

    // While open, the roll follows what a refresh or a clocking stored: newcomers appear, leavers go,
    // the ticks of those who stay are kept.
    void followsTheStoreWhileOpen_data() {
        QTest::addColumn<QString>("notification");
        QTest::newRow("registrations arrived") << QStringLiteral("reloadKindjesData");
        QTest::newRow("people arrived") << QStringLiteral("forceSearch");
    }
    void followsTheStoreWhileOpen() {
        QFETCH(QString, notification);
        auto c = roll();
        QAbstractItemModelTester tester(c->people(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        c->toggle(names(c->people()).indexOf("Anna Claes"));
        c->toggle(names(c->people()).indexOf("Els Janssens"));
        QCOMPARE(c->uncheckedCount(), 4);

        m_store->child("c20", "Roos", "Smets");
        m_store->registration("r20", "c20", moment(today(9, 45)), "In");
        m_store->staff("ue20", "u20", "Tom", "Pauwels");
        m_store->userRegistration("s20", "u20", moment(today(9, 50)), "In");
        m_store->registration("r21", "c6", moment(today(9, 55)), "Out");     // Fien leaves
        m_store->registration("r22", "c3", moment(today(11, 0)), "In");      // ahead: not yet here
        m_store->userRegistration("s21", "u4", moment(today(9, 56)), "Out"); // Lies leaves
        QVERIFY(m_store->save().isEmpty());
        NotificationCenter::defaultCenter().post(notification);

        const QStringList expected{"Ilse Aerts", "Anna Claes",   "Hanne Bosmans",
                                   "Roos Smets", "Els Janssens", "Tom Pauwels"};
        QTRY_COMPARE(names(c->people()), expected);
        for (const auto& p : c->people()->people())
            QVERIFY2(p.checked == (p.name == "Anna Claes" || p.name == "Els Janssens"), qPrintable(p.name));
        QCOMPARE(c->countText(), QString("Nog 4 van 6 niet afgevinkt"));
    }

    // The header and every PDF page say how fresh the tablet's data is, and the header follows the
    // network going and the next refresh.
    void saysHowFreshItsDataIs_data() {
        QTest::addColumn<QDateTime>("lastRefresh"); // invalid: never
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("never") << QDateTime() << true << "Nog niet bijgewerkt";
        QTest::newRow("never, offline") << QDateTime() << false << "Offline · nog niet bijgewerkt";
        QTest::newRow("today") << today(9, 58) << true << "Bijgewerkt 09:58";
        QTest::newRow("today, offline") << today(9, 2) << false << "Offline · laatst bijgewerkt 09:02";
        QTest::newRow("yesterday, offline")
            << local(2026, 3, 9, 18, 30) << false << "Offline · laatst bijgewerkt 09/03 18:30";
    }
    void saysHowFreshItsDataIs() {
        QFETCH(QDateTime, lastRefresh);
        QFETCH(bool, reachable);
        QFETCH(QString, expected);
        if (lastRefresh.isValid())
            UserDefaults::standard().setObject(QStringLiteral("cc_lastRefreshDate"),
                                               lastRefresh.toMSecsSinceEpoch());
        ObjectManager manager(m_store->store(), QUrl(QStringLiteral("http://127.0.0.1:9")));
        ManualReachability reachability(reachable);
        MainSynchroObject engine(&m_store->dao(), &manager, &reachability);
        auto c = roll(&engine);
        QCOMPARE(c->freshness(), expected);
        QCOMPARE(c->isOffline(), !reachable);
        QVERIFY(c->writePdf());
        // The PDF's font draws "ffl" as one glyph, which reads back as a ligature.
        const QStringList lines =
            PdfText::lines(c->pdfPath()).join('\n').normalized(QString::NormalizationForm_KC).split('\n');
        QVERIFY2(lines.filter(expected).size() == 1, qPrintable(lines.join('\n')));

        QSignalSpy changed(c.get(), &EmergencyRollViewController::freshnessChanged);
        reachability.setReachable(!reachable);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(c->isOffline(), reachable);
        QVERIFY(c->freshness() != expected);
        QCOMPARE(c->freshness().startsWith("Offline · "), reachable);
    }

    void tickingUpdatesTheCountAndSurvivesAReload() {
        auto c = roll();
        QAbstractItemModelTester tester(c->people(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy counts(c.get(), &EmergencyRollViewController::countsChanged);
        c->toggle(0);
        c->toggle(4);
        QCOMPARE(c->uncheckedCount(), 4);
        QCOMPARE(c->countText(), QString("Nog 4 van 6 niet afgevinkt"));
        QVERIFY(counts.count() >= 2);
        c->toggle(4); // ticked by mistake: back on the list
        QCOMPARE(c->uncheckedCount(), 5);
        c->toggle(-1);
        c->toggle(6);
        QCOMPARE(c->uncheckedCount(), 5);
        QVERIFY(c->people()->setData(c->people()->index(1), true, EmergencyRollModel::CheckedRole));
        QCOMPARE(c->uncheckedCount(), 4);

        // Fien (row 0) is ticked; a newcomer sorted before her does not move the tick to someone else.
        Child* newcomer = m_store->child("c10", "Ada", "Aerts");
        m_store->membership("g5", "G2", "Beertjes", "Leefgroep", newcomer);
        m_store->registration("r12", "c10", moment(today(9, 59)), "In");
        QVERIFY(m_store->save().isEmpty());
        c->reload();
        QCOMPARE(names(c->people()).first(), QString("Ada Aerts"));
        QCOMPARE(c->people()->people()[0].checked, false);
        QCOMPARE(c->people()->people()[1].checked, true); // Fien
        QCOMPARE(c->people()->people()[2].checked, true); // Ilse
        QCOMPARE(c->uncheckedCount(), 5);

        for (int i = 0; i < c->people()->count(); ++i)
            if (!c->people()->people()[i].checked)
                c->toggle(i);
        QCOMPARE(c->countText(), QString("Iedereen afgevinkt (7)"));
    }

    void closingAsksFirstWhenSomeoneIsTicked() {
        auto c = roll();
        QSignalSpy closed(c.get(), &EmergencyRollViewController::closed);
        QSignalSpy alerts(c->dialogs(), &DialogRequests::showAlert);
        c->requestClose(); // nothing ticked: nothing to lose
        QCOMPARE(closed.count(), 1);
        QCOMPARE(alerts.count(), 0);

        c->toggle(2);
        c->requestClose();
        QCOMPARE(alerts.count(), 1);
        QCOMPARE(alerts.last().at(3).toInt(), EmergencyRollViewController::kCloseAlertTag);
        c->dialogs()->answer(EmergencyRollViewController::kCloseAlertTag, 0); // "Annuleer"
        QCOMPARE(closed.count(), 1);
        QCOMPARE(c->uncheckedCount(), 5);
        c->requestClose();
        c->dialogs()->answer(EmergencyRollViewController::kCloseAlertTag, 1); // "Sluit"
        QCOMPARE(closed.count(), 2);
    }

    void pdfHasOneLinePerPerson_data() {
        QTest::addColumn<int>("extraChildren");
        QTest::newRow("one page") << 0;
        QTest::newRow("several pages") << 90;
    }
    void pdfHasOneLinePerPerson() {
        QFETCH(int, extraChildren);
        for (int i = 0; i < extraChildren; ++i) {
            const QString id = QStringLiteral("x%1").arg(i);
            m_store->child(id, QStringLiteral("Kind%1").arg(i), QStringLiteral("Zoeter"));
            m_store->registration(QStringLiteral("rx%1").arg(i), id, moment(today(9, 0)),
                                  QStringLiteral("In"));
        }
        QVERIFY(m_store->save().isEmpty());
        auto c = roll();
        c->toggle(1);
        QSignalSpy written(c.get(), &EmergencyRollViewController::pdfPathChanged);
        QVERIFY(c->writePdf());
        QCOMPARE(written.count(), 1);
        QVERIFY(c->pdfPath().startsWith(m_pdfDir.filePath("out/Noodlijst-2026-03-10-")));
        QCOMPARE(QFileInfo(c->pdfPath()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        const QStringList lines = PdfText::lines(c->pdfPath());
        QVERIFY2(!lines.isEmpty(), "no text read from the PDF");
        int personLines = 0;
        for (const auto& p : c->people()->people()) {
            const QStringList mine = PdfText::linesWith(lines, p.name);
            QVERIFY2(mine.size() == 1, qPrintable(p.name + ": " + mine.join(" / ")));
            QVERIFY2(mine[0].contains(p.since) && mine[0].contains(p.group), qPrintable(mine[0]));
            ++personLines;
        }
        QCOMPARE(personLines, 6 + extraChildren);
        // Every page starts with the title and the column heads.
        const int pages = int(lines.filter("Aanwezig sinds").size());
        QVERIFY2(extraChildren ? pages > 1 : pages == 1, qPrintable(QString::number(pages)));
        QCOMPARE(int(lines.filter("Noodlijst · De Speelvogel").size()), pages);
    }

    void pdfInAFolderThatCannotBeMadeIsAnAlert() {
        QFile blocker(m_pdfDir.filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        EmergencyRollViewController c(QStringLiteral("E1"), &m_store->dao(), nullptr, nullptr,
                                      blocker.fileName() + "/sub");
        QSignalSpy alerts(c.dialogs(), &DialogRequests::showAlert);
        QVERIFY(!c.writePdf());
        QCOMPARE(alerts.count(), 1);
        QVERIFY(c.pdfPath().isEmpty());
    }

    // Opened from the menu it stays, untouched, past the idle limit until it is closed.
    void anOpenRollHoldsTheIdleLock() {
        m_store.reset();
        Clock::reset();
        QTemporaryDir settings;
        Tablet::useFreshSettings(settings);
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet tablet(server.url());
        QVERIFY(tablet.couple(true));
        StackScrollViewAppDelegate selections;
        RootViewController root(tablet.engine.get(), tablet.dao.get(), nullptr, [](RootViewController*) {
            return static_cast<ScreenController*>(new ScreenController(QUrl(), QStringLiteral("Aanmelden")));
        });
        root.doLoginForUser(Users::sharedUsers());
        MenuViewController* menu = root.menuViewController();
        QSignalSpy changed(menu, &MenuViewController::emergencyRollChanged);
        menu->openEmergencyRoll();
        EmergencyRollViewController* roll = menu->emergencyRoll();
        QVERIFY(roll);
        menu->openEmergencyRoll(); // open already: the same roll, ticks and all
        QCOMPARE(menu->emergencyRoll(), roll);
        QCOMPARE(changed.count(), 1);
        QVERIFY(names(roll->people())
                    .contains(Users::sharedUsers()->first_name() + " " + Users::sharedUsers()->last_name()));

        IdleLock lock(&root);
        Clock::advance(60 * 60);
        lock.check();
        QVERIFY(root.isLoggedIn());
        roll->requestClose();
        QTRY_VERIFY(!menu->emergencyRoll());
        lock.check();
        QVERIFY(!root.isLoggedIn());
    }
};

QTEST_MAIN(TestEmergencyRoll)
#include "tst_emergencyroll.moc"
