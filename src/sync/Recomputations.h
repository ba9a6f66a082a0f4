#pragma once
// Which presence statuses an answer calls for recomputing, and what the screens hear once they are.
#include "Mapping.h"
#include "StatusMarks.h"

struct Recomputation {
    StatusMarks::Batches batches;
    QString notification;
};

// Children (and their locations' staff) recompute together, so the overviews search again only once;
// registrations of children or staff recompute their owners.
QList<Recomputation> recomputationsAfter(const Response& response);
// All batches of the answer, for its status marks.
StatusMarks::Batches statusesAfter(const Response& response);
