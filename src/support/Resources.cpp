#include "Resources.h"

#include <QQuickStyle>

namespace Resources {

void initCoreResources() {
    // One style everywhere: Basic draws the same on every platform and is cheap to customise.
    if (QQuickStyle::name().isEmpty())
        QQuickStyle::setStyle(QStringLiteral("Basic"));
}

QUrl qmlUrl(const QString& pathUnderSrc) {
    return QUrl(QStringLiteral("qrc:/cc/") + pathUnderSrc);
}

QUrl assetUrl(const QString& name) {
    return QUrl(QStringLiteral("qrc:/cc/assets/") + name);
}

QString assetPath(const QString& name) {
    return QStringLiteral(":/cc/assets/") + name;
}

} // namespace Resources
