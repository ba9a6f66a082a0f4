// Util: identifiers, day boundaries (also on the daylight-saving days), registration periods, the
// recompute decision and calendar differences. Expected moments are written in UTC so that a wrong
// local-time computation cannot agree with itself.
#include "support/Clock.h"
#include "support/Log.h"
#include "support/Resources.h"
#include "support/Translations.h"
#include "support/Util.h"

#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <ctime>

namespace {

QDateTime local(int y, int m, int d, int h, int min, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime);
}

QDateTime utc(int y, int m, int d, int h, int min = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC);
}

QString ms(const QDateTime& moment) {
    return QString::number(moment.toMSecsSinceEpoch());
}

OrganisationSettings organisation(const QString& timeSwitch, const QString& interval = QString()) {
    OrganisationSettings o;
    o.present = true;
    o.hasOrganisationId = true;
    o.timeSwitch = timeSwitch;
    o.timeSwitchInterval = interval;
    return o;
}

} // namespace

Q_DECLARE_METATYPE(OrganisationSettings)

class TestUtil : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "Europe/Brussels");
        tzset();
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        // The fixtures rely on the Brussels offsets.
        QCOMPARE(local(2026, 1, 15, 12, 0).offsetFromUtc(), 3600);
        QCOMPARE(local(2026, 7, 15, 12, 0).offsetFromUtc(), 7200);
    }

    void cleanup() {
        Clock::reset();
        Util::setOrganisationSettingsProvider(nullptr);
    }

    // Day and month names come in the language of the texts whatever the device's locale; a device
    // that speaks that language keeps its own variant.
    void datesFollowTheLanguageOfTheTexts_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("locale");
        for (const char* device : {"nl_BE", "nl_NL", "en_US", "de_DE", "fr_BE"}) {
            const bool dutchDevice = QByteArray(device).startsWith("nl");
            QTest::addRow("%s, Dutch texts", device) << device << false << "di 08/12/2026"
                                                     << "december" << (dutchDevice ? device : "nl_BE");
        }
        for (const char* device : {"en_US", "en_GB", "nl_BE", "de_DE"}) {
            const bool englishDevice = QByteArray(device).startsWith("en");
            QTest::addRow("%s, English texts", device) << device << true << "Tue 08/12/2026"
                                                       << "December" << (englishDevice ? device : "en_GB");
        }
    }
    void datesFollowTheLanguageOfTheTexts() {
        QFETCH(QString, device);
        QFETCH(bool, english);
        Resources::initCoreResources();
        QLocale::setDefault(QLocale(device));
        const bool installed = Translations::install(QLocale(english ? QLocale::English : QLocale::Dutch));
        const auto restore = qScopeGuard([] {
            Translations::install(QLocale(QLocale::Dutch));
            QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        });
        QCOMPARE(installed, english);
        QCOMPARE(Translations::language(), english ? QLocale::English : QLocale::Dutch);
        QTEST(Translations::locale().name(), "locale");
        // Half past midnight in Brussels, still the day before in UTC: the local day.
        QTEST(Translations::dateText(utc(2026, 12, 7, 23, 30), "ddd dd/MM/yyyy"), "day");
        QTEST(Translations::locale().standaloneMonthName(12), "month");
    }

    // The log prefix names the operation the same way whichever compiler spelled the signature.
    void logNamesTheOperation_data() {
        QTest::addColumn<QString>("pretty");
        QTest::addColumn<QString>("name");
        QTest::newRow("gcc pointer") << "SelectieLijst* Delegate::lijst()"
                                     << "Delegate::lijst";
        QTest::newRow("clang pointer") << "SelectieLijst *Delegate::lijst()"
                                       << "Delegate::lijst";
        QTest::newRow("clang reference") << "const QString &Users::name() const"
                                         << "Users::name";
        QTest::newRow("gcc anonymous") << "void {anonymous}::flush(int)"
                                       << "flush";
        QTest::newRow("clang anonymous") << "void (anonymous namespace)::flush(int)"
                                         << "flush";
        QTest::newRow("template") << "QList<std::pair<int, int> > Store::pairs(int)"
                                  << "Store::pairs";
    }
    void logNamesTheOperation() {
        QFETCH(QString, pretty);
        QFETCH(QString, name);
        QCOMPARE(Log::qualifiedName(pretty.toLatin1().constData()), name);
    }

    void uuidsAreUpperCaseAndUnique() {
        static const QRegularExpression form(
            QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            const QString uuid = Util::getUUID();
            QVERIFY2(form.match(uuid).hasMatch(), qPrintable(uuid));
            seen.insert(uuid);
        }
        QCOMPARE(seen.size(), 200);
    }

    void deviceIdentifier() {
        QCOMPARE(Util::deviceIdentifierForHardwareAddress(QStringLiteral("AA:BB:CC:DD:EE:FF")),
                 QStringLiteral("6393cfc4ab6d416690b21278957aeab2"));
        QCOMPARE(Util::deviceIdentifierForHardwareAddress(QStringLiteral("aa:bb:cc:dd:ee:ff")),
                 QStringLiteral("6393cfc4ab6d416690b21278957aeab2"));

        const QString id = Util::uniqueGlobalDeviceIdentifier();
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(id).hasMatch(), qPrintable(id));
        QCOMPARE(Util::uniqueGlobalDeviceIdentifier(), id);
    }

    void dayBoundaries_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::newRow("winter day") << local(2026, 1, 15, 10, 0) << utc(2026, 1, 14, 23)
                                    << utc(2026, 1, 15, 23);
        QTest::newRow("summer day") << local(2026, 7, 15, 10, 0) << utc(2026, 7, 14, 22)
                                    << utc(2026, 7, 15, 22);
        // 23-hour day: midnight at the start is CET, at the end CEST.
        QTest::newRow("29 March 10:00")
            << local(2026, 3, 29, 10, 0) << utc(2026, 3, 28, 23) << utc(2026, 3, 29, 22);
        // The day before the 23-hour day: 24 elapsed hours from 23:30 already land on 30 March.
        QTest::newRow("28 March 23:30")
            << local(2026, 3, 28, 23, 30) << utc(2026, 3, 27, 23) << utc(2026, 3, 28, 23);
        QTest::newRow("29 March 23:30")
            << local(2026, 3, 29, 23, 30) << utc(2026, 3, 28, 23) << utc(2026, 3, 29, 22);
        // 25-hour day.
        QTest::newRow("25 October 00:30")
            << local(2026, 10, 25, 0, 30) << utc(2026, 10, 24, 22) << utc(2026, 10, 25, 23);
        QTest::newRow("25 October 10:00")
            << local(2026, 10, 25, 10, 0) << utc(2026, 10, 24, 22) << utc(2026, 10, 25, 23);
        QTest::newRow("one ms before midnight")
            << local(2026, 1, 15, 23, 59, 59).addMSecs(999) << utc(2026, 1, 14, 23) << utc(2026, 1, 15, 23);
    }

    void dayBoundaries() {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        Clock::set(now);
        QCOMPARE(Util::getCurrentDayAsAString(), ms(start) + QStringLiteral(".000000"));
        QCOMPARE(Util::getEndOfTheDay(), ms(end));
        // No time switch: the period starts at midnight.
        QCOMPARE(Util::getBeginRegistrationTime(), ms(start));
    }

    void beginTimeWithSwitch_data() {
        QTest::addColumn<QString>("timeSwitch");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("begin");
        QTest::newRow("12 at 11:59") << "12" << local(2026, 3, 10, 11, 59, 59) << utc(2026, 3, 9, 23);
        QTest::newRow("12 at 12:00") << "12" << local(2026, 3, 10, 12, 0) << utc(2026, 3, 10, 11);
        QTest::newRow("0") << "0" << local(2026, 3, 10, 15, 0) << utc(2026, 3, 9, 23);
        QTest::newRow("empty") << "" << local(2026, 3, 10, 15, 0) << utc(2026, 3, 9, 23);
        QTest::newRow("absent") << QString() << local(2026, 3, 10, 15, 0) << utc(2026, 3, 9, 23);
        QTest::newRow("not a number") << "twaalf" << local(2026, 3, 10, 15, 0) << utc(2026, 3, 9, 23);
        QTest::newRow("out of range") << "24" << local(2026, 3, 10, 15, 0) << utc(2026, 3, 9, 23);
        QTest::newRow("12 on 29 March") << "12" << local(2026, 3, 29, 13, 0) << utc(2026, 3, 29, 10);
        QTest::newRow("12 on 25 October") << "12" << local(2026, 10, 25, 13, 0) << utc(2026, 10, 25, 11);
        // 02:00 does not exist on 29 March: the period starts when the clock jumps to 03:00.
        QTest::newRow("2 skipped by the clock") << "2" << local(2026, 3, 29, 10, 0) << utc(2026, 3, 29, 1);
    }

    void beginTimeWithSwitch() {
        QFETCH(QString, timeSwitch);
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, begin);
        Clock::set(now);
        QCOMPARE(Util::getBeginRegistrationTime(timeSwitch), ms(begin));
    }

    void beginTimeReadsTheOrganisation() {
        Clock::set(local(2026, 3, 10, 15, 0));
        QCOMPARE(Util::getBeginRegistrationTime(), ms(utc(2026, 3, 9, 23)));

        Util::setOrganisationSettingsProvider([] { return organisation(QStringLiteral("12")); });
        QCOMPARE(Util::getBeginRegistrationTime(), ms(utc(2026, 3, 10, 11)));

        Util::setOrganisationSettingsProvider([] {
            OrganisationSettings gone = organisation(QStringLiteral("12"));
            gone.present = false;
            return gone;
        });
        QCOMPARE(Util::getBeginRegistrationTime(), ms(utc(2026, 3, 9, 23)));
    }

    void differentPeriods_data() {
        QTest::addColumn<QDateTime>("a");
        QTest::addColumn<QDateTime>("b");
        QTest::addColumn<QString>("timeSwitch");
        QTest::addColumn<bool>("different");
        QTest::newRow("no switch, 23:59 yesterday / 00:01 today")
            << local(2026, 3, 9, 23, 59) << local(2026, 3, 10, 0, 1) << QString() << true;
        QTest::newRow("no switch, 00:01 / 23:59 same day")
            << local(2026, 3, 10, 0, 1) << local(2026, 3, 10, 23, 59) << QString() << false;
        QTest::newRow("no switch, same day a year apart")
            << local(2025, 3, 10, 9, 0) << local(2026, 3, 10, 9, 0) << QString() << true;
        // Same UTC date, different Brussels dates.
        QTest::newRow("no switch, local day decides")
            << utc(2026, 3, 9, 22, 30) << utc(2026, 3, 9, 23, 30) << QString() << true;
        QTest::newRow("switch 12, 11:00 / 13:00 same day")
            << local(2026, 3, 10, 11, 0) << local(2026, 3, 10, 13, 0) << "12" << true;
        QTest::newRow("switch 12, 13:00 / 11:00 same day")
            << local(2026, 3, 10, 13, 0) << local(2026, 3, 10, 11, 0) << "12" << true;
        QTest::newRow("switch 12, 11:59 / 12:00")
            << local(2026, 3, 10, 11, 59) << local(2026, 3, 10, 12, 0) << "12" << true;
        QTest::newRow("switch 12, 13:00 / 14:00 same day")
            << local(2026, 3, 10, 13, 0) << local(2026, 3, 10, 14, 0) << "12" << false;
        QTest::newRow("switch 12, 13:00 yesterday / 14:00 today")
            << local(2026, 3, 9, 13, 0) << local(2026, 3, 10, 14, 0) << "12" << true;
        QTest::newRow("switch 12, 11:00 yesterday / 13:00 today")
            << local(2026, 3, 9, 11, 0) << local(2026, 3, 10, 13, 0) << "12" << true;
        QTest::newRow("switch 12, 23:59 yesterday / 00:01 today")
            << local(2026, 3, 9, 23, 59) << local(2026, 3, 10, 0, 1) << "12" << true;
        QTest::newRow("switch 0 is no switch")
            << local(2026, 3, 10, 11, 0) << local(2026, 3, 10, 13, 0) << "0" << false;
        QTest::newRow("missing date") << QDateTime() << local(2026, 3, 10, 13, 0) << "12" << false;
    }

    void differentPeriods() {
        QFETCH(QDateTime, a);
        QFETCH(QDateTime, b);
        QFETCH(QString, timeSwitch);
        QFETCH(bool, different);
        QCOMPARE(Util::timestampsInDifferentOpvangMomentsWithFirstDate(a, b, timeSwitch), different);
        Util::setOrganisationSettingsProvider([timeSwitch] { return organisation(timeSwitch); });
        QCOMPARE(Util::timestampsInDifferentOpvangMomentsWithFirstDate(a, b), different);
    }

    void dateDiff_data() {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QList<int>>("parts"); // years, months, days, hours, minutes, seconds
        const QDateTime noon = local(2026, 3, 10, 12, 0);
        QTest::newRow("90 s ago") << noon << noon.addSecs(-90) << QList<int>{0, 0, 0, 0, -1, -30};
        QTest::newRow("1 year 4 days ago")
            << noon << local(2025, 3, 6, 12, 0) << QList<int>{-1, 0, -4, 0, 0, 0};
        QTest::newRow("1 year 4 days ahead")
            << local(2025, 3, 6, 12, 0) << noon << QList<int>{1, 0, 4, 0, 0, 0};
        QTest::newRow("month end") << local(2026, 1, 31, 9, 0) << local(2026, 3, 1, 10, 30, 5)
                                   << QList<int>{0, 1, 1, 1, 30, 5};
        // A calendar day across the clock change is 23 elapsed hours.
        QTest::newRow("across 29 March")
            << local(2026, 3, 28, 12, 0) << local(2026, 3, 29, 12, 0) << QList<int>{0, 0, 1, 0, 0, 0};
        QTest::newRow("just short of a day across 25 October")
            << local(2026, 10, 24, 12, 0) << local(2026, 10, 25, 11, 30) << QList<int>{0, 0, 0, 24, 30, 0};
        QTest::newRow("fractions of a second are dropped")
            << noon << noon.addMSecs(-1999) << QList<int>{0, 0, 0, 0, 0, -1};
        // A damaged stored date: told in whole years at once, never stepped through.
        QTest::newRow("95 million years ahead")
            << QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)
            << QDateTime::fromMSecsSinceEpoch(3020850608000608000, Qt::UTC)
            << QList<int>{95726944, 0, 0, 0, 0, 0};
        QTest::newRow("far behind") << noon << QDateTime::fromMSecsSinceEpoch(-9000000000000000000, Qt::UTC)
                                    << QList<int>{-285198702, 0, 0, 0, 0, 0};
    }

    void dateDiff() {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QList<int>, parts);
        const DateComponents d = Util::DateDiff(start, end);
        QCOMPARE((QList<int>{d.years, d.months, d.days, d.hours, d.minutes, d.seconds}), parts);
    }

    void minNonZeroDateComponent_data() {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("word");
        const QDateTime now = local(2026, 3, 10, 12, 0);
        QTest::newRow("90 s ago") << now.addSecs(-90) << "1"
                                  << "minuut";
        QTest::newRow("3 h 2 min ago") << now.addSecs(-(3 * 3600 + 120)) << "3"
                                       << "uren";
        QTest::newRow("1 h ago") << now.addSecs(-3600) << "1"
                                 << "uur";
        QTest::newRow("exactly 1 year 4 days ago") << local(2025, 3, 6, 12, 0) << "4"
                                                   << "dagen";
        QTest::newRow("1 day 5 h ago") << now.addDays(-1).addSecs(-5 * 3600) << "1"
                                       << "dag";
        QTest::newRow("2 months ago") << local(2026, 1, 10, 12, 0) << "2"
                                      << "maanden";
        QTest::newRow("1 month ahead") << local(2026, 4, 10, 13, 0) << "1"
                                       << "maand";
        QTest::newRow("5 min ago") << now.addSecs(-300) << "5"
                                   << "minuten";
        QTest::newRow("now") << now << "0"
                             << "seconden";
        QTest::newRow("1 s ago") << now.addSecs(-1) << "1"
                                 << "second";
    }

    void minNonZeroDateComponent() {
        QFETCH(QDateTime, date);
        QFETCH(QString, value);
        QFETCH(QString, word);
        Clock::set(local(2026, 3, 10, 12, 0));
        const auto phrase = Util::minNonZeroDateComponent(Util::DateDiff(date));
        QCOMPARE(phrase.first, word);
        QCOMPARE(phrase.second, value);
    }

    void dayDiff_data() {
        QTest::addColumn<qint64>("secondsAhead");
        QTest::addColumn<int>("days");
        QTest::newRow("30 h ahead") << qint64(30 * 3600) << 1;
        QTest::newRow("20 h ahead") << qint64(20 * 3600) << 0;
        QTest::newRow("30 h ago") << qint64(-30 * 3600) << -1;
        QTest::newRow("400 days ahead") << qint64(400) * 86400 << 400;
    }

    void dayDiff() {
        QFETCH(qint64, secondsAhead);
        QFETCH(int, days);
        const QDateTime now = local(2026, 3, 10, 12, 0);
        Clock::set(now);
        QCOMPARE(Util::dayDiff(now.addSecs(secondsAhead)), days);
    }

    void dayDiffCountsCalendarDays() {
        // 23 elapsed hours over the spring clock change are one day; 22.5 are none.
        QCOMPARE(Util::dayDiff(local(2026, 3, 28, 12, 0), local(2026, 3, 29, 12, 0)), 1);
        QCOMPARE(Util::dayDiff(local(2026, 3, 28, 12, 0), local(2026, 3, 29, 11, 30)), 0);
        QCOMPARE(Util::dayDiff(local(2026, 10, 26, 12, 0), local(2026, 10, 24, 12, 0)), -2);
    }

    void millisTexts() {
        const QDateTime moment = utc(2026, 3, 10, 11, 0).addMSecs(123);
        QCOMPARE(Util::millisText(moment.toMSecsSinceEpoch()), QStringLiteral("1773140400123"));
        QCOMPARE(Util::dateFromMillisText(QStringLiteral("1773140400123")), moment);
        QCOMPARE(Util::dateFromMillisText(QStringLiteral("1773140400123.000000")), moment);
        QVERIFY(!Util::dateFromMillisText(QStringLiteral("gisteren")).isValid());
        QVERIFY(!Util::dateFromMillisText(QString()).isValid());
        QVERIFY(!Util::dateFromMillisText(QStringLiteral("1e300")).isValid());
    }
};

QTEST_GUILESS_MAIN(TestUtil)
#include "tst_util.moc"
