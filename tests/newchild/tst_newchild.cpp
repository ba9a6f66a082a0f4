// A new child: the names it accepts, with and without a photo, its identifiers, its group, the selection
// afterwards, the way back to the overview, and the child with its picture on the reference server.
// A new photo from the child detail panel: stored and uploaded for one selected child, not for two.
#include "Clock.h"
#include "ImageCache.h"
#include "LeerlingenDetailViewController.h"
#include "Mapping.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "Tablet.h"
#include "TestStore.h"
#include "WindowDriver.h"
#include "newchild/CreateChildViewController.h"
#include "overview/GroupSelectorViewController.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {

QByteArray jpeg(const QColor& colour, int w = 60, int h = 40) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

struct Fixture {
    TemporaryStore store;
    ObjectManager manager{store.store(), QUrl(QStringLiteral("http://127.0.0.1:9"))};
    ManualReachability reachability{false};
    MainSynchroObject engine{&store.dao(), &manager, &reachability};
    SelectieLijst selectie;
    ImageCache images{store.folder() + "/images"};
    Child* other1;
    Child* other2;

    Fixture() {
        store.organisation("O1");
        Users::setSharedUsers(store.staff("UE1", "U1", "Els", "Janssens", "E1"));
        other1 = store.child("C1", "Zoë", "Peeters");
        other2 = store.child("C2", "Finn", "Maes");
        store.membership("G1C1", "G1", "Vlinders", "Klas", other1);
        store.save();
        ImageCache::setShared(&images);
        engine.setImageCache(&images);
    }
    ~Fixture() {
        Users::setSharedUsers(nullptr);
        ImageCache::setShared(nullptr);
    }
    std::unique_ptr<CreateChildViewController> open() {
        return std::make_unique<CreateChildViewController>(&store.dao(), &engine, &selectie, &images);
    }
    QList<Child*> newChildren() const {
        QList<Child*> out;
        for (Child* c : store.context()->fetch<Child>())
            if (c != other1 && c != other2)
                out << c;
        return out;
    }
};

QString lastAlertTitle(const QSignalSpy& spy) {
    return spy.isEmpty() ? QString() : spy.last().at(0).toString();
}

} // namespace

class TestNewChild : public QObject {
    Q_OBJECT
    QTemporaryDir m_settings;

private slots:
    void initTestCase() {
        Tablet::useFreshSettings(m_settings);
        Resources::initCoreResources();
    }
    void cleanup() { Clock::reset(); }

