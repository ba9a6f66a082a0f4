#include "PlaceholderViewController.h"

#include "NotificationCenter.h"
#include "Resources.h"

PlaceholderViewController::PlaceholderViewController(const QString& screenName, const QString& description,
                                                     const QUrl& iconUrl, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("app/qml/PlaceholderView.qml")), screenName, parent)
    , m_screenName(screenName)
    , m_description(description)
    , m_iconUrl(iconUrl) {}

QString PlaceholderViewController::message() const {
    return tr("Hier komt het scherm ‘%1’.").arg(m_screenName);
}

void PlaceholderViewController::logout() {
    if (m_offersLogout)
        NotificationCenter::defaultCenter().post(QStringLiteral("logout"), this);
}
