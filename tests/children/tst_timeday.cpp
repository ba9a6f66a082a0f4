// The time and day choice: pickers, the remembered choice across screens and logins, the reset
// gestures, who gets the day button, and the moment a clocking made with the choice gets.
#include "Clock.h"
#include "ClockChoice.h"
#include "Resources.h"
#include "TestStore.h"
#include "UserDefaults.h"
#include "WindowDriver.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStyleHints>
#include <QTest>
#include <memory>

using testing::local;

namespace {
// Every delegate call as "text index".
struct RecordingDelegate : TimeChangerDelegate, DayChangerDelegate {
    QStringList calls;
    void userDidEnterBeginTime(const QString& begin, const QString& end, int index) override {
        calls << QStringLiteral("%1%2 %3").arg(begin, end == QLatin1String(":") ? "" : "?").arg(index);
    }
    void userDidEnterDay(const QString& day, int index) override {
        calls << QStringLiteral("%1 %2").arg(day).arg(index);
    }
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

QQuickItem* findItem(QQuickItem* root, const QString& name) {
    return WindowDriver::findItem(root, name, false); // hidden items too
}

// ClockChoiceButtons for a choice, 312 x 56 at x in a 1024 x 768 window; collects QML warnings.
struct Buttons {
    QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QObject> object;
    QQuickItem* root = nullptr;
    QObject* popover = nullptr;

    Buttons(ClockChoice* choice, qreal x) {
        warnings.clear();
        window.resize(1024, 768);
        QQmlComponent component(&engine, Resources::qmlUrl("children/qml/ClockChoiceButtons.qml"));
        object.reset(
            component.createWithInitialProperties({{"choice", QVariant::fromValue<QObject*>(choice)}}));
        if (!object)
            return;
        root = qobject_cast<QQuickItem*>(object.get());
        root->setParentItem(window.contentItem());
        root->setPosition(QPointF(x, 40));
        root->setSize(QSizeF(312, 56));
        popover = object->property("popover").value<QObject*>();
        window.show();
    }
    ~Buttons() { qInstallMessageHandler(previous); }
    QQuickItem* item(const char* name) const { return findItem(root, QString::fromLatin1(name)); }
    QQuickItem* view() const { return popover->property("view").value<QQuickItem*>(); }
    QPoint centreOf(QQuickItem* i) const {
        return i->mapToScene(QPointF(i->width() / 2, i->height() / 2)).toPoint();
    }
};
} // namespace

class TestTimeDay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void init();
    void cleanup();

    void timePicker();
    void dayPicker_data();
    void dayPicker();
    void storedChoiceAtSetUp_data();
    void storedChoiceAtSetUp();
    void freshLoginStartsAtNowAndToday();
    void pickedTimeHoldsOnEveryScreen();
    void resetBringsBackNowAndToday();
    void minuteWheelWhileNowSendsTheCurrentHour();
    void nonAdministratorHasNoDay();
    void chosenMoment_data();
    void chosenMoment();
    void timeButtonGestures();
    void dayButtonOpensTheCalendar();

private:
    void login(bool admin) {
        Users::setSharedUsers(m_store->staff("UE1", "U1", "An", "Peeters", "E1", 1, 1, admin ? 1 : 0));
    }
    std::unique_ptr<TemporaryStore> m_store;
};

void TestTimeDay::init() {
    m_store = std::make_unique<TemporaryStore>();
    QVERIFY(m_store->isValid());
    Clock::set(local(2024, 5, 14, 14, 7, 12));
}

void TestTimeDay::cleanup() {
    Clock::reset();
    m_store.reset();
}

void TestTimeDay::timePicker() {
    QCOMPARE(TimeChangerViewController::hours().size(), 24);
    QCOMPARE(TimeChangerViewController::minutes().last(), QStringLiteral("59"));
    RecordingDelegate delegate;
    TimeChangerViewController picker(&delegate, 3);
    // Setting the wheels selects rows and tells nobody; a text naming no row changes nothing.
    for (const char* uur : {"7", "24", "-1", "Nu"})
        picker.setBeginUur(uur);
    for (const char* minuten : {"05", "60", ""})
        picker.setBeginMinuten(minuten);
    QCOMPARE(picker.beginTime(), QStringLiteral("07:05"));
    QVERIFY(!picker.setBeginTime(QStringLiteral("9.30")));
    QVERIFY(delegate.calls.isEmpty());

    // Every rest is told at once, also on the same row again; rows and wheels that do not exist are not.
    picker.wheelCameToRest(TimeChangerViewController::HourWheel, 23);
    picker.wheelCameToRest(TimeChangerViewController::MinuteWheel, 0);
    picker.wheelCameToRest(TimeChangerViewController::MinuteWheel, 0);
    picker.wheelCameToRest(TimeChangerViewController::HourWheel, 24);
    picker.wheelCameToRest(7, 1);
    QCOMPARE(delegate.calls, QStringList({"23:05 3", "23:00 3", "23:00 3"}));
}

