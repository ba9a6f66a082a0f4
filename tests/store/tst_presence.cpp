// Presence status of children and staff: which registration decides it, its clock time, "Future",
// the begin time of the period (with and without time switch), and the status code.
#include "Clock.h"
#include "TestStore.h"
#include "Util.h"

#include <QLocale>
#include <QTest>

using testing::local;
using testing::moment;

namespace {

QDateTime wednesday(int hour, int minute = 0) {
    return local(2026, 3, 11, hour, minute);
}

struct Reg {
    QDateTime time;
    QString type;
    qint64 exists = 1;
};

// A child or a staff member with the given registrations, behind one interface.
class Person {
public:
    Person(TemporaryStore& ts, bool staff, const QList<Reg>& registrations) {
        int n = 0;
        if (staff) {
            m_user = ts.staff(QStringLiteral("U1E1"), QStringLiteral("U1"), QStringLiteral("Els"),
                              QStringLiteral("Wouters"));
            for (const Reg& r : registrations)
                ts.userRegistration(QStringLiteral("ur%1").arg(++n), QStringLiteral("U1"), moment(r.time),
                                    r.type, r.exists);
        } else {
            m_child = ts.child(QStringLiteral("C1"), QStringLiteral("Jan"), QStringLiteral("Peeters"));
            for (const Reg& r : registrations)
                ts.registration(QStringLiteral("r%1").arg(++n), QStringLiteral("C1"), moment(r.time), r.type,
                                r.exists);
        }
        // Registrations of someone else never count.
        ts.registration(QStringLiteral("x"), QStringLiteral("C2"), moment(wednesday(9, 45)),
                        QStringLiteral("In"));
        ts.userRegistration(QStringLiteral("x"), QStringLiteral("U2"), moment(wednesday(9, 45)),
                            QStringLiteral("In"));
    }

    ManagedObject* object() const { return m_user ? static_cast<ManagedObject*>(m_user) : m_child; }
    void update() { m_user ? m_user->updateIngeschrevenStatus() : m_child->updateIngeschrevenStatus(); }
    void update(const QString& m) {
        m_user ? m_user->updateIngeschrevenStatus(m) : m_child->updateIngeschrevenStatus(m);
    }
    // The many-at-once form, given this record twice so that it queries as for many.
    void updateAsMany() {
        m_user ? Users::updateIngeschrevenStatuses({m_user, m_user}, QString())
               : Child::updateIngeschrevenStatuses({m_child, m_child}, QString());
    }
    int code() const { return m_user ? m_user->isIngeschreven() : m_child->isIngeschreven(); }
    QString latestId(const QString& m) const {
        ManagedObject* r = m_user ? static_cast<ManagedObject*>(m_user->latestRegistrationAfterDay(m))
                                  : m_child->latestRegistrationAfterDay(m);
        return r ? r->primaryKey() : QString();
    }
    QVariant status() const { return object()->valueForKey(QStringLiteral("ingeschrevenStatus")); }
    QVariant time() const { return object()->valueForKey(QStringLiteral("ingeschrevenTime")); }
    void setStored(const QString& status, const QString& time) {
        object()->setValueForKey(QStringLiteral("ingeschrevenStatus"), status);
        object()->setValueForKey(QStringLiteral("ingeschrevenTime"), time);
    }

private:
    Users* m_user = nullptr;
    Child* m_child = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(QList<Reg>)

class TestPresence : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        QCOMPARE(wednesday(0).offsetFromUtc(), 3600);
    }

    void cleanup() { Clock::reset(); }

    void statusFromLatestRegistration_data() {
        QTest::addColumn<bool>("staff");
        QTest::addColumn<QList<Reg>>("registrations");
        QTest::addColumn<QVariant>("status"); // invalid: absent
        QTest::addColumn<QVariant>("time");
        QTest::addColumn<int>("code");

        const QString in = QStringLiteral("In"), out = QStringLiteral("Out");
        const QVariant none;
        for (bool staff : {false, true}) {
            const char* who = staff ? "staff" : "child";
            QTest::addRow("%s: In and Out at the same moment", who)
                << staff << QList<Reg>{{wednesday(8), in}, {wednesday(8), out}} << QVariant(out)
                << QVariant("08:00") << 2;
            QTest::addRow("%s: latest In", who)
                << staff << QList<Reg>{{wednesday(7, 5), out}, {wednesday(8, 15), in}} << QVariant(in)
                << QVariant("08:15") << 1;
            QTest::addRow("%s: tomorrow 07:00 made in advance", who)
                << staff << QList<Reg>{{wednesday(8), out}, {local(2026, 3, 12, 7, 0), in}} << QVariant(in)
                << QVariant("Future") << 1;
            QTest::addRow("%s: exactly at the end of today", who)
                << staff << QList<Reg>{{local(2026, 3, 12, 0, 0), out}} << QVariant(out) << QVariant("00:00")
                << 2;
            QTest::addRow("%s: exactly at the begin time", who)
                << staff << QList<Reg>{{wednesday(0), in}} << none << none << 0;
            QTest::addRow("%s: only yesterday", who)
                << staff << QList<Reg>{{local(2026, 3, 10, 23, 59), in}} << none << none << 0;
            QTest::addRow("%s: deleted registration", who)
                << staff << QList<Reg>{{wednesday(8), in}, {wednesday(9), out, 0}} << QVariant(in)
                << QVariant("08:00") << 1;
            QTest::addRow("%s: none", who) << staff << QList<Reg>{} << none << none << 0;
        }
    }

