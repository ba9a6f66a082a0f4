#include "PanelReader.h"

#include "AppSession.h"

#include <QRegularExpression>
#include <QtTest>
#include <algorithm>

using namespace WindowDriver;

namespace PanelReader {

QList<QQuickItem*> rowsInView(const AppSession& session) {
    QList<QQuickItem*> rows;
    QQuickItem* list = session.item(QStringLiteral("overviewList"));
    if (!list)
        return rows;
    const QRect area = sceneRect(list);
    for (int i = 0; i < list->property("count").toInt(); ++i) {
        QQuickItem* row = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, i));
        if (row && row->isVisible() && area.contains(sceneRect(row)))
            rows << row;
    }
    return rows;
}

QQuickItem* rowOf(const AppSession& session, const QString& name) {
    for (QQuickItem* row : rowsInView(session))
        if (row->property("name").toString() == name)
            return row;
    return nullptr;
}

QString iconOf(const AppSession& session, const QString& name) {
    QQuickItem* row = rowOf(session, name);
    return row ? findItem(row, QStringLiteral("presenceIcon"), false)->property("kind").toString()
               : QStringLiteral("?");
}

QString timeOf(const AppSession& session, const QString& name) {
    QQuickItem* row = rowOf(session, name);
    QQuickItem* time = row ? findItem(row, QStringLiteral("presenceTime")) : nullptr;
    return time ? time->property("text").toString() : QString();
}

bool selected(const AppSession& session, const QString& name) {
    QQuickItem* row = rowOf(session, name);
    return row && row->property("selected").toBool();
}

int segmentCount(const AppSession& session, int segment) {
    QStringList titles;
    collectTexts(
        findItem(session.item(QStringLiteral("presenceFilter")), QStringLiteral("segment%1").arg(segment)),
        titles);
    const auto match = QRegularExpression(QStringLiteral("\\((\\d+)\\)$")).match(titles.value(0));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QList<QQuickItem*> inTable(const AppSession& session, const QString& name) {
    QList<QQuickItem*> found = findAll(session.item(QStringLiteral("mainTable")), name);
    std::sort(found.begin(), found.end(),
              [](auto* a, auto* b) { return sceneRect(a).y() < sceneRect(b).y(); });
    return found;
}

QStringList registrationTimes(const AppSession& session) {
    QStringList times;
    for (QQuickItem* t : inTable(session, QStringLiteral("timeText")))
        times << t->property("text").toString();
    return times;
}

void turnWheel(const AppSession& session, QQuickItem* wheel, int target) {
    QVERIFY(wheel);
    QQuickWindow* window = session.window();
    const qreal rowHeight = wheel->height() / wheel->property("visibleItemCount").toInt();
    const QPoint from = wheel->mapToScene(QPointF(wheel->width() / 2, wheel->height() / 2)).toPoint();
    for (int drag = 0; drag < 8 && wheel->property("currentIndex").toInt() != target; ++drag) {
        const int rows = std::clamp(target - wheel->property("currentIndex").toInt(), -2, 2);
        const QPoint to = from - QPoint(0, qRound(rows * rowHeight)); // up: later rows
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        for (int i = 1; i <= 20; ++i)
            QTest::mouseMove(window, from + (to - from) * i / 20, 40);
        QTest::mouseMove(window, to, 400);
        QTest::mouseRelease(window, Qt::LeftButton, {}, to, 400);
        QTRY_VERIFY_WITH_TIMEOUT(!wheel->property("moving").toBool(), 10000);
    }
    QCOMPARE(wheel->property("currentIndex").toInt(), target);
}

void tapOutside(const AppSession& session) {
    QQuickItem* name = session.item(QStringLiteral("naamLabel"));
    QVERIFY(name);
    QTest::mouseClick(session.window(), Qt::LeftButton, {},
                      name->mapToScene(QPointF(name->width() - 10, 10)).toPoint());
}

} // namespace PanelReader
