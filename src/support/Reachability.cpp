#include "Reachability.h"

#include <QNetworkInformation>

SystemReachability::SystemReachability(QObject* parent)
    : Reachability(parent) {
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()) {
        connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
                [this] { emit reachabilityChanged(isReachable()); });
    }
}

bool SystemReachability::isReachable() const {
    const QNetworkInformation* info = QNetworkInformation::instance();
    if (!info)
        return true;
    switch (info->reachability()) {
    case QNetworkInformation::Reachability::Disconnected:
        return false;
    case QNetworkInformation::Reachability::Unknown:
        return true;
    default:
        return true; // local or site networks may still reach the organisation's server
    }
}
