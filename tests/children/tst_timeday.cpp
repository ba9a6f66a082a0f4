// The time and day choice: pickers, the remembered choice across screens and logins, the reset
// gestures, who gets the day button, and the moment a clocking made with the choice gets.
#include "Clock.h"
#include "ClockChoice.h"
#include "Resources.h"
#include "TestStore.h"
#include "UserDefaults.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <memory>

using testing::local;

namespace {
struct Call {
    QString text;
    QString end;
    int index;
};

struct RecordingDelegate : TimeChangerDelegate, DayChangerDelegate {
    QList<Call> calls;
    void userDidEnterBeginTime(const QString& begin, const QString& end, int index) override {
        calls.append({begin, end, index});
    }
    void userDidEnterDay(const QString& day, int index) override { calls.append({day, QString(), index}); }
};

QDateTime utc(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

QQuickItem* findItem(QQuickItem* root, const QString& objectName) {
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, objectName))
            return found;
    return nullptr;
}
} // namespace

class TestTimeDay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void init();
    void cleanup();

    void timeWheels_data();
    void timeWheels();
    void everyRestCallsTheDelegate();
    void dayPickerStart_data();
    void dayPickerStart();
    void dayPickerCallsOnEveryChange();

    void storedChoiceAtSetUp_data();
    void storedChoiceAtSetUp();
    void freshLoginStartsAtNowAndToday();
    void pickedTimeHoldsOnEveryScreen();
    void resetBringsBackNowAndToday();
    void minuteWheelWhileNowSendsTheCurrentHour();
    void nonAdministratorHasNoDay();
    void chosenMoment_data();
    void chosenMoment();
    void buttonsInTheWindow();
    void dayButtonOpensTheCalendar();

private:
    void login(bool admin);
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

void TestTimeDay::login(bool admin) {
    Users* user = m_store->staff(QStringLiteral("UE1"), QStringLiteral("U1"), QStringLiteral("An"),
                                 QStringLiteral("Peeters"), QStringLiteral("E1"), 1, 1, admin ? 1 : 0);
    Users::setSharedUsers(user);
}

void TestTimeDay::timeWheels_data() {
    QTest::addColumn<QString>("uur");
    QTest::addColumn<QString>("minuten");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded") << "07"
                            << "05"
                            << "07:05";
    QTest::newRow("unpadded") << "7"
                              << "5"
                              << "07:05";
    QTest::newRow("last rows") << "23"
                               << "59"
                               << "23:59";
    QTest::newRow("out of range keeps the wheel") << "24"
                                                  << "60"
                                                  << "10:20";
    QTest::newRow("no number keeps the wheel") << "Nu"
                                               << ""
                                               << "10:20";
    QTest::newRow("negative keeps the wheel") << "-1"
                                              << "-5"
                                              << "10:20";
}

void TestTimeDay::timeWheels() {
    QFETCH(QString, uur);
    QFETCH(QString, minuten);
    QFETCH(QString, expected);
    QCOMPARE(TimeChangerViewController::hours().size(), 24);
    QCOMPARE(TimeChangerViewController::minutes().size(), 60);
    QCOMPARE(TimeChangerViewController::minutes().at(9), QStringLiteral("09"));

    RecordingDelegate delegate;
    TimeChangerViewController picker(&delegate, 4);
    picker.setBeginUur(QStringLiteral("10"));
    picker.setBeginMinuten(QStringLiteral("20"));
    picker.setBeginUur(uur);
    picker.setBeginMinuten(minuten);
    QCOMPARE(picker.beginTime(), expected);
    QVERIFY(delegate.calls.isEmpty()); // setting the wheels is no turn by the user
}

void TestTimeDay::everyRestCallsTheDelegate() {
    RecordingDelegate delegate;
    TimeChangerViewController picker(&delegate, 3);
    QSignalSpy entered(&picker, &TimeChangerViewController::beginTimeEntered);
    QVERIFY(picker.setBeginTime(QStringLiteral("14:07")));
    picker.wheelCameToRest(TimeChangerViewController::HourWheel, 9);
    picker.wheelCameToRest(TimeChangerViewController::MinuteWheel, 5);
    picker.wheelCameToRest(TimeChangerViewController::MinuteWheel, 5); // at rest again on the same row
    picker.wheelCameToRest(TimeChangerViewController::HourWheel, 24);  // no such row
    picker.wheelCameToRest(7, 1);                                      // no such wheel
    QCOMPARE(delegate.calls.size(), 3);
    QCOMPARE(delegate.calls.at(0).text, QStringLiteral("09:07"));
    QCOMPARE(delegate.calls.at(1).text, QStringLiteral("09:05"));
    QCOMPARE(delegate.calls.at(2).text, QStringLiteral("09:05"));
    for (const Call& call : std::as_const(delegate.calls)) {
        QCOMPARE(call.end, QStringLiteral(":"));
        QCOMPARE(call.index, 3);
    }
    QCOMPARE(entered.count(), 3);
    QVERIFY(!picker.setBeginTime(QStringLiteral("9.30")));
    QCOMPARE(picker.beginTime(), QStringLiteral("09:05"));

    // Without a delegate a turn still moves the wheel.
    picker.setDelegate(nullptr);
    picker.wheelCameToRest(TimeChangerViewController::HourWheel, 0);
    QCOMPARE(picker.beginTime(), QStringLiteral("00:05"));
}

