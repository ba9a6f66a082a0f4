#pragma once
// The text of a PDF as a reader sees it, through pdftotext (poppler-utils, in scripts/packages.sh):
// QPdfWriter compresses its pages, so the file itself cannot be searched for the words.
#include <QStringList>

namespace PdfText {
// One entry per line of the laid-out text (pages one after the other); empty, with a warning, when
// pdftotext is missing or cannot read the file.
QStringList lines(const QString& path);
// The lines showing that text as whole words.
QStringList linesWith(const QStringList& lines, const QString& text);
} // namespace PdfText