void TestTimeDay::dayPicker_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QDate>("start");
    const QDate today(2024, 5, 14);
    QTest::newRow("absent") << QString() << today;
    QTest::newRow("Vandaag") << QStringLiteral("Vandaag") << today;
    QTest::newRow("a day") << QStringLiteral("29/02/2024") << QDate(2024, 2, 29);
    QTest::newRow("no such day") << QStringLiteral("31/02/2024") << today;
    QTest::newRow("other format") << QStringLiteral("2024-02-29") << today;
}

void TestTimeDay::dayPicker() {
    QFETCH(QString, input);
    QFETCH(QDate, start);
    RecordingDelegate delegate;
    DayChangerViewController picker(&delegate);
    picker.initWithInputDate(input);
    QCOMPARE(picker.date(), start);
    QCOMPARE(picker.shownMonth(), start.month());
    picker.pickDate(start);      // no change
    picker.pickDay(2024, 2, 30); // no such day
    picker.pickDay(2031, 12, 31);
    picker.pickDay(2023, 1, 2);
    QCOMPARE(delegate.calls, QStringList({"31/12/2031 -1", "02/01/2023 -1"}));
    picker.showPreviousMonth();
    QCOMPARE(picker.shownYear() * 100 + picker.shownMonth(), 202212);
}

void TestTimeDay::storedChoiceAtSetUp_data() {
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QString>("storedTime");
    QTest::addColumn<QString>("storedDay");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("day");
    const auto row = [](const char* name, bool admin, const char* storedTime, const char* storedDay,
                        const char* time, const char* day) {
        QTest::newRow(name) << admin << QString::fromUtf8(storedTime) << QString::fromUtf8(storedDay)
                            << QString::fromUtf8(time) << QString::fromUtf8(day);
    };
    row("nothing stored", true, nullptr, nullptr, "Nu", "Vandaag");
    row("both stored", true, "09:30", "16/05/2024", "09:30", "16/05/2024");
    row("Nu stored", true, "Nu", nullptr, "Nu", "Vandaag");
    row("no time, no day", true, "25:10", "1/5/2024", "Nu", "Vandaag");
    row("empty texts", true, "", "", "Nu", "Vandaag");
    // A day only an administrator can see and reset never moves anybody else's clockings.
    row("staff member", false, "09:30", "16/05/2024", "09:30", "Vandaag");
}

void TestTimeDay::storedChoiceAtSetUp() {
    QFETCH(bool, admin);
    QFETCH(QString, storedTime);
    QFETCH(QString, storedDay);
    login(admin);
    if (!storedTime.isNull())
        UserDefaults::standard().setString(ClockChoice::kLastChoiceTimeKey, storedTime);
    if (!storedDay.isNull())
        UserDefaults::standard().setString(ClockChoice::kLastChoiceDayKey, storedDay);
    ClockChoice choice;
    QTEST(choice.timeTitle(), "time");
    QTEST(choice.dayTitle(), "day");
    QCOMPARE(choice.dayButtonVisible(), admin);
}

void TestTimeDay::freshLoginStartsAtNowAndToday() {
    login(true);
    {
        ClockChoice before;
        before.selectTime()->wheelCameToRest(TimeChangerViewController::MinuteWheel, 45);
        before.selectDay()->pickDay(2024, 5, 20);
        QVERIFY(!before.isNow());
    }
    ClockChoice::clearStoredChoice();
    ClockChoice after;
    QCOMPARE(after.timeTitle(), QStringLiteral("Nu"));
    QCOMPARE(after.dayTitle(), QStringLiteral("Vandaag"));
    QVERIFY(after.isNow());
}

void TestTimeDay::pickedTimeHoldsOnEveryScreen() {
    login(false);
    auto childScreen = std::make_unique<ClockChoice>();
    ClockChoice staffScreen;
    TimeChangerViewController* picker = childScreen->selectTime();
    picker->wheelCameToRest(TimeChangerViewController::HourWheel, 9);
    picker->wheelCameToRest(TimeChangerViewController::MinuteWheel, 30);
    QCOMPARE(childScreen->timeTitle(), QStringLiteral("09:30"));
    QCOMPARE(staffScreen.timeTitle(), QStringLiteral("09:30")); // an open screen follows at once

    childScreen.reset(); // closing the screen and opening another child
    ClockChoice next;
    QCOMPARE(next.timeTitle(), QStringLiteral("09:30"));
    QCOMPARE(next.selectTime()->beginTime(), QStringLiteral("09:30"));
    // A registration row's index is not the chosen time.
    next.userDidEnterBeginTime(QStringLiteral("11:00"), QStringLiteral(":"), 2);
    QCOMPARE(next.timeTitle(), QStringLiteral("09:30"));
}

