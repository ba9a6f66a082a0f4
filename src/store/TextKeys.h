#pragma once
// Text forms the store keeps beside searchable and sortable names.
#include <QByteArray>
#include <QString>

namespace TextKeys {
// Case- and diacritic-free form for contains[cd] / beginswith[cd] ("Zoë" → "zoe").
QString fold(const QString& text);
// Case-only folding for [c] comparisons.
QString foldCase(const QString& text);
// Binary collation key of the current language, case-insensitive: memcmp order is A–Z order.
QByteArray sortKey(const QString& text);
// Names the collation the keys were made with (language and ICU version).
QString collationName();
} // namespace TextKeys
