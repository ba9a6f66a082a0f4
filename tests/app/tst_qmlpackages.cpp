// Every QML module the app loads, and every module those load in turn, comes from a Debian package that
// scripts/packages.sh installs: packages are installed without their recommendations, so a module that
// is only recommended (a file dialog's folder model, say) would be missing on a fresh tablet.
#include "Resources.h"

#include <QDirIterator>
#include <QLibraryInfo>
#include <QProcess>
#include <QQuickStyle>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The modules a QML text imports by name (not folders or files).
QSet<QString> importsOf(QString qml) {
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/|//[^\\n]*"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression line(QStringLiteral("^\\s*import\\s+([A-Za-z][\\w.]*)"),
                                         QRegularExpression::MultilineOption);
    qml.remove(comments); // an example in a comment is not an import
    QSet<QString> modules;
    for (auto it = line.globalMatch(qml); it.hasNext();)
        modules << it.next().captured(1);
    return modules;
}

// What a module needs besides itself: its qmldir's imports and dependencies (not the optional ones),
// the imports of its own QML files, and its implementation modules in its subfolders (…impl), which
// its C++ may load without naming them (the dialogs load theirs so). Not the designer's files.
QSet<QString> needsOf(const QString& dir) {
    QSet<QString> modules;
    static const QRegularExpression entry(
        QStringLiteral("^\\s*(?:default\\s+)?(?:import|depends)\\s+([A-Za-z][\\w.]*)"),
        QRegularExpression::MultilineOption);
    for (auto it = entry.globalMatch(readAll(dir + "/qmldir")); it.hasNext();)
        modules << it.next().captured(1);
    QList<QString> folders{dir};
    while (!folders.isEmpty()) {
        const QDir folder(folders.takeFirst());
        for (const QFileInfo& file : folder.entryInfoList({"*.qml"}, QDir::Files))
            modules += importsOf(readAll(file.filePath()));
        for (const QFileInfo& sub : folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (sub.fileName() == QLatin1String("designer"))
                continue;
            static const QRegularExpression name(QStringLiteral("^\\s*module\\s+([\\w.]+)"),
                                                 QRegularExpression::MultilineOption);
            if (QFile::exists(sub.filePath() + "/qmldir")) {
                const QString module = name.match(readAll(sub.filePath() + "/qmldir")).captured(1);
                if (module.endsWith(QLatin1String("impl")))
                    modules << module;
            } else {
                folders << sub.filePath();
            }
        }
    }
    return modules;
}

} // namespace

class TestQmlPackages : public QObject {
    Q_OBJECT
private slots:
    void everyLoadedModuleIsInstalledByTheScripts() {
        if (QStandardPaths::findExecutable("dpkg").isEmpty())
            QSKIP("not a Debian machine");
        Resources::initCoreResources();
        QSet<QString> wanted{QStringLiteral("QtQuick.Controls.") + QQuickStyle::name()};
        QDirIterator it(QStringLiteral(":/cc"), {QStringLiteral("*.qml")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            wanted += importsOf(readAll(it.next()));
        QVERIFY(wanted.contains("QtQuick.Controls"));

        // The modules' folders, following what each one loads.
        const QString root = QLibraryInfo::path(QLibraryInfo::QmlImportsPath);
        QMap<QString, QString> folders; // module -> its folder
        QStringList missing;
        QList<QString> todo(wanted.begin(), wanted.end());
        while (!todo.isEmpty()) {
            const QString module = todo.takeFirst();
            if (folders.contains(module) || missing.contains(module))
                continue;
            const QString dir = root + "/" + QString(module).replace('.', '/');
            if (!QFile::exists(dir + "/qmldir")) {
                missing << module;
                continue;
            }
            folders.insert(module, dir);
            for (const QString& next : needsOf(dir))
                todo << next;
        }
        QVERIFY2(missing.isEmpty(), qPrintable("not installed: " + missing.join(", ")));

        // Which package brings each module, against the scripts' list.
        QProcess list;
        list.start("bash", {"-c", QString("source '%1/scripts/packages.sh' && printf '%s\\n' \"${CC_PACKAGES[@]}\"")
                                      .arg(CC_SOURCE_DIR)});
        QVERIFY(list.waitForFinished(20000) && list.exitCode() == 0);
        const QStringList installed = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QStringList qmldirs;
        for (const QString& dir : folders)
            qmldirs << QFileInfo(dir + "/qmldir").canonicalFilePath();
        QProcess owners;
        owners.start("dpkg", QStringList{"-S"} + qmldirs);
        QVERIFY(owners.waitForFinished(60000));
        QMap<QString, QString> ownerOf; // qmldir -> package
        for (const QString& line : QString::fromUtf8(owners.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
            const qsizetype colon = line.indexOf(QStringLiteral(": "));
            ownerOf.insert(line.mid(colon + 2), line.left(colon).section(':', 0, 0));
        }
        QStringList unlisted;
        for (auto m = folders.cbegin(); m != folders.cend(); ++m) {
            const QString package = ownerOf.value(QFileInfo(m.value() + "/qmldir").canonicalFilePath());
            if (package.isEmpty() || !installed.contains(package))
                unlisted << QString("%1 (%2)").arg(m.key(), package.isEmpty() ? "no package" : package);
        }
        QVERIFY2(unlisted.isEmpty(), qPrintable("not in scripts/packages.sh: " + unlisted.join(", ")));
        qInfo() << "modules checked:" << folders.keys().join(", ");
    }
};

QTEST_MAIN(TestQmlPackages)
#include "tst_qmlpackages.moc"
