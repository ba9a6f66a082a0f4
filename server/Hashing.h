#pragma once
// Password and coupling hashes as the tablet computes them. Pure functions, any thread.
#include <QString>

namespace server {

// Percent-escapes every character outside the URL-legal set, per UTF-8 byte, with upper-case hex.
QString escapeForUrl(const QString& text);
// SHA-256 of the text's UTF-8 bytes, 64 lower-case hex digits.
QString sha256Hex(const QString& text);
// Hash of a staff member's password, as delivered in the staff list.
QString staffPasswordHash(const QString& lastName, const QString& firstName, const QString& password);
// Hash that proves an organisation's name and password when a tablet is coupled.
QString couplingHash(const QString& organisationName, const QString& password);

} // namespace server