void TestTimeDay::dayPickerStart_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QDate>("expected");
    const QDate today(2024, 5, 14);
    QTest::newRow("absent") << QString() << today;
    QTest::newRow("Vandaag") << "Vandaag" << today;
    QTest::newRow("a day") << "29/02/2024" << QDate(2024, 2, 29);
    QTest::newRow("far future") << "01/01/2031" << QDate(2031, 1, 1);
    QTest::newRow("no such day") << "31/02/2024" << today;
    QTest::newRow("other format") << "2024-02-29" << today;
}

void TestTimeDay::dayPickerStart() {
    QFETCH(QString, input);
    QFETCH(QDate, expected);
    RecordingDelegate delegate;
    DayChangerViewController picker(&delegate);
    picker.initWithInputDate(input);
    QCOMPARE(picker.date(), expected);
    QCOMPARE(picker.shownMonth(), expected.month());
    QCOMPARE(picker.shownYear(), expected.year());
    QVERIFY(delegate.calls.isEmpty());
}

void TestTimeDay::dayPickerCallsOnEveryChange() {
    RecordingDelegate delegate;
    DayChangerViewController picker(&delegate);
    picker.initWithInputDate(QStringLiteral("Vandaag"));
    picker.pickDay(2024, 5, 14); // today again: no change
    picker.pickDay(2023, 12, 31);
    picker.pickDay(2024, 2, 30); // no such day
    picker.pickDate(QDate(2031, 7, 1));
    QCOMPARE(delegate.calls.size(), 2);
    QCOMPARE(delegate.calls.at(0).text, QStringLiteral("31/12/2023"));
    QCOMPARE(delegate.calls.at(1).text, QStringLiteral("01/07/2031"));
    QCOMPARE(delegate.calls.at(1).index, -1);
    QCOMPARE(picker.shownMonth(), 7);
    picker.initWithInputDate(QStringLiteral("15/12/2024"));
    picker.showNextMonth();
    QCOMPARE(picker.shownMonth(), 1);
    QCOMPARE(picker.shownYear(), 2025);
    picker.showPreviousMonth();
    picker.showPreviousMonth();
    QCOMPARE(picker.shownMonth(), 11);
    QCOMPARE(delegate.calls.size(), 2);
}

void TestTimeDay::storedChoiceAtSetUp_data() {
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QString>("storedTime");
    QTest::addColumn<QString>("storedDay");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("day");
    QTest::newRow("nothing stored") << true << QString() << QString() << "Nu"
                                    << "Vandaag";
    QTest::newRow("both stored") << true << "09:30"
                                 << "16/05/2024"
                                 << "09:30"
                                 << "16/05/2024";
    QTest::newRow("Nu stored") << true << "Nu" << QString() << "Nu"
                               << "Vandaag";
    QTest::newRow("no time") << true << "25:10"
                             << "1/5/2024"
                             << "Nu"
                             << "Vandaag";
    QTest::newRow("empty texts") << true << ""
                                 << ""
                                 << "Nu"
                                 << "Vandaag";
    QTest::newRow("staff: time only") << false << "09:30"
                                      << "16/05/2024"
                                      << "09:30"
                                      << "Vandaag";
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
        QCOMPARE(before.timeTitle(), QStringLiteral("14:45"));
        QCOMPARE(before.dayTitle(), QStringLiteral("20/05/2024"));
    }
    ClockChoice::clearStoredChoice();
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceTimeKey));
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));
    ClockChoice after;
    QCOMPARE(after.timeTitle(), QStringLiteral("Nu"));
    QCOMPARE(after.dayTitle(), QStringLiteral("Vandaag"));
    QVERIFY(after.isNow());
}

