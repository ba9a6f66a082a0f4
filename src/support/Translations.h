#pragma once
// The texts are written in Dutch; other languages come from catalogues installed beside the app
// (../share/kinderopvang/translations/kinderopvang_<language>.qm from its binary) or, without those,
// bundled with it (:/cc/i18n/). Main thread; after the application object exists.
#include <QLocale>

namespace Translations {
// Shows the app in the locale's language from now on: installs its catalogue (English), or none for
// Dutch and any language without one, and takes away the one installed before. True when a catalogue
// is installed.
bool install(const QLocale& locale);
// The file of the installed catalogue; empty when none is (Dutch).
QString installedFile();
} // namespace Translations
