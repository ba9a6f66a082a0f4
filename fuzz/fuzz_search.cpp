// The overview's search text through the predicate and the store, against a location with a few children
// and staff members whose names carry accents, capitals, apostrophes and characters SQL treats specially.
// The count the store gives for a text (SQL) and the list filtered in memory must agree, as the segment
// titles and the rows shown do in the app. The same text is also read as a predicate format, as a
// programming error would hand it over: it may be refused, never crash or reach SQL as text.
#include "DataAccessObject.h"
#include "FuzzSupport.h"
#include "SearchOverzichtViewController.h"
#include "TestStore.h"
#include "TextKeys.h"

namespace {

TemporaryStore* fixture;
const QString location = QStringLiteral("E1");

bool nameContains(const QString& folded, const QString& text) {
    return !folded.isNull() && folded.contains(text);
}

// The number of entries the list shows for a text, as the overview filters them.
int shown(const QList<SearchListEntry>& entries, const QString& text) {
    const QString folded = TextKeys::fold(text);
    int n = 0;
    for (const SearchListEntry& e : entries)
        n += nameContains(e.foldedFirstName, folded) || nameContains(e.foldedLastName, folded);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::prepareEnvironment();
    new QCoreApplication(*argc, *argv);
    fixture = new TemporaryStore;
    fuzz::check(fixture->isValid(), "the store opens");
    TemporaryStore& s = *fixture;
    s.location(location, QStringLiteral("De Speelvogel"));
    const QList<QPair<QString, QString>> names{
        {QStringLiteral("Émile"), QStringLiteral("Vandenbroucke")},
        {QStringLiteral("Zoë"), QStringLiteral("O'Brien")},
        {QStringLiteral("Ångström"), QStringLiteral("Çelik")},
        {QStringLiteral("Jean-Luc"), QStringLiteral("de_Wit 100%")},
        {QStringLiteral("STRAßE"), QStringLiteral("\"Quote\"")},
        {QStringLiteral("Łukasz"), QStringLiteral("Ñúñez")},
        {QStringLiteral("İlke"), QStringLiteral("ǅurić")},
        {QStringLiteral("小明"), QStringLiteral("Nguyễn")},
    };
    int i = 0;
    for (const auto& [first, last] : names) {
        ++i;
        Child* c = s.child(QStringLiteral("C%1").arg(i), first, last);
        s.membership(QStringLiteral("GC%1").arg(i), QStringLiteral("G%1").arg(i % 2), QStringLiteral("Groep"),
                     QStringLiteral("Klas"), c);
        s.staff(QStringLiteral("UE%1").arg(i), QStringLiteral("U%1").arg(i), last, first);
    }
    s.child(QStringLiteral("C-none"), QString(), QString()); // absent names match nothing
    fuzz::check(s.save().isEmpty(), "the fixture saves");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    DataAccessObject& dao = fixture->dao();

    for (const SearchListDefinition& definition :
         {SearchListDefinition::children(location), SearchListDefinition::staff(location)}) {
        const QList<SearchListEntry> entries = definition.load(dao);
        const Predicate condition = SearchOverzichtViewController::searchCondition(definition, dao, text, {});
        const QStringList counts = definition.count(dao, condition);
        fuzz::check(counts.size() == 4, "four counts");
        const int expected = text.isEmpty() ? int(entries.size()) : shown(entries, text);
        fuzz::check(
            counts.at(0).toInt() == expected, "the count agrees with the list",
            QStringLiteral("%1: %2 counted, %3 shown").arg(definition.keyName, counts.at(0)).arg(expected));
        fixture->context()->reset();
    }

    // The text as a predicate format with the text also as its argument.
    const Predicate p = Predicate::format(text, {text, text});
    const QList<Child*> found = fixture->context()->fetch<Child>(p);
    fuzz::check(found.size() <= 9, "no more children than stored");
    fixture->context()->reset();
    return 0;
}
