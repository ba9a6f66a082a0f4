#pragma once
// The demo organisation "Demo Opvang": locations, groups, children, staff, shared account, device profiles
// and some registrations of the day. Generation is deterministic apart from the moment it is loaded at.
#include "Store.h"

#include <QColor>

namespace server {

// Fills the store in one transaction, as the day stands at nowMs (ms since the epoch; -1: now): who has
// arrived and left by then. Draws pictures, so a QGuiApplication must exist.
bool loadDemo(Store& store, QString* error, qint64 nowMs = -1);
// A PNG of the initials in white on a disc of the colour.
QByteArray drawInitials(const QString& initials, const QColor& colour);

} // namespace server
