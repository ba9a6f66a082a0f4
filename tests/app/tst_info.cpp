// The information page: the bundled contacts, mail and website hand-off, and the alert when no mail
// client takes the address.
#include "InfoViewController.h"
#include "Resources.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
QStringList collectedWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings.append(message);
}

// Records every URL handed to the platform and answers with `result`.
struct FakeOpener {
    QList<QUrl> opened;
    bool result = true;
    InfoViewController::UrlOpener function() {
        return [this](const QUrl& url) {
            opened << url;
            return result;
        };
    }
};

QString writeFile(const QTemporaryDir& dir, const QByteArray& contents) {
    const QString path = dir.filePath(QStringLiteral("contacts.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(contents);
    return path;
}
} // namespace

class TestInfo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Resources::initCoreResources(); }
    void bundledContacts();
    void unreadableFilesGiveAnEmptyList();
    void emailOpensTheMailClient();
    void emailWithoutMailClientAsksForTheAlert();
    void websiteOpensInTheBrowser();
    void rowsOutOfRangeDoNothing();
    void viewShowsEveryContact();
};

void TestInfo::bundledContacts() {
    FakeOpener opener;
    InfoViewController info(nullptr, InfoViewController::defaultDataFile(), opener.function());
    InfoContactsModel* model = info.contacts();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model->rowCount() >= 3);
    QCOMPARE(info.viewUrl(), QUrl(QStringLiteral("qrc:/cc/app/qml/InfoView.qml")));
    QVERIFY(QFile::exists(QStringLiteral(":/cc/app/qml/InfoView.qml")));
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex i = model->index(row);
        const QString name = i.data(InfoContactsModel::NameRole).toString();
        QVERIFY2(!name.isEmpty(), qPrintable(QString::number(row)));
        // Every logo the file names is bundled.
        const QUrl logo = i.data(InfoContactsModel::LogoUrlRole).toUrl();
        QVERIFY2(QFile::exists(QLatin1Char(':') + logo.path()), qPrintable(logo.toString()));
        QVERIFY2(i.data(InfoContactsModel::EmailRole).toString().contains(QLatin1Char('@')),
                 qPrintable(name));
        QVERIFY2(i.data(InfoContactsModel::WebsiteRole).toString().startsWith(QLatin1String("https://")),
                 qPrintable(name));
        QVERIFY2(!i.data(InfoContactsModel::PhoneRole).toString().isEmpty(), qPrintable(name));
    }
    QCOMPARE(model->index(0).data(InfoContactsModel::NameRole).toString(),
             QStringLiteral("Centraal secretariaat"));
}

void TestInfo::unreadableFilesGiveAnEmptyList() {
    QTemporaryDir dir;
    InfoContactsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.load(InfoViewController::defaultDataFile()));
    QVERIFY(model.rowCount() > 0);

    QVERIFY(!model.load(dir.filePath(QStringLiteral("missing.json"))));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(model.load(InfoViewController::defaultDataFile()));
    QVERIFY(!model.load(writeFile(dir, "[{\"name\": \"half")));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.load(writeFile(dir, "{\"name\": \"not a list\"}")));
    QCOMPARE(model.rowCount(), 0);

    // Entries without a name are left out; missing fields are empty.
    QVERIFY(model.load(writeFile(dir, R"([{"email": "x@y.invalid"}, {"name": "Alleen naam"}, 7])")));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0).data(InfoContactsModel::NameRole).toString(), QStringLiteral("Alleen naam"));
    QVERIFY(model.index(0).data(InfoContactsModel::EmailRole).toString().isEmpty());
    QVERIFY(model.index(0).data(InfoContactsModel::LogoUrlRole).toUrl().isEmpty());
}

void TestInfo::emailOpensTheMailClient() {
    FakeOpener opener;
    InfoViewController info(nullptr, InfoViewController::defaultDataFile(), opener.function());
    QSignalSpy alerts(info.dialogs(), &DialogRequests::showAlert);
    info.openEmail(0);
    QCOMPARE(opener.opened.size(), 1);
    QCOMPARE(opener.opened.first().scheme(), QStringLiteral("mailto"));
    QCOMPARE(opener.opened.first().toString(),
             QStringLiteral("mailto:") + info.contacts()->contacts().at(0).email);
    QCOMPARE(alerts.count(), 0);
}

