#pragma once
// The QML files and drawn assets bundled into the core library, and the one-time set-up an engine
// needs before it loads them. Every *.qml (and qmldir) under src/ is reachable as
// qrc:/cc/<path under src>, every file under assets/ as qrc:/cc/assets/<path under assets>.
#include <QString>
#include <QUrl>

class QQmlEngine;

namespace Resources {
// Call once, before the first QML engine exists: selects the one Qt Quick Controls style of the app.
// Safe to call again.
void initCoreResources();
// qrc:/cc/<pathUnderSrc>, e.g. qmlUrl("app/qml/InfoView.qml"), or the address set below for it.
QUrl qmlUrl(const QString& pathUnderSrc);
// From now on qmlUrl(pathUnderSrc) gives url (an empty url: the bundled file again), e.g. to try a
// view that cannot be loaded. Main thread.
void setQmlUrl(const QString& pathUnderSrc, const QUrl& url);
// qrc:/cc/assets/<name>, for QML image sources.
QUrl assetUrl(const QString& name);
// :/cc/assets/<name>, for QFile.
QString assetPath(const QString& name);
} // namespace Resources
