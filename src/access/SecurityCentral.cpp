#include "SecurityCentral.h"

#include "Entities.h"

#include <QCryptographicHash>

namespace {
const QLatin1String kSuffix("vexo");
const QLatin1String kAdminNick("QAVU");

bool keptAsIs(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    constexpr char kLegal[] = "-_.!~*'();/?:@&=+$,#";
    for (const char l : kLegal)
        if (l != '\0' && c == static_cast<unsigned char>(l))
            return true;
    return false;
}
} // namespace

QString SecurityCentral::escapeForUrl(const QString& text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QString out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            out.append(QLatin1Char(ch));
        } else {
            out.append(QLatin1Char('%'));
            out.append(QLatin1Char(kHex[c >> 4]));
            out.append(QLatin1Char(kHex[c & 0x0f]));
        }
    }
    return out;
}

QString SecurityCentral::computeSHA256DigestForString(const QString& text) {
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString SecurityCentral::passwordHash(const QString& lastName, const QString& firstName,
                                      const QString& password) {
    return computeSHA256DigestForString(escapeForUrl(lastName + firstName + password + kSuffix));
}

QString SecurityCentral::adminPasswordHash(const QString& password) {
    return computeSHA256DigestForString(escapeForUrl(kAdminNick + password + kSuffix));
}

bool SecurityCentral::checkUser(const QString& lastName, const QString& firstName, const QString& storedHash,
                                const QString& password) {
    if (storedHash.isEmpty())
        return false;
    return passwordHash(lastName, firstName, password) == storedHash ||
           adminPasswordHash(password) == storedHash;
}

bool SecurityCentral::checkUser(const Users& user, const QString& password) {
    return checkUser(user.last_name(), user.first_name(), user.passwordHash(), password);
}

QString SecurityCentral::getHashForAdminWithNick(const QString& name, const QString& password) {
    return computeSHA256DigestForString(escapeForUrl(name + password + kSuffix));
}
