#include "Predicate.h"

#include "Log.h"

namespace {

using NodePtr = QSharedPointer<Predicate::Node>;

class Parser {
public:
    Parser(const QString& text, const QVariantList& args)
        : m_text(text)
        , m_args(args) {}

    NodePtr parse() {
        NodePtr n = parseOr();
        skipSpace();
        if (!n || m_pos != m_text.size())
            return fail(QStringLiteral("unexpected text"));
        return n;
    }

    QString error() const { return m_error; }

private:
    NodePtr fail(const QString& why) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 at %2 in \"%3\"").arg(why).arg(m_pos).arg(m_text);
        return {};
    }

    void skipSpace() {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool eat(const QString& token, bool word = false) {
        skipSpace();
        if (!m_text.mid(m_pos, token.size()).compare(token, word ? Qt::CaseInsensitive : Qt::CaseSensitive)) {
            const int end = m_pos + int(token.size());
            if (word && end < m_text.size() && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == u'_'))
                return false;
            m_pos = end;
            return true;
        }
        return false;
    }

    static NodePtr binary(Predicate::Node::Kind kind, NodePtr l, NodePtr r) {
        auto n = NodePtr::create();
        n->kind = kind;
        n->left = l;
        n->right = r;
        return n;
    }

    NodePtr parseOr() {
        NodePtr l = parseAnd();
        while (l && (eat(QStringLiteral("||")) || eat(QStringLiteral("OR"), true))) {
            NodePtr r = parseAnd();
            if (!r)
                return {};
            l = binary(Predicate::Node::Or, l, r);
        }
        return l;
    }

    NodePtr parseAnd() {
        NodePtr l = parseUnary();
        while (l && (eat(QStringLiteral("&&")) || eat(QStringLiteral("AND"), true))) {
            NodePtr r = parseUnary();
            if (!r)
                return {};
            l = binary(Predicate::Node::And, l, r);
        }
        return l;
    }

    NodePtr parseUnary() {
        skipSpace();
        if (eat(QStringLiteral("NOT"), true) ||
            (m_pos < m_text.size() && m_text.at(m_pos) == u'!' &&
             m_text.mid(m_pos, 2) != QLatin1String("!=") && eat(QStringLiteral("!")))) {
            NodePtr inner = parseUnary();
            if (!inner)
                return {};
            auto n = NodePtr::create();
            n->kind = Predicate::Node::Not;
            n->left = inner;
            return n;
        }
        if (eat(QStringLiteral("("))) {
            NodePtr inner = parseOr();
            if (!inner || !eat(QStringLiteral(")")))
                return fail(QStringLiteral("missing )"));
            return inner;
        }
        return parseComparison();
    }

    QString parseKeyPath() {
        skipSpace();
        const int start = m_pos;
        while (m_pos < m_text.size() &&
               (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_' || m_text.at(m_pos) == u'.'))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    NodePtr parseComparison() {
        auto n = NodePtr::create();
        n->kind = Predicate::Node::Compare;
        n->keyPath = parseKeyPath();
        if (n->keyPath.isEmpty())
            return fail(QStringLiteral("key expected"));
        static const char* symbolic[] = {"==", "!=", "<>", "<=", ">=", "=", "<", ">"};
        static const char* words[] = {"CONTAINS", "BEGINSWITH", "ENDSWITH", "IN"};
        skipSpace();
        for (const char* s : symbolic)
            if (n->op.isEmpty() && eat(QString::fromLatin1(s)))
                n->op = QString::fromLatin1(s);
        for (const char* w : words)
            if (n->op.isEmpty() && eat(QString::fromLatin1(w), true))
                n->op = QString::fromLatin1(w);
        if (n->op.isEmpty())
            return fail(QStringLiteral("operator expected"));
        if (n->op == QLatin1String("="))
            n->op = QStringLiteral("==");
        if (n->op == QLatin1String("<>"))
            n->op = QStringLiteral("!=");
        if (eat(QStringLiteral("["))) {
            while (m_pos < m_text.size() && m_text.at(m_pos) != u']') {
                const QChar c = m_text.at(m_pos).toLower();
                if (c == u'c')
                    n->caseInsensitive = true;
                else if (c == u'd')
                    n->diacriticInsensitive = true;
                else
                    return fail(QStringLiteral("unknown option"));
                ++m_pos;
            }
            if (!eat(QStringLiteral("]")))
                return fail(QStringLiteral("missing ]"));
        }
        if (!parseValue(n->value))
            return {};
        return n;
    }

    bool parseValue(QVariant& out) {
        skipSpace();
        if (eat(QStringLiteral("%@"))) {
            if (m_next >= m_args.size()) {
                fail(QStringLiteral("missing argument"));
                return false;
            }
            out = m_args.at(m_next++);
            return true;
        }
        if (m_pos < m_text.size() && (m_text.at(m_pos) == u'\'' || m_text.at(m_pos) == u'"')) {
            const QChar quote = m_text.at(m_pos++);
            const int start = m_pos;
            while (m_pos < m_text.size() && m_text.at(m_pos) != quote)
                ++m_pos;
            if (m_pos >= m_text.size()) {
                fail(QStringLiteral("unterminated text"));
                return false;
            }
            out = m_text.mid(start, m_pos - start);
            ++m_pos;
            return true;
        }
        for (const char* t : {"true", "YES"})
            if (eat(QString::fromLatin1(t), true)) {
                out = qint64(1);
                return true;
            }
        for (const char* f : {"false", "NO"})
            if (eat(QString::fromLatin1(f), true)) {
                out = qint64(0);
                return true;
            }
        for (const char* nil : {"nil", "NULL"})
            if (eat(QString::fromLatin1(nil), true)) {
                out = QVariant();
                return true;
            }
        const int start = m_pos;
        if (m_pos < m_text.size() && (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+'))
            ++m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
            ++m_pos;
        bool ok = false;
        const qint64 v = m_text.mid(start, m_pos - start).toLongLong(&ok);
        if (!ok) {
            fail(QStringLiteral("value expected"));
            return false;
        }
        out = v;
        return true;
    }

    QString m_text;
    QVariantList m_args;
    int m_pos = 0;
    int m_next = 0;
    QString m_error;
};

QString describe(const Predicate::Node* n) {
    if (!n)
        return QStringLiteral("TRUEPREDICATE");
    switch (n->kind) {
    case Predicate::Node::And:
        return QStringLiteral("(%1 AND %2)").arg(describe(n->left.data()), describe(n->right.data()));
    case Predicate::Node::Or:
        return QStringLiteral("(%1 OR %2)").arg(describe(n->left.data()), describe(n->right.data()));
    case Predicate::Node::Not:
        return QStringLiteral("NOT %1").arg(describe(n->left.data()));
    case Predicate::Node::False:
        return QStringLiteral("FALSEPREDICATE");
    case Predicate::Node::Compare:
        break;
    }
    QString opts;
    if (n->caseInsensitive || n->diacriticInsensitive)
        opts = QStringLiteral("[%1%2]").arg(n->caseInsensitive ? QStringLiteral("c") : QString(),
                                            n->diacriticInsensitive ? QStringLiteral("d") : QString());
    const QString v =
        n->value.isValid() ? QStringLiteral("\"%1\"").arg(n->value.toString()) : QStringLiteral("nil");
    return QStringLiteral("%1 %2%3 %4").arg(n->keyPath, n->op, opts, v);
}

} // namespace

Predicate Predicate::format(const QString& format, const QVariantList& arguments) {
    Parser parser(format, arguments);
    Predicate p;
    NodePtr root = parser.parse();
    if (!root) {
        CC_LOG(QStringLiteral("invalid predicate: %1").arg(parser.error()));
        auto none = NodePtr::create();
        none->kind = Node::False;
        root = none;
    }
    p.m_root = root;
    return p;
}

Predicate Predicate::andPredicates(const Predicate& first, const Predicate& second) {
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    auto n = NodePtr::create();
    n->kind = Node::And;
    n->left = first.m_root;
    n->right = second.m_root;
    Predicate p;
    p.m_root = n;
    return p;
}

Predicate Predicate::operator||(const Predicate& other) const {
    if (isEmpty() || other.isEmpty())
        return Predicate();
    auto n = NodePtr::create();
    n->kind = Node::Or;
    n->left = m_root;
    n->right = other.m_root;
    Predicate p;
    p.m_root = n;
    return p;
}

Predicate Predicate::operator!() const {
    auto n = NodePtr::create();
    if (isEmpty()) {
        n->kind = Node::False;
    } else {
        n->kind = Node::Not;
        n->left = m_root;
    }
    Predicate p;
    p.m_root = n;
    return p;
}

QString Predicate::description() const {
    return describe(m_root.data());
}
