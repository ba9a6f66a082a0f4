#include "Log.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUrlQuery>

namespace Log {

QString qualifiedName(const char* prettyFunction) {
    QString s = QString::fromLatin1(prettyFunction);
    s.remove(QLatin1String("{anonymous}::"));
    s.remove(QLatin1String("(anonymous namespace)::")); // clang's spelling
    // Cut the parameter list: the first '(' that is not part of "operator()".
    int paren = s.indexOf(QLatin1String("operator()"));
    paren = s.indexOf(QLatin1Char('('), paren >= 0 ? paren + 10 : 0);
    if (paren > 0)
        s.truncate(paren);
    // Drop the return type and qualifiers before the name (templates may hold blanks: count '<' '>').
    int depth = 0;
    for (int i = s.size() - 1; i >= 0; --i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('>'))
            ++depth;
        else if (c == QLatin1Char('<'))
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0) {
            s = s.mid(i + 1);
            break;
        }
    }
    // clang writes a returned pointer or reference against the name: "Lijst *Delegate::lijst()".
    while (s.startsWith(QLatin1Char('*')) || s.startsWith(QLatin1Char('&')))
        s.remove(0, 1);
    return s;
}

void write(const char* prettyFunction, int line, const QString& message) {
    qInfo().noquote()
        << QStringLiteral("<%1 : (%2)> %3").arg(qualifiedName(prettyFunction)).arg(line).arg(masked(message));
}

void bare(const QString& message) {
    qInfo().noquote() << masked(message);
}

QString maskedUrl(const QUrl& url) {
    // Parameters that name records, versions or counts; anything else may be a secret or a name.
    static const QStringList safe{
        QStringLiteral("entityId"),     QStringLiteral("organisationId"),  QStringLiteral("lastSyncTime"),
        QStringLiteral("numberOfDays"), QStringLiteral("timeEntryNeeded"), QStringLiteral("ipadVersion"),
        QStringLiteral("deviceId"),     QStringLiteral("userId"),          QStringLiteral("childId")};
    QUrl out = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    if (out.hasQuery()) {
        QUrlQuery query(out);
        QList<QPair<QString, QString>> items = query.queryItems(QUrl::FullyEncoded);
        for (auto& item : items)
            if (!safe.contains(item.first))
                item.second = QStringLiteral("***");
        query.setQueryItems(items);
        out.setQuery(query);
    }
    return out.toString(QUrl::FullyEncoded);
}

QString masked(const QString& text) {
    static const QRegularExpression address(QStringLiteral("[A-Za-z][A-Za-z0-9+.-]*://[^\\s\"'<>]+"));
    if (!text.contains(QLatin1String("://")))
        return text;
    QString out;
    qsizetype from = 0;
    for (auto it = address.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        out += maskedUrl(QUrl(m.captured()));
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

} // namespace Log