    void statusFromLatestRegistration() {
        QFETCH(bool, staff);
        QFETCH(QList<Reg>, registrations);
        QFETCH(QVariant, status);
        QFETCH(QVariant, time);
        QFETCH(int, code);

        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        Person p(ts, staff, registrations);
        // A stale value of an earlier period must go.
        p.setStored(QStringLiteral("In"), QStringLiteral("07:00"));
        QVERIFY2(ts.save().isEmpty(), "save");

        p.update();
        QCOMPARE(p.status(), status);
        QCOMPARE(p.time(), time);
        QCOMPARE(p.code(), code);
        // Recomputing does not save; the caller does.
        QVERIFY(ts.context()->hasChanges());
        QVERIFY2(ts.save().isEmpty(), "save");

        // The stored values survive, as read by a fresh context.
        ts.context()->reset();
        ManagedObject* reread = staff ? static_cast<ManagedObject*>(ts.context()->find<Users>("U1E1"))
                                      : ts.context()->find<Child>("C1");
        QVERIFY(reread);
        QCOMPARE(reread->valueForKey(QStringLiteral("ingeschrevenStatus")), status);
        QCOMPARE(reread->valueForKey(QStringLiteral("ingeschrevenTime")), time);
    }

    void manyAtOnceAsOneByOne() {
        // Every case of the table above at once: one query for all must pick what one query each picks.
        const QString in = QStringLiteral("In"), out = QStringLiteral("Out");
        const QList<QList<Reg>> cases{{{wednesday(8), in}, {wednesday(8), out}},
                                      {{wednesday(7, 5), out}, {wednesday(8, 15), in}},
                                      {{wednesday(8), out}, {local(2026, 3, 12, 7, 0), in}},
                                      {{wednesday(0), in}},
                                      {{wednesday(8), in}, {wednesday(9), out, 0}},
                                      {}};
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(wednesday(10));
        QList<Child*> children;
        QList<Users*> staff;
        int n = 0;
        for (int i = 0; i < cases.size(); ++i) {
            const QString id = QString::number(i);
            children << ts.child("C" + id, "Kind", id);
            staff << ts.staff("U" + id + "E1", "U" + id, "Staff", id);
            for (const Reg& r : cases.at(i)) {
                ts.registration(QString("r%1").arg(++n), "C" + id, moment(r.time), r.type, r.exists);
                ts.userRegistration(QString("u%1").arg(n), "U" + id, moment(r.time), r.type, r.exists);
            }
        }
        staff << ts.staff("U1E2", "U1", "Staff", "1"); // the same staff member at a second location
        QVERIFY2(ts.save().isEmpty(), "save");

        Child::updateIngeschrevenStatuses(children, QString());
        Users::updateIngeschrevenStatuses(staff, QString());
        QList<QVariantList> together;
        for (ManagedObject* o : QList<ManagedObject*>(children.cbegin(), children.cend()) +
                                    QList<ManagedObject*>(staff.cbegin(), staff.cend())) {
            together << QVariantList{o->valueForKey("ingeschrevenStatus"),
                                     o->valueForKey("ingeschrevenTime")};
            o->setValueForKey("ingeschrevenStatus", "stale");
        }
        QCOMPARE(together.last(), together.at(1 + cases.size())); // both records of U1
        for (Child* c : children)
            c->updateIngeschrevenStatus();
        for (Users* u : staff)
            u->updateIngeschrevenStatus();
        QList<QVariantList> oneByOne;
        for (ManagedObject* o : QList<ManagedObject*>(children.cbegin(), children.cend()) +
                                    QList<ManagedObject*>(staff.cbegin(), staff.cend()))
            oneByOne << QVariantList{o->valueForKey("ingeschrevenStatus"),
                                     o->valueForKey("ingeschrevenTime")};
        QCOMPARE(together, oneByOne);
        QCOMPARE(together.at(1), (QVariantList{in, "08:15"}));
    }

