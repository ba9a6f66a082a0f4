#pragma once
// The texts are written in Dutch; other languages come from catalogues bundled with the app
// (:/cc/i18n/kinderopvang_<language>.qm). Main thread; after the application object exists.
#include <QLocale>

namespace Translations {
// Shows the app in the locale's language from now on: installs its catalogue (English), or none for
// Dutch and any language without one, and takes away the one installed before. True when a catalogue
// is installed.
bool install(const QLocale& locale);
// The locale whose texts are shown: the English one installed, else Dutch (Belgium).
QLocale current();
} // namespace Translations
