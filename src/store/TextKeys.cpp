#include "TextKeys.h"

#include <QLocale>
#include <unicode/ucol.h>
#include <unicode/uvernum.h>

namespace {

struct Collator {
    UCollator* handle = nullptr;
    QString locale;
    ~Collator() {
        if (handle)
            ucol_close(handle);
    }
};

// ICU collators are not shared across threads: one per thread, reopened when the language changes.
UCollator* collator() {
    thread_local Collator c;
    const QString name = QLocale().name();
    if (!c.handle || c.locale != name) {
        if (c.handle)
            ucol_close(c.handle);
        UErrorCode status = U_ZERO_ERROR;
        c.handle = ucol_open(name.toLatin1().constData(), &status);
        if (U_FAILURE(status)) {
            status = U_ZERO_ERROR;
            c.handle = ucol_open("", &status);
        }
        ucol_setStrength(c.handle, UCOL_SECONDARY); // case-insensitive, accents still count
        c.locale = name;
    }
    return c.handle;
}

} // namespace

namespace TextKeys {

QString fold(const QString& text) {
    if (text.isEmpty())
        return text;
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c);
    return out.toCaseFolded().normalized(QString::NormalizationForm_C);
}

QString foldCase(const QString& text) {
    return text.toCaseFolded();
}

QByteArray sortKey(const QString& text) {
    if (text.isNull())
        return QByteArray();
    UCollator* coll = collator();
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    QByteArray key(64 + text.size() * 4, Qt::Uninitialized);
    int32_t n = ucol_getSortKey(coll, chars, int32_t(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                                int32_t(key.size()));
    if (n > key.size()) {
        key.resize(n);
        n = ucol_getSortKey(coll, chars, int32_t(text.size()), reinterpret_cast<uint8_t*>(key.data()), n);
    }
    key.resize(n > 0 ? n - 1 : 0); // drop the terminating zero
    return key;
}

QString collationName() {
    return QStringLiteral("%1/icu%2").arg(QLocale().name()).arg(QLatin1String(U_ICU_VERSION));
}

int firstStartingWithLetter(const QStringList& foldedNames, const QStringList& letters, int index) {
    if (index < 0 || index >= letters.size())
        return -1;
    for (int i = index; i >= 0; --i) {
        const QString letter = fold(letters.at(i));
        for (int row = 0; row < foldedNames.size(); ++row)
            if (foldedNames.at(row).startsWith(letter))
                return row;
    }
    return -1;
}

} // namespace TextKeys
