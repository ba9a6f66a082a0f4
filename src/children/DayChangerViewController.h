#pragma once
// The day picker: a month calendar without earliest or latest day. Every change of the picked day
// is handed to the delegate at once as "dd/MM/yyyy" with index -1.
// Main thread; owned by its QObject parent. The delegate is not owned and must outlive the picker
// (or be cleared with setDelegate(nullptr)).
#include "ScreenController.h"

#include <QDate>

class DayChangerDelegate {
public:
    virtual ~DayChangerDelegate() = default;
    // day: "dd/MM/yyyy"; index: always -1.
    virtual void userDidEnterDay(const QString& day, int index) = 0;
};

class DayChangerViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QDate date READ date NOTIFY dateChanged)
    Q_PROPERTY(QString dayText READ dayText NOTIFY dateChanged)
    Q_PROPERTY(int shownMonth READ shownMonth NOTIFY shownMonthChanged)
    Q_PROPERTY(int shownYear READ shownYear NOTIFY shownMonthChanged)
    Q_PROPERTY(QString shownMonthTitle READ shownMonthTitle NOTIFY shownMonthChanged)
    // The locale of the month grid's day names: the texts' (Translations::locale()).
    Q_PROPERTY(QString localeName READ localeName CONSTANT)
public:
    static constexpr int kIndex = -1;

    explicit DayChangerViewController(DayChangerDelegate* delegate = nullptr, QObject* parent = nullptr);

    DayChangerDelegate* delegate() const { return m_delegate; }
    void setDelegate(DayChangerDelegate* delegate) { m_delegate = delegate; }

    // Starts at today when the text is empty or "Vandaag", else at the "dd/MM/yyyy" day it names
    // (today when it names none). Shows that day's month; does not call the delegate.
    void initWithInputDate(const QString& text);

    QDate date() const { return m_date; }
    QString dayText() const;
    // The month the calendar shows: 1-12, and its year.
    int shownMonth() const { return m_shownMonth; }
    int shownYear() const { return m_shownYear; }
    // For example "maart 2024", in the device's language.
    QString shownMonthTitle() const;
    QString localeName() const;

    // The user picked a day: when it differs from the picked one, tells the delegate.
    Q_INVOKABLE void pickDate(const QDate& day);
    // The same with the numbers (month 1-12): a JavaScript date can shift a day on its way to a QDate.
    Q_INVOKABLE void pickDay(int year, int month, int day);
    Q_INVOKABLE void showPreviousMonth();
    Q_INVOKABLE void showNextMonth();

signals:
    void dateChanged();
    void shownMonthChanged();
    void dayEntered(const QString& day, int index);

private:
    void showMonthOf(const QDate& day);

    DayChangerDelegate* m_delegate;
    QDate m_date;
    int m_shownMonth = 1;
    int m_shownYear = 2000;
};
