#pragma once
// The texts are written in Dutch; other languages come from catalogues installed beside the app
// (../share/kinderopvang/translations/kinderopvang_<language>.qm from its binary) or, without those,
// bundled with it (:/cc/i18n/). Main thread; after the application object exists.
#include <QDateTime>
#include <QLocale>

namespace Translations {
// Shows the app in the locale's language from now on: installs its catalogue (English), or none for
// Dutch and any language without one, and takes away the one installed before. True when a catalogue
// is installed.
bool install(const QLocale& locale);

// The language the texts are shown in: English with its catalogue installed, else Dutch.
QLocale::Language language();
// The locale for day and month names: the device's when it speaks the texts' language (nl_NL keeps
// nl_NL), otherwise that language's own (Dutch: nl_BE, "di 08/12/2026"; English: en_GB), so that
// names never come in another language than the words around them. Every date shown goes through it.
QLocale locale();
// A moment written with a fixed pattern ("ddd dd/MM/yyyy") in locale(), in local time.
QString dateText(const QDateTime& moment, const QString& pattern);
// The file of the installed catalogue; empty when none is (Dutch).
QString installedFile();
} // namespace Translations
