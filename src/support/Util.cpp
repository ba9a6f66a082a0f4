#include "Util.h"

#include "Clock.h"
#include "Log.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMutex>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QUuid>
#include <algorithm>
#include <climits>

namespace {

QMutex providerMutex;
std::function<OrganisationSettings()> settingsProvider;

QDateTime localNow() {
    return Clock::now().toLocalTime();
}

// Local midnight at the start of the date; startOfDay also copes with zones whose midnight can be skipped.
QDateTime localStartOfDay(const QDate& date) {
    return date.startOfDay(Qt::LocalTime);
}

QString md5Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

// Six bytes written "AA:BB:CC:DD:EE:FF", not all zero.
bool isUsableHardwareAddress(const QString& address) {
    static const QString zero = QStringLiteral("00:00:00:00:00:00");
    return address.size() == zero.size() && address.count(QLatin1Char(':')) == 5 &&
           address.compare(zero, Qt::CaseInsensitive) != 0;
}

QString primaryHardwareAddress() {
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QString address = iface.hardwareAddress();
        if (isUsableHardwareAddress(address))
            return address;
    }
    return QString();
}

QString computeDeviceIdentifier() {
    const QString address = primaryHardwareAddress();
    if (!address.isEmpty())
        return Util::deviceIdentifierForHardwareAddress(address);
    // No hardware address (containers): the machine id keeps the identifier stable across starts.
    QByteArray machine = QSysInfo::machineUniqueId();
    if (machine.isEmpty())
        machine = QSysInfo::machineHostName().toUtf8();
    CC_LOG(QStringLiteral("No network hardware address; device identifier derived from the machine id"));
    return md5Hex(machine);
}

enum class Field { Years, Months, Days };

QDateTime addField(const QDateTime& base, Field field, int n) {
    switch (field) {
    case Field::Years:
        return base.addYears(n);
    case Field::Months:
        return base.addMonths(n);
    case Field::Days:
        return base.addDays(n);
    }
    return base;
}

// The largest count of the field (in the direction of end) that, added to current, does not pass end;
// current moves on by that count, so the next smaller field starts from there.
int fieldDifference(QDateTime& current, const QDateTime& end, Field field) {
    const QDate from = current.date();
    const QDate to = end.date();
    int n = 0;
    switch (field) {
    case Field::Years:
        n = to.year() - from.year();
        break;
    case Field::Months:
        n = (to.year() - from.year()) * 12 + (to.month() - from.month());
        break;
    case Field::Days:
        n = int(from.daysTo(to));
        break;
    }
    // The estimate is off by a step or two at most (a shorter month, a clock change); the steps are
    // bounded so that a date the calendar cannot place never keeps this looping.
    constexpr int kMaxSteps = 4;
    if (end >= current) {
        n = qMax(n, 0);
        for (int i = 0; i < kMaxSteps && n > 0 && addField(current, field, n) > end; ++i)
            --n;
        for (int i = 0; i < kMaxSteps && addField(current, field, n + 1) <= end; ++i)
            ++n;
    } else {
        n = qMin(n, 0);
        for (int i = 0; i < kMaxSteps && n < 0 && addField(current, field, n) < end; ++i)
            ++n;
        for (int i = 0; i < kMaxSteps && addField(current, field, n - 1) >= end; ++i)
            --n;
    }
    current = addField(current, field, n);
    return n;
}

} // namespace

QString Util::getUUID() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString Util::uniqueGlobalDeviceIdentifier() {
    static const QString identifier = computeDeviceIdentifier();
    return identifier;
}

QString Util::deviceIdentifierForHardwareAddress(const QString& hardwareAddress) {
    return md5Hex(hardwareAddress.toUpper().toUtf8());
}

QString Util::getCurrentDayAsAString() {
    const qint64 ms = localStartOfDay(localNow().date()).toMSecsSinceEpoch();
    return QString::asprintf("%f", double(ms));
}

QString Util::getEndOfTheDay() {
    // Calendar arithmetic: today + 86,400 s lands two days on when a 23-hour day is nearly over.
    return millisText(localStartOfDay(localNow().date().addDays(1)).toMSecsSinceEpoch());
}

void Util::setOrganisationSettingsProvider(std::function<OrganisationSettings()> provider) {
    QMutexLocker lock(&providerMutex);
    settingsProvider = std::move(provider);
}

OrganisationSettings Util::organisationSettings() {
    std::function<OrganisationSettings()> provider;
    {
        QMutexLocker lock(&providerMutex);
        provider = settingsProvider;
    }
    return provider ? provider() : OrganisationSettings();
}

namespace {
// The integer part of a decimal text ("6.5" is 6); ok is false for anything else.
int integerPart(const QString& text, bool* ok) {
    const double value = text.trimmed().toDouble(ok);
    if (!*ok || !qIsFinite(value) || qAbs(value) > 1e6) {
        *ok = false;
        return 0;
    }
    return int(value);
}
} // namespace

int Util::timeSwitchHour(const QString& timeSwitch) {
    bool ok = false;
    const int hour = integerPart(timeSwitch, &ok);
    return ok && hour >= 1 && hour <= 23 ? hour : -1;
}

int Util::timeSwitchIntervalHours(const QString& timeSwitchInterval) {
    bool ok = false;
    const int hours = integerPart(timeSwitchInterval, &ok);
    // A negative interval would recompute on every check; only a positive one is in force.
    return ok && hours > 0 ? hours : 0;
}

QString Util::getBeginRegistrationTime() {
    const OrganisationSettings organisation = organisationSettings();
    return getBeginRegistrationTime(organisation.present ? organisation.timeSwitch : QString());
}

