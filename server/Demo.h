#pragma once
// The demo organisation "Demo Opvang": locations, groups, children, staff, shared account, device profiles
// and some registrations of today. Generation is deterministic apart from the day it is loaded on.
#include "Store.h"

#include <QColor>

namespace server {

// Fills the store in one transaction. Draws pictures, so a QGuiApplication must exist.
bool loadDemo(Store& store, QString* error);
// A PNG of the initials in white on a disc of the colour.
QByteArray drawInitials(const QString& initials, const QColor& colour);

} // namespace server
