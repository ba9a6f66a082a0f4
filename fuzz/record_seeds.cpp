// Records the fuzz targets' seed corpora from real answers of the reference server with its demo data:
// every address the app reads, as a tablet of the demo organisation asks for it. Usage: fuzz_record_seeds DIR
// (DIR/<target>/ is emptied and filled). Answers are cut to a few records each to keep the corpora small.
#include "Mapping.h"
#include "Product.h"
#include "ProductStore.h"
#include "ReferenceServer.h"
#include "SecurityCentral.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <cstdio>

namespace {

QDir out;

void write(const QString& target, const QByteArray& content) {
    QDir dir(out.filePath(target));
    dir.mkpath(QStringLiteral("."));
    // Named by content, as libFuzzer names its own.
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex());
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

QByteArray compact(const QJsonValue& v) {
    return v.isArray() ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                       : QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
}

// The first few records of every array in the answer.
QJsonObject trimmed(QJsonObject answer, int keep) {
    for (auto it = answer.begin(); it != answer.end(); ++it)
        if (it.value().isArray()) {
            QJsonArray a = it.value().toArray();
            while (a.size() > keep)
                a.removeLast();
            it.value() = a;
        }
    return answer;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    out = QDir(QString::fromLocal8Bit(argv[1]));
    for (const char* t : {"fuzz_answer", "fuzz_server_request", "fuzz_search", "fuzz_settings"})
        QDir(out.filePath(QLatin1String(t))).removeRecursively();

    ReferenceServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "the reference server did not start\n");
        return 1;
    }
    const QString login = QStringLiteral("Demo Opvang");
    const QString hash = SecurityCentral::getHashForAdminWithNick(login, QStringLiteral("s3cret%"));
    QUrlQuery loginQuery;
    loginQuery.addQueryItem(QStringLiteral("username"), login);
    loginQuery.addQueryItem(QStringLiteral("hash"), hash);
    const QJsonObject organisation =
        server.get(QStringLiteral("/userOrganisation?") + loginQuery.toString(QUrl::FullyEncoded));
    const QJsonObject devices = server.get(QStringLiteral("/device"));
    const QJsonObject entities = server.get(QStringLiteral("/entity"));
    const QString entity = entities.value(QLatin1String("entities"))
                               .toArray()
                               .at(0)
                               .toObject()
                               .value(QLatin1String("idEntity"))
                               .toString();
    const QString at = QStringLiteral("entityId=") + entity;
    const QList<QPair<QString, QString>> gets{
        {QStringLiteral("/userOrganisation"), loginQuery.toString(QUrl::FullyEncoded)},
        {QStringLiteral("/device"), QStringLiteral("organisationId=org-demo")},
        {QStringLiteral("/entity"), QStringLiteral("organisationId=org-demo")},
        {QStringLiteral("/user"), at + QStringLiteral("&lastSyncTime=0000")},
        {QStringLiteral("/genericUser"), QStringLiteral("organisationId=org-demo&timeEntryNeeded=1")},
        {QStringLiteral("/child"), at + QStringLiteral("&lastSyncTime=00000")},
        {QStringLiteral("/timeEntry"), at + QStringLiteral("&numberOfDays=30&lastSyncTime=0")},
        {QStringLiteral("/userTimeEntry"), QStringLiteral("organisationId=org-demo&numberOfDays=30")},
    };
    QHash<QString, QJsonObject> answers;
    const auto& arrays = Mapping::envelopeArrays();
    for (const auto& [path, query] : gets) {
        const QJsonObject answer = trimmed(server.get(path + u'?' + query), 3);
        answers.insert(path, answer);
        write(QStringLiteral("fuzz_answer"), QByteArray(1, '\0') + compact(answer));
        for (int i = 0; i < arrays.size(); ++i)
            if (answer.value(arrays.at(i).first).isArray())
                write(QStringLiteral("fuzz_answer"),
                      QByteArray(1, char(i + 1)) + compact(answer.value(arrays.at(i).first)));
        // The same query to the server's handler of it (routes as the server target numbers them).
        static const QStringList routes{"/userOrganisation", "/device", "/entity",    "/user",
                                        "/genericUser",      "/child",  "/timeEntry", "/userTimeEntry"};
        write(QStringLiteral("fuzz_server_request"),
              QByteArray(1, char(routes.indexOf(path))) + query.toUtf8() + '\n');
    }

    // Bodies the app sends are the records it was given: registrations, a child, a picture.
    const auto first = [&](const QString& path, const char* key) {
        return answers.value(path).value(QLatin1String(key)).toArray().at(0).toObject();
    };
    const QJsonObject childTime = first(QStringLiteral("/timeEntry"), "timeEntries");
    const QJsonObject staffTime = first(QStringLiteral("/userTimeEntry"), "userTimeEntries");
    const QJsonObject child = first(QStringLiteral("/child"), "children");
    for (const char route : {8, 9})
        write(QStringLiteral("fuzz_server_request"), QByteArray(1, route) + '\n' + compact(childTime));
    for (const char route : {10, 11})
        write(QStringLiteral("fuzz_server_request"), QByteArray(1, route) + '\n' + compact(staffTime));
    write(QStringLiteral("fuzz_server_request"),
          QByteArray(1, 12) + "registrationId=" +
              childTime.value(QLatin1String("registrationId")).toString().toUtf8() + '\n');
    write(QStringLiteral("fuzz_server_request"),
          QByteArray(1, 13) + "registrationId=" +
              staffTime.value(QLatin1String("registrationId")).toString().toUtf8() + '\n');
    write(QStringLiteral("fuzz_server_request"), QByteArray(1, 14) + '\n' + compact(child));
    // A 1x1 PNG, as the tablet's camera would send a (much larger) one.
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
    QJsonObject childWithPicture = child;
    childWithPicture.insert(QStringLiteral("imageData"), QString::fromLatin1(png.toBase64()));
    write(QStringLiteral("fuzz_server_request"), QByteArray(1, 14) + '\n' + compact(childWithPicture));
    const QJsonObject upload{{"objectImageUploadId", "upload-1"},
                             {"type", "Child"},
                             {"typeId", child.value(QLatin1String("childId"))},
                             {"photoId", "photo-1"},
                             {"image", QString::fromLatin1(png.toBase64())}};
    write(QStringLiteral("fuzz_server_request"), QByteArray(1, 15) + '\n' + compact(upload));

    // Search texts: parts of the demo's names, as staff type them.
    for (const QJsonValue& v :
         server.get(QStringLiteral("/child?") + at).value(QLatin1String("children")).toArray()) {
        const QJsonObject c = v.toObject();
        for (const char* key : {"firstName", "lastName"}) {
            const QString name = c.value(QLatin1String(key)).toString();
            if (!name.isEmpty())
                write(QStringLiteral("fuzz_search"), name.left(1 + int(name.size() / 2)).toUtf8());
        }
    }
    write(QStringLiteral("fuzz_search"), QByteArray());

    // Settings files as the app leaves them after coupling, choosing a location and a few clockings.
    const QJsonObject device = devices.value(QLatin1String("devices")).toArray().at(0).toObject();
    const QJsonObject location = entities.value(QLatin1String("entities")).toArray().at(0).toObject();
    for (int variant = 0; variant < 3; ++variant) {
        const QString path = QDir::temp().filePath(QStringLiteral("cc-seed-defaults.ini"));
        QFile::remove(path);
        {
            UserDefaults d(path);
            d.setString(QStringLiteral("cc_coupleLogin"), login);
            d.setString(QStringLiteral("cc_coupleHash"), hash);
            d.setString(QStringLiteral("eersteKeer"), QStringLiteral("neen"));
            if (variant >= 1) {
                d.setString(QStringLiteral("cc_ipadNaam"), device.value(QLatin1String("name")).toString());
                d.setString(QStringLiteral("geselecteerdeschoolId"),
                            location.value(QLatin1String("idEntity")).toString());
                d.setString(QStringLiteral("geselecteerdeschoolNaam"),
                            location.value(QLatin1String("name")).toString());
                d.setObject(QStringLiteral("cc_lastsynchroDate"), qint64(1767225600000));
                d.setString(QStringLiteral("cc_getError"), QString());
                d.setObject(QStringLiteral("cc_lastStatusComputedDateE1"), qint64(1767225600000));
            }
            if (variant == 2) {
                d.setString(QStringLiteral("cc_lastChoiceTime"), QStringLiteral("08:15"));
                d.setString(QStringLiteral("cc_lastChoiceDay"), QStringLiteral("02/01/2026"));
                d.setInteger(QStringLiteral("opgeslagenState"), 1);
                d.setString(QStringLiteral("cc_lastselectedCategoryType"), QStringLiteral("1"));
                d.setInteger(QStringLiteral("cc_kResyncInterval"), 120);
                Product product;
                product.kind_id = child.value(QLatin1String("childId")).toString();
                product.productnaam = QStringLiteral("Maaltijd");
                product.tijdstip = QDateTime::fromMSecsSinceEpoch(1767258000000);
                product.door = QStringLiteral("Onthaal");
                ProductStore(d).saveProduct(product);
                d.setString(QStringLiteral("cc_getError"), QStringLiteral("TIMEOUT"));
            }
            d.synchronize();
        }
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            write(QStringLiteral("fuzz_settings"), f.readAll());
        QFile::remove(path);
    }
    std::printf("seed corpora written to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
