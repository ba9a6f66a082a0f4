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
QLocale& shown() {
    static QLocale locale(QLocale::Dutch, QLocale::Belgium);
    return locale;
}
} // namespace

bool Translations::install(const QLocale& locale) {
    if (installed()) {
        QCoreApplication::removeTranslator(installed().get());
        installed().reset();
    }
    shown() = QLocale(QLocale::Dutch, QLocale::Belgium);
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
    shown() = locale;
    return true;
}

QLocale Translations::current() {
    return shown();
}
