#include "ServerAddress.h"

#include "Log.h"
#include "TlsTrust.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace ServerAddress {

namespace {
bool isLoopback(const QUrl& url) {
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}
} // namespace

QString configured(const QString& fromCommandLine, const UserDefaults& settings, const QString& buildDefault) {
    if (!fromCommandLine.trimmed().isEmpty())
        return fromCommandLine.trimmed();
    const QString saved = settings.stringForKey(QLatin1String(kSettingKey)).trimmed();
    if (!saved.isEmpty())
        return saved;
    const QUrl fallback(buildDefault.trimmed());
    if (buildDefault.trimmed().isEmpty() || isLoopback(fallback))
        return QString();
    return buildDefault.trimmed();
}

QString normalised(const QString& typed, QString* problem) {
    QString text = typed.trimmed();
    const auto refuse = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return QString();
    };
    if (text.isEmpty())
        return refuse(QCoreApplication::translate("ServerAddress", "Geef het adres van de server van je organisatie in."));
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("https://"));
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return refuse(QCoreApplication::translate("ServerAddress", "Een serveradres begint met http:// of https://."));
    if (url.host().isEmpty() || url.host().contains(QLatin1Char(' ')))
        return refuse(QCoreApplication::translate("ServerAddress", "Dat adres noemt geen server."));
    if (!url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment())
        return refuse(QCoreApplication::translate("ServerAddress", "Geef enkel het adres van de server, zonder naam, paswoord of ? en #."));
    QUrl clean = url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
    clean.setScheme(scheme);
    clean.setHost(url.host().toLower());
    if (clean.path() == QLatin1String("/"))
        clean.setPath(QString());
    return clean.toString();
}

} // namespace ServerAddress

ServerAddressStep::ServerAddressStep(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this)) {}

void ServerAddressStep::setAddress(const QString& text) {
    if (text == m_address)
        return;
    m_address = text;
    emit addressChanged();
}

void ServerAddressStep::setProblem(const QString& text) {
    if (text == m_problem)
        return;
    m_problem = text;
    emit problemChanged();
}

void ServerAddressStep::confirm() {
    if (checking())
        return;
    QString why;
    const QString address = ServerAddress::normalised(m_address, &why);
    if (address.isEmpty()) {
        setProblem(why);
        return;
    }
    setProblem(QString());
    setAddress(address);
    // The organisation login with no name: any server of the organisation answers it with its envelope
    // (and nothing found), so a web server that merely exists at the address is not taken for it.
    QNetworkRequest request(QUrl(address + QStringLiteral("/userOrganisation")));
    request.setTransferTimeout(m_timeoutMs);
    TlsTrust::apply(request);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::finished, this, [this, reply = m_reply.data(), address] {
        answered(reply, address);
    });
    emit checkingChanged();
}

void ServerAddressStep::answered(QNetworkReply* reply, const QString& address) {
    reply->deleteLater();
    m_reply.clear();
    const QJsonDocument body = QJsonDocument::fromJson(reply->isOpen() ? reply->readAll() : QByteArray());
    const bool envelope = reply->error() == QNetworkReply::NoError && body.isObject() &&
                          body.object().contains(QLatin1String("success"));
    if (!envelope) {
        CC_LOG(QStringLiteral("the server at %1 did not answer as expected: %2")
                   .arg(address, reply->error() == QNetworkReply::NoError ? QStringLiteral("no envelope")
                                                                          : reply->errorString()));
        const bool httpAnswer = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            setProblem(tr("Het certificaat van die server wordt niet vertrouwd."));
        else if (httpAnswer)
            setProblem(tr("Op dat adres antwoordt geen server van een organisatie. Kijk het adres na."));
        else
            setProblem(tr("De server op dat adres antwoordt niet. Kijk het adres en het netwerk na."));
        emit checkingChanged();
        return;
    }
    UserDefaults& settings = UserDefaults::standard();
    settings.setString(QLatin1String(ServerAddress::kSettingKey), address);
    if (!settings.synchronize()) {
        setProblem(tr("Het adres kon niet bewaard worden. Tik opnieuw op Verder om het nog eens te proberen."));
        emit checkingChanged();
        return;
    }
    emit checkingChanged();
    emit accepted(QUrl(address));
}
