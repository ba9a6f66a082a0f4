#pragma once
// What the engine's parts share about queue records and requests.
#include "Clock.h"
#include "Entities.h"
#include "ObjectManager.h"
#include "Util.h"

#include <QString>

namespace SyncKeys {

// Keys of a request's userData: its queue record, its bookkeeping record, the object it concerns.
inline const QString kQueueKey = QStringLiteral("synchroObject");
inline const QString kBookkeepingKey = QStringLiteral("getSynchroObject");
inline const QString kObjectKey = QStringLiteral("object");

constexpr qint64 kBusyMs = 180000;
constexpr int kDuePlaces = 50;
constexpr int kSliceOfDue = 10;

inline QString objectKey(const QString& type, const QString& id) {
    return type + QLatin1Char('/') + id;
}
// A photo upload creates nothing the later changes could depend on.
inline bool isCreation(const SynchroObject* record) {
    return record->httpType() == QLatin1String("POST") &&
           record->objectType() != QLatin1String("ObjectImageUpload");
}
inline QString nowText() {
    return Util::millisText(Clock::nowMs());
}
inline QString userDataId(const RequestInfo& request, const QString& key) {
    return request.userData.toMap().value(key).toString();
}

} // namespace SyncKeys
