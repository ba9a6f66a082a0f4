#include "Translations.h"

#include "Log.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTranslator>
#include <memory>

namespace {
std::unique_ptr<QTranslator>& installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// The installed catalogue (…/bin/kinderopvang → …/share/kinderopvang/translations), so a packaged
// translation can be updated on its own; else the one built into the app.
QString catalogueFile(const QString& name) {
    const QString beside = QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/kinderopvang/translations/") + name;
    if (QFileInfo::exists(beside))
        return QFileInfo(beside).canonicalFilePath();
    return QStringLiteral(":/cc/i18n/") + name;
}
} // namespace

QString Translations::installedFile() {
    return installed() ? installed()->filePath() : QString();
}

bool Translations::install(const QLocale& locale) {
    if (installed()) {
        QCoreApplication::removeTranslator(installed().get());
        installed().reset();
    }
    if (locale.language() != QLocale::English)
        return false;
    auto translator = std::make_unique<QTranslator>();
    const QString file = catalogueFile(QStringLiteral("kinderopvang_en.qm"));
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
