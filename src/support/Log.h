#pragma once
// Diagnostic log in the form "<%s : (%d)> %@": qualified operation name, source line, message.
// Thread-safe; goes through Qt's message handler so tests can capture it.
// Lines carry identifiers only: never a password, a hash, a person's name or a body. Addresses are
// written through maskedUrl; write() masks any address left in a message (an error text quoting one).
#include <QString>
#include <QUrl>

namespace Log {
// Reduces a compiler function signature (Q_FUNC_INFO) to "Class::operation".
QString qualifiedName(const char* prettyFunction);
void write(const char* prettyFunction, int line, const QString& message);
// A line without the prefix (the start-up's documents folder line).
void bare(const QString& message);
// The address without user info, with the value of every query parameter masked ("***") except the
// ones that only name records or versions (entityId, organisationId, lastSyncTime, ...).
QString maskedUrl(const QUrl& url);
// The text with every address in it masked as maskedUrl does.
QString masked(const QString& text);
} // namespace Log

#define CC_LOG(message) ::Log::write(Q_FUNC_INFO, __LINE__, (message))
