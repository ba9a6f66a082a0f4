// Every screen at every common tablet size, upright and landscape, through the real window: a text cut
// short, a label or button reaching out of the screen, or a finger target under 44 x 44 fails. With
// QT_SCALE_FACTOR=2 (the second CTest run) the same logical sizes are drawn at pixel ratio 2. Each
// screen is saved as <build>/screenshots/layout-<screen>-<w>x<h>[@2].png. Also: turning the tablet
// while in use keeps the selection, the typed text and an open popover.
#include "AppSession.h"
#include "OnScreenKeys.h"
#include "PanelReader.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "WindowDriver.h"

#include <QFontMetricsF>
#include <QQuickItem>
#include <QtTest>

using namespace WindowDriver;

namespace {
constexpr qreal kFinger = 44;
// A child's row may cut a long name, as long as this much of it shows.
constexpr int kNameShown = 16;

bool isText(const QQuickItem* item) {
    return item->inherits("QQuickText");
}

// Something a finger is meant to hit: a control, a mouse area, an item with an enabled tap handler.
bool isTarget(const QQuickItem* item) {
    if (!item->isEnabled())
        return false;
    if (item->inherits("QQuickAbstractButton") || item->inherits("QQuickMouseArea"))
        return true;
    for (const QObject* child : item->children())
        if (child->inherits("QQuickTapHandler") && child->property("enabled").toBool())
            return true;
    return false;
}

// The characters of a cut text still shown before the ellipsis.
int shownCharacters(const QQuickItem* text) {
    const QString full = text->property("text").toString();
    const QFontMetricsF metrics(text->property("font").value<QFont>());
    const QString shown = metrics.elidedText(full, Qt::ElideRight, text->width());
    return int(shown.size()) - (shown.endsWith(QChar(0x2026)) ? 1 : 0);
}

// What a user could see of item: its rectangle within every clipping ancestor and the window.
QRectF seenRect(const QQuickItem* item, const QRectF& window, bool* inScroller) {
    QRectF seen = item->mapRectToScene(item->boundingRect()) & window;
    for (const QQuickItem* p = item->parentItem(); p; p = p->parentItem()) {
        if (p->inherits("QQuickFlickable"))
            *inScroller = true;
        if (p->clip())
            seen &= p->mapRectToScene(p->boundingRect());
    }
    return seen;
}

QString describe(const QQuickItem* item) {
    const QString text = item->property("text").toString();
    QString name = item->objectName();
    for (const QQuickItem* p = item->parentItem(); name.isEmpty() && p; p = p->parentItem())
        name = p->objectName();
    return QStringLiteral("%1 \"%2\" (%3)").arg(QString::fromLatin1(item->metaObject()->className()), text, name);
}

void walk(const QQuickItem* item, const QRectF& window, QStringList& faults) {
    if (!item->isVisible() || item->opacity() < 0.01)
        return;
    bool inScroller = false;
    const QRectF whole = item->mapRectToScene(item->boundingRect());
    const QRectF seen = seenRect(item, window, &inScroller);
    const bool shown = !seen.isEmpty() && item->width() > 0 && item->height() > 0;
    // A row scrolled half out of its list is no fault; anything else shown must lie wholly in view.
    const bool cut = shown && !inScroller && !seen.adjusted(-1, -1, 1, 1).contains(whole);
    if (shown && isText(item) && !item->property("text").toString().isEmpty()) {
        const int length = int(item->property("text").toString().size());
        const bool nameShownEnough = item->objectName() == QLatin1String("personName") &&
                                     shownCharacters(item) >= std::min(kNameShown, length);
        if (item->property("truncated").toBool() && !nameShownEnough)
            faults << describe(item) + QStringLiteral(" is cut short to %1 characters").arg(shownCharacters(item));
        else if (item->property("wrapMode").toInt() == 0 && item->property("fontSizeMode").toInt() == 0 &&
                 item->implicitWidth() > item->width() + 1 && !item->clip())
            faults << describe(item) + QStringLiteral(" spills over (%1 wide in %2)")
                                           .arg(item->implicitWidth())
                                           .arg(item->width());
        if (cut)
            faults << describe(item) + " lies partly out of view";
    }
    if (shown && isTarget(item)) {
        if (item->width() < kFinger - 0.5 || item->height() < kFinger - 0.5)
            faults << describe(item) + QStringLiteral(" is a %1 x %2 target").arg(item->width()).arg(item->height());
        if (cut && item->inherits("QQuickAbstractButton"))
            faults << describe(item) + " lies partly out of view";
    }
    for (const QQuickItem* child : item->childItems())
        walk(child, window, faults);
}
} // namespace

class TestLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QString m_suffix;
    QStringList m_faults;
    QStringList m_screens;

    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickWindow* window() const { return m_session->window(); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }

    // Checks and saves the window as it stands under that screen name.
    void check(const QString& screen) {
        // The login screen's parts fade in over a second.
        for (const char* part : {"staffGridPart", "passwordPanel"})
            (void)QTest::qWaitFor([&] { return !item(part) || item(part)->opacity() == 1.0; }, 3000);
        QTest::qWait(350); // animations and fades settle
        QStringList faults;
        walk(window()->contentItem(), QRectF(QPointF(0, 0), window()->size()), faults);
        faults.removeDuplicates();
        for (const QString& fault : std::as_const(faults))
            m_faults << screen + ": " + fault;
        if (!faults.isEmpty())
            qInfo().noquote() << screen << m_suffix << faults.join("\n    ");
        const QImage shot = window()->grabWindow();
        if (shot.size() != window()->size() * window()->devicePixelRatio())
            m_faults << screen + ": the screenshot is not the window's size";
        shot.save(screenshotPath(QStringLiteral("layout-%1-%2").arg(screen, m_suffix)));
        m_screens << screen;
    }

    bool onScreen(const QString& name) const { return m_session->onScreen(name); }
    bool openMenuEntry(int entry) { return m_session->openMenuEntry(entry); }

    void closePopover() { PanelReader::tapOutside(*m_session); }

