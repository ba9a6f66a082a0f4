#include "Hashing.h"

#include <QCryptographicHash>

namespace server {

namespace {
const char kSuffix[] = "vexo";

bool keptAsIs(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    static const char kLegal[] = "-_.!~*'();/?:@&=+$,#";
    for (const char* p = kLegal; *p; ++p)
        if (c == static_cast<unsigned char>(*p))
            return true;
    return false;
}
} // namespace

QString escapeForUrl(const QString& text) {
    static const char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            out.append(ch);
        } else {
            out.append('%');
            out.append(kHex[c >> 4]);
            out.append(kHex[c & 0x0f]);
        }
    }
    return QString::fromLatin1(out);
}

QString sha256Hex(const QString& text) {
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString staffPasswordHash(const QString& lastName, const QString& firstName, const QString& password) {
    return sha256Hex(escapeForUrl(lastName + firstName + password + QLatin1String(kSuffix)));
}

QString couplingHash(const QString& organisationName, const QString& password) {
    return sha256Hex(escapeForUrl(organisationName + password + QLatin1String(kSuffix)));
}

} // namespace server
