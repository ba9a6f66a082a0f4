#pragma once
// The organisation's server address: which one a start uses, what a typed one must look like, and the
// first-start step that asks for it, checks that the server answers and saves it. Main thread.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class UserDefaults;

namespace ServerAddress {

inline constexpr const char* kSettingKey = "cc_serverUrl";

// The address a start uses: the command line's, else the saved one, else the build's default unless
// that is empty or a loopback address (a development build's own server, never a tablet's). Empty:
// none is known and the first start asks for it.
QString configured(const QString& fromCommandLine, const UserDefaults& settings, const QString& buildDefault);
// A typed address as the app keeps it: http or https with a host, no user, query or fragment, no
// trailing slash; without a scheme https is assumed. Empty when it is no such address; *problem then
// says why, in Dutch.
QString normalised(const QString& typed, QString* problem = nullptr);

} // namespace ServerAddress

// The address step of the first start: the typed address, checked (a well-formed address whose server
// answers as the organisation's server does) and then saved in the settings.
class ServerAddressStep : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString address READ address WRITE setAddress NOTIFY addressChanged)
    Q_PROPERTY(bool checking READ checking NOTIFY checkingChanged)
    // Why the last address was refused, in Dutch; empty when none was.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    explicit ServerAddressStep(QObject* parent = nullptr);

    QString address() const { return m_address; }
    void setAddress(const QString& text);
    bool checking() const { return !m_reply.isNull(); }
    QString problem() const { return m_problem; }
    // Time-out of the check; 10 s unless a test shortens it.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // The "Verder" button: checks the address; accepted() follows when the server answered.
    Q_INVOKABLE void confirm();

signals:
    // The server at url answered; it is saved in the settings already.
    void accepted(const QUrl& url);
    void addressChanged();
    void checkingChanged();
    void problemChanged();

private:
    void setProblem(const QString& text);
    void answered(QNetworkReply* reply, const QString& address);

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_address;
    QString m_problem;
    int m_timeoutMs = 10000;
};
