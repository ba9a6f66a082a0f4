#pragma once
// Drives the app's real window the way a finger and a keyboard do: items are found by objectName or
// by the text they show, taps land on their centre, keys go to whatever holds the focus. Also
// collects every warning logged meanwhile and names the screenshot files. Main thread only.
#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>

namespace WindowDriver {

// How much longer a wait for the window may take: sanitized code runs a few times slower.
#ifdef CC_SANITIZED_BUILD
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif

// The item of that name; a hidden one only when asked for (a view fading in from nothing is hidden).
QQuickItem* findItem(QQuickItem* root, const QString& objectName, bool visibleOnly = true);
// The visible text item that shows exactly text (a tile, a row, a button's label), or nullptr.
QQuickItem* findText(QQuickItem* root, const QString& text);
// Every visible item of that name, in tree order.
QList<QQuickItem*> findAll(QQuickItem* root, const QString& objectName);
QRect sceneRect(const QQuickItem* item);
// Taps the centre of an item; false when there is no item.
bool tap(QQuickWindow* window, QQuickItem* item);
// Key presses into whatever holds the keyboard focus (ASCII texts).
void typeKeys(QQuickWindow* window, const QString& keys);
// Every text shown under item, to check what the user reads.
void collectTexts(QQuickItem* item, QStringList& out);
// <build>/screenshots/<name>.png (the folder is made).
QString screenshotPath(const QString& name);

// Every warning, critical or fatal message from construction on; the previous handler comes back
// on destruction.
class WarningCollector {
public:
    WarningCollector();
    ~WarningCollector();
    WarningCollector(const WarningCollector&) = delete;
    WarningCollector& operator=(const WarningCollector&) = delete;
    QStringList warnings() const;
};

} // namespace WindowDriver
