#include "Translations.h"

#include "Log.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

namespace {
std::unique_ptr<QTranslator>& installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}
} // namespace

bool Translations::install(const QLocale& locale) {
    if (installed()) {
        QCoreApplication::removeTranslator(installed().get());
        installed().reset();
    }
    if (locale.language() != QLocale::English)
        return false;
    auto translator = std::make_unique<QTranslator>();
    const QString file = QStringLiteral(":/cc/i18n/kinderopvang_en.qm");
    if (!translator->load(file)) {
        CC_LOG(QStringLiteral("error loading %1").arg(file));
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    installed() = std::move(translator);
    return true;
}

QLocale::Language Translations::language() {
    return installed() ? QLocale::English : QLocale::Dutch;
}

QLocale Translations::locale() {
    const QLocale device;
    const QLocale::Language texts = language();
    if (device.language() == texts)
        return device;
    return texts == QLocale::English ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                     : QLocale(QLocale::Dutch, QLocale::Belgium);
}

QString Translations::dateText(const QDateTime& moment, const QString& pattern) {
    return locale().toString(moment.toLocalTime(), pattern);
}
