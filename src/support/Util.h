#pragma once
// Identifiers, day boundaries, registration periods and calendar differences. Class operations only;
// every read of "now" goes through Clock, every day boundary is local time (the process time zone).
// Thread-safe.
#include <QDateTime>
#include <QPair>
#include <QString>
#include <functional>

// The organisation's settings that the period rules read. present is false when no organisation is
// stored; hasOrganisationId is false when the stored one has no organisationId yet.
struct OrganisationSettings {
    bool present = false;
    bool hasOrganisationId = false;
    QString timeSwitch;         // hour of the day as decimal text; null when absent
    QString timeSwitchInterval; // hours as decimal text; null when absent
};

// A signed calendar difference; every part is negative (or 0) when the end lies before the start.
struct DateComponents {
    int years = 0;
    int months = 0;
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

class Util {
public:
    // A new UUID, upper-case, 8-4-4-4-12.
    static QString getUUID();

    // Lower-case hex MD5 of the primary interface's hardware address ("AA:BB:CC:DD:EE:FF").
    // Computed once per process; without any hardware address (containers) it falls back to the
    // machine id, so it is still the same on every call and every start.
    static QString uniqueGlobalDeviceIdentifier();
    // The pure part: MD5 of the address text, normalised to upper-case.
    static QString deviceIdentifierForHardwareAddress(const QString& hardwareAddress);

    // Local midnight at the start of today as milliseconds with six decimals ("%f").
    static QString getCurrentDayAsAString();
    // Local midnight at the end of today (the true next midnight, also on 23- and 25-hour days), "%.0f".
    static QString getEndOfTheDay();

    // Start of the current registration period of today, "%.0f". The no-argument form reads the
    // organisation's time switch through the provider; no provider means no organisation.
    static QString getBeginRegistrationTime();
    static QString getBeginRegistrationTime(const QString& timeSwitch);
    static void setOrganisationSettingsProvider(std::function<OrganisationSettings()> provider);
    static OrganisationSettings organisationSettings();

    // The switch hour (1..23) when the time switch is in force, otherwise -1. Absent, empty, "0",
    // non-numeric and out-of-range texts are not in force; a decimal text counts by its integer part.
    static int timeSwitchHour(const QString& timeSwitch);
    // The recompute interval in whole hours when in force (a positive integer part), otherwise 0.
    static int timeSwitchIntervalHours(const QString& timeSwitchInterval);

    // Whether two moments lie in different registration periods. Different local calendar days always
    // do; within one day, with a time switch in force, one hour before and one at/after the switch do.
    // A null or invalid date gives false.
    static bool timestampsInDifferentOpvangMomentsWithFirstDate(const QDateTime& a, const QDateTime& b);
    static bool timestampsInDifferentOpvangMomentsWithFirstDate(const QDateTime& a, const QDateTime& b,
                                                                const QString& timeSwitch);

    // The periodic check's decision to recompute all presence statuses. lastComputed is the stored moment
    // text (null when none is stored): then the elapsed time counts as longer than any interval, but not
    // as a change of period. A text with a fraction is read as its number.
    static bool shouldRecomputeStatuses(const QString& lastComputed, qint64 nowMs,
                                        const OrganisationSettings& organisation);

    // Gregorian calendar difference in local time, largest units first: start plus the years, then the
    // months, then the days (wall-clock arithmetic) and then the hours, minutes and seconds (elapsed
    // time) reaches end without passing it.
    static DateComponents DateDiff(const QDateTime& start, const QDateTime& end);
    static DateComponents DateDiff(const QDateTime& date); // from now to date
    // Whole days from start to end (signed), counted as calendar days in local time.
    static int dayDiff(const QDateTime& start, const QDateTime& end);
    static int dayDiff(const QDateTime& date); // from now to date

    // The largest non-zero part among months, days, hours, minutes (else the seconds) as
    // (localised Dutch unit word, absolute value as "%i"). Years are not looked at.
    static QPair<QString, QString> minNonZeroDateComponent(const DateComponents& difference);

    // Moment texts: milliseconds since 1970 without fraction, and back (a fraction is rounded).
    // An unreadable text gives an invalid QDateTime.
    static QString millisText(qint64 ms);
    static QDateTime dateFromMillisText(const QString& text);
};
