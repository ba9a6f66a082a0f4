#pragma once
// What an https request trusts: the system's certificate store plus the certificates of the PEM file the
// setting "cc_caCertificateFile" names (an organisation's own certificate authority). The file is read
// again when the setting or the file changes, so a certificate put right counts from the next request.
// Verification itself is never switched off.
#include <QList>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>

class QNetworkRequest;

namespace TlsTrust {

inline constexpr const char* kCaCertificateFileKey = "cc_caCertificateFile";

QSslConfiguration configuration();
void apply(QNetworkRequest& request);
// Grows whenever the certificates read from the settings' file change. A network access manager keeps
// the configuration of a connection it made for a server, so it starts afresh after such a change.
quint64 generation();
// Why a server's certificate was refused, in short words for log lines and the engine ("untrusted",
// "expired", "wrong host", ...), each kind once; empty for no errors.
QString describe(const QList<QSslError>& errors);

} // namespace TlsTrust
