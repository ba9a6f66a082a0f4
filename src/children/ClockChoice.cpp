#include "ClockChoice.h"

#include "Clock.h"
#include "Entities.h"
#include "UserDefaults.h"

#include <QList>
#include <QRegularExpression>

namespace {
const QString kNu = QStringLiteral("Nu");
const QString kVandaag = QStringLiteral("Vandaag");
const QString kDayFormat = QStringLiteral("dd/MM/yyyy");

// Every live choice, so that a choice made on one screen shows on the others at once.
QList<ClockChoice*>& liveChoices() {
    static auto* choices = new QList<ClockChoice*>; // never destroyed: a choice may go after exit()
    return *choices;
}
} // namespace

const QString ClockChoice::kLastChoiceTimeKey = QStringLiteral("cc_lastChoiceTime");
const QString ClockChoice::kLastChoiceDayKey = QStringLiteral("cc_lastChoiceDay");

ClockChoice::ClockChoice(QObject* parent)
    : QObject(parent)
    , m_timeTitle(kNu)
    , m_dayTitle(kVandaag)
    , m_isAdmin(Users::sharedUserInfo().isAdmin) {
    const UserDefaults& defaults = UserDefaults::standard();
    const QString time = defaults.stringForKey(kLastChoiceTimeKey);
    if (isValidTime(time))
        m_timeTitle = time;
    // A day nobody here can see or reset must not move the clockings.
    const QString day = defaults.stringForKey(kLastChoiceDayKey);
    if (m_isAdmin && isValidDay(day))
        m_dayTitle = day;
    liveChoices().append(this);
}

ClockChoice::~ClockChoice() {
    liveChoices().removeAll(this);
}

bool ClockChoice::isNow() const {
    return m_timeTitle == kNu && m_dayTitle == kVandaag;
}

QDateTime ClockChoice::chosenMoment() const {
    const QDateTime now = Clock::now();
    if (isNow())
        return now;
    const QDate day = m_dayTitle == kVandaag ? now.date() : QDate::fromString(m_dayTitle, kDayFormat);
    const QTime time = m_timeTitle == kNu ? QTime(now.time().hour(), now.time().minute())
                                          : QTime::fromString(m_timeTitle, QStringLiteral("HH:mm"));
    return QDateTime(day, time);
}

void ClockChoice::userDidEnterBeginTime(const QString& begin, const QString&, int index) {
    if (index != -1 || !isValidTime(begin))
        return;
    UserDefaults::standard().setString(kLastChoiceTimeKey, begin);
    for (ClockChoice* choice : liveChoices())
        choice->showTime(begin);
}

void ClockChoice::userDidEnterDay(const QString& day, int index) {
    if (index != -1 || !m_isAdmin || !isValidDay(day))
        return;
    UserDefaults::standard().setString(kLastChoiceDayKey, day);
    for (ClockChoice* choice : liveChoices())
        if (choice->m_isAdmin)
            choice->showDay(day);
}

void ClockChoice::resetTime() {
    UserDefaults::standard().removeObjectForKey(kLastChoiceTimeKey);
    for (ClockChoice* choice : liveChoices())
        choice->showTime(kNu);
}

void ClockChoice::resetDay() {
    UserDefaults::standard().removeObjectForKey(kLastChoiceDayKey);
    for (ClockChoice* choice : liveChoices())
        choice->showDay(kVandaag);
}

TimeChangerViewController* ClockChoice::selectTime() {
    if (m_timePicker)
        m_timePicker->deleteLater();
    m_timePicker = new TimeChangerViewController(this, -1, this);
    const QTime now = Clock::now().time();
    if (!m_timePicker->setBeginTime(m_timeTitle)) {
        m_timePicker->setBeginUur(QString::number(now.hour()));
        m_timePicker->setBeginMinuten(QString::number(now.minute()));
    }
    return m_timePicker;
}

DayChangerViewController* ClockChoice::selectDay() {
    if (m_dayPicker)
        m_dayPicker->deleteLater();
    if (!m_isAdmin)
        return nullptr;
    m_dayPicker = new DayChangerViewController(this, this);
    m_dayPicker->initWithInputDate(m_dayTitle);
    return m_dayPicker;
}

void ClockChoice::closePickers() {
    if (m_timePicker)
        m_timePicker->deleteLater();
    if (m_dayPicker)
        m_dayPicker->deleteLater();
}

void ClockChoice::clearStoredChoice() {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.removeObjectForKey(kLastChoiceTimeKey);
    defaults.removeObjectForKey(kLastChoiceDayKey);
}

bool ClockChoice::isValidTime(const QString& hhmm) {
    static const QRegularExpression pattern(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]$"));
    return pattern.match(hhmm).hasMatch();
}

bool ClockChoice::isValidDay(const QString& ddMMyyyy) {
    const QDate day = QDate::fromString(ddMMyyyy, kDayFormat);
    return day.isValid() && day.toString(kDayFormat) == ddMMyyyy;
}

void ClockChoice::showTime(const QString& title) {
    if (title == m_timeTitle)
        return;
    m_timeTitle = title;
    emit timeTitleChanged();
}

void ClockChoice::showDay(const QString& title) {
    if (title == m_dayTitle)
        return;
    m_dayTitle = title;
    emit dayTitleChanged();
}