QString Util::getBeginRegistrationTime(const QString& timeSwitch) {
    const QDateTime now = localNow();
    const int switchHour = timeSwitchHour(timeSwitch);
    QDateTime begin = localStartOfDay(now.date());
    if (switchHour >= 0 && now.time().hour() >= switchHour) {
        // A switch hour skipped by the spring clock change comes out as the moment the clock jumps to.
        begin = QDateTime(now.date(), QTime(switchHour, 0), Qt::LocalTime);
    }
    return millisText(begin.toMSecsSinceEpoch());
}

bool Util::timestampsInDifferentOpvangMomentsWithFirstDate(const QDateTime& a, const QDateTime& b) {
    const OrganisationSettings organisation = organisationSettings();
    return timestampsInDifferentOpvangMomentsWithFirstDate(
        a, b, organisation.present ? organisation.timeSwitch : QString());
}

bool Util::timestampsInDifferentOpvangMomentsWithFirstDate(const QDateTime& a, const QDateTime& b,
                                                           const QString& timeSwitch) {
    if (!a.isValid() || !b.isValid())
        return false;
    const QDateTime la = a.toLocalTime();
    const QDateTime lb = b.toLocalTime();
    // Different days are always different periods, also with a time switch: otherwise the afternoon of
    // today would keep yesterday afternoon's statuses.
    if (la.date() != lb.date())
        return true;
    const int switchHour = timeSwitchHour(timeSwitch);
    if (switchHour < 0)
        return false;
    return (la.time().hour() >= switchHour) != (lb.time().hour() >= switchHour);
}

bool Util::shouldRecomputeStatuses(const QString& lastComputed, qint64 nowMs,
                                   const OrganisationSettings& organisation) {
    if (!organisation.present || !organisation.hasOrganisationId)
        return false;
    const int interval = timeSwitchIntervalHours(organisation.timeSwitchInterval);
    const QDateTime last = dateFromMillisText(lastComputed);
    if (!last.isValid())
        return interval > 0; // never computed: longer ago than any interval, but no period change
    const qint64 wholeHours = (nowMs - last.toMSecsSinceEpoch()) / 1000 / 3600;
    if (interval > 0 && wholeHours > interval)
        return true;
    return timestampsInDifferentOpvangMomentsWithFirstDate(last, QDateTime::fromMSecsSinceEpoch(nowMs),
                                                           organisation.timeSwitch);
}

DateComponents Util::DateDiff(const QDateTime& start, const QDateTime& end) {
    DateComponents result;
    if (!start.isValid() || !end.isValid())
        return result;
    // Dates further apart than any real one (a damaged stored value) are told in whole years: the local
    // calendar is not defined that far out.
    constexpr qint64 kYearMs = 31556952000; // the Gregorian year's average
    const qint64 spanMs = start.msecsTo(end);
    if (spanMs > 10000 * kYearMs || spanMs < -10000 * kYearMs) {
        result.years = int(std::clamp<qint64>(spanMs / kYearMs, INT_MIN, INT_MAX));
        return result;
    }
    QDateTime current = start.toLocalTime();
    const QDateTime target = end.toLocalTime();
    result.years = fieldDifference(current, target, Field::Years);
    result.months = fieldDifference(current, target, Field::Months);
    result.days = fieldDifference(current, target, Field::Days);
    qint64 ms = current.msecsTo(target);
    result.hours = int(ms / 3600000);
    ms %= 3600000;
    result.minutes = int(ms / 60000);
    ms %= 60000;
    result.seconds = int(ms / 1000);
    return result;
}

DateComponents Util::DateDiff(const QDateTime& date) {
    return DateDiff(Clock::now(), date);
}

int Util::dayDiff(const QDateTime& start, const QDateTime& end) {
    if (!start.isValid() || !end.isValid())
        return 0;
    QDateTime current = start.toLocalTime();
    return fieldDifference(current, end.toLocalTime(), Field::Days);
}

int Util::dayDiff(const QDateTime& date) {
    return dayDiff(Clock::now(), date);
}

QPair<QString, QString> Util::minNonZeroDateComponent(const DateComponents& difference) {
    struct Unit {
        int value;
        const char* singular;
        const char* plural;
    };
    const Unit units[] = {
        {difference.months, QT_TRANSLATE_NOOP("Util", "maand"), QT_TRANSLATE_NOOP("Util", "maanden")},
        {difference.days, QT_TRANSLATE_NOOP("Util", "dag"), QT_TRANSLATE_NOOP("Util", "dagen")},
        {difference.hours, QT_TRANSLATE_NOOP("Util", "uur"), QT_TRANSLATE_NOOP("Util", "uren")},
        {difference.minutes, QT_TRANSLATE_NOOP("Util", "minuut"), QT_TRANSLATE_NOOP("Util", "minuten")},
        {difference.seconds, QT_TRANSLATE_NOOP("Util", "second"), QT_TRANSLATE_NOOP("Util", "seconden")},
    };
    const Unit* chosen = &units[4];
    for (const Unit& unit : units) {
        if (unit.value != 0) {
            chosen = &unit;
            break;
        }
    }
    const int n = qAbs(chosen->value);
    const char* word = n == 1 ? chosen->singular : chosen->plural;
    return {QCoreApplication::translate("Util", word), QString::asprintf("%i", n)};
}

QString Util::millisText(qint64 ms) {
    return QString::number(ms);
}

QDateTime Util::dateFromMillisText(const QString& text) {
    bool ok = false;
    const double ms = text.trimmed().toDouble(&ok);
    // Beyond the range of QDateTime (about ±292 million years) the rounding itself would overflow.
    if (!ok || !qIsFinite(ms) || qAbs(ms) > 8.0e15)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(qRound64(ms));
}
