#pragma once
// Certificates made for a test run with the openssl command, in a temporary folder: an authority, a
// server certificate for 127.0.0.1 and localhost signed by it, one from the same authority that expired
// in 2020, one for another host, and a self-signed one no one trusts. All use the same key.
#include <QString>
#include <QTemporaryDir>

class TestCertificates {
public:
    TestCertificates();

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; } // the failing openssl command and its output

    QString authority() const { return path("ca.pem"); }
    QString key() const { return path("server.key"); }
    QString valid() const { return path("valid.pem"); }
    QString expired() const { return path("expired.pem"); }
    QString otherHost() const { return path("otherhost.pem"); }
    QString selfSigned() const { return path("selfsigned.pem"); }
    QString otherKey() const { return path("other.key"); } // belongs to none of them

private:
    bool openssl(const QStringList& arguments);
    bool sign(const QString& out, const QString& section, const QStringList& dates);
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    QString m_error;
};
