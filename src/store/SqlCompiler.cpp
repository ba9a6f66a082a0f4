#include "SqlCompiler.h"

#include "Log.h"
#include "TextKeys.h"

#include <QHash>
#include <vector>

namespace SqlCompiler {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

namespace {

// Where a bound value comes from, so that a compiled statement can be reused for the next predicate of
// the same shape: the compare node (in reading order), the list element, and how it is prepared.
struct ParamSource {
    int node;
    int listIndex; // -1: the node's value itself
    enum FoldKind : quint8 { None, Fold, FoldCase } fold;
    bool numeric;
};

QVariant prepared(QVariant v, const ParamSource& s) {
    if (!v.isValid())
        return v;
    if (s.fold == ParamSource::Fold)
        return TextKeys::fold(v.toString());
    if (s.fold == ParamSource::FoldCase)
        return TextKeys::foldCase(v.toString());
    if (s.numeric && s.listIndex < 0 && v.typeId() == QMetaType::Bool)
        return qint64(v.toBool());
    return v;
}

struct SqlBuilder {
    const EntityDescription& entity;
    QStringList joins;
    QStringList joined;
    QVariantList params;
    std::vector<ParamSource> sources;
    int compareIndex = -1;
    bool reusable = true; // false when the text depends on more than the shape (a logged mistake)

    // The SQL expression of a key path, joining the referenced table for "ref.attribute".
    const AttributeDescription* column(const QString& keyPath, QString& expression) {
        const int dot = keyPath.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            const AttributeDescription* a = entity.find(keyPath);
            if (a)
                expression = QStringLiteral("t.") + quoted(a->column());
            return a;
        }
        const QString ref = keyPath.left(dot);
        const AttributeDescription* r = entity.find(ref);
        if (!r || r->type != AttributeType::Reference)
            return nullptr;
        const EntityDescription* target = Model::entity(r->target);
        const AttributeDescription* a = target ? target->find(keyPath.mid(dot + 1)) : nullptr;
        if (!a)
            return nullptr;
        const QString alias = QStringLiteral("j_") + ref;
        if (!joined.contains(alias)) {
            joined << alias;
            joins << QStringLiteral("LEFT JOIN %1 %2 ON %2.%3 = t.%4")
                         .arg(quoted(target->name), alias,
                              quoted(target->attribute(target->primaryKeyIndex()).column()),
                              quoted(r->column()));
        }
        expression = alias + QLatin1Char('.') + quoted(a->column());
        return a;
    }

