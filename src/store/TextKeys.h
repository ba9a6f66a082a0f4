#pragma once
// Text forms the store keeps beside searchable and sortable names.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextKeys {
// Case- and diacritic-free form for contains[cd] / beginswith[cd] ("Zoë" → "zoe").
QString fold(const QString& text);
// Case-only folding for [c] comparisons.
QString foldCase(const QString& text);
// Binary collation key of the current language, case-insensitive: memcmp order is A–Z order.
QByteArray sortKey(const QString& text);
// An index strip's jump: the first of foldedNames that starts with letters[index] (ignoring case and
// accents), else with the nearest earlier letter; -1 when none does or index is out of range.
int firstStartingWithLetter(const QStringList& foldedNames, const QStringList& letters, int index);
// Names the collation the keys were made with (language and ICU version).
QString collationName();
} // namespace TextKeys