void TestTimeDay::pickedTimeHoldsOnEveryScreen() {
    login(false);
    auto childScreen = std::make_unique<ClockChoice>();
    ClockChoice staffScreen;
    QSignalSpy staffTitle(&staffScreen, &ClockChoice::timeTitleChanged);
    TimeChangerViewController* picker = childScreen->selectTime();
    picker->wheelCameToRest(TimeChangerViewController::HourWheel, 9);
    picker->wheelCameToRest(TimeChangerViewController::MinuteWheel, 30);
    QCOMPARE(childScreen->timeTitle(), QStringLiteral("09:30"));
    QCOMPARE(staffScreen.timeTitle(), QStringLiteral("09:30")); // an open screen follows at once
    QCOMPARE(staffTitle.count(), 2);
    QCOMPARE(UserDefaults::standard().stringForKey(ClockChoice::kLastChoiceTimeKey), QStringLiteral("09:30"));

    // Closing the screen and opening another child.
    childScreen.reset();
    ClockChoice next;
    QCOMPARE(next.timeTitle(), QStringLiteral("09:30"));
    // A registration's row index is not the chosen time.
    next.userDidEnterBeginTime(QStringLiteral("11:00"), QStringLiteral(":"), 2);
    QCOMPARE(next.timeTitle(), QStringLiteral("09:30"));
    // The picker starts at the chosen time.
    TimeChangerViewController* again = next.selectTime();
    QCOMPARE(again->beginTime(), QStringLiteral("09:30"));
    QCOMPARE(again->index(), -1);
}

void TestTimeDay::resetBringsBackNowAndToday() {
    login(true);
    ClockChoice choice;
    ClockChoice other;
    choice.userDidEnterBeginTime(QStringLiteral("08:15"), QStringLiteral(":"), -1);
    choice.userDidEnterDay(QStringLiteral("13/05/2024"), -1);
    QVERIFY(!choice.isNow());
    QCOMPARE(other.dayTitle(), QStringLiteral("13/05/2024"));

    choice.resetTime();
    QCOMPARE(choice.timeTitle(), QStringLiteral("Nu"));
    QCOMPARE(other.timeTitle(), QStringLiteral("Nu"));
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceTimeKey));
    QCOMPARE(choice.dayTitle(), QStringLiteral("13/05/2024")); // the day is reset on its own
    QVERIFY(UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));

    other.resetDay();
    QCOMPARE(choice.dayTitle(), QStringLiteral("Vandaag"));
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));
    QVERIFY(choice.isNow());
    QCOMPARE(ClockChoice().timeTitle(), QStringLiteral("Nu"));
}

void TestTimeDay::minuteWheelWhileNowSendsTheCurrentHour() {
    login(false);
    ClockChoice choice;
    TimeChangerViewController* picker = choice.selectTime();
    QCOMPARE(picker->beginTime(), QStringLiteral("14:07"));
    picker->wheelCameToRest(TimeChangerViewController::MinuteWheel, 30);
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:30"));

    // With a time chosen the wheels start there, not at the current time.
    Clock::set(local(2024, 5, 14, 18, 50));
    picker = choice.selectTime();
    picker->wheelCameToRest(TimeChangerViewController::MinuteWheel, 0);
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:00"));
}

void TestTimeDay::nonAdministratorHasNoDay() {
    login(false);
    ClockChoice choice;
    QVERIFY(!choice.dayButtonVisible());
    QVERIFY(choice.selectDay() == nullptr);
    choice.userDidEnterDay(QStringLiteral("20/05/2024"), -1);
    QCOMPARE(choice.dayTitle(), QStringLiteral("Vandaag"));
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));

    // An administrator's choice does not reach a staff member's open screen.
    Users::setSharedUsers(nullptr);
    QVERIFY(!ClockChoice().dayButtonVisible()); // nobody logged in
    login(true);
    ClockChoice admin;
    admin.userDidEnterDay(QStringLiteral("20/05/2024"), -1);
    QCOMPARE(admin.dayTitle(), QStringLiteral("20/05/2024"));
    QCOMPARE(choice.dayTitle(), QStringLiteral("Vandaag"));
    QCOMPARE(choice.chosenMoment(), Clock::now()); // still today at the present moment
}