private slots:
    // A step that failed leaves its session: what QML complained of on the way tells why.
    void cleanup() {
        if (m_session && m_session->window() && QTest::currentTestFailed()) {
            window()->grabWindow().save(screenshotPath("layout-failed-" + m_suffix));
            qInfo().noquote() << m_session->finish().join('\n');
        }
        m_session.reset();
    }

    void everyScreenFitsEverySize_data() {
        QTest::addColumn<QSize>("size");
        for (const QSize size : {QSize(768, 1024), QSize(800, 1280), QSize(1024, 768), QSize(1280, 800),
                                 QSize(1920, 1200)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }

    void everyScreenFitsEverySize() {
        QFETCH(QSize, size);
        m_faults.clear();
        m_screens.clear();
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        m_session->setWindowSize(size);
        m_session->onScreen([&](const QString& screen) { check(screen); });
        if (!m_session->launch())
            QFAIL(qPrintable(m_session->error() + '\n' + m_session->finish().join('\n')));
        const qreal ratio = window()->devicePixelRatio();
        m_suffix = QStringLiteral("%1x%2").arg(size.width()).arg(size.height()) +
                   (ratio > 1 ? QStringLiteral("@%1").arg(ratio) : QString());
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        const bool upright = size.width() < size.height();

        // The overview, and the menu (a drawer when upright).
        QTRY_VERIFY(item("overviewList") && PanelReader::segmentCount(*m_session, 0) > 0);
        check("overview");
        if (upright) {
            QVERIFY(tapItem("menuButton"));
            QTRY_VERIFY(onScreen("menuEntry0"));
        }
        check("menu");
        QVERIFY(openMenuEntry(0));
        QTRY_VERIFY(item("overviewList") && PanelReader::segmentCount(*m_session, 0) > 0);
        QTest::qWait(500); // the list drawn anew

        // A child chosen: the detail panel and its tabs, the pickers and popovers.
        const QList<QQuickItem*> rows = PanelReader::rowsInView(*m_session);
        QVERIFY(rows.size() > 3);
        QVERIFY(tap(window(), rows[1]));
        QTRY_VERIFY(item("enterButton") && item("tab-1000"));
        check("detail-registraties");
        QVERIFY(tapItem("timeSelectionButton"));
        QTRY_VERIFY(item("hourWheel"));
        check("time-picker");
        closePopover();
        QTRY_VERIFY(!item("hourWheel"));
        QVERIFY(tapItem("dateSelectionButton"));
        QTRY_VERIFY(item("monthGrid"));
        check("day-picker");
        closePopover();
        QTRY_VERIFY(!item("monthGrid"));
        QVERIFY(tapItem("tab-999"));
        QTRY_VERIFY(item("voegProductToe"));
        check("detail-extra");
        QVERIFY(tapItem("voegProductToe"));
        QTRY_VERIFY(item("productList"));
        check("product-adder");
        // The choice opens at its button, clear of the name and the clock buttons.
        for (const char* covered : {"naamLabel", "enterButton", "exitButton"})
            QVERIFY2(!sceneRect(item("productList")).intersects(sceneRect(item(covered))), covered);
        closePopover();
        QTRY_VERIFY(!item("productList"));
        QVERIFY(tapItem("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        check("detail-boodschappen");
        QVERIFY(tapItem("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        check("message-editor");
        QVERIFY(m_session->typeInto("onderwerpField", "Ophalen"));
        QVERIFY(m_session->typeInto("textView", "Oma haalt op om vier uur, met de fiets."));
        QVERIFY(tapItem("saveButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("onderwerpField"), 5000);
        QVERIFY(PanelReader::inTable(*m_session, "messageRow").size() == 1);
        QVERIFY(tap(window(), PanelReader::inTable(*m_session, "messageRow").first()));
        QTRY_VERIFY(item("textView"));
        check("message-read");
        // Read whole, in the table as well as in the popover.
        QCOMPARE(item("textView")->property("text").toString(), QString("Oma haalt op om vier uur, met de fiets."));
        QVERIFY(findText(item("mainTable"), "Oma haalt op om vier uur, met de fiets."));
        closePopover();
        QTRY_VERIFY(!item("textView"));

        // Every other screen of the menu, in its order.
        const QList<std::pair<int, QString>> screens{{1, "group-lists"}, {2, "new-child"}, {3, "info"},
                                                      {4, "staff-search"}, {5, "own-page"}, {6, "admin"},
                                                      {7, "close-out"}};
        for (const auto& [entry, screen] : screens) {
            QVERIFY2(openMenuEntry(entry), qPrintable(screen));
            QTest::qWait(200);
            check(screen);
            if (entry == 1) {
                QVERIFY(m_session->tapText("Leeftijdsgroep"));
                QTRY_VERIFY(m_session->text("Kleuters"));
                QVERIFY(m_session->tapText("Kleuters"));
                QTRY_VERIFY(item("leerlingenList"));
                check("group-children");
            } else if (entry == 4) {
                QTRY_VERIFY(item("row0"));
                QVERIFY(tapItem("row0"));
                QTRY_VERIFY(item("enterButton"));
                check("staff-detail");
            }
        }
        if (upright)
            QVERIFY(tapItem("menuButton"));
        QTRY_VERIFY(onScreen("emergencyRollButton"));
        QVERIFY(tapItem("emergencyRollButton"));
        QTRY_VERIFY(item("emergencyRollView"));
        check("emergency-roll");

        qInfo().noquote() << m_suffix << "screens checked:" << m_screens.join(' ');
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_suffix + ":\n" + m_faults.join('\n')));
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    // Turned upright and back while a message is being written for a chosen child of a search: the
    // search, the choice, the typed text and the open editor all stay; upright, "Terug" shows the list
    // with the child still chosen and "Verder" the panel again.
    void turningKeepsSelectionTextAndPopover() {
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        QTRY_VERIFY(item("overviewList") && PanelReader::segmentCount(*m_session, 0) > 0);
        QVERIFY(m_session->typeInto("searchField", "bog"));
        QTRY_VERIFY(PanelReader::rowsInView(*m_session).size() == 3);
        const QString kid = PanelReader::rowsInView(*m_session).at(1)->property("name").toString();
        QVERIFY(tap(window(), PanelReader::rowOf(*m_session, kid)));
        QTRY_VERIFY(item("tab-998"));
        const QString naam = item("naamLabel")->property("text").toString();
        QVERIFY(tapItem("tab-998"));
        QTRY_VERIFY(item("voegBoodschapToe"));
        QVERIFY(tapItem("voegBoodschapToe"));
        QTRY_VERIFY(item("onderwerpField"));
        QVERIFY(m_session->typeInto("onderwerpField", "Ophalen"));

        int turns = 0;
        for (const QSize size : {QSize(768, 1024), QSize(1024, 768), QSize(768, 1024)}) {
            const QString at = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
            window()->resize(size);
            QTRY_COMPARE(window()->size(), size);
            QTest::qWait(400);
            QVERIFY2(onScreen("onderwerpField"), qPrintable(at));
            QCOMPARE(item("onderwerpField")->property("text").toString(), QString("Ophalen"));
            QVERIFY2(onScreen("naamLabel"), qPrintable(at));
            QCOMPARE(item("naamLabel")->property("text").toString(), naam);
            QCOMPARE(item("searchField")->property("text").toString(), QString("bog"));
            QCOMPARE(onScreen("menuButton"), size.width() < size.height());
            QCOMPARE(onScreen("menuEntry0"), size.width() > size.height());
            m_suffix = at;
            check(QStringLiteral("turned-%1").arg(++turns));
        }
        // Upright: back to the list, the child still chosen; forward to the panel again.
        QVERIFY(tapItem("saveButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item("onderwerpField"), 5000);
        QVERIFY(tapItem("backButton"));
        // The panel slides out to the right, uncovering the list.
        QTRY_VERIFY(!onScreen("naamLabel"));
        QVERIFY(PanelReader::selected(*m_session, kid));
        QCOMPARE(item("searchField")->property("text").toString(), QString("bog"));
        check("turned-back-to-list");
        QVERIFY(!item("backButton"));
        QVERIFY(tapItem("forwardButton"));
        QTRY_VERIFY(onScreen("naamLabel"));
        QCOMPARE(item("naamLabel")->property("text").toString(), naam);
        // A finger swiping in from the left edge brings the menu too.
        OnScreenKeys::touchDrag(window(), QPointF(2, 500), QPointF(320, 500));
        QTRY_VERIFY(onScreen("menuEntry0"));
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join('\n')));
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
