// The queries: which records each one selects, in which order, how many, and in which shape.
#include "Clock.h"
#include "TestStore.h"
#include "Util.h"

#include <QLocale>
#include <QSet>
#include <QTest>

using testing::local;
using testing::moment;

namespace {

template <class T> QStringList keys(const QList<T*>& objects) {
    QStringList out;
    for (const T* o : objects)
        out << o->primaryKey();
    return out;
}

template <class T> QSet<QString> keySet(const QList<T*>& objects) {
    const QStringList k = keys(objects);
    return QSet<QString>(k.begin(), k.end());
}

QSet<QString> setOf(const QStringList& list) {
    return QSet<QString>(list.begin(), list.end());
}

const QString kSearch = QStringLiteral("firstName CONTAINS[cd] %@ || lastName CONTAINS[cd] %@");
const QString kBegins = QStringLiteral("firstName BEGINSWITH[cd] %@ || lastName BEGINSWITH[cd] %@");

// A weekday in winter time: midnight is 23:00 UTC the day before.
QDateTime wednesday(int hour, int minute = 0) {
    return local(2026, 3, 11, hour, minute);
}

} // namespace

class TestDataAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        QCOMPARE(wednesday(0).offsetFromUtc(), 3600);
    }

    void cleanup() {
        Users::setSharedUsers(nullptr);
        Clock::reset();
    }

    void momentsCompareAsTexts() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        const qint64 begin = wednesday(0).toMSecsSinceEpoch();
        QCOMPARE(Util::getBeginRegistrationTime(), QString::number(begin));
        // Around the begin time, with carries in the last digits, all 13 digits long.
        const QList<qint64> offsets{-86400000, -1000, -1, 0, 1, 999, 1000, 36000000};
        for (qint64 off : offsets) {
            const QString t = QString::number(begin + off);
            QCOMPARE(t.size(), 13);
            ts.registration(QStringLiteral("r%1").arg(off), QStringLiteral("C1"), t, QStringLiteral("In"));
        }
        ts.child(QStringLiteral("C1"), QStringLiteral("Jan"), QStringLiteral("Peeters"));
        QVERIFY2(ts.save().isEmpty(), qPrintable(ts.save()));

        QStringList after, before;
        for (auto it = offsets.crbegin(); it != offsets.crend(); ++it) {
            if (*it > 0)
                after << QStringLiteral("r%1").arg(*it);
            else if (*it < 0)
                before << QStringLiteral("r%1").arg(*it);
        }
        // A staff member who is no administrator sees only what is strictly after the begin time.
        Users::setSharedUsers(ts.staff(QStringLiteral("S1E1"), QStringLiteral("S1"), QStringLiteral("Els"),
                                       QStringLiteral("Wouters")));
        QCOMPARE(keys(ts.dao().loadRegistrationsForChild(QStringLiteral("C1"))), after);
        QCOMPARE(keySet(ts.dao().loadRegistrationsBeforeToday()), setOf(before));

        // The moment argument decides, not the begin time.
        const auto latestAfter999 =
            ts.dao().loadRegistrationForChild(QStringLiteral("C1"), QString::number(begin + 999));
        QCOMPARE(keys(latestAfter999), QStringList{QStringLiteral("r36000000")});
        QVERIFY(ts.dao()
                    .loadRegistrationForChild(QStringLiteral("C1"), QString::number(begin + 36000000))
                    .isEmpty());
        QCOMPARE(
            keys(ts.dao().loadRegistrationForChild(QStringLiteral("C1"), QString::number(begin + 35999999))),
            QStringList{QStringLiteral("r36000000")});
    }

    void synchroQueueSelections() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        const qint64 now = Clock::nowMs();
        auto t = [&](qint64 msBefore) { return QString::number(now - msBefore); };
        ts.synchro(QStringLiteral("s0"), 0, t(5000));
        ts.synchro(QStringLiteral("s2"), 2, t(4000));
        ts.synchro(QStringLiteral("s1-179"), 1, t(3000), t(179000));
        ts.synchro(QStringLiteral("s1-180"), 1, t(2000), t(180000));
        ts.synchro(QStringLiteral("s1-181"), 1, t(1000), t(181000));
        ts.synchro(QStringLiteral("s1-never"), 1, t(500));
        ts.synchro(QStringLiteral("s3"), 3, t(0));
        QVERIFY2(ts.save().isEmpty(), "save");

        // Q1: waiting or failed, or in progress for at least 180 s; newest entry first.
        QCOMPARE(keys(ts.dao().loadSynchroToBeHandledSynchroObjects()),
                 (QStringList{"s1-181", "s1-180", "s2", "s0"}));
        // Q2: every unfinished one.
        QCOMPARE(keys(ts.dao().loadSynchroInProgressSynchroObjects()),
                 (QStringList{"s1-never", "s1-181", "s1-180", "s1-179", "s2", "s0"}));
        QCOMPARE(keys(ts.dao().loadAllSynchroObjects()),
                 (QStringList{"s3", "s1-never", "s1-181", "s1-180", "s1-179", "s2", "s0"}));
        QVERIFY(ts.dao().loadSynchroOldHandledSynchroObjects().isEmpty());

        // One second later the 179 s attempt is 180 s old: the threshold follows the clock.
        Clock::advance(1);
        QCOMPARE(keys(ts.dao().loadSynchroToBeHandledSynchroObjects()),
                 (QStringList{"s1-181", "s1-180", "s1-179", "s2", "s0"}));
    }

    void synchroQueueLimitAndCleanUp() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        const qint64 now = Clock::nowMs();
        const qint64 fourteenDays = 1209600000;
        for (int i = 1; i <= 60; ++i)
            ts.synchro(QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0')), 0,
                       QString::number(now - i * 1000));
        ts.synchro(QStringLiteral("h-exact"), 3, QString::number(now - fourteenDays));
        ts.synchro(QStringLiteral("h-young"), 3, QString::number(now - fourteenDays + 1));
        ts.synchro(QStringLiteral("h-old"), 3, QString::number(now - 20LL * 86400000));
        ts.synchro(QStringLiteral("f-old"), 2, QString::number(now - 20LL * 86400000));
        QVERIFY2(ts.save().isEmpty(), "save");

        QStringList newest;
        for (int i = 1; i <= 50; ++i)
            newest << QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0'));
        QCOMPARE(keys(ts.dao().loadSynchroToBeHandledSynchroObjects()), newest);
        QCOMPARE(ts.dao().loadSynchroInProgressSynchroObjects().size(), 61);
        QCOMPARE(keySet(ts.dao().loadSynchroOldHandledSynchroObjects()), (QSet<QString>{"h-exact", "h-old"}));
    }

    void unlockedRecordsBeforeThePeriod() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.organisation(QStringLiteral("O1"), QStringLiteral("12"));
        Clock::set(wednesday(14));
        const QString yesterday15 = moment(local(2026, 3, 10, 15, 0));
        struct Row {
            const char* id;
            QString time;
            QVariant locked;
            qint64 exists;
        };
        const QList<Row> rows{
            {"absent-11h", moment(wednesday(11)), QVariant(), 1},
            {"unlocked-9h", moment(wednesday(9)), qint64(0), 1},
            {"locked-8h", moment(wednesday(8)), qint64(1), 1},
            {"at-begin", moment(wednesday(12)), qint64(0), 1},
            {"after-begin", moment(wednesday(13)), QVariant(), 1},
            {"yesterday", yesterday15, QVariant(), 1},
            {"deleted-10h", moment(wednesday(10)), QVariant(), 0},
        };
        for (const Row& r : rows) {
            ts.registration(QString::fromLatin1(r.id), QStringLiteral("C1"), r.time, QStringLiteral("In"),
                            r.exists, r.locked);
            ts.userRegistration(QString::fromLatin1(r.id), QStringLiteral("U1"), r.time, QStringLiteral("In"),
                                r.exists, r.locked);
        }
        for (const auto& [id, locked] : QList<QPair<QString, QVariant>>{
                 {"upload-absent", QVariant()}, {"upload-0", qint64(0)}, {"upload-1", qint64(1)}}) {
            auto* u = ts.context()->insertNew<ObjectImageUpload>();
            u->setObjectImageUploadId(id);
            if (locked.isValid())
                u->setLocked(locked.toLongLong());
        }
        QVERIFY2(ts.save().isEmpty(), "save");
        QCOMPARE(Util::getBeginRegistrationTime(), moment(wednesday(12)));

        // An absent lock counts as unlocked; the begin time itself is not before the period.
        const QSet<QString> expected{"absent-11h", "unlocked-9h", "yesterday", "deleted-10h"};
        QCOMPARE(keySet(ts.dao().loadRegistrationsBeforeToday()), expected);
        QCOMPARE(keySet(ts.dao().loadUserRegistrationsBeforeToday()), expected);
        QCOMPARE(keySet(ts.dao().loadObjectImageUploadBeforeToday()),
                 (QSet<QString>{"upload-absent", "upload-0"}));

        // Before the switch hour the period starts at midnight.
        Clock::set(wednesday(11, 59));
        QCOMPARE(keySet(ts.dao().loadRegistrationsBeforeToday()), (QSet<QString>{"yesterday"}));

        Clock::set(wednesday(14));
        for (int i = 0; i < 1001; ++i)
            ts.registration(QStringLiteral("old%1").arg(i), QStringLiteral("C2"), yesterday15,
                            QStringLiteral("Out"));
        QVERIFY2(ts.save().isEmpty(), "save");
        QCOMPARE(ts.dao().loadRegistrationsBeforeToday().size(), 1000);
    }

    void sortsFollowDutchCollation() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.organisation(QStringLiteral("O1"));
        const QList<QPair<QString, QString>> people{
            {"Lotte", "van Damme"}, {"Jan", "de Smet"}, {"Emre", "Özdemir"}, {"Bram", "Aerts"},
            {"anna", "Aerts"},      {"Ayşe", "Çelik"},  {"Mila", "zimmer"},
        };
        int n = 0;
        for (const auto& [first, last] : people) {
            ++n;
            ts.child(QStringLiteral("C%1").arg(n), first, last);
            ts.staff(QStringLiteral("S%1E1").arg(n), QStringLiteral("S%1").arg(n), first, last);
            ts.location(QStringLiteral("E%1").arg(n), last);
            ts.device(QStringLiteral("D%1").arg(n), QStringLiteral("O1"), last);
        }
        QVERIFY2(ts.save().isEmpty(), "save");

        auto fullNames = [](const auto& list) {
            QStringList out;
            for (const auto* p : list) {
                if constexpr (std::is_same_v<std::decay_t<decltype(*p)>, Child>)
                    out << p->firstName() + u' ' + p->lastName();
                else
                    out << p->first_name() + u' ' + p->last_name();
            }
            return out;
        };
        const QStringList byLastThenFirst{"anna Aerts",   "Bram Aerts",      "Ayşe Çelik", "Jan de Smet",
                                          "Emre Özdemir", "Lotte van Damme", "Mila zimmer"};
        QCOMPARE(fullNames(ts.dao().loadChildrenforEntity(QStringLiteral("E1"))), byLastThenFirst);
        QCOMPARE(fullNames(ts.dao().loadUsers()), byLastThenFirst);
        QCOMPARE(fullNames(ts.dao().getUsersForEntity(QStringLiteral("E1"))),
                 (QStringList{"anna Aerts", "Ayşe Çelik", "Bram Aerts", "Emre Özdemir", "Jan de Smet",
                              "Lotte van Damme", "Mila zimmer"}));

        const QStringList lastNames{"Aerts", "Aerts", "Çelik", "de Smet", "Özdemir", "van Damme", "zimmer"};
        QStringList locations, devices;
        for (const Entities* e : ts.dao().loadSchoolsFromDataStore())
            locations << e->name();
        for (const Device* d : ts.dao().loadAllDevices())
            devices << d->name();
        QCOMPARE(locations, lastNames);
        QCOMPARE(devices, lastNames);
    }

    void searchMatchesLiterally_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("zoe finds Zoë") << kSearch << "zoe" << QStringList{"zoe1", "zoe2"};
        QTest::newRow("ZOË finds zoe") << kSearch << "ZOË" << QStringList{"zoe1", "zoe2"};
        QTest::newRow("contains in the middle") << kSearch << "nz" << QStringList{"enzo"};
        QTest::newRow("percent") << kSearch << "%" << QStringList{"pct"};
        QTest::newRow("percent is no wildcard") << kSearch << "Jo%" << QStringList{};
        QTest::newRow("underscore") << kSearch << "_" << QStringList{"under"};
        QTest::newRow("underscore is no wildcard") << kSearch << "Jo_" << QStringList{"under"};
        QTest::newRow("quote") << kSearch << "'" << QStringList{"quote", "sql"};
        QTest::newRow("double quote") << kSearch << "\"" << QStringList{"dq"};
        QTest::newRow("backslash") << kSearch << "\\" << QStringList{"bs"};
        QTest::newRow("sql fragment") << kSearch << "'; DROP TABLE Child; --" << QStringList{"sql"};
        QTest::newRow("predicate syntax") << kSearch << "a' || firstName CONTAINS 'a" << QStringList{};
        QTest::newRow("cyrillic any case") << kSearch << "АННА" << QStringList{"cyr"};
        QTest::newRow("cyrillic family name") << kSearch << "иванова" << QStringList{"cyr"};
        QTest::newRow("arabic") << kSearch << "محمد" << QStringList{"ar"};
        QTest::newRow("emoji") << kSearch << "😀" << QStringList{"emoji"};
        QTest::newRow("no match") << kSearch << "xyz" << QStringList{};
        QTest::newRow("beginswith first name") << kBegins << "zo" << QStringList{"zoe1", "zoe2"};
        QTest::newRow("beginswith is not contains") << kBegins << "nz" << QStringList{};
        QTest::newRow("beginswith quote") << kBegins << "'" << QStringList{"sql"};
        QTest::newRow("beginswith accents") << kBegins << "OZD" << QStringList{"ozd"};
    }

    void searchMatchesLiterally() {
        QFETCH(QString, format);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);

        TemporaryStore ts;
        QVERIFY(ts.isValid());
        const QList<QStringList> children{
            {"zoe1", "Zoë", "Peeters"},     {"zoe2", "zoe", "Janssens"},
            {"enzo", "Enzo", "Maes"},       {"pct", "Sam", "100% Zeker"},
            {"under", "Jo_Ann", "Wouters"}, {"joris", "Joris", "Claes"},
            {"quote", "Sean", "O'Brien"},   {"dq", "Lien", "\"Lientje\" Goossens"},
            {"bs", "Ann\\a", "Verhoeven"},  {"sql", "Robert", "'; DROP TABLE Child; --"},
            {"cyr", "Анна", "Иванова"},     {"ar", "محمد", "العلي"},
            {"emoji", "Lina 😀", "Smile"},   {"ozd", "Emre", "Özdemir"},
        };
        for (const QStringList& c : children)
            ts.child(c.at(0), c.at(1), c.at(2));
        ts.child(QStringLiteral("gone"), QStringLiteral("Zoë"), QStringLiteral("Weg"), QStringLiteral("E1"),
                 0);
        ts.child(QStringLiteral("elsewhere"), QStringLiteral("Zoë"), QStringLiteral("Elders"),
                 QStringLiteral("E2"));
        QVERIFY2(ts.save().isEmpty(), "save");

        const auto found =
            ts.dao().loadChildrenforEntity(QStringLiteral("E1"), Predicate::format(format, {text, text}));
        QCOMPARE(keySet(found), setOf(expected));
        QCOMPARE(found.size(), expected.size());
        // Whatever was typed, the table and its rows are still there.
        QCOMPARE(ts.dao().loadChildrenforEntity(QStringLiteral("E1")).size(), children.size());
    }

    void locationsOrganisationAndDevices() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.location(QStringLiteral("E1"), QStringLiteral("Kribbe"));
        ts.location(QStringLiteral("E2"), QStringLiteral("Gesloten"), 1, 0);
        ts.location(QStringLiteral("E3"), QStringLiteral("Niet op tablet"), 0, 1);
        QVERIFY(!ts.dao().loadOrganisation());
        ts.organisation(QStringLiteral("O0"), {}, {}, 0);
        Organisation* o1 = ts.organisation(QStringLiteral("O1"));
        ts.device(QStringLiteral("D1"), QStringLiteral("O1"), QStringLiteral("Tablet B"));
        ts.device(QStringLiteral("D2"), QStringLiteral("O9"), QStringLiteral("Tablet A"));
        ts.device(QStringLiteral("D3"), QStringLiteral("O1"), QStringLiteral("Tablet C"), 0);
        QVERIFY2(ts.save().isEmpty(), "save");

        QCOMPARE(keys(ts.dao().loadSchoolsFromDataStore()), QStringList{"E1"});
        QVERIFY(ts.dao().loadEntitiyFromDataStoreById(QStringLiteral("E1")) ==
                ts.context()->find<Entities>("E1"));
        QVERIFY(!ts.dao().loadEntitiyFromDataStoreById(QStringLiteral("E2")));
        QCOMPARE(keys(QList<Entities*>{ts.dao().loadEntitiyFromDataStoreById(QStringLiteral("E3"))}),
                 QStringList{"E3"});
        QVERIFY(!ts.dao().loadEntitiyFromDataStoreById(QStringLiteral("E4")));
        QVERIFY(!ts.dao().loadEntitiyFromDataStoreById(QString()));

        QCOMPARE(ts.dao().loadOrganisation(), o1);
        QCOMPARE(keys(ts.dao().loadAllDevices()), QStringList{"D1"});
        // Without organisation every live tablet is offered.
        o1->setExists(0);
        QVERIFY2(ts.save().isEmpty(), "save");
        QVERIFY(!ts.dao().loadOrganisation());
        QCOMPARE(keys(ts.dao().loadAllDevices()), (QStringList{"D2", "D1"}));
    }

    void staffReducedToOnePerMember() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.staff("U1E1", "U1", "Karel", "Maes", "E1");
        ts.staff("U1E2", "U1", "Abel", "Maes", "E2");
        ts.staff("U1E3", "U1", "maarten", "Maes", "E3");
        ts.staff("U2E1", "U2", "Zeger", "Claes", "E1");
        ts.staff("U3E2", "U3", "Ann", "Wouters", "E2");
        ts.staff("U4E1", "U4", "Bart", "Geen", "E1", 0);
        ts.staff("U5E1", "U5", "Chris", "Weg", "E1", 1, 0);
        QVERIFY2(ts.save().isEmpty(), "save");

        QCOMPARE(keys(ts.dao().getUsersForPredicate(Predicate(), false)),
                 (QStringList{"U1E2", "U3E2", "U1E1", "U1E3", "U2E1"}));
        // One record per staff member, the first in A–Z of first names, listed Z–A.
        QCOMPARE(keys(ts.dao().getUsersForPredicate(Predicate(), true)),
                 (QStringList{"U2E1", "U3E2", "U1E2"}));

        const Predicate atE1 = Predicate::format(QStringLiteral("entityId == %@"), {QStringLiteral("E1")});
        QCOMPARE(keys(ts.dao().getUsersForPredicate(atE1, false)), (QStringList{"U1E1", "U2E1"}));
        QCOMPARE(keys(ts.dao().getUsersForPredicate(atE1, true)), (QStringList{"U2E1", "U1E1"}));

        QCOMPARE(ts.dao().loadUser(QStringLiteral("U5"))->userEntityId(), QStringLiteral("U5E1"));
        QVERIFY(!ts.dao().loadUser(QStringLiteral("U9")));
    }

    void countOfUsersSinceMidnight() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        // The switch makes the period begin at 12:00; the staff counts still start at midnight.
        ts.organisation(QStringLiteral("O1"), QStringLiteral("12"));
        Clock::set(wednesday(14));
        ts.staff("U1E1", "U1", "Karel", "Maes", "E1");
        ts.staff("U1E2", "U1", "Abel", "Maes", "E2");
        ts.staff("U1E3", "U1", "Maarten", "Maes", "E3");
        ts.staff("U2E1", "U2", "Ann", "Claes");
        ts.staff("U3E1", "U3", "Bert", "Peeters");
        ts.staff("U4E1", "U4", "Chris", "Jacobs");
        ts.staff("U5E1", "U5", "Dirk", "Mertens");
        ts.staff("U6E2", "U6", "Eva", "Goossens", "E2");
        ts.staff("U7E1", "U7", "Frank", "Smets", "E1", 0);
        ts.staff("U8E1", "U8", "Gert", "Vos", "E1", 1, 0);
        ts.staff("U9E1", "U9", "Hilde", "Dubois");
        const QString in = QStringLiteral("In"), out = QStringLiteral("Out");
        ts.userRegistration("a", "U1", moment(wednesday(9)), in);
        ts.userRegistration("b", "U2", moment(wednesday(8)), in);
        ts.userRegistration("c", "U2", moment(wednesday(11)), out);
        ts.userRegistration("d", "U3", moment(local(2026, 3, 10, 16, 0)), in);
        ts.userRegistration("e", "U4", moment(wednesday(0)), in);
        ts.userRegistration("f", "U5", moment(wednesday(10)), in, 0);
        ts.userRegistration("g", "U6", moment(wednesday(13)), in);
        ts.userRegistration("h", "U7", moment(wednesday(9)), in);
        ts.userRegistration("i", "U9", moment(wednesday(10)), in);
        ts.userRegistration("j", "U9", moment(wednesday(10)), out);
        QVERIFY2(ts.save().isEmpty(), "save");

        // staff, present, staff minus present, gone
        QCOMPARE(ts.dao().countOfUsers(QStringLiteral("E1"), Predicate()), (QStringList{"7", "2", "5", "2"}));
        const Predicate atE2 = Predicate::format(QStringLiteral("entityId == %@"), {QStringLiteral("E2")});
        QCOMPARE(ts.dao().countOfUsers(QStringLiteral("unused"), atE2), (QStringList{"2", "2", "0", "0"}));
    }

    void countOfChildren() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        auto withStatus = [&](const char* id, const char* first, const QString& status,
                              const char* entity = "E1", qint64 exists = 1) {
            Child* c = ts.child(QString::fromLatin1(id), QString::fromUtf8(first), QStringLiteral("Test"),
                                QString::fromLatin1(entity), exists);
            c->setIngeschrevenStatus(status);
            return c;
        };
        Child* a = withStatus("A", "Anna", "In");
        withStatus("B", "Bram", "Out");
        Child* c = withStatus("C", "Cas", QString());
        withStatus("D", "Dirk", "Out");
        withStatus("E", "Eline", "In");
        Child* f = withStatus("F", "Fien", "In", "E1", 0);
        withStatus("G", "Gust", "In", "E2");
        withStatus("H", "Hugo", QStringLiteral(""));
        ts.membership("A-G1a", "G1", "Vlinders", "Opvang", a);
        ts.membership("A-G1b", "G1", "Vlinders", "Opvang", a);
        ts.membership("C-G1", "G1", "Vlinders", "Opvang", c, 0);
        ts.membership("F-G1", "G1", "Vlinders", "Opvang", f);
        ts.membership("A-G2", "G2", "Bijtjes", "Opvang", a);
        QVERIFY2(ts.save().isEmpty(), "save");
        QVERIFY(ts.context()->find<Child>("C")->isAbsent(Child::index_ingeschrevenStatus()));

        // count, present, count minus present, other status; an absent status is neither present nor other
        QCOMPARE(ts.dao().countOfChildren(QStringLiteral("E1"), Predicate()),
                 (QStringList{"6", "2", "4", "3"}));
        const Predicate withA =
            Predicate::format(QStringLiteral("firstName CONTAINS[cd] %@"), {QStringLiteral("A")});
        QCOMPARE(ts.dao().countOfChildren(QStringLiteral("E1"), withA), (QStringList{"3", "1", "2", "1"}));

        QVariantMap g1;
        for (const QVariantMap& row : ts.dao().loadGroupsFromType(QString(), QStringLiteral("E1")))
            if (row.value(QStringLiteral("groupId")) == QStringLiteral("G1"))
                g1 = row;
        QVERIFY(!g1.isEmpty());
        // Once per membership of the group, live or not; only live children.
        QCOMPARE(ts.dao().countOfChildren(QStringLiteral("E1"), Predicate(), g1),
                 (QStringList{"3", "2", "1", "0"}));
        const Predicate cas =
            Predicate::format(QStringLiteral("firstName CONTAINS[cd] %@"), {QStringLiteral("cas")});
        QCOMPARE(ts.dao().countOfChildren(QStringLiteral("E1"), cas, g1), (QStringList{"1", "0", "1", "0"}));
        QCOMPARE(ts.dao().countOfChildren(QStringLiteral("E3"), Predicate()),
                 (QStringList{"0", "0", "0", "0"}));
    }

    void groupsAndGroupTypes() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Child* a = ts.child("A", "Anna", "Aerts");
        Child* b = ts.child("B", "Bram", "Aerts");
        Child* c = ts.child("C", "Cas", "Claes");
        Child* d = ts.child("D", "Dirk", "Dubois");
        Child* e = ts.child("E", "Eline", "Engels");
        Child* gone = ts.child("F", "Fien", "Weg", "E1", 0);
        Child* other = ts.child("G", "Gust", "Elders", "E2");
        ts.membership("A-G1", "G1", "Vlinders", "Opvang", a);
        ts.membership("B-G1", "G1", "Vlinders", "Opvang", b);
        ts.membership("C-G2", "G2", "appels", "School", c);
        ts.membership("F-G3", "G3", "Bijtjes", "Opvang", gone);
        ts.membership("D-G4", "G4", "Egeltjes", "Schoolreis", d, 0);
        ts.membership("G-G5", "G5", "Zon", "Vakantie", other, 1, "E2");
        ts.membership("E-G6", "G6", "Dolfijnen", "avond", e);
        // Memberships without a type (absent or empty) add no type of their own.
        ts.membership("A-G7", "G7", "Zonder", QString(), a);
        ts.membership("B-G8", "G8", "Leeg", QStringLiteral(""), b);
        QVERIFY2(ts.save().isEmpty(), "save");

        auto ids = [](const QList<QVariantMap>& rows) {
            QStringList out;
            for (const QVariantMap& r : rows)
                out << r.value(QStringLiteral("groupId")).toString();
            return out;
        };
        const QStringList all{"G2", "G6", "G8", "G1", "G7"}; // appels, Dolfijnen, Leeg, Vlinders, Zonder
        const QString filterAll = QCoreApplication::translate("DataAccessObject", "Filter op groep");
        QCOMPARE(ids(ts.dao().loadGroupsFromType(filterAll, QStringLiteral("E1"))), all);
        QCOMPARE(ids(ts.dao().loadGroupsFromType(QStringLiteral(""), QStringLiteral("E1"))), all);
        QCOMPARE(ids(ts.dao().loadGroupsFromType(QString(), QStringLiteral("E1"))), all);
        QCOMPARE(ids(ts.dao().loadGroupsFromType(QStringLiteral("Opvang"), QStringLiteral("E1"))),
                 QStringList{"G1"});
        QVERIFY(ts.dao().loadGroupsFromType(QStringLiteral("Vakantie"), QStringLiteral("E1")).isEmpty());
        QCOMPARE(ids(ts.dao().loadGroupsFromType(QStringLiteral("Vakantie"), QStringLiteral("E2"))),
                 QStringList{"G5"});

        const QVariantMap row =
            ts.dao().loadGroupsFromType(QStringLiteral("Opvang"), QStringLiteral("E1")).value(0);
        QCOMPARE(QSet<QString>(row.keyBegin(), row.keyEnd()),
                 (QSet<QString>{"groupName", "image", "groupId"}));
        QCOMPARE(row.value(QStringLiteral("groupName")).toString(), QStringLiteral("Vlinders"));
        QCOMPARE(row.value(QStringLiteral("image")).toString(),
                 QStringLiteral("https://example.invalid/groups/G1.png"));

        QCOMPARE(ts.dao().loadGroupTypesforEntity(QStringLiteral("E1")),
                 (QStringList{"avond", "Opvang", "School"}));
        QCOMPARE(ts.dao().loadGroupTypesforEntity(QStringLiteral("E2")), QStringList{"Vakantie"});
        QVERIFY(ts.dao().loadGroupTypesforEntity(QStringLiteral("E9")).isEmpty());
    }

    void childrenOfAGroup() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.membership("m1", "G1", "Vlinders", "Opvang", ts.child("C1", "Jan", "de Smet"));
        ts.membership("m2", "G1", "Vlinders", "Opvang", ts.child("C2", "Zoë", "Özdemir"), 0);
        ts.membership("m3", "G1", "Vlinders", "Opvang", ts.child("C3", "Bram", "Aerts"));
        ts.membership("m4", "G1", "Vlinders", "Opvang", ts.child("C4", "anna", "Aerts"));
        ts.membership("m5", "G1", "Vlinders", "Opvang", ts.child("C5", "Kim", "Claes", "E1", 0));
        ts.membership("m6", "G1", "Vlinders", "Opvang", ts.child("C6", "Ilse", "Baert", "E2"), 1, "E2");
        ts.membership("m7", "G2", "Bijtjes", "Opvang", ts.child("C7", "Wout", "Adams"));
        QVERIFY2(ts.save().isEmpty(), "save");

        const auto members = ts.dao().loadChildrenForGroup(QStringLiteral("G1"), QStringLiteral("E1"));
        QCOMPARE(keys(members), (QStringList{"m4", "m3", "m1", "m2"}));
        QStringList childIds;
        for (Group* g : members)
            childIds << (g->child() ? g->child()->childId() : QStringLiteral("(none)"));
        QCOMPARE(childIds, (QStringList{"C4", "C3", "C1", "C2"}));
    }

    void latestRegistrationOfAChild() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        const QString at8 = moment(wednesday(8));
        ts.registration("in8", "C1", at8, "In");
        ts.registration("out8", "C1", at8, "Out");
        ts.registration("in7", "C1", moment(wednesday(7)), "In");
        ts.registration("deleted9", "C1", moment(wednesday(9)), "In", 0);
        ts.registration("other9", "C2", moment(wednesday(9)), "In");
        ts.userRegistration("uin8", "U1", at8, "In");
        ts.userRegistration("uout8", "U1", at8, "Out");
        QVERIFY2(ts.save().isEmpty(), "save");

        const QString before8 = QString::number(wednesday(8).toMSecsSinceEpoch() - 1);
        QCOMPARE(keys(ts.dao().loadRegistrationForChild("C1", before8)), QStringList{"out8"});
        QCOMPARE(keys(ts.dao().loadRegistrationForChild("C1", moment(wednesday(0)))), QStringList{"out8"});
        QVERIFY(ts.dao().loadRegistrationForChild("C1", at8).isEmpty());
        QCOMPARE(keys(ts.dao().loadRegistrationForUser("U1", before8)), QStringList{"uout8"});
        QVERIFY(ts.dao().loadRegistrationForUser("U1", at8).isEmpty());
        QVERIFY(ts.dao().loadRegistrationForChild("C9", before8).isEmpty());
    }

    void registrationHistoryDependsOnWhoIsLoggedIn() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        Child* child = ts.child("C1", "Jan", "Peeters");
        Users* admin = ts.staff("A1E1", "A1", "Ada", "Admin", "E1", 1, 1, 1);
        Users* plain = ts.staff("P1E1", "P1", "Piet", "Plain");
        const QList<QStringList> rows{
            {"y8", "2026-03-10T08:00", "In"},   {"y17", "2026-03-10T17:00", "Out"},
            {"t8in", "2026-03-11T08:00", "In"}, {"t8out", "2026-03-11T08:00", "Out"},
            {"t9", "2026-03-11T09:00", "In"},
        };
        for (const QStringList& r : rows) {
            const QString t = moment(QDateTime::fromString(r.at(1), Qt::ISODate));
            ts.registration(r.at(0), "C1", t, r.at(2));
            ts.userRegistration(r.at(0), "P1", t, r.at(2));
        }
        ts.registration("t930", "C1", moment(wednesday(9, 30)), "Out", 0);
        ts.userRegistration("t930", "P1", moment(wednesday(9, 30)), "Out", 0);
        QVERIFY2(ts.save().isEmpty(), "save");

        const QStringList whole{"t9", "t8out", "t8in", "y17", "y8"};
        const QStringList today{"t9", "t8out", "t8in"};
        QCOMPARE(keys(ts.dao().loadRegistrationsForChild("C1")), whole);
        QCOMPARE(keys(ts.dao().loadRegistrationsForUser("P1")), whole);
        Users::setSharedUsers(admin);
        QCOMPARE(keys(ts.dao().loadRegistrationsForChild("C1")), whole);
        QCOMPARE(keys(ts.dao().loadRegistrationsForUser("P1")), whole);
        Users::setSharedUsers(plain);
        QCOMPARE(keys(ts.dao().loadRegistrationsForChild("C1")), today);
        QCOMPARE(keys(ts.dao().loadRegistrationsForUser("P1")), today);
        QCOMPARE(keys(child->registrations()), today);
        QCOMPARE(keys(plain->userRegistrations()), today);
        Users::setSharedUsers(nullptr);
        QCOMPARE(keys(child->registrations()), whole);
    }

    void refreshBookkeepingCreatedOnce() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        auto* known = ts.context()->insertNew<GetSynchroObject>();
        known->setIdGetSynchroObject(QStringLiteral("children"));
        known->setLastSyncTime(QStringLiteral("1773183600000"));
        QVERIFY2(ts.save().isEmpty(), "save");

        GetSynchroObject* created = ts.dao().loadGetSynchroObjectById(QStringLiteral("users"));
        QVERIFY(created);
        QCOMPARE(created->idGetSynchroObject(), QStringLiteral("users"));
        QCOMPARE(created->lastSyncTime(), QStringLiteral("00000"));
        QCOMPARE(created->inProgressSyncTime(), QStringLiteral("0"));
        QCOMPARE(ts.dao().loadGetSynchroObjectById(QStringLiteral("users")), created);
        QVERIFY2(ts.save().isEmpty(), "save");
        ts.context()->reset();
        GetSynchroObject* again = ts.dao().loadGetSynchroObjectById(QStringLiteral("users"));
        QCOMPARE(again->lastSyncTime(), QStringLiteral("00000"));
        QCOMPARE(ts.context()->count(FetchRequest::of<GetSynchroObject>()), 2);
        QVERIFY(!ts.context()->hasChanges());

        QCOMPARE(ts.dao().loadGetSynchroObjectById(QStringLiteral("children"))->lastSyncTime(),
                 QStringLiteral("1773183600000"));
    }

    void sharedInstanceRule() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        QCOMPARE(DataAccessObject::sharedDataAccessObject(), &ts.dao());
        {
            DataAccessObject second(ts.store());
            QCOMPARE(DataAccessObject::sharedDataAccessObject(), &ts.dao());
            DataAccessObject::setSharedDataAccessObject(&second);
            QCOMPARE(DataAccessObject::sharedDataAccessObject(), &second);
        }
        // The replaced one went away: nothing is shared until a new one registers.
        QVERIFY(!DataAccessObject::sharedDataAccessObject());
        DataAccessObject third(ts.store());
        QCOMPARE(DataAccessObject::sharedDataAccessObject(), &third);
        DataAccessObject::setSharedDataAccessObject(&ts.dao());
    }

    void deletedRecordsFoundByKeyOnly() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        Child* gone = ts.child("C1", "Jan", "Weg", "E1", 0);
        ts.staff("U1E1", "U1", "Els", "Weg", "E1", 1, 0);
        ts.registration("r1", "C2", moment(wednesday(9)), "In", 0);
        ts.userRegistration("ur1", "U2", moment(wednesday(9)), "In", 0);
        ts.location("E1", "Kribbe", 1, 0);
        QVERIFY2(ts.save().isEmpty(), "save");

        QCOMPARE(ts.dao().loadChild("C1"), gone);
        QCOMPARE(ts.context()->find<Child>("C1"), gone);
        QVERIFY(ts.dao().loadUser("U1"));
        QVERIFY(ts.dao().loadRegistration("r1"));
        QVERIFY(ts.dao().loadUserRegistration("ur1"));
        QVERIFY(ts.context()->find<Entities>("E1"));
        QVERIFY(!ts.dao().loadChild("C9"));
        QVERIFY(!ts.dao().loadRegistration("r9"));

        QVERIFY(ts.dao().loadChildrenforEntity("E1").isEmpty());
        QVERIFY(ts.dao().loadUsers().isEmpty());
        QVERIFY(ts.dao().getUsersForEntity("E1").isEmpty());
        QVERIFY(ts.dao().loadRegistrationsForChild("C2").isEmpty());
        QVERIFY(ts.dao().loadRegistrationsForUser("U2").isEmpty());
        QVERIFY(ts.dao().loadSchoolsFromDataStore().isEmpty());
        QCOMPARE(ts.dao().countOfChildren("E1", Predicate()), (QStringList{"0", "0", "0", "0"}));
    }
};

QTEST_GUILESS_MAIN(TestDataAccess)
#include "tst_dataaccess.moc"
