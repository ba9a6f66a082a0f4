// Plays a second tablet of the demo organisation against a running reference server: clocks the named
// child in (or out) now, as that tablet, so the app's panel can show a double clocking. Loopback only.
//   kinderopvang-othertablet --port N --child Emma [--type Out] [--tablet "Tablet Refter"]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>
#include <httplib.h>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Clocks a child in or out as another tablet."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The server's port."),
                                  QStringLiteral("N"));
    const QCommandLineOption child(QStringLiteral("child"),
                                   QStringLiteral("First, last or full name of the child."),
                                   QStringLiteral("NAME"));
    const QCommandLineOption type(QStringLiteral("type"), QStringLiteral("In or Out."),
                                  QStringLiteral("TYPE"), QStringLiteral("In"));
    const QCommandLineOption tablet(QStringLiteral("tablet"), QStringLiteral("The tablet's name."),
                                    QStringLiteral("NAME"), QStringLiteral("Tablet Refter"));
    parser.addOptions({port, child, type, tablet});
    parser.process(app);
    if (!parser.isSet(port) || !parser.isSet(child))
        parser.showHelp(2);

    httplib::Client client("127.0.0.1", parser.value(port).toInt());
    const auto children = client.Get("/_test/records?kind=child");
    if (!children || children->status != 200) {
        std::cerr << "no answer from the server on that port\n";
        return 1;
    }
    const QString name = parser.value(child);
    QJsonObject found;
    const QJsonArray records = QJsonDocument::fromJson(QByteArray::fromStdString(children->body))
                                   .object()
                                   .value("records")
                                   .toArray();
    for (const QJsonValue& v : records) {
        const QJsonObject c = v.toObject();
        const QString first = c.value("firstName").toString();
        const QString last = c.value("lastName").toString();
        const QStringList names{first, last, first + ' ' + last, last + ' ' + first};
        if (names.contains(name, Qt::CaseInsensitive)) {
            found = c;
            break;
        }
    }
    if (found.isEmpty()) {
        std::cerr << "no child named " << name.toStdString() << "\n";
        return 1;
    }
    const QString now = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString tabletName = parser.value(tablet);
    const QJsonObject body{{"registrationId", now + QUuid::createUuid().toString(QUuid::WithoutBraces)},
                           {"childId", found.value("childId")},
                           {"entityId", found.value("entityId")},
                           {"time", now},
                           {"type", parser.value(type)},
                           {"exists", 1},
                           {"ipadMacId", QStringLiteral("demo-") + tabletName.toLower().replace(' ', '-')},
                           {"ipadName", tabletName}};
    const auto answer =
        client.Post("/timeEntry", QJsonDocument(body).toJson().toStdString(), "application/json");
    if (!answer || answer->status != 200) {
        std::cerr << "the server refused: " << (answer ? answer->body : std::string("no answer")) << "\n";
        return 1;
    }
    std::cout << found.value("firstName").toString().toStdString() << " "
              << found.value("lastName").toString().toStdString() << " clocked "
              << parser.value(type).toStdString() << " on " << tabletName.toStdString() << "\n";
    return 0;
}
