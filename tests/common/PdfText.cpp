#include "PdfText.h"

#include <QDebug>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

QStringList PdfText::lines(const QString& path) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) {
        qWarning("pdftotext is missing: install poppler-utils (scripts/packages.sh lists it)");
        return {};
    }
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                   QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << "pdftotext could not read" << path << p.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
}

QStringList PdfText::linesWith(const QStringList& lines, const QString& text) {
    const QRegularExpression word(QStringLiteral("(^|\\s)%1(\\s|$)").arg(QRegularExpression::escape(text)));
    return lines.filter(word);
}
