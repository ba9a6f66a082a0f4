#include "WindowDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QtQuickTest/quicktest.h>
#include <QtTest>

namespace WindowDriver {

namespace {
QStringList collected;
QtMessageHandler previousHandler = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collected.append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

QQuickItem* findItem(QQuickItem* root, const QString& objectName, bool visibleOnly) {
    if (!root)
        return nullptr;
    if (root->objectName() == objectName && (root->isVisible() || !visibleOnly))
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, objectName, visibleOnly))
            return found;
    return nullptr;
}

QQuickItem* findText(QQuickItem* root, const QString& text) {
    if (!root || !root->isVisible())
        return nullptr;
    if (root->inherits("QQuickText") && root->property("text").toString() == text)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findText(child, text))
            return found;
    return nullptr;
}

QList<QQuickItem*> findAll(QQuickItem* root, const QString& objectName) {
    QList<QQuickItem*> found;
    if (!root || !root->isVisible())
        return found;
    if (root->objectName() == objectName)
        found << root;
    for (QQuickItem* child : root->childItems())
        found << findAll(child, objectName);
    return found;
}

QRect sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toAlignedRect();
}

bool tap(QQuickWindow* window, QQuickItem* item) {
    if (!item)
        return false;
    // A column or layout places its children at the next polish: until then they may all lie at one
    // spot, and a finger lands where they will be drawn.
    for (const QQuickItem* p = item; p; p = p->parentItem())
        if (QQuickTest::qIsPolishScheduled(p) && !QQuickTest::qWaitForPolish(p))
            return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

void typeKeys(QQuickWindow* window, const QString& keys) {
    for (const QChar c : keys)
        QTest::keyClick(window, c.toLatin1());
}

void collectTexts(QQuickItem* item, QStringList& out) {
    if (!item || !item->isVisible())
        return;
    const QVariant text = item->property("text");
    if (text.isValid() && item->inherits("QQuickText") && !text.toString().isEmpty())
        out << text.toString();
    for (QQuickItem* child : item->childItems())
        collectTexts(child, out);
}

QString screenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath());
    dir.cdUp();
    dir.mkpath(QStringLiteral("screenshots"));
    return dir.filePath(QStringLiteral("screenshots/") + name + QStringLiteral(".png"));
}

WarningCollector::WarningCollector() {
    collected.clear();
    previousHandler = qInstallMessageHandler(collect);
}

WarningCollector::~WarningCollector() {
    qInstallMessageHandler(previousHandler);
}

QStringList WarningCollector::warnings() const {
    return collected;
}

} // namespace WindowDriver
