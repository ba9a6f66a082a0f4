#pragma once
// Password and coupling hashes: SHA-256 over the URL-escaped join of the inputs and a fixed suffix.
// Stateless; safe on any thread.
#include <QString>

class Users;

class SecurityCentral {
public:
    SecurityCentral() = delete;

    // Every byte of the UTF-8 text outside A-Z a-z 0-9 and - _ . ! ~ * ' ( ) ; / ? : @ & = + $ , #
    // becomes "%" and two upper-case hexadecimal digits; the others stay.
    static QString escapeForUrl(const QString& text);
    // SHA-256 of the text's UTF-8 bytes as 64 lower-case hexadecimal digits.
    static QString computeSHA256DigestForString(const QString& text);
    // The hash a staff member's passwordHash holds for this password.
    static QString passwordHash(const QString& lastName, const QString& firstName, const QString& password);
    // The administrator nick's hash for this password; accepted for any staff member.
    static QString adminPasswordHash(const QString& password);
    // True when the password's hash (from the person's name, else from the administrator nick) is
    // exactly the stored hash. An empty stored hash never matches.
    static bool checkUser(const QString& lastName, const QString& firstName, const QString& storedHash,
                          const QString& password);
    static bool checkUser(const Users& user, const QString& password);
    // The coupling hash the organisation login sends for name and password.
    static QString getHashForAdminWithNick(const QString& name, const QString& password);
};