void TestTimeDay::resetBringsBackNowAndToday() {
    login(true);
    ClockChoice choice;
    ClockChoice other;
    choice.userDidEnterBeginTime(QStringLiteral("08:15"), QStringLiteral(":"), -1);
    choice.userDidEnterDay(QStringLiteral("13/05/2024"), -1);
    UserDefaults& defaults = UserDefaults::standard();

    choice.resetTime();
    QCOMPARE(other.timeTitle(), QStringLiteral("Nu"));
    QVERIFY(!defaults.contains(ClockChoice::kLastChoiceTimeKey));
    QCOMPARE(choice.dayTitle(), QStringLiteral("13/05/2024")); // each is reset on its own
    QCOMPARE(defaults.stringForKey(ClockChoice::kLastChoiceDayKey), QStringLiteral("13/05/2024"));

    other.resetDay();
    QCOMPARE(choice.dayTitle(), QStringLiteral("Vandaag"));
    QVERIFY(!defaults.contains(ClockChoice::kLastChoiceDayKey));
    QVERIFY(choice.isNow());
}

void TestTimeDay::minuteWheelWhileNowSendsTheCurrentHour() {
    login(false);
    ClockChoice choice;
    TimeChangerViewController* picker = choice.selectTime();
    QCOMPARE(picker->beginTime(), QStringLiteral("14:07"));
    picker->wheelCameToRest(TimeChangerViewController::MinuteWheel, 30);
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:30"));
    QCOMPARE(UserDefaults::standard().stringForKey(ClockChoice::kLastChoiceTimeKey), QStringLiteral("14:30"));

    // With a time chosen the wheels start there, not at the current time.
    Clock::set(local(2024, 5, 14, 18, 50));
    choice.selectTime()->wheelCameToRest(TimeChangerViewController::MinuteWheel, 0);
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:00"));
}

void TestTimeDay::nonAdministratorHasNoDay() {
    login(false);
    ClockChoice choice;
    QVERIFY(!choice.dayButtonVisible());
    QVERIFY(!choice.selectDay());
    choice.userDidEnterDay(QStringLiteral("20/05/2024"), -1);
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));

    // An administrator's day does not reach a staff member's open screen either.
    login(true);
    ClockChoice(nullptr).userDidEnterDay(QStringLiteral("20/05/2024"), -1);
    QCOMPARE(choice.dayTitle(), QStringLiteral("Vandaag"));
    QCOMPARE(choice.chosenMoment(), Clock::now());
    Users::setSharedUsers(nullptr);
    QVERIFY(!ClockChoice().dayButtonVisible()); // nobody logged in
}

void TestTimeDay::chosenMoment_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QDateTime>("expected");
    // Brussels: summer time from 31/03/2024 02:00 CET, winter time from 27/10/2024 03:00 CEST.
    const QDateTime springDay = utc(2024, 3, 31, 9, 22, 33, 456);  // 11:22:33.456 CEST
    const QDateTime dayBefore = utc(2024, 3, 30, 11, 34, 56, 789); // 12:34:56.789 CET
    const auto row = [](const char* name, const QDateTime& now, const char* time, const char* day,
                        const QDateTime& expected) {
        QTest::newRow(name) << now << QString::fromLatin1(time) << QString::fromLatin1(day) << expected;
    };
    row("Vandaag Nu: exact, with ms", springDay, "Nu", "Vandaag", springDay);
    row("Vandaag with a time", springDay, "09:30", "Vandaag", utc(2024, 3, 31, 7, 30));
    row("Vandaag, before the switch", springDay, "01:30", "Vandaag", utc(2024, 3, 31, 0, 30));
    row("a skipped time counts from the switch", springDay, "02:30", "Vandaag", utc(2024, 3, 31, 1, 30));
    row("day with Nu, across the switch", dayBefore, "Nu", "31/03/2024", utc(2024, 3, 31, 10, 34));
    row("day and time", dayBefore, "23:59", "31/03/2024", utc(2024, 3, 31, 21, 59));
    row("autumn day, after the switch", dayBefore, "12:00", "27/10/2024", utc(2024, 10, 27, 11, 0));
    row("autumn day, before the switch", dayBefore, "01:15", "27/10/2024", utc(2024, 10, 26, 23, 15));
    row("past day with Nu", springDay, "Nu", "01/01/2024", utc(2024, 1, 1, 10, 22));
}

