// The English catalogue against the sources: every text the sources give to tr()/qsTr() (extracted
// with lupdate as the update_translations target does) has a finished English translation that keeps
// its %n markers; no QML view shows a bare string literal; and the bundled catalogue is what the app
// installs for English and only for English.
#include "Catalogue.h"
#include "Resources.h"
#include "Translations.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Catalogue::Message;

QSet<QString> markers(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    QSet<QString> found;
    for (const auto& m : marker.globalMatch(text))
        found.insert(m.captured());
    return found;
}

QString committedCatalogue() {
    return QStringLiteral(CC_SOURCE_DIR "/translations/kinderopvang_en.ts");
}
} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void everySourceTextHasAFinishedTranslation() {
        QTemporaryDir dir;
        const QString extracted = dir.filePath("extracted_en.ts");
        QProcess lupdate;
        lupdate.setWorkingDirectory(CC_SOURCE_DIR);
        lupdate.start(CC_LUPDATE,
                      {"-recursive", CC_SOURCE_DIR "/src", "-extensions", "cpp,h,qml", "-locations", "none",
                       "-no-obsolete", "-source-language", "nl", "-target-language", "en", "-ts", extracted});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

        QString error;
        const QList<Message> fromSources = Catalogue::read(extracted, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(fromSources.size() > 200);
        QHash<QPair<QString, QString>, Message> committed;
        for (const Message& m : Catalogue::read(committedCatalogue(), &error))
            committed.insert({m.context, m.source}, m);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        QStringList missing;
        for (const Message& m : fromSources) {
            const Message t = committed.value({m.context, m.source});
            if (t.translation.trimmed().isEmpty() || !t.type.isEmpty())
                missing << m.context + ": " + m.source;
        }
        QVERIFY2(missing.isEmpty(), qPrintable("untranslated (run the update_translations target, then "
                                               "translate in translations/kinderopvang_en.ts):\n" +
                                               missing.join('\n')));
    }

    void translationsKeepTheirMarkers() {
        QString error;
        QStringList wrong;
        for (const Message& m : Catalogue::read(committedCatalogue(), &error))
            if (m.type.isEmpty() && markers(m.source) != markers(m.translation))
                wrong << m.source + " -> " + m.translation;
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }

    // Every bundled view: a text-like property bound to a literal with letters shows it untranslated.
    void noViewShowsABareLiteral() {
        static const QRegularExpression binding(
            QStringLiteral("\\b(text|title|placeholderText|label|message|tooltip|description)\\s*:(.*)$"));
        static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
        static const QRegularExpression word(QStringLiteral("\\p{L}{2,}"));
        QStringList found;
        int views = 0;
        for (QDirIterator it(":/cc", {"*.qml"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            ++views;
            int lineNumber = 0;
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
                ++lineNumber;
                const QRegularExpressionMatch b = binding.match(line.section("//", 0, 0));
                if (!b.hasMatch() || b.captured(2).contains("qsTr("))
                    continue;
                for (const auto& l : literal.globalMatch(b.captured(2)))
                    if (word.match(l.captured(1)).hasMatch())
                        found << QStringLiteral("%1:%2: %3").arg(path).arg(lineNumber).arg(line.trimmed());
            }
        }
        QVERIFY(views > 20);
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }

    void englishOnlyForEnglish_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("lijsten");
        QTest::newRow("English (UK)") << QLocale(QLocale::English, QLocale::UnitedKingdom) << true << "Lists";
        QTest::newRow("English (US)") << QLocale(QLocale::English, QLocale::UnitedStates) << true << "Lists";
        QTest::newRow("Dutch (Belgium)") << QLocale(QLocale::Dutch, QLocale::Belgium) << false << "Lijsten";
        QTest::newRow("French: Dutch") << QLocale(QLocale::French, QLocale::France) << false << "Lijsten";
    }
    void englishOnlyForEnglish() {
        QFETCH(QLocale, locale);
        QFETCH(bool, installed);
        QFETCH(QString, lijsten);
        Translations::install(QLocale(QLocale::English)); // whatever came before goes
        QCOMPARE(Translations::install(locale), installed);
        QCOMPARE(QCoreApplication::translate("MenuViewController", "Lijsten"), lijsten);
        Translations::install(QLocale(QLocale::Dutch));
        QCOMPARE(QCoreApplication::translate("MenuViewController", "Lijsten"), QString("Lijsten"));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
