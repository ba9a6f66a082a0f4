// The stored settings as the app reads them: a settings file with any contents, loaded, and every key the
// app reads read through the accessors and the code the app uses. A text read and written back must read
// the same after the file is opened again, or the app would change a setting by merely keeping it.
#include "ClockChoice.h"
#include "FuzzSupport.h"
#include "ProductStore.h"
#include "StatusView.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QFile>
#include <QSettings>

namespace {

// Texts the app reads and writes back under the same key.
const QStringList textKeys{
    QStringLiteral("cc_ipadNaam"),
    QStringLiteral("geselecteerdeschoolId"),
    QStringLiteral("geselecteerdeschoolNaam"),
    QStringLiteral("cc_coupleLogin"),
    QStringLiteral("cc_coupleHash"),
    QStringLiteral("cc_getError"),
    QStringLiteral("cc_lastChoiceTime"),
    QStringLiteral("cc_lastChoiceDay"),
    QStringLiteral("cc_lastselectedCategoryType"),
    QStringLiteral("eersteKeer"),
};
// Read as numbers or moments.
const QStringList otherKeys{
    QStringLiteral("cc_kResyncInterval"),
    QStringLiteral("opgeslagenState"),
    QStringLiteral("cc_lastsynchroDate"),
    QStringLiteral("cc_lastStatusComputedDateE1"),
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::prepareEnvironment();
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::scratch().filePath(QStringLiteral("defaults.ini"));
    {
        QFile file(path);
        fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file opens");
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    auto defaults = std::make_shared<UserDefaults>(path);
    UserDefaults::setStandard(defaults);

    QHash<QString, QString> texts;
    for (const QString& key : textKeys) {
        texts.insert(key, defaults->stringForKey(key));
        fuzz::check(texts.value(key).isNull() == !defaults->contains(key), "absent stays apart from empty",
                    key);
    }
    for (const QString& key : otherKeys) {
        defaults->integerForKey(key);
        defaults->objectForKey(key).toLongLong();
        defaults->dataForKey(key);
    }
    // The readers of the app.
    {
        ClockChoice choice;
        choice.chosenMoment();
    }
    // The product lists of every child the file has lists for.
    ProductStore products(*defaults);
    products.products(QStringLiteral("C1"));
    for (const QString& key : QSettings(path, QSettings::IniFormat).allKeys()) {
        if (key.startsWith(QLatin1String("producten")))
            products.products(key.mid(9));
        else if (key.startsWith(QLatin1String("boodschappen")))
            products.boodschappen(key.mid(12));
    }
    StatusView::lastSynchTimeText(
        texts.value(QStringLiteral("cc_getError")),
        QDateTime::fromMSecsSinceEpoch(
            defaults->objectForKey(QStringLiteral("cc_lastsynchroDate")).toLongLong()),
        QDateTime::currentDateTime());
    const QVariant computed = defaults->objectForKey(QStringLiteral("cc_lastStatusComputedDateE1"));
    Util::shouldRecomputeStatuses(
        computed.isValid() ? computed.toString() : QString(), 1767225600000,
        OrganisationSettings{true, true, QStringLiteral("4"), QStringLiteral("24")});

    // Written back and read again.
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (!it.value().isNull())
            defaults->setString(it.key(), it.value());
    defaults->synchronize();
    UserDefaults::setStandard(nullptr);
    defaults.reset();
    const UserDefaults again(path);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        fuzz::check(again.stringForKey(it.key()) == it.value(), "a text kept reads the same",
                    it.key() + QStringLiteral(": ") + it.value().left(80) + QStringLiteral(" -> ") +
                        again.stringForKey(it.key()).left(80));
    return 0;
}
