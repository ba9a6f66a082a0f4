#include "OnScreenKeys.h"

#include "WindowDriver.h"

#include <QPointingDevice>
#include <QtQuickTest/quicktest.h>
#include <QRegularExpression>
#include <QtTest>

namespace OnScreenKeys {

namespace {
// The keys under item, on the page shown now (a key's item has both a key code and a display text).
void collectKeys(QQuickItem* item, QList<QQuickItem*>& out) {
    if (!item || !item->isVisible())
        return;
    if (item->property("key").isValid() && item->property("displayText").isValid() && item->isEnabled() &&
        item->width() > 0)
        out << item;
    for (QQuickItem* child : item->childItems())
        collectKeys(child, out);
}

QList<QQuickItem*> keys(QQuickWindow* window) {
    QList<QQuickItem*> found;
    collectKeys(shownPanel(window), found);
    return found;
}

bool isKind(const QQuickItem* item, const char* kind) {
    return QString::fromLatin1(item->metaObject()->className()).startsWith(QLatin1String(kind));
}

QQuickItem* findKey(QQuickWindow* window, const std::function<bool(QQuickItem*)>& match) {
    for (QQuickItem* k : keys(window))
        if (match(k))
            return k;
    return nullptr;
}

// A key's tap, and a moment for the keyboard to redraw (shift state, pages).
bool tapKey(QQuickWindow* window, QQuickItem* k) {
    if (!k)
        return false;
    touchTap(window, k);
    QTest::qWait(30);
    return true;
}

QQuickItem* characterKey(QQuickWindow* window, QChar c) {
    return findKey(window, [&](QQuickItem* k) {
        const QString text = k->property("text").toString();
        return !isKind(k, "SymbolModeKey") && text.size() == 1 && text.at(0).toLower() == c.toLower();
    });
}

// Letters, then the symbols' pages in turn, until the character's key shows.
QQuickItem* showCharacter(QQuickWindow* window, QChar c) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (QQuickItem* k = characterKey(window, c))
            return k;
        QQuickItem* page = findKey(window, [](QQuickItem* k) {
            static const QRegularExpression pages(QStringLiteral("^\\d/\\d$"));
            return pages.match(k->property("displayText").toString()).hasMatch();
        });
        if (!page || attempt == 0)
            page = findKey(window, [](QQuickItem* k) { return isKind(k, "SymbolModeKey"); });
        if (!tapKey(window, page))
            return nullptr;
    }
    return nullptr;
}
} // namespace

QPointingDevice* touchScreen() {
    static QPointingDevice* device = QTest::createTouchDevice();
    return device;
}

void touchTap(QQuickWindow* window, QPointF at) {
    const QPoint p = at.toPoint();
    QTest::touchEvent(window, touchScreen()).press(0, p, window);
    QTest::touchEvent(window, touchScreen()).release(0, p, window);
    QCoreApplication::processEvents();
}

bool touchTap(QQuickWindow* window, QQuickItem* item) {
    if (!item)
        return false;
    for (const QQuickItem* p = item; p; p = p->parentItem())
        if (QQuickTest::qIsPolishScheduled(p) && !QQuickTest::qWaitForPolish(p))
            return false;
    // Something still fading or zooming in (an alert opening) is not tapped yet, as by a person.
    (void)QTest::qWaitFor([&] {
        for (const QQuickItem* p = item; p; p = p->parentItem())
            if (p->scale() != 1.0 || p->opacity() != 1.0)
                return false;
        return true;
    }, 1000);
    touchTap(window, item->mapToScene(QPointF(item->width() / 2, item->height() / 2)));
    return true;
}

void touchDrag(QQuickWindow* window, QPointF from, QPointF to) {
    QTest::touchEvent(window, touchScreen()).press(0, from.toPoint(), window);
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        QTest::qWait(16);
        QTest::touchEvent(window, touchScreen()).move(0, (from + (to - from) * i / kSteps).toPoint(), window);
    }
    QTest::touchEvent(window, touchScreen()).release(0, to.toPoint(), window);
    QCoreApplication::processEvents();
}

QQuickItem* shownPanel(QQuickWindow* window) {
    QQuickItem* panel = window ? WindowDriver::findItem(window->contentItem(), QStringLiteral("inputPanel"), false)
                               : nullptr;
    return panel && panel->parentItem() && panel->parentItem()->property("shown").toBool() ? panel : nullptr;
}

bool waitShown(QQuickWindow* window, bool shown) {
    // Until it has slid all the way in, or out.
    return QTest::qWaitFor(
        [&] {
            QQuickItem* panel = WindowDriver::findItem(window->contentItem(), QStringLiteral("inputPanel"), false);
            if (!panel || (shownPanel(window) != nullptr) != shown)
                return false;
            const qreal top = panel->mapToScene(QPointF(0, 0)).y();
            return qAbs(top - (shown ? window->height() - panel->height() : window->height())) < 0.5;
        },
        3000 * WindowDriver::kSlowdown);
}

QQuickItem* key(QQuickWindow* window, const QString& text) {
    return findKey(window, [&](QQuickItem* k) {
        return k->property("text").toString().compare(text, Qt::CaseInsensitive) == 0 ||
               k->property("displayText").toString() == text;
    });
}

QQuickItem* key(QQuickWindow* window, Qt::Key qtKey) {
    return findKey(window, [&](QQuickItem* k) { return k->property("key").toInt() == int(qtKey); });
}

bool type(QQuickWindow* window, const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            if (!tapKey(window, key(window, Qt::Key_Space)))
                return false;
            continue;
        }
        QQuickItem* k = showCharacter(window, c);
        if (!k)
            return false;
        // Letters come out as the shift state says: capitals after a sentence's start, say.
        if (c.isLetter() && k->property("uppercased").toBool() != c.isUpper()) {
            if (!tapKey(window, key(window, Qt::Key_Shift)) ||
                !QTest::qWaitFor([&] { return k->property("uppercased").toBool() == c.isUpper(); }, 1000))
                return false;
        }
        if (!tapKey(window, k))
            return false;
    }
    // Back to the letters for whatever comes next.
    if (!characterKey(window, QLatin1Char('a'))) {
        QQuickItem* mode = findKey(window, [](QQuickItem* k) { return isKind(k, "SymbolModeKey"); });
        if (!tapKey(window, mode))
            return false;
    }
    return true;
}

bool enter(QQuickWindow* window) {
    return tapKey(window, key(window, Qt::Key_Return));
}

} // namespace OnScreenKeys