    void bothFormsAndExplicitMoment() {
        for (bool staff : {false, true}) {
            TemporaryStore ts;
            QVERIFY(ts.isValid());
            Clock::set(wednesday(10));
            Person p(
                ts, staff,
                {{local(2026, 3, 10, 17, 0), QStringLiteral("Out")}, {wednesday(8), QStringLiteral("In")}});
            QVERIFY2(ts.save().isEmpty(), "save");

            p.update(QString()); // nothing means the begin time
            QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
            QCOMPARE(p.latestId(QString()), staff ? QStringLiteral("ur2") : QStringLiteral("r2"));

            // From yesterday's midnight on, today's 08:00 is still the latest; from 08:00 on nothing is.
            p.update(moment(local(2026, 3, 10, 0, 0)));
            QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
            p.update(moment(wednesday(8)));
            QCOMPARE(p.status(), QVariant());
            QCOMPARE(p.time(), QVariant());
            QCOMPARE(p.latestId(moment(wednesday(8))), QString());
            QCOMPARE(p.latestId(moment(local(2026, 3, 10, 16, 59))),
                     staff ? QStringLiteral("ur2") : QStringLiteral("r2"));

            p.update();
            QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
            QCOMPARE(p.time(), QVariant(QStringLiteral("08:00")));
        }
    }

