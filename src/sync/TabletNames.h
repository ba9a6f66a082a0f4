#pragma once
// The names of the organisation's tablets, as the server gives them with the registrations they made
// ("ipadMacId" with "ipadName"), so a screen can say which tablet a registration came from. Kept in the
// user defaults ("cc_tabletNamen"), so names learnt before a restart stay known. Any thread.
#include <QJsonArray>
#include <QString>

namespace TabletNames {

// Learns every ("ipadMacId", "ipadName") pair of an answer's registrations; others are left alone.
void learn(const QJsonArray& registrations);
// The name last learnt for the identifier; a null text when none is known.
QString nameFor(const QString& ipadMacId);

} // namespace TabletNames
