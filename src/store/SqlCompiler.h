#pragma once
// A fetch request as SQL text with its bound values. The text is built once per request shape and thread;
// later requests of the same shape only take their values.
#include "Store.h"

#include <QString>
#include <QVariantList>

namespace SqlCompiler {

struct Compiled {
    QString sql;
    QVariantList params;
};

QString quoted(const QString& identifier);

// select: the column list; recordColumns: it is the entity's usual record columns (known by identity);
// join: more tables joined after the entity's own.
Compiled compile(const FetchRequest& request, const QString& select, bool recordColumns, bool rowsOnly,
                 const QString& join);

} // namespace SqlCompiler