    // Only the empty text is refused; one blank is a name.
    void names_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("only a first name") << "Lotte"
                                           << "" << false;
        QTest::newRow("only a family name") << ""
                                            << "Peeters" << false;
        QTest::newRow("nothing") << QString() << QString() << false;
        QTest::newRow("one blank each") << " "
                                        << " " << true;
        QTest::newRow("both names") << "Lotte"
                                    << "Peeters" << true;
    }
    void names() {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(bool, accepted);
        Fixture f;
        auto screen = f.open();
        QSignalSpy alerts(screen->dialogs(), &DialogRequests::showAlert);
        screen->setForm(first, last);
        screen->saveUser();
        QCOMPARE(alerts.size(), 1);
        if (!accepted) {
            QCOMPARE(lastAlertTitle(alerts), QString("Foutje"));
            QCOMPARE(alerts.last().at(1).toString(),
                     QString("Gelieve de voornaam en familienaam van het kind in te vullen."));
            QVERIFY(f.newChildren().isEmpty());
            QCOMPARE(f.engine.aantalPosts(), QString("0"));
            return;
        }
        QCOMPARE(lastAlertTitle(alerts), QString("Succes"));
        QCOMPARE(alerts.last().at(1).toString(), QString("Het kind is succesvol toegevoegd."));
        QCOMPARE(f.newChildren().size(), 1);
        QCOMPARE(f.newChildren().first()->firstName(), first);
        QCOMPARE(f.newChildren().first()->lastName(), last);
    }

    // Without a photo: "leeg", no picture in the record or its body; the selection holds only the new
    // child; it is queued, and after the success alert the menu goes back to the overview.
    void withoutPhoto() {
        Fixture f;
        f.selectie.addObject(f.other1);
        f.selectie.addObject(f.other2);
        auto screen = f.open();
        screen->setForm("Lotte", "Peeters", "allergisch voor noten");
        screen->saveUser();
        Child* child = f.newChildren().value(0);
        QVERIFY(child);
        QCOMPARE(child->photoId(), QString("leeg"));
        QVERIFY(!child->valueForKey("image").isValid());
        QVERIFY(!child->valueForKey("imageData").isValid());
        QCOMPARE(child->extraInfo(), QString("allergisch voor noten"));
        QCOMPARE(child->entityId(), QString("E1"));
        QCOMPARE(child->organisationId(), QString("O1"));
        QCOMPARE(child->exists(), 1);
        const QJsonObject body = Mapping::bodyFor(child);
        QVERIFY(!body.contains("image"));
        QVERIFY(!body.contains("imageData"));
        QCOMPARE(f.selectie.geselecteerden(), (QList<ManagedObject*>{child}));
        const auto queue = f.store.context()->fetch<SynchroObject>();
        QCOMPARE(queue.size(), 1);
        QCOMPARE(queue.first()->objectType(), QString("Child"));
        QCOMPARE(queue.first()->objectId(), child->childId());

        QVariantMap userInfo;
        bool posted = false;
        QObject owner;
        NotificationCenter::defaultCenter().addObserver(&owner, "fakeMenuChoice", [&](const Notification& n) {
            posted = true;
            userInfo = n.userInfo;
            f.selectie.removeAllObjects(); // as the menu does on another entry
        });
        screen->dialogs()->answer(CreateChildViewController::kTagSucces, 0);
        QVERIFY(posted);
        QCOMPARE(userInfo.value("key"), QVariant(0));
        QCOMPARE(f.selectie.geselecteerden(), (QList<ManagedObject*>{child}));
    }

    // The remarks are always sent, "" when nothing was typed (the view leaves an untouched form's text
    // null); only what a child really lacks stays out of the body.
    void remarksInTheBody_data() {
        QTest::addColumn<QString>("remarks");
        QTest::newRow("form never touched") << QString();
        QTest::newRow("emptied") << QString("");
        QTest::newRow("typed") << QString("allergisch voor noten");
    }
    void remarksInTheBody() {
        QFETCH(QString, remarks);
        Fixture f;
        auto screen = f.open();
        screen->setForm("Lotte", "Peeters", remarks);
        screen->saveUser();
        Child* child = f.newChildren().value(0);
        QVERIFY(child);
        const QJsonObject body = Mapping::bodyFor(child);
        QVERIFY(body.value("extraInfo").isString());
        QCOMPARE(body.value("extraInfo").toString(), remarks.isNull() ? QString("") : remarks);
        QVERIFY(!body.contains("image"));
        // As stored: the queue sends what the store reads back.
        const QString childId = child->childId();
        f.store.context()->reset();
        Child* stored = f.store.dao().loadChild(childId);
        QVERIFY(stored);
        QVERIFY(Mapping::bodyFor(stored).value("extraInfo").isString());
    }

    // The form's alerts in the real panel stack: each request is shown by one alert and answered once,
    // also when another alert is bound to the same requests.
    void oneAlertPerRequest() {
        Fixture f;
        QQmlEngine engine;
        QQuickWindow window;
        window.resize(824, 768);
        StackScrollViewController stack;
        CreateChildViewController* screen = f.open().release();
        stack.addViewInSlider(screen, nullptr, true);
        QQmlComponent component(&engine, Resources::qmlUrl(QStringLiteral("app/qml/StackScrollView.qml")));
        std::unique_ptr<QObject> object(
            component.createWithInitialProperties({{"controller", QVariant::fromValue<QObject*>(&stack)}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        auto* root = qobject_cast<QQuickItem*>(object.get());
        root->setParentItem(window.contentItem());
        root->setSize(QSizeF(824, 768));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(WindowDriver::findItem(root, "saveButton"));

        QQmlComponent extraComponent(&engine);
        extraComponent.setData("import QtQuick\nimport \"qrc:/cc/support/qml\"\n"
                               "Item { property alias requests: extra.requests; AlertDialog { id: extra } }",
                               QUrl("qrc:/cc/test/ExtraAlert.qml"));
        std::unique_ptr<QObject> extra;
        QSignalSpy answers(screen->dialogs(), &DialogRequests::answered);
        for (const bool withExtraAlert : {false, true}) {
            if (withExtraAlert) {
                extra.reset(extraComponent.createWithInitialProperties(
                    {{"requests", QVariant::fromValue<QObject*>(screen->dialogs())}}));
                QVERIFY2(extra, qPrintable(extraComponent.errorString()));
                qobject_cast<QQuickItem*>(extra.get())->setParentItem(window.contentItem());
            }
            answers.clear();
            screen->setForm("Lotte", QString());
            screen->saveUser(); // "Foutje"
            QTRY_VERIFY(WindowDriver::findItem(window.contentItem(), "alertButton0"));
            QTest::qWait(100); // a second alert would be open by now
            const QList<QQuickItem*> buttons = WindowDriver::findAll(window.contentItem(), "alertButton0");
            QCOMPARE(buttons.size(), 1);
            QVERIFY(WindowDriver::tap(&window, buttons.first()));
            QTRY_VERIFY(!WindowDriver::findItem(window.contentItem(), "alertButton0"));
            QCOMPARE(answers.size(), 1);
            QCOMPARE(answers.first().at(0).toInt(), int(CreateChildViewController::kTagFoutje));
        }
        extra.reset();
        object.reset();
    }

    // A save the disk refuses is not reported as "Succes": nothing is queued or selected, the form keeps
    // its text, and saving again once the disk is back stores the child once.
    void refusedSave() {
        Fixture f;
        auto screen = f.open();
        QSignalSpy alerts(screen->dialogs(), &DialogRequests::showAlert);
        screen->setForm("Lotte", "Peeters", "");
        Context* c = f.store.context();
        sqlite3_commit_hook(
            c->database().handle(), [](void*) { return 1; }, nullptr);
        screen->saveUser();
        sqlite3_commit_hook(c->database().handle(), nullptr, nullptr);
        QCOMPARE(lastAlertTitle(alerts), QString("Opgepast"));
        QVERIFY(!c->hasChanges());
        QVERIFY(f.newChildren().isEmpty());
        QVERIFY(c->fetch<SynchroObject>().isEmpty());
        QCOMPARE(f.selectie.count(), 0);

        screen->saveUser();
        QCOMPARE(lastAlertTitle(alerts), QString("Succes"));
        QCOMPARE(f.newChildren().size(), 1);
        QCOMPARE(f.newChildren().first()->firstName(), QString("Lotte"));
        QCOMPARE(c->fetch<SynchroObject>().size(), 1);
    }

    // With a photo: one moment T for all three identifiers, three different UUIDs, the picture at the
    // highest quality in imageData and in the cache under the child's key.
    void withPhoto() {
        Fixture f;
        Clock::setMs(1765000000123);
        const QString t = "1765000000123";
        auto screen = f.open();
        QVERIFY(!screen->pictureLoaded());
        screen->userDidEnterInfo(QByteArray()); // nothing delivered: no change
        QVERIFY(!screen->pictureLoaded());
        screen->userDidEnterInfo(jpeg(Qt::red));
        screen->userDidEnterInfo(jpeg(Qt::blue, 80, 50)); // a later photo replaces the first
        QVERIFY(screen->pictureLoaded());
        QVERIFY(screen->photo().isLocalFile());
        screen->setForm("Senne", "Wouters");
        screen->saveUser();
        Child* child = f.newChildren().value(0);
        QVERIFY(child);
        QVERIFY(child->childId().startsWith(t));
        QVERIFY(child->image().startsWith("image"));
        QVERIFY(child->image().endsWith(t));
        QVERIFY(child->photoId().endsWith(t));
        const QString uuid1 = child->childId().mid(t.size());
        const QString uuid2 = child->image().mid(5, child->image().size() - 5 - t.size());
        const QString uuid3 = child->photoId().left(child->photoId().size() - t.size());
        QCOMPARE(uuid1.size(), 36);
        QCOMPARE(uuid2.size(), 36);
        QCOMPARE(uuid3.size(), 36);
        QVERIFY(uuid1 != uuid2 && uuid2 != uuid3 && uuid1 != uuid3);
        const QByteArray stored = QByteArray::fromBase64(child->imageData().toLatin1());
        QImage picture;
        QVERIFY(picture.loadFromData(stored, "JPG"));
        QCOMPARE(picture.size(), QSize(80, 50));
        QCOMPARE(f.images.imageData(child->image()), stored);
        QVERIFY(Mapping::bodyFor(child).contains("imageData"));
    }

    // A picture picked in the photo picker: its popover closes at once, the picture still arrives.
    void photoFromPicker() {
        Fixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("photo.png");
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::darkRed);
        QVERIFY(image.save(path));
        auto screen = f.open();
        QSignalSpy popovers(screen.get(), &CreateChildViewController::popoversChanged);
        screen->changeAvatar();
        QVERIFY(screen->mediaPicker());
        screen->mediaPicker()->imagePickerDidPickFile(path);
        QVERIFY(!screen->mediaPicker());
        QCOMPARE(popovers.size(), 2);
        QTRY_VERIFY(screen->pictureLoaded());
        QVERIFY(QImage(screen->photo().toLocalFile()).size() == QSize(300, 200));
    }

    // The group chosen in the group picker becomes the child's membership, sent with it.
    void withGroup() {
        Fixture f;
        auto screen = f.open();
        screen->chooseGroup();
        QVERIFY(screen->groupSelector());
        const QStringList types = screen->groupSelector()->groupTypes();
        QCOMPARE(types, (QStringList{"Klas", "Geen Selectie"}));
        screen->groupSelector()->didSelectRow(0);
        QVERIFY(!screen->groupSelector());
        QCOMPARE(screen->groupName(), QString("Vlinders"));
        screen->setForm("Hanne", "Claes");
        screen->saveUser();
        Child* child = f.newChildren().value(0);
        QVERIFY(child);
        QCOMPARE(child->groups().size(), 1);
        QCOMPARE(child->groups().first()->groupId(), QString("G1"));
        QCOMPARE(child->groups().first()->groupType(), QString("Klas"));
        const QJsonArray groups = Mapping::bodyFor(child).value("groups").toArray();
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().toObject().value("groupId").toString(), QString("G1"));
    }

    // A new photo on the detail panel: with one selected child it is shown, cached under the child's
    // new key and queued; with two selected nothing is stored.
    void detailPhoto() {
        Fixture f;
        const QByteArray picture = jpeg(Qt::green);
        {
            f.selectie.addObject(f.other1);
            f.selectie.addObject(f.other2);
            LeerlingenDetailViewController detail(f.other1, &f.selectie, &f.store.dao(), &f.engine);
            detail.changeAvatar();
            QVERIFY(!detail.mediaPicker()); // no photo button with two children
            detail.userDidEnterInfo(picture);
            QVERIFY(f.store.context()->fetch<ObjectImageUpload>().isEmpty());
            QVERIFY(!f.other1->valueForKey("image").isValid());
            QVERIFY(!f.other2->valueForKey("image").isValid());
        }
        f.selectie.removeAllObjects();
        LeerlingenDetailViewController detail(f.other1, &f.selectie, &f.store.dao(), &f.engine);
        detail.changeAvatar();
        QVERIFY(detail.mediaPicker());
        QCOMPARE(detail.mediaPicker()->delegate(), &detail);
        bool reloaded = false;
        QObject owner;
        NotificationCenter::defaultCenter().addObserver(&owner, "reloadKindjesData",
                                                        [&](const Notification&) { reloaded = true; });
        detail.userDidEnterInfo(picture);
        QVERIFY(f.other1->image().startsWith("image"));
        QCOMPARE(f.images.imageData(f.other1->image()), picture);
        QCOMPARE(detail.photo(), QUrl::fromLocalFile(f.images.fileFor(f.other1->image())));
        QVERIFY(reloaded);
        const auto uploads = f.store.context()->fetch<ObjectImageUpload>();
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(uploads.first()->typeId(), QString("C1"));
        QCOMPARE(f.store.context()->fetch<SynchroObject>().first()->objectType(),
                 QString("ObjectImageUpload"));
    }

    // Through the real engine to the reference server: the new child with its picture, then a new photo
    // of it from the detail panel.
    void reachesServer() {
        ReferenceServer server;
        QVERIFY(server.isRunning());
        Tablet tablet(server.url());
        QVERIFY(tablet.couple());
        QTemporaryDir dir;
        ImageCache images(dir.filePath("images"));
        ImageCache::setShared(&images);
        tablet.engine->setImageCache(&images);
        SelectieLijst selectie;
        CreateChildViewController screen(tablet.dao.get(), tablet.engine.get(), &selectie, &images);
        screen.userDidEnterInfo(jpeg(Qt::magenta));
        screen.setForm("Mila", "Jacobs");
        screen.saveUser();
        QCOMPARE(selectie.count(), 1);
        auto* child = static_cast<Child*>(selectie.objectAtIndex(0));
        QVERIFY(tablet.engine->waitForIdle(20000));
        QCOMPARE(tablet.queue().first()->status(), 3);
        QCOMPARE(pictureOnServer(server, child->childId()),
                 QByteArray::fromBase64(child->imageData().toLatin1()));
        // No remarks typed: the server got them as "".
        QJsonValue remarks;
        for (const QJsonValue& v : server.get("/_test/records?kind=child").value("records").toArray())
            if (v.toObject().value("childId").toString() == child->childId())
                remarks = v.toObject().value("extraInfo");
        QCOMPARE(remarks, QJsonValue(""));

        LeerlingenDetailViewController detail(child, &selectie, tablet.dao.get(), tablet.engine.get());
        const QByteArray second = jpeg(Qt::yellow, 30, 30);
        detail.changeAvatar();
        detail.userDidEnterInfo(second);
        QVERIFY(tablet.engine->waitForIdle(20000));
        QCOMPARE(tablet.countWithStatus(3), 2);
        QCOMPARE(pictureOnServer(server, child->childId()), second);
        ImageCache::setShared(nullptr);
    }

private:
    static QByteArray pictureOnServer(const ReferenceServer& server, const QString& childId) {
        for (const QJsonValue& v : server.get("/_test/records?kind=child").value("records").toArray()) {
            if (v.toObject().value("childId").toString() != childId)
                continue;
            QNetworkAccessManager nam;
            QNetworkReply* reply =
                nam.get(QNetworkRequest(server.url().resolved(QUrl(v.toObject().value("image").toString()))));
            QSignalSpy done(reply, &QNetworkReply::finished);
            done.wait(10000);
            reply->deleteLater();
            return reply->readAll();
        }
        return {};
    }
};

QTEST_MAIN(TestNewChild)
#include "tst_newchild.moc"
