#include "Catalogue.h"

#include <QFile>
#include <QXmlStreamReader>

QList<Catalogue::Message> Catalogue::read(const QString& path, QString* error) {
    QList<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return out;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            m = Message{context, {}, {}, {}};
        } else if (xml.name() == u"source") {
            m.source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            m.type = xml.attributes().value(QStringLiteral("type")).toString();
            m.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            out << m;
        }
    }
    if (xml.hasError())
        *error = path + QStringLiteral(": ") + xml.errorString();
    return out;
}
