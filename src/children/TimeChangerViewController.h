#pragma once
// The time picker: an hour wheel (00-23) and a minute wheel (00-59). There is no confirm button:
// every turn that comes to rest is handed to the delegate at once. Used for the chosen clocking
// time (index -1) and for changing the time of a registration row (index >= 0).
// Main thread; owned by its QObject parent. The delegate is not owned and must outlive the picker
// (or be cleared with setDelegate(nullptr)).
#include "ScreenController.h"

#include <QStringList>

class TimeChangerDelegate {
public:
    virtual ~TimeChangerDelegate() = default;
    // begin: "HH:mm" of the two wheels; end: always ":"; index: the picker's index.
    virtual void userDidEnterBeginTime(const QString& begin, const QString& end, int index) = 0;
};

class TimeChangerViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QStringList hours READ hours CONSTANT)
    Q_PROPERTY(QStringList minutes READ minutes CONSTANT)
    Q_PROPERTY(int hourRow READ hourRow NOTIFY wheelsChanged)
    Q_PROPERTY(int minuteRow READ minuteRow NOTIFY wheelsChanged)
    Q_PROPERTY(QString beginUur READ beginUur WRITE setBeginUur NOTIFY wheelsChanged)
    Q_PROPERTY(QString beginMinuten READ beginMinuten WRITE setBeginMinuten NOTIFY wheelsChanged)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged)
public:
    enum Wheel { HourWheel = 0, MinuteWheel = 1 };
    Q_ENUM(Wheel)

    explicit TimeChangerViewController(TimeChangerDelegate* delegate = nullptr, int index = -1,
                                       QObject* parent = nullptr);

    // "00".."23" and "00".."59": the rows of the two wheels.
    static QStringList hours();
    static QStringList minutes();

    TimeChangerDelegate* delegate() const { return m_delegate; }
    void setDelegate(TimeChangerDelegate* delegate) { m_delegate = delegate; }
    int index() const { return m_index; }
    void setIndex(int index);

    int hourRow() const { return m_hourRow; }
    int minuteRow() const { return m_minuteRow; }
    // The zero-padded number of the selected row.
    QString beginUur() const;
    QString beginMinuten() const;
    // Selects the row with that number ("7" or "07"); a text that names no row is ignored.
    // Setting the wheels never calls the delegate: only a turn by the user does.
    void setBeginUur(const QString& hour);
    void setBeginMinuten(const QString& minute);
    // Both wheels from an "HH:mm" text; false (wheels unchanged) when it is not one.
    bool setBeginTime(const QString& hhmm);
    // "HH:mm" of the two wheels.
    QString beginTime() const;

    // A wheel came to rest on a row: selects it and tells the delegate (and beginTimeEntered).
    Q_INVOKABLE void wheelCameToRest(int wheel, int row);

signals:
    void wheelsChanged();
    void indexChanged();
    // Emitted together with the delegate call, for observers that are not the delegate.
    void beginTimeEntered(const QString& begin, const QString& end, int index);

private:
    TimeChangerDelegate* m_delegate;
    int m_index;
    int m_hourRow = 0;
    int m_minuteRow = 0;
};
