#include "Log.h"

#include <QDebug>

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
        << QStringLiteral("<%1 : (%2)> %3").arg(qualifiedName(prettyFunction)).arg(line).arg(message);
}

void bare(const QString& message) {
    qInfo().noquote() << message;
}

} // namespace Log