void TestInfo::emailWithoutMailClientAsksForTheAlert() {
    FakeOpener opener;
    opener.result = false;
    InfoViewController info(nullptr, InfoViewController::defaultDataFile(), opener.function());
    QSignalSpy alerts(info.dialogs(), &DialogRequests::showAlert);
    QSignalSpy answers(info.dialogs(), &DialogRequests::answered);
    info.openEmail(1);
    QCOMPARE(opener.opened.size(), 1);
    QCOMPARE(alerts.count(), 1);
    const QList<QVariant> alert = alerts.takeFirst();
    QCOMPARE(alert.at(0).toString(), QStringLiteral("Sorry"));
    QCOMPARE(
        alert.at(1).toString(),
        QStringLiteral("Sorry, dit lukt enkel als er al een emailadres is ingesteld in de mail applicatie."));
    QCOMPARE(alert.at(2).toStringList().size(), 1); // only a button to close it
    QCOMPARE(alert.at(3).toInt(), InfoViewController::kMailAlertTag);

    // Closing it changes nothing else: no second attempt, no further alert.
    info.dialogs()->answer(InfoViewController::kMailAlertTag, 0);
    QCOMPARE(answers.count(), 1);
    QCOMPARE(opener.opened.size(), 1);
    QCOMPARE(alerts.count(), 0);
}

void TestInfo::websiteOpensInTheBrowser() {
    FakeOpener opener;
    opener.result = false; // a browser refusing is no reason for the mail alert
    InfoViewController info(nullptr, InfoViewController::defaultDataFile(), opener.function());
    QSignalSpy alerts(info.dialogs(), &DialogRequests::showAlert);
    info.openWebsite(0);
    QCOMPARE(opener.opened.size(), 1);
    QCOMPARE(opener.opened.first(), QUrl(info.contacts()->contacts().at(0).website));
    QCOMPARE(opener.opened.first().scheme(), QStringLiteral("https"));
    QCOMPARE(alerts.count(), 0);

    // An address written without a scheme still opens over https; an explicit http stays.
    QTemporaryDir dir;
    InfoViewController bare(nullptr,
                            writeFile(dir, R"([{"name": "A", "website": "www.opvang.example.be/info"},
                                             {"name": "B", "website": "http://oud.example.be"}])"),
                            opener.function());
    bare.openWebsite(0);
    bare.openWebsite(1);
    QCOMPARE(opener.opened.at(1), QUrl(QStringLiteral("https://www.opvang.example.be/info")));
    QCOMPARE(opener.opened.at(2), QUrl(QStringLiteral("http://oud.example.be")));
}

void TestInfo::rowsOutOfRangeDoNothing() {
    FakeOpener opener;
    opener.result = false;
    QTemporaryDir dir;
    InfoViewController info(nullptr, writeFile(dir, R"([{"name": "Zonder adres"}])"), opener.function());
    QSignalSpy alerts(info.dialogs(), &DialogRequests::showAlert);
    info.openEmail(-1);
    info.openEmail(5);
    info.openWebsite(5);
    info.openEmail(0); // no address: nothing to open, nothing to complain about
    info.openWebsite(0);
    QVERIFY(opener.opened.isEmpty());
    QCOMPARE(alerts.count(), 0);
}

void TestInfo::viewShowsEveryContact() {
    collectedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    {
        FakeOpener opener;
        opener.result = false;
        InfoViewController info(nullptr, InfoViewController::defaultDataFile(), opener.function());
        QQmlEngine engine;
        QQuickWindow window;
        window.resize(412, 768);
        QQmlComponent component(&engine, info.viewUrl());
        std::unique_ptr<QObject> object(
            component.createWithInitialProperties({{"controller", QVariant::fromValue<QObject*>(&info)}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        auto* root = qobject_cast<QQuickItem*>(object.get());
        root->setParentItem(window.contentItem());
        root->setSize(QSizeF(412, 768));
        window.show();
        QObject* listView = nullptr;
        for (auto* item : root->findChildren<QQuickItem*>())
            if (item->inherits("QQuickListView"))
                listView = item;
        QVERIFY(listView);
        QTRY_COMPARE(listView->property("count").toInt(), info.contacts()->rowCount());
    }
    qInstallMessageHandler(previous);
    QVERIFY2(collectedWarnings.isEmpty(), qPrintable(collectedWarnings.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
