#pragma once
// Starts the reference server on a free loopback port with its own data file, for one test; over TLS
// when given a certificate and its key.
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

class ReferenceServer {
public:
    struct Options {
        bool demo = true;
        QString certificate; // with key: https
        QString key;
        QString dataFile; // empty: a new one in a temporary folder
        QString trust;    // PEM file the synchronous helpers trust besides the system's store
    };
    explicit ReferenceServer(bool demo = true);
    explicit ReferenceServer(const Options& options);
    ~ReferenceServer();

    bool isRunning() const { return m_port > 0; }
    QUrl url() const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(m_tls ? "https" : "http").arg(m_port));
    }
    int port() const { return m_port; }
    // Synchronous helpers for checks and set-up (not through the app's code). A list is asked for as a
    // tablet of the demo organisation asks for it, unless the query names an organisation.
    QJsonObject get(const QString& pathAndQuery) const;
    QJsonObject send(const QString& method, const QString& path, const QJsonObject& body,
                     int* status = nullptr) const;
    bool setFaults(const QJsonObject& config) const;
    bool clearFaults() const;
    static QString binary();

    QString dataFile() const { return m_dataFile; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    bool m_tls = false;
    QString m_dataFile;
    QString m_trust;
};
