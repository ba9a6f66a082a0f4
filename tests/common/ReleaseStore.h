#pragma once
// The store file the release before an update left on a tablet (tests/store/data, written by
// tests/tools/storefixture): the demo organisation coupled, two clockings answered, seven changes
// unanswered (clockings, a clock-out, the deletion of an answered clocking, a photo, a new child, a staff
// clocking). The queued photo is OfflineWork::jpeg(QColor(200, 40, 40)).
#include <QJsonObject>
#include <QSet>
#include <QString>

namespace ReleaseStore {
// Writes the file at path, at its own layout or brought back to an older one (1: before the status
// marks) as that release left it. False when it could not be written.
bool write(const QString& path, int layout = 0);

// What a file holds for the server, read straight from it (no migration, nothing written).
struct Unanswered {
    QSet<QString> queueIds;      // queue records not answered
    QString deletedId;           // the registration whose deletion is queued
    QJsonObject deletedAsSent;   // that registration as the server held it before the deletion
    QSet<QString> createdIds;    // registrations whose creation is queued
    QString newChildId;          // the child made on the tablet
    QString photographedChildId; // the child whose new photo is queued
    qint64 lastEntryMs = 0;      // when the newest change was queued
};
Unanswered read(const QString& path);
int layoutOf(const QString& path);
} // namespace ReleaseStore
