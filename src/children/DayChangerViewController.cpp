#include "DayChangerViewController.h"

#include "Clock.h"
#include "Resources.h"

#include "Translations.h"
#include <QPointer>

namespace {
const QString kDayFormat = QStringLiteral("dd/MM/yyyy");
}

DayChangerViewController::DayChangerViewController(DayChangerDelegate* delegate, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/DayChangerView.qml")), QString(),
                       parent)
    , m_delegate(delegate) {
    initWithInputDate(QString());
}

void DayChangerViewController::initWithInputDate(const QString& text) {
    QDate day;
    if (!text.isEmpty() && text != QLatin1String("Vandaag"))
        day = QDate::fromString(text, kDayFormat);
    if (!day.isValid())
        day = Clock::now().date();
    if (day != m_date) {
        m_date = day;
        emit dateChanged();
    }
    showMonthOf(day);
}

QString DayChangerViewController::dayText() const {
    return m_date.toString(kDayFormat);
}

QString DayChangerViewController::shownMonthTitle() const {
    return Translations::locale().standaloneMonthName(m_shownMonth) + QLatin1Char(' ') + QString::number(m_shownYear);
}

QString DayChangerViewController::localeName() const {
    return Translations::locale().name();
}

void DayChangerViewController::pickDate(const QDate& day) {
    if (!day.isValid())
        return;
    showMonthOf(day);
    if (day == m_date)
        return;
    m_date = day;
    emit dateChanged();
    const QString text = dayText();
    const QPointer<DayChangerViewController> alive(this); // the delegate may close and delete us
    if (m_delegate)
        m_delegate->userDidEnterDay(text, kIndex);
    if (alive)
        emit dayEntered(text, kIndex);
}

void DayChangerViewController::pickDay(int year, int month, int day) {
    pickDate(QDate(year, month, day));
}

void DayChangerViewController::showPreviousMonth() {
    showMonthOf(QDate(m_shownYear, m_shownMonth, 1).addMonths(-1));
}

void DayChangerViewController::showNextMonth() {
    showMonthOf(QDate(m_shownYear, m_shownMonth, 1).addMonths(1));
}

void DayChangerViewController::showMonthOf(const QDate& day) {
    if (day.month() == m_shownMonth && day.year() == m_shownYear)
        return;
    m_shownMonth = day.month();
    m_shownYear = day.year();
    emit shownMonthChanged();
}
