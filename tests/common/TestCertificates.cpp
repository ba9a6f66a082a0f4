#include "TestCertificates.h"

#include <QFile>
#include <QProcess>

namespace {
const QStringList kEcKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

// A minimal authority for "openssl ca", which (unlike "x509 -req" of OpenSSL 3.0) takes any validity dates.
const char* kAuthorityConfig = R"([ca]
default_ca = test
[test]
database = index.txt
new_certs_dir = .
serial = serial.txt
default_md = sha256
policy = anything
copy_extensions = none
unique_subject = no
[anything]
commonName = supplied
[loopback]
subjectAltName = IP:127.0.0.1,DNS:localhost
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
[elsewhere]
subjectAltName = DNS:elsewhere.example
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
)";
} // namespace

TestCertificates::TestCertificates() {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    QFile config(path("ca.cnf"));
    QFile index(path("index.txt"));
    QFile serial(path("serial.txt"));
    if (!config.open(QIODevice::WriteOnly) || config.write(kAuthorityConfig) < 0 ||
        !index.open(QIODevice::WriteOnly) || !serial.open(QIODevice::WriteOnly) || serial.write("01\n") < 0) {
        m_error = QStringLiteral("cannot write the authority's files");
        return;
    }
    config.close();
    index.close();
    serial.close();
    const QString san = QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost");
    openssl(QStringList{"req", "-x509"} + kEcKey +
            QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "3650", "-subj",
                        "/CN=Kinderopvang Test CA", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                        "keyUsage=critical,keyCertSign,cRLSign"}) &&
        openssl(QStringList{"req"} + kEcKey +
                QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"}) &&
        sign("valid.pem", "loopback", {"-days", "30"}) &&
        sign("expired.pem", "loopback", {"-startdate", "20200101000000Z", "-enddate", "20200201000000Z"}) &&
        sign("otherhost.pem", "elsewhere", {"-days", "30"}) &&
        openssl(QStringList{"req", "-x509", "-key", "server.key", "-out", "selfsigned.pem", "-days", "30",
                            "-subj", "/CN=localhost", "-addext", san}) &&
        openssl(
            {"genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-out", "other.key"});
}

bool TestCertificates::sign(const QString& out, const QString& section, const QStringList& dates) {
    return openssl(QStringList{"ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile",
                               "ca.key", "-in", "server.csr", "-out", out, "-extensions", section} +
                   dates);
}

bool TestCertificates::openssl(const QStringList& arguments) {
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), arguments);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        m_error =
            QStringLiteral("openssl %1 failed: %2 %3")
                .arg(arguments.join(QLatin1Char(' ')), p.errorString(), QString::fromLocal8Bit(p.readAll()));
    return ok;
}
