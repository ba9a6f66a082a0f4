#include "TimeChangerViewController.h"

#include "Resources.h"

#include <QPointer>

namespace {
QStringList numbers(int count) {
    QStringList rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    return rows;
}

// The row a number text names, or -1.
int rowFor(const QString& text, int count) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= 0 && value < count ? value : -1;
}
} // namespace

TimeChangerViewController::TimeChangerViewController(TimeChangerDelegate* delegate, int index,
                                                     QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/TimeChangerView.qml")), QString(),
                       parent)
    , m_delegate(delegate)
    , m_index(index) {}

QStringList TimeChangerViewController::hours() {
    static const QStringList rows = numbers(24);
    return rows;
}

QStringList TimeChangerViewController::minutes() {
    static const QStringList rows = numbers(60);
    return rows;
}

void TimeChangerViewController::setIndex(int index) {
    if (index == m_index)
        return;
    m_index = index;
    emit indexChanged();
}

QString TimeChangerViewController::beginUur() const {
    return hours().at(m_hourRow);
}

QString TimeChangerViewController::beginMinuten() const {
    return minutes().at(m_minuteRow);
}

void TimeChangerViewController::setBeginUur(const QString& hour) {
    const int row = rowFor(hour, 24);
    if (row < 0 || row == m_hourRow)
        return;
    m_hourRow = row;
    emit wheelsChanged();
}

void TimeChangerViewController::setBeginMinuten(const QString& minute) {
    const int row = rowFor(minute, 60);
    if (row < 0 || row == m_minuteRow)
        return;
    m_minuteRow = row;
    emit wheelsChanged();
}

bool TimeChangerViewController::setBeginTime(const QString& hhmm) {
    const QStringList parts = hhmm.split(QLatin1Char(':'));
    if (parts.size() != 2 || rowFor(parts.at(0), 24) < 0 || rowFor(parts.at(1), 60) < 0)
        return false;
    setBeginUur(parts.at(0));
    setBeginMinuten(parts.at(1));
    return true;
}

QString TimeChangerViewController::beginTime() const {
    return beginUur() + QLatin1Char(':') + beginMinuten();
}

void TimeChangerViewController::wheelCameToRest(int wheel, int row) {
    if (wheel == HourWheel && row >= 0 && row < 24)
        setBeginUur(QString::number(row));
    else if (wheel == MinuteWheel && row >= 0 && row < 60)
        setBeginMinuten(QString::number(row));
    else
        return;
    const QString begin = beginTime();
    const QString end = QStringLiteral(":");
    const int index = m_index;
    const QPointer<TimeChangerViewController> alive(this); // the delegate may close and delete us
    if (m_delegate)
        m_delegate->userDidEnterBeginTime(begin, end, index);
    if (alive)
        emit beginTimeEntered(begin, end, index);
}