    QString sortExpression(const SortDescriptor& s) {
        QString expr;
        const AttributeDescription* a = column(s.keyPath, expr);
        if (!a)
            return QString();
        if (s.localized && a->type != AttributeType::Number) {
            if (a->flags & Sorted)
                expr = expr.left(expr.lastIndexOf(QLatin1Char('.')) + 1) + quoted(a->sortKeyColumn());
            else
                expr = QStringLiteral("cc_sortkey(%1)").arg(expr);
        }
        return expr + (s.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }

    QString where(const Predicate::Node* n) {
        switch (n->kind) {
        case Predicate::Node::And:
        case Predicate::Node::Or: {
            // Left first: parameters are collected in the order the SQL text reads them.
            const QString left = where(n->left.data());
            const QString right = where(n->right.data());
            return (n->kind == Predicate::Node::And ? QStringLiteral("(%1 AND %2)")
                                                    : QStringLiteral("(%1 OR %2)"))
                .arg(left, right);
        }
        case Predicate::Node::Not:
            return QStringLiteral("(NOT coalesce(%1, 0))").arg(where(n->left.data()));
        case Predicate::Node::False:
            return QStringLiteral("0");
        case Predicate::Node::Compare:
            break;
        }
        const int node = ++compareIndex;
        QString expr;
        const AttributeDescription* a = column(n->keyPath, expr);
        if (!a) {
            CC_LOG(QStringLiteral("unknown key %1 in predicate on %2").arg(n->keyPath, entity.name));
            reusable = false;
            return QStringLiteral("0");
        }
        const bool textual = a->type != AttributeType::Number;
        const ParamSource::FoldKind fold = !textual                  ? ParamSource::None
                                           : n->diacriticInsensitive ? ParamSource::Fold
                                           : n->caseInsensitive      ? ParamSource::FoldCase
                                                                     : ParamSource::None;
        auto bind = [&](const QVariant& v, int listIndex) {
            const ParamSource source{node, listIndex, fold, !textual};
            sources.push_back(source);
            params << prepared(v, source);
        };
        if (textual && n->diacriticInsensitive) {
            if (a->flags & Folded)
                expr = expr.left(expr.lastIndexOf(QLatin1Char('.')) + 1) + quoted(a->foldedColumn());
            else
                expr = QStringLiteral("cc_fold(%1)").arg(expr);
        } else if (textual && n->caseInsensitive) {
            expr = QStringLiteral("cc_foldc(%1)").arg(expr);
        }
        const QString& op = n->op;
        if (op == QLatin1String("IN")) {
            QStringList marks;
            const QVariantList values = n->value.toList();
            for (int i = 0; i < values.size(); ++i) {
                bind(values.at(i), i);
                marks << QStringLiteral("?");
            }
            return marks.isEmpty() ? QStringLiteral("0")
                                   : QStringLiteral("%1 IN (%2)").arg(expr, marks.join(u','));
        }
        if (!n->value.isValid()) {
            if (op == QLatin1String("=="))
                return expr + QStringLiteral(" IS NULL");
            if (op == QLatin1String("!="))
                return expr + QStringLiteral(" IS NOT NULL");
            return QStringLiteral("0");
        }
        bind(n->value, -1);
        if (op == QLatin1String("CONTAINS"))
            return QStringLiteral("instr(%1, ?) > 0").arg(expr);
        if (op == QLatin1String("BEGINSWITH"))
            return QStringLiteral("instr(%1, ?) = 1").arg(expr);
        if (op == QLatin1String("ENDSWITH")) {
            bind(n->value, -1);
            return QStringLiteral("substr(%1, -length(?)) = ?").arg(expr);
        }
        const QString sqlOp = op == QLatin1String("==") ? QStringLiteral("=") : op;
        return QStringLiteral("%1 %2 ?").arg(expr, sqlOp);
    }
};

} // namespace

namespace {

struct Built {
    QString sql;
    QVariantList params;
    std::vector<ParamSource> sources;
    bool reusable;
};

Built build(const FetchRequest& request, const QString& select, bool rowsOnly, const QString& join) {
    SqlBuilder b{*request.entity, {}, {}, {}, {}};
    const QString condition =
        request.predicate.isEmpty() ? QString() : b.where(request.predicate.root().data());
    QStringList order;
    for (const auto& s : request.sortDescriptors) {
        const QString e = b.sortExpression(s);
        if (!e.isEmpty())
            order << e;
    }
    if (!order.isEmpty() && !rowsOnly)
        order << QStringLiteral("t.rowid");
    QString sql = QStringLiteral("SELECT %1%2 FROM %3 t")
                      .arg(request.distinct ? QStringLiteral("DISTINCT ") : QString(), select,
                           quoted(request.entity->name));
    if (!join.isEmpty())
        sql += QLatin1Char(' ') + join;
    if (!b.joins.isEmpty())
        sql += QLatin1Char(' ') + b.joins.join(QLatin1Char(' '));
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    if (request.fetchLimit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(request.fetchLimit);
    return {sql, b.params, std::move(b.sources), b.reusable};
}

} // namespace

namespace {

// The shape of a request: everything its SQL text depends on, and nothing that is only bound.
void appendShape(const Predicate::Node* n, QByteArray& key, std::vector<const Predicate::Node*>& compares) {
    key += char('a' + n->kind);
    switch (n->kind) {
    case Predicate::Node::And:
    case Predicate::Node::Or:
        appendShape(n->left.data(), key, compares);
        appendShape(n->right.data(), key, compares);
        return;
    case Predicate::Node::Not:
        appendShape(n->left.data(), key, compares);
        return;
    case Predicate::Node::False:
        return;
    case Predicate::Node::Compare:
        break;
    }
    compares.push_back(n);
    auto text = [&key](const QString& t) {
        key.append(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
        key += '\0';
        key += '\0';
    };
    text(n->keyPath);
    text(n->op);
    key += char('0' + (n->caseInsensitive ? 1 : 0) + (n->diacriticInsensitive ? 2 : 0));
    if (n->op == QLatin1String("IN"))
        key += QByteArray::number(n->value.toList().size()) + ';';
    else
        key += n->value.isValid() ? 'v' : 'n';
}

struct Shape {
    QString sql;
    std::vector<ParamSource> sources;
};

} // namespace

Compiled compile(const FetchRequest& request, const QString& select, bool recordColumns, bool rowsOnly,
                 const QString& join) {
    // The same few requests come again and again (one per child in a recomputation): their text is
    // built once per thread and only the values are taken from each new predicate.
    thread_local QHash<QByteArray, Shape> shapes;
    QByteArray key;
    key.reserve(256);
    std::vector<const Predicate::Node*> compares;
    const auto* entity = request.entity;
    key.append(reinterpret_cast<const char*>(&entity), sizeof entity);
    key += char('0' + (rowsOnly ? 1 : 0) + (request.distinct ? 2 : 0));
    key += QByteArray::number(request.fetchLimit) + ';';
    if (recordColumns) {
        key += 'R'; // the usual column list of records: no need to spell it out
    } else {
        key.append(reinterpret_cast<const char*>(select.utf16()), select.size() * 2);
        key += '\0';
        key += '\0';
    }
    key.append(reinterpret_cast<const char*>(join.utf16()), join.size() * 2);
    key += '\0';
    for (const SortDescriptor& sort : request.sortDescriptors) {
        key.append(reinterpret_cast<const char*>(sort.keyPath.utf16()), sort.keyPath.size() * 2);
        key += char('0' + sort.ascending + 2 * sort.localized);
    }
    key += '|';
    if (!request.predicate.isEmpty())
        appendShape(request.predicate.root().data(), key, compares);
    if (const auto found = shapes.constFind(key); found != shapes.constEnd()) {
        Compiled c{found->sql, {}};
        c.params.reserve(qsizetype(found->sources.size()));
        const Predicate::Node* listNode = nullptr;
        QVariantList list;
        for (const ParamSource& source : found->sources) {
            const Predicate::Node* n = compares[size_t(source.node)];
            if (source.listIndex < 0) {
                c.params << prepared(n->value, source);
                continue;
            }
            if (n != listNode) {
                listNode = n;
                list = n->value.toList();
            }
            c.params << prepared(list.at(source.listIndex), source);
        }
        return c;
    }
    Built built = build(request, select, rowsOnly, join);
    if (built.reusable) {
        if (shapes.size() > 2000)
            shapes.clear(); // only an unusual caller gets here: many different IN list lengths
        shapes.insert(key, Shape{built.sql, std::move(built.sources)});
    }
    return {built.sql, built.params};
}

} // namespace SqlCompiler
