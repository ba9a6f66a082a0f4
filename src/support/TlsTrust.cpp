#include "TlsTrust.h"

#include "Log.h"
#include "UserDefaults.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>
#include <QNetworkRequest>
#include <QSslCertificate>

namespace TlsTrust {

namespace {

struct Loaded {
    QString path;
    QDateTime modified;
    qint64 size = -1;
    QList<QSslCertificate> certificates;
};

QMutex mutex;
Loaded loaded;
quint64 changes = 0;

QList<QSslCertificate> extraCertificates() {
    const QString path = UserDefaults::standard().stringForKey(QLatin1String(kCaCertificateFileKey));
    const QFileInfo info(path);
    QMutexLocker lock(&mutex);
    if (loaded.path == path && loaded.modified == info.lastModified() && loaded.size == info.size())
        return loaded.certificates;
    ++changes;
    loaded = {path, info.lastModified(), info.size(), {}};
    if (path.isEmpty())
        return {};
    loaded.certificates = QSslCertificate::fromPath(path, QSsl::Pem);
    // Only the system's store is left: every https request to a private authority's server fails, visibly.
    if (loaded.certificates.isEmpty())
        CC_LOG(QStringLiteral("no certificates read from %1 (%2)")
                   .arg(path, info.exists() ? QStringLiteral("no PEM certificate in it")
                                            : QStringLiteral("file not found")));
    return loaded.certificates;
}

const QList<QSslCertificate>& systemCertificates() {
    static const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    return system;
}

} // namespace

QSslConfiguration configuration() {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> extra = extraCertificates();
    // Naming authorities ends the backend's lazy loading of the system's: both are named then.
    if (!extra.isEmpty())
        config.setCaCertificates(systemCertificates() + extra);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return config;
}

quint64 generation() {
    QMutexLocker lock(&mutex);
    return changes;
}

void apply(QNetworkRequest& request) {
    if (request.url().scheme() == QLatin1String("https"))
        request.setSslConfiguration(configuration());
}

QString describe(const QList<QSslError>& errors) {
    QStringList kinds;
    for (const QSslError& e : errors) {
        QString kind;
        switch (e.error()) {
        case QSslError::CertificateExpired:
            kind = QStringLiteral("expired");
            break;
        case QSslError::CertificateNotYetValid:
            kind = QStringLiteral("not yet valid");
            break;
        case QSslError::HostNameMismatch:
            kind = QStringLiteral("wrong host");
            break;
        case QSslError::CertificateRevoked:
            kind = QStringLiteral("revoked");
            break;
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            kind = QStringLiteral("untrusted");
            break;
        case QSslError::NoError:
            continue;
        default:
            kind = QStringLiteral("invalid (%1)").arg(int(e.error()));
            break;
        }
        if (!kinds.contains(kind))
            kinds << kind;
    }
    return kinds.join(QStringLiteral(", "));
}

} // namespace TlsTrust