void TestTimeDay::chosenMoment() {
    QFETCH(QDateTime, now);
    QFETCH(QString, time);
    QFETCH(QString, day);
    QFETCH(QDateTime, expected);
    login(true);
    Clock::set(now);
    ClockChoice choice;
    choice.userDidEnterBeginTime(time, QStringLiteral(":"), -1); // "Nu" is no time: ignored
    choice.userDidEnterDay(day, -1);
    QCOMPARE(choice.timeTitle(), time);
    QCOMPARE(choice.dayTitle(), day);
    QCOMPARE(choice.isNow(), now == expected);
    QCOMPARE(choice.chosenMoment().toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
}

void TestTimeDay::timeButtonGestures() {
    login(false);
    ClockChoice choice;
    choice.userDidEnterBeginTime(QStringLiteral("09:30"), QStringLiteral(":"), -1);
    Buttons b(&choice, 600);
    QVERIFY(b.root && QTest::qWaitForWindowExposed(&b.window));
    QQuickItem* timeButton = b.item("timeSelectionButton");
    QVERIFY(!b.item("dateSelectionButton")->isVisible());
    QCOMPARE(timeButton->width(), b.root->width()); // it takes the day button's place
    QCOMPARE(timeButton->property("text").toString(), QStringLiteral("09:30"));

    // A double tap resets and opens nothing.
    QTest::mouseDClick(&b.window, Qt::LeftButton, {}, b.centreOf(timeButton));
    QTRY_COMPARE(timeButton->property("text").toString(), QStringLiteral("Nu"));
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 200);
    QVERIFY(!b.popover->property("visible").toBool());

    // A single tap opens the picker below the button, at the current time.
    QTest::mouseClick(&b.window, Qt::LeftButton, {}, b.centreOf(timeButton));
    QTRY_VERIFY(b.popover->property("opened").toBool());
    QQuickItem* minutes = findItem(b.view(), QStringLiteral("minuteWheel"));
    QCOMPARE(findItem(b.view(), QStringLiteral("hourWheel"))->property("currentIndex").toInt(), 14);
    QCOMPARE(minutes->property("currentIndex").toInt(), 7);
    QVERIFY(b.view()->mapToScene(QPointF(0, 0)).y() > timeButton->mapToScene(QPointF(0, 56)).y());

    // Dragging the minute wheel up: where it comes to rest is the chosen time.
    QPoint at = b.centreOf(minutes);
    QTest::mousePress(&b.window, Qt::LeftButton, {}, at);
    for (int step = 0; step < 10; ++step)
        QTest::mouseMove(&b.window, at -= QPoint(0, 8), 20);
    QTest::mouseRelease(&b.window, Qt::LeftButton, {}, at, 20);
    QTRY_VERIFY(choice.timeTitle() != QLatin1String("Nu") && !minutes->property("moving").toBool());
    const int minute = minutes->property("currentIndex").toInt();
    QVERIFY2(minute > 7, qPrintable(choice.timeTitle()));
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:%1").arg(minute, 2, 10, QLatin1Char('0')));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void TestTimeDay::dayButtonOpensTheCalendar() {
    login(true);
    ClockChoice choice;
    Buttons b(&choice, 650);
    QVERIFY(b.root && QTest::qWaitForWindowExposed(&b.window));
    QQuickItem* dayButton = b.item("dateSelectionButton");
    QTest::mouseClick(&b.window, Qt::LeftButton, {}, b.centreOf(dayButton));
    QTRY_VERIFY(b.popover->property("opened").toBool());
    // Inside the window although the button sits near its right edge.
    QVERIFY(b.view()->mapToScene(QPointF(b.view()->width(), 0)).x() <= 1024);

    // Tapping the 20th of the shown month (May 2024) picks it.
    QList<QQuickItem*> items = findItem(b.view(), QStringLiteral("monthGrid"))->childItems();
    QQuickItem* cell = nullptr;
    while (!items.isEmpty() && !cell) {
        QQuickItem* item = items.takeFirst();
        items << item->childItems();
        if (item->property("text").toString() == QLatin1String("20") && item->opacity() == 1.0)
            cell = item;
    }
    QVERIFY(cell);
    QTest::mouseClick(&b.window, Qt::LeftButton, {}, b.centreOf(cell));
    QTRY_COMPARE(dayButton->property("text").toString(), QStringLiteral("20/05/2024"));

    // A press of more than a second resets the day and opens nothing.
    QMetaObject::invokeMethod(b.popover, "close");
    QTRY_VERIFY(!b.popover->property("visible").toBool());
    QTest::mousePress(&b.window, Qt::LeftButton, {}, b.centreOf(dayButton));
    QTRY_COMPARE_WITH_TIMEOUT(choice.dayTitle(), QStringLiteral("Vandaag"), 3000);
    // The events carry their own clock: the release must come well after the press there too.
    QTest::mouseRelease(&b.window, Qt::LeftButton, {}, b.centreOf(dayButton), 1300);
    QTest::qWait(100);
    QVERIFY(!b.popover->property("visible").toBool());
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestTimeDay)
#include "tst_timeday.moc"
