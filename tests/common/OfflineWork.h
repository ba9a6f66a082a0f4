#pragma once
// What tests that work on a tablet without the server share: a small picture, a child created on the
// tablet, a staff registration as logout makes it, and what the reference server ended up holding.
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>

class Child;
class ReferenceServer;
class Tablet;
class UserRegistration;

namespace OfflineWork {
// A 40x30 JPEG of one colour.
QByteArray jpeg(const QColor& colour);
// A child created on the tablet, queued with its picture inside the record.
Child* newChild(Tablet& t, const QByteArray& picture, const QString& firstName = QStringLiteral("Nieuw"));
// The staff member's registration of the given type, queued as logout queues its "Out".
UserRegistration* staffRegistration(Tablet& t, const QString& userId, const QString& type);
// The picture the server now shows for a child, fetched from the address it gives; empty when none.
QByteArray pictureOnServer(const ReferenceServer& server, const QString& childId);
// How often each record of a kind is on the server, by its own id.
QHash<QString, int> countsOnServer(const ReferenceServer& server, const QString& kind, const QString& idKey);
} // namespace OfflineWork
