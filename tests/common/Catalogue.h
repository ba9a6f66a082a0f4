#pragma once
// The messages of a Qt Linguist catalogue (.ts), read as lupdate writes them.
#include <QList>
#include <QString>

namespace Catalogue {
struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete", or empty for a finished translation
};
// Every message in file order; error set (and the list cut short) when the file cannot be read.
QList<Message> read(const QString& path, QString* error);
} // namespace Catalogue
