#pragma once
// Presence statuses still to be recomputed after an answer changed what they derive from. A mark is
// written in the answer's own transaction and cleared in the transaction that stores the recomputed
// status, so a crash in between leaves it for the next start. Any thread, with that thread's context.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class Context;

namespace StatusMarks {
using Batches = QList<QPair<QString, QStringList>>; // entity ("Child", "Users") and record ids

// Inside a write: these statuses are to be recomputed. False when the store refused.
bool mark(Context* context, const Batches& batches);
// Inside a write: these statuses are recomputed. False when the store refused.
bool clear(Context* context, const QString& entity, const QStringList& ids);
// Every status still marked.
Batches pending(Context* context);
} // namespace StatusMarks