void TestTimeDay::chosenMoment_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QDateTime>("expected");
    // Brussels: summer time from 31/03/2024 03:00 (02:00 CET), winter time from 27/10/2024 03:00 CEST.
    const QDateTime springDay = utc(2024, 3, 31, 9, 22, 33, 456);  // 11:22:33.456 CEST
    const QDateTime dayBefore = utc(2024, 3, 30, 11, 34, 56, 789); // 12:34:56.789 CET
    QTest::newRow("Vandaag Nu: exact") << springDay << "Nu"
                                       << "Vandaag" << springDay;
    QTest::newRow("Vandaag with a time") << springDay << "09:30"
                                         << "Vandaag" << utc(2024, 3, 31, 7, 30);
    QTest::newRow("Vandaag, time before the switch") << springDay << "01:30"
                                                     << "Vandaag" << utc(2024, 3, 31, 0, 30);
    // A time the clocks skip counts from the switch on.
    QTest::newRow("time in the skipped hour") << springDay << "02:30"
                                              << "Vandaag" << utc(2024, 3, 31, 1, 30);
    QTest::newRow("day with Nu, across the switch") << dayBefore << "Nu"
                                                    << "31/03/2024" << utc(2024, 3, 31, 10, 34);
    QTest::newRow("day and time") << dayBefore << "23:59"
                                  << "31/03/2024" << utc(2024, 3, 31, 21, 59);
    QTest::newRow("autumn day, after the switch") << dayBefore << "12:00"
                                                  << "27/10/2024" << utc(2024, 10, 27, 11, 0);
    QTest::newRow("autumn day, before the switch") << dayBefore << "01:15"
                                                   << "27/10/2024" << utc(2024, 10, 26, 23, 15);
    QTest::newRow("past day with Nu") << springDay << "Nu"
                                      << "01/01/2024" << utc(2024, 1, 1, 10, 22);
}

void TestTimeDay::chosenMoment() {
    QFETCH(QDateTime, now);
    QFETCH(QString, time);
    QFETCH(QString, day);
    QFETCH(QDateTime, expected);
    login(true);
    Clock::set(now);
    ClockChoice choice;
    if (time != QLatin1String("Nu"))
        choice.userDidEnterBeginTime(time, QStringLiteral(":"), -1);
    if (day != QLatin1String("Vandaag"))
        choice.userDidEnterDay(day, -1);
    QCOMPARE(choice.timeTitle(), time);
    QCOMPARE(choice.dayTitle(), day);
    QCOMPARE(choice.isNow(), time == QLatin1String("Nu") && day == QLatin1String("Vandaag"));
    QCOMPARE(choice.chosenMoment().toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
}

void TestTimeDay::buttonsInTheWindow() {
    login(false);
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    ClockChoice choice;
    choice.userDidEnterBeginTime(QStringLiteral("09:30"), QStringLiteral(":"), -1);
    QQmlComponent component(&engine,
                            Resources::qmlUrl(QStringLiteral("children/qml/ClockChoiceButtons.qml")));
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{"choice", QVariant::fromValue<QObject*>(&choice)}}));
    QVERIFY2(object, qPrintable(component.errorString()));
    auto* root = qobject_cast<QQuickItem*>(object.get());
    root->setParentItem(window.contentItem());
    root->setPosition(QPointF(600, 40));
    root->setSize(QSizeF(312, 56));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QQuickItem* timeButton = findItem(root, QStringLiteral("timeSelectionButton"));
    QQuickItem* dayButton = findItem(root, QStringLiteral("dateSelectionButton"));
    QVERIFY(timeButton && dayButton);
    QVERIFY(!dayButton->isVisible());
    QCOMPARE(timeButton->width(), root->width()); // the time button takes the day button's place
    QCOMPARE(timeButton->property("text").toString(), QStringLiteral("09:30"));
    const QPoint centre = timeButton->mapToScene(QPointF(timeButton->width() / 2, 28)).toPoint();

    // A double tap resets and opens nothing.
    QObject* popover = object->property("popover").value<QObject*>();
    QVERIFY(popover);
    QTest::mouseDClick(&window, Qt::LeftButton, {}, centre);
    QTRY_COMPARE(choice.timeTitle(), QStringLiteral("Nu"));
    QCOMPARE(timeButton->property("text").toString(), QStringLiteral("Nu"));
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 200);
    QVERIFY(!popover->property("visible").toBool());

    // A single tap opens the picker below the button, at the current time.
    QTest::mouseClick(&window, Qt::LeftButton, {}, centre);
    QTRY_VERIFY(popover->property("opened").toBool());
    auto* view = popover->property("view").value<QQuickItem*>();
    QVERIFY(view);
    QQuickItem* hours = findItem(view, QStringLiteral("hourWheel"));
    QVERIFY(hours);
    QCOMPARE(hours->property("currentIndex").toInt(), 14);
    QCOMPARE(findItem(view, QStringLiteral("minuteWheel"))->property("currentIndex").toInt(), 7);
    QVERIFY(view->mapToScene(QPointF(0, 0)).y() > timeButton->mapToScene(QPointF(0, 56)).y());

    // Dragging the minute wheel up: where it comes to rest is the chosen time.
    QQuickItem* minutes = findItem(view, QStringLiteral("minuteWheel"));
    QPoint at = minutes->mapToScene(QPointF(minutes->width() / 2, minutes->height() / 2)).toPoint();
    QTest::mousePress(&window, Qt::LeftButton, {}, at);
    for (int step = 0; step < 10; ++step) {
        at.ry() -= 8;
        QTest::mouseMove(&window, at, 20);
    }
    QTest::mouseRelease(&window, Qt::LeftButton, {}, at, 20);
    QTRY_VERIFY(choice.timeTitle() != QLatin1String("Nu"));
    QTRY_VERIFY(!minutes->property("moving").toBool());
    const int minute = minutes->property("currentIndex").toInt();
    QVERIFY2(minute > 7, qPrintable(choice.timeTitle()));
    QCOMPARE(choice.timeTitle(), QStringLiteral("14:%1").arg(minute, 2, 10, QLatin1Char('0')));
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

