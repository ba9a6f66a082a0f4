#pragma once
// Diagnostic log in the form "<%s : (%d)> %@": qualified operation name, source line, message.
// Thread-safe; goes through Qt's message handler so tests can capture it.
#include <QString>

namespace Log {
// Reduces a compiler function signature (Q_FUNC_INFO) to "Class::operation".
QString qualifiedName(const char* prettyFunction);
void write(const char* prettyFunction, int line, const QString& message);
// A line without the prefix (the start-up's documents folder line).
void bare(const QString& message);
} // namespace Log

#define CC_LOG(message) ::Log::write(Q_FUNC_INFO, __LINE__, (message))
