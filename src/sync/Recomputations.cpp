#include "Recomputations.h"

QList<Recomputation> recomputationsAfter(const Response& response) {
    QList<Recomputation> out;
    if (response.contains(QStringLiteral("children")))
        out.append({{{QStringLiteral("Child"), response.followUpIds.value(QStringLiteral("children"))},
                     {QStringLiteral("Users"), response.followUpIds.value(QStringLiteral("users"))}},
                    QStringLiteral("forceSearch")});
    if (response.contains(QStringLiteral("timeEntries")))
        out.append({{{QStringLiteral("Child"), response.followUpIds.value(QStringLiteral("timeEntries"))}},
                    QStringLiteral("reloadKindjesData")});
    if (response.contains(QStringLiteral("userTimeEntries")))
        out.append({{{QStringLiteral("Users"), response.followUpIds.value(QStringLiteral("userTimeEntries"))}},
                    QStringLiteral("reloadKindjesData")});
    return out;
}

StatusMarks::Batches statusesAfter(const Response& response) {
    StatusMarks::Batches out;
    for (const Recomputation& r : recomputationsAfter(response))
        for (const auto& batch : r.batches)
            if (!batch.second.isEmpty())
                out.append(batch);
    return out;
}
