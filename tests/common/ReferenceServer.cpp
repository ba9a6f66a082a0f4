#include "ReferenceServer.h"

#include "Clock.h"

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrlQuery>

QString ReferenceServer::binary() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../server/kinderopvang-server"));
}

ReferenceServer::ReferenceServer(bool demo)
    : ReferenceServer(Options{demo, {}, {}, {}, {}}) {}

ReferenceServer::ReferenceServer(const Options& options)
    : m_tls(!options.certificate.isEmpty())
    , m_dataFile(options.dataFile.isEmpty() ? m_dir.filePath(QStringLiteral("server.sqlite"))
                                            : options.dataFile)
    , m_trust(options.trust) {
    QStringList args{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), m_dataFile};
    // The demo's day as the app's clock has it (a test may have set it to a time of day), so what the
    // demo shows does not depend on when the test runs.
    if (options.demo)
        args << QStringLiteral("--demo") << QStringLiteral("--demo-time") << QString::number(Clock::nowMs());
    if (m_tls)
        args << QStringLiteral("--cert") << options.certificate << QStringLiteral("--key") << options.key;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // A test that crashes takes its server along: an orphan would keep the test's output open and
    // make the test runner wait for its time-out.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    m_process.start(binary(), args);
    if (!m_process.waitForStarted(10000))
        return;
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(30000);
    m_port = QString::fromLatin1(m_process.readLine()).trimmed().toInt();
}

ReferenceServer::~ReferenceServer() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

QJsonObject ReferenceServer::send(const QString& method, const QString& path, const QJsonObject& body,
                                  int* status) const {
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(url().toString() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (m_tls) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        if (!m_trust.isEmpty())
            tls.addCaCertificates(QSslCertificate::fromPath(m_trust));
        request.setSslConfiguration(tls);
    }
    const QByteArray data =
        body.isEmpty() ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact);
    QNetworkReply* reply = network.sendCustomRequest(request, method.toLatin1(), data);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return answer;
}

QJsonObject ReferenceServer::get(const QString& pathAndQuery) const {
    static const QStringList lists{"/device", "/entity",    "/user",         "/genericUser",
                                   "/child",  "/timeEntry", "/userTimeEntry"};
    QUrl url(pathAndQuery);
    QUrlQuery query(url);
    if (lists.contains(url.path()) && !query.hasQueryItem(QStringLiteral("organisationId"))) {
        query.addQueryItem(QStringLiteral("organisationId"), QStringLiteral("org-demo"));
        url.setQuery(query);
    }
    return send(QStringLiteral("GET"), url.toString(QUrl::FullyEncoded), {});
}

bool ReferenceServer::setFaults(const QJsonObject& config) const {
    int status = 0;
    send(QStringLiteral("POST"), QStringLiteral("/_test/faults"), config, &status);
    return status == 200;
}

bool ReferenceServer::clearFaults() const {
    int status = 0;
    send(QStringLiteral("DELETE"), QStringLiteral("/_test/faults"), {}, &status);
    return status == 200;
}