void TestTimeDay::dayButtonOpensTheCalendar() {
    login(true);
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    QQmlEngine engine;
    QQuickWindow window;
    window.resize(1024, 768);
    ClockChoice choice;
    QQmlComponent component(&engine,
                            Resources::qmlUrl(QStringLiteral("children/qml/ClockChoiceButtons.qml")));
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{"choice", QVariant::fromValue<QObject*>(&choice)}}));
    QVERIFY2(object, qPrintable(component.errorString()));
    auto* root = qobject_cast<QQuickItem*>(object.get());
    root->setParentItem(window.contentItem());
    root->setPosition(QPointF(650, 40));
    root->setSize(QSizeF(312, 56));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QQuickItem* dayButton = findItem(root, QStringLiteral("dateSelectionButton"));
    QVERIFY(dayButton && dayButton->isVisible());
    QTest::mouseClick(&window, Qt::LeftButton, {}, dayButton->mapToScene(QPointF(40, 28)).toPoint());
    QObject* popover = object->property("popover").value<QObject*>();
    QTRY_VERIFY(popover->property("opened").toBool());
    auto* view = popover->property("view").value<QQuickItem*>();
    QVERIFY(view);
    // The popover stays inside the window although the button sits near its right edge.
    const QRectF shown(view->mapToScene(QPointF(0, 0)), view->size());
    QVERIFY2(shown.right() <= 1024 && shown.left() >= 0, qPrintable(QString::number(shown.right())));

    // Tapping the 20th of the shown month (May 2024) picks it.
    QQuickItem* grid = findItem(view, QStringLiteral("monthGrid"));
    QVERIFY(grid);
    QQuickItem* cell = nullptr;
    QList<QQuickItem*> items = grid->childItems();
    while (!items.isEmpty() && !cell) {
        QQuickItem* item = items.takeFirst();
        items << item->childItems();
        if (item->property("text").toString() == QLatin1String("20") && item->opacity() == 1.0)
            cell = item;
    }
    QVERIFY(cell);
    QTest::mouseClick(&window, Qt::LeftButton, {},
                      cell->mapToScene(QPointF(cell->width() / 2, cell->height() / 2)).toPoint());
    QTRY_COMPARE(choice.dayTitle(), QStringLiteral("20/05/2024"));
    QCOMPARE(dayButton->property("text").toString(), QStringLiteral("20/05/2024"));

    // A press of more than a second resets the day and opens nothing.
    QMetaObject::invokeMethod(popover, "close");
    QTRY_VERIFY(!popover->property("visible").toBool());
    const QPoint onDay = dayButton->mapToScene(QPointF(40, 28)).toPoint();
    QTest::mousePress(&window, Qt::LeftButton, {}, onDay);
    QTRY_COMPARE_WITH_TIMEOUT(choice.dayTitle(), QStringLiteral("Vandaag"), 3000);
    QTest::qWait(200);
    // The events carry their own clock: the release must come well after the press there too.
    QTest::mouseRelease(&window, Qt::LeftButton, {}, onDay, 1300);
    QVERIFY(!UserDefaults::standard().contains(ClockChoice::kLastChoiceDayKey));
    QTest::qWait(100);
    QVERIFY(!popover->property("visible").toBool());
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestTimeDay)
#include "tst_timeday.moc"