    // Statuses recomputed right after a clocking, before the save, count the unsaved registrations.
    void unsavedChangesCount() {
        for (const auto& [staff, many] :
             {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
            TemporaryStore ts;
            QVERIFY(ts.isValid());
            Clock::set(wednesday(10));
            Person p(ts, staff, {{wednesday(8), QStringLiteral("In")}});
            QVERIFY2(ts.save().isEmpty(), "save");
            auto add = [&, staff = staff](const QString& id, const QDateTime& t,
                                          const QString& type) -> ManagedObject* {
                if (staff)
                    return ts.userRegistration(id, QStringLiteral("U1"), moment(t), type);
                return ts.registration(id, QStringLiteral("C1"), moment(t), type);
            };
            ManagedObject* saved =
                staff ? static_cast<ManagedObject*>(ts.context()->find<UserRegistration>("ur1"))
                      : ts.context()->find<Registration>("r1");

            ManagedObject* out = add(QStringLiteral("new"), wednesday(9), QStringLiteral("Out"));
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.status(), QVariant(QStringLiteral("Out")));
            QCOMPARE(p.time(), QVariant(QStringLiteral("09:00")));
            ts.context()->deleteObject(out); // an unsaved registration taken back again
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
            saved->setValueForKey(QStringLiteral("time"), moment(wednesday(9, 30))); // a changed time
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.time(), QVariant(QStringLiteral("09:30")));
            saved->setValueForKey(QStringLiteral("exists"), 0); // removed, not yet saved
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.status(), QVariant());
            ts.context()->deleteObject(saved);
            add(QStringLiteral("other"), wednesday(9, 45), QStringLiteral("In"));
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.time(), QVariant(QStringLiteral("09:45")));
            // Saved, the same answer comes from the store alone.
            QVERIFY2(ts.save().isEmpty(), "save");
            many ? p.updateAsMany() : p.update();
            QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
            QCOMPARE(p.time(), QVariant(QStringLiteral("09:45")));
        }
    }

    void dayOfARegistrationIsWrittenOut() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Registration* r = ts.registration("d", "C1", moment(wednesday(23, 59)), "In");
        QCOMPARE(r->getMyDay(), QStringLiteral("wo 11/03/2026"));
    }

    void timeSwitchStartsANewPeriod() {
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        ts.organisation(QStringLiteral("O1"), QStringLiteral("12"));
        Person p(ts, false, {{wednesday(9), QStringLiteral("In")}});
        QVERIFY2(ts.save().isEmpty(), "save");

        Clock::set(wednesday(11, 59));
        QCOMPARE(Util::getBeginRegistrationTime(), moment(wednesday(0)));
        p.update();
        QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
        QCOMPARE(p.time(), QVariant(QStringLiteral("09:00")));

        // The afternoon is a new period: the morning's clock-in no longer counts.
        Clock::set(wednesday(12));
        QCOMPARE(Util::getBeginRegistrationTime(), moment(wednesday(12)));
        p.update();
        QCOMPARE(p.status(), QVariant());
        QCOMPARE(p.time(), QVariant());
        QCOMPARE(p.code(), 0);

        // A registration exactly at the switch is not after it; one a minute later is.
        ts.registration(QStringLiteral("at12"), QStringLiteral("C1"), moment(wednesday(12)),
                        QStringLiteral("Out"));
        QVERIFY2(ts.save().isEmpty(), "save");
        p.update();
        QCOMPARE(p.status(), QVariant());
        ts.registration(QStringLiteral("at1201"), QStringLiteral("C1"), moment(wednesday(12, 1)),
                        QStringLiteral("In"));
        QVERIFY2(ts.save().isEmpty(), "save");
        p.update();
        QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
        QCOMPARE(p.time(), QVariant(QStringLiteral("12:01")));
    }

    void withoutTimeSwitchTheDayIsOnePeriod_data() {
        QTest::addColumn<QVariant>("timeSwitch");
        QTest::newRow("absent") << QVariant();
        QTest::newRow("empty") << QVariant(QStringLiteral(""));
        QTest::newRow("zero") << QVariant(QStringLiteral("0"));
    }

    void withoutTimeSwitchTheDayIsOnePeriod() {
        QFETCH(QVariant, timeSwitch);
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Organisation* o = ts.organisation(QStringLiteral("O1"));
        o->setValueForKey(QStringLiteral("timeSwitch"), timeSwitch);
        Person p(ts, true, {{wednesday(9), QStringLiteral("In")}});
        QVERIFY2(ts.save().isEmpty(), "save");
        QCOMPARE(o->isAbsent(Organisation::index_timeSwitch()), !timeSwitch.isValid());

        Clock::set(wednesday(23, 59));
        QCOMPARE(Util::getBeginRegistrationTime(), moment(wednesday(0)));
        p.update();
        QCOMPARE(p.status(), QVariant(QStringLiteral("In")));
        QCOMPARE(p.time(), QVariant(QStringLiteral("09:00")));
    }

    void clockTimeIsLocal_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("registration");
        QTest::addColumn<QString>("hhmm");

        QTest::newRow("winter") << wednesday(10) << QDateTime(QDate(2026, 3, 11), QTime(7, 30), Qt::UTC)
                                << "08:30";
        QTest::newRow("summer") << local(2026, 7, 1, 10, 0)
                                << QDateTime(QDate(2026, 7, 1), QTime(6, 30), Qt::UTC) << "08:30";
        // The spring change: 02:00 becomes 03:00 local.
        QTest::newRow("spring change, before")
            << local(2026, 3, 29, 10, 0) << QDateTime(QDate(2026, 3, 29), QTime(0, 30), Qt::UTC) << "01:30";
        QTest::newRow("spring change, after")
            << local(2026, 3, 29, 10, 0) << QDateTime(QDate(2026, 3, 29), QTime(1, 30), Qt::UTC) << "03:30";
        QTest::newRow("autumn change, second 02:30")
            << local(2026, 10, 25, 10, 0) << QDateTime(QDate(2026, 10, 25), QTime(1, 30), Qt::UTC) << "02:30";
    }

    void clockTimeIsLocal() {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, registration);
        QFETCH(QString, hhmm);
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Clock::set(now);
        Person child(ts, false, {{registration, QStringLiteral("In")}});
        QVERIFY2(ts.save().isEmpty(), "save");
        child.update();
        QCOMPARE(child.time(), QVariant(hhmm));
        QCOMPARE(child.code(), 1);
    }

    void statusCodes_data() {
        QTest::addColumn<QVariant>("status");
        QTest::addColumn<int>("code");
        QTest::newRow("absent") << QVariant() << 0;
        QTest::newRow("In") << QVariant(QStringLiteral("In")) << 1;
        QTest::newRow("Out") << QVariant(QStringLiteral("Out")) << 2;
        QTest::newRow("Future") << QVariant(QStringLiteral("Future")) << 3;
        QTest::newRow("empty") << QVariant(QStringLiteral("")) << 0;
        QTest::newRow("other text") << QVariant(QStringLiteral("in")) << 0;
    }

    void statusCodes() {
        QFETCH(QVariant, status);
        QFETCH(int, code);
        TemporaryStore ts;
        QVERIFY(ts.isValid());
        Child* c = ts.child(QStringLiteral("C1"), QStringLiteral("Jan"), QStringLiteral("Peeters"));
        Users* u = ts.staff(QStringLiteral("U1E1"), QStringLiteral("U1"), QStringLiteral("Els"),
                            QStringLiteral("Wouters"));
        c->setValueForKey(QStringLiteral("ingeschrevenStatus"), status);
        u->setValueForKey(QStringLiteral("ingeschrevenStatus"), status);
        QCOMPARE(c->isIngeschreven(), code);
        QCOMPARE(u->isIngeschreven(), code);
    }
};

QTEST_GUILESS_MAIN(TestPresence)
#include "tst_presence.moc"
