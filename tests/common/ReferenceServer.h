#pragma once
// Starts the reference server on a free loopback port with its own data file, for one test.
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

class ReferenceServer {
public:
    explicit ReferenceServer(bool demo = true);
    ~ReferenceServer();

    bool isRunning() const { return m_port > 0; }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port)); }
    int port() const { return m_port; }
    // Synchronous helpers for checks and set-up (not through the app's code). A list is asked for as a
    // tablet of the demo organisation asks for it, unless the query names an organisation.
    QJsonObject get(const QString& pathAndQuery) const;
    QJsonObject send(const QString& method, const QString& path, const QJsonObject& body,
                     int* status = nullptr) const;
    bool setFaults(const QJsonObject& config) const;
    bool clearFaults() const;
    static QString binary();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
