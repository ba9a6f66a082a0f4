#include "Resources.h"

#include <QHash>
#include <QQuickStyle>

namespace Resources {

namespace {
QHash<QString, QUrl>& replaced() {
    static QHash<QString, QUrl> urls;
    return urls;
}
} // namespace

void initCoreResources() {
    // One style everywhere: Basic draws the same on every platform and is cheap to customise.
    if (QQuickStyle::name().isEmpty())
        QQuickStyle::setStyle(QStringLiteral("Basic"));
}

QUrl qmlUrl(const QString& pathUnderSrc) {
    if (const auto it = replaced().constFind(pathUnderSrc); it != replaced().constEnd())
        return *it;
    return QUrl(QStringLiteral("qrc:/cc/") + pathUnderSrc);
}

void setQmlUrl(const QString& pathUnderSrc, const QUrl& url) {
    if (url.isEmpty())
        replaced().remove(pathUnderSrc);
    else
        replaced().insert(pathUnderSrc, url);
}

QUrl assetUrl(const QString& name) {
    return QUrl(QStringLiteral("qrc:/cc/assets/") + name);
}

QString assetPath(const QString& name) {
    return QStringLiteral(":/cc/assets/") + name;
}

} // namespace Resources
