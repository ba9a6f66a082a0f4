#pragma once
// The chosen clocking time and day of a detail screen (children and staff alike): "Nu" or "HH:mm",
// "Vandaag" or "dd/MM/yyyy". The choice is kept in the user defaults "cc_lastChoiceTime" and
// "cc_lastChoiceDay" until it is reset or the next login, and every live ClockChoice follows a
// choice made on any of them. Only administrators get the day button; for anybody else the day
// stays "Vandaag". Main thread; owned by its QObject parent, as are the pickers it opens.
#include "DayChangerViewController.h"
#include "TimeChangerViewController.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

class ClockChoice : public QObject, public TimeChangerDelegate, public DayChangerDelegate {
    Q_OBJECT
    Q_PROPERTY(QString timeTitle READ timeTitle NOTIFY timeTitleChanged)
    Q_PROPERTY(QString dayTitle READ dayTitle NOTIFY dayTitleChanged)
    Q_PROPERTY(bool dayButtonVisible READ dayButtonVisible CONSTANT)
public:
    static const QString kLastChoiceTimeKey; // "cc_lastChoiceTime"
    static const QString kLastChoiceDayKey;  // "cc_lastChoiceDay"

    // Starts at "Nu"/"Vandaag", then applies the stored choice; the day button follows the
    // logged-in staff member's isAdmin at this moment.
    explicit ClockChoice(QObject* parent = nullptr);
    ~ClockChoice() override;

    QString timeTitle() const { return m_timeTitle; }
    QString dayTitle() const { return m_dayTitle; }
    bool dayButtonVisible() const { return m_isAdmin; }

    // Today at the present moment.
    bool isNow() const;
    // The moment a clocking made now means: with "Vandaag" and "Nu" the exact current moment
    // (milliseconds included); otherwise the local "dd/MM/yyyy HH:mm" with "Vandaag" replaced by
    // today and "Nu" by the current hour and minute (seconds zero).
    QDateTime chosenMoment() const;

    // Index -1 only: a valid "HH:mm" becomes the time title and is stored; end is ignored.
    void userDidEnterBeginTime(const QString& begin, const QString& end, int index) override;
    // Index -1 and administrators only: a valid "dd/MM/yyyy" becomes the day title and is stored.
    void userDidEnterDay(const QString& day, int index) override;

    // The double tap and long press: back to "Nu" / "Vandaag" and the stored choice removed.
    Q_INVOKABLE void resetTime();
    Q_INVOKABLE void resetDay();

    // A fresh time picker for this choice (index -1), its wheels at the chosen time or, with
    // "Nu", at the current time. Replaces a picker opened before.
    Q_INVOKABLE TimeChangerViewController* selectTime();
    // A fresh day picker started at the day title; nullptr for non-administrators.
    Q_INVOKABLE DayChangerViewController* selectDay();
    // The popovers closed: the pickers go.
    Q_INVOKABLE void closePickers();

    // At login: the next ClockChoice starts at "Nu" and "Vandaag".
    static void clearStoredChoice();

    static bool isValidTime(const QString& hhmm);
    static bool isValidDay(const QString& ddMMyyyy);

signals:
    void timeTitleChanged();
    void dayTitleChanged();

private:
    void showTime(const QString& title);
    void showDay(const QString& title);

    QString m_timeTitle;
    QString m_dayTitle;
    bool m_isAdmin;
    QPointer<TimeChangerViewController> m_timePicker;
    QPointer<DayChangerViewController> m_dayPicker;
};
